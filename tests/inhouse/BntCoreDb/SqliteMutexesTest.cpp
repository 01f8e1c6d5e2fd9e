// The engine's mutexes in this process: installed at load, before the engine starts, and
// keeping the engine's rules (a recursive mutex may be entered again by its holder, a fast one
// is refused to another thread while held, a static one is the same object at every request).
#include "inhouse/BntCoreDb/SqliteMutexes.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <future>

namespace {

// Whether another thread can take the mutex at this moment (it gives it back at once).
bool FreeForAnotherThread(sqlite3_mutex* mutex)
{
    return std::async(std::launch::async,
                      [mutex] {
                          if (sqlite3_mutex_try(mutex) != SQLITE_OK)
                              return false;
                          sqlite3_mutex_leave(mutex);
                          return true;
                      })
        .get();
}

TEST(SqliteMutexes, AreTheEnginesOnceItHasStarted)
{
    // Installed while the library loaded, before anything could start the engine; once it
    // runs, it keeps what it has.
    EXPECT_TRUE(SqliteMutexes::IsInstalled());
    ASSERT_EQ(sqlite3_initialize(), SQLITE_OK);
    EXPECT_FALSE(SqliteMutexes::Install());
}

TEST(SqliteMutexes, KeepTheEnginesRulesForEachKind)
{
    ASSERT_EQ(sqlite3_initialize(), SQLITE_OK);
    sqlite3_mutex* recursive = sqlite3_mutex_alloc(SQLITE_MUTEX_RECURSIVE);
    ASSERT_NE(recursive, nullptr);
    sqlite3_mutex_enter(recursive);
    EXPECT_EQ(sqlite3_mutex_try(recursive), SQLITE_OK);
    EXPECT_FALSE(FreeForAnotherThread(recursive));
    sqlite3_mutex_leave(recursive);
    EXPECT_FALSE(FreeForAnotherThread(recursive));
    sqlite3_mutex_leave(recursive);
    EXPECT_TRUE(FreeForAnotherThread(recursive));
    sqlite3_mutex_free(recursive);

    sqlite3_mutex* fast = sqlite3_mutex_alloc(SQLITE_MUTEX_FAST);
    ASSERT_NE(fast, nullptr);
    sqlite3_mutex_enter(fast);
    EXPECT_FALSE(FreeForAnotherThread(fast));
    sqlite3_mutex_leave(fast);
    EXPECT_TRUE(FreeForAnotherThread(fast));
    sqlite3_mutex_free(fast);

    for (int type = SQLITE_MUTEX_STATIC_MAIN; type <= SQLITE_MUTEX_STATIC_VFS3; ++type)
    {
        sqlite3_mutex* first = sqlite3_mutex_alloc(type);
        ASSERT_NE(first, nullptr) << type;
        EXPECT_EQ(sqlite3_mutex_alloc(type), first) << type;
        sqlite3_mutex_enter(first);
        EXPECT_FALSE(FreeForAnotherThread(first)) << type;
        sqlite3_mutex_leave(first);
    }
}

}  // namespace
