#pragma once

#include "units/db/UnitDBSet.hpp"
#include "units/foundation/UString.hpp"

#include <string>
#include <vector>

namespace cvunits {

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

} // namespace cvunits
