// What a query may name: only the class's properties (never a bare column), ISA on the class,
// and LIKE sets as WQL reads them.
#include "tests/e2e/DoorTest.h"

#include <algorithm>

using namespace e2e;

namespace {
class DoorQueryNames : public DoorTest
{
};

std::vector<std::string> DisplayNames(const Reply& reply)
{
    std::vector<std::string> names;
    for (const ComPtr<IWbemClassObject>& instance : reply.objects)
        names.push_back(support::PropertyText(instance.Get(), L"DisplayName"));
    std::sort(names.begin(), names.end());
    return names;
}
}  // namespace

TEST_F(DoorQueryNames, OnlyPropertiesOfTheClassMayBeNamed)
{
    CallAs(Callers::kViewer);
    const wchar_t* const refused[] = {
        // A column behind a property, and a column no property exposes.
        L"SELECT * FROM Bnt_WorldTimezone WHERE WORLDTZID > 0",
        L"SELECT * FROM Bnt_WorldTimezone WHERE LOGONPWD LIKE '%'",
        // Select lists naming what the class does not have.
        L"SELECT LOGONPWD FROM Bnt_WorldTimezone",
        L"SELECT DisplayName, WORLDTZID FROM Bnt_WorldTimezone",
    };
    for (const wchar_t* wql : refused)
        for (const Form form : kBothForms)
        {
            SCOPED_TRACE(Utf8(wql) + " " + NameOf(form));
            const Reply reply = Query(form, wql);
            EXPECT_EQ(reply.result, WBEM_E_INVALID_QUERY) << Hex(reply.result);
            EXPECT_TRUE(reply.objects.empty());
            EXPECT_NE(Description(reply.statusObject).find("not a property of class Bnt_WorldTimezone"),
                      std::string::npos)
                << Description(reply.statusObject);
        }
    const Reply named = Query(Form::Sync, L"SELECT DisplayName FROM Bnt_WorldTimezone");
    EXPECT_EQ(named.result, WBEM_S_NO_ERROR) << Description(named.statusObject);
    EXPECT_EQ(named.objects.size(), 4u);
}

TEST_F(DoorQueryNames, IsaOnTheClassAnswersItsRows)
{
    CallAs(Callers::kViewer);
    const struct
    {
        const wchar_t* wql;
        std::size_t rows;
    } cases[] = {
        {L"SELECT * FROM Bnt_WorldTimezone WHERE __CLASS ISA 'Bnt_WorldTimezone'", 4},
        {L"SELECT * FROM Bnt_WorldTimezone WHERE __CLASS ISA 'bnt_worldtimezone'", 4},
        {L"SELECT * FROM Bnt_WorldTimezone WHERE __CLASS ISA 'Bnt_Holiday'", 0},
        {L"SELECT * FROM Bnt_WorldTimezone WHERE NOT __CLASS ISA 'Bnt_Holiday'", 4},
        {L"SELECT * FROM Bnt_WorldTimezone WHERE __CLASS ISA 'Bnt_WorldTimezone' AND DisplayName LIKE '%Tokyo'", 1},
    };
    for (const auto& one : cases)
        for (const Form form : kBothForms)
        {
            SCOPED_TRACE(Utf8(one.wql) + " " + NameOf(form));
            const Reply reply = Query(form, one.wql);
            EXPECT_EQ(reply.result, WBEM_S_NO_ERROR) << Description(reply.statusObject);
            EXPECT_EQ(reply.objects.size(), one.rows);
        }
}

TEST_F(DoorQueryNames, LikeSetsMatchAsWqlDefinesThem)
{
    CallAs(Callers::kViewer);
    const struct
    {
        const wchar_t* pattern;
        std::vector<std::string> names;
    } cases[] = {
        {L"[(]UTC[+]%",
         {"(UTC+01:00) Amsterdam, Berlin, Rome, Stockholm, Vienna", "(UTC+09:00) Osaka, Sapporo, Tokyo"}},
        {L"%[^a-z]", {"(UTC-05:00) Eastern Time (US & Canada)"}},
        {L"%[^)a-z]", {}},
        {L"(UTC[-]0_:00)%", {"(UTC-05:00) Eastern Time (US & Canada)"}},
        {L"[a-c]%", {}},
        {L"%[0-9]", {}},
        {L"(UTC) [C]oordinated%", {"(UTC) Coordinated Universal Time"}},
        {L"[(%", {}},
    };
    for (const auto& one : cases)
    {
        SCOPED_TRACE(Utf8(one.pattern));
        const Reply reply = Query(
            Form::Sync, std::wstring(L"SELECT * FROM Bnt_WorldTimezone WHERE DisplayName LIKE '") + one.pattern + L"'");
        EXPECT_EQ(reply.result, WBEM_S_NO_ERROR) << Description(reply.statusObject);
        EXPECT_EQ(DisplayNames(reply), one.names);
    }
}
