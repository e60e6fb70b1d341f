#include "db/DbSetFixtures.hpp"
#include "units/foundation/RationalAffineConversionFactor.hpp"
#include "units/foundation/ScaledRational.hpp"
#include "units/model/UnitAlias.hpp"
#include "units/platform/TextServices.hpp"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <unordered_map>

namespace {

using namespace dbset_test;

bool isExact(const ConversionFactor& f) {
    return dynamic_cast<const ScaledRational*>(&f.getFactor()) != nullptr ||
           dynamic_cast<const RationalAffineConversionFactor*>(&f.getFactor()) != nullptr;
}

bool close(double a, double b) {
    return std::abs(a - b) <= 1e-12 * std::max(std::abs(a), std::abs(b));
}

// Every unit of the built-in database, and beside each a unit of no quantity
// with the same text, as a user who types an expression gets: paths through
// those reach across quantities the way users do. Aliases convert as the unit
// they name, and prefixed forms as their unit times an exact power of ten.
class BuiltinTransitivity : public ::testing::Test {
protected:
    void SetUp() override {
        set.initializeIfNeeded();
        for (const UnitBase& unit : UnitDatabase::getBuiltinDatabase()->getAllUnits()) {
            if (dynamic_cast<const UnitAlias*>(&unit)) {
                continue;
            }
            const std::u16string_view text = unit.getSymbol();
            units.push_back(&unit);
            twins.push_back(std::make_unique<Unit>(-10, u"", text, text, text, u"",
                                                   defaultStoredConversionFactor(),
                                                   UnitFactory::getDefaultPhysicalQuantity()));
            units.push_back(twins.back().get());
        }
    }

    const UnitBase& quantityOf(const UnitBase& unit) const {
        return *static_cast<const Unit&>(unit).getPhysicalQuantity();
    }

    std::string label(const UnitBase* u) const {
        const bool twin = &quantityOf(*u) == &UnitFactory::getDefaultPhysicalQuantity();
        return TextServices::toUtf8(u->getSymbol()) +
               (twin ? "" : "@" + TextServices::toUtf8(quantityOf(*u).getName()));
    }

    // Units that can convert at all: those of one dimension, joined with the
    // dimensions that a relation between quantities ties to it.
    std::vector<std::vector<const UnitBase*>> groups() {
        std::unordered_map<ustring, ustring> parent;
        const auto find = [&](ustring k) {
            while (parent.at(k) != k) {
                k = parent.at(k);
            }
            return k;
        };
        std::map<const UnitBase*, ustring> keyOf;
        std::map<ustring, ustring> keyOfQuantity;
        for (const UnitBase* u : units) {
            const ustring key = set.definitionOf(*u).getFundamentalAST().toUString();
            keyOf[u] = key;
            parent.emplace(key, key);
            keyOfQuantity.emplace(quantityOf(*u).getName(), key);
        }
        const UnitDatabase& db = *UnitDatabase::getBuiltinDatabase();
        for (const auto& [quantity, key] : keyOfQuantity) {
            for (const ustring& related : db.getRelatedPhysicalQuantities(quantity)) {
                if (const auto other = keyOfQuantity.find(related); other != keyOfQuantity.end()) {
                    parent[find(key)] = find(other->second);
                }
            }
        }
        std::map<ustring, std::vector<const UnitBase*>> grouped;
        for (const UnitBase* u : units) {
            grouped[find(keyOf[u])].push_back(u);
        }
        std::vector<std::vector<const UnitBase*>> out;
        for (auto& [key, members] : grouped) {
            out.push_back(std::move(members));
        }
        return out;
    }

    std::optional<ConversionFactor> convert(const UnitBase& a, const UnitBase& b) {
        try {
            return set.getConversionInfo(a, b).getConversionFactor();
        } catch (const IUserException&) {
            return std::nullopt;
        }
    }

