// Enumerations and WQL queries through the WMI door, compared with plain SQL on the demo rows:
// every row of each served class, the caller's segments, WHERE clauses with AND, OR, NOT and
// LIKE, quoted values that try to break out of their string, and the queries the door refuses.
#include <map>

#include "tests/e2e/DoorTest.h"
#include "tests/e2e/ServedClass.h"

#include "framework/CWmipMessages.h"

#include <algorithm>

using namespace e2e;

namespace {
// The rows of the served class that SQL selects with the condition (every row when empty).
Table SqlRows(const ServedClass& served, const std::string& condition = std::string(),
              const std::vector<std::string>& parameters = {})
{
    Table rows = DoorInstallation::Rows("SELECT " + served.columns + " FROM " + served.table +
                                            (condition.empty() ? "" : " WHERE " + condition),
                                        parameters);
    std::sort(rows.begin(), rows.end());
    return rows;
}

class DoorEnumeration : public DoorTest
{
};

// A WQL condition on a served class and the SQL condition that selects the same rows.
struct WhereCase
{
    const wchar_t* className;
    const wchar_t* where;
    std::string condition;
};

class DoorQuery : public DoorTest
{
protected:
    // Each query answers, in both forms, the rows SQL selects (at least one when required).
    void ExpectTheRowsSqlSelects(const std::vector<WhereCase>& cases, bool someRows)
    {
        for (const WhereCase& c : cases)
        {
            const ServedClass& served = ServedClass::Named(c.className);
            const std::wstring wql = std::wstring(L"SELECT * FROM ") + c.className + L" WHERE " + c.where;
            const Table expected = SqlRows(served, c.condition);
            if (someRows)
            {
                ASSERT_FALSE(expected.empty()) << Utf8(wql);
            }
            for (const Form form : kBothForms)
            {
                SCOPED_TRACE(Utf8(wql) + " " + NameOf(form));
                const Reply reply = Query(form, wql);
                EXPECT_EQ(reply.result, WBEM_S_NO_ERROR) << Hex(reply.result) << " " << Description(reply.statusObject);
                EXPECT_EQ(Values(reply.objects, served.properties), expected);
            }
        }
    }
};
}  // namespace

TEST_F(DoorEnumeration, EveryRowOfTheTableForAnAllSegmentsCaller)
{
    for (const wchar_t* caller : {Callers::kViewer, Callers::kAdministrator})
    {
        CallAs(caller);
        for (const ServedClass& served : ServedClass::All())
        {
            const Table expected = SqlRows(served);
            ASSERT_FALSE(expected.empty()) << served.table;
            for (const Form form : kBothForms)
            {
                SCOPED_TRACE(Utf8(served.name) + " " + NameOf(form) + " " + Utf8(caller));
                const Reply reply = Enum(form, served.name);
                EXPECT_EQ(reply.result, WBEM_S_NO_ERROR) << Hex(reply.result) << " " << Description(reply.statusObject);
                EXPECT_EQ(Values(reply.objects, served.properties), expected);
                for (const ComPtr<IWbemClassObject>& instance : reply.objects)
                    EXPECT_EQ(support::PropertyText(instance.Get(), L"__CLASS"), Utf8(served.name));
                // SELECT * reads the same rows.
                const Reply all = Query(form, std::wstring(L"SELECT * FROM ") + served.name);
                EXPECT_EQ(all.result, WBEM_S_NO_ERROR) << Hex(all.result);
                EXPECT_EQ(Values(all.objects, served.properties), expected);
            }
        }
    }
}

