#include "units/platform/LibZip.hpp"

#include "units/platform/PackageError.hpp"
#include "units/platform/RuntimeLibrary.hpp"

namespace CvUnitSys {

namespace {

LibZip load() {
    const RuntimeLibrary<PackageError> library(CV_UNITS_LIBZIP_SONAME, "libzip");
    LibZip zip{};
    library.bind(zip.open, "zip_open");
    library.bind(zip.close, "zip_close");
    library.bind(zip.discard, "zip_discard");
    library.bind(zip.strerror, "zip_strerror");
    library.bind(zip.errorInitWithCode, "zip_error_init_with_code");
    library.bind(zip.errorStrerror, "zip_error_strerror");
    library.bind(zip.errorFini, "zip_error_fini");
    library.bind(zip.nameLocate, "zip_name_locate");
    library.bind(zip.statInit, "zip_stat_init");
    library.bind(zip.stat, "zip_stat");
    library.bind(zip.fopen, "zip_fopen");
    library.bind(zip.fread, "zip_fread");
    library.bind(zip.fclose, "zip_fclose");
    library.bind(zip.sourceBuffer, "zip_source_buffer");
    library.bind(zip.sourceFree, "zip_source_free");
    library.bind(zip.fileAdd, "zip_file_add");
    return zip;
}

} // namespace

const LibZip& LibZip::get() {
    // A failed load throws out of the initialisation, so the next call tries again.
    static const LibZip zip = load();
    return zip;
}

} // namespace CvUnitSys
