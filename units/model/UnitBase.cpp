#include "units/model/UnitBase.hpp"

#include "units/expr/CharacterClasses.hpp"
#include "units/expr/ParseUnitExpr.hpp"
#include "units/expr/UnitTextChecks.hpp"
#include "units/model/UnitSystem.hpp"

#include <utility>

namespace CvUnitSys {

const StoredConversionFactor& UnitBase::defaultFactor() {
    static const StoredConversionFactor factor = defaultStoredConversionFactor();
    return factor;
}

bool UnitBase::isDefaultFactor(const StoredConversionFactor& factor) {
    // Every registered text's unit asks: no guard of a static on the way.
    return factor.second == ConversionFactorType::Double &&
           factor.first == ConversionFactor::defaultValue;
}

UnitBase::UnitBase(std::int32_t id, std::u16string_view name, std::u16string_view expression,
                   std::u16string_view display, std::u16string_view symbol,
                   std::u16string_view asciiSymbol, const StoredConversionFactor& conversionFactor)
    : UnitBase(id, UnitTexts(name, symbol, asciiSymbol, display, expression), conversionFactor) {}

UnitBase::UnitBase(std::int32_t id, UnitTexts texts, const StoredConversionFactor& conversionFactor)
    : UnitBase(id, std::move(texts),
               isDefaultFactor(conversionFactor) ? nullptr : new Shared(conversionFactor)) {}

UnitBase::UnitBase(std::int32_t id, UnitTexts texts, boost::intrusive_ptr<Shared> shared)
    : id_(id), texts_(std::move(texts)), shared_(std::move(shared)) {}

UnitBase::UnitBase(std::u16string_view expression, const StoredConversionFactor& conversionFactor)
    : UnitBase(0, UnitTexts({}, {}, {}, {}, expression), conversionFactor) {}

void UnitBase::print(std::basic_ostream<char16_t>& out) const {
    out << u"Unit : '" << getExpression() << u"'" << u'\n';
}

const std::vector<std::shared_ptr<UnitSystem>>& UnitBase::getUnitSystems() const {
    static const std::vector<std::shared_ptr<UnitSystem>> none;
    return none;
}

int compareText(std::u16string_view a, std::u16string_view b) {
    const int c = a.compare(b);
    return (c > 0) - (c < 0);
}

template <typename CompareSymbols>
int UnitBase::compareWith(const UnitBase& other, CompareSymbols compareSymbols) const {
    if (this == &other) {
        return 0;
    }
    if (sortClass_ != other.sortClass_) {
        return sortClass_ < other.sortClass_ ? -1 : 1;
    }
    if (const int c = compareSymbols(); c != 0) {
        return c;
    }
    for (const auto field : {UnitTexts::Name, UnitTexts::AsciiSymbol}) {
        if (const int c = compareText(texts_.get(field), other.texts_.get(field)); c != 0) {
            return c;
        }
    }
    // Reversed on purpose: the entity with the smaller factor sorts after.
    if (getConversionFactor() != other.getConversionFactor()) {
        return getConversionFactor() < other.getConversionFactor() ? 1 : -1;
    }
    if (const int c = compareText(getExpression(), other.getExpression()); c != 0) {
        return c;
    }
    return compareTemplate(other);
}

int UnitBase::compare(const UnitBase& other) const {
    return compareWith(other, [&] { return compareText(getSymbol(), other.getSymbol()); });
}

int UnitBase::compare(const UnitBase& other, std::u16string_view symbol,
                      std::u16string_view otherSymbol) const {
    return compareWith(other, [&] { return compareText(symbol, otherSymbol); });
}

void UnitBase::settleSortClass() {
    // Prefixed units sort after the others, and among the others a prefix
    // only sorts after a plain entity.
    sortClass_ = isPrefixOnly() ? 1 : isPrefixedUnit() ? 2 : 0;
}

int UnitBase::compareTemplate(const UnitBase& other) const {
    return compareUnitTypes(other);
}

int UnitBase::compareUnitTypes(const UnitBase& other) const {
    const int a = getUnitType();
    const int b = other.getUnitType();
    return (a > b) - (a < b);
}

bool UnitBase::isUnitCompatibleWithUnitSystems(
    const std::vector<std::shared_ptr<UnitSystem>>& systems) const {
    const auto& own = getUnitSystems();
    if (own.empty()) {
        return true;
    }
    for (const auto& mine : own) {
        for (const auto& given : systems) {
            if (mine && given && mine->getName() == given->getName()) {
                return true;
            }
        }
    }
    return false;
}

bool UnitBase::isValidStringForUnitName(std::u16string_view name) {
    return CvUnitSys::isValidStringForUnitName(name);
}

namespace {

// An unpaired surrogate can never be part of a valid name; judging it here keeps
// the parser from raising a decoding error for what is simply an invalid name.
bool isWellFormed(const ustring& text) {
    return scanWholeText(text, [](char32_t) { return true; });
}

bool allSymbolsAreNames(const ustring& expression) {
    if (!isWellFormed(expression)) {
        return false;
    }
    UnitExpr parsed;
    parseUnitExprThrows(expression, parsed);
    return UnitBase::isValidUnitExpr(parsed);
}

} // namespace

bool UnitBase::isValidUnitExpr(const ustring& expression) {
    return allSymbolsAreNames(expression);
}

bool UnitBase::isValidUnitExpr(const UnitExpr& parsed) {
    for (const auto& [symbol, exponent] : parsed.getReducedUnitExpr().getExpr()) {
        if (!CvUnitSys::isValidStringForUnitName(symbol)) {
            return false;
        }
    }
    return true;
}

bool UnitBase::isValidExpr(const ustring& text) {
    ustring expressionPart;
    ustring qualifierPart;
    if (!isWellFormed(text) || !parseExprForUnitComponents(text, expressionPart, qualifierPart)) {
        return false;
    }
    if (!expressionPart.empty() && !allSymbolsAreNames(expressionPart)) {
        return false;
    }
    return qualifierPart.empty() || CvUnitSys::isValidStringForUnitName(qualifierPart);
}

std::basic_ostream<char16_t>& operator<<(std::basic_ostream<char16_t>& out, const UnitBase& unit) {
    unit.print(out);
    return out;
}

} // namespace CvUnitSys