TEST_F(DoorEnumeration, SegmentedClassesShowOnlyTheCallersSegments)
{
    // The clerk works in segments 1 and 2; rows of "all segments" (-1) are not among them. A link
    // or an interval is seen with the records it belongs to.
    const std::map<std::wstring, std::string> owned = {
        {L"Bnt_HolidayTypeLink", "HOLIDAYID IN (SELECT HOLIDAYID FROM HOLIDAYS WHERE SEGMENTID IN (1, 2)) AND "
                                 "HTYPE_ID IN (SELECT ID FROM HOLIDAY_TYPE WHERE SEGMENTID IN (1, 2))"},
        {L"Bnt_TimezoneInterval", "TZID IN (SELECT TZID FROM TIMEZONE WHERE SEGMENTID IN (1, 2))"}};
    CallAs(Callers::kClerk);
    for (const ServedClass& served : ServedClass::All())
    {
        if (served.viewPermission != kViewCalendarPermission && served.viewPermission != 0)
            continue;
        const auto owner = owned.find(served.name);
        const Table expected = SqlRows(served, served.segmented       ? "SEGMENTID IN (1, 2)"
                                               : owner != owned.end() ? owner->second
                                                                      : "");
        if (owner != owned.end())
        {
            ASSERT_LT(expected.size(), SqlRows(served).size()) << served.table;
        }
        ASSERT_FALSE(expected.empty()) << served.table;
        if (served.segmented)
        {
            ASSERT_LT(expected.size(), SqlRows(served).size()) << served.table;
        }
        for (const Form form : kBothForms)
        {
            SCOPED_TRACE(Utf8(served.name) + " " + NameOf(form));
            const Reply reply = Enum(form, served.name);
            EXPECT_EQ(reply.result, WBEM_S_NO_ERROR) << Hex(reply.result);
            EXPECT_EQ(Values(reply.objects, served.properties), expected);
            const Reply query = Query(form, std::wstring(L"SELECT * FROM ") + served.name + L" WHERE SegmentID <> 2");
            if (served.segmented)
            {
                EXPECT_EQ(query.result, WBEM_S_NO_ERROR) << Hex(query.result);
                EXPECT_EQ(Values(query.objects, served.properties), SqlRows(served, "SEGMENTID = 1"));
            }
        }
    }
    // A row of another segment cannot be fetched by its path either.
    EXPECT_EQ(Get(Form::Sync, L"Bnt_Holiday.ID=1").result, WBEM_E_NOT_FOUND);
    EXPECT_EQ(Get(Form::Sync, L"Bnt_Holiday.ID=5").result, WBEM_S_NO_ERROR);
}

TEST_F(DoorEnumeration, SendStatusReportsProgressAfterEachInstance)
{
    CallAs(Callers::kViewer);
    const Reply enumeration = Enum(Form::Async, L"Bnt_EventSubtypeDefinition", WBEM_FLAG_SEND_STATUS);
    EXPECT_EQ(enumeration.result, WBEM_S_NO_ERROR);
    EXPECT_EQ(enumeration.objects.size(), 11u);
    EXPECT_EQ(enumeration.progress, 11);
    const Reply query = Query(Form::Async, L"SELECT * FROM Bnt_EventType WHERE ID > 2", WBEM_FLAG_SEND_STATUS);
    EXPECT_EQ(query.result, WBEM_S_NO_ERROR);
    EXPECT_EQ(query.objects.size(), 3u);
    EXPECT_EQ(query.progress, 3);
    // Without the flag there is no progress.
    EXPECT_EQ(Enum(Form::Async, L"Bnt_EventType").progress, 0);
}

