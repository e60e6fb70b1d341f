#pragma once

#include "units/foundation/UString.hpp"

#include <optional>
#include <string>

namespace CvUnitSys {

// The host's file-system services.
struct FileSystem {
    // Where the library's data lives: set by setInstallPath, else the
    // environment variable CV_UNITS_ROOT, else the folder above the one that
    // holds the loaded library (<prefix> for <prefix>/lib/libcv_units.so).
    static std::string getInstallPath();
    // Tests point the library at their own data; std::nullopt restores the default.
    static void setInstallPath(std::optional<std::string> path);

    static bool exists(const std::string& path);
    // The path in the platform's preferred form, made absolute and normal.
    static std::string nativePath(const std::string& path);
    // The file name without folders and without its last extension.
    static ustring fileStem(const ustring& path);
};

} // namespace CvUnitSys
