#pragma once

#include <cstdint>
#include <string>

struct zip;

namespace CvUnitSys {

struct LibZip;

// Read access to a zip package in the Open Packaging Conventions: parts are
// named like "/ud_part" and stored as the zip entries without the slash;
// like all part names they match without regard to ASCII case.
class ZipPackage {
public:
    // Throws PackageError when the file is missing or not a zip archive.
    explicit ZipPackage(const std::string& path);
    ~ZipPackage();
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    // The most a part may inflate to: no unit database comes near it, and a
    // package of a few kilobytes cannot make the reader write gigabytes.
    static constexpr std::uint64_t maxPartBytes = 64ull << 20;

    bool hasPart(const std::string& partName) const;
    // Writes the part's bytes to `path`; throws PackageError when the part is
    // missing, cannot be read or inflates to more than maxPartBytes.
    void copyPartToFile(const std::string& partName, const std::string& path) const;

private:
    const LibZip& zip_;
    zip* archive_ = nullptr;
    std::string path_;
};

} // namespace CvUnitSys