TEST_F(DoorQuery, WhereClausesSelectTheRowsSqlSelects)
{
    CallAs(Callers::kViewer);
    const std::vector<WhereCase> cases = {
        {L"Bnt_EventSubtypeDefinition", L"TypeID = 4 AND Category = 2", "EVTYPEID = 4 AND CATEGORY = 2"},
        {L"Bnt_EventSubtypeDefinition", L"TypeID = 7 OR SubtypeID = 6", "EVTYPEID = 7 OR EVID = 6"},
        {L"Bnt_EventSubtypeDefinition", L"NOT TypeID = 0 AND NOT (Category = 3)",
         "NOT EVTYPEID = 0 AND NOT (CATEGORY = 3)"},
        {L"Bnt_EventSubtypeDefinition", L"NOT (TypeID = 4 OR TypeID = 7)", "NOT (EVTYPEID = 4 OR EVTYPEID = 7)"},
        {L"Bnt_EventSubtypeDefinition", L"TypeID = 4 OR TypeID = 7 AND Category = 3",
         "EVTYPEID = 4 OR (EVTYPEID = 7 AND CATEGORY = 3)"},
        {L"Bnt_EventSubtypeDefinition", L"(TypeID = 1 OR TypeID = 2) AND SupportParameters = 0",
         "(EVTYPEID = 1 OR EVTYPEID = 2) AND SUPPORT_PARAMS = 0"},
        {L"Bnt_EventSubtypeDefinition", L"ID >= 3 AND ID < 8 AND ID <> 5",
         "EVENTID >= 3 AND EVENTID < 8 AND EVENTID <> 5"},
        {L"Bnt_EventSubtypeDefinition", L"Description LIKE 'Access%'", "EVDESCR LIKE 'Access%'"},
        {L"Bnt_EventSubtypeDefinition", L"Description LIKE '%door%'", "EVDESCR LIKE '%door%'"},
        {L"Bnt_EventSubtypeDefinition", L"Description LIKE '_ire %'", "EVDESCR LIKE '_ire %'"},
        {L"Bnt_EventSubtypeDefinition", L"NOT Description LIKE '%Access%' AND Category < 4",
         "NOT EVDESCR LIKE '%Access%' AND CATEGORY < 4"},
        {L"Bnt_EventSubtypeDefinition", L"Description = 'Fire Alarm' OR Description = 'Door Held Open'",
         "EVDESCR = 'Fire Alarm' OR EVDESCR = 'Door Held Open'"},
        {L"Bnt_EventType", L"Description <> 'System' AND ID <= 7", "EVTDESCR <> 'System' AND EVTYPEID <= 7"},
        {L"Bnt_EventType", L"ID = 99", "EVTYPEID = 99"},
        {L"Bnt_EventParameter", L"Value >= 10 OR Description LIKE '%detector'",
         "PARAMVALUE >= 10 OR DESCRIPTION LIKE '%detector'"},
        {L"Bnt_EventAlarmDefinitionLink", L"AlarmDefinitionID = 4", "ALID = 4"},
        {L"Bnt_EventAlarmDefinitionLink", L"PanelID = 1 AND NOT EventTypeID = 2", "PANELID = 1 AND NOT EVTYPEID = 2"},
        {L"Bnt_Holiday", L"Name LIKE \"%'%\"", "DESCRIPT LIKE '%''%'"},
        {L"Bnt_Holiday", L"SegmentID = -1 AND NOT ExtentDays = 1", "SEGMENTID = -1 AND NOT EXTEND = 1"},
        {L"Bnt_HolidayTypeLink", L"HolidayTypeID = 1 OR HolidayID = 4", "HTYPE_ID = 1 OR HOLIDAYID = 4"},
        {L"Bnt_Timezone", L"Name LIKE '%shift' OR ID < 2", "DESCRIPT LIKE '%shift' OR TZID < 2"},
        {L"Bnt_TimezoneInterval", L"Saturday = TRUE AND NOT Sunday = FALSE", "SATURDAY = 1 AND NOT SUNDAY = 0"},
        {L"Bnt_TimezoneInterval", L"Monday = FALSE OR HolidayType1 = TRUE", "MONDAY = 0 OR TYPE1 = 1"},
        {L"Bnt_WorldTimezone", L"IsDaylightSaving = TRUE AND GMTOffset > 0", "DST = 1 AND GMTOFFSET > 0"},
        {L"Bnt_WorldTimezone", L"Windows_TZID = 'UTC' OR Bias < -100", "WINDOWS_TZID = 'UTC' OR BIAS < -100"},
        {L"Bnt_WorldTimezone", L"DisplayName LIKE '(UTC+%' AND NOT IsDaylightSaving = TRUE",
         "DisplayName LIKE '(UTC+%' AND NOT DST = 1"},
    };
    ExpectTheRowsSqlSelects(cases, false);
}

