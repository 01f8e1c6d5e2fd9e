// Reading rows: values read into reused storage and texts converted once per row stay those of
// the current row through moves, requeries, edits and concurrent readers.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cwchar>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "inhouse/BntCoreDb/CBntConnection.h"
#include "inhouse/BntCoreDb/CBntStatement.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "tests/inhouse/BntCoreDb/ExceptionState.h"
#include "tests/inhouse/BntCoreDb/TestHome.h"

namespace {

using RowReading = TestHome;

// Texts of differing lengths and kinds in one column, so each row overwrites the storage
// the row before left: long, short, NULL, integer, real, bytes, non-ASCII and malformed UTF-8.
void FillMixedColumn(CBntDatabase& db)
{
    db.ExecuteSQL(L"CREATE TABLE MIXED (ID INTEGER PRIMARY KEY, VALUE)");
    db.ExecuteSQL(L"INSERT INTO MIXED VALUES (1, ?)", {L"a rather long text that needs its own storage"});
    db.ExecuteSQL(L"INSERT INTO MIXED VALUES (2, ?)", {L"short"});
    db.ExecuteSQL(L"INSERT INTO MIXED VALUES (3, NULL)");
    db.ExecuteSQL(L"INSERT INTO MIXED VALUES (4, 42)");
    db.ExecuteSQL(L"INSERT INTO MIXED VALUES (5, 2.5)");
    db.ExecuteSQL(L"INSERT INTO MIXED VALUES (6, ?)", {CDBValue::FromBytes({1, 2, 3})});
    db.ExecuteSQL(L"INSERT INTO MIXED VALUES (7, ?)", {L"T\u00fcr 12 \u2013 Eingang Nord \U0001F6AA"});
    db.ExecuteSQL(L"INSERT INTO MIXED VALUES (8, ?)", {CDBValue::FromUtf8(std::string("ok \xC3 then \xFF end", 15))});
    db.ExecuteSQL(L"INSERT INTO MIXED VALUES (9, ?)", {CDBValue::FromUtf8(std::string("nul\0inside", 10))});
}

CDynamicRecordset& OpenMixed(CDynamicRecordset& set)
{
    set.SetTable(L"MIXED");
    set.AddColumnToSet(L"ID");
    set.AddColumnToSet(L"VALUE");
    set.AddOrderBy(L"ID");
    set.OpenForwardOnly();
    return set;
}

}  // namespace

