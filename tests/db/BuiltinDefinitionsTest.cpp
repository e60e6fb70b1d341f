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
    // A unit of no particular quantity defined by the text, as a client registers one.
    const UnitBase& unitFor(const ustring& text) {
        return *expressions.emplace_back(
            std::make_unique<Unit>(-10, u"", text, text, text, u"", defaultStoredConversionFactor(),
                                   UnitFactory::getDefaultPhysicalQuantity()));
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

} // namespace
