#pragma once

#include "units/expr/UnitExpr.hpp"
#include "units/expr/UnitExprWithTexts.hpp"

#include <array>
#include <cstddef>
#include <tuple>
#include <vector>

namespace expr_test {

// Symbols in order with both exponent parts, compared exactly: the parse
// must not change how exponents are summed.
using Entries = std::vector<std::tuple<ustring, double, double>>;

inline Entries entriesOf(const UnitExpr& expr) {
    Entries out;
    for (const auto& [symbol, e] : expr.getExpr()) {
        out.emplace_back(symbol, e.getPosExpo(), e.getNegExpo());
    }
    return out;
}

inline Entries entriesOf(const CvUnitSys::UnitExprWithTexts& parsed) {
    Entries out;
    for (const auto& symbol : parsed.symbols) {
        out.emplace_back(ustring(symbol.text), symbol.exponent.getPosExpo(),
                         symbol.exponent.getNegExpo());
    }
    return out;
}

// The four texts, each where the parse left it.
inline std::array<ustring, 4> textsOf(const CvUnitSys::UnitExprWithTexts& parsed,
                                      const ustring& text) {
    std::array<ustring, 4> texts;
    for (std::size_t form = 0; form < texts.size(); ++form) {
        texts[form] = parsed.texts.of(form, text);
    }
    return texts;
}

} // namespace expr_test
