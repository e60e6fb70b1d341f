#pragma once

#include "units/foundation/ConversionFactorImpl.hpp"
#include "units/foundation/DoubleConversionFactor.hpp"
#include "units/foundation/Exponent.hpp"
#include "units/foundation/ScaledRational.hpp"
#include "units/foundation/UString.hpp"

#include <memory>
#include <variant>

namespace CvUnitSys {

// Value type over one polymorphic factor; copies clone it. The plain and
// exact scales, which nearly every unit carries, are held in place rather than
// on the heap, and combine without allocating. A combination that
// has no meaning (affine with reciprocal, powers of affine maps) leaves the
// result empty: test isEmpty() before querying it. The well-defined flag marks
// factors computed from approximations; it takes no part in comparisons.
class ConversionFactor {
public:
    // 1/1 * 10^0 and 0/1 * 10^0 as ScaledRational.
    static const ConversionFactor unity;
    static const ConversionFactor zero;
    // The factor text of entities that have no factor of their own.
    static const ustring defaultValue;

    // Unity.
    ConversionFactor();
    explicit ConversionFactor(std::unique_ptr<ConversionFactorImpl> factor,
                              bool wellDefined = true);
    explicit ConversionFactor(const ConversionFactorImpl& factor, bool wellDefined = true);
    ConversionFactor(const ConversionFactor& o);
    ConversionFactor(ConversionFactor&& o) noexcept;
    ConversionFactor& operator=(const ConversionFactor& o);
    ConversionFactor& operator=(ConversionFactor&& o) noexcept;
    ~ConversionFactor() = default;

    ConversionFactor operator*(const ConversionFactor& o) const;
    ConversionFactor& operator*=(const ConversionFactor& o);
    ConversionFactor operator/(const ConversionFactor& o) const;
    ConversionFactor operator^(const Exponent& e) const;
    ConversionFactor operator-() const;

    // Two empty factors are equal, an empty and a held one are not; ordering
    // an empty factor throws std::logic_error.
    bool operator==(const ConversionFactor& o) const;
    bool operator!=(const ConversionFactor& o) const { return !(*this == o); }
    bool operator<(const ConversionFactor& o) const;
    // Same kind, same value and same flag: one may stand for the other in
    // every use, which == (a double 1 equals the exact 1) does not promise.
    bool isIdentical(const ConversionFactor& o) const;

    // These throw std::logic_error on an empty factor.
    double toDouble() const { return getFactor().toDouble(); }
    double operator()() const { return getFactor()(); }
    double getOffset() const { return getFactor().getOffset(); }
    bool isAffine() const { return getFactor().isAffine(); }
    bool isReciprocal() const { return getFactor().isReciprocal(); }
    const ConversionFactorImpl& getFactor() const;

    bool isEmpty() const { return factor_.index() == 0; }
    // The exact scale held, or null for any other kind.
    const ScaledRational* exactScale() const { return std::get_if<ScaledRational>(&factor_); }
    bool isWellDefined() const { return wellDefined_; }
    void setWellDefined(bool wellDefined) { wellDefined_ = wellDefined; }

    // The held factor in its kind's text form, "empty" when there is none.
    ustring toUString() const;

private:
    // Nothing, a scale held in place, or another kind on the heap (never null).
    using Held = std::variant<std::monostate, ScaledRational, DoubleConversionFactor,
                              std::unique_ptr<ConversionFactorImpl>>;

    // Tagged, so that it never competes with the public constructors.
    struct InPlace {};
    ConversionFactor(InPlace, Held factor, bool wellDefined);
    static Held hold(std::unique_ptr<ConversionFactorImpl> factor);
    static Held hold(const ConversionFactorImpl& factor);
    static Held hold(ScaledRational::Scale scale);
    static Held copyOf(const Held& factor);
    const ConversionFactorImpl* held() const;
    // Neither affine nor reciprocal: hold() keeps every such kind in place.
    bool isScale() const { return factor_.index() == 1 || factor_.index() == 2; }

    // The flag sits in the variant's padding: a definition is kept for every
    // registered unit, and each holds a factor.
    [[no_unique_address]] Held factor_;
    bool wellDefined_ = true;
};

} // namespace CvUnitSys
