#include "units/platform/TemporaryFile.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>
#include <vector>

namespace CvUnitSys {

TemporaryFile::TemporaryFile() {
    const std::string pattern =
        (std::filesystem::temp_directory_path() / "cv_units-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        throw std::runtime_error(std::string("cannot create a temporary file: ") +
                                 std::strerror(errno));
    }
    close(fd);
    path_ = name.data();
}

TemporaryFile::~TemporaryFile() {
    std::remove(path_.c_str());
}

} // namespace CvUnitSys