TEST_F(RowReading, EachRowShowsItsOwnValuesInReusedStorage)
{
    FillMixedColumn(m_db);
    CDynamicRecordset set(&m_db);
    OpenMixed(set);
    const std::vector<std::wstring> expected = {
        L"a rather long text that needs its own storage",
        L"short",
        L"",
        L"42",
        L"2.5",
        L"",
        L"T\u00fcr 12 \u2013 Eingang Nord \U0001F6AA",
        L"ok \uFFFD then \uFFFD end",
        std::wstring(L"nul\0inside", 10),
    };
    std::vector<std::wstring> views;
    std::vector<CString> texts;
    std::vector<bool> nulls;
    for (; !set.IsEOF(); set.MoveNext())
    {
        nulls.push_back(set.IsFieldNull(1));
        if (set.GetValue(1).GetKind() == CDBValue::Kind::Blob)
        {
            EXPECT_EQ(set.GetBytes(1), (std::vector<BYTE>{1, 2, 3}));
            views.emplace_back();
            texts.emplace_back();
            continue;
        }
        views.emplace_back(set.GetTextView(1));
        // Asked twice in one row: the same text, the conversion kept.
        EXPECT_EQ(std::wstring(set.GetTextView(1)), views.back());
        texts.push_back(set.GetText(L"VALUE"));
    }
    EXPECT_EQ(views, expected);
    ASSERT_EQ(texts.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(texts[i].GetWString(), expected[i]) << i;
    EXPECT_EQ(nulls, (std::vector<bool>{false, false, true, false, false, false, false, false, false}));
}

TEST_F(RowReading, TextViewAgreesWithTheValueConversionsAndRefusesBytes)
{
    FillMixedColumn(m_db);
    CDynamicRecordset set(&m_db);
    OpenMixed(set);
    for (; !set.IsEOF(); set.MoveNext())
    {
        const CDBValue value = set.GetValue(1);
        if (value.GetKind() == CDBValue::Kind::Blob)
        {
            EXPECT_THROW(set.GetTextView(1), CDBException);
            continue;
        }
        EXPECT_EQ(std::wstring(set.GetTextView(1)), value.AsText().GetWString());
    }
    EXPECT_THROW(set.GetTextView(1), CDBException) << "past the last row there is no text";
}

TEST_F(RowReading, BytesViewShowsTheRowsBytesWhereTheyAreHeldAndRefusesNumbers)
{
    FillMixedColumn(m_db);
    // Values past what a handed-back row keeps, between small ones, so a released value's place
    // is filled again by the rows after it.
    const std::vector<BYTE> large(CBntStatement::kKeptValueBytes + 1, 0xA5);
    const std::string largeText(CBntStatement::kKeptValueBytes + 2, 'k');
    m_db.ExecuteSQL(L"INSERT INTO MIXED VALUES (10, ?), (11, ?), (12, ?), (13, ?)",
                    {CDBValue::FromBytes(large), CDBValue::FromBytes({4, 5}), CDBValue::FromUtf8(largeText),
                     CDBValue::FromUtf8("tail")});
    CDynamicRecordset set(&m_db);
    OpenMixed(set);
    std::vector<std::vector<BYTE>> seen;
    std::vector<CString> states;
    for (; !set.IsEOF(); set.MoveNext())
    {
        const std::vector<BYTE> copy =
            set.GetValue(1).GetKind() == CDBValue::Kind::Integer || set.GetValue(1).GetKind() == CDBValue::Kind::Real
                ? std::vector<BYTE>()
                : set.GetBytes(1);
        std::span<const BYTE> view;
        states.push_back(StateOf([&] { view = set.GetBytesView(1); }));
        // The view is the row's own storage: asked twice, the same bytes at the same place.
        if (states.back() == L"none")
        {
            EXPECT_EQ(set.GetBytesView(1).data(), view.data()) << seen.size();
        }
        seen.emplace_back(view.begin(), view.end());
        EXPECT_EQ(seen.back(), copy) << seen.size();
    }
    const auto bytesOf = [](std::string_view text) { return std::vector<BYTE>(text.begin(), text.end()); };
    const std::vector<std::vector<BYTE>> expected = {
        bytesOf("a rather long text that needs its own storage"),
        bytesOf("short"),
        {},
        {},
        {},
        {1, 2, 3},
        bytesOf("T\xC3\xBCr 12 \xE2\x80\x93 Eingang Nord \xF0\x9F\x9A\xAA"),
        bytesOf(std::string_view("ok \xC3 then \xFF end", 15)),
        bytesOf(std::string_view("nul\0inside", 10)),
        large,
        {4, 5},
        bytesOf(largeText),
        bytesOf("tail"),
    };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(states, (std::vector<CString>{L"none", L"none", L"none", L"22018", L"22018", L"none", L"none", L"none",
                                            L"none", L"none", L"none", L"none", L"none"}));
    EXPECT_EQ(StateOf([&] { set.GetBytesView(1); }), L"24000") << "past the last row there are no bytes";
}

TEST_F(RowReading, TextViewFollowsRequeryEditAndUpdate)
{
    CDynamicRecordset set(&m_db);
    set.SetTable(L"ACCESSPANE");
    set.AddFilterLong(L"PANELID", 4, CMultiFilterRecordset::LessOrEqual);
    set.AddOrderBy(L"PANELID");
    set.Open();
    const int name = 1;
    ASSERT_EQ(set.GetColumnName(name), L"NAME");
    EXPECT_EQ(set.GetTextView(name), L"Panel 01");
    set.MoveNext();
    EXPECT_EQ(set.GetTextView(name), L"Panel 02");

    set.Edit();
    EXPECT_EQ(set.GetTextView(name), L"Panel 02");
    set.SetValue(L"NAME", L"Renamed 02");
    EXPECT_EQ(set.GetTextView(name), L"Renamed 02") << "the row being edited shows its new value";
    EXPECT_TRUE(set.Update());
    EXPECT_EQ(set.GetTextView(name), L"Renamed 02");

    set.ClearFilters();
    set.AddFilterLong(L"PANELID", 3, CMultiFilterRecordset::GreaterOrEqual);
    set.Requery();
    EXPECT_EQ(set.GetTextView(name), L"Panel 03");
    set.AddNew();
    EXPECT_EQ(set.GetTextView(name), L"") << "a new row starts with every field NULL";
    set.SetValue(L"NAME", L"Added");
    EXPECT_EQ(set.GetTextView(name), L"Added");
    EXPECT_TRUE(set.Update());
    EXPECT_EQ(set.GetTextView(name), L"Panel 03") << "after AddNew the current row is shown again";
    set.Delete();
    EXPECT_THROW(set.GetTextView(name), CDBException);
    set.Close();
    EXPECT_THROW(set.GetTextView(name), CDBException);
}

TEST_F(RowReading, ReadersOnOneConnectionReadTheirOwnRowsAtOnce)
{
    // Every use of the connection holds its lock: readers on several threads share it safely.
    constexpr int kThreads = 4;
    constexpr int kPasses = 40;
    std::vector<std::thread> threads;
    std::vector<int> mismatches(kThreads, 0);
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back([this, t, &mismatches] {
            for (int pass = 0; pass < kPasses; ++pass)
            {
                CDynamicRecordset set(&m_db);
                set.SetTable(L"ACCESSPANE");
                set.AddColumnToSet(L"PANELID");
                set.AddColumnToSet(L"NAME");
                set.AddOrderBy(L"PANELID");
                set.OpenForwardOnly();
                int expected = 1;
                for (; !set.IsEOF(); set.MoveNext(), ++expected)
                {
                    wchar_t name[16];
                    std::swprintf(name, 16, L"Panel %02d", expected);
                    if (set.GetLong(0) != expected || set.GetTextView(1) != name)
                        ++mismatches[static_cast<std::size_t>(t)];
                }
                if (expected != 13)
                    ++mismatches[static_cast<std::size_t>(t)];
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches, std::vector<int>(kThreads, 0));
}

TEST_F(RowReading, RowsReadAheadComeOutInOrderBeforeTheErrorThatEndedThem)
{
    // Rows are read from the engine a batch at a time: every row before a failing one still
    // comes out, in order and with its own values, and the failure is reported at its row.
    m_db.ExecuteSQL(L"CREATE TABLE SERIES (ID INTEGER PRIMARY KEY, LABEL TEXT)");
    for (int id = 1; id <= 200; ++id)
        m_db.ExecuteSQL(L"INSERT INTO SERIES VALUES (?, ?)", {id, CString(std::to_wstring(id * 7).c_str())});
    const struct
    {
        int failingId;
        int rowsBefore;
    } cases[] = {{1, 0}, {64, 63}, {65, 64}, {150, 149}, {500, 200}};
    for (const auto& one : cases)
    {
        CDynamicRecordset set(&m_db);
        set.SetTable(L"SERIES");
        set.AddColumnToSet(L"ID");
        set.AddColumnToSet(L"LABEL");
        // abs() of the smallest integer is an overflow the engine reports when it reaches the row.
        set.SetFilter(L"abs(CASE WHEN ID >= ? THEN ? ELSE 1 END) > 0",
                      {one.failingId, std::numeric_limits<LONGLONG>::min()});
        set.AddOrderBy(L"ID");
        int read = 0;
        const CString state = StateOf([&] {
            for (set.OpenForwardOnly(); !set.IsEOF(); set.MoveNext())
            {
                ++read;
                ASSERT_EQ(set.GetLong(0), read);
                ASSERT_EQ(set.GetText(1), CString(std::to_wstring(read * 7).c_str()));
            }
        });
        EXPECT_EQ(read, one.rowsBefore) << one.failingId;
        EXPECT_EQ(state, one.failingId <= 200 ? L"HY000" : L"none") << one.failingId;
    }
}

TEST_F(RowReading, AReadThatLosesTheConnectionReportsItAfterTheRowsBeforeIt)
{
    // An I/O failure of the engine while a batch is read closes the connection: the rows before
    // the failing one still come out, then the loss is reported, at once when no row came.
    m_db.ExecuteSQL(L"CREATE TABLE SERIES (ID INTEGER PRIMARY KEY)");
    for (int id = 1; id <= 100; ++id)
        m_db.ExecuteSQL(L"INSERT INTO SERIES VALUES (?)", {id});
    // FAILS_AT(ID, n): 1 before row n, the engine's I/O error from it on.
    const auto failsAt = [](sqlite3_context* context, int, sqlite3_value** arguments) {
        if (sqlite3_value_int(arguments[0]) >= sqlite3_value_int(arguments[1]))
            sqlite3_result_error_code(context, SQLITE_IOERR);
        else
            sqlite3_result_int(context, 1);
    };
    const struct
    {
        int failingId;
        int rowsBefore;
    } cases[] = {{1, 0}, {2, 1}, {65, 64}};
    for (const auto& one : cases)
    {
        m_db.Close();
        m_db.Open(L"sqlite:test.db");
        const std::shared_ptr<CBntConnection>& connection = m_db.GetConnection();
        {
            std::lock_guard guard(connection->GetLock());
            ASSERT_EQ(sqlite3_create_function(connection->RequireHandleLocked(), "FAILS_AT", 2, SQLITE_UTF8, nullptr,
                                              failsAt, nullptr, nullptr),
                      SQLITE_OK);
        }
        CDynamicRecordset set(&m_db);
        set.SetTable(L"SERIES");
        set.AddColumnToSet(L"ID");
        set.SetFilter(L"FAILS_AT(ID, ?) = 1", {one.failingId});
        set.AddOrderBy(L"ID");
        int read = 0;
        const CString state = StateOf([&] {
            for (set.OpenForwardOnly(); !set.IsEOF(); set.MoveNext())
                ASSERT_EQ(set.GetLong(0), ++read);
        });
        EXPECT_EQ(read, one.rowsBefore) << one.failingId;
        EXPECT_EQ(state, L"08S01") << one.failingId;
        EXPECT_TRUE(connection->IsLost()) << one.failingId;
    }
}
