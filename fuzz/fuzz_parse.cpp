// The expression parser and the unit@quantity split. Beyond not crashing: only
// a ParsingError escapes, or std::out_of_range exactly when the text holds an
// unpaired surrogate; NoThrow agrees with the throwing parse; and the parsed
// expression, printed with its exponents in full, parses back to itself. The
// hand readers of common texts answer exactly as the grammar does.
#include "FuzzInput.hpp"
#include "units/expr/ParseUnitExpr.hpp"
#include "units/expr/ParseWithBuilder.hpp"
#include "units/expr/UnitComponentSplit.hpp"
#include "units/expr/UnitExprBuilder.hpp"
#include "units/platform/IException.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace {

ustring number(double x) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", x);
    return CvUnitSys::TextServices::fromLatin1(buffer);
}

// "(s)^p/(s)^n" per symbol: each part of each exponent survives, and a symbol
// is one token wherever it stands. A symbol "1" would read as "1/..." at the
// front, hence the parentheses.
ustring print(const UnitExpr& expr) {
    ustring out;
    for (const auto& [symbol, e] : expr.getExpr()) {
        out += (out.empty() ? u"(" : u"*(") + symbol + u")^" + number(e.getPosExpo()) + u"/(" +
               symbol + u")^" + number(e.getNegExpo());
    }
    return out;
}

bool sameDouble(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

bool same(const UnitExpr& a, const UnitExpr& b) {
    if (a.getExpr().size() != b.getExpr().size()) {
        return false;
    }
    for (auto i = a.getExpr().begin(), j = b.getExpr().begin(); i != a.getExpr().end(); ++i, ++j) {
        if (i->first != j->first || !sameDouble(i->second.getPosExpo(), j->second.getPosExpo()) ||
            !sameDouble(i->second.getNegExpo(), j->second.getNegExpo())) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ustring text = cv_units_fuzz::text(data, size);
    const bool wellFormed = !CvUnitSys::TextServices::findUnpairedSurrogate(text);

    UnitExpr parsed;
    bool parses = false;
    try {
        parseUnitExprThrows(text, parsed);
        parses = true;
    } catch (const CvUnitSys::IUserException& e) {
        if (e.getMessageIdentifier() != "CorvaneTypes:Unit:ParsingError" || !wellFormed) {
            std::abort();
        }
    } catch (const std::out_of_range&) {
        if (wellFormed) {
            std::abort();
        }
    }
    if (wellFormed) {
        UnitExpr again;
        if (parseUnitExprNoThrow(text, again) != parses || (parses && !same(again, parsed))) {
            std::abort();
        }
    }
    if (parses && !parsed.getExpr().empty()) {
        UnitExpr reparsed;
        if (!parseUnitExprNoThrow(print(parsed), reparsed) || !same(reparsed, parsed)) {
            std::abort();
        }
    }

    if (wellFormed) {
        if (const auto fast =
                CvUnitSys::CommonShapeParser<CvUnitSys::UnitExprBuilder>::parse(text)) {
            if (!parses || !same(*fast, parsed) ||
                !same(*fast, CvUnitSys::parseWithGrammarThrows<CvUnitSys::UnitExprBuilder>(text))) {
                std::abort();
            }
        }
        ustring handExpr;
        ustring handQualifier;
        ustring grammarExpr;
        ustring grammarQualifier;
        if (const auto split = CvUnitSys::splitAsciiUnitComponents(text, handExpr, handQualifier)) {
            if (CvUnitSys::splitUnitComponentsByGrammar(text, grammarExpr, grammarQualifier) !=
                    *split ||
                (*split && (handExpr != grammarExpr || handQualifier != grammarQualifier))) {
                std::abort();
            }
        }
    }

    ustring unitPart = u"?";
    ustring quantityPart = u"?";
    if (parseExprForUnitComponents(text, unitPart, quantityPart)) {
        // A part the split found is itself a whole text of that part's kind.
        ustring part;
        ustring none;
        if (!parseExprForUnitComponents(unitPart, part, none) || part != unitPart ||
            !none.empty()) {
            std::abort();
        }
    }
    return 0;
}
