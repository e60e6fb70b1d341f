#pragma once

#include "units/expr/FormTexts.hpp"
#include "units/expr/ParsedSymbol.hpp"
#include "units/expr/TextTape.hpp"
#include "units/expr/UnitExpr.hpp"
#include "units/foundation/UString.hpp"

#include <array>
#include <boost/container/small_vector.hpp>
#include <boost/optional.hpp>
#include <string_view>

namespace CvUnitSys {

class UnitDatabase;

// A unit expression parsed once for everything a new unit needs: its symbols
// with their exponents and what the built-in database answered for them while
// the texts were built, and its four converted texts. The texts are views into
// the buffers that wrote them, kept here, so the result stays where it is made.
class UnitExprWithTexts {
public:
    // Whether the display and name forms are written, or left to the unit to
    // make when asked for them (by formsMadeLater).
    enum class Forms : bool { All, MadeLater };

    // The database the symbols were looked up in; the tape's, so set first.
    const UnitDatabase* lookedUpIn;

private:
    TextTapeBuilder taped_;
    // The grammar's texts, when the tape left the text to it: seldom made.
    boost::optional<std::array<ustring, 4>> grammarTexts_;

public:
    // Throws as parseUnitExprThrows does. The text must outlive the result.
    explicit UnitExprWithTexts(const ustring& text, Forms forms = Forms::All);
    UnitExprWithTexts(const UnitExprWithTexts&) = delete;
    UnitExprWithTexts& operator=(const UnitExprWithTexts&) = delete;

    // Each symbol once, in the order of UnitExpr's map. Their texts are views
    // into the text parsed, or into `owned` when the grammar parsed it.
    boost::container::small_vector<ParsedSymbol, 4> symbols;
    // The converted texts; a form equal to the text parsed refers to it.
    FormTexts texts;
    // Every symbol is a valid unit name (isValidStringForUnitName).
    bool symbolsAreNames = true;
    UnitExpr owned;

    // The name and display forms of an expression read before: the maker of
    // the units whose forms are made later. Like the forms written at once,
    // they come from the built-in database, as it is when they are asked for.
    static std::array<ustring, 2> formsMadeLater(std::u16string_view expression);
};

} // namespace CvUnitSys
