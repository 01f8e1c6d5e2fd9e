#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "inhouse/BntCoreDb/CBntCommitQueue.h"
#include "inhouse/BntCoreDb/CBntConnection.h"
#include "inhouse/BntCoreDb/CBntTransaction.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntCoreDb/CRowCountSet.h"
#include "tests/inhouse/BntCoreDb/ExceptionState.h"
#include "tests/inhouse/BntCoreDb/TestHome.h"

namespace {

using Database = TestHome;

LONG CountRows(CBntDatabase& db, const wchar_t* table)
{
    CRowCountSet count(&db);
    count.SetTable(table);
    return count.GetRowCount();
}

// SQLite's disk I/O error and constraint codes, as the engine reports them.
constexpr int kIoError = 10;
constexpr int kConstraint = 19;

}  // namespace

TEST_F(Database, DataSourceTextsAreCheckedBeforeAnythingIsOpened)
{
    CBntDatabase db;
    for (const CString& bad :
         {CString(L""), CString(L"sqlite:"), CString(L"odbc:DSN=x"), CString(L"test.db"), CString(L"sqlite:a\0b", 10)})
    {
        EXPECT_EQ(StateOf([&] { db.Open(bad); }), L"08001") << CStringToUtf8(bad);
        EXPECT_FALSE(db.IsOpen());
    }
    EXPECT_EQ(StateOf([&] { db.Open(L"sqlite:no/such/folder/x.db"); }), L"08001");
    std::ofstream(m_home / "garbage.db") << std::string(4096, 'x');
    EXPECT_EQ(StateOf([&] { db.Open(L"sqlite:garbage.db"); }), L"08001");
    EXPECT_EQ(StateOf([&] { db.ExecuteSQL(L"SELECT 1"); }), L"08003");
    db.Open(L"SQLite::memory:");
    EXPECT_TRUE(db.IsOpen());
    EXPECT_EQ(CountRows(m_db, L"READER"), 6);
    EXPECT_EQ(StateOf([&] { CountRows(db, L"READER"); }), L"42000");
    db.Open((L"sqlite:" + m_home.wstring() + L"/test.db").c_str());
    EXPECT_EQ(CountRows(db, L"READER"), 6);
}

TEST_F(Database, DataSourceComesFromAcsIniWithADefault)
{
    EXPECT_EQ(CBntDatabase::GetDSNFromINI(), L"sqlite:provixa.db");
    std::ofstream(m_home / "ACS.INI") << "[Service]\nUsePipes=1\n[Database]\nDataSource =  sqlite:test.db  \n";
    EXPECT_EQ(CBntDatabase::GetDSNFromINI(), L"sqlite:test.db");
    CBntDatabase db;
    db.Open(CBntDatabase::GetDSNFromINI());
    EXPECT_EQ(CountRows(db, L"ACCESSPANE"), 12);
    // 4096 characters are read whole; one more, or far more, name no database.
    const std::string longest = "sqlite:" + std::string(4096 - 7, 'a');
    std::ofstream(m_home / "ACS.INI") << "[Database]\nDataSource=" << longest << "\n";
    EXPECT_EQ(CBntDatabase::GetDSNFromINI(), CString(std::wstring(longest.begin(), longest.end()).c_str()));
    for (const std::size_t length : {4097, 5000})
    {
        std::ofstream(m_home / "ACS.INI") << "[Database]\nDataSource=sqlite:" << std::string(length - 7, 'a') << "\n";
        EXPECT_TRUE(CBntDatabase::GetDSNFromINI().IsEmpty()) << length;
    }
}

