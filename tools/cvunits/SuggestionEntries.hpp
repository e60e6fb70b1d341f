#pragma once

#include "units/model/UnitBase.hpp"

#include <cstddef>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace cvunits {

// What the suggestion commands print for one entity: its kind, symbol, name
// and physical quantity.
nlohmann::ordered_json describeEntry(const CvUnitSys::UnitBase& entity);
// The same as one line of tab-separated columns: the text to type (symbol,
// or a quantity's name), name, physical quantity and, in parentheses, kind.
std::string entryLine(const CvUnitSys::UnitBase& entity);

// The commands' own arguments: the one text they work on, an optional
// "--limit N" (0: no limit) and flags the command accepts.
struct SuggestionArgs {
    std::string text;
    std::size_t limit;
    std::vector<std::string> flags;
};
std::optional<SuggestionArgs> readSuggestionArgs(const std::vector<std::string>& args,
                                                 std::size_t defaultLimit,
                                                 const std::vector<std::string>& allowedFlags);

} // namespace cvunits
