#pragma once

#include <histedit.h>

namespace cvunits {

// The functions of libedit that the prompt calls, loaded when a prompt first
// starts: a command that answers and ends loads neither libedit nor the
// terminal libraries under it.
struct LibEdit {
    decltype(&::el_init) init;
    decltype(&::el_end) end;
    decltype(&::el_set) set;
    decltype(&::el_wset) wset;
    decltype(&::el_get) getValue;
    decltype(&::el_gets) gets;
    decltype(&::el_source) source;
    decltype(&::el_line) line;
    decltype(&::el_deletestr) deleteString;
    decltype(&::el_insertstr) insertString;
    decltype(&::history_init) historyInit;
    decltype(&::history_end) historyEnd;
    decltype(&::history) history;

    // Throws std::runtime_error when the library or one of its functions is missing.
    static const LibEdit& get();
};

} // namespace cvunits
