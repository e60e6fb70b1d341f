#include "units/platform/PackagePartCopy.hpp"

#include "units/platform/PackageError.hpp"
#include "units/platform/ZipPackage.hpp"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <memory>
#include <minizip/unzip.h>
#include <zlib.h>

namespace CvUnitSys {

void copyPackagePartToFile(const std::string& packagePath, const std::string& partName,
                           const std::string& path) {
    std::unique_ptr<void, decltype(&unzClose)> archive(unzOpen64(packagePath.c_str()), &unzClose);
    if (!archive) {
        throw PackageError("cannot open package '" + packagePath + "': not a zip archive");
    }
    const std::string entry =
        !partName.empty() && partName.front() == '/' ? partName.substr(1) : partName;
    constexpr int caseInsensitive = 2;
    if (unzLocateFile(archive.get(), entry.c_str(), caseInsensitive) != UNZ_OK) {
        throw PackageError("package '" + packagePath + "' has no part " + partName);
    }
    const auto unreadable = [&] {
        return PackageError("cannot read part " + partName + " of '" + packagePath + "'");
    };
    const auto tooLarge = [&] {
        return PackageError("part " + partName + " of '" + packagePath +
                            "' inflates to more than " +
                            std::to_string(ZipPackage::maxPartBytes >> 20) + " MB");
    };
    // The size the archive states comes first, so that a bomb writes nothing;
    // the count below holds whatever the archive claims.
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(archive.get(), &info, nullptr, 0, nullptr, 0, nullptr, 0) !=
        UNZ_OK) {
        throw unreadable();
    }
    if (info.uncompressed_size > ZipPackage::maxPartBytes) {
        throw tooLarge();
    }
    if (unzOpenCurrentFile(archive.get()) != UNZ_OK) {
        throw unreadable();
    }
    // A file emptied on opening is one that ext4 writes to disk when it is
    // closed, lest a rewrite be lost, and removing it then waits for that
    // write: an empty file, as a fresh temporary file is, is written as it is.
    std::error_code noSize;
    const bool empty = std::filesystem::file_size(path, noSize) == 0 && !noSize;
    std::ofstream out(path,
                      std::ios::binary | std::ios::out | (empty ? std::ios::in : std::ios::trunc));
    std::array<char, 65536> buffer{};
    constexpr int encrypted = 1;
    if (info.compression_method == 0 && (info.flag & encrypted) == 0) {
        // minizip hands out a stored part a byte at a time: its bytes are read
        // from the package at once and checked against the same CRC.
        std::ifstream in(packagePath, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(unzGetCurrentFileZStreamPos64(archive.get())));
        uLong crc = crc32(0, nullptr, 0);
        for (std::uint64_t left = info.uncompressed_size; left > 0;) {
            const auto n =
                static_cast<std::streamsize>(std::min<std::uint64_t>(left, buffer.size()));
            if (!in.read(buffer.data(), n)) {
                throw unreadable();
            }
            crc = crc32(crc, reinterpret_cast<const Bytef*>(buffer.data()), static_cast<uInt>(n));
            out.write(buffer.data(), n);
            left -= static_cast<std::uint64_t>(n);
        }
        if (crc != info.crc) {
            throw unreadable();
        }
    } else {
        std::uint64_t written = 0;
        for (;;) {
            const int n = unzReadCurrentFile(archive.get(), buffer.data(),
                                             static_cast<unsigned>(buffer.size()));
            if (n < 0) {
                throw unreadable();
            }
            if (n == 0) {
                break;
            }
            written += static_cast<std::uint64_t>(n);
            if (written > ZipPackage::maxPartBytes) {
                throw tooLarge();
            }
            out.write(buffer.data(), n);
        }
        // Closing the entry after its last byte checks its CRC.
        if (unzCloseCurrentFile(archive.get()) != UNZ_OK) {
            throw unreadable();
        }
    }
    if (!out.flush()) {
        throw PackageError("cannot write '" + path + "'");
    }
}

} // namespace CvUnitSys