TEST_F(Database, ExecuteSqlBindsValuesAndRefusesTextsThatCouldCarryThem)
{
    EXPECT_EQ(m_db.ExecuteSQL(L"UPDATE ACCESSPANE SET NAME = ? WHERE SEGMENTID = ?", {L"x'; --", 1}), 3);
    EXPECT_TRUE(m_db.NameExists(L"ACCESSPANE", L"NAME", L"x'; --"));
    EXPECT_EQ(StateOf([&] { m_db.ExecuteSQL(L"DELETE FROM ACCESSPANE WHERE NAME = 'x'"); }), L"42000");
    EXPECT_EQ(StateOf([&] { m_db.ExecuteSQL(L"DELETE FROM ACCESSPANE; DELETE FROM READER"); }), L"42000");
    EXPECT_EQ(StateOf([&] { m_db.ExecuteSQL(L"DELETE FROM ACCESSPANE WHERE PANELID = ?"); }), L"42000");
    EXPECT_EQ(StateOf([&] { m_db.ExecuteSQL(L"DELETE FROM NOPE"); }), L"42000");
    EXPECT_EQ(StateOf([&] { m_db.ExecuteSQL(L"INSERT INTO ACCESSPANE (PANELID) VALUES (?)", {1}); }), L"23000");
    EXPECT_EQ(StateOf([&] { m_db.NameExists(L"ACCESSPANE", L"NAME OR 1=1", L"x"); }), L"42000");
    EXPECT_EQ(CountRows(m_db, L"ACCESSPANE"), 12);

    CSQLStatement remove;
    remove.SetFrom(L"READER");
    remove.AddToWhere(L"READER", L"PANELID", 2);
    EXPECT_EQ(m_db.ExecuteSQL(remove, CSQLStatement::Kind::Delete), 2);
    EXPECT_EQ(CountRows(m_db, L"READER"), 4);
    EXPECT_EQ(FixupTextForUnicode(L"ACCESSPANE.PANELID = ?", &m_db), L"ACCESSPANE.PANELID = ?");
}

TEST_F(Database, NestedTransactionsCommitAndRollBackByLevel)
{
    m_db.BeginTrans();
    m_db.ExecuteSQL(L"DELETE FROM READER WHERE PANELID = ?", {1});
    m_db.BeginTrans();
    m_db.ExecuteSQL(L"DELETE FROM READER WHERE PANELID = ?", {2});
    m_db.Rollback();
    m_db.BeginTrans();
    m_db.ExecuteSQL(L"DELETE FROM READER WHERE PANELID = ?", {3});
    m_db.CommitTrans();
    m_db.CommitTrans();
    EXPECT_EQ(CountRows(m_db, L"READER"), 2);
    EXPECT_EQ(StateOf([&] { m_db.CommitTrans(); }), L"25000");
    EXPECT_EQ(StateOf([&] { m_db.Rollback(); }), L"25000");
}

TEST_F(Database, TransactionGuardRollsBackUnlessCommitted)
{
    {
        CBntTransaction transaction(m_db);
        m_db.ExecuteSQL(L"DELETE FROM READER");
    }
    EXPECT_EQ(CountRows(m_db, L"READER"), 6);
    {
        CBntTransaction transaction(m_db);
        m_db.ExecuteSQL(L"DELETE FROM READER WHERE PANELID = ?", {1});
        transaction.Commit();
        EXPECT_EQ(StateOf([&] { transaction.Commit(); }), L"HY010");
    }
    EXPECT_EQ(CountRows(m_db, L"READER"), 4);
}

// A write frame's checks read inside its transaction: the write lock is taken when the
// transaction begins, before its first read, so no other connection can change a row between a
// check and the write that follows it. Another connection (without a busy time, so it is
// answered at once) is refused from the start of the transaction to its end.
TEST_F(Database, ATransactionHoldsTheWriteLockFromItsBeginning)
{
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2((m_home / "test.db").string().c_str(), &other, SQLITE_OPEN_READWRITE, nullptr),
              SQLITE_OK);
    const auto move = [&] {
        return sqlite3_exec(other, "UPDATE READER SET NAME = 'moved' WHERE PANELID = 1", nullptr, nullptr, nullptr);
    };
    {
        CBntTransaction transaction(m_db);
        EXPECT_EQ(move(), SQLITE_BUSY);
        EXPECT_EQ(CountRows(m_db, L"READER"), 6);
        EXPECT_EQ(move(), SQLITE_BUSY);
        m_db.ExecuteSQL(L"DELETE FROM READER WHERE PANELID = ?", {2});
        transaction.Commit();
    }
    EXPECT_EQ(move(), SQLITE_OK);
    EXPECT_EQ(sqlite3_changes(other), 2);
    sqlite3_close(other);
}

