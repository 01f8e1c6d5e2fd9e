#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "inhouse/BntCoreDb/CBntStatement.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntCoreDb/CRowCountSet.h"
#include "inhouse/BntCoreDb/CSQLStatement.h"
#include "tests/inhouse/BntCoreDb/ExceptionState.h"
#include "tests/inhouse/BntCoreDb/TestHome.h"

namespace {

using Recordset = TestHome;

std::vector<LONG> ReadLongs(CMultiFilterRecordset& set, const wchar_t* column)
{
    std::vector<LONG> values;
    for (; !set.IsEOF(); set.MoveNext())
        values.push_back(set.GetLong(column));
    return values;
}

}  // namespace

TEST_F(Recordset, InnerJoinAcrossThreeTablesWithTypedFilters)
{
    // The access event check: panels of class 1 with their readers.
    CDynamicRecordset set(&m_db);
    set.SetupJoin(L"ACCESSPANE", L"PANELID", L"READER", L"PANELID");
    set.AddJoin(L"ACCESSPANE", L"PANELTYPE", L"PANELTYPE", L"PANELTYPEID");
    set.AddFilterLong(L"PANELTYPE.PANELCLASS", 1);
    set.AddColumnToSet(L"SEGMENTID", L"ACCESSPANE");
    set.AddColumnToSet(L"READERID", L"READER");
    set.AddOrderBy(L"READER.AREAENTER");
    set.OpenForwardOnly();
    std::vector<LONG> readers = ReadLongs(set, L"READERID");
    // Panels 1 and 2 are of class 1, panel 3 of class 7.
    EXPECT_EQ(readers, (std::vector<LONG>{1, 2, 1, 2}));
}

TEST_F(Recordset, SecondJoinOntoTheSameTableNarrowsItsCondition)
{
    CDynamicRecordset set(&m_db);
    set.SetupJoin(L"EVENTS", L"EVENTTYPE", L"EVENT", L"EVTYPEID");
    set.AddJoin(L"EVENTS", L"EVENTID", L"EVENT", L"EVID");
    set.AddJoin(L"EVENTS", L"MACHINE", L"ACCESSPANE", L"PANELID");
    set.AddColumnToSet(L"SERIAL", L"EVENTS");
    set.AddColumnToSet(L"DESCRIPT", L"EVENT");
    set.AddOrderBy(L"SERIAL", L"EVENTS");
    set.OpenForwardOnly();
    std::vector<CString> descriptions;
    for (; !set.IsEOF(); set.MoveNext())
        descriptions.push_back(set.GetText(L"DESCRIPT"));
    // Each logged event matches exactly its own definition; event 4 has no panel 99.
    EXPECT_EQ(descriptions, (std::vector<CString>{L"Granted", L"Granted no entry", L"Denied"}));
}

TEST_F(Recordset, LeftOuterJoinKeepsRowsWithoutPartner)
{
    CDynamicRecordset set(&m_db);
    set.SetupJoin(L"ACCESSPANE", L"PANELID", L"READER", L"PANELID", CMultiFilterRecordset::LeftOuterJoin);
    set.AddColumnToSet(L"PANELID", L"ACCESSPANE");
    set.AddColumnToSet(L"READERID", L"READER");
    set.AddFilterLong(L"ACCESSPANE.PANELID", 3, CMultiFilterRecordset::GreaterOrEqual);
    set.SetOrderBy(L"ACCESSPANE.PANELID, READER.READERID ASC");
    set.OpenForwardOnly();
    ASSERT_FALSE(set.IsEOF());
    EXPECT_EQ(set.GetLong(L"PANELID"), 3);
    set.MoveNext();
    set.MoveNext();
    EXPECT_EQ(set.GetLong(L"PANELID"), 4);
    EXPECT_TRUE(set.IsFieldNull(L"READERID"));
    EXPECT_EQ(set.GetLong(L"READERID"), 0);
}

