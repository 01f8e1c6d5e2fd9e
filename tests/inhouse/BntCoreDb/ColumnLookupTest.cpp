#include <gtest/gtest.h>

#include <utility>

#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "tests/inhouse/BntCoreDb/ExceptionState.h"
#include "tests/inhouse/BntCoreDb/TestHome.h"

namespace {

using ColumnLookup = TestHome;

}  // namespace

// A recordset keeps the names it resolved; each change of its columns (an alias, a column removed
// or added) must send the next read of a name already found to where the name stands now.
TEST_F(ColumnLookup, ANameFoundBeforeFollowsEveryChangeOfTheColumnSet)
{
    CDynamicRecordset set(&m_db);
    set.SetupJoin(L"PANELTYPE", L"PANELTYPEID", L"ACCESSPANE", L"PANELTYPE");
    const std::pair<const wchar_t*, const wchar_t*> columns[] = {
        {L"NAME", L"PANELTYPE"}, {L"NAME", L"ACCESSPANE"}, {L"PANELID", L"ACCESSPANE"}};
    for (const auto& [column, table] : columns)
        set.AddColumnToSet(column, table);
    set.AddFilterLong(L"ACCESSPANE.PANELID", 3);
    set.OpenForwardOnly();
    // A bare name is the first column of that name without an alias.
    EXPECT_EQ(set.GetText(L"NAME"), L"Intrusion");
    EXPECT_EQ(set.GetText(L"ACCESSPANE.NAME"), L"Panel 03");
    EXPECT_EQ(set.GetLong(L"PANELID"), 3);
    EXPECT_EQ(StateOf([&] { set.GetText(L"KIND"); }), L"42S22");

    // An alias hides the panel type's name: the bare name is now the panel's.
    set.AddAliasToColumn(L"NAME", L"PANELTYPE", L"KIND");
    set.OpenForwardOnly();
    EXPECT_EQ(set.GetText(L"NAME"), L"Panel 03");
    EXPECT_EQ(set.GetText(L"KIND"), L"Intrusion");

    // Removing the first column moves every later one up.
    set.RemoveColumnFromSet(L"NAME", L"PANELTYPE");
    set.OpenForwardOnly();
    EXPECT_EQ(set.GetLong(L"PANELID"), 3);
    EXPECT_EQ(set.GetText(L"NAME"), L"Panel 03");
    EXPECT_EQ(StateOf([&] { set.GetText(L"KIND"); }), L"42S22");

    // A column added under a name refused before is found from then on.
    set.AddColumnToSet(L"SEGMENTID", L"ACCESSPANE", false, L"KIND");
    set.OpenForwardOnly();
    EXPECT_EQ(set.GetLong(L"KIND"), 3);
    EXPECT_EQ(set.GetText(L"ACCESSPANE.NAME"), L"Panel 03");
}
