#pragma once

// Why two registered units do not convert, in the words a person can act on:
// the dimensions of each side, where they differ, the nearest fix and close
// matches for unknown symbols.

#include "units/cv_units.hpp"
#include "units/frontdoor/SymbolSuggestions.hpp"
#include "units/query/UnitTable.hpp"

#include <cstdint>
#include <optional>

namespace cv_units {

// Fills the fields of `comparison` that explain a failed comparison of the
// table's ids `a` and `b`. `suggestions` is made on first need and kept for the
// next call.
void explainComparison(CvUnitSys::UnitTable& table, std::int32_t a, std::int32_t b,
                       std::optional<SymbolSuggestions>& suggestions, Comparison& comparison);

// The unknown symbols of the id's text, each with its closest known symbols.
std::vector<Suggestion> unknownSymbols(CvUnitSys::UnitTable& table, std::int32_t id,
                                       std::optional<SymbolSuggestions>& suggestions);

} // namespace cv_units
