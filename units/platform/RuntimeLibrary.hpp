#pragma once

#include <dlfcn.h>
#include <string>

namespace CvUnitSys {

// A shared library opened when first needed rather than at start, and never
// closed: the functions bound from it stay valid for the life of the process.
// Failures throw `Error` with a message that names the library.
template <typename Error> class RuntimeLibrary {
public:
    RuntimeLibrary(const char* soname, const char* label)
        : label_(label), handle_(dlopen(soname, RTLD_NOW | RTLD_LOCAL)) {
        if (handle_ == nullptr) {
            const char* why = dlerror();
            throw Error(std::string("cannot load ") + soname + ": " +
                        (why != nullptr ? why : "unknown error"));
        }
    }

    template <typename Function> void bind(Function& function, const char* name) const {
        function = reinterpret_cast<Function>(dlsym(handle_, name));
        if (function == nullptr) {
            throw Error(std::string(label_) + " has no function " + name);
        }
    }

private:
    const char* label_;
    void* handle_;
};

} // namespace CvUnitSys