    Universe universe;
    UnitDBSet set;
    std::vector<const UnitBase*> units;
    std::vector<std::unique_ptr<Unit>> twins;
};

// A conversion as a caller applies it: y = scale * x + offset, or scale / x.
struct Map {
    double scale;
    double offset;
    bool inverted;
};

// `second` applied after `first`; nothing where an offset meets an inversion.
std::optional<Map> then(const Map& first, const Map& second) {
    if (!first.inverted && !second.inverted) {
        return Map{second.scale * first.scale, second.scale * first.offset + second.offset, false};
    }
    if (first.offset != 0 || second.offset != 0) {
        return std::nullopt;
    }
    return Map{second.inverted ? second.scale / first.scale : second.scale * first.scale, 0,
               first.inverted != second.inverted};
}

bool agree(const Map& a, const Map& b) {
    const double offsetScale = std::max({1.0, std::abs(a.offset), std::abs(b.offset)});
    return a.inverted == b.inverted && close(a.scale, b.scale) &&
           std::abs(a.offset - b.offset) <= 1e-12 * offsetScale;
}

// For units a, b, c: when a converts to b and b to c, a converts to c, and
// the factor is the product of the two (exactly, where all three are exact).
//
// Two kinds of triple are left out, because the comparison rules keep two
// quantities apart however the data is written: Gy -> J/kg -> Sv converts
// step by step, but Gy and Sv are different quantities with no relation, so
// Gy -> Sv does not convert at all; and relations do not chain, so psia -> psi
// -> psig converts while psia -> psig, between absolute and gauge pressure,
// must not. So a missing conversion is accepted exactly between two different
// quantities that no relation joins. Where a conversion exists, its value
// must still agree with every path.
TEST_F(BuiltinTransitivity, EveryPathBetweenTwoUnitsGivesOneFactor) {
    std::vector<std::string> failures;
    std::size_t failed = 0;
    const auto fail = [&](const std::string& text) {
        if (++failed <= 20) {
            failures.push_back(text);
        }
    };
    std::size_t triples = 0;
    for (const auto& group : groups()) {
        const std::size_t n = group.size();
        std::vector<std::optional<ConversionFactor>> factor(n * n);
        std::vector<std::optional<Map>> map(n * n);
        std::vector<bool> mayBeMissing(n * n);
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = 0; j < n; ++j) {
                const UnitBase& a = *group[i];
                const UnitBase& b = *group[j];
                if (auto f = convert(a, b)) {
                    map[i * n + j] =
                        Map{f->toDouble(), f->isAffine() ? f->getOffset() : 0.0, f->isReciprocal()};
                    factor[i * n + j] = std::move(f);
                } else {
                    mayBeMissing[i * n + j] =
                        &quantityOf(a) != &quantityOf(b) && !set.getSpecialConversionFactor(a, b);
                }
            }
        }
        for (std::size_t a = 0; a < n; ++a) {
            for (std::size_t b = 0; b < n; ++b) {
                if (!map[a * n + b]) {
                    continue;
                }
                for (std::size_t c = 0; c < n; ++c) {
                    const auto& direct = map[a * n + c];
                    if (!map[b * n + c] || (!direct && mayBeMissing[a * n + c])) {
                        continue;
                    }
                    ++triples;
                    const auto through = then(*map[a * n + b], *map[b * n + c]);
                    if (!direct || (through && !agree(*direct, *through))) {
                        fail(label(group[a]) + " -> " + label(group[b]) + " -> " + label(group[c]) +
                             ": " +
                             (direct
                                  ? TextServices::toUtf8(factor[a * n + c]->toUString()) +
                                        " directly, " + std::to_string(through->scale) + " through"
                                  : "the ends do not convert"));
                    }
                }
            }
        }
        // Exactness, through the first other unit that reaches both ends exactly.
        for (std::size_t a = 0; a < n; ++a) {
            for (std::size_t c = 0; c < n; ++c) {
                const auto& direct = factor[a * n + c];
                if (!direct || !isExact(*direct)) {
                    continue;
                }
                for (std::size_t b = 0; b < n; ++b) {
                    if (group[b]->getSymbol() == group[a]->getSymbol() ||
                        group[b]->getSymbol() == group[c]->getSymbol()) {
                        continue;
                    }
                    const auto& first = factor[a * n + b];
                    const auto& second = factor[b * n + c];
                    if (first && second && isExact(*first) && isExact(*second)) {
                        if (*second * *first != *direct) {
                            fail(label(group[a]) + " -> " + label(group[c]) + " is not exactly " +
                                 "the product through " + label(group[b]));
                        }
                        break;
                    }
                }
            }
        }
    }
    EXPECT_GT(triples, 100000U);
    std::ostringstream shown;
    for (const std::string& f : failures) {
        shown << "\n  " << f;
    }
    EXPECT_EQ(failed, 0U) << "disagreements, the first 20:" << shown.str();
}

// A relation between quantities says only that they may stand for each
// other: the scale of a conversion belongs to the units, so every relation is
// the identity or the plain reciprocal.
TEST_F(BuiltinTransitivity, RelationsAddNoScale) {
    const UnitDatabase& db = *UnitDatabase::getBuiltinDatabase();
    std::size_t relations = 0;
    for (const UnitBase& a : set.getAllPhysicalQuantities()) {
        for (const ustring& name : db.getRelatedPhysicalQuantities(ustring(a.getName()))) {
            const auto f = set.getSpecialConversionFactor(a, set.getPhysicalQuantity(name));
            ASSERT_TRUE(f);
            ++relations;
            EXPECT_TRUE(!f->isAffine() && f->toDouble() == 1.0)
                << TextServices::toUtf8(a.getName()) << " -> " << TextServices::toUtf8(name) << ": "
                << TextServices::toUtf8(f->toUString());
        }
    }
    EXPECT_GE(relations, 16U);
}

} // namespace