TEST_F(DoorQuery, QuotedValuesAreComparedAsValuesNeverAsSql)
{
    CallAs(Callers::kViewer);
    const ServedClass& types = ServedClass::Named(L"Bnt_EventType");
    // The WQL literal as a client writes it, and the value it stands for.
    const struct
    {
        const wchar_t* literal;
        std::string value;
    } cases[] = {
        {L"'Fire'", "Fire"},
        {L"\"x' OR '1'='1\"", "x' OR '1'='1"},
        {L"'x\\' OR \\'1\\'=\\'1'", "x' OR '1'='1"},
        {L"'Fire\\' --'", "Fire' --"},
        {L"\"'; DROP TABLE EVENTYPE; --\"", "'; DROP TABLE EVENTYPE; --"},
        {L"'Fire\" OR \"\"=\"'", "Fire\" OR \"\"=\""},
        {L"'%'", "%"},
        {L"'Fire\\\\'", "Fire\\"},
        {L"'Fire) OR (1=1'", "Fire) OR (1=1"},
        {L"'Vid\u00e9o \u2603'", "Vid\xc3\xa9o \xe2\x98\x83"},
        {L"''", ""},
    };
    const std::vector<Table> before = DoorInstallation::WholeDatabase();
    for (const auto& c : cases)
    {
        for (const wchar_t* op : {L" = ", L" LIKE ", L" <> "})
        {
            const std::wstring wql = std::wstring(L"SELECT * FROM Bnt_EventType WHERE Description") + op + c.literal;
            const std::string sqlOperator = Utf8(op);
            const Table expected = SqlRows(types, "EVTDESCR" + sqlOperator + "?", {c.value});
            for (const Form form : kBothForms)
            {
                SCOPED_TRACE(Utf8(wql) + " " + NameOf(form));
                const Reply reply = Query(form, wql);
                EXPECT_EQ(reply.result, WBEM_S_NO_ERROR) << Hex(reply.result) << " " << Description(reply.statusObject);
                EXPECT_EQ(Values(reply.objects, types.properties), expected);
            }
        }
    }
    EXPECT_EQ(DoorInstallation::WholeDatabase(), before);
}

TEST_F(DoorQuery, HostileTextInKeysOfPathsIsAValue)
{
    CallAs(Callers::kViewer);
    const std::vector<Table> before = DoorInstallation::WholeDatabase();
    const wchar_t* const paths[] = {
        L"Bnt_Timezone.ID=3,SegmentID=2,Name=\"x' OR '1'='1\"",
        L"Bnt_Timezone.ID=3,SegmentID=2,Name=\"Warehouse night shift' --\"",
        L"Bnt_Timezone.ID=3,SegmentID=2,Name=\"'; DROP TABLE TIMEZONE; --\"",
        L"Bnt_Timezone.ID=3,SegmentID=2,Name=\"%\"",
    };
    for (const wchar_t* path : paths)
        for (const Form form : kBothForms)
        {
            SCOPED_TRACE(Utf8(path) + " " + NameOf(form));
            const Reply reply = Get(form, path);
            EXPECT_EQ(reply.result, WBEM_E_NOT_FOUND) << Hex(reply.result);
            EXPECT_TRUE(reply.objects.empty());
        }
    EXPECT_EQ(DoorInstallation::WholeDatabase(), before);
}

