#pragma once

#include "units/db/UnitDBManager.hpp"
#include "units/db/UnitDBSet.hpp"
#include "units/db/UnitDatabase.hpp"
#include "units/foundation/ConversionFactorFactory.hpp"
#include "units/model/UnitFactory.hpp"
#include "units/platform/DiagnosticService.hpp"
#include "units/platform/IException.hpp"
#include "units/platform/WarningSink.hpp"

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace dbset_test {

using namespace CvUnitSys;

struct QuantityRow {
    ustring name;
    ustring expression;
};

struct UnitRow {
    ustring symbol;
    ustring expression;
    ustring quantity = {};
    StoredConversionFactor factor = defaultStoredConversionFactor();
    ustring name = {};
    ustring ascii = {};
};

// What a user database file holds: quantities, units and its one unit system.
struct Content {
    std::vector<QuantityRow> quantities;
    std::vector<UnitRow> units;
    ustring system;
};

// Fills a user database the way the file loader does: its system, quantities
// named by their own symbol, then units in the database's system, a quantity
// the database lacks being taken from the built-in database. Rows the store
// rejects are skipped, as a loader skips them.
inline void fill(UnitDatabase& db, const Content& content) {
    const UnitFactory factory;
    db.setUnitSystemName(content.system);
    db.addUnitSystem(UnitSystem(content.system));
    for (const auto& q : content.quantities) {
        db.addUnit(
            *factory.createPhysicalQuantity(0, q.name, q.expression, q.name, q.name, q.name));
    }
    for (const auto& u : content.units) {
        const UnitBase* quantity = &UnitFactory::getDefaultPhysicalQuantity();
        if (!u.quantity.empty()) {
            auto found = db.getPhysicalQuantity(u.quantity);
            if (found.empty()) {
                found = UnitDatabase::getBuiltinDatabase()->getPhysicalQuantity(u.quantity);
            }
            quantity = &found.begin()->get();
        }
        auto unit = factory.createUnit(-10, u.name.empty() ? u.symbol : u.name, u.expression,
                                       u.symbol, u.ascii.empty() ? u.symbol : u.ascii, u.symbol,
                                       u.factor, {}, {content.system}, {}, false, *quantity);
        try {
            db.addUnit(*unit);
        } catch (const IUserException&) {
        }
    }
}

// Replaces what user database files load and empties the manager's list for
// the lifetime of the object. User databases are registered by name with their
// content; the file loader fills each from that content.
class Universe {
public:
    Universe() {
        previousFile_ = UnitDatabase::setFileLoader([this](UnitDatabase& db) {
            Content content;
            {
                std::lock_guard lock(mutex_);
                content = contents_.at(db.getName());
            }
            fill(db, content);
        });
        reset();
    }
    ~Universe() {
        reset();
        UnitDatabase::setFileLoader(std::move(previousFile_));
    }
    Universe(const Universe&) = delete;
    Universe& operator=(const Universe&) = delete;

    // What the user database file of that name holds.
    void define(const ustring& name, Content content) {
        std::lock_guard lock(mutex_);
        contents_[name] = std::move(content);
    }
    // Registers (or replaces) a user database through the host's entry point.
    void add(const ustring& name, Content content) {
        define(name, std::move(content));
        registerInternalUnitDatabase(name, [] { return Model(); });
    }

private:
    static void reset() {
        UnitDBManager::m_UnitDBManager.resetUserDBs();
        UnitDBManager::m_UnitDBManager.updateUnitDBSetVersion();
        UnitDBManager::m_UnitDBManager.clearAmbiguousSymbols();
    }

    // Never freed: std::mutex ends without telling the thread checker, which
    // would take a set's lock made later at the same address for this one and
    // report lock cycles that cannot happen.
    static inline std::mutex mutex_;
    std::map<ustring, Content> contents_;
    UnitDatabase::Loader previousFile_;
};

// Each collected item as key(arg|arg|...), text arguments only.
inline std::vector<std::u16string> warningTexts(const WarningCollector& collector) {
    std::vector<std::u16string> out;
    for (const Diagnostic& d : collector.warnings()) {
        for (const DiagnosticItem& item : d.items()) {
            std::u16string text(item.id.getKey().begin(), item.id.getKey().end());
            text += u'(';
            for (std::size_t i = 0; i < item.id.getArgs().size(); ++i) {
                if (const auto* s = boost::get<ustring>(&item.id.getArgs()[i])) {
                    text += (i == 0 ? u"" : u"|") + *s;
                }
            }
            out.push_back(text + u')');
        }
    }
    return out;
}

template <typename F> std::string thrownKey(F&& f) {
    try {
        f();
    } catch (const IUserException& e) {
        return e.getDiagnostic().items().front().id.getKey();
    }
    return "";
}

} // namespace dbset_test
