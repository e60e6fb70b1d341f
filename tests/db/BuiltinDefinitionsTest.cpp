#include "db/DbSetFixtures.hpp"
#include "units/platform/TextServices.hpp"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using namespace dbset_test;

struct Reference {
    std::string from;
    std::string to;
    double factor;
    int digits;
    bool exact;
};

// The published conversion values that ship with the built-in data.
std::vector<Reference> referenceValues() {
    std::ifstream in(CV_UNITS_SOURCE_DIR "/data/builtin/REFERENCE_VALUES.tsv");
    std::vector<Reference> out;
    std::string line;
    bool header = true;
    while (std::getline(in, line)) {
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (std::exchange(header, false)) {
            continue;
        }
        std::istringstream fields(line);
        Reference r;
        std::string factor;
        std::string digits;
        std::string exact;
        std::getline(fields, r.from, '\t');
        std::getline(fields, r.to, '\t');
        std::getline(fields, factor, '\t');
        std::getline(fields, digits, '\t');
        std::getline(fields, exact, '\t');
        r.factor = std::stod(factor);
        r.digits = std::stoi(digits);
        r.exact = exact == "1";
        out.push_back(r);
    }
    return out;
}

class BuiltinDefinitions : public ::testing::Test {
protected:
    void SetUp() override { set.initializeIfNeeded(); }
    // A unit defined by the text, as a client registers one: of the quantity
    // named after an "@", else of no particular quantity.
    const UnitBase& unitFor(const ustring& text) {
        const auto at = text.find(u'@');
        const ustring expr = text.substr(0, at);
        const UnitBase& quantity = at == ustring::npos
                                       ? UnitFactory::getDefaultPhysicalQuantity()
                                       : set.getPhysicalQuantity(text.substr(at + 1));
        // A name keeps a unit of a quantity from being that quantity alone.
        const ustring name = at == ustring::npos ? u"" : expr;
        return *expressions.emplace_back(std::make_unique<Unit>(
            -10, name, expr, expr, expr, u"", defaultStoredConversionFactor(), quantity));
    }

    Universe universe;
    UnitDBSet set;
    std::vector<std::unique_ptr<Unit>> expressions;
};

TEST_F(BuiltinDefinitions, EveryUnitIsDefinedAndFitsItsQuantity) {
    std::vector<std::string> failures;
    for (const UnitBase& unit : set.getAllUnits()) {
        try {
            set.genUnitDefinition(unit);
            set.isValid(unit, true);
        } catch (const IUserException& e) {
            failures.push_back(TextServices::toUtf8(unit.getSymbol()) + ": " + e.what());
        }
    }
    EXPECT_TRUE(failures.empty()) << failures.size() << " failures, first: " << failures.front();
}

TEST_F(BuiltinDefinitions, ConversionsMatchThePublishedValues) {
    const auto references = referenceValues();
    ASSERT_GT(references.size(), 200U);
    for (const Reference& r : references) {
        const std::string label = r.from + " -> " + r.to;
        double scaling = 0;
        try {
            scaling = set.getConversionInfo(unitFor(TextServices::fromUtf8(r.from)),
                                            unitFor(TextServices::fromUtf8(r.to)))
                          .getScalingFactor();
        } catch (const IUserException& e) {
            ADD_FAILURE() << label << ": " << e.what();
            continue;
        }
        if (r.exact) {
            EXPECT_NEAR(scaling, r.factor, std::abs(r.factor) * 4e-16) << label;
        } else {
            // The published value is the true one rounded to its digits.
            const double magnitude = std::floor(std::log10(std::abs(r.factor)));
            EXPECT_NEAR(scaling, r.factor, 0.5 * std::pow(10.0, magnitude - r.digits + 1)) << label;
        }
    }
}

// Quantities that are each other's reciprocal convert both ways with an
// inversion: 1 kohm is 1/(1 mS), 1 g/cm^3 is 1/(1 cm^3/g).
TEST_F(BuiltinDefinitions, ReciprocalQuantitiesConvertWithAnInversion) {
    const struct {
        const char16_t* from;
        const char16_t* to;
        double scale;
    } cases[] = {
        {u"kohm@electric_resistance", u"mS@electric_conductance", 1},
        {u"Mohm@electric_resistance", u"uS@electric_conductance", 1},
        {u"Ohm*m@resistivity", u"S/cm@conductivity", 0.01},
        {u"kayser@wavenumber", u"um@wavelength", 1e4},
        {u"kg/m^3@density", u"L/kg@specific_volume", 1000},
        {u"ms@period", u"kHz@frequency", 1},
        {u"K/W@thermal_resistance", u"W/K@thermal_conductance", 1},
        {u"degR*h*ft^2/(BTU*in)@thermal_resistivity", u"BTU*in/(h*ft^2*degR)@thermal_conductivity",
         1},
        {u"tog@thermal_insulance", u"W/(m^2*K)@heat_transfer_coefficient", 10},
        {u"A/Wb@reluctance", u"uH@permeance", 1e6},
        {u"1/Pa@compressibility", u"GPa@bulk_modulus", 1e-9},
        {u"cP@dynamic_viscosity", u"rhe@fluidity", 100},
        {u"dpt@lens_power", u"mm@focal_length", 1000},
        {u"mpg@fuel_economy", u"L_100km@fuel_consumption", 235.2145833333333},
        {u"Ne_cotton@yarn_count", u"tex@linear_density", 590.5412474482357},
    };
    for (const auto& c : cases) {
        const UnitBase& from = unitFor(c.from);
        const UnitBase& to = unitFor(c.to);
        for (const auto& [a, b] : {std::pair{&from, &to}, std::pair{&to, &from}}) {
            const std::string label = TextServices::toUtf8(a->getSymbol()) + " -> " +
                                      TextServices::toUtf8(b->getSymbol());
            try {
                const auto info = set.getConversionInfo(*a, *b);
                EXPECT_TRUE(info.isInverted()) << label;
                EXPECT_NEAR(info.getScalingFactor(), c.scale, c.scale * 1e-12) << label;
            } catch (const IUserException& e) {
                ADD_FAILURE() << label << ": " << e.what();
            }
        }
    }
}

} // namespace