TEST_F(Recordset, TableAliasJoinsTheSameTableTwice)
{
    CDynamicRecordset set(&m_db);
    set.SetupJoin(L"READER", L"PANELID", L"ACCESSPANE", L"PANELID");
    set.AddJoin(L"READER", L"AREAENTER", L"ACCESSPANE OTHER", L"PANELID", CMultiFilterRecordset::LeftOuterJoin);
    set.AddColumnToSet(L"NAME", L"ACCESSPANE");
    set.AddColumnToSet(L"NAME", L"OTHER", false, L"OTHERNAME");
    set.AddFilterInt(L"READER.READERID", 1);
    set.AddFilterInt(L"READER.PANELID", 1);
    set.OpenForwardOnly();
    ASSERT_FALSE(set.IsEOF());
    EXPECT_EQ(set.GetText(L"NAME"), L"Panel 01");
    EXPECT_EQ(set.GetText(L"OTHER.NAME"), L"Panel 11");
    EXPECT_EQ(set.GetText(L"OTHERNAME"), L"Panel 11");
    EXPECT_EQ(set.GetColumnName(1), L"OTHERNAME");
}

TEST_F(Recordset, OrFiltersFormOneGroupJoinedWithAndToTheNext)
{
    CDynamicRecordset set(&m_db);
    set.SetTable(L"ACCESSPANE");
    set.AddColumnToSet(L"PANELID");
    set.AddFilterLong(L"PANELID", 2);
    set.AddFilterLong(L"PANELID", 4, CMultiFilterRecordset::Equal, CMultiFilterRecordset::OrFilter);
    set.AddFilterLong(L"PANELID", 9, CMultiFilterRecordset::Equal, CMultiFilterRecordset::OrFilter);
    set.AddFilterLong(L"ONLINE", 0);
    set.SetFilter(L"SEGMENTID <> ? OR PANELID = ?", {CDBValue(0), CDBValue(4)});
    set.AddOrderBy(L"PANELID");
    set.OpenForwardOnly();
    // (2 OR 4 OR 9) AND ONLINE = 0 AND (SEGMENTID <> 0 OR PANELID = 4): 2 and 4 (4 has segment 0).
    EXPECT_EQ(ReadLongs(set, L"PANELID"), (std::vector<LONG>{2, 4}));
}

TEST_F(Recordset, NullInTextAndDateFiltersSelectTheRightRows)
{
    m_db.ExecuteSQL(L"UPDATE ACCESSPANE SET LASTCHANGED = ? WHERE PANELID <= 3", {L"2024-05-01 10:00:00"});
    CDynamicRecordset set(&m_db);
    set.SetTable(L"ACCESSPANE");
    set.AddColumnToSet(L"PANELID");
    set.AddFilterNull(L"LASTCHANGED", false);
    set.AddFilterDate(L"LASTCHANGED", COleDateTime(2024, 5, 1, 9, 0, 0), CMultiFilterRecordset::GreaterThan);
    set.AddFilterLongIn(L"PANELID", {1, 3, 7});
    set.AddFilterText(L"NAME", L"Panel 0%", CMultiFilterRecordset::Like);
    set.AddOrderBy(L"PANELID", L"", true);
    set.OpenForwardOnly();
    EXPECT_EQ(ReadLongs(set, L"PANELID"), (std::vector<LONG>{3, 1}));

    CDynamicRecordset none(&m_db);
    none.SetTable(L"ACCESSPANE");
    none.AddFilterLongIn(L"PANELID", {});
    none.OpenForwardOnly();
    EXPECT_TRUE(none.IsEOF());
    EXPECT_TRUE(none.IsBOF());
    EXPECT_EQ(StateOf([&] { none.GetLong(L"PANELID"); }), L"24000");
    EXPECT_EQ(StateOf([&] { none.MoveNext(); }), L"24000");
}

TEST_F(Recordset, PagesMatchAPlainSliceOfTheOrderedRowsAndTheRowCount)
{
    std::vector<LONG> all;
    {
        CDynamicRecordset set(&m_db);
        set.SetTable(L"ACCESSPANE");
        set.AddColumnToSet(L"PANELID");
        set.SetOrderBy(L"SEGMENTID DESC, PANELID");
        set.OpenForwardOnly();
        all = ReadLongs(set, L"PANELID");
    }
    ASSERT_EQ(all.size(), 12u);
    struct Page
    {
        LONG first;
        LONG last;
    };
    for (const Page page :
         {Page{1, 5}, Page{6, 10}, Page{11, 15}, Page{0, 3}, Page{-9, 0}, Page{5, 4}, Page{13, 20}, Page{-4, -1}})
    {
        CDynamicRecordset set(&m_db);
        set.SetTable(L"ACCESSPANE");
        set.AddColumnToSet(L"PANELID");
        set.SetOrderBy(L"SEGMENTID DESC, PANELID");
        set.SetPaging(page.first, page.last);
        set.OpenForwardOnly();
        std::vector<LONG> expected;
        if (page.last == 0)
            expected = all;
        else
        {
            const LONG first = std::max<LONG>(page.first, 1);
            for (LONG row = first; row <= page.last && row <= 12; ++row)
                expected.push_back(all[static_cast<std::size_t>(row - 1)]);
        }
        EXPECT_EQ(ReadLongs(set, L"PANELID"), expected) << page.first << ".." << page.last;
        CRowCountSet count(&m_db);
        count.SetRecordset(set);
        EXPECT_EQ(count.GetRowCount(), 12);
    }
}

