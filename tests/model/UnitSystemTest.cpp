#include "ModelFixtures.hpp"
#include "units/platform/IException.hpp"

#include <gtest/gtest.h>

using namespace model_test;

namespace {

TEST(UnitSystem, NameRules) {
    struct Case {
        ustring name;
        bool valid;
    };
    const Case cases[] = {
        {u"SI", true},
        {u"", true},
        {u"US customary", true},
        {u"Syst\u00e8me", true},
        {u"\u05de\u05e2\u05e8\u05db\u05ea", true},
        {u"all", false},
        {u"All", true},
        {u"SI,US", false},
        {u"a\tb", false},
        {u"a\nb", false},
        {u"\u202eSI", false},
        {u"SI\xd800", false},
        {u"\x7f", false},
    };
    for (const auto& c : cases) {
        const auto label = std::string(c.name.begin(), c.name.end());
        EXPECT_EQ(UnitSystem::isValidStringForUnitSystemName(c.name), c.valid) << label;
        if (c.valid) {
            EXPECT_EQ(UnitSystem(c.name).getName(), c.name) << label;
            continue;
        }
        try {
            UnitSystem system(c.name);
            ADD_FAILURE() << "no exception for " << label;
        } catch (const IUserException& e) {
            EXPECT_EQ(e.getMessageIdentifier(), "CorvaneTypes:Unit:InvalidUnitSystemName");
            const auto& args = e.getDiagnostic().items().front().id.getArgs();
            ASSERT_EQ(args.size(), 1u);
            EXPECT_EQ(boost::get<ustring>(args[0]), c.name);
        }
    }
}

TEST(UnitSystem, KnownNamesComeFromTheBuiltInDatabase) {
    FakeLookups lookups;
    lookups.addBuiltInSystem(u"SI");
    lookups.addManagerSystem(u"Mine");
    EXPECT_TRUE(UnitSystem::isValidUnitSystemName(u"SI"));
    EXPECT_FALSE(UnitSystem::isValidUnitSystemName(u"si"));
    EXPECT_FALSE(UnitSystem::isValidUnitSystemName(u"Mine"));
}

} // namespace
