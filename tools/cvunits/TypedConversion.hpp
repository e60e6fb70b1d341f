#pragma once

#include "FriendlyInput.hpp"
#include "units/cv_units.hpp"

#include <optional>
#include <string>
#include <variant>

namespace cvunits {

// The conversion between two typed units: the library's converter between
// their texts, with the numbers the typed texts carry ("L/100km") applied.
// output = scale * input + offset, or scale / input + offset when inverted.
struct TypedConversion {
    TypedUnit from;
    TypedUnit to;
    double scale = 1.0;
    double offset = 0.0;
    bool inverted = false;
    // "381/1250", "9/5*x + 32": the exact factor, when the library has one.
    std::optional<std::string> exact;

    double operator()(double value) const;

private:
    friend std::variant<TypedConversion, cv_units::UnitError> tryConvertTyped(TypedUnit from,
                                                                              TypedUnit to);
    std::optional<cv_units::Converter> converter_; // applies the factor when the scales are 1
    long double exactScale_ = 1.0L;
    long double exactOffset_ = 0.0L;
};

// The conversion, or the library's reason why the units do not convert, as a
// value: pairs that do not convert are common in a batch.
std::variant<TypedConversion, cv_units::UnitError> tryConvertTyped(TypedUnit from, TypedUnit to);

// Throws cv_units::UnitError when the units do not convert.
TypedConversion convertTyped(TypedUnit from, TypedUnit to);

} // namespace cvunits