// However a read transaction ends (its connection closed or lost included), its hold on the
// connection goes with it: another thread takes the connection at once.
TEST_F(Database, AReadTransactionSeesOneMomentUntilItEndsOrTheConnectionWrites)
{
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2((m_home / "test.db").string().c_str(), &other, SQLITE_OPEN_READWRITE, nullptr),
              SQLITE_OK);
    int added = 0;
    const auto otherAdds = [&] {
        const std::string insert =
            "INSERT INTO READER (PANELID, READERID, NAME) VALUES (9, " + std::to_string(++added) + ", 'x')";
        return sqlite3_exec(other, insert.c_str(), nullptr, nullptr, nullptr);
    };
    const struct
    {
        const char* end;
        std::function<void()> run;
        // Rows of its own the ending added.
        LONG added;
    } ends[] = {
        {"its end", [&] { m_db.EndRead(); }, 0},
        {"a write of its connection", [&] { m_db.ExecuteSQL(L"DELETE FROM READER WHERE PANELID = ?", {1}); }, -2},
        {"a transaction of its connection",
         [&] {
             CBntTransaction transaction(m_db);
             m_db.ExecuteSQL(L"DELETE FROM READER WHERE PANELID = ?", {2});
             transaction.Commit();
         },
         -2},
        {"the connection's close",
         [&] {
             m_db.Close();
             m_db.Open(L"sqlite:test.db");
         },
         0},
        {"the connection's loss",
         [&] {
             m_db.TestHookDropConnection();
             m_db.Open(L"sqlite:test.db");
         },
         0},
    };
    // Whether a borrower on another thread finds the connection free at once, the read's hold on
    // it gone (asked without waiting, so a hold left behind fails here rather than hangs), and
    // then runs its statement on it.
    const auto anotherThreadReads = [&] {
        LONG rows = -1;
        std::thread([&] {
            std::recursive_mutex& lock = m_db.GetConnection()->GetLock();
            if (!lock.try_lock())
                return;
            lock.unlock();
            rows = CountRows(m_db, L"READER");
        }).join();
        return rows;
    };
    for (const auto& e : ends)
    {
        SCOPED_TRACE(e.end);
        const LONG before = CountRows(m_db, L"READER");
        m_db.BeginRead();
        EXPECT_EQ(CountRows(m_db, L"READER"), before);
        // Another connection's write is neither blocked nor seen while the read lasts.
        EXPECT_EQ(otherAdds(), SQLITE_OK);
        EXPECT_EQ(CountRows(m_db, L"READER"), before);
        e.run();
        // Ended: the other's row shows, the connection's own write is committed at once, and the
        // other connection can write again.
        EXPECT_EQ(CountRows(m_db, L"READER"), before + 1 + e.added);
        EXPECT_EQ(anotherThreadReads(), before + 1 + e.added);
        sqlite3_stmt* count = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(other, "SELECT COUNT(*) FROM READER", -1, &count, nullptr), SQLITE_OK);
        ASSERT_EQ(sqlite3_step(count), SQLITE_ROW);
        EXPECT_EQ(sqlite3_column_int(count, 0), before + 1 + e.added);
        sqlite3_finalize(count);
        EXPECT_EQ(otherAdds(), SQLITE_OK);
        m_db.EndRead();
    }
    sqlite3_close(other);
}

TEST_F(Database, FailedStatementInsideATransactionLeavesNothingHalfWritten)
{
    m_db.TestHookFailNextStatements(0, kConstraint);
    try
    {
        CBntTransaction transaction(m_db);
        m_db.ExecuteSQL(L"DELETE FROM READER WHERE PANELID = ?", {1});
        m_db.TestHookFailNextStatements(1, kConstraint);
        m_db.ExecuteSQL(L"DELETE FROM ACCESSPANE WHERE PANELID = ?", {1});
        transaction.Commit();
        FAIL() << "the injected fault was not reported";
    }
    catch (const CDBException& e)
    {
        EXPECT_EQ(e.GetState(), L"23000");
        EXPECT_EQ(e.GetNativeError(), kConstraint);
        EXPECT_FALSE(e.IsConnectionLost());
    }
    EXPECT_EQ(CountRows(m_db, L"READER"), 6);
    EXPECT_EQ(CountRows(m_db, L"ACCESSPANE"), 12);
}

