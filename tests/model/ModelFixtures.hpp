#pragma once

#include "units/model/PhysicalQuantity.hpp"
#include "units/model/Unit.hpp"
#include "units/model/UnitFactory.hpp"
#include "units/model/UnitModelLookup.hpp"
#include "units/model/UnitPrefix.hpp"
#include "units/model/UnitSystem.hpp"

#include <map>
#include <memory>

namespace model_test {

using namespace CvUnitSys;

inline StoredConversionFactor doubleFactor(const ustring& text) {
    return {text, ConversionFactorType::Double};
}

struct UnitSpec {
    ustring symbol = {};
    ustring name = {};
    ustring ascii = {};
    StoredConversionFactor factor = defaultStoredConversionFactor();
    ustring expression = {};
    ustring subUnit = {};
    ustring display = {};
    std::int32_t id = 1;
};

inline std::unique_ptr<Unit>
makeUnit(const UnitSpec& s, const UnitBase& pq = UnitFactory::getDefaultPhysicalQuantity()) {
    auto unit = std::make_unique<Unit>(s.id, s.name, s.expression, s.symbol, s.ascii, s.display,
                                       s.factor, pq);
    unit->setSubUnit(s.subUnit);
    return unit;
}

inline std::unique_ptr<UnitPrefix> makePrefix(const ustring& name, const ustring& symbol,
                                              const ustring& factor = u"1000") {
    return std::make_unique<UnitPrefix>(name, symbol, symbol, symbol, doubleFactor(factor));
}

// Installs fake database look-ups for the lifetime of the object.
class FakeLookups {
public:
    FakeLookups() {
        UnitModelLookup::Hooks hooks;
        hooks.managerUnitSystem = [this](const ustring& n) { return find(managerSystems, n); };
        hooks.builtInUnitSystem = [this](const ustring& n) { return find(builtInSystems, n); };
        hooks.builtInPrefixes = [this](const ustring& n) {
            UnitModelLookup::PrefixSet out;
            for (const auto& p : prefixes) {
                if (p->getName() == n || p->getSymbol() == n) {
                    out.insert(*p);
                }
            }
            return out;
        };
        previous_ = UnitModelLookup::install(std::move(hooks));
    }
    ~FakeLookups() { UnitModelLookup::install(std::move(previous_)); }
    FakeLookups(const FakeLookups&) = delete;
    FakeLookups& operator=(const FakeLookups&) = delete;

    std::shared_ptr<UnitSystem> addManagerSystem(const ustring& name) {
        return managerSystems[name] = std::make_shared<UnitSystem>(name);
    }
    std::shared_ptr<UnitSystem> addBuiltInSystem(const ustring& name) {
        return builtInSystems[name] = std::make_shared<UnitSystem>(name);
    }

    std::map<ustring, std::shared_ptr<UnitSystem>> managerSystems;
    std::map<ustring, std::shared_ptr<UnitSystem>> builtInSystems;
    std::vector<std::unique_ptr<UnitPrefix>> prefixes;

private:
    static std::shared_ptr<UnitSystem> find(const std::map<ustring, std::shared_ptr<UnitSystem>>& m,
                                            const ustring& n) {
        const auto it = m.find(n);
        return it == m.end() ? nullptr : it->second;
    }

    UnitModelLookup::Hooks previous_;
};

} // namespace model_test
