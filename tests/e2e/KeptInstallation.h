// KeptInstallation: the door's installation as it stood when the object was made, put back
// (every page of the database) when it goes. A sweep that moves or deletes records of every class
// keeps one, so that the program's later tests find the installation they would find alone.
//
// Owned by one test on the test's thread; the door's connections stay open and read the database
// as it was put back.
#pragma once

#include "tests/e2e/DoorInstallation.h"
#include "tests/support/TestSqlite.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace e2e {
class KeptInstallation
{
public:
    KeptInstallation() : m_copy(DoorInstallation::Home() / "kept-installation.db")
    {
        std::filesystem::remove(m_copy);
        const support::SqliteDatabase live = support::OpenSqlite(DoorInstallation::DatabaseFile());
        EXPECT_EQ(Copy(live.get(), support::OpenSqlite(m_copy).get()), SQLITE_DONE);
    }
    ~KeptInstallation()
    {
        const support::SqliteDatabase live = support::OpenSqlite(DoorInstallation::DatabaseFile());
        EXPECT_EQ(Copy(support::OpenSqlite(m_copy, SQLITE_OPEN_READONLY).get(), live.get()), SQLITE_DONE);
        std::filesystem::remove(m_copy);
    }
    KeptInstallation(const KeptInstallation&) = delete;
    KeptInstallation& operator=(const KeptInstallation&) = delete;

private:
    // Copies every page of one database into the other in one step.
    static int Copy(sqlite3* from, sqlite3* to)
    {
        if (from == nullptr || to == nullptr)
            return SQLITE_CANTOPEN;
        sqlite3_busy_timeout(to, 10000);
        sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
        if (backup == nullptr)
            return sqlite3_errcode(to);
        const int stepped = sqlite3_backup_step(backup, -1);
        sqlite3_backup_finish(backup);
        return stepped;
    }

    const std::filesystem::path m_copy;
};

}  // namespace e2e
