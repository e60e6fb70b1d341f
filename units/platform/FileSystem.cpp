#include "units/platform/FileSystem.hpp"

#include "units/platform/TextServices.hpp"

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <mutex>

namespace CvUnitSys {

namespace {

namespace fs = std::filesystem;

std::mutex& overrideMutex() {
    static std::mutex m;
    return m;
}

std::optional<std::string>& installOverride() {
    static std::optional<std::string> path;
    return path;
}

std::string libraryParentFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&FileSystem::getInstallPath), &info) == 0 ||
        info.dli_fname == nullptr) {
        return fs::current_path().string();
    }
    std::error_code ec;
    const fs::path library = fs::weakly_canonical(fs::path(info.dli_fname), ec);
    return library.parent_path().parent_path().string();
}

} // namespace

std::string FileSystem::getInstallPath() {
    {
        std::lock_guard lock(overrideMutex());
        if (installOverride()) {
            return *installOverride();
        }
    }
    if (const char* root = std::getenv("CV_UNITS_ROOT"); root != nullptr && *root != '\0') {
        return root;
    }
    return libraryParentFolder();
}

void FileSystem::setInstallPath(std::optional<std::string> path) {
    std::lock_guard lock(overrideMutex());
    installOverride() = std::move(path);
}

bool FileSystem::exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::path(path), ec);
}

std::string FileSystem::nativePath(const std::string& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(fs::path(path), ec);
    return (ec ? fs::path(path) : absolute).lexically_normal().make_preferred().string();
}

ustring FileSystem::fileStem(const ustring& path) {
    return TextServices::fromUtf8(fs::path(TextServices::toUtf8(path)).stem().string());
}

} // namespace CvUnitSys
