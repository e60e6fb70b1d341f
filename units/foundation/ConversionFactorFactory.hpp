#pragma once

#include "units/foundation/ConversionFactor.hpp"
#include "units/foundation/ConversionFactorType.hpp"
#include "units/foundation/UString.hpp"

#include <cstdint>

namespace CvUnitSys {

// Creates factors from their stored text and kind. Unreadable decimal numbers
// give the kind's defaults; a zero denominator throws boost::bad_rational; a
// composite text without its separators, or with type numbers that are not
// plain digits, throws NumberConversionError. A kind outside 1..7 gives unity.
struct ConversionFactorFactory {
    static ConversionFactor createConversionFactor(const ustring& text, ConversionFactorType type);
    static ConversionFactor createConversionFactor(std::int64_t numerator, std::int64_t denominator,
                                                   std::int32_t scale);
    static ConversionFactor
    createConversionFactor(std::int64_t scalingNumerator, std::int64_t scalingDenominator,
                           std::int32_t scalingScale, std::int64_t offsetNumerator,
                           std::int64_t offsetDenominator, std::int32_t offsetScale);
    static ConversionFactor createConversionFactor(double value);
    static ConversionFactor createConversionFactor(double scaling, double offset);
};

// The composite text "t1,t2|f1*f2" of the product f1 * f2, as stored for a
// prefix f1 applied to a unit f2. f2 may itself be composite; f1 may not.
ustring getCompositeConversionFactor(const ustring& f1, ConversionFactorType t1, const ustring& f2,
                                     ConversionFactorType t2);

} // namespace CvUnitSys
