#include "units/frontdoor/ExactConversion.hpp"

#include "units/db/UnitDBSet.hpp"
#include "units/foundation/AffineConversionFactorImpl.hpp"
#include "units/foundation/ScaledRational.hpp"
#include "units/model/UnitDefinition.hpp"

#include <cmath>

namespace cv_units {

namespace {

using boost::multiprecision::cpp_int;
using boost::multiprecision::cpp_rational;

std::optional<cpp_rational> rationalOf(const CvUnitSys::ConversionFactorImpl& f) {
    const auto* q = dynamic_cast<const CvUnitSys::ScaledRational*>(&f);
    if (q == nullptr) {
        return std::nullopt;
    }
    const cpp_int power = boost::multiprecision::pow(cpp_int(10), std::abs(q->getScale()));
    cpp_rational value(cpp_int(q->getNumerator()), cpp_int(q->getDenominator()));
    if (q->getScale() >= 0) {
        return cpp_rational(value * power);
    }
    return cpp_rational(value / power);
}

// A unit's fundamental factor as scale and offset: x -> a*x + b.
std::optional<ExactAffine> affineOf(const CvUnitSys::ConversionFactor& factor) {
    if (factor.isEmpty() || !factor.isWellDefined() || factor.isReciprocal()) {
        return std::nullopt;
    }
    const CvUnitSys::ConversionFactorImpl& impl = factor.getFactor();
    if (const auto* affine = dynamic_cast<const CvUnitSys::AffineConversionFactorImpl*>(&impl)) {
        auto scale = rationalOf(affine->getScalingFactor());
        auto offset = rationalOf(affine->getOffsetFactor());
        if (!scale || !offset) {
            return std::nullopt;
        }
        return ExactAffine{*scale, *offset};
    }
    if (auto scale = rationalOf(impl)) {
        return ExactAffine{*scale, cpp_rational(0)};
    }
    return std::nullopt;
}

// What a value of the entity is in its fundamental units, exactly: its own
// factor, then the factors of the entities its expression names, each raised
// to its exponent. The library multiplies those factors in doubles once the
// digits pass 2^53 (ft*lbf), so its fundamental factor cannot serve here.
std::optional<ExactAffine> exactFundamental(CvUnitSys::UnitDBSet& set,
                                            const CvUnitSys::UnitBase& entity, int depth) {
    // Definitions are acyclic once the set validated them; the bound only
    // keeps a corrupt chain from recursing without end.
    if (depth > 64) {
        return std::nullopt;
    }
    set.genUnitDefinition(entity);
    const CvUnitSys::UnitDefinition& definition = set.getUnitDefinition(entity);
    const CvUnitSys::ConversionFactor& factor = definition.getConversionFactor();
    // Units the table makes for an expression carry a plain 1.
    const bool unity = factor.isEmpty() || (factor.isWellDefined() && !factor.isAffine() &&
                                            !factor.isReciprocal() && factor.toDouble() == 1.0);
    const std::optional<ExactAffine> own =
        unity ? ExactAffine{cpp_rational(1), cpp_rational(0)} : affineOf(factor);
    if (!own) {
        return std::nullopt;
    }
    const auto& parts = definition.getUnitAST().getAST();
    if (parts.size() == 1 && &parts.begin()->first.get() == &entity) {
        return own;
    }
    ExactAffine inner{cpp_rational(1), cpp_rational(0)};
    const bool alone = parts.size() == 1 && parts.begin()->second == CvUnitSys::Exponent::unity;
    for (const auto& [part, exponent] : parts) {
        const std::optional<ExactAffine> sub = exactFundamental(set, part.get(), depth + 1);
        if (!sub) {
            return std::nullopt;
        }
        if (alone) {
            inner = *sub;
            break;
        }
        const double power = exponent.getSimplifiedExpo();
        // An offset means nothing inside a product, and a root is not rational.
        if (sub->offset != 0 || exponent.isFractional() || power != std::trunc(power) ||
            std::abs(power) > 64) {
            return std::nullopt;
        }
        const auto n = static_cast<unsigned>(std::abs(power));
        const cpp_rational raised(
            boost::multiprecision::pow(boost::multiprecision::numerator(sub->scale), n),
            boost::multiprecision::pow(boost::multiprecision::denominator(sub->scale), n));
        if (power < 0 && raised == 0) {
            return std::nullopt;
        }
        inner.scale *= power < 0 ? cpp_rational(cpp_rational(1) / raised) : raised;
    }
    return ExactAffine{inner.scale * own->scale, inner.scale * own->offset + inner.offset};
}

} // namespace

Rational toRational(const cpp_rational& r) {
    return {boost::multiprecision::numerator(r).str(), boost::multiprecision::denominator(r).str()};
}

long double extended(const cpp_rational& r) {
    return r.convert_to<long double>();
}

std::string Rational::text() const {
    return denominator == "1" ? numerator : numerator + "/" + denominator;
}

std::string ExactConversion::text() const {
    if (offset.numerator == "0") {
        return scale.text();
    }
    const std::string x = scale.text() == "1" ? std::string("x") : scale.text() + "*x";
    const bool negative = offset.numerator.starts_with('-');
    const Rational magnitude{negative ? offset.numerator.substr(1) : offset.numerator,
                             offset.denominator};
    return x + (negative ? " - " : " + ") + magnitude.text();
}

std::optional<ExactAffine> exactConversion(CvUnitSys::UnitTable& table, std::int32_t from,
                                           std::int32_t to,
                                           const CvUnitSys::UnitNumericInfoForConversions& info) {
    const CvUnitSys::UnitBase* a = table.getUnit(from);
    const CvUnitSys::UnitBase* b = table.getUnit(to);
    if (a == nullptr || b == nullptr || info.isInverted()) {
        return std::nullopt;
    }
    CvUnitSys::UnitDBSet& set = table.getUnitDBSet();
    if (set.getSpecialConversionFactor(*a, *b)) {
        return std::nullopt;
    }
    const auto f = exactFundamental(set, *a, 0);
    const auto g = exactFundamental(set, *b, 0);
    if (!f || !g || g->scale == 0) {
        return std::nullopt;
    }
    // Converting f's unit into g's: g^-1(f(x)) = (f.scale/g.scale) x + (f.offset -
    // g.offset)/g.scale.
    ExactAffine exact{f->scale / g->scale, (f->offset - g->offset) / g->scale};
    // The library's own factor decides; the exact one only describes it. A
    // disagreement means a path this derivation does not model.
    const double scale = static_cast<double>(extended(exact.scale));
    if (std::abs(scale - info.getScalingFactor()) > 1e-12 * std::abs(info.getScalingFactor())) {
        return std::nullopt;
    }
    return exact;
}

} // namespace cv_units
