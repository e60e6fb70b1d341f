#include "TypedConversion.hpp"

namespace cvunits {

namespace {

using boost::multiprecision::cpp_int;
using boost::multiprecision::cpp_rational;

cpp_rational fromDigits(const cv_units::Rational& r) {
    return cpp_rational(cpp_int(r.numerator), cpp_int(r.denominator));
}

cv_units::Rational toDigits(const cpp_rational& r) {
    return {boost::multiprecision::numerator(r).str(), boost::multiprecision::denominator(r).str()};
}

} // namespace

std::variant<TypedConversion, cv_units::UnitError> tryConvertTyped(TypedUnit from, TypedUnit to) {
    const cv_units::Answer& answer = cv_units::defaultUnits().tryConverter(from.text, to.text);
    if (const auto* error = std::get_if<cv_units::UnitError>(&answer)) {
        return *error;
    }
    cv_units::Converter converter = std::get<cv_units::Converter>(answer);
    TypedConversion out;
    out.inverted = converter.inverted();
    const cpp_rational& a = from.scale;
    const cpp_rational& b = to.scale;
    if (!from.scaled && !to.scaled) {
        out.scale = converter.scale();
        out.offset = converter.offset();
        if (converter.exact()) {
            out.exact = converter.exact()->text();
        }
        out.converter_ = std::move(converter);
    } else if (converter.exact()) {
        // x typed-from units are a*x text units; the result in text units is
        // b times the typed-to value.
        const cpp_rational scale = fromDigits(converter.exact()->scale) * a / b;
        const cpp_rational offset = fromDigits(converter.exact()->offset) / b;
        out.exact = cv_units::ExactConversion{toDigits(scale), toDigits(offset)}.text();
        out.exactScale_ = scale.convert_to<long double>();
        out.exactOffset_ = offset.convert_to<long double>();
        out.scale = static_cast<double>(out.exactScale_);
        out.offset = static_cast<double>(out.exactOffset_);
    } else {
        const double factor =
            (converter.inverted() ? cpp_rational(1 / (a * b)) : cpp_rational(a / b))
                .convert_to<double>();
        out.scale = converter.scale() * factor;
        out.offset = converter.offset() / b.convert_to<double>();
    }
    out.from = std::move(from);
    out.to = std::move(to);
    return out;
}

TypedConversion convertTyped(TypedUnit from, TypedUnit to) {
    auto answer = tryConvertTyped(std::move(from), std::move(to));
    if (auto* error = std::get_if<cv_units::UnitError>(&answer)) {
        throw std::move(*error);
    }
    return std::get<TypedConversion>(std::move(answer));
}

double TypedConversion::operator()(double value) const {
    if (converter_) {
        return (*converter_)(value);
    }
    if (exact) {
        return static_cast<double>(exactScale_ * static_cast<long double>(value) + exactOffset_);
    }
    return inverted ? scale / value + offset : scale * value + offset;
}

} // namespace cvunits
