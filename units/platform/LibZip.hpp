#pragma once

#include <zip.h>

namespace CvUnitSys {

// The functions of libzip that the package services call, loaded on first
// use: a process that never reads or writes a user package loads neither
// libzip nor the cryptography library that comes with it.
struct LibZip {
    decltype(&::zip_open) open;
    decltype(&::zip_close) close;
    decltype(&::zip_discard) discard;
    decltype(&::zip_strerror) strerror;
    decltype(&::zip_error_init_with_code) errorInitWithCode;
    decltype(&::zip_error_strerror) errorStrerror;
    decltype(&::zip_error_fini) errorFini;
    decltype(&::zip_name_locate) nameLocate;
    decltype(&::zip_stat_init) statInit;
    decltype(&::zip_stat) stat;
    decltype(&::zip_fopen) fopen;
    decltype(&::zip_fread) fread;
    decltype(&::zip_fclose) fclose;
    decltype(&::zip_source_buffer) sourceBuffer;
    decltype(&::zip_source_free) sourceFree;
    decltype(&::zip_file_add) fileAdd;

    // Throws PackageError when the library or one of its functions is missing.
    static const LibZip& get();
};

} // namespace CvUnitSys