TEST_F(Database, FailedCommitRollsBackEveryLevel)
{
    m_db.BeginTrans();
    m_db.ExecuteSQL(L"DELETE FROM READER");
    m_db.TestHookFailNextStatements(1, kConstraint);
    EXPECT_EQ(StateOf([&] { m_db.CommitTrans(); }), L"23000");
    EXPECT_EQ(StateOf([&] { m_db.Rollback(); }), L"25000");
    EXPECT_EQ(CountRows(m_db, L"READER"), 6);
}

TEST_F(Database, LostConnectionIsReportedAndDiscardsOpenWork)
{
    CDynamicRecordset reading(&m_db);
    reading.SetTable(L"ACCESSPANE");
    reading.OpenForwardOnly();

    m_db.BeginTrans();
    m_db.ExecuteSQL(L"DELETE FROM ACCESSPANE");
    m_db.TestHookFailNextStatements(1, kIoError);
    try
    {
        m_db.ExecuteSQL(L"DELETE FROM READER");
        FAIL() << "the I/O failure was not reported";
    }
    catch (const CDBException& e)
    {
        EXPECT_TRUE(e.IsConnectionLost());
        EXPECT_EQ(e.m_strStateNativeOrigin.Find(L"State:08S01,Native:233,"), 0);
    }
    EXPECT_TRUE(m_db.IsConnectionLost());
    EXPECT_FALSE(m_db.IsOpen());
    for (const CString& state : {StateOf([&] { m_db.ExecuteSQL(L"SELECT 1"); }), StateOf([&] { m_db.Rollback(); }),
                                 StateOf([&] { reading.MoveNext(); }), StateOf([&] { m_db.GetNextID(1); })})
        EXPECT_EQ(state, L"08S01");

    CBntDatabase other;
    other.Open(L"sqlite:test.db");
    EXPECT_EQ(CountRows(other, L"ACCESSPANE"), 12);

    m_db.Open(L"sqlite:test.db");
    EXPECT_FALSE(m_db.IsConnectionLost());
    EXPECT_EQ(CountRows(m_db, L"READER"), 6);
    m_db.TestHookDropConnection();
    EXPECT_TRUE(m_db.IsConnectionLost());
    m_db.Close();
    EXPECT_FALSE(m_db.IsConnectionLost());
    EXPECT_EQ(StateOf([&] { m_db.ExecuteSQL(L"SELECT 1"); }), L"08003");
}

TEST_F(Database, RecordsetOutlivingItsDatabaseAnswersAnError)
{
    auto db = std::make_unique<CBntDatabase>();
    db->Open(L"sqlite:test.db");
    CDynamicRecordset set(db.get());
    set.SetTable(L"ACCESSPANE");
    set.Open();
    db.reset();
    EXPECT_EQ(StateOf([&] { set.MoveNext(); }), L"08003");
    set.Close();
}

