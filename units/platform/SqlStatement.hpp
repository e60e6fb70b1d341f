#pragma once

#include "units/foundation/UString.hpp"

#include <cstdint>
#include <string>

struct sqlite3_stmt;

namespace CvUnitSys {

class SqlConnection;

// A prepared statement: bind integer parameters, execute, fetch rows, read
// integer and text columns.
class SqlStatement {
public:
    // Throws SqlError when the SQL does not compile (missing table or column).
    SqlStatement(const SqlConnection& connection, const std::string& sql);
    ~SqlStatement();
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    // Parameters are numbered from 0. Binding resets a statement that ran.
    void bind(int index, std::int64_t value);
    // Rewinds so that the next fetch starts from the first row again.
    void execute();
    // Advances to the next row; false when there is none.
    bool fetchRow();

    bool isNull(int column) const;
    // NULL reads as 0 and as the empty text. Reading a column outside the
    // current row throws SqlError.
    std::int64_t getInt(int column) const;
    ustring getText(int column) const;
    // The same into `out`, whose room is kept across rows.
    const ustring& getText(int column, ustring& out) const;

private:
    void checkColumn(int column) const;

    sqlite3_stmt* stmt_ = nullptr;
    std::string sql_;
};

} // namespace CvUnitSys
