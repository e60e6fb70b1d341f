#include "units/model/UnitPrefix.hpp"

#include "units/model/UnitBase.hpp"
#include "units/model/UnitModelLookup.hpp"
#include "units/model/UnitPrefixDealiasing.hpp"

namespace CvUnitSys {

bool UnitPrefix::ConstRefComparator::operator()(std::reference_wrapper<const UnitPrefix> a,
                                                std::reference_wrapper<const UnitPrefix> b) const {
    return dealiasedPrefix(a.get()).compare(dealiasedPrefix(b.get())) < 0;
}

UnitPrefix::UnitPrefix(std::u16string_view name, std::u16string_view symbol,
                       std::u16string_view asciiSymbol, std::u16string_view display,
                       const StoredConversionFactor& conversionFactor)
    : name_(name), symbol_(symbol), asciiSymbol_(asciiSymbol), display_(display),
      conversionFactor_(conversionFactor) {}

std::unique_ptr<UnitPrefix> UnitPrefix::clone() const {
    return std::make_unique<UnitPrefix>(*this);
}

int UnitPrefix::compare(const UnitPrefix& other) const {
    if (this == &other) {
        return 0;
    }
    for (auto field : {&UnitPrefix::name_, &UnitPrefix::symbol_, &UnitPrefix::asciiSymbol_}) {
        if (const int c = compareText(this->*field, other.*field); c != 0) {
            return c;
        }
    }
    if (conversionFactor_ != other.conversionFactor_) {
        return conversionFactor_ < other.conversionFactor_ ? 1 : -1;
    }
    return 0;
}

void UnitPrefix::addOwnerUnitSystem(const ustring& systemName) {
    if (auto system = UnitModelLookup::builtInUnitSystem(systemName)) {
        unitSystems_.push_back(std::move(system));
    }
}

} // namespace CvUnitSys
