#include "units/model/UnitAlias.hpp"

#include "units/model/AliasText.hpp"

namespace CvUnitSys {

UnitAlias::UnitAlias(const ustring& name, const ustring& symbol, const ustring& asciiSymbol,
                     const ustring& display, std::reference_wrapper<const Unit> ref,
                     const std::vector<ustring>& unitSystemNames)
    : Unit(0, orRefText(name, ref.get().getName()), ref.get().getExpression(),
           orRefText(symbol, ref.get().getSymbol()),
           orRefText(asciiSymbol, ref.get().getAsciiSymbol()),
           orRefText(display, ref.get().getDisplay()), ref.get().getConversionFactor(),
           *ref.get().getPhysicalQuantity()),
      refUnit_(&ref.get()), nameMatches_(matchesRefText(name, ref.get().getName())),
      symbolMatches_(matchesRefText(symbol, ref.get().getSymbol())),
      asciiSymbolMatches_(matchesRefText(asciiSymbol, ref.get().getAsciiSymbol())) {
    settleSortClass();
    for (const auto& systemName : unitSystemNames) {
        addOwnerUnitSystem(systemName);
    }
}

std::unique_ptr<UnitBase> UnitAlias::clone() const {
    return std::make_unique<UnitAlias>(*this);
}

} // namespace CvUnitSys
