#include "units/platform/SqlStatement.hpp"

#include "units/platform/SqlConnection.hpp"
#include "units/platform/SqlError.hpp"
#include "units/platform/TextServices.hpp"

#include <sqlite3.h>
#include <string_view>

namespace CvUnitSys {

SqlStatement::SqlStatement(const SqlConnection& connection, const std::string& sql) : sql_(sql) {
    if (sqlite3_prepare_v2(connection.handle(), sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK) {
        const std::string message = sqlite3_errmsg(connection.handle());
        sqlite3_finalize(stmt_);
        throw SqlError(message + " in: " + sql);
    }
}

SqlStatement::~SqlStatement() {
    sqlite3_finalize(stmt_);
}

void SqlStatement::bind(int index, std::int64_t value) {
    sqlite3_reset(stmt_);
    if (sqlite3_bind_int64(stmt_, index + 1, value) != SQLITE_OK) {
        throw SqlError("cannot bind parameter " + std::to_string(index) + " of: " + sql_);
    }
}

void SqlStatement::execute() {
    sqlite3_reset(stmt_);
}

bool SqlStatement::fetchRow() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        return false;
    }
    throw SqlError(std::string(sqlite3_errmsg(sqlite3_db_handle(stmt_))) + " in: " + sql_);
}

void SqlStatement::checkColumn(int column) const {
    // sqlite leaves reads outside the current row undefined.
    if (column < 0 || column >= sqlite3_data_count(stmt_)) {
        throw SqlError("no column " + std::to_string(column) + " in the current row of: " + sql_);
    }
}

bool SqlStatement::isNull(int column) const {
    checkColumn(column);
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

std::int64_t SqlStatement::getInt(int column) const {
    checkColumn(column);
    return sqlite3_column_int64(stmt_, column);
}

ustring SqlStatement::getText(int column) const {
    ustring out;
    getText(column, out);
    return out;
}

const ustring& SqlStatement::getText(int column, ustring& out) const {
    checkColumn(column);
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    if (text == nullptr) {
        out.clear();
        return out;
    }
    const auto length = static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column));
    TextServices::fromUtf8(std::string_view(text, length), out);
    return out;
}

} // namespace CvUnitSys
