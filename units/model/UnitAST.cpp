#include "units/model/UnitAST.hpp"

#include "units/foundation/ToleranceCompare.hpp"

namespace CvUnitSys {

UnitAST::UnitAST(UnitAST&& other) noexcept : ast_(std::move(other.ast_)) {
    other.ast_.clear();
}

UnitAST& UnitAST::operator=(UnitAST&& other) noexcept {
    ast_ = std::move(other.ast_);
    other.ast_.clear();
    return *this;
}

void UnitAST::addToAST(std::reference_wrapper<const UnitBase> unit, const Exponent& e) {
    auto [it, inserted] = ast_.try_emplace(unit, e);
    if (!inserted) {
        it->second += e;
    }
}

void UnitAST::addToAST(const UnitAST& other, const Exponent& e) {
    if (&other == this) {
        const UnitAST copy = other;
        addToAST(copy, e);
        return;
    }
    for (const auto& [unit, exponent] : other.ast_) {
        Exponent raised = exponent;
        raised *= e;
        addToAST(unit, raised);
    }
}

bool UnitAST::equal(const UnitAST& other, ExponentUsage usage) const {
    return usage == UsePosNegExpo ? equalOnBothParts(other) : equalOnSimplified(other);
}

bool UnitAST::equalOnBothParts(const UnitAST& other) const {
    if (ast_.size() != other.ast_.size()) {
        return false;
    }
    for (auto a = ast_.begin(), b = other.ast_.begin(); a != ast_.end(); ++a, ++b) {
        if (a->first.get().compare(b->first.get()) != 0 ||
            !equalWithinTolerance(a->second.getPosExpo(), b->second.getPosExpo()) ||
            !equalWithinTolerance(a->second.getNegExpo(), b->second.getNegExpo())) {
            return false;
        }
    }
    return true;
}

bool UnitAST::equalOnSimplified(const UnitAST& other) const {
    auto a = ast_.begin();
    auto b = other.ast_.begin();
    while (a != ast_.end() && b != other.ast_.end()) {
        const double sa = a->second.getSimplifiedExpo();
        const double sb = b->second.getSimplifiedExpo();
        const bool zeroA = isZeroWithinTolerance(sa);
        const bool zeroB = isZeroWithinTolerance(sb);
        if (!zeroA && !zeroB) {
            if (!equalWithinTolerance(sa, sb) || a->first.get().compare(b->first.get()) != 0) {
                return false;
            }
            ++a;
            ++b;
            continue;
        }
        if (zeroA) {
            ++a;
        }
        if (zeroB) {
            ++b;
        }
    }
    const auto restIsZero = [](Map::const_iterator it, Map::const_iterator end) {
        for (; it != end; ++it) {
            if (!isZeroWithinTolerance(it->second.getSimplifiedExpo())) {
                return false;
            }
        }
        return true;
    };
    return restIsZero(a, ast_.end()) && restIsZero(b, other.ast_.end());
}

ustring UnitAST::toUString() const {
    ustring out;
    for (const auto& [unit, exponent] : ast_) {
        out += unit.get().getAsciiSymbol();
        out += u'^';
        out += exponent.toUString();
    }
    return out;
}

} // namespace CvUnitSys
