#pragma once

#include "units/foundation/ConversionFactorImpl.hpp"

namespace CvUnitSys {

// y = r / x: the kinds that invert their input.
class ReciprocalConversionFactorImpl : public ConversionFactorImpl {
public:
    bool isReciprocal() const override { return true; }
};

} // namespace CvUnitSys
