#pragma once

// The two settings that steer propagation: how a result unit with negative
// exponents is written, and whether an operand that needs converting is an
// error or gets converted.

#include <cstdint>

namespace CvUnitSys {

class UnitHeuristicManager {
public:
    enum UnitOutputFormat : std::int32_t {
        SingleQuotient = 0,    // a*b/(c*d)
        ChainedQuotients = 1,  // a*b/c/d
        NegativeExponents = 2, // a*b*c^-1*d^-1
    };
    // Any value but ErrorOnConversion converts.
    enum ConversionMode : std::int32_t {
        ConvertOperands = 0,
        ErrorOnConversion = 1,
    };

    UnitHeuristicManager() = default;

    void resetToDefaultBehavior();
    void setUnitOutputFormat(UnitOutputFormat format) { format_ = format; }
    UnitOutputFormat getUnitOutputFormat() const { return format_; }
    void setConversionMode(ConversionMode mode) { mode_ = mode; }
    ConversionMode getConversionMode() const { return mode_; }

private:
    UnitOutputFormat format_ = SingleQuotient;
    ConversionMode mode_ = ErrorOnConversion;
};

} // namespace CvUnitSys
