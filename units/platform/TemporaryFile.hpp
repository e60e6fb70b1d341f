#pragma once

#include <string>

namespace CvUnitSys {

// A uniquely named, initially empty file in the system's temporary folder,
// removed when the guard goes, whatever way it goes.
class TemporaryFile {
public:
    TemporaryFile();
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& getFileName() const { return path_; }

private:
    std::string path_;
};

} // namespace CvUnitSys
