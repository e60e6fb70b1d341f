#pragma once

#include "units/foundation/UString.hpp"

#include <initializer_list>
#include <string_view>
#include <vector>

// What "addToDatabase" of the scripting classes checks before it adds anything.
namespace CvUnitSys {

class UnitDatabase;

// The names of a comma-separated property, each trimmed; an empty or blank
// text names nothing.
std::vector<ustring> splitNames(const ustring& text);

// Throws `key` with the first name and the database's name unless every name
// is a valid name and the definition a valid unit expression; a definition
// that does not parse is refused the same way, its parse error as the cause.
void checkEntityTexts(std::string_view key, std::initializer_list<ustring> names,
                      const ustring& definition, const UnitDatabase& database);

} // namespace CvUnitSys
