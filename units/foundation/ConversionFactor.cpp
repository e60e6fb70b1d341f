#include "units/foundation/ConversionFactor.hpp"

#include "units/foundation/DoubleAffineConversionFactor.hpp"
#include "units/foundation/DoubleReciprocalConversionFactor.hpp"
#include "units/foundation/ExtendedValue.hpp"
#include "units/foundation/RationalAffineConversionFactor.hpp"
#include "units/foundation/ScaleConversionFactorRules.hpp"

#include <stdexcept>
#include <typeinfo>
#include <utility>

namespace CvUnitSys {

const ConversionFactor ConversionFactor::unity{std::make_unique<ScaledRational>(1, 1, 0)};
const ConversionFactor ConversionFactor::zero{std::make_unique<ScaledRational>(0, 1, 0)};
const ustring ConversionFactor::defaultValue = u"1";

namespace {

using Heap = std::unique_ptr<ConversionFactorImpl>;

template <typename Kind> const Kind* as(const ConversionFactorImpl& f) {
    return dynamic_cast<const Kind*>(&f);
}

// What extendedValue gives for a kind held in place, without asking its kind.
template <typename Held> long double scaleValue(const Held& factor) {
    if (const auto* rational = std::get_if<ScaledRational>(&factor)) {
        return extendedValue(*rational);
    }
    return std::get_if<DoubleConversionFactor>(&factor)->toDouble();
}

} // namespace

ConversionFactor::Held ConversionFactor::hold(std::unique_ptr<ConversionFactorImpl> factor) {
    if (factor == nullptr) {
        return {};
    }
    const ConversionFactorImpl& kind = *factor;
    if (typeid(kind) == typeid(ScaledRational) || typeid(kind) == typeid(DoubleConversionFactor)) {
        return hold(kind);
    }
    return Held(std::move(factor));
}

ConversionFactor::Held ConversionFactor::hold(const ConversionFactorImpl& factor) {
    if (typeid(factor) == typeid(ScaledRational)) {
        return Held(std::in_place_type<ScaledRational>, static_cast<const ScaledRational&>(factor));
    }
    if (typeid(factor) == typeid(DoubleConversionFactor)) {
        return Held(std::in_place_type<DoubleConversionFactor>,
                    static_cast<const DoubleConversionFactor&>(factor));
    }
    return Held(factor.clone());
}

ConversionFactor::Held ConversionFactor::hold(ScaledRational::Scale scale) {
    return std::visit(
        [](auto& kind) {
            return Held(std::in_place_type<std::decay_t<decltype(kind)>>, std::move(kind));
        },
        scale);
}

// The kinds held in place copy as they are; only another kind is cloned.
ConversionFactor::Held ConversionFactor::copyOf(const Held& factor) {
    switch (factor.index()) {
    case 1:
        return Held(std::in_place_index<1>, *std::get_if<1>(&factor));
    case 2:
        return Held(std::in_place_index<2>, *std::get_if<2>(&factor));
    case 3:
        return hold(**std::get_if<3>(&factor));
    default:
        return {};
    }
}

const ConversionFactorImpl* ConversionFactor::held() const {
    switch (factor_.index()) {
    case 1:
        return std::get_if<ScaledRational>(&factor_);
    case 2:
        return std::get_if<DoubleConversionFactor>(&factor_);
    case 3:
        return std::get_if<Heap>(&factor_)->get();
    default:
        return nullptr;
    }
}

// Built afresh rather than copied from unity, which may not be constructed yet
// when another static factor is.
ConversionFactor::ConversionFactor() : factor_(std::in_place_type<ScaledRational>, 1, 1, 0) {}

ConversionFactor::ConversionFactor(std::unique_ptr<ConversionFactorImpl> factor, bool wellDefined)
    : factor_(hold(std::move(factor))), wellDefined_(wellDefined) {}

ConversionFactor::ConversionFactor(const ConversionFactorImpl& factor, bool wellDefined)
    : factor_(hold(factor)), wellDefined_(wellDefined) {}

ConversionFactor::ConversionFactor(InPlace, Held factor, bool wellDefined)
    : factor_(std::move(factor)), wellDefined_(wellDefined) {}

ConversionFactor::ConversionFactor(const ConversionFactor& o)
    : factor_(copyOf(o.factor_)), wellDefined_(o.wellDefined_) {}

// The source is left empty: a moved-from heap kind would otherwise hold a null
// pointer while reading as a factor.
ConversionFactor::ConversionFactor(ConversionFactor&& o) noexcept
    : factor_(std::exchange(o.factor_, Held())), wellDefined_(o.wellDefined_) {}

ConversionFactor& ConversionFactor::operator=(ConversionFactor&& o) noexcept {
    factor_ = std::exchange(o.factor_, Held());
    wellDefined_ = o.wellDefined_;
    return *this;
}

ConversionFactor& ConversionFactor::operator=(const ConversionFactor& o) {
    if (this != &o) {
        factor_ = copyOf(o.factor_);
    }
    wellDefined_ = o.wellDefined_;
    return *this;
}

ConversionFactor ConversionFactor::operator*(const ConversionFactor& o) const {
    const bool wellDefined = wellDefined_ && o.wellDefined_;
    if (isEmpty() || o.isEmpty()) {
        return ConversionFactor(InPlace{}, Held(), wellDefined);
    }
    const auto* a = std::get_if<ScaledRational>(&factor_);
    const auto* b = std::get_if<ScaledRational>(&o.factor_);
    if (a != nullptr && b != nullptr) {
        return ConversionFactor(InPlace{}, hold(a->product(*b)), wellDefined);
    }
    if (isScale() && o.isScale()) {
        return ConversionFactor(InPlace{},
                                Held(std::in_place_type<DoubleConversionFactor>,
                                     ScaleConversionFactorRules::plainProduct(
                                         scaleValue(factor_), scaleValue(o.factor_))),
                                wellDefined);
    }
    return ConversionFactor(*held() * *o.held(), wellDefined);
}

ConversionFactor& ConversionFactor::operator*=(const ConversionFactor& o) {
    // Definitions multiply exact scales part by part: in place.
    const auto* a = std::get_if<ScaledRational>(&factor_);
    const auto* b = std::get_if<ScaledRational>(&o.factor_);
    if (a != nullptr && b != nullptr) {
        factor_ = hold(a->product(*b));
        wellDefined_ = wellDefined_ && o.wellDefined_;
        return *this;
    }
    *this = *this * o;
    return *this;
}

ConversionFactor ConversionFactor::operator/(const ConversionFactor& o) const {
    const bool wellDefined = wellDefined_ && o.wellDefined_;
    if (isEmpty() || o.isEmpty()) {
        return ConversionFactor(InPlace{}, Held(), wellDefined);
    }
    if (isScale() && o.isScale()) {
        return ConversionFactor(InPlace{},
                                Held(std::in_place_type<DoubleConversionFactor>,
                                     ScaleConversionFactorRules::plainQuotient(
                                         scaleValue(factor_), scaleValue(o.factor_))),
                                wellDefined);
    }
    return ConversionFactor(*held() / *o.held(), wellDefined);
}

ConversionFactor ConversionFactor::operator^(const Exponent& e) const {
    if (isEmpty() || e == 1) {
        return *this;
    }
    if (const auto* rational = std::get_if<ScaledRational>(&factor_)) {
        return ConversionFactor(InPlace{}, hold(rational->power(e)), wellDefined_);
    }
    if (const auto* plain = std::get_if<DoubleConversionFactor>(&factor_)) {
        return ConversionFactor(InPlace{},
                                Held(std::in_place_type<DoubleConversionFactor>, plain->power(e)),
                                wellDefined_);
    }
    return ConversionFactor(*held() ^ e, wellDefined_);
}

ConversionFactor ConversionFactor::operator-() const {
    return ConversionFactor(isEmpty() ? nullptr : -*held(), wellDefined_);
}

bool ConversionFactor::operator==(const ConversionFactor& o) const {
    if (isEmpty() || o.isEmpty()) {
        return isEmpty() && o.isEmpty();
    }
    // Definitions compare with unity at every step: the kinds' own rules,
    // without the virtual calls.
    const auto* a = std::get_if<ScaledRational>(&factor_);
    const auto* b = std::get_if<ScaledRational>(&o.factor_);
    if (a != nullptr && b != nullptr) {
        return a->getNumerator() == b->getNumerator() &&
               a->getDenominator() == b->getDenominator() && a->getScale() == b->getScale();
    }
    return *held() == *o.held();
}

bool ConversionFactor::isIdentical(const ConversionFactor& o) const {
    if (wellDefined_ != o.wellDefined_ || factor_.index() != o.factor_.index()) {
        return false;
    }
    if (isEmpty()) {
        return true;
    }
    const ConversionFactorImpl& a = *held();
    const ConversionFactorImpl& b = *o.held();
    return typeid(a) == typeid(b) && a == b;
}

bool ConversionFactor::operator<(const ConversionFactor& o) const {
    return getFactor() < o.getFactor();
}

const ConversionFactorImpl& ConversionFactor::getFactor() const {
    if (isEmpty()) {
        throw std::logic_error("empty conversion factor");
    }
    return *held();
}

ustring ConversionFactor::toUString() const {
    if (isEmpty()) {
        return u"empty";
    }
    const ConversionFactorImpl& factor = *held();
    if (const auto* f = as<ScaledRational>(factor)) {
        return f->toUString();
    }
    if (const auto* f = as<DoubleConversionFactor>(factor)) {
        return f->toUString();
    }
    if (const auto* f = as<DoubleReciprocalConversionFactor>(factor)) {
        return f->toUString();
    }
    if (const auto* f = as<DoubleAffineConversionFactor>(factor)) {
        return f->toUString();
    }
    if (const auto* f = as<RationalAffineConversionFactor>(factor)) {
        return f->toUString();
    }
    throw std::logic_error("conversion factor of unknown kind");
}

} // namespace CvUnitSys
