#pragma once

#include "model/ModelFixtures.hpp"
#include "units/db/UnitDatabase.hpp"
#include "units/platform/DiagnosticService.hpp"
#include "units/platform/IException.hpp"
#include "units/platform/WarningSink.hpp"

#include <string>
#include <vector>

namespace db_test {

using namespace CvUnitSys;
using model_test::makePrefix;
using model_test::makeUnit;
using model_test::UnitSpec;

inline std::unique_ptr<UnitDatabase> emptyDatabase() {
    return UnitDatabase::createNewDatabase(u"/tmp/test.units.db", DatabaseSource::UserFile);
}

// The keys of every collected warning item, in order.
inline std::vector<std::string> warningIds(const WarningCollector& collector) {
    std::vector<std::string> ids;
    for (const Diagnostic& d : collector.warnings()) {
        for (const DiagnosticItem& item : d.items()) {
            ids.push_back(item.id.getKey());
        }
    }
    return ids;
}

template <typename F> std::string thrownId(F&& f) {
    try {
        f();
    } catch (const IUserException& e) {
        return e.getMessageIdentifier();
    }
    return "";
}

// The symbols of a lookup result, in the set's order.
template <typename Set> std::vector<std::u16string> symbolsOf(const Set& set) {
    std::vector<std::u16string> out;
    for (const auto& entity : set) {
        out.emplace_back(entity.get().getSymbol());
    }
    return out;
}

} // namespace db_test