TEST_F(DoorQuery, RefusedQueriesAnswerTheirStatus)
{
    CallAs(Callers::kViewer);
    const std::wstring notRead = L"The query cannot be read: ";
    const std::wstring notWql = CWmipMessages::kInvalidQuery;
    const std::wstring notTranslated = L"The WHERE clause could not be translated: property ";
    const struct
    {
        std::wstring wql;
        HRESULT expected;
        // What the refusal's description ends with; empty where the service refuses without one.
        std::wstring reason;
    } cases[] = {
        // Properties the class does not register, and columns of other tables.
        {L"SELECT * FROM Bnt_EventType WHERE Nothing = 1", WBEM_E_INVALID_QUERY,
         notTranslated + L"Nothing is not a property of class Bnt_EventType"},
        {L"SELECT * FROM Bnt_EventType WHERE LOGONPWD = 'x'", WBEM_E_INVALID_QUERY,
         notTranslated + L"LOGONPWD is not a property of class Bnt_EventType"},
        {L"SELECT * FROM Bnt_WorldTimezone WHERE USERS.LOGONPWD = 'x'", WBEM_E_INVALID_QUERY,
         notTranslated + L"USERS.LOGONPWD is not a property of class Bnt_WorldTimezone"},
        // WQL the provider's parser cannot read, and associations: beyond the provider.
        {L"SELECT * FROM Bnt_EventType WHERE Description NOT LIKE 'a%'", WBEM_E_PROVIDER_NOT_CAPABLE,
         notWql + L"comparison operator expected at offset 46"},
        {L"SELECT * FROM Bnt_EventType WHERE Description = 'a\\qb'", WBEM_E_PROVIDER_NOT_CAPABLE,
         notWql + L"invalid escape in string literal at offset 50"},
        {L"ASSOCIATORS OF {Bnt_EventType.ID=7}", WBEM_E_PROVIDER_NOT_CAPABLE, CWmipMessages::kSelectOnly},
        {L"REFERENCES OF {Bnt_EventType.ID=7}", WBEM_E_PROVIDER_NOT_CAPABLE, CWmipMessages::kSelectOnly},
        // Text that is no WQL: the service refuses it before the provider sees it.
        {L"SELECT * FROM Bnt_EventType WHERE", WBEM_E_INVALID_QUERY, notRead + L"unexpected end of text at offset 33."},
        {L"SELECT * FROM Bnt_EventType WHERE ID = 1 garbage", WBEM_E_INVALID_QUERY,
         notRead + L"AND, OR or end of query expected at offset 41."},
        {L"SELECT * FROM Bnt_EventType WHERE ID = 1; DROP TABLE EVENTYPE", WBEM_E_INVALID_QUERY,
         notRead + L"AND, OR or end of query expected at offset 40."},
        {L"SELECT * FROM Bnt_EventType WHERE (ID = 1", WBEM_E_INVALID_QUERY,
         notRead + L"unexpected end of text at offset 41."},
        {L"SELECT * FROM Bnt_EventType WHERE ID = 1 -- x", WBEM_E_INVALID_QUERY,
         notRead + L"AND, OR or end of query expected at offset 41."},
        {L"SELECT * FROM Bnt_EventType WHERE Description = Open", WBEM_E_INVALID_QUERY,
         notRead + L"literal expected at offset 48: a text is written in quotes, as 'Open'."},
        {L"SELECT * FROM Bnt_EventType WHERE Description = 'open", WBEM_E_INVALID_QUERY,
         notRead + L"unterminated string at offset 48."},
        {L"SELECT Bnt_EventType", WBEM_E_INVALID_QUERY, notRead + L"unexpected end of text at offset 20."},
        {L"SELECT * FORM Bnt_EventType", WBEM_E_INVALID_QUERY, notRead + L"FROM or , expected at offset 9."},
        {L"SELECT COUNT(*) FROM Bnt_EventType", WBEM_E_INVALID_QUERY, notRead + L"FROM or , expected at offset 12."},
        {L"DELETE FROM Bnt_EventType", WBEM_E_INVALID_QUERY,
         notRead + L"SELECT, ASSOCIATORS or REFERENCES expected at offset 0."},
        {L"", WBEM_E_INVALID_QUERY, notRead + L"unexpected end of text at offset 0."},
        {L"SELECT * FROM Bnt_EventType " + std::wstring(40000, L' ') + L"WHERE ID = 1", WBEM_E_INVALID_QUERY,
         notRead + L"the query is longer than 32768 characters."},
        // Classes: unknown to the service, declared with a mapper only its factory reaches.
        {L"SELECT * FROM Bnt_Nothing", WBEM_E_INVALID_CLASS, L""},
        {L"SELECT * FROM Bnt_EventSubtypeParameterLink", WBEM_E_NOT_FOUND,
         L"This provider does not serve the class: its mapper is built only through its registered factory, as "
         L"the bus front end builds it."},
    };
    for (const auto& c : cases)
        for (const Form form : kBothForms)
        {
            SCOPED_TRACE(Utf8(c.wql.substr(0, 80)) + " " + NameOf(form));
            const Reply reply = Query(form, c.wql);
            if (c.reason.empty())
            {
                EXPECT_EQ(reply.result, c.expected) << Hex(reply.result);
                EXPECT_FALSE(reply.statusObject) << Description(reply.statusObject);
            }
            else
            {
                EXPECT_TRUE(Refused(reply, c.expected, c.reason));
            }
            EXPECT_TRUE(reply.objects.empty());
        }
    // Only WQL is understood.
    EXPECT_EQ(Query(Form::Sync, L"SELECT * FROM Bnt_EventType", 0, L"SQL").result, WBEM_E_INVALID_QUERY_TYPE);
    EXPECT_EQ(Query(Form::Async, L"SELECT * FROM Bnt_EventType", 0, L"SQL").result, WBEM_E_INVALID_QUERY_TYPE);
    EXPECT_EQ(DoorInstallation::Rows("SELECT COUNT(*) FROM EVENTYPE"), (Table{{"6"}}));
}

