#include "bench/SqliteStatement.h"

#include <sqlite3.h>

#include <stdexcept>
#include <string>

SqliteStatement::SqliteStatement(sqlite3* database, const char* sql)
{
    if (sqlite3_prepare_v2(database, sql, -1, &m_statement, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string("cannot prepare ") + sql + ": " + sqlite3_errmsg(database));
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_statement);
}