TEST_F(Recordset, DistinctRowsAreCountedOnceAndAreReadOnly)
{
    CDynamicRecordset set(&m_db);
    set.SetupJoin(L"ACCESSPANE", L"PANELID", L"READER", L"PANELID");
    set.AddColumnToSet(L"PANELID", L"ACCESSPANE");
    set.SetDistinct(true);
    set.Open();
    EXPECT_EQ(ReadLongs(set, L"PANELID").size(), 3u);
    CRowCountSet count(&m_db);
    count.SetRecordset(set);
    EXPECT_EQ(count.GetRowCount(), 3);
    set.Requery();
    EXPECT_EQ(StateOf([&] { set.Edit(); }), L"HY092");
}

TEST_F(Recordset, RowCountsFromStatementsAndTables)
{
    CRowCountSet count(&m_db);
    EXPECT_EQ(StateOf([&] { count.GetRowCount(); }), L"HY010");
    count.SetTable(L"READER");
    EXPECT_EQ(count.GetRowCount(), 6);
    CSQLStatement where;
    where.AddToWhere(L"READER", L"PANELID", 2);
    count.SetTable(L"READER", where);
    EXPECT_EQ(count.GetRowCount(), 2);
    CSQLStatement statement;
    EXPECT_FALSE(count.SetSQL(statement));
    statement.SetFrom(L"ACCESSPANE");
    statement.AddToWhere(L"ACCESSPANE", L"SEGMENTID", 0);
    ASSERT_TRUE(count.SetSQL(statement));
    EXPECT_EQ(count.GetRowCount(), 3);
}

TEST_F(Recordset, AllColumnsAreReadWhenNoneWasAddedAndAliasesHideBareNames)
{
    CDynamicRecordset set(&m_db);
    set.SetupJoin(L"PANELTYPE", L"PANELTYPEID", L"ACCESSPANE", L"PANELTYPE");
    set.AddAliasToColumn(L"NAME", L"ACCESSPANE", L"ACCESSPANELNAME");
    set.AddColumnToSet(L"NAME", L"PANELTYPE");
    set.AddFilterLong(L"ACCESSPANE.PANELID", 3);
    set.OpenForwardOnly();
    EXPECT_EQ(set.GetText(L"NAME"), L"Intrusion");
    EXPECT_EQ(set.GetText(L"accesspanelname"), L"Panel 03");
    EXPECT_EQ(StateOf([&] { set.GetText(L"PANELID"); }), L"42S22");

    CDynamicRecordset whole(&m_db);
    whole.SetTable(L"ACCESSPANE");
    whole.AddFilterLong(L"PANELID", 5);
    whole.Open();
    EXPECT_EQ(whole.GetColumnCount(), 8);
    EXPECT_EQ(whole.GetText(L"NAME"), L"Panel 05");
    EXPECT_EQ(whole.GetLong(0), 5);
    EXPECT_EQ(StateOf([&] { whole.GetLong(8); }), L"07009");
    whole.Close();

    // A column added since, by another connection, is among all columns at the next open.
    {
        CBntDatabase other;
        other.Open(L"sqlite:test.db");
        other.ExecuteSQL(L"ALTER TABLE ACCESSPANE ADD COLUMN NOTE TEXT");
        other.ExecuteSQL(L"UPDATE ACCESSPANE SET NOTE = ? WHERE PANELID = 5", {L"Side door"});
    }
    CDynamicRecordset widened(&m_db);
    widened.SetTable(L"ACCESSPANE");
    widened.AddFilterLong(L"PANELID", 5);
    widened.Open();
    EXPECT_EQ(widened.GetColumnCount(), 9);
    EXPECT_EQ(widened.GetText(L"NOTE"), L"Side door");
    EXPECT_EQ(widened.GetText(L"NAME"), L"Panel 05");

    CDynamicRecordset missing(&m_db);
    missing.SetTable(L"NO_SUCH_TABLE");
    EXPECT_EQ(StateOf([&] { missing.Open(); }), L"42S02");
}

