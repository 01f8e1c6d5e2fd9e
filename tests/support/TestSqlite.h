// A test's own SQLite connection to a database file: the one way test code opens SQLite. It waits
// for a door's writer as the doors' connections do (CBntConnection::kBusyTimeoutMs) instead of
// failing at once with SQLITE_BUSY when the two meet. A connection belongs to the thread that
// uses it, as SQLite's rules allow.
#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <memory>

namespace support {

struct SqliteCloser
{
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using SqliteDatabase = std::unique_ptr<sqlite3, SqliteCloser>;

// The database file (":memory:" for a fresh database of the connection's own) opened with the
// SQLite open flags; null, with the calling test failed naming the file, when it cannot be.
SqliteDatabase OpenSqlite(const std::filesystem::path& file, int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);

}  // namespace support
