// SqliteStatement: one sqlite3 prepared statement of the benchmark program, finalised on every
// path. Owned by the function that prepares it; used on one thread.
#pragma once

struct sqlite3;
struct sqlite3_stmt;

class SqliteStatement
{
public:
    // Prepares sql on database (sqlite3_prepare_v2). Throws std::runtime_error with the
    // database's message when the statement cannot be prepared.
    SqliteStatement(sqlite3* database, const char* sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // The statement; valid for the life of the object.
    sqlite3_stmt* Get() const { return m_statement; }

private:
    sqlite3_stmt* m_statement = nullptr;
};