TEST_F(Recordset, InjectedNamesAreRefusedBeforeAnySqlRuns)
{
    CDynamicRecordset set(&m_db);
    const wchar_t* hostile[] = {L"PANELID; DELETE FROM ACCESSPANE",
                                L"PANELID) OR (1=1",
                                L"NAME'--",
                                L"A.B.C",
                                L"",
                                L"PANELID=1 OR 1=1",
                                L"\"PANELID\""};
    for (const wchar_t* name : hostile)
    {
        EXPECT_EQ(StateOf([&] { set.SetTable(name); }), L"42000") << CStringToUtf8(name);
        EXPECT_EQ(StateOf([&] { set.AddColumnToSet(name, L"ACCESSPANE"); }), L"42000") << CStringToUtf8(name);
        EXPECT_EQ(StateOf([&] { set.AddFilterLong(name, 1); }), L"42000") << CStringToUtf8(name);
        EXPECT_EQ(StateOf([&] { set.AddOrderBy(name); }), L"42000") << CStringToUtf8(name);
        EXPECT_EQ(StateOf([&] { set.AddJoin(L"ACCESSPANE", L"PANELID", name, L"PANELID"); }), L"42000");
    }
    EXPECT_EQ(StateOf([&] { set.SetOrderBy(L"PANELID; DROP TABLE X"); }), L"42000");
    EXPECT_EQ(StateOf([&] { set.SetOrderBy(L"PANELID,,NAME"); }), L"42000");
    EXPECT_EQ(StateOf([&] { set.SetOrderBy(L"PANELID SIDEWAYS"); }), L"42000");
    EXPECT_EQ(StateOf([&] { set.AddFilterLong(L"PANELID", 1, 9); }), L"42000");
    EXPECT_EQ(StateOf([&] { set.AddFilterLong(L"PANELID", 1, 0, 2); }), L"42000");
    EXPECT_EQ(StateOf([&] { set.SetFilter(L"NAME = 'x' OR 1=1"); }), L"42000");
    EXPECT_EQ(StateOf([&] { set.SetupJoin(L"ACCESSPANE", L"PANELID", L"READER", L"PANELID", 5); }), L"42000");
    set.SetTable(L"ACCESSPANE");
    EXPECT_EQ(StateOf([&] { set.AddJoin(L"EVENT", L"EVID", L"EVENTS", L"EVENTID"); }), L"42000");
    CRowCountSet count(&m_db);
    count.SetTable(L"ACCESSPANE");
    EXPECT_EQ(count.GetRowCount(), 12);
}

TEST_F(Recordset, HostileValuesAreStoredAndMatchedExactly)
{
    const CString hostile[] = {
        CString(L"O'Brien"),        CString(L"x'); DROP TABLE ACCESSPANE; --"),
        CString(L"a\0b", 3),        CString(L"\" OR \"\"=\""),
        CString(L'\x20AC', 100000), CString(L"%_\\"),
    };
    LONG id = 100;
    for (const CString& name : hostile)
    {
        CDynamicRecordset add(&m_db);
        add.SetTable(L"ACCESSPANE");
        add.AddFilterLong(L"PANELID", -1);
        add.Open();
        EXPECT_TRUE(add.IsEOF());
        add.AddNew();
        add.SetValue(L"PANELID", ++id);
        add.SetValue(L"NAME", name);
        EXPECT_TRUE(add.Update());

        CDynamicRecordset find(&m_db);
        find.SetTable(L"ACCESSPANE");
        find.AddColumnToSet(L"PANELID");
        find.AddColumnToSet(L"NAME");
        find.AddFilterText(L"NAME", name);
        find.OpenForwardOnly();
        ASSERT_FALSE(find.IsEOF());
        EXPECT_EQ(find.GetLong(L"PANELID"), id);
        EXPECT_EQ(find.GetText(L"NAME"), name);
        find.MoveNext();
        EXPECT_TRUE(find.IsEOF());
        EXPECT_TRUE(m_db.NameExists(L"ACCESSPANE", L"NAME", name));
    }
    CRowCountSet count(&m_db);
    count.SetTable(L"ACCESSPANE");
    EXPECT_EQ(count.GetRowCount(), 18);
    EXPECT_FALSE(m_db.NameExists(L"ACCESSPANE", L"NAME", CString(L"a", 1)));
}

