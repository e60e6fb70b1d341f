#include "units/platform/ZipPackage.hpp"

#include "units/platform/PackageError.hpp"

#include <array>
#include <fstream>
#include <memory>
#include <zip.h>

namespace CvUnitSys {

namespace {

std::string entryName(const std::string& partName) {
    return !partName.empty() && partName.front() == '/' ? partName.substr(1) : partName;
}

} // namespace

ZipPackage::ZipPackage(const std::string& path) : path_(path) {
    int error = 0;
    archive_ = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (archive_ == nullptr) {
        zip_error_t details;
        zip_error_init_with_code(&details, error);
        const std::string message = zip_error_strerror(&details);
        zip_error_fini(&details);
        throw PackageError("cannot open package '" + path + "': " + message);
    }
}

ZipPackage::~ZipPackage() {
    zip_discard(archive_);
}

bool ZipPackage::hasPart(const std::string& partName) const {
    return zip_name_locate(archive_, entryName(partName).c_str(), ZIP_FL_NOCASE) >= 0;
}

void ZipPackage::copyPartToFile(const std::string& partName, const std::string& path) const {
    std::unique_ptr<zip_file_t, decltype(&zip_fclose)> part(
        zip_fopen(archive_, entryName(partName).c_str(), ZIP_FL_NOCASE), &zip_fclose);
    if (!part) {
        throw PackageError("package '" + path_ + "' has no part " + partName);
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::array<char, 65536> buffer{};
    for (;;) {
        const zip_int64_t n = zip_fread(part.get(), buffer.data(), buffer.size());
        if (n < 0) {
            throw PackageError("cannot read part " + partName + " of '" + path_ + "'");
        }
        if (n == 0) {
            break;
        }
        out.write(buffer.data(), static_cast<std::streamsize>(n));
    }
    if (!out.flush()) {
        throw PackageError("cannot write '" + path + "'");
    }
}

} // namespace CvUnitSys
