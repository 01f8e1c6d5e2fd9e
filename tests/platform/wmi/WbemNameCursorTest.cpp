#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemNameCursor.h"
#include "tests/platform/wmi/WbemTestSupport.h"

#include <gtest/gtest.h>

#include <new>
#include <set>
#include <string>
#include <vector>

namespace {
// Walks the cursor to its end, collecting the names Next hands out.
std::vector<std::wstring> Walk(WbemNameCursor& cursor, const WbemNameCursor::Fetch& fetch)
{
    std::vector<std::wstring> names;
    BSTR name = nullptr;
    while (cursor.Next(&name, fetch) == WBEM_S_NO_ERROR)
    {
        names.emplace_back(name, SysStringLen(name));
        SysFreeString(name);
    }
    return names;
}

bool Always(const std::wstring&)
{
    return true;
}
}  // namespace

TEST(WbemNameCursor, NextOutsideAWalkIsUnexpected)
{
    WbemNameCursor cursor;
    BSTR name = nullptr;
    EXPECT_EQ(cursor.Next(&name, Always), WBEM_E_UNEXPECTED);
    cursor.Begin({L"A"});
    cursor.End();
    EXPECT_EQ(cursor.Next(&name, Always), WBEM_E_UNEXPECTED);
    EXPECT_EQ(name, nullptr);
}

TEST(WbemNameCursor, PassesOverNamesWhoseValueHasGone)
{
    WbemNameCursor cursor;
    const std::set<std::wstring> gone = {L"B", L"D"};
    cursor.Begin({L"A", L"B", L"C", L"D"});
    EXPECT_EQ(Walk(cursor, [&](const std::wstring& name) { return gone.count(name) == 0; }),
              (std::vector<std::wstring>{L"A", L"C"}));
    EXPECT_EQ(cursor.Next(nullptr, Always), WBEM_S_NO_MORE_DATA);
}

TEST(WbemNameCursor, BeginStartsAgainWithTheNewNames)
{
    WbemNameCursor cursor;
    cursor.Begin({L"A", L"B"});
    EXPECT_EQ(cursor.Next(nullptr, Always), WBEM_S_NO_ERROR);
    cursor.Begin({L"X", L"Y"});
    EXPECT_EQ(Walk(cursor, Always), (std::vector<std::wstring>{L"X", L"Y"}));
}

TEST(WbemNameCursor, AFetchThatRunsOutOfMemoryFailsThatNameOnly)
{
    WbemNameCursor cursor;
    cursor.Begin({L"A", L"B"});
    BSTR name = nullptr;
    EXPECT_EQ(cursor.Next(&name, [](const std::wstring&) -> bool { throw std::bad_alloc(); }), WBEM_E_OUT_OF_MEMORY);
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(Walk(cursor, Always), (std::vector<std::wstring>{L"B"}));
}

TEST(WbemNameCursor, NamesToArrayKeepsOrderAndEmptyListsGiveEmptyArrays)
{
    for (const std::vector<std::wstring>& names :
         {std::vector<std::wstring>{}, std::vector<std::wstring>{L"Key", L"Values", L"ValueMap"}})
    {
        SAFEARRAY* array = nullptr;
        ASSERT_EQ(WbemNameCursor::NamesToArray(names, &array), WBEM_S_NO_ERROR);
        ASSERT_NE(array, nullptr);
        VARTYPE type = VT_EMPTY;
        EXPECT_EQ(SafeArrayGetVartype(array, &type), S_OK);
        EXPECT_EQ(type, VT_BSTR);
        EXPECT_EQ(wmitest::Strings(array), names);
    }
}