TEST_F(Recordset, EditAddNewUpdateAndDeleteRoundTrip)
{
    CDynamicRecordset set(&m_db);
    set.SetTable(L"ACCESSPANE");
    set.AddFilterLong(L"PANELID", 7);
    set.Open();
    ASSERT_FALSE(set.IsEOF());
    set.Edit();
    EXPECT_FALSE(set.Update());
    set.Edit();
    set.SetValue(L"NAME", L"Renamed");
    set.SetDateTime(L"LASTCHANGED", COleDateTime(2023, 12, 31, 23, 59, 59));
    set.SetValue(L"RATE", 2.5);
    set.SetValue(L"CONNKEY", CDBValue::FromBytes({0, 1, 0xFF}));
    set.SetValue(L"ONLINE", true);
    EXPECT_TRUE(set.Update());
    EXPECT_EQ(set.GetText(L"NAME"), L"Renamed");

    // Another connection sees exactly the written fields.
    CBntDatabase other;
    other.Open(L"sqlite:test.db");
    CDynamicRecordset check(&other);
    check.SetTable(L"ACCESSPANE");
    check.AddFilterLong(L"PANELID", 7);
    check.OpenForwardOnly();
    EXPECT_EQ(check.GetText(L"NAME"), L"Renamed");
    EXPECT_EQ(check.GetDateTime(L"LASTCHANGED").Format(), L"2023-12-31 23:59:59");
    EXPECT_EQ(check.GetTimestamp(L"LASTCHANGED").minute, 59);
    EXPECT_DOUBLE_EQ(check.GetDouble(L"RATE"), 2.5);
    EXPECT_EQ(check.GetBytes(L"CONNKEY"), (std::vector<BYTE>{0, 1, 0xFF}));
    EXPECT_TRUE(check.GetBool(L"ONLINE"));
    EXPECT_EQ(check.GetLong(L"SEGMENTID"), 3);
    EXPECT_EQ(StateOf([&] { check.GetDateTime(L"NAME"); }), L"22007");
    EXPECT_EQ(StateOf([&] { check.GetLong(L"NAME"); }), L"22018");

    CDynamicRecordset add(&m_db);
    add.SetTable(L"ACCESSPANE");
    add.AddFilterLong(L"PANELID", -1);
    add.Open();
    add.AddNew();
    add.SetValue(L"NAME", L"Generated key");
    add.SetNull(L"SEGMENTID");
    EXPECT_TRUE(add.Update());
    add.AddNew();
    EXPECT_TRUE(add.Update());
    CRowCountSet count(&m_db);
    count.SetTable(L"ACCESSPANE");
    EXPECT_EQ(count.GetRowCount(), 14);
    EXPECT_TRUE(m_db.NameExists(L"ACCESSPANE", L"NAME", L"Generated key"));
}

TEST_F(Recordset, WritesAreRefusedWhereTheyCannotBeMade)
{
    CDynamicRecordset readOnly(&m_db);
    readOnly.SetTable(L"ACCESSPANE");
    readOnly.OpenForwardOnly();
    EXPECT_EQ(StateOf([&] { readOnly.Edit(); }), L"HY092");
    EXPECT_EQ(StateOf([&] { readOnly.AddNew(); }), L"HY092");
    EXPECT_EQ(StateOf([&] { readOnly.Delete(); }), L"HY092");

    CDynamicRecordset joined(&m_db);
    joined.SetupJoin(L"ACCESSPANE", L"PANELID", L"READER", L"PANELID");
    joined.AddColumnToSet(L"NAME", L"ACCESSPANE");
    joined.AddColumnToSet(L"NAME", L"READER", false, L"READERNAME");
    joined.AddColumnToSet(L"SEGMENTID", L"ACCESSPANE", true);
    joined.Open();
    EXPECT_EQ(StateOf([&] { joined.SetValue(L"NAME", L"x"); }), L"HY010");
    joined.Edit();
    EXPECT_EQ(StateOf([&] { joined.SetValue(L"READERNAME", L"x"); }), L"HY092");
    EXPECT_EQ(StateOf([&] { joined.SetValue(L"SEGMENTID", 1); }), L"HY092");
    EXPECT_EQ(StateOf([&] { joined.SetValue(L"NOPE", 1); }), L"42S22");
    EXPECT_EQ(StateOf([&] { joined.SetDateTime(L"NAME", COleDateTime(1, 1, 1, 0, 0, 0)); }), L"22007");
    joined.SetValue(L"NAME", L"Through join");
    EXPECT_TRUE(joined.Update());
    joined.Delete();
    EXPECT_EQ(StateOf([&] { joined.GetText(L"NAME"); }), L"24000");
    EXPECT_EQ(StateOf([&] { joined.Delete(); }), L"24000");
    CRowCountSet count(&m_db);
    count.SetTable(L"ACCESSPANE");
    EXPECT_EQ(count.GetRowCount(), 11);
}

