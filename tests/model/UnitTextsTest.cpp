#include "units/model/UnitTexts.hpp"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

using namespace CvUnitSys;

namespace {

// Rows overlap in every way the block could confuse: each text must still come
// back under its own field, whatever the texts before it in the block.
const std::vector<std::vector<ustring>> rows = {
    {u"", u"", u"", u"", u""},
    {u"metre", u"m", u"m", u"m", u"m"},
    {u"kilometre per second squared", u"km/s^2", u"km/s^2", u"km/s\u00b2", u"km/s^2"},
    {u"a", u"b", u"c", u"d", u"e"},
    {u"same long text x", u"same long text x", u"other", u"same long text x", u"other"},
    {u"micrometre", u"\u00b5m", u"um", u"\u00b5m", u"um"},
};

TEST(UnitTextsTest, EveryFieldKeepsItsTextAndCopiesOutliveTheOriginal) {
    const UnitTexts::Field fields[] = {UnitTexts::Name, UnitTexts::Symbol, UnitTexts::AsciiSymbol,
                                       UnitTexts::Display, UnitTexts::Expression};
    for (const auto& row : rows) {
        auto given = row;
        std::optional<UnitTexts> original(std::in_place, std::move(given[0]), std::move(given[1]),
                                          std::move(given[2]), std::move(given[3]),
                                          std::move(given[4]));
        const UnitTexts copy(*original);
        EXPECT_EQ(copy.get(UnitTexts::Name).data(), original->get(UnitTexts::Name).data());
        original.reset();
        for (std::size_t i = 0; i < row.size(); ++i) {
            EXPECT_EQ(copy.get(fields[i]), row[i]) << "field " << i << " of " << row[0].size();
        }
    }
}

} // namespace
