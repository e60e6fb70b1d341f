#include "units/db/ManagedUnitDB.hpp"

namespace CvUnitSys {

ManagedUnitDB::ManagedUnitDB(const ustring& name, Loader loader, UnitDBSource source)
    : database_(UnitDatabase::createNewDatabase(name, DatabaseSource::UserFile)),
      loader_(std::move(loader)), source_(source) {}

ManagedUnitDB::ManagedUnitDB(std::unique_ptr<UnitDatabase> database)
    : database_(std::move(database)), source_(UnitDBSource::Internal) {}

ManagedUnitDB::~ManagedUnitDB() = default;

UnitDatabase& ManagedUnitDB::operator*() {
    database_->loadIfNeeded();
    return *database_;
}

const ustring& ManagedUnitDB::getDbName() const {
    return database_->getName();
}

ustring ManagedUnitDB::toUString() const {
    return database_->getName();
}

} // namespace CvUnitSys
