#include "units/platform/SqlConnection.hpp"

#include "units/platform/SqlError.hpp"

#include <sqlite3.h>

namespace CvUnitSys {

SqlConnection::SqlConnection(const std::string& path, Mode mode) {
    // A connection serves one thread at a time, so it needs no lock of its own.
    const int flags =
        SQLITE_OPEN_NOMUTEX | (mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY
                                                      : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        const std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        throw SqlError("cannot open database '" + path + "': " + message);
    }
    // Opening is lazy: reading the schema proves the file is a database.
    try {
        execute("SELECT count(*) FROM sqlite_master");
    } catch (...) {
        sqlite3_close(db_);
        throw;
    }
}

SqlConnection::~SqlConnection() {
    sqlite3_close(db_);
}

void SqlConnection::execute(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error != nullptr ? error : sqlite3_errmsg(db_);
        sqlite3_free(error);
        throw SqlError(message);
    }
}

} // namespace CvUnitSys
