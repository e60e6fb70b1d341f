#pragma once

// "Did you mean" candidates for unknown symbols, shared by every front end of the
// library (the front door's errors and comparisons, and through them the tool).

#include "units/db/UnitDBSet.hpp"
#include "units/foundation/UString.hpp"

#include <string>
#include <vector>

namespace cv_units {

// "Did you mean" candidates for a symbol the databases do not know: the
// symbols, ASCII symbols and names of every unit (prefixed ones included)
// within a small edit distance, closest first.
class SymbolSuggestions {
public:
    explicit SymbolSuggestions(const CvUnitSys::UnitDBSet& set);

    std::vector<std::string> closest(const ustring& symbol, std::size_t limit = 5) const;

private:
    std::vector<std::u32string> texts_;
};

} // namespace cv_units