TEST_F(Recordset, UpdateOfARowDeletedMeanwhileIsReported)
{
    CDynamicRecordset set(&m_db);
    set.SetTable(L"ACCESSPANE");
    set.AddFilterLong(L"PANELID", 8);
    set.Open();
    set.Edit();
    set.SetValue(L"NAME", L"gone");
    m_db.ExecuteSQL(L"DELETE FROM ACCESSPANE WHERE PANELID = ?", {8});
    EXPECT_EQ(StateOf([&] { set.Update(); }), L"HY000");
    CRowCountSet count(&m_db);
    count.SetTable(L"ACCESSPANE");
    EXPECT_EQ(count.GetRowCount(), 11);
}

TEST_F(Recordset, RequeryAfterChangingFiltersRunsTheNewQuery)
{
    CDynamicRecordset set(&m_db);
    set.SetTable(L"READER");
    set.AddColumnToSet(L"READERID");
    set.AddFilterLong(L"PANELID", -1);
    set.Open();
    EXPECT_TRUE(set.IsEOF());
    set.ClearFilters();
    set.AddFilterLong(L"PANELID", 2);
    set.AddOrderBy(L"READERID", L"", true);
    set.Requery();
    EXPECT_EQ(ReadLongs(set, L"READERID"), (std::vector<LONG>{2, 1}));
    set.Close();
    EXPECT_FALSE(set.IsOpen());
    EXPECT_EQ(StateOf([&] { set.Requery(); }), L"HY010");
}

TEST_F(Recordset, GetNextIdStaysAboveExistingKeys)
{
    CDynamicRecordset set(&m_db);
    set.SetTable(L"ACCESSPANE");
    EXPECT_EQ(set.GetNextID(4, L"PANELID"), 13);
    EXPECT_EQ(set.GetNextID(4, L"PANELID"), 14);
    m_db.ExecuteSQL(L"INSERT INTO ACCESSPANE (PANELID) VALUES (40)");
    EXPECT_EQ(set.GetNextID(4, L"PANELID"), 41);
    EXPECT_EQ(m_db.GetNextID(4), 42);
}

