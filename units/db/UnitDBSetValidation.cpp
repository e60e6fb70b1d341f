#include "units/db/UnitDBSet.hpp"
#include "units/foundation/UnitMsgID.hpp"
#include "units/model/Unit.hpp"
#include "units/model/UnitFactory.hpp"
#include "units/platform/DiagnosticService.hpp"
#include "units/platform/MessageCatalogue.hpp"

#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace CvUnitSys {

namespace {

const ustring builtInMarker = u"__BUILT__IN__";

void collect(Diagnostic& collected, std::string_view key, std::vector<MsgArg> args) {
    cvsvConcatenateDiagnosticsNoCheck(
        collected, cvsvCreateDiagnosticFromMessageID(makeUnitMsgID(key, std::move(args))), false);
}

bool lastItemIs(const Diagnostic& d, std::string_view key) {
    const std::size_t n = cvsvGetNumItemsInDiagnostic(d);
    return n > 0 && cvsvCheckDiagnosticForMessageIdentifier(
                        d, "CorvaneTypes:Unit:" + std::string(key), n - 1);
}

// Who uses each name, symbol and ASCII symbol of one kind of entity.
struct Occurrences {
    std::unordered_map<ustring, UnitDatabase::UnitSet> entities;
    std::unordered_map<ustring, std::set<ustring>> databases;
    std::unordered_map<ustring, std::set<ustring>> shortNames;
    std::set<ustring> duplicates;

    void addBuiltin(const UnitDatabase::UnitSet& all) {
        for (const UnitBase& entity : all) {
            for (const std::u16string_view text :
                 {entity.getName(), entity.getSymbol(), entity.getAsciiSymbol()}) {
                entities[ustring(text)].insert(entity);
            }
            databases[ustring(entity.getName())].insert(builtInMarker);
            databases[ustring(entity.getSymbol())].insert(builtInMarker);
            if (entity.getAsciiSymbol() != entity.getSymbol()) {
                databases[ustring(entity.getAsciiSymbol())].insert(builtInMarker);
            }
        }
    }

    void addUser(const UnitDatabase& database, const UnitDatabase::UnitSet& all) {
        const ustring shortName = UnitDBSet::getShortName(database);
        for (const UnitBase& entity : all) {
            const std::set<ustring> texts{ustring(entity.getName()), ustring(entity.getSymbol()),
                                          ustring(entity.getAsciiSymbol())};
            for (const ustring& text : texts) {
                // An empty text names nothing, so it cannot clash.
                if (text.empty()) {
                    continue;
                }
                auto& users = entities[text];
                users.insert(entity);
                databases[text].insert(database.getName());
                shortNames[text].insert(shortName);
                if (users.size() >= 2) {
                    duplicates.insert(text);
                }
            }
        }
    }

    void recordAmbiguous() const {
        for (const ustring& text : duplicates) {
            if (!databases.at(text).contains(builtInMarker)) {
                UnitDBManager::m_UnitDBManager.addToAmbiguousSymbols(text, shortNames.at(text));
            }
        }
    }
};

ustring join(const std::set<ustring>& names) {
    ustring out;
    for (const ustring& name : names) {
        if (!out.empty()) {
            out += u',';
        }
        out += name;
    }
    return out;
}

void reportDuplicates(const std::set<ustring>& duplicates,
                      const std::unordered_map<ustring, std::set<ustring>>& databases) {
    Diagnostic collected;
    for (const ustring& text : duplicates) {
        const std::set<ustring>& users = databases.at(text);
        if (users.contains(builtInMarker)) {
            collect(collected, "DuplicationOfUnitsWithBuiltin", {text, join(users)});
        } else {
            collect(collected, "DuplicationOfUnits", {text, join(users), *users.begin()});
        }
    }
    cvsvReportAsWarning(std::move(collected));
}

} // namespace

// Every database again on every reload: a unit valid before may depend on a
// database that has since left the list.
void UnitDBSet::detectInvalidUnits() {
    for (const UserDB& db : databases_) {
        validateDatabase(*db.database);
    }
}

