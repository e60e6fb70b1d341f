#include "units/platform/DiagnosticService.hpp"

#include "units/foundation/UnitMsgID.hpp"
#include "units/platform/MessageCatalogue.hpp"
#include "units/platform/WarningSink.hpp"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace CvUnitSys;

namespace {

TEST(UnitMsgID, EveryMessageHasACatalogueTextThatUsesItsArguments) {
    for (const auto& message : unitMessageTable()) {
        std::vector<MsgArg> args;
        for (char kind : message.argKinds) {
            if (kind == 'i') {
                args.emplace_back(std::int64_t{42});
            } else {
                args.emplace_back(ustring(u"arg") + static_cast<char16_t>(u'0' + args.size()));
            }
        }
        const BaseMsgID id = makeUnitMsgID(message.key, args);
        EXPECT_EQ(id.getQualifiedId(), "CorvaneTypes:Unit:" + std::string(message.key));
        const std::string text = formatMessage(id);
        EXPECT_EQ(text.find("CorvaneTypes"), std::string::npos) << message.key << " has no text";
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string expected =
                message.argKinds[i] == 'i' ? "42" : "arg" + std::to_string(i);
            EXPECT_NE(text.find(expected), std::string::npos)
                << message.key << " drops argument " << i;
        }
    }
}

TEST(UnitMsgID, RejectsWrongKeysCountsAndKinds) {
    EXPECT_THROW(makeUnitMsgID("NoSuchKey"), std::logic_error);
    EXPECT_THROW(makeUnitMsgID("ParsingError", {ustring(u"m")}), std::logic_error);
    EXPECT_THROW(makeUnitMsgID("InvalidUnitId", {ustring(u"3")}), std::logic_error);
    EXPECT_NO_THROW(makeUnitMsgID("InvalidUnitId", {std::int64_t{3}}));
}

TEST(DiagnosticService, ThrowCarriesIdentifierAndArguments) {
    try {
        throwUnitMsg("UnitNotInDatabase", {ustring(u"furlong")});
        FAIL() << "did not throw";
    } catch (const IUserException& e) {
        EXPECT_EQ(e.getMessageIdentifier(), "CorvaneTypes:Unit:UnitNotInDatabase");
        EXPECT_STREQ(e.what(), "The unit 'furlong' is not defined in any unit database.");
        const Diagnostic d = cvsvCreateDiagnosticFromIException(e, true);
        ASSERT_EQ(cvsvGetNumItemsInDiagnostic(d), 1u);
        EXPECT_TRUE(
            cvsvCheckDiagnosticForMessageIdentifier(d, "CorvaneTypes:Unit:UnitNotInDatabase", 0));
        EXPECT_FALSE(
            cvsvCheckDiagnosticForMessageIdentifier(d, "CorvaneTypes:Unit:UnitNotInDatabase", 1));
    }
}

TEST(DiagnosticService, CollectThenWarnReportsOneWarningWithItemsInOrder) {
    WarningCollector collector;
    Diagnostic accumulated;
    cvsvReportAsWarning(accumulated);
    EXPECT_TRUE(collector.warnings().empty()) << "an empty diagnostic is never reported";
    for (const char16_t* row : {u"a", u"b", u"c"}) {
        cvsvConcatenateDiagnosticsNoCheck(
            accumulated,
            cvsvCreateDiagnosticFromMessageID(makeUnitMsgID("UnitDatabaseFileLoadFieldError",
                                                            {ustring(row), ustring(u"Symbol")})),
            true);
    }
    cvsvReportAsWarning(accumulated);
    const auto warnings = collector.warnings();
    ASSERT_EQ(warnings.size(), 1u);
    ASSERT_EQ(warnings[0].items().size(), 3u);
    EXPECT_EQ(boost::get<ustring>(warnings[0].items()[2].id.getArgs()[0]), u"c");
}

TEST(DiagnosticService, CausesArePrintedUnderTheirItem) {
    Diagnostic d = cvsvCreateDiagnosticFromMessageID(makeUnitMsgID("IncompatibleUnits"));
    cvsvAddCauseToDiagnosticItem(
        d, 0, cvsvCreateDiagnosticFromMessageID(makeUnitMsgID("DifferentOffsets")));
    cvsvAddCauseToDiagnosticItem(d, 5, Diagnostic());
    EXPECT_EQ(formatDiagnostic(d), "The units are incompatible.\n  The units differ by an offset.");
}

TEST(MessageCatalogue, ParsingErrorShowsCaretUnderColumn) {
    struct Case {
        ustring expr;
        std::int64_t column;
        std::string expected;
    };
    const Case cases[] = {
        {u"m**s", 3, "\n  m**s\n    ^"},
        {u"\t*", 5, "\n  \t*\n  \t^"},
        {u"\u03bcm s", 4, "\n  \u03bcm s\n     ^"},
        {u"", 1, "\n  \n  ^"},
    };
    for (const auto& c : cases) {
        const std::string text = formatMessage(makeUnitMsgID("ParsingError", {c.expr, c.column}));
        const auto nl = text.find('\n');
        ASSERT_NE(nl, std::string::npos) << text;
        EXPECT_EQ(text.substr(nl), c.expected);
    }
}

} // namespace
