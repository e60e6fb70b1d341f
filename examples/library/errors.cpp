// What a refusal tells: the identifier, the message, the column of a parse
// error and what an unknown symbol may have meant.
#include "units/cv_units.hpp"

#include <iostream>

int main() {
    try {
        cv_units::convert(1, "metre/sekond", "m/s");
    } catch (const cv_units::UnitError& e) {
        std::cout << e.identifier() << '\n'; // CorvaneTypes:Unit:UnresolvedUnitsNotConvertible
        for (const cv_units::Suggestion& s : e.suggestions()) {
            std::cout << s.symbol << ": did you mean " << s.candidates.at(0) << "?\n";
        } // sekond: did you mean second?
    }
    try {
        cv_units::convert(1, "m*/s", "m");
    } catch (const cv_units::UnitError& e) {
        std::cout << "column " << e.column() << '\n' << e.what() << '\n';
        // column 3, then the message with the text and a caret under column 3
    }
    const cv_units::Comparison c = cv_units::compare("m/s", "m");
    std::cout << c.code << ' ' << c.name << ": " << c.explanation << '\n'
              << "nearest fix: " << c.fix.value_or("none") << '\n';
    // 5 DimensionallyInequivalent: the units have different dimensions
    // nearest fix: m is (m/s)*s in dimensions: multiply by a quantity of dimension s first
}
