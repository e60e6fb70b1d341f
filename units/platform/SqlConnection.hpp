#pragma once

#include <string>

struct sqlite3;

namespace CvUnitSys {

// One open SQLite database file.
class SqlConnection {
public:
    enum class Mode { ReadOnly, Create };

    // Throws SqlError when the file cannot be opened as a database.
    SqlConnection(const std::string& path, Mode mode);
    ~SqlConnection();
    SqlConnection(const SqlConnection&) = delete;
    SqlConnection& operator=(const SqlConnection&) = delete;

    // Runs statements that return no rows (schema, inserts in scripts).
    void execute(const std::string& sql);
    sqlite3* handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

} // namespace CvUnitSys