TEST_F(DoorQuery, RefusalOfAnUnregisteredPropertyNamesIt)
{
    CallAs(Callers::kViewer);
    for (const Form form : kBothForms)
    {
        SCOPED_TRACE(NameOf(form));
        const Reply reply = Query(form, L"SELECT * FROM Bnt_WorldTimezone WHERE Nope = 1");
        EXPECT_TRUE(
            Refused(reply, WBEM_E_INVALID_QUERY, L"property Nope is not a property of class Bnt_WorldTimezone"));
    }
}

TEST_F(DoorQuery, StringsCompareWithoutRegardToCaseAsTheServerDatabaseDoes)
{
    CallAs(Callers::kViewer);
    const std::vector<WhereCase> cases = {
        {L"Bnt_EventType", L"Description = 'fire'", "EVTDESCR = 'fire' COLLATE NOCASE"},
        {L"Bnt_EventType", L"Description = \"ACCESS DENIED\" OR ID = 11",
         "EVTDESCR = 'ACCESS DENIED' COLLATE NOCASE OR EVTYPEID = 11"},
        {L"Bnt_EventType", L"Description <> 'SYSTEM' AND ID <= 7",
         "EVTDESCR <> 'SYSTEM' COLLATE NOCASE AND EVTYPEID <= 7"},
        // Binary order would put every capitalised text before "duress".
        {L"Bnt_EventType", L"Description < 'duress'", "EVTDESCR < 'duress' COLLATE NOCASE"},
        {L"Bnt_EventType", L"Description >= 'VIDEO' OR Description <= 'access granted'",
         "EVTDESCR >= 'VIDEO' COLLATE NOCASE OR EVTDESCR <= 'access granted' COLLATE NOCASE"},
        {L"Bnt_EventType", L"NOT Description > 'fIRE'", "NOT EVTDESCR > 'fIRE' COLLATE NOCASE"},
        {L"Bnt_Holiday", L"Name = 'christmas'", "DESCRIPT = 'christmas' COLLATE NOCASE"},
        {L"Bnt_Timezone", L"Name = 'ALWAYS'", "DESCRIPT = 'ALWAYS' COLLATE NOCASE"},
    };
    ExpectTheRowsSqlSelects(cases, true);
}

TEST_F(DoorQuery, QueryCutByANulIsRefusedRatherThanReadWithoutItsWhereClause)
{
    CallAs(Callers::kViewer);
    using namespace std::string_literals;
    for (const Form form : kBothForms)
    {
        SCOPED_TRACE(NameOf(form));
        const Reply cut = Query(form, L"SELECT * FROM Bnt_EventType\0 WHERE ID = 2"s);
        EXPECT_TRUE(Refused(cut, WBEM_E_PROVIDER_NOT_CAPABLE, CWmipMessages::kSelectOnly));
        EXPECT_TRUE(cut.objects.empty());
        const Reply language = Query(form, L"SELECT * FROM Bnt_EventType WHERE ID = 2", 0, L"WQL\0SQL"s);
        EXPECT_TRUE(Refused(language, WBEM_E_PROVIDER_NOT_CAPABLE, CWmipMessages::kSelectOnly));
        EXPECT_TRUE(language.objects.empty());
        // The same query whole selects its one row.
        EXPECT_EQ(Query(form, L"SELECT * FROM Bnt_EventType WHERE ID = 2").objects.size(), 1u);
    }
}
