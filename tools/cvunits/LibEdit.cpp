#include "LibEdit.hpp"

#include "units/platform/RuntimeLibrary.hpp"

#include <stdexcept>

namespace cvunits {

namespace {

LibEdit load() {
    const CvUnitSys::RuntimeLibrary<std::runtime_error> library(CVUNITS_LIBEDIT_SONAME, "libedit");
    LibEdit edit{};
    library.bind(edit.init, "el_init");
    library.bind(edit.end, "el_end");
    library.bind(edit.set, "el_set");
    library.bind(edit.wset, "el_wset");
    library.bind(edit.getValue, "el_get");
    library.bind(edit.gets, "el_gets");
    library.bind(edit.source, "el_source");
    library.bind(edit.line, "el_line");
    library.bind(edit.deleteString, "el_deletestr");
    library.bind(edit.insertString, "el_insertstr");
    library.bind(edit.historyInit, "history_init");
    library.bind(edit.historyEnd, "history_end");
    library.bind(edit.history, "history");
    return edit;
}

} // namespace

const LibEdit& LibEdit::get() {
    // A failed load throws out of the initialisation, so the next call tries again.
    static const LibEdit edit = load();
    return edit;
}

} // namespace cvunits
