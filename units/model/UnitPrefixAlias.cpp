#include "units/model/UnitPrefixAlias.hpp"

#include "units/model/AliasText.hpp"

namespace CvUnitSys {

UnitPrefixAlias::UnitPrefixAlias(const ustring& name, const ustring& symbol,
                                 const ustring& asciiSymbol, const ustring& display,
                                 const std::reference_wrapper<const UnitPrefix>& ref,
                                 const std::vector<ustring>& unitSystemNames)
    : UnitPrefix(orRefText(name, ref.get().getName()), orRefText(symbol, ref.get().getSymbol()),
                 orRefText(asciiSymbol, ref.get().getAsciiSymbol()),
                 orRefText(display, ref.get().getDisplay()), ref.get().getConversionFactor()),
      refUnitPrefix_(&ref.get()), nameMatches_(matchesRefText(name, ref.get().getName())),
      symbolMatches_(matchesRefText(symbol, ref.get().getSymbol())),
      asciiSymbolMatches_(matchesRefText(asciiSymbol, ref.get().getAsciiSymbol())) {
    for (const auto& systemName : unitSystemNames) {
        addOwnerUnitSystem(systemName);
    }
}

std::unique_ptr<UnitPrefix> UnitPrefixAlias::clone() const {
    return std::make_unique<UnitPrefixAlias>(*this);
}

} // namespace CvUnitSys
