#include "units/platform/LibZip.hpp"

#include "units/platform/PackageError.hpp"

#include <dlfcn.h>
#include <string>

namespace CvUnitSys {

namespace {

template <typename Function> void bind(void* library, Function& function, const char* name) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    if (function == nullptr) {
        throw PackageError(std::string("libzip has no function ") + name);
    }
}

LibZip load() {
    // Never closed: the functions stay valid for the life of the process.
    void* library = dlopen(CV_UNITS_LIBZIP_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* why = dlerror();
        throw PackageError(std::string("cannot load " CV_UNITS_LIBZIP_SONAME ": ") +
                           (why != nullptr ? why : "unknown error"));
    }
    LibZip zip{};
    bind(library, zip.open, "zip_open");
    bind(library, zip.close, "zip_close");
    bind(library, zip.discard, "zip_discard");
    bind(library, zip.strerror, "zip_strerror");
    bind(library, zip.errorInitWithCode, "zip_error_init_with_code");
    bind(library, zip.errorStrerror, "zip_error_strerror");
    bind(library, zip.errorFini, "zip_error_fini");
    bind(library, zip.nameLocate, "zip_name_locate");
    bind(library, zip.statInit, "zip_stat_init");
    bind(library, zip.stat, "zip_stat");
    bind(library, zip.fopen, "zip_fopen");
    bind(library, zip.fread, "zip_fread");
    bind(library, zip.fclose, "zip_fclose");
    bind(library, zip.sourceBuffer, "zip_source_buffer");
    bind(library, zip.sourceFree, "zip_source_free");
    bind(library, zip.fileAdd, "zip_file_add");
    return zip;
}

} // namespace

const LibZip& LibZip::get() {
    // A failed load throws out of the initialisation, so the next call tries again.
    static const LibZip zip = load();
    return zip;
}

} // namespace CvUnitSys