// A joined table restricted to the rows its condition admits: the condition sits in the join, so
// each joined row is tested once where the join finds it, never listed first; a row it does not
// admit reads NULL in values and filters while the row that joins it keeps its place.
TEST_F(Recordset, ARestrictedJoinServesOnlyTheRowsItsConditionAdmits)
{
    // The join names one panel by its key: the inner join may keep its rows by a second join of
    // the panel (oneRow) or by an EXISTS test of each row; both serve the same rows.
    for (const bool oneRow : {false, true})
    {
        SCOPED_TRACE(oneRow ? "by a second join" : "by EXISTS");
        CDynamicRecordset set(&m_db);
        set.SetupJoin(L"READER", L"PANELID", L"ACCESSPANE", L"PANELID");
        set.AddColumnToSet(L"PANELID", L"READER");
        set.AddColumnToSet(L"READERID", L"READER");
        set.AddColumnToSet(L"NAME", L"ACCESSPANE");
        set.SetOrderBy(L"READER.PANELID, READER.READERID");
        CDynamicRecordset served(&m_db);
        served.SetTable(L"ACCESSPANE");
        served.AddFilterLongIn(L"ACCESSPANE.SEGMENTID", {1, 3});
        EXPECT_EQ(set.GetQuery().GetJoinedColumns(L"ACCESSPANE"), std::vector<CString>{L"PANELID"});
        set.RestrictJoinedTable(L"ACCESSPANE", served.GetQuery().BuildCondition(), oneRow);
        const std::string sql = set.GetQuery().BuildSelect(false).sql;
        EXPECT_NE(
            sql.find("LEFT OUTER JOIN \"ACCESSPANE\" ON \"READER\".\"PANELID\" = \"ACCESSPANE\".\"PANELID\" AND ("),
            std::string::npos)
            << sql;
        EXPECT_EQ(sql.find("IN (SELECT"), std::string::npos) << sql;
        EXPECT_EQ(sql.find("EXISTS") == std::string::npos, oneRow) << sql;
        set.OpenForwardOnly();
        // Panels 1 and 3 stand in segments 1 and 3, panel 2 in segment 2.
        std::vector<std::pair<LONG, CString>> rows;
        for (; !set.IsEOF(); set.MoveNext())
            rows.emplace_back(set.GetLong(L"PANELID") * 10 + set.GetLong(L"READERID"),
                              set.IsFieldNull(L"NAME") ? CString(L"<null>") : set.GetText(L"NAME"));
        EXPECT_EQ(rows, (std::vector<std::pair<LONG, CString>>{{11, L"Panel 01"},
                                                               {12, L"Panel 01"},
                                                               {21, L"<null>"},
                                                               {22, L"<null>"},
                                                               {31, L"Panel 03"},
                                                               {32, L"Panel 03"}}));
        // A filter on the joined table sees the NULL of a row it may not serve.
        set.Close();
        set.AddFilterNull(L"ACCESSPANE.NAME", true);
        set.OpenForwardOnly();
        EXPECT_EQ(ReadLongs(set, L"READERID"), (std::vector<LONG>{1, 2}));

        EXPECT_EQ(StateOf([&] { set.RestrictJoinedTable(L"READER", served.GetQuery().BuildCondition(), oneRow); }),
                  L"42000");
        EXPECT_EQ(StateOf([&] { set.RestrictJoinedTable(L"ACCESSPANE", CRecordsetQuery::BoundText{}, oneRow); }),
                  L"42000");
    }
}

// A restricting join keeps the rows whose one matching row passes that row's own filters, and
// joins the restricting joins of that row after it; it reads no column and names no table.
TEST_F(Recordset, ARestrictingJoinKeepsTheRowsWhoseOneRowPasses)
{
    CDynamicRecordset panel(&m_db);
    panel.SetTable(L"ACCESSPANE OWNER");
    panel.AddFilterLongIn(L"OWNER.SEGMENTID", {1, 3});
    CDynamicRecordset readers(&m_db);
    readers.SetTable(L"READER");
    readers.AddRestrictingJoin(panel, L"OWNER.PANELID = READER.PANELID");
    readers.SetOrderBy(L"READER.READERID");
    EXPECT_EQ(readers.GetQuery().GetTableNames().size(), 1u);
    readers.OpenForwardOnly();
    // Only the reader's own four columns are read.
    EXPECT_EQ(readers.GetColumnCount(), 4);
    std::vector<LONG> found;
    for (; !readers.IsEOF(); readers.MoveNext())
        found.push_back(readers.GetLong(L"PANELID") * 10 + readers.GetLong(L"READERID"));
    EXPECT_EQ(found, (std::vector<LONG>{11, 31, 12, 32}));
    // The filters go with the join.
    readers.Close();
    readers.ClearFilters();
    EXPECT_EQ(readers.GetQuery().BuildCount().sql.find("JOIN"), std::string::npos);

    // Restrictions built on a copy of the shape are added to the original; another shape's are
    // refused.
    CDynamicRecordset shaped(&m_db);
    shaped.CopyShapeOf(readers);
    shaped.AddRestrictingJoin(panel, L"OWNER.PANELID = READER.PANELID");
    readers.AddRestrictionsOf(shaped.GetQuery());
    readers.OpenForwardOnly();
    EXPECT_EQ(ReadLongs(readers, L"READERID"), (std::vector<LONG>{1, 1, 2, 2}));
    readers.Close();
    EXPECT_EQ(StateOf([&] { readers.AddRestrictionsOf(panel.GetQuery()); }), L"42000");

    // Unique keys: a primary key (a rowid, composite), a unique index, a part of a key, a table
    // without a key, an unknown table.
    m_db.ExecuteSQL(L"CREATE UNIQUE INDEX EVENT_KEY ON EVENT (EVTYPEID, EVID)");
    EXPECT_TRUE(readers.IsUniqueKey(L"ACCESSPANE", {L"PANELID"}));
    EXPECT_TRUE(readers.IsUniqueKey(L"READER", {L"READERID", L"NAME", L"PANELID"}));
    EXPECT_TRUE(readers.IsUniqueKey(L"EVENT", {L"EVID", L"EVTYPEID"}));
    EXPECT_FALSE(readers.IsUniqueKey(L"READER", {L"PANELID"}));
    EXPECT_FALSE(readers.IsUniqueKey(L"EVENTS", {L"EVENTID"}));
    EXPECT_FALSE(readers.IsUniqueKey(L"EVENT", {L"EVID"}));
    EXPECT_FALSE(readers.IsUniqueKey(L"NO_SUCH_TABLE", {L"ID"}));
}