void UnitDBSet::validateDatabase(UnitDatabase& database) {
    ValidationMemo memo;
    memo_ = &memo;
    struct Forget {
        ValidationMemo*& memo;
        ~Forget() { memo = nullptr; }
    } forget{memo_};

    Diagnostic collected;
    // What was collected as it came, so that the quantity pass does not repeat it.
    std::set<std::string> collectedAsIs;
    const auto collectFailure = [&](Diagnostic failure, const UnitBase& entity) {
        if (lastItemIs(failure, "UnitNotInDatabase")) {
            collect(collected, "InvalidUnitIgnoredUndefinedUnitsInDefinition",
                    {ustring(entity.getName()), database.getName()});
        } else if (lastItemIs(failure, "DimensionallyInconsistent")) {
            collect(collected, "InvalidUnitIgnoredDimensionMismatch",
                    {ustring(entity.getName()), database.getName()});
        } else if (!failure.empty()) {
            collectedAsIs.insert(formatDiagnostic(failure));
            cvsvConcatenateDiagnosticsNoCheck(collected, std::move(failure), true);
        }
    };
    const UnitBase& anyQuantity = UnitFactory::getDefaultPhysicalQuantity();
    for (const UnitBase& unit : database.getAllUnits()) {
        Diagnostic failure;
        try {
            genUnitDefinition(unit);
            const UnitBase* quantity = static_cast<const Unit&>(unit).getPhysicalQuantity();
            if (quantity != nullptr && quantity->compare(anyQuantity) != 0) {
                genUnitDefinition(*quantity);
            }
            isValid(unit, false);
            database.addToAutocomplete(unit);
            continue;
        } catch (const IException& e) {
            failure = cvsvCreateDiagnosticFromIException(e, true);
        } catch (const std::exception&) {
            // A factor or definition the model cannot read: the unit is unusable.
            failure = cvsvCreateDiagnosticFromMessageID(
                makeUnitMsgID("InvalidUnitIgnored", {ustring(unit.getName()), database.getName()}));
        }
        collectFailure(std::move(failure), unit);
        removeInvalidUnit(database, unit);
    }
    // A quantity that no unit uses is generated here, so that its cycles and
    // undefined quantities are reported too.
    for (const UnitBase& quantity : database.getAllPhysicalQuantities()) {
        try {
            genUnitDefinition(quantity);
        } catch (const IException& e) {
            Diagnostic failure = cvsvCreateDiagnosticFromIException(e, true);
            if (!failure.empty() && collectedAsIs.insert(formatDiagnostic(failure)).second) {
                cvsvConcatenateDiagnosticsNoCheck(collected, std::move(failure), true);
            }
        }
    }
    cvsvReportAsWarning(std::move(collected));
}

void UnitDBSet::removeInvalidUnit(UnitDatabase& database, const UnitBase& unit) {
    // Definitions generated so far may use the unit, directly or through units
    // defined with it; those go with it. A unit whose own generation failed
    // has no definition, so nothing uses it.
    std::vector<ValidationMemo::User> gone{{&unit, getQualifiedSymbolForCustomUnit(unit)}};
    std::unordered_set<const UnitBase*> seen{&unit};
    forgetRecentDefinitions();
    whitelist_.releaseHeld();
    while (!gone.empty()) {
        const ValidationMemo::User user = std::move(gone.back());
        gone.pop_back();
        unitDefinitions_.erase(user.key);
        if (const auto temporary = temporaryUnitDefinitions_.find(std::u16string_view(user.key));
            temporary != temporaryUnitDefinitions_.end()) {
            temporaryUnitDefinitions_.erase(temporary);
        }
        if (const auto found = memo_->users.find(user.entity); found != memo_->users.end()) {
            for (ValidationMemo::User& next : found->second) {
                if (seen.insert(next.entity).second) {
                    gone.push_back(std::move(next));
                }
            }
            memo_->users.erase(found);
        }
    }
    const std::set<ustring> names{ustring(unit.getName()), ustring(unit.getSymbol()),
                                  ustring(unit.getAsciiSymbol())};
    memo_->removed.insert(&unit);
    database.removeUnit(unit);
    // When another database's unit now answers to one of its names, failures
    // found through the removed unit no longer hold.
    for (const ustring& name : names) {
        if (!name.empty() && findFirstUnit(name) != nullptr) {
            memo_->failures.clear();
            break;
        }
    }
}

void UnitDBSet::detectDuplicates() {
    UnitDBManager& manager = UnitDBManager::m_UnitDBManager;
    Occurrences units;
    Occurrences quantities;
    manager.iterateAll([&](const UnitDatabase& database) {
        if (database.isBuiltin()) {
            units.addBuiltin(database.getAllPossibleUnitsInDatabase());
            quantities.addBuiltin(database.getAllPhysicalQuantities());
            return;
        }
        units.addUser(database, database.getAllUnits());
        quantities.addUser(database, database.getAllPhysicalQuantities());
    });

    manager.clearAmbiguousSymbols();
    units.recordAmbiguous();
    quantities.recordAmbiguous();

    std::unordered_map<ustring, std::set<ustring>> systemDatabases;
    std::set<ustring> duplicateSystems;
    manager.iterateAll([&](const UnitDatabase& database) {
        for (const auto& system : database.getAllUnitSystems()) {
            if (database.isBuiltin()) {
                systemDatabases[system->getName()].insert(builtInMarker);
                continue;
            }
            if (systemDatabases.contains(system->getName())) {
                duplicateSystems.insert(system->getName());
            }
            systemDatabases[system->getName()].insert(database.getName());
        }
    });

    reportDuplicates(units.duplicates, units.databases);
    reportDuplicates(quantities.duplicates, quantities.databases);
    reportDuplicates(duplicateSystems, systemDatabases);
}

} // namespace CvUnitSys
