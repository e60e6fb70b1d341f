#include "units/db/BaseExpression.hpp"

#include "units/model/HashCombine.hpp"
#include "units/model/UnitBase.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <functional>

namespace CvUnitSys {

namespace {

bool exponentBefore(const Exponent& a, const Exponent& b) {
    return a.getPosExpo() < b.getPosExpo() ||
           (a.getPosExpo() == b.getPosExpo() && a.getNegExpo() < b.getNegExpo());
}

// +0.0 and -0.0 are the same exponent, so both hash to 0.
std::size_t hashDouble(double x) {
    return x == 0.0 ? 0 : static_cast<std::size_t>(std::bit_cast<std::uint64_t>(x));
}

} // namespace

bool TagExponentSortComparator::operator()(const BaseExpressionTerm& a,
                                           const BaseExpressionTerm& b) const {
    const int byTag = compareText(a.first, b.first);
    return byTag != 0 ? byTag < 0 : exponentBefore(a.second, b.second);
}

bool BaseExpressionMapComparator::operator()(const BaseExpression& x,
                                             const BaseExpression& y) const {
    const std::size_t common = std::min(x.size(), y.size());
    for (std::size_t i = 0; i < common; ++i) {
        const int byTag = compareText(x[i].first, y[i].first);
        if (byTag != 0) {
            return byTag < 0;
        }
        if (x[i].second != y[i].second) {
            return exponentBefore(x[i].second, y[i].second);
        }
    }
    return x.size() < y.size();
}

std::size_t BaseExpressionHash::operator()(const BaseExpression& x) const {
    std::size_t seed = 0;
    for (const auto& [tag, exponent] : x) {
        seed = hashCombine(seed, std::hash<ustring>()(tag));
        seed = hashCombine(seed, hashDouble(exponent.getSimplifiedExpo()));
    }
    return seed;
}

std::basic_ostream<char16_t>& operator<<(std::basic_ostream<char16_t>& out,
                                         const BaseExpression& expression) {
    out << u'{';
    for (std::size_t i = 0; i < expression.size(); ++i) {
        if (i != 0) {
            out << u" * ";
        }
        out << expression[i].first << u"^(" << expression[i].second.toUString() << u')';
    }
    return out << u'}';
}

} // namespace CvUnitSys
