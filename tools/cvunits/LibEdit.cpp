#include "LibEdit.hpp"

#include <dlfcn.h>
#include <stdexcept>
#include <string>

namespace cvunits {

namespace {

template <typename Function> void bind(void* library, Function& function, const char* name) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    if (function == nullptr) {
        throw std::runtime_error(std::string("libedit has no function ") + name);
    }
}

LibEdit load() {
    // Never closed: the functions stay valid for the life of the process.
    void* library = dlopen(CVUNITS_LIBEDIT_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* why = dlerror();
        throw std::runtime_error(std::string("cannot load " CVUNITS_LIBEDIT_SONAME ": ") +
                                 (why != nullptr ? why : "unknown error"));
    }
    LibEdit edit{};
    bind(library, edit.init, "el_init");
    bind(library, edit.end, "el_end");
    bind(library, edit.set, "el_set");
    bind(library, edit.wset, "el_wset");
    bind(library, edit.getValue, "el_get");
    bind(library, edit.gets, "el_gets");
    bind(library, edit.source, "el_source");
    bind(library, edit.line, "el_line");
    bind(library, edit.deleteString, "el_deletestr");
    bind(library, edit.insertString, "el_insertstr");
    bind(library, edit.historyInit, "history_init");
    bind(library, edit.historyEnd, "history_end");
    bind(library, edit.history, "history");
    return edit;
}

} // namespace

const LibEdit& LibEdit::get() {
    // A failed load throws out of the initialisation, so the next call tries again.
    static const LibEdit edit = load();
    return edit;
}

} // namespace cvunits
