#include "units/platform/ZipPackage.hpp"

#include "units/platform/LibZip.hpp"
#include "units/platform/PackageError.hpp"

#include <array>
#include <fstream>
#include <memory>
#include <string>

namespace CvUnitSys {

namespace {

std::string entryName(const std::string& partName) {
    return !partName.empty() && partName.front() == '/' ? partName.substr(1) : partName;
}

} // namespace

ZipPackage::ZipPackage(const std::string& path) : zip_(LibZip::get()), path_(path) {
    int error = 0;
    archive_ = zip_.open(path.c_str(), ZIP_RDONLY, &error);
    if (archive_ == nullptr) {
        zip_error_t details;
        zip_.errorInitWithCode(&details, error);
        const std::string message = zip_.errorStrerror(&details);
        zip_.errorFini(&details);
        throw PackageError("cannot open package '" + path + "': " + message);
    }
}

ZipPackage::~ZipPackage() {
    zip_.discard(archive_);
}

bool ZipPackage::hasPart(const std::string& partName) const {
    return zip_.nameLocate(archive_, entryName(partName).c_str(), ZIP_FL_NOCASE) >= 0;
}

void ZipPackage::copyPartToFile(const std::string& partName, const std::string& path) const {
    std::unique_ptr<zip_file_t, decltype(LibZip::fclose)> part(
        zip_.fopen(archive_, entryName(partName).c_str(), ZIP_FL_NOCASE), zip_.fclose);
    if (!part) {
        throw PackageError("package '" + path_ + "' has no part " + partName);
    }
    const auto tooLarge = [&] {
        return PackageError("part " + partName + " of '" + path_ + "' inflates to more than " +
                            std::to_string(maxPartBytes >> 20) + " MB");
    };
    // The size the archive states comes first, so that a bomb writes nothing;
    // the count below holds whatever the archive claims.
    zip_stat_t stat;
    zip_.statInit(&stat);
    if (zip_.stat(archive_, entryName(partName).c_str(), ZIP_FL_NOCASE, &stat) == 0 &&
        (stat.valid & ZIP_STAT_SIZE) != 0 && stat.size > maxPartBytes) {
        throw tooLarge();
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::array<char, 65536> buffer{};
    std::uint64_t written = 0;
    for (;;) {
        const zip_int64_t n = zip_.fread(part.get(), buffer.data(), buffer.size());
        if (n < 0) {
            throw PackageError("cannot read part " + partName + " of '" + path_ + "'");
        }
        if (n == 0) {
            break;
        }
        written += static_cast<std::uint64_t>(n);
        if (written > maxPartBytes) {
            throw tooLarge();
        }
        out.write(buffer.data(), static_cast<std::streamsize>(n));
    }
    if (!out.flush()) {
        throw PackageError("cannot write '" + path + "'");
    }
}

} // namespace CvUnitSys
