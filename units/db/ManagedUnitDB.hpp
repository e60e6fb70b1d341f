#pragma once

#include "units/db/UnitDBSource.hpp"
#include "units/db/UnitDatabase.hpp"
#include "units/foundation/UString.hpp"
#include "units/platform/Model.hpp"

#include <functional>
#include <memory>

namespace CvUnitSys {

// One registered user database: the database (unloaded until first use), the
// function that produces its model, and who registered it.
class ManagedUnitDB {
public:
    using Loader = std::function<Model()>;

    ManagedUnitDB(const ustring& name, Loader loader, UnitDBSource source);
    // Takes over a database that needs no loader.
    explicit ManagedUnitDB(std::unique_ptr<UnitDatabase> database);
    ManagedUnitDB(const ManagedUnitDB&) = delete;
    ManagedUnitDB& operator=(const ManagedUnitDB&) = delete;
    ~ManagedUnitDB();

    // Loads the database on first use.
    UnitDatabase& operator*();
    const ustring& getDbName() const;
    UnitDBSource getSource() const { return source_; }
    const Loader& getExtractor() const { return loader_; }
    ustring toUString() const;

private:
    std::unique_ptr<UnitDatabase> database_;
    Loader loader_;
    UnitDBSource source_;
};

} // namespace CvUnitSys
