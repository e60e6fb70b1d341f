#include "units/db/UnitDBManager.hpp"
#include "units/db/UnitDatabase.hpp"
#include "units/expr/ParseUnitExpr.hpp"
#include "units/expr/UnitTextChecks.hpp"
#include "units/foundation/DisplayText.hpp"
#include "units/foundation/UnitMsgID.hpp"
#include "units/model/UnitFactory.hpp"
#include "units/platform/DiagnosticService.hpp"
#include "units/platform/IException.hpp"
#include "units/platform/Model.hpp"
#include "units/platform/TextServices.hpp"
#include "units/platform/UnitRepository.hpp"

#include <stdexcept>

// The loader of user databases: one model element per entry, each checked and
// stored on its own, so that one bad entry never costs the others.
namespace CvUnitSys {

namespace {

// Definitions are only parsed here: expanding them (and finding undefined
// units or cycles) is the database set's validation.
bool definitionParses(const ustring& definition) {
    UnitExpr parsed;
    try {
        return parseUnitExprNoThrow(definition, parsed);
    } catch (const std::out_of_range&) {
        return false;
    }
}

std::string quoted(const ustring& text) {
    return "'" + TextServices::toUtf8(text) + "'";
}

// Why an entry cannot be stored, or empty when it can: the warning's detail.
std::string nameProblem(const char* what, const ustring& text) {
    return isValidStringForUnitName(text)
               ? std::string()
               : std::string("Its ") + what + " " + quoted(text) + " is not a valid name.";
}

std::string definitionProblem(const ustring& definition) {
    return definitionParses(definition)
               ? std::string()
               : "Its definition " + quoted(definition) + " is not a unit expression.";
}

std::string quantityProblem(const UnitRepository::PhysicalQuantity& q) {
    std::string problem = nameProblem("name", q.name);
    return problem.empty() ? definitionProblem(q.definition) : problem;
}

std::string unitProblem(const UnitRepository::Unit& u) {
    for (std::string problem : {nameProblem("name", u.name), nameProblem("symbol", u.symbol)}) {
        if (!problem.empty()) {
            return problem;
        }
    }
    if (!isValidAsciiString(u.asciiSymbol)) {
        return "Its ASCII symbol " + quoted(u.asciiSymbol) + " has characters outside ASCII.";
    }
    return definitionProblem(u.definition);
}

class Collector {
public:
    void add(const BaseMsgID& id, const std::string& extraText = {}) {
        cvsvConcatenateDiagnosticsNoCheck(collected_, cvsvCreateDiagnostic(id, extraText), true);
    }
    void report() { cvsvReportAsWarning(std::move(collected_)); }

private:
    Diagnostic collected_;
};

// Stores one unit, or collects why it is left out; throws the faults that end a load.
void loadUnit(UnitDatabase& db, const UnitRepository::Unit& u, const UnitFactory& factory,
              const std::shared_ptr<UnitSystem>& system, Collector& collector) {
    const UnitBase* quantity = &UnitFactory::getDefaultPhysicalQuantity();
    if (!u.physicalQuantity.empty()) {
        UnitDatabase::UnitSet found = db.getPhysicalQuantity(u.physicalQuantity);
        if (found.empty()) {
            found = UnitDatabase::getUnitDatabase()->getPhysicalQuantity(u.physicalQuantity);
        }
        if (found.empty()) {
            throw IUserException(cvsvCreateDiagnostic(
                makeUnitMsgID("PhysicalQuantityNotInDatabase", {u.physicalQuantity}),
                "The unit " + quoted(u.name) + " names it."));
        }
        quantity = &found.begin()->get();
    }
    if (const std::string problem = unitProblem(u); !problem.empty()) {
        collector.add(makeUnitMsgID("InvalidUnitIgnored", {u.name, db.getName()}), problem);
        return;
    }
    // The unit gets the database's own system directly: asking the manager
    // for it by name would walk the databases while this one loads.
    const std::unique_ptr<Unit> unit =
        factory.createUnit(-10, u.name, u.definition, u.symbol, u.asciiSymbol, u.display,
                           {u.factor, u.factorKind}, u.subUnit, {}, {}, false, *quantity);
    if (system) {
        unit->addOwnerUnitSystem(system);
    }
    db.addUnit(*unit);
    for (const ustring& id : u.getUnitProvenance()) {
        db.addUnitProvenanceMapping(u.symbol, id);
    }
}

} // namespace

void UnitDatabase::loadFromModel(const Model& model, const EndingFault& onFault) {
    const auto* repository = model.findTopLevelElement<UnitRepository::UnitDatabase>();
    if (repository == nullptr) {
        return;
    }
    const auto fault = [&onFault](const IException& e) {
        if (!onFault) {
            throw;
        }
        onFault(e);
    };
    Collector collector;
    for (const UnitRepository::UnitProvenance& p : repository->getUnitProvenance()) {
        addUnitProvenance(UnitProvenance(p.id, p.title, p.subtitle, p.organization,
                                         p.organizationFullName, p.getMURLs(), p.edition, p.year));
    }

    setUnitSystemName(repository->name.empty() ? calDBFileShortName() : repository->name);
    std::shared_ptr<UnitSystem> system;
    try {
        addUnitSystem(UnitSystem(getUnitSystemName()));
        system = getUnitSystem(getUnitSystemName());
    } catch (const IException& e) {
        fault(e);
    }

    const UnitFactory factory;
    for (const UnitRepository::PhysicalQuantity& q : repository->getPhysicalquantity()) {
        if (const std::string problem = quantityProblem(q); !problem.empty()) {
            collector.add(makeUnitMsgID("InvalidPQIgnored", {q.name, getName()}), problem);
            continue;
        }
        try {
            addUnit(*factory.createPhysicalQuantity(0, q.name, q.definition,
                                                    escapeUnderscores(q.name), q.name, q.name));
            for (const ustring& id : q.getUnitprovenance()) {
                addPhysicalQuantityProvenanceMapping(q.name, id);
            }
        } catch (const IException& e) {
            fault(e);
        }
    }

    for (const UnitRepository::Unit& u : repository->getUnit()) {
        try {
            loadUnit(*this, u, factory, system, collector);
        } catch (const IException& e) {
            fault(e);
        }
    }
    collector.report();
}

void UnitDatabase::loadFromXMLIntoMemory() {
    loadFromModel(UnitDBManager::m_UnitDBManager.getDBExtracter(getName())());
}

} // namespace CvUnitSys
