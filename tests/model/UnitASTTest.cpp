#include "units/model/UnitAST.hpp"

#include "ModelFixtures.hpp"
#include "units/model/UnitASTPool.hpp"

#include <gtest/gtest.h>

using namespace model_test;

namespace {

class UnitASTTest : public ::testing::Test {
protected:
    std::unique_ptr<Unit> kg = makeUnit({u"kg", u"kilogram", u"kg"});
    std::unique_ptr<Unit> m = makeUnit({u"m", u"metre", u"m"});
    std::unique_ptr<Unit> s = makeUnit({u"s", u"second", u"s"});
    // Same content as m, a different object: the same key.
    std::unique_ptr<Unit> mCopy = makeUnit(
        {u"m", u"metre", u"m", defaultStoredConversionFactor(), u"", u"", u"another display", 99});

    struct Term {
        const Unit* unit;
        Exponent e;
    };
    static UnitAST ast(std::initializer_list<Term> terms) {
        UnitAST out;
        for (const auto& t : terms) {
            out.addToAST(*t.unit, t.e);
        }
        return out;
    }
};

TEST_F(UnitASTTest, GathersEntitiesThatCompareEqual) {
    const UnitAST a =
        ast({{m.get(), Exponent(1)}, {mCopy.get(), Exponent(-1)}, {s.get(), Exponent(2)}});
    ASSERT_EQ(a.getAST().size(), 2u);
    EXPECT_EQ(a.getAST().at(*m), Exponent(1, 1));
    EXPECT_FALSE(a.isEmpty());
}

TEST_F(UnitASTTest, AddingAnotherRaisesEachEntry) {
    const UnitAST speed = ast({{m.get(), Exponent(1)}, {s.get(), Exponent(-1)}});
    UnitAST out = ast({{s.get(), Exponent(1)}});
    out.addToAST(speed, Exponent(2));
    EXPECT_EQ(out.getAST().at(*m), Exponent(2, 0));
    EXPECT_EQ(out.getAST().at(*s), Exponent(1, 2));

    UnitAST self = speed;
    self.addToAST(self, Exponent(-1));
    EXPECT_EQ(self.getAST().at(*m), Exponent(1, 1));
    EXPECT_EQ(self.getAST().at(*s), Exponent(1, 1));
}

TEST_F(UnitASTTest, EqualUnderBothUsages) {
    struct Case {
        const char* what;
        UnitAST a;
        UnitAST b;
        bool posNeg;
        bool simplified;
    };
    const Case cases[] = {
        {"both empty", {}, {}, true, true},
        {"m/m against 1", ast({{m.get(), Exponent(1, 1)}}), {}, false, true},
        {"m*s/s against m", ast({{m.get(), 1}, {s.get(), Exponent(1, 1)}}), ast({{m.get(), 1}}),
         false, true},
        {"zero entry first in order", ast({{kg.get(), Exponent(2, 2)}, {m.get(), 1}}),
         ast({{m.get(), 1}}), false, true},
        {"zero entries on both sides", ast({{kg.get(), Exponent(1, 1)}, {m.get(), 1}}),
         ast({{m.get(), 1}, {s.get(), Exponent(3, 3)}}), false, true},
        {"(2, 1) against (1, 0)", ast({{m.get(), Exponent(2, 1)}}), ast({{m.get(), 1}}), false,
         true},
        {"within one epsilon", ast({{m.get(), 1}}), ast({{m.get(), 1 + 1e-17}}), true, true},
        {"beyond tolerance", ast({{m.get(), 1}}), ast({{m.get(), 1.0001}}), false, false},
        {"different units", ast({{m.get(), 1}}), ast({{s.get(), 1}}), false, false},
        {"extra unit", ast({{m.get(), 1}, {s.get(), -1}}), ast({{m.get(), 1}}), false, false},
        {"same content, other objects", ast({{m.get(), 2}}), ast({{mCopy.get(), 2}}), true, true},
        {"sign matters", ast({{s.get(), 1}}), ast({{s.get(), -1}}), false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.a.equal(c.b, UsePosNegExpo), c.posNeg) << c.what;
        EXPECT_EQ(c.b.equal(c.a, UsePosNegExpo), c.posNeg) << c.what;
        EXPECT_EQ(c.a.equal(c.b, UseSimplifiedExpo), c.simplified) << c.what;
        EXPECT_EQ(c.b.equal(c.a, UseSimplifiedExpo), c.simplified) << c.what;
        EXPECT_EQ(c.a.equal(c.b, static_cast<ExponentUsage>(7)), c.simplified) << c.what;
    }
}

TEST_F(UnitASTTest, PrintsAsciiSymbolsInEntityOrder) {
    auto ohm = makeUnit({u"\u03a9", u"ohm", u"Ohm"});
    EXPECT_EQ(ast({{s.get(), -2}, {m.get(), 2}, {kg.get(), 1}}).toUString(), u"kg^1:0m^2:0s^0:2");
    EXPECT_EQ(ast({{ohm.get(), 0.5}}).toUString(), u"Ohm^0.5:0");
    EXPECT_EQ(UnitAST().toUString(), u"");
}

TEST_F(UnitASTTest, MoveLeavesTheSourceEmpty) {
    UnitAST a = ast({{m.get(), 1}});
    UnitAST b(std::move(a));
    EXPECT_TRUE(
        a.isEmpty()); // NOLINT(bugprone-use-after-move): the state after a move is specified
    EXPECT_EQ(b.getAST().size(), 1u);
    a = std::move(b);
    EXPECT_TRUE(b.isEmpty()); // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(a.getAST().size(), 1u);
}

TEST_F(UnitASTTest, PooledASTsShareEntriesUntilOneChanges) {
    UnitASTPool pool;
    UnitAST a = ast({{m.get(), 1}, {s.get(), -1}});
    UnitAST b = ast({{m.get(), 1}, {s.get(), -1}});
    // Equal under compare, but another entity: definitions must keep their own.
    UnitAST other = ast({{mCopy.get(), 1}, {s.get(), -1}});
    for (UnitAST* each : {&a, &b, &other}) {
        pool.share(*each);
    }
    EXPECT_EQ(&a.getAST(), &b.getAST());
    EXPECT_NE(&a.getAST(), &other.getAST());
    // Entries built elsewhere find the same block, with no block made for them.
    const UnitAST interned = pool.intern({a.getAST().begin(), a.getAST().size()});
    EXPECT_EQ(&interned.getAST(), &a.getAST());
    EXPECT_EQ(pool.size(), 2u);

    b.addToAST(*s, 1);
    EXPECT_EQ(a.getAST().at(*s), Exponent(0, 1));
    EXPECT_EQ(b.getAST().at(*s), Exponent(1, 1));
    // A scratch AST emptied for the next build lets go of a block others hold.
    UnitAST scratch = a;
    scratch.clear();
    scratch.addToAST(*s, 2);
    EXPECT_EQ(a.toUString(), u"m^1:0s^0:1");
    EXPECT_EQ(scratch.toUString(), u"s^2:0");
    pool.clear();
    EXPECT_EQ(a.toUString(), u"m^1:0s^0:1");
    EXPECT_EQ(&other.getAST().begin()->first.get(), mCopy.get());
}

} // namespace
