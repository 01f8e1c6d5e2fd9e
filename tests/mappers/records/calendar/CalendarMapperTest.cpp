// The six calendar mappers (holidays, holiday types and their links, access time zones with
// their intervals, world time zones) on the demo installation: how each is built and found,
// with which rights, what it reads, keyed reads and filters, the callers' segments, and the world
// time zones that need no right. The rules every class keeps (undeclared names, view refusal,
// refused writes, key and noedit marks) are checked once in tests/framework/rules.
#include "tests/support/DemoMapperTest.h"

#include <algorithm>

#include "framework/CWmipMapper.h"
#include "framework/WMIHelper.h"
#include "mappers/records/CWmipHolidayMapper.h"
#include "mappers/records/CWmipHolidayTypeLinkMapper.h"
#include "mappers/records/CWmipHolidayTypeMapper.h"
#include "mappers/records/CWmipTimezoneIntervalMapper.h"
#include "mappers/records/CWmipTimezoneMapper.h"
#include "mappers/records/CWmipWorldTimezoneMapper.h"
#include "platform/mfc/COleDateTime.h"
#include "tests/e2e/ServedClass.h"

using namespace demomapper;

namespace {

constexpr DWORD kViewCalendar = 0x10000011;

// The calendar classes with the mappers that serve them; their tables, properties and view rights
// are those of tests/e2e/ServedClass.
const struct
{
    const wchar_t* className;
    const wchar_t* (*wmiClassName)();
} kCalendarClasses[] = {
    {L"Bnt_Holiday", &CWmipHolidayMapper::GetWMIClassName},
    {L"Bnt_HolidayTypeLink", &CWmipHolidayTypeLinkMapper::GetWMIClassName},
    {L"Bnt_HolidayType", &CWmipHolidayTypeMapper::GetWMIClassName},
    {L"Bnt_Timezone", &CWmipTimezoneMapper::GetWMIClassName},
    {L"Bnt_TimezoneInterval", &CWmipTimezoneIntervalMapper::GetWMIClassName},
    {L"Bnt_WorldTimezone", &CWmipWorldTimezoneMapper::GetWMIClassName},
};

// The DMTF text the framework gives a date-time column stored as local wall-clock time.
std::string DmtfOfLocal(int year, int month, int day, int hour, int minute)
{
    const COleDateTime utc = WMIHelper::LocalToUtc(COleDateTime(year, month, day, hour, minute, 0));
    CString text;
    EXPECT_TRUE(WMIHelper::DateTimeToString(text, utc, 0, Door::kWmi));
    return CStringToUtf8(text);
}

class CalendarMappers : public DemoMapperTest
{
};

TEST_F(CalendarMappers, EachClassIsServedByItsOwnMapperWithItsViewRightAndNoWrites)
{
    for (const auto& c : kCalendarClasses)
    {
        SCOPED_TRACE(CStringToUtf8(c.className));
        EXPECT_STREQ(c.wmiClassName(), c.className);
        const DWORD viewPermission = e2e::ServedClass::Named(c.className).viewPermission;
        for (const bool chain : {false, true})
        {
            auto mapper = chain ? ChainMapper(c.className) : FactoryMapper(c.className);
            ASSERT_NE(mapper, nullptr);
            EXPECT_EQ(mapper->GetClassName(), CString(c.className));
            EXPECT_EQ(mapper->GetViewPermission(),
                      viewPermission != 0 ? viewPermission : CWmipClassMapper::kNoPermissionCheck);
            EXPECT_EQ(mapper->GetAddPermission(), 0u);
            EXPECT_EQ(mapper->GetModifyPermission(), 0u);
            EXPECT_EQ(mapper->GetDeletePermission(), 0u);
        }
    }
    EXPECT_NE(dynamic_cast<CWmipHolidayMapper*>(ChainMapper(L"BNT_HOLIDAY").get()), nullptr);
    EXPECT_NE(dynamic_cast<CWmipHolidayTypeMapper*>(ChainMapper(L"bnt_holidaytype").get()), nullptr);
    EXPECT_NE(dynamic_cast<CWmipHolidayTypeLinkMapper*>(ChainMapper(L"Bnt_HolidayTypeLink").get()), nullptr);
    EXPECT_NE(dynamic_cast<CWmipTimezoneMapper*>(ChainMapper(L"Bnt_Timezone").get()), nullptr);
    EXPECT_NE(dynamic_cast<CWmipTimezoneIntervalMapper*>(ChainMapper(L"Bnt_TimezoneInterval").get()), nullptr);
    EXPECT_NE(dynamic_cast<CWmipWorldTimezoneMapper*>(ChainMapper(L"Bnt_WorldTimezone").get()), nullptr);
}

TEST_F(CalendarMappers, EnumerationCopiesEveryRowOfTheTableIntoItsProperties)
{
    LoginAdministrator();
    for (const auto& c : kCalendarClasses)
    {
        SCOPED_TRACE(CStringToUtf8(c.className));
        const e2e::ServedClass& served = e2e::ServedClass::Named(c.className);
        ExpectEveryRowRead(ChainMapper(c.className), served.properties,
                           "SELECT " + served.columns + " FROM " + served.table);
    }
}

TEST_F(CalendarMappers, DateTimesAreTheStoredLocalTimesAsUtcText)
{
    LoginAdministrator();
    auto holidays = ChainMapper(L"Bnt_Holiday");
    ASSERT_NE(holidays, nullptr);
    const Instance christmas = Get(*holidays, L"Bnt_Holiday.ID=3");
    ASSERT_NE(christmas, nullptr);
    EXPECT_EQ(Values({christmas}, {L"Name", L"StartDate", L"ExtentDays"}),
              (Table{{"Christmas", DmtfOfLocal(2025, 12, 25, 0, 0), "2"}}));

    auto intervals = ChainMapper(L"Bnt_TimezoneInterval");
    ASSERT_NE(intervals, nullptr);
    const Instance nightStart = Get(*intervals, L"Bnt_TimezoneInterval.ID=1,TimezoneID=3");
    ASSERT_NE(nightStart, nullptr);
    EXPECT_EQ(Values({nightStart}, {L"StartTime", L"EndTime", L"Monday", L"Saturday", L"HolidayType1"}),
              (Table{{DmtfOfLocal(1899, 12, 30, 22, 0), DmtfOfLocal(1899, 12, 30, 23, 59), "1", "0", "0"}}));
    const Instance business = Get(*intervals, L"Bnt_TimezoneInterval.ID=1,TimezoneID=2");
    ASSERT_NE(business, nullptr);
    EXPECT_EQ(Values({business}, {L"StartTime", L"EndTime"}),
              (Table{{DmtfOfLocal(1899, 12, 30, 8, 0), DmtfOfLocal(1899, 12, 30, 18, 0)}}));
}

TEST_F(CalendarMappers, KeyedReadsNeedEveryKeyOfTheClass)
{
    LoginAdministrator();
    auto intervals = ChainMapper(L"Bnt_TimezoneInterval");
    ASSERT_NE(intervals, nullptr);
    // Interval 2 exists only in the night shift time zone.
    EXPECT_NE(Get(*intervals, L"Bnt_TimezoneInterval.ID=2,TimezoneID=3"), nullptr);
    EXPECT_EQ(Get(*intervals, L"Bnt_TimezoneInterval.ID=2,TimezoneID=1"), nullptr);

    auto links = ChainMapper(L"Bnt_HolidayTypeLink");
    ASSERT_NE(links, nullptr);
    EXPECT_NE(Get(*links, L"Bnt_HolidayTypeLink.HolidayID=3,HolidayTypeID=2"), nullptr);
    EXPECT_EQ(Get(*links, L"Bnt_HolidayTypeLink.HolidayID=5,HolidayTypeID=1"), nullptr);

    auto timezones = ChainMapper(L"Bnt_Timezone");
    ASSERT_NE(timezones, nullptr);
    const Instance night = Get(*timezones, L"Bnt_Timezone.ID=3,SegmentID=2,Name=\"Warehouse night shift\"");
    ASSERT_NE(night, nullptr);
    EXPECT_EQ(Values({night}, {L"ID", L"SegmentID", L"Name"}), (Table{{"3", "2", "Warehouse night shift"}}));
    EXPECT_EQ(Get(*timezones, L"Bnt_Timezone.ID=3,SegmentID=2,Name=\"Night shift\""), nullptr);
    EXPECT_EQ(Get(*timezones, L"Bnt_Timezone.ID=3,SegmentID=1,Name=\"Warehouse night shift\""), nullptr);

    auto world = ChainMapper(L"Bnt_WorldTimezone");
    ASSERT_NE(world, nullptr);
    const Instance tokyo = Get(*world, L"Bnt_WorldTimezone.ID=4");
    ASSERT_NE(tokyo, nullptr);
    EXPECT_EQ(Values({tokyo}, {L"DisplayName", L"GMTOffset", L"IsDaylightSaving", L"Bias", L"Windows_TZID"}),
              (Table{{"(UTC+09:00) Osaka, Sapporo, Tokyo", "540", "0", "-540", "Tokyo Standard Time"}}));
    EXPECT_EQ(Get(*world, L"Bnt_WorldTimezone.ID=99"), nullptr);
}

TEST_F(CalendarMappers, WqlConditionsOnPropertiesFilterTheirColumns)
{
    LoginAdministrator();
    ExpectSelections({
        {L"Bnt_Holiday", L"SELECT * FROM Bnt_Holiday WHERE SegmentID = -1", L"ID", {"1", "2", "3"}},
        {L"Bnt_Holiday",
         L"SELECT * FROM Bnt_Holiday WHERE ExtentDays > 1",
         L"Name",
         {"Christmas", "Headquarters winter closure"}},
        {L"Bnt_Holiday", L"SELECT * FROM Bnt_Holiday WHERE Name LIKE '%Day'", L"ID", {"1", "2"}},
        {L"Bnt_HolidayTypeLink",
         L"SELECT * FROM Bnt_HolidayTypeLink WHERE HolidayTypeID = 2",
         L"HolidayID",
         {"3", "4"}},
        {L"Bnt_HolidayType", L"SELECT * FROM Bnt_HolidayType WHERE Name = 'Public holidays'", L"ID", {"1"}},
        {L"Bnt_Timezone",
         L"SELECT * FROM Bnt_Timezone WHERE SegmentID <> -1",
         L"Name",
         {"Headquarters weekend cleaning", "Warehouse night shift"}},
        {L"Bnt_TimezoneInterval",
         L"SELECT * FROM Bnt_TimezoneInterval WHERE Saturday = TRUE",
         L"TimezoneID",
         {"1", "3", "4"}},
        {L"Bnt_TimezoneInterval",
         L"SELECT * FROM Bnt_TimezoneInterval WHERE TimezoneID = 3 AND Sunday = FALSE",
         L"ID",
         {"1", "2"}},
        {L"Bnt_WorldTimezone",
         L"SELECT * FROM Bnt_WorldTimezone WHERE IsDaylightSaving = TRUE",
         L"Windows_TZID",
         {"Eastern Standard Time", "W. Europe Standard Time"}},
        {L"Bnt_WorldTimezone", L"SELECT * FROM Bnt_WorldTimezone WHERE GMTOffset < 0", L"ID", {"2"}},
        {L"Bnt_WorldTimezone",
         L"SELECT * FROM Bnt_WorldTimezone WHERE DisplayName = 'UTC' OR Windows_TZID = 'UTC'",
         L"ID",
         {"1"}},
    });
}

TEST_F(CalendarMappers, SegmentedClassesShowOnlyTheCallersSegments)
{
    GrantOperator(kViewCalendar);
    LoginOperator();
    // The operator works in segments 1 and 2.
    const struct
    {
        const wchar_t* className;
        const char* sql;
    } cases[] = {
        {L"Bnt_Holiday", "SELECT HOLIDAYID FROM HOLIDAYS WHERE SEGMENTID IN (1, 2)"},
        {L"Bnt_HolidayType", "SELECT ID FROM HOLIDAY_TYPE WHERE SEGMENTID IN (1, 2)"},
        {L"Bnt_Timezone", "SELECT TZID FROM TIMEZONE WHERE SEGMENTID IN (1, 2)"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(CStringToUtf8(c.className));
        auto mapper = ChainMapper(c.className);
        ASSERT_NE(mapper, nullptr);
        const std::vector<std::string> expected = FirstColumn(Rows(c.sql));
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(FirstColumn(Values(Query(*mapper, L""), {L"ID"})), expected);
    }
    // A link is seen with both its holiday and its holiday type.
    auto links = ChainMapper(L"Bnt_HolidayTypeLink");
    ASSERT_NE(links, nullptr);
    EXPECT_EQ(Values(Query(*links, L""), {L"HolidayID", L"HolidayTypeID"}),
              Rows("SELECT HOLIDAYID, HTYPE_ID FROM HOLIDAY_LNK WHERE HOLIDAYID IN (SELECT HOLIDAYID FROM HOLIDAYS "
                   "WHERE SEGMENTID IN (1, 2)) AND HTYPE_ID IN (SELECT ID FROM HOLIDAY_TYPE WHERE SEGMENTID IN (1, 2)) "
                   "ORDER BY HOLIDAYID, HTYPE_ID"));
}

TEST_F(CalendarMappers, WorldTimezonesNeedNoPermissionAtAll)
{
    // A caller whose groups grant nothing.
    Exec("DELETE FROM USER_PERM_GRANT");
    LoginOperator();
    auto world = ChainMapper(L"Bnt_WorldTimezone");
    ASSERT_NE(world, nullptr);
    EXPECT_EQ(world->CanView(), S_OK);
    EXPECT_EQ(FirstColumn(Values(Query(*world, L""), {L"ID"})), (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(ChainMapper(L"Bnt_Holiday")->CanView(), WBEM_E_ACCESS_DENIED);
}

}  // namespace
