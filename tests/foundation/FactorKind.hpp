#pragma once

#include "units/foundation/ConversionFactor.hpp"
#include "units/foundation/DoubleAffineConversionFactor.hpp"
#include "units/foundation/DoubleConversionFactor.hpp"
#include "units/foundation/DoubleReciprocalConversionFactor.hpp"
#include "units/foundation/RationalAffineConversionFactor.hpp"
#include "units/foundation/ScaledRational.hpp"

#include <string>

namespace CvUnitSysTest {

// The concrete kind held, so that tests can state which kind a rule yields.
inline std::string kindOf(const CvUnitSys::ConversionFactor& f) {
    using namespace CvUnitSys;
    if (f.isEmpty()) {
        return "empty";
    }
    const ConversionFactorImpl& impl = f.getFactor();
    if (dynamic_cast<const ScaledRational*>(&impl) != nullptr) {
        return "ScaledRational";
    }
    if (dynamic_cast<const DoubleConversionFactor*>(&impl) != nullptr) {
        return "Double";
    }
    if (dynamic_cast<const DoubleReciprocalConversionFactor*>(&impl) != nullptr) {
        return "DoubleReciprocal";
    }
    if (dynamic_cast<const DoubleAffineConversionFactor*>(&impl) != nullptr) {
        return "DoubleAffine";
    }
    if (dynamic_cast<const RationalAffineConversionFactor*>(&impl) != nullptr) {
        return "RationalAffine";
    }
    return "unknown";
}

inline CvUnitSys::ConversionFactor dbl(double d) {
    return CvUnitSys::ConversionFactor(std::make_unique<CvUnitSys::DoubleConversionFactor>(d));
}
inline CvUnitSys::ConversionFactor recip(double r) {
    return CvUnitSys::ConversionFactor(
        std::make_unique<CvUnitSys::DoubleReciprocalConversionFactor>(r));
}
inline CvUnitSys::ConversionFactor affine(double a, double b) {
    return CvUnitSys::ConversionFactor(
        std::make_unique<CvUnitSys::DoubleAffineConversionFactor>(a, b));
}
inline CvUnitSys::ConversionFactor rational(std::int64_t n, std::int64_t d, std::int32_t s = 0) {
    return CvUnitSys::ConversionFactor(std::make_unique<CvUnitSys::ScaledRational>(n, d, s));
}
inline CvUnitSys::ConversionFactor rationalAffine(std::int64_t sn, std::int64_t sd, std::int64_t on,
                                                  std::int64_t od) {
    return CvUnitSys::ConversionFactor(
        std::make_unique<CvUnitSys::RationalAffineConversionFactor>(sn, sd, 0, on, od, 0));
}

} // namespace CvUnitSysTest
