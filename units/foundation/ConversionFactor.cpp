#include "units/foundation/ConversionFactor.hpp"

#include "units/foundation/DoubleAffineConversionFactor.hpp"
#include "units/foundation/DoubleConversionFactor.hpp"
#include "units/foundation/DoubleReciprocalConversionFactor.hpp"
#include "units/foundation/RationalAffineConversionFactor.hpp"
#include "units/foundation/ScaledRational.hpp"

#include <stdexcept>

namespace CvUnitSys {

const ConversionFactor ConversionFactor::unity{std::make_unique<ScaledRational>(1, 1, 0)};
const ConversionFactor ConversionFactor::zero{std::make_unique<ScaledRational>(0, 1, 0)};
const ustring ConversionFactor::defaultValue = u"1";

namespace {

std::unique_ptr<ConversionFactorImpl> cloneOf(const std::unique_ptr<ConversionFactorImpl>& f) {
    return f ? f->clone() : nullptr;
}

template <typename Kind> const Kind* as(const ConversionFactorImpl& f) {
    return dynamic_cast<const Kind*>(&f);
}

} // namespace

// Built afresh rather than cloned from unity, which may not be constructed yet
// when another static factor is.
ConversionFactor::ConversionFactor() : factor_(std::make_unique<ScaledRational>(1, 1, 0)) {}

ConversionFactor::ConversionFactor(std::unique_ptr<ConversionFactorImpl> factor, bool wellDefined)
    : factor_(std::move(factor)), wellDefined_(wellDefined) {}

ConversionFactor::ConversionFactor(const ConversionFactorImpl& factor, bool wellDefined)
    : factor_(factor.clone()), wellDefined_(wellDefined) {}

ConversionFactor::ConversionFactor(const ConversionFactor& o)
    : factor_(cloneOf(o.factor_)), wellDefined_(o.wellDefined_) {}

ConversionFactor& ConversionFactor::operator=(const ConversionFactor& o) {
    factor_ = cloneOf(o.factor_);
    wellDefined_ = o.wellDefined_;
    return *this;
}

ConversionFactor ConversionFactor::operator*(const ConversionFactor& o) const {
    const bool wellDefined = wellDefined_ && o.wellDefined_;
    if (isEmpty() || o.isEmpty()) {
        return ConversionFactor(nullptr, wellDefined);
    }
    return ConversionFactor(*factor_ * *o.factor_, wellDefined);
}

ConversionFactor& ConversionFactor::operator*=(const ConversionFactor& o) {
    *this = *this * o;
    return *this;
}

ConversionFactor ConversionFactor::operator/(const ConversionFactor& o) const {
    const bool wellDefined = wellDefined_ && o.wellDefined_;
    if (isEmpty() || o.isEmpty()) {
        return ConversionFactor(nullptr, wellDefined);
    }
    return ConversionFactor(*factor_ / *o.factor_, wellDefined);
}

ConversionFactor ConversionFactor::operator^(const Exponent& e) const {
    if (isEmpty() || e == 1) {
        return *this;
    }
    return ConversionFactor(*factor_ ^ e, wellDefined_);
}

ConversionFactor ConversionFactor::operator-() const {
    return ConversionFactor(isEmpty() ? nullptr : -*factor_, wellDefined_);
}

bool ConversionFactor::operator==(const ConversionFactor& o) const {
    if (isEmpty() || o.isEmpty()) {
        return isEmpty() && o.isEmpty();
    }
    return *factor_ == *o.factor_;
}

bool ConversionFactor::operator<(const ConversionFactor& o) const {
    return getFactor() < o.getFactor();
}

const ConversionFactorImpl& ConversionFactor::getFactor() const {
    if (isEmpty()) {
        throw std::logic_error("empty conversion factor");
    }
    return *factor_;
}

ustring ConversionFactor::toUString() const {
    if (isEmpty()) {
        return u"empty";
    }
    if (const auto* f = as<ScaledRational>(*factor_)) {
        return f->toUString();
    }
    if (const auto* f = as<DoubleConversionFactor>(*factor_)) {
        return f->toUString();
    }
    if (const auto* f = as<DoubleReciprocalConversionFactor>(*factor_)) {
        return f->toUString();
    }
    if (const auto* f = as<DoubleAffineConversionFactor>(*factor_)) {
        return f->toUString();
    }
    if (const auto* f = as<RationalAffineConversionFactor>(*factor_)) {
        return f->toUString();
    }
    throw std::logic_error("conversion factor of unknown kind");
}

} // namespace CvUnitSys
