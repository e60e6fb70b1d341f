#include "units/db/CopiedUnitFacts.hpp"
#include "units/db/UnitDBSet.hpp"
#include "units/expr/ExprSymbolLists.hpp"
#include "units/expr/ParseUnitExpr.hpp"
#include "units/foundation/UnitMsgID.hpp"
#include "units/model/DefaultQuantity.hpp"
#include "units/model/Unit.hpp"
#include "units/model/UnitFactory.hpp"
#include "units/platform/DiagnosticService.hpp"

#include <algorithm>
#include <boost/container/small_vector.hpp>
#include <utility>

namespace CvUnitSys {

namespace {

const Unit* asUnit(const UnitBase& entity) {
    return entity.getUnitType() == UnitBase::UNIT_TYPE_UNIT ? static_cast<const Unit*>(&entity)
                                                            : nullptr;
}

const UnitBase& quantityOf(const Unit& unit) {
    const UnitBase* quantity = unit.getPhysicalQuantity();
    return quantity != nullptr ? *quantity : defaultQuantity();
}

// The quantity of a unit; the default quantity stands for anything else.
const UnitBase& quantityOfAny(const UnitBase& entity) {
    const Unit* unit = asUnit(entity);
    return unit != nullptr ? quantityOf(*unit) : defaultQuantity();
}

// Most texts name no quantity: the default one, which no database holds and so
// relates to nothing, matches itself without a comparison.
bool bothDefault(const UnitBase& a, const UnitBase& b) {
    return &a == &b && &a == &defaultQuantity();
}

bool isQuantityOnly(const UnitBase& entity) {
    const Unit* unit = asUnit(entity);
    return unit != nullptr && unit->isPQOnly();
}

// The names of an "expression@quantity" text's unit part, or nothing when the
// text does not split; parse errors of the unit part propagate.
std::optional<UnitExpr> parseUnitPart(const ustring& text, ustring& unitPart) {
    ustring quantityPart;
    if (!parseExprForUnitComponents(text, unitPart, quantityPart)) {
        return std::nullopt;
    }
    UnitExpr parsed;
    if (!unitPart.empty()) {
        parseUnitExprThrows(unitPart, parsed);
    }
    return parsed;
}

} // namespace

UnitComparison UnitDBSet::equivalent(const UnitBase& a, const UnitBase& b, ExponentUsage usage) {
    const bool aUnresolved = isUnresolved(a);
    const bool bUnresolved = isUnresolved(b);
    if (aUnresolved || bUnresolved) {
        return aUnresolved && bUnresolved && a.getDisplayString() == b.getDisplayString()
                   ? Equivalent
                   : UnresolvedUnits;
    }
    if (const auto special = getSpecialConversionFactor(a, b)) {
        return special->isReciprocal() ? ReciprocalUnits : CanonicalScalingFactorDifference;
    }
    // A unit without a definition (no unit part) can only match itself.
    const auto undefinedSide = [&](const UnitBase& x) {
        return generateDefinitionOnce(x, nullptr) == nullptr;
    };
    const Unit* ua = asUnit(a);
    const Unit* ub = asUnit(b);
    if (ua != nullptr && ub != nullptr) {
        const UnitBase& aQuantity = quantityOf(*ua);
        const UnitBase& bQuantity = quantityOf(*ub);
        if (!bothDefault(aQuantity, bQuantity) &&
            equivalent(aQuantity, bQuantity, usage) != Equivalent) {
            return IncompatibleUnits;
        }
        const bool aInherit = ua->isInherit();
        const bool bInherit = ub->isInherit();
        if (aInherit && bInherit) {
            return Equivalent;
        }
        if (aInherit != bInherit) {
            const Unit& other = aInherit ? *ub : *ua;
            const Unit& inherit = aInherit ? *ua : *ub;
            if (undefinedSide(other)) {
                return UnresolvedUnits;
            }
            const UnitDefinition& unitDefinition = definitionOf(other);
            return UnitDefinition::physicalQuantityValidForUnit(
                       unitDefinition, definitionOf(quantityOf(inherit)), this, usage)
                       ? InheritCompatible
                       : DimensionallyInequivalent;
        }
    } else {
        if (isDefaultQuantity(a) || isDefaultQuantity(b)) {
            return Equivalent;
        }
        if (a.getSymbol() != b.getSymbol() && hasPhysicalQuantity(ustring(a.getSymbol())) &&
            hasPhysicalQuantity(ustring(b.getSymbol()))) {
            return DifferentPhysicalQuantities;
        }
    }
    // Kept rather than looked up again: definitions never move once made.
    const UnitDefinition* aDefinition = generateDefinitionOnce(a, nullptr);
    const UnitDefinition* bDefinition =
        aDefinition != nullptr ? generateDefinitionOnce(b, nullptr) : nullptr;
    if (aDefinition == nullptr || bDefinition == nullptr) {
        return a.compare(b) == 0 ? Equivalent : UnresolvedUnits;
    }
    return UnitDefinition::equivalent(*aDefinition, *bDefinition, usage);
}

UnitNumericInfoForConversions UnitDBSet::getConversionInfo(const UnitBase& a, const UnitBase& b) {
    auto outcome = tryConversionInfo(a, b);
    if (auto* reason = std::get_if<BaseMsgID>(&outcome)) {
        cvsvThrowIException(*reason);
    }
    return std::get<UnitNumericInfoForConversions>(std::move(outcome));
}

UnitDBSet::ConversionOutcome UnitDBSet::tryConversionInfo(const UnitBase& a, const UnitBase& b) {
    if (a.compare(b) == 0) {
        return UnitNumericInfoForConversions(ConversionFactor::unity);
    }
    if (isUnresolved(a) || isUnresolved(b)) {
        ustring undefined;
        for (const UnitBase* entity : {&a, &b}) {
            for (const ustring& symbol :
                 getUndefinedUnitsFromExpr(ustring(entity->getSymbol()), *this)) {
                undefined += (undefined.empty() ? u"" : u", ") + symbol;
            }
        }
        return makeUnitMsgID("UnresolvedUnitsNotConvertible",
                             {ustring(a.getSymbol()), ustring(b.getSymbol()), undefined});
    }
    // Hosts check many pairs that do not convert: the answer is a value, not a throw.
    const auto notConvertible = [&] {
        return makeUnitMsgID("UnitsNotConvertible",
                             {ustring(a.getSymbol()), ustring(b.getSymbol()),
                              ustring(a.getSymbol()), ustring(b.getSymbol())});
    };
    // The inherit unit and a quantity without a unit have no definition, so no
    // factor leads to or from them.
    // Kept rather than looked up again: definitions never move once made.
    const UnitDefinition* aDefinition = generateDefinitionOnce(a, nullptr);
    const UnitDefinition* bDefinition = generateDefinitionOnce(b, nullptr);
    if (aDefinition == nullptr || bDefinition == nullptr) {
        return notConvertible();
    }
    const UnitBase& aQuantity = quantityOfAny(a);
    const UnitBase& bQuantity = quantityOfAny(b);
    const bool defaultQuantities = bothDefault(aQuantity, bQuantity);
    const bool quantitiesMatch =
        defaultQuantities || equivalent(aQuantity, bQuantity, UseSimplifiedExpo) == Equivalent;
    // A quantity-only unit has a quantity other than the default one.
    const bool aQuantityOnly = !defaultQuantities && isQuantityOnly(a);
    const bool bQuantityOnly = !defaultQuantities && isQuantityOnly(b);
    std::optional<ConversionFactor> special;
    if (aQuantityOnly || bQuantityOnly) {
        if (!quantitiesMatch) {
            return notConvertible();
        }
        // A quantity-only unit stands for any unit of its quantity.
        if (aQuantityOnly != bQuantityOnly) {
            const UnitBase& quantityOnly = aQuantityOnly ? a : b;
            if (!UnitDefinition::physicalQuantityValidForUnit(
                    aQuantityOnly ? *bDefinition : *aDefinition,
                    definitionOf(quantityOfAny(quantityOnly)), this, UseSimplifiedExpo)) {
                return notConvertible();
            }
        }
    } else if (!quantitiesMatch ||
               !UnitDefinition::areConvertible(*aDefinition, *bDefinition, UseSimplifiedExpo)) {
        special = getSpecialConversionFactor(a, b);
        if (!special) {
            return notConvertible();
        }
    }
    const ConversionFactor factor =
        UnitDefinition::calculateConversionFactor(special, *aDefinition, *bDefinition, this);
    if (!factor.isWellDefined()) {
        return notConvertible();
    }
    return UnitNumericInfoForConversions(factor);
}

std::optional<ConversionFactor> UnitDBSet::getSpecialConversionFactor(const UnitBase& a,
                                                                      const UnitBase& b) const {
    if (auto found = builtin().getSpecialConversionFactor(a, b)) {
        return found;
    }
    for (const UserDB& db : databases_) {
        if (auto found = db.database->getSpecialConversionFactor(a, b)) {
            return found;
        }
    }
    return std::nullopt;
}

bool UnitDBSet::isValid(const UnitBase& entity, bool skipNameCheck) {
    if (!skipNameCheck && (!UnitBase::isValidStringForUnitName(entity.getName()) ||
                           !UnitBase::isValidStringForUnitName(entity.getSymbol()) ||
                           !UnitBase::isValidStringForUnitName(entity.getAsciiSymbol()))) {
        throwUnitMsg("AlphaNumericStringOnlyForName", {ustring(entity.getName())});
    }
    const Unit* unit = asUnit(entity);
    if (unit == nullptr) {
        return true;
    }
    const UnitBase& quantity = quantityOf(*unit);
    if (isDefaultQuantity(quantity) || isUnresolved(entity) || unit->isInherit()) {
        return true;
    }
    const UnitDefinition& unitDefinition = definitionOf(entity);
    if (!UnitDefinition::physicalQuantityValidForUnit(unitDefinition, definitionOf(quantity), this,
                                                      UseSimplifiedExpo)) {
        throwUnitMsg("DimensionallyInconsistent",
                     {ustring(quantity.getName()), ustring(entity.getName())});
    }
    return true;
}

void UnitDBSet::addCopiedUnit(const UnitBase& copy, const UnitBase& original) {
    // User databases take part in both answers. With the built-in database
    // alone they are those of any other set, and so are worked out once.
    if (!databases_.empty()) {
        whitelist_.addSuggestions(copy, *this);
        isValid(copy, false);
        return;
    }
    const UnitDatabase& database = builtin();
    // Read first: answers worked out while the database changes are kept for
    // the state before the change.
    const std::uint64_t generation = database.getSharedDefinitionsGeneration();
    CopiedUnitFacts& facts = CopiedUnitFacts::instance();
    Whitelist::Parts parts;
    if (facts.find(original, database, generation, parts)) {
        whitelist_.addSuggestions(copy, parts);
        return;
    }
    parts = Whitelist::definitionParts(copy, *this);
    whitelist_.addSuggestions(copy, parts);
    isValid(copy, false);
    facts.store(original, database, generation, parts);
}

bool UnitDBSet::isValidUnitExpr(const ustring& expr) const {
    ustring unitPart;
    const auto parsed = parseUnitPart(expr, unitPart);
    return parsed && (unitPart == Unit::UnitInheritUStr || resolveUnitExpr(*parsed));
}

std::optional<UnitAST> UnitDBSet::resolveUnitExpr(const UnitExpr& unitPart) const {
    const auto& symbols = unitPart.getReducedUnitExpr().getExpr();
    UnitAST parts;
    parts.reserve(symbols.size());
    for (const auto& [name, exponent] : symbols) {
        const UnitBase* found = findFirstUnit(name);
        if (found == nullptr) {
            return std::nullopt;
        }
        parts.addToAST(*found, exponent);
    }
    return parts;
}

std::optional<UnitAST> UnitDBSet::resolveUnitExpr(std::span<const ParsedSymbol> symbols,
                                                  const UnitDatabase* lookedUpIn) const {
    const bool answered = lookedUpIn == &builtin();
    // A handful of entries, put in order here and stored in one step: inserting
    // each into the AST searches and grows its block every time.
    boost::container::small_vector<UnitAST::Entry, 8> entries;
    // Each entry's symbol when the database answered that it is the text
    // parsed, empty otherwise: the order is then read from the texts at hand,
    // not from the units' own, which are rarely in cache.
    boost::container::small_vector<std::u16string_view, 8> symbolOf;
    for (const ParsedSymbol& symbol : symbols) {
        const UnitBase* found = answered ? symbol.first : nullptr;
        std::u16string_view foundSymbol =
            found != nullptr && symbol.symbolIsText ? symbol.text : std::u16string_view();
        // A qualified name is asked of the built-in database without its qualifier.
        if (found == nullptr || (symbol.text.find(u':') != std::u16string_view::npos &&
                                 symbol.text.find(u"::") != std::u16string_view::npos)) {
            found = findFirstUnit(ustring(symbol.text));
            foundSymbol = {};
        }
        if (found == nullptr) {
            return std::nullopt;
        }
        const auto orderOf = [&](const UnitAST::Entry& e) {
            const std::u16string_view known =
                symbolOf[static_cast<std::size_t>(&e - entries.data())];
            return known.empty() || foundSymbol.empty()
                       ? e.first.get().compare(*found)
                       : e.first.get().compare(*found, known, foundSymbol);
        };
        // Symbols come in text order, mostly the units' own: the last entry is
        // tried first, then a binary search, as the AST's own (a text may name
        // thousands of units).
        auto at = entries.end();
        int order = entries.empty() ? -1 : orderOf(entries.back());
        if (order >= 0) {
            const auto last = entries.end() - 1;
            at = std::lower_bound(
                entries.begin(), last, *found,
                [&](const UnitAST::Entry& e, const UnitBase&) { return orderOf(e) < 0; });
            if (at != last) {
                order = orderOf(*at);
            }
        }
        if (order == 0) {
            // Two symbols of one unit gather, as addToAST gathers them.
            at->second += symbol.exponent;
        } else {
            symbolOf.insert(symbolOf.begin() + (at - entries.begin()), foundSymbol);
            entries.insert(at, UnitAST::Entry(*found, symbol.exponent));
        }
    }
    UnitAST parts;
    parts.assignSorted(std::span<const UnitAST::Entry>(entries.data(), entries.size()));
    return parts;
}

bool UnitDBSet::isAmbiguousUnitExpr(const ustring& expr) const {
    ustring unitPart;
    const auto parsed = parseUnitPart(expr, unitPart);
    return parsed && isAmbiguousUnitExpr(*parsed);
}

bool UnitDBSet::isAmbiguousUnitExpr(const UnitExpr& unitPart) const {
    return UnitDBManager::m_UnitDBManager.hasAmbiguousSymbol(
        unitPart.getReducedUnitExpr().getExpr(),
        [](const auto& entry) -> const ustring& { return entry.first; });
}

bool UnitDBSet::isAmbiguousUnitExpr(std::span<const ParsedSymbol> symbols) const {
    return UnitDBManager::m_UnitDBManager.hasAmbiguousSymbol(
        symbols, [](const ParsedSymbol& symbol) { return ustring(symbol.text); });
}

bool UnitDBSet::isUnitCompatibleWithUnitSystems(const UnitBase& entity, const SystemList& systems) {
    if (asUnit(entity) == nullptr) {
        return true;
    }
    if (hasUnit(ustring(entity.getName()), UnitFactory::getDefaultPhysicalQuantity())) {
        return entity.isUnitCompatibleWithUnitSystems(systems);
    }
    const UnitDefinition* definition =
        isUnresolved(entity) ? nullptr : generateDefinitionOnce(entity, nullptr);
    if (definition == nullptr) {
        return true;
    }
    for (const auto& [part, exponent] : definition->getUnitAST().getAST()) {
        if (!isUnitCompatibleWithUnitSystems(part, systems)) {
            return false;
        }
    }
    return true;
}

} // namespace CvUnitSys
