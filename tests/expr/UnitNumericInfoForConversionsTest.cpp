#include "units/expr/UnitNumericInfoForConversions.hpp"

#include "units/foundation/ConversionFactorFactory.hpp"
#include "units/foundation/DoubleAffineConversionFactor.hpp"
#include "units/foundation/DoubleReciprocalConversionFactor.hpp"
#include "units/host/MatrixArrays.hpp"

#include <gtest/gtest.h>

using CvUnitSys::ConversionFactor;
using CvUnitSys::ConversionFactorFactory;
using CvUnitSys::UnitNumericInfoForConversions;

namespace {

ConversionFactor reciprocal(double r) {
    return ConversionFactor(std::make_unique<CvUnitSys::DoubleReciprocalConversionFactor>(r));
}

ConversionFactor affine(double scale, double offset) {
    return ConversionFactor(
        std::make_unique<CvUnitSys::DoubleAffineConversionFactor>(scale, offset));
}

struct InfoCase {
    const char* label;
    ConversionFactor factor;
    double scaling;
    double offset;
    bool inverted;
    bool trivial;
    const char* text;
};

TEST(UnitNumericInfoForConversions, DerivedValuesAndText) {
    const InfoCase cases[] = {
        {"unity", ConversionFactor::unity, 1, 0, false, true, "output = (1*input) + (0)"},
        {"exact kilo", ConversionFactorFactory::createConversionFactor(1, 1, 3), 1000, 0, false,
         false, "output = (1000*input) + (0)"},
        {"near one", ConversionFactorFactory::createConversionFactor(1.0000000001), 1.0000000001, 0,
         false, false, "output = (1*input) + (0)"},
        {"affine", affine(1.8, 32), 1.8, 32, false, false, "output = (1.8*input) + (32)"},
        {"affine without offset", affine(1, 0), 1, 0, false, true, "output = (1*input) + (0)"},
        {"reciprocal", reciprocal(2), 2, 0, true, false, "output = (2 / input) + (0)"},
        {"reciprocal one", reciprocal(1), 1, 0, true, false, "output = (1 / input) + (0)"},
        {"exact affine", ConversionFactorFactory::createConversionFactor(9, 5, 0, 32, 1, 0), 1.8,
         32, false, false, "output = (1.8*input) + (32)"},
    };
    for (const InfoCase& c : cases) {
        SCOPED_TRACE(c.label);
        const UnitNumericInfoForConversions info(c.factor);
        EXPECT_DOUBLE_EQ(info.getScalingFactor(), c.scaling);
        EXPECT_DOUBLE_EQ(info.getOffset(), c.offset);
        EXPECT_EQ(info.isInverted(), c.inverted);
        EXPECT_EQ(info.isTrivial(), c.trivial);
        EXPECT_EQ(info.toString(), c.text);
        EXPECT_EQ(info.toUString(),
                  ustring(c.text, c.text + std::char_traits<char>::length(c.text)));
    }
}

TEST(UnitNumericInfoForConversions, HoldsItsOwnCopy) {
    ConversionFactor factor = ConversionFactorFactory::createConversionFactor(2.5);
    const UnitNumericInfoForConversions info(factor);
    factor = reciprocal(4);
    EXPECT_EQ(info.getScalingFactor(), 2.5);
    EXPECT_FALSE(info.isInverted());
}

TEST(UnitNumericInfoForConversions, HostArrayIsAStructureOfThreeScalars) {
    const UnitNumericInfoForConversions info(reciprocal(0.5));
    const matrix::unique_array record = matrix::from_hexlan(info.toHxArray());
    ASSERT_EQ(record->getClassID(), hxClassID::Struct);
    EXPECT_EQ(record->getNumberOfElements(), 1u);
    ASSERT_EQ(record->getNumberOfFields(), 3u);
    const struct {
        const char* name;
        hxClassID type;
        double value;
    } fields[] = {{"scaling", hxClassID::Double, 0.5},
                  {"offset", hxClassID::Double, 0.0},
                  {"isInverted", hxClassID::Logical, 1.0}};
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        SCOPED_TRACE(fields[i].name);
        EXPECT_EQ(record->getFieldName(i), fields[i].name);
        const hxArray* field = record->getField(0, fields[i].name);
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->getClassID(), fields[i].type);
        EXPECT_EQ(field->getReal(0), fields[i].value);
    }
}

} // namespace
