#pragma once

#include "units/db/UnitDBManager.hpp"
#include "units/db/UnitDBSet.hpp"
#include "units/db/UnitDatabase.hpp"
#include "units/foundation/ConversionFactorFactory.hpp"
#include "units/host/DiagnosticService.hpp"
#include "units/host/IException.hpp"
#include "units/host/WarningSink.hpp"
#include "units/model/UnitFactory.hpp"

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
    // Accepts the database's prefixes.
    bool prefixed = false;
};

struct Content {
    std::vector<QuantityRow> quantities;
    std::vector<UnitRow> units;
    // A user database's one unit system; the built-in database has none.
    ustring system = {};
    std::vector<std::pair<ustring, ustring>> reciprocalQuantities = {};
};

inline StoredConversionFactor scaled(const ustring& text) {
    return {text, ConversionFactorType::ScaledRational};
}

inline StoredConversionFactor affine(const ustring& text) {
    return {text, ConversionFactorType::RationalAffine};
}

// Fills a database the way the loaders do: quantities named by their own
// symbol, then units, each unit of a user database in the database's system.
// Rows the store rejects are skipped, as a loader skips them.
inline void fill(UnitDatabase& db, const Content& content) {
    const UnitFactory factory;
    if (!content.system.empty()) {
        db.setUnitSystemName(content.system);
        db.addUnitSystem(UnitSystem(content.system));
    }
    const UnitPrefix* kilo = nullptr;
    if (content.system.empty()) {
        kilo = &db.addUnitPrefix(
            UnitPrefix(u"kilo", u"k", u"k", u"k", {u"1000", ConversionFactorType::Double}));
    }
    for (const auto& q : content.quantities) {
        db.addUnit(
            *factory.createPhysicalQuantity(0, q.name, q.expression, q.name, q.name, q.name));
    }
    for (const auto& u : content.units) {
        const UnitBase* quantity = &UnitFactory::getDefaultPhysicalQuantity();
        if (!u.quantity.empty()) {
            const auto found = db.getPhysicalQuantity(u.quantity);
            quantity = found.empty() ? &UnitDatabase::getBuiltinDatabase()
                                            ->getPhysicalQuantity(u.quantity)
                                            .begin()
                                            ->get()
                                     : &found.begin()->get();
        }
        Unit::PrefixSet prefixes;
        if (u.prefixed && kilo != nullptr) {
            prefixes.insert(*kilo);
        }
        std::vector<ustring> systems;
        if (!content.system.empty()) {
            systems.push_back(content.system);
        }
        auto unit = factory.createUnit(-10, u.name.empty() ? u.symbol : u.name, u.expression,
                                       u.symbol, u.ascii.empty() ? u.symbol : u.ascii, u.symbol,
                                       u.factor, {}, systems, prefixes, false, *quantity);
        try {
            db.addUnit(*unit);
        } catch (const IUserException&) {
        }
    }
    for (const auto& [a, b] : content.reciprocalQuantities) {
        db.addPhysicalQuantityRelation(db.getPhysicalQuantity(a).begin()->get(),
                                       db.getPhysicalQuantity(b).begin()->get(),
                                       ConversionFactorFactory::createConversionFactor(
                                           u"1", ConversionFactorType::DoubleReciprocal));
    }
}

// A small built-in database: the base units, scaled, affine and derived units
// and a reciprocal relation between time and frequency.
inline Content builtinContent() {
    return {{{u"mass", u"mass"},
             {u"length", u"length"},
             {u"time", u"time"},
             {u"thermodynamic_temperature", u"thermodynamic_temperature"},
             {u"velocity", u"length/time"},
             {u"force", u"mass*length/time^2"},
             {u"frequency", u"1/time"}},
            {{u"m", u"m", u"length", defaultStoredConversionFactor(), u"metre", u"m", true},
             {u"kg", u"kg", u"mass"},
             {u"g", u"kg", u"mass", scaled(u"1,1,-3"), u"gram", u"g", true},
             {u"s", u"s", u"time"},
             {u"h", u"s", u"time", scaled(u"3600,1,0"), u"hour"},
             {u"K", u"K", u"thermodynamic_temperature"},
             {u"ft", u"m", u"length", scaled(u"3048,1,-4"), u"foot"},
             {u"N", u"kg*m/s^2", u"force", defaultStoredConversionFactor(), u"newton", u"N", true},
             {u"degC", u"K", u"thermodynamic_temperature", affine(u"1,1,27315,100")},
             {u"degF", u"K", u"thermodynamic_temperature", affine(u"5,9,45967,180")},
             {u"Hz", u"1/s", u"frequency"}},
            {},
            {{u"time", u"frequency"}}};
}

// Replaces what the built-in database and user database files load, and empties
// the manager, for the lifetime of the object. User databases are registered
// by name with their content; the file loader fills each from that content.
class Universe {
public:
    explicit Universe(Content builtin = builtinContent()) {
        previousBuiltin_ = UnitDatabase::setBuiltinLoader(
            [content = std::move(builtin)](UnitDatabase& db) { fill(db, content); });
        previousFile_ = UnitDatabase::setFileLoader([this](UnitDatabase& db) {
            Content content;
            {
                std::lock_guard lock(mutex_);
                content = contents_.at(db.getName());
            }
            fill(db, content);
        });
        UnitDBManager::m_UnitDBManager.resetAll();
        UnitDBManager::m_UnitDBManager.updateUnitDBSetVersion();
        UnitDBManager::m_UnitDBManager.clearAmbiguousSymbols();
    }
    ~Universe() {
        UnitDBManager::m_UnitDBManager.resetAll();
        UnitDBManager::m_UnitDBManager.updateUnitDBSetVersion();
        UnitDBManager::m_UnitDBManager.clearAmbiguousSymbols();
        UnitDatabase::setBuiltinLoader(std::move(previousBuiltin_));
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
    std::mutex mutex_;
    std::map<ustring, Content> contents_;
    UnitDatabase::Loader previousBuiltin_;
    UnitDatabase::Loader previousFile_;
};

// The keys of every collected warning item, in order.
inline std::vector<std::string> warningKeys(const WarningCollector& collector) {
    std::vector<std::string> keys;
    for (const Diagnostic& d : collector.warnings()) {
        for (const DiagnosticItem& item : d.items()) {
            keys.push_back(item.id.getKey());
        }
    }
    return keys;
}

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
