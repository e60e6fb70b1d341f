#include "units/platform/FileSystem.hpp"

#include "units/platform/TextServices.hpp"

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <link.h>
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
    link_map* object = nullptr;
    if (dladdr1(reinterpret_cast<void*>(&FileSystem::getInstallPath), &info,
                reinterpret_cast<void**>(&object), RTLD_DL_LINKMAP) == 0 ||
        info.dli_fname == nullptr || object == nullptr) {
        return fs::current_path().string();
    }
    std::error_code ec;
    // Linked into a program (the tool is), the code's file is the program, which the
    // loader names as it was typed, perhaps found through PATH: the kernel knows it.
    const bool inProgram = object->l_name[0] == '\0';
    const fs::path file =
        fs::weakly_canonical(inProgram ? fs::path("/proc/self/exe") : fs::path(info.dli_fname), ec);
    return file.parent_path().parent_path().string();
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
