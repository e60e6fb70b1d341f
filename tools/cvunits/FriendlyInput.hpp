#pragma once

// Unit texts as people type them ("miles per hour", "kg m", "m·s⁻²",
// "L/100km"), read into the library's notation. The library's grammar stays
// strict; the tool accepts the looser forms and says what it understood.

#include "units/cv_units.hpp"

#include <boost/multiprecision/cpp_int.hpp>
#include <iosfwd>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace cvunits {

struct TypedUnit {
    std::string typed; // as the user typed it
    std::string text;  // in the library's notation
    bool rewritten = false;
    // The number the typed text carries besides its units: "L/100km" is
    // 1/100 L/km. The library's grammar has no numbers, so the answer applies it.
    boost::multiprecision::cpp_rational scale{1};
    bool scaled = false; // scale is not 1: asked often, and rationals compare slowly
};

// A text that parses and resolves as it stands is taken as it is. Otherwise
// plural unit names, "per", a space between units, Unicode superscripts, the
// middle dot, the minus sign and numbers are read into the library's notation.
// Throws cv_units::UnitError when the text, as typed or as read, does not
// parse or resolve (the library's diagnostic, with suggestions), when an
// exponent is not finite ("cvunits:NonFiniteExponent"), and when a reading is
// ambiguous ("cvunits:AmbiguousInput", with the reason); each with its column.
TypedUnit readTypedUnit(std::string_view typed);

// When a word is the name of a physical quantity, or an everyday word for
// one ("speed"), where a unit was expected: says so and names some of its
// units.
std::optional<std::string> quantityHint(std::string_view word);

// "understood 'miles per hour' as 'mi/h'", with the scale when there is one.
std::string understoodText(const TypedUnit& unit);
// That line for each of the units that was rewritten.
void printUnderstood(std::ostream& out, const TypedUnit& a, const TypedUnit& b);
// {"from": {"typed": ..., "text": ..., "scale": ...}} for each rewritten unit
// (keys "from" and "to"); empty when none was.
nlohmann::json understoodJson(const TypedUnit& from, const TypedUnit& to);

// The library's error with the units named as the user typed them: it
// quotes the texts it was given.
cv_units::UnitError inTypedWords(const cv_units::UnitError& error, const TypedUnit& a,
                                 const TypedUnit& b);

} // namespace cvunits
