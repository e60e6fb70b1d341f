#pragma once

// "Did you mean" candidates for unknown symbols, shared by every front end of the
// library (the front door's errors and comparisons, and through them the tool).

#include "units/db/UnitDBSet.hpp"
#include "units/foundation/UString.hpp"

#include <string>
#include <vector>

namespace cv_units {

// "Did you mean" candidates for a symbol the databases do not know: the set's
// approximate suggestions for units, best first, in UTF-8.
class SymbolSuggestions {
public:
    // The set must outlive the suggestions.
    explicit SymbolSuggestions(const CvUnitSys::UnitDBSet& set) : set_(set) {}

    std::vector<std::string> closest(const ustring& symbol, std::size_t limit = 5) const;

private:
    const CvUnitSys::UnitDBSet& set_;
};

} // namespace cv_units
