#pragma once

#include "units/foundation/Exponent.hpp"

#include <memory>

namespace CvUnitSys {

// One conversion map y = f(x). Combinations return a new factor, possibly of
// another kind, or an empty pointer when the combination has no meaning (an
// affine map composed with a reciprocal one). The order of the virtual
// operations is part of the interface and must not change.
class ConversionFactorImpl {
public:
    using Ptr = std::unique_ptr<ConversionFactorImpl>;

    virtual ~ConversionFactorImpl() = default;
    virtual Ptr clone() const = 0;
    // f * g applies g first, then f.
    virtual Ptr operator*(const ConversionFactorImpl& o) const = 0;
    virtual Ptr operator^(const Exponent& e) const = 0;
    // f / g applies f first, then the inverse of g.
    virtual Ptr operator/(const ConversionFactorImpl& o) const = 0;
    virtual Ptr operator-() const = 0;
    // Exact comparisons: factors carry no tolerance.
    virtual bool operator==(const ConversionFactorImpl& o) const = 0;
    virtual bool operator!=(const ConversionFactorImpl& o) const { return !(*this == o); }
    virtual bool operator<(const ConversionFactorImpl& o) const = 0;
    virtual double toDouble() const = 0;
    virtual double operator()() const { return toDouble(); }
    virtual double getOffset() const { return 0.0; }
    virtual bool isAffine() const { return false; }
    virtual bool isReciprocal() const { return false; }

protected:
    ConversionFactorImpl() = default;
    ConversionFactorImpl(const ConversionFactorImpl&) = default;
    ConversionFactorImpl(ConversionFactorImpl&&) = default;
    ConversionFactorImpl& operator=(const ConversionFactorImpl&) = default;
    ConversionFactorImpl& operator=(ConversionFactorImpl&&) = default;
};

} // namespace CvUnitSys
