#pragma once

#include "units/foundation/ConversionFactor.hpp"
#include "units/foundation/UString.hpp"
#include "units/host/HxArray.hpp"

#include <memory>
#include <string>

namespace CvUnitSys {

// A conversion reduced to what a caller applies to a value:
// output = scaling * input + offset, or scaling / input + offset when inverted.
// A moved-from record holds a moved-from factor and must not be queried.
class UnitNumericInfoForConversions {
public:
    explicit UnitNumericInfoForConversions(const ConversionFactor& factor);
    explicit UnitNumericInfoForConversions(ConversionFactor&& factor);
    UnitNumericInfoForConversions(UnitNumericInfoForConversions&&) noexcept = default;
    UnitNumericInfoForConversions& operator=(UnitNumericInfoForConversions&&) noexcept = default;
    UnitNumericInfoForConversions(const UnitNumericInfoForConversions&) = delete;
    UnitNumericInfoForConversions& operator=(const UnitNumericInfoForConversions&) = delete;
    ~UnitNumericInfoForConversions() = default;

    double getScalingFactor() const { return factor_.toDouble(); }
    double getOffset() const { return factor_.isAffine() ? factor_.getOffset() : 0.0; }
    bool isInverted() const { return factor_.isReciprocal(); }
    // Exactly the identity: no tolerance, so 1.0000000001 is not trivial.
    bool isTrivial() const;

    const ConversionFactor& getConversionFactor() const { return factor_; }

    // "output = (<scaling>*input) + (<offset>)", with " / " when inverted.
    ustring toUString() const;
    std::string toString() const;
    // A new 1x1 structure with fields scaling, offset and isInverted.
    hxArray* toHxArray() const;

private:
    // Held in place: a host asks for a conversion per pair, and each answer
    // would otherwise cost an allocation.
    ConversionFactor factor_;
};

} // namespace CvUnitSys
