#include "units/frontdoor/ConverterAccess.hpp"
#include "units/frontdoor/UnitErrors.hpp"

namespace cv_units {

Converter ConverterAccess::make(const CvUnitSys::UnitNumericInfoForConversions& info,
                                const std::optional<ExactAffine>& exact, std::string_view from,
                                std::string_view to) {
    Converter c;
    c.scale_ = info.getScalingFactor();
    c.offset_ = info.getOffset();
    c.inverted_ = info.isInverted();
    if (exact) {
        c.exact_ = ExactConversion{toRational(exact->scale), toRational(exact->offset)};
        c.exactScale_ = extended(exact->scale);
        c.exactOffset_ = extended(exact->offset);
    }
    c.from_ = from;
    c.to_ = to;
    return c;
}

Converter::Converter(std::string_view from, std::string_view to)
    : Converter(defaultUnits().converter(from, to)) {}

double Converter::operator()(double value) const noexcept {
    if (exact_) {
        // The product and the sum in the wider type, rounded to double once.
        return static_cast<double>(exactScale_ * static_cast<long double>(value) + exactOffset_);
    }
    return inverted_ ? scale_ / value + offset_ : scale_ * value + offset_;
}

namespace {

// The loops, compiled once for the baseline x86-64 target (two doubles an
// instruction) and once for AVX2 (four); the inversion branch stays outside.
__attribute__((always_inline)) inline void applyLoop(double scale, double offset, bool inverted,
                                                     const double* in, double* out, std::size_t n) {
    if (inverted) {
        for (std::size_t i = 0; i < n; ++i) {
            out[i] = scale / in[i] + offset;
        }
    } else {
        for (std::size_t i = 0; i < n; ++i) {
            out[i] = scale * in[i] + offset;
        }
    }
}

__attribute__((target("avx2"))) void applyAvx2(double scale, double offset, bool inverted,
                                               const double* in, double* out, std::size_t n) {
    applyLoop(scale, offset, inverted, in, out, n);
}

void applyBaseline(double scale, double offset, bool inverted, const double* in, double* out,
                   std::size_t n) {
    applyLoop(scale, offset, inverted, in, out, n);
}

// Chosen on first use rather than by an ifunc resolver, which runs while the
// library is being relocated, before a sanitizer's runtime is ready.
bool hasAvx2() {
    static const bool avx2 = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return avx2;
}

} // namespace

void Converter::operator()(std::span<const double> values, std::span<double> out) const {
    if (out.size() < values.size()) {
        const std::string message = "the output holds " + std::to_string(out.size()) +
                                    " values but " + std::to_string(values.size()) +
                                    " are to be converted";
        throw UnitError("CvUnits:OutputTooShort", message, message);
    }
    (hasAvx2() ? applyAvx2 : applyBaseline)(scale_, offset_, inverted_, values.data(), out.data(),
                                            values.size());
}

void Converter::operator()(std::span<double> values) const noexcept {
    (*this)(std::span<const double>(values), values);
}

} // namespace cv_units
