#pragma once

#include "units/foundation/Exponent.hpp"
#include "units/foundation/UString.hpp"

#include <map>

// A parsed unit expression: each symbol as typed, with its exponent. Nothing is
// cancelled, so m/m keeps m with the exponent (1, 1).
class UnitExpr {
public:
    using Map = std::map<ustring, CvUnitSys::Exponent>;

    UnitExpr() = default;
    explicit UnitExpr(const ustring& symbol);
    UnitExpr(const ustring& symbol, const CvUnitSys::Exponent& e);
    UnitExpr(const UnitExpr&) = default;
    UnitExpr(UnitExpr&&) noexcept = default;
    // Writes every entry of `other` into this one; entries `other` lacks are kept.
    UnitExpr& operator=(const UnitExpr& other);
    UnitExpr& operator=(UnitExpr&& other) noexcept;

    // Writes one entry, as assigning a one-entry expression does, without building one.
    void set(const ustring& symbol, const CvUnitSys::Exponent& e);

    UnitExpr& operator*=(const UnitExpr& other);
    UnitExpr& operator/=(const UnitExpr& other);
    // As above, taking the entries of `other` instead of copying them; `other` is left empty.
    UnitExpr& operator*=(UnitExpr&& other);
    UnitExpr& operator/=(UnitExpr&& other);
    UnitExpr& operator^=(const CvUnitSys::Exponent& e);
    UnitExpr operator^(const CvUnitSys::Exponent& e) const;
    UnitExpr invert() const;
    const UnitExpr& getReducedUnitExpr() const { return *this; }

    const Map& getExpr() const { return expr_; }
    bool empty() const { return expr_.empty(); }
    bool operator==(const UnitExpr& other) const { return expr_ == other.expr_; }

private:
    void add(const ustring& symbol, const CvUnitSys::Exponent& e);
    void take(Map& other, bool invert);

    Map expr_;
};