// A correlated EXISTS: the rows of the outer recordset whose one matching row of the inner table
// passes the inner filters.
TEST_F(Recordset, ACorrelatedExistsKeepsTheRowsWhoseOwnRowPasses)
{
    CDynamicRecordset panel(&m_db);
    panel.SetTable(L"ACCESSPANE OWNER");
    panel.AppendFilter(L"OWNER.PANELID = READER.PANELID");
    panel.AddFilterLong(L"OWNER.SEGMENTID", 3);
    const CRecordsetQuery::BoundText exists = panel.GetQuery().BuildExists();
    EXPECT_EQ(exists.sql.rfind("EXISTS (SELECT 1 FROM ", 0), 0u) << exists.sql;
    CDynamicRecordset readers(&m_db);
    readers.SetTable(L"READER");
    readers.AddColumnToSet(L"PANELID", L"READER");
    readers.AddColumnToSet(L"READERID", L"READER");
    readers.AppendFilter(CString(exists.sql.c_str()), exists.values);
    readers.SetOrderBy(L"READER.READERID");
    readers.OpenForwardOnly();
    std::vector<LONG> found;
    for (; !readers.IsEOF(); readers.MoveNext())
        found.push_back(readers.GetLong(L"PANELID") * 10 + readers.GetLong(L"READERID"));
    EXPECT_EQ(found, (std::vector<LONG>{31, 32}));
    // The inner filters alone, as a condition, carry their values in marker order.
    const CRecordsetQuery::BoundText condition = panel.GetQuery().BuildCondition();
    EXPECT_EQ(condition.values.size(), 1u);
    EXPECT_NE(condition.sql.find("OWNER.PANELID = READER.PANELID"), std::string::npos) << condition.sql;
}

// A filter's bytes are bound where they stand, so the recordset keeps its select's values for as
// long as its statement reads: rows fetched after the first batch (and after the heap has reused
// whatever a shorter-lived copy held) still compare with the filter's own bytes.
TEST_F(Recordset, AByteFilterSelectsItsRowsPastTheFirstBatch)
{
    constexpr std::size_t kKeyBytes = 37;
    const std::vector<BYTE> wanted(kKeyBytes, 0x5A);
    const std::vector<BYTE> other(kKeyBytes, 0xA5);
    std::vector<LONG> expected;
    for (LONG panel = 100; panel < 100 + 3 * static_cast<LONG>(CBntStatement::kBatchRows); ++panel)
    {
        const bool match = panel % 2 == 1;
        m_db.ExecuteSQL(L"INSERT INTO ACCESSPANE (PANELID, CONNKEY) VALUES (?, ?)",
                        {panel, CDBValue::FromBytes(match ? wanted : other)});
        if (match)
            expected.push_back(panel);
    }
    ASSERT_GT(expected.size(), CBntStatement::kBatchRows);

    CDynamicRecordset set(&m_db);
    set.SetTable(L"ACCESSPANE");
    set.AddColumnToSet(L"PANELID");
    set.AddColumnToSet(L"CONNKEY");
    set.AppendFilter(L"CONNKEY = ?", {CDBValue::FromBytes(wanted)});
    set.SetOrderBy(L"PANELID");
    set.OpenForwardOnly();
    // Blocks of the filter value's size, holding the other rows' bytes, as later work of the
    // request would allocate them.
    const std::vector<std::vector<BYTE>> later(16, other);
    std::vector<LONG> selected;
    for (; !set.IsEOF(); set.MoveNext())
    {
        EXPECT_TRUE(set.GetBytes(L"CONNKEY") == wanted) << "panel " << set.GetLong(L"PANELID");
        selected.push_back(set.GetLong(L"PANELID"));
    }
    EXPECT_EQ(selected, expected);
    EXPECT_EQ(later.front(), other);
}
