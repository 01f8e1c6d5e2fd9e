#include "tests/support/TestSqlite.h"

#include <gtest/gtest.h>

#include "inhouse/BntCoreDb/CBntConnection.h"

namespace support {

SqliteDatabase OpenSqlite(const std::filesystem::path& file, int flags)
{
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open_v2(file.c_str(), &raw, flags, nullptr);
    SqliteDatabase db(raw);
    if (opened != SQLITE_OK)
    {
        ADD_FAILURE() << "cannot open " << file << ": " << (raw != nullptr ? sqlite3_errmsg(raw) : "no memory");
        return nullptr;
    }
    sqlite3_busy_timeout(db.get(), CBntConnection::kBusyTimeoutMs);
    return db;
}

}  // namespace support
