#pragma once

// Products of base factors: the form in which the reduction maps compare
// physical quantities and units.

#include "units/foundation/Exponent.hpp"
#include "units/foundation/UString.hpp"

#include <cstddef>
#include <ostream>
#include <utility>
#include <vector>

namespace CvUnitSys {

// A product of tagged factors in list order, each tag (a quantity name or a
// unit symbol) with its exponent. Nothing is combined unless a caller
// simplifies: a tag may repeat.
using BaseExpressionTerm = std::pair<ustring, Exponent>;
using BaseExpression = std::vector<BaseExpressionTerm>;

// Orders terms by tag (code units, a prefix first), then by the numerator
// and denominator parts of the exponent.
struct TagExponentSortComparator {
    bool operator()(const BaseExpressionTerm& a, const BaseExpressionTerm& b) const;
};

// Orders whole expressions term by term; exponents that are equal within the
// exponent tolerance do not decide; a list that runs out first comes first.
struct BaseExpressionMapComparator {
    bool operator()(const BaseExpression& x, const BaseExpression& y) const;
};

// Agrees with BaseExpressionMapComparator where exponents have equal simplified
// values, which is how every expression the maps store is built.
struct BaseExpressionHash {
    std::size_t operator()(const BaseExpression& x) const;
};

// "{tag^(pos:neg) * ...}"; "{}" for an empty list.
std::basic_ostream<char16_t>& operator<<(std::basic_ostream<char16_t>& out,
                                         const BaseExpression& expression);

} // namespace CvUnitSys
