#include "units/model/FundamentalUnits.hpp"

#include "units/foundation/DisplayText.hpp"

namespace CvUnitSys {

namespace {

struct Row {
    const char16_t* quantityName;
    const char16_t* quantityExpression;
    const char16_t* quantitySymbol;
    const char16_t* quantityAscii;
    const char16_t* unitName;
    const char16_t* unitExpression;
    const char16_t* unitSymbol;
    const char16_t* unitAscii;
};

const Row fundamentalTable[] = {
    {u"mass", u"Mass", u"M", u"M", u"Kilogram", u"kg", u"kg", u"kg"},
    {u"length", u"Length", u"L", u"L", u"Metre", u"m", u"m", u"m"},
    {u"time", u"Time", u"T", u"T", u"Second", u"s", u"s", u"s"},
    {u"electric_current", u"Electric_Current", u"I", u"I", u"Ampere", u"A", u"A", u"A"},
    {u"thermodynamic_temperature", u"Thermodynamic_Temperature", u"\u0398", u"Temp", u"Kelvin",
     u"K", u"K", u"K"},
    {u"temperature_difference", u"Temperature_Difference", u"\u0394\u0398", u"DTemp",
     u"Delta_Kelvin", u"deltaK", u"\u0394K", u"deltaK"},
    {u"amount_of_substance", u"Amount_Of_Substance", u"N", u"N", u"Mole", u"mol", u"mol", u"mol"},
    {u"luminous_intensity", u"Luminous_Intensity", u"J", u"J", u"Candela", u"cd", u"cd", u"cd"},
    {u"memory", u"Memory", u"memory", u"memory", u"bit", u"Bit", u"b", u"b"},
};

const UnitBase* findIn(const std::vector<std::unique_ptr<UnitBase>>& entities,
                       const ustring& text) {
    for (const auto& e : entities) {
        if (e->getSymbol() == text || e->getAsciiSymbol() == text || e->getName() == text) {
            return e.get();
        }
    }
    return nullptr;
}

// A key that is already present keeps its first definition, so "M", both the
// symbol and the ASCII symbol of mass, is stored once.
void addDefinition(FundamentalUnits::DefinitionMap& map, const UnitBase& entity) {
    UnitAST ast;
    ast.addToAST(entity, Exponent::unity);
    const UnitDefinition definition(ast, ast, ConversionFactor::unity, ConversionFactor::unity,
                                    false);
    for (const std::u16string_view key :
         {entity.getSymbol(), entity.getAsciiSymbol(), entity.getName()}) {
        map.try_emplace(ustring(key), definition);
    }
}

} // namespace

std::unique_ptr<FundamentalUnits> FundamentalUnits::sFundamentalUnits;
std::once_flag FundamentalUnits::sFundamentalUnits_flag;

const FundamentalUnits& FundamentalUnits::get() {
    std::call_once(sFundamentalUnits_flag, [] { sFundamentalUnits.reset(new FundamentalUnits()); });
    return *sFundamentalUnits;
}

FundamentalUnits::FundamentalUnits() {
    unitDefinitions_.max_load_factor(1.0F);
    physicalQuantityDefinitions_.max_load_factor(1.0F);
    for (const auto& row : fundamentalTable) {
        const ustring quantityName = row.quantityName;
        physicalQuantities_.push_back(createPhysicalQuantity(
            -10, quantityName, row.quantityExpression, escapeUnderscores(quantityName),
            row.quantitySymbol, row.quantityAscii));
        const UnitBase& quantity = *physicalQuantities_.back();
        physicalQuantitySet_.insert(quantity);
        addDefinition(physicalQuantityDefinitions_, quantity);

        units_.push_back(createUnit(-10, row.unitName, row.unitExpression, row.unitSymbol,
                                    row.unitAscii, u"", defaultStoredConversionFactor(), u"", {},
                                    {}, false, quantity));
        unitSet_.insert(*units_.back());
        addDefinition(unitDefinitions_, *units_.back());
    }
    addKeys(unitKeys_, unitDefinitions_);
    addKeys(quantityKeys_, physicalQuantityDefinitions_);
}

void FundamentalUnits::addKeys(KeyFilter& filter, const DefinitionMap& keys) {
    for (const auto& [key, definition] : keys) {
        const std::size_t bit = signature(key);
        filter[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }
}

const UnitBase* FundamentalUnits::findUnit(const ustring& text) const {
    return findIn(units_, text);
}

const UnitBase* FundamentalUnits::findPhysicalQuantity(const ustring& text) const {
    return findIn(physicalQuantities_, text);
}

} // namespace CvUnitSys