TEST_F(Database, ConcurrentConnectionsNeverReceiveTheSameId)
{
    constexpr int kThreads = 6;
    constexpr int kPerThread = 30;
    // Type 77 through the database only: a gapless sequence. Type 78 alternates with the
    // recordset's form, which jumps above the table's keys: unique, not gapless.
    std::vector<std::vector<LONGLONG>> plain(kThreads);
    std::vector<std::vector<LONGLONG>> mixed(kThreads);
    // A refusal inside a worker (a busy time running out on an overloaded machine) is a
    // failure of this test with its text, not an exception that ends the whole program.
    std::vector<CString> errors(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back([&, t] {
            try
            {
                CBntDatabase db;
                db.Open(L"sqlite:test.db");
                CDynamicRecordset set(&db);
                set.SetTable(L"ACCESSPANE");
                for (int i = 0; i < kPerThread; ++i)
                {
                    plain[static_cast<std::size_t>(t)].push_back(db.GetNextID(77));
                    mixed[static_cast<std::size_t>(t)].push_back(i % 2 == 0 ? db.GetNextID(78)
                                                                            : set.GetNextID(78, L"PANELID"));
                }
            }
            catch (const CDBException& e)
            {
                errors[static_cast<std::size_t>(t)] = e.m_strError;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (const CString& error : errors)
        ASSERT_TRUE(error.IsEmpty()) << CStringToUtf8(error);
    std::set<LONGLONG> plainIds;
    std::set<LONGLONG> mixedIds;
    for (int t = 0; t < kThreads; ++t)
    {
        plainIds.insert(plain[static_cast<std::size_t>(t)].begin(), plain[static_cast<std::size_t>(t)].end());
        mixedIds.insert(mixed[static_cast<std::size_t>(t)].begin(), mixed[static_cast<std::size_t>(t)].end());
    }
    ASSERT_EQ(plainIds.size(), static_cast<std::size_t>(kThreads * kPerThread));
    EXPECT_EQ(*plainIds.begin(), 1);
    EXPECT_EQ(*plainIds.rbegin(), kThreads * kPerThread);
    EXPECT_EQ(mixedIds.size(), static_cast<std::size_t>(kThreads * kPerThread));
}

TEST_F(Database, ThreadsSharingOneDatabaseSeeWholeTransactions)
{
    // One thread flips two rows inside transactions; in between the rows agree, so a reader
    // on the same database that counted inside a transaction would see 0 or 2 instead of 1.
    m_db.ExecuteSQL(L"CREATE TABLE PAIR (ID INTEGER PRIMARY KEY, SIDE INTEGER)");
    m_db.ExecuteSQL(L"INSERT INTO PAIR VALUES (1, 0), (2, 1)");
    std::atomic<bool> done = false;
    std::atomic<int> torn = 0;
    std::atomic<int> counted = 0;
    std::thread writer([&] {
        for (int i = 0; i < 300; ++i)
        {
            CBntTransaction transaction(m_db);
            m_db.ExecuteSQL(L"UPDATE PAIR SET SIDE = 1 - SIDE WHERE ID = ?", {1});
            std::this_thread::yield();
            m_db.ExecuteSQL(L"UPDATE PAIR SET SIDE = 1 - SIDE WHERE ID = ?", {2});
            transaction.Commit();
        }
        done = true;
    });
    std::vector<std::thread> readers;
    for (int r = 0; r < 3; ++r)
    {
        readers.emplace_back([&] {
            CSQLStatement zero;
            zero.AddToWhere(L"PAIR", L"SIDE", 0);
            while (!done)
            {
                CRowCountSet count(&m_db);
                count.SetTable(L"PAIR", zero);
                if (count.GetRowCount() != 1)
                    ++torn;
                ++counted;
            }
        });
    }
    writer.join();
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(torn.load(), 0);
    EXPECT_GT(counted.load(), 0);
}

TEST_F(Database, AStatementNeedsExactlyOneValuePerPlaceholder)
{
    // Too few values would bind NULLs silently: a condition that matches nothing, or a row
    // written with holes. Every mismatch is refused before the statement runs.
    const struct
    {
        const wchar_t* sql;
        std::vector<CDBValue> values;
    } mismatches[] = {
        {L"UPDATE ACCESSPANE SET NAME = ? WHERE SEGMENTID = ?", {L"x"}},
        {L"UPDATE ACCESSPANE SET NAME = ? WHERE SEGMENTID = ?", {}},
        {L"UPDATE ACCESSPANE SET NAME = ? WHERE SEGMENTID = ?", {L"x", 1, 2}},
        {L"UPDATE ACCESSPANE SET NAME = 'y' WHERE SEGMENTID = 1", {1}},
    };
    for (const auto& one : mismatches)
        EXPECT_EQ(StateOf([&] { m_db.ExecuteSQL(one.sql, one.values); }), L"42000") << one.values.size();
    EXPECT_FALSE(m_db.NameExists(L"ACCESSPANE", L"NAME", L"x"));
    EXPECT_FALSE(m_db.NameExists(L"ACCESSPANE", L"NAME", L"y"));

    CDynamicRecordset panels(&m_db);
    panels.SetTable(L"ACCESSPANE");
    panels.AddColumnToSet(L"PANELID");
    EXPECT_EQ(StateOf([&] {
                  panels.SetFilter(L"SEGMENTID = ? AND NAME <> ?", {1});
                  panels.Open(CMultiFilterRecordset::kReadOnly);
              }),
              L"42000");
}

TEST_F(Database, ReusedStatementsReadWithTheirOwnValuesAndNeverOutliveTheirHandle)
{
    // The same text runs again on a statement kept from before: each run sees only its own
    // values, a read abandoned half-way leaves nothing behind, and a reopened connection
    // prepares anew rather than touch a statement of the handle it closed.
    auto nameOf = [&](int panel) {
        CDynamicRecordset one(&m_db);
        one.SetTable(L"ACCESSPANE");
        one.AddColumnToSet(L"NAME");
        one.SetFilter(L"PANELID = ?", {panel});
        one.OpenForwardOnly();
        return one.IsEOF() ? CString(L"none") : one.GetText(0);
    };
    const struct
    {
        int panel;
        const wchar_t* name;
    } reads[] = {{1, L"Panel 01"}, {7, L"Panel 07"}, {99, L"none"}, {12, L"Panel 12"}, {1, L"Panel 01"}};
    for (const auto& read : reads)
        EXPECT_EQ(nameOf(read.panel), read.name) << read.panel;

    {
        CDynamicRecordset abandoned(&m_db);
        abandoned.SetTable(L"ACCESSPANE");
        abandoned.OpenForwardOnly();
        ASSERT_FALSE(abandoned.IsEOF());
    }
    // More distinct texts than the connection keeps push the first ones out.
    for (int extra = 0; extra < 40; ++extra)
        EXPECT_EQ(m_db.ExecuteSQL(L"UPDATE ACCESSPANE SET RATE = " + CString(std::to_wstring(extra).c_str()) +
                                      L" WHERE PANELID = ?",
                                  {extra % 12 + 1}),
                  1);
    EXPECT_EQ(nameOf(7), L"Panel 07");

    m_db.TestHookDropConnection();
    EXPECT_EQ(StateOf([&] { nameOf(7); }), L"08S01");
    m_db.Open(L"sqlite:test.db");
    EXPECT_EQ(nameOf(7), L"Panel 07");
    EXPECT_EQ(nameOf(3), L"Panel 03");
}

TEST_F(Database, WhatAWriteAnnouncesWaitsForItsCommitAndGoesWithARollback)
{
    std::vector<int> ran;
    const auto announce = [&ran](int what) { CBntCommitQueue::Defer([&ran, what] { ran.push_back(what); }); };
    announce(1);
    EXPECT_EQ(ran, std::vector<int>{1}) << "outside a transaction at once";

    ran.clear();
    m_db.BeginTrans();
    announce(2);
    m_db.BeginTrans();
    announce(3);
    m_db.Rollback();  // the inner level's work and its announcement go
    m_db.BeginTrans();
    announce(4);
    m_db.CommitTrans();  // released into the outer level, still uncommitted
    EXPECT_TRUE(ran.empty());
    m_db.CommitTrans();
    EXPECT_EQ(ran, (std::vector<int>{2, 4}));
    EXPECT_EQ(CBntCommitQueue::OpenLevels(), 0);

    ran.clear();
    {
        CBntTransaction abandoned(m_db);
        announce(5);
    }
    m_db.BeginTrans();
    announce(6);
    m_db.TestHookFailNextStatements(1, kConstraint);
    EXPECT_EQ(StateOf([&] { m_db.CommitTrans(); }), L"23000");
    m_db.BeginTrans();
    announce(7);
    m_db.TestHookFailNextStatements(1, kIoError);
    EXPECT_EQ(StateOf([&] { m_db.ExecuteSQL(L"DELETE FROM READER"); }), L"08S01");
    EXPECT_TRUE(ran.empty()) << "a rolled-back, failed or lost write announces nothing";
    EXPECT_EQ(CBntCommitQueue::OpenLevels(), 0);
}
