#pragma once

#include <iosfwd>

namespace cvunits {

// Answers lines "FROM<TAB>TO", one output line per input line and in order:
// "scale<TAB>offset<TAB>inverted" or "error<TAB><identifier><TAB><message>"
// (with `json`, one JSON object per line). With `values`, lines are
// "VALUE<TAB>FROM<TAB>TO" and each answer is the converted value. Units are
// read as people type them. A bad line never stops the run.
void runBatch(std::istream& in, std::ostream& out, bool json, bool values);

} // namespace cvunits
