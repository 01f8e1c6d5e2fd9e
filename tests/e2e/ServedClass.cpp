#include "tests/e2e/ServedClass.h"

#include "tests/e2e/DoorInstallation.h"

#include <gtest/gtest.h>

namespace e2e
{
const std::vector<ServedClass>& ServedClass::All()
{
    static const std::vector<ServedClass> classes = {
        {L"Bnt_EventType",
         "EVENTYPE",
         {L"ID", L"Description"},
         "EVTYPEID, EVTDESCR",
         kViewEventConfigurationPermission,
         false,
         L"Bnt_EventType.ID=7",
         "EVTYPEID = 7",
         L"Bnt_EventType.ID=3",
         L"Bnt_EventType.Description=\"Fire\""},
        {L"Bnt_EventSubtypeDefinition",
         "EVENT",
         {L"ID", L"TypeID", L"SubtypeID", L"Description", L"SupportParameters", L"Category"},
         "EVENTID, EVTYPEID, EVID, EVDESCR, SUPPORT_PARAMS, CATEGORY",
         kViewEventConfigurationPermission,
         false,
         L"Bnt_EventSubtypeDefinition.ID=9",
         "EVENTID = 9",
         L"Bnt_EventSubtypeDefinition.ID=99",
         L"Bnt_EventSubtypeDefinition.TypeID=7"},
        {L"Bnt_EventParameter",
         "EVENT_PARAM",
         {L"ID", L"Value", L"Description"},
         "EVENT_PARAMID, PARAMVALUE, DESCRIPTION",
         kViewEventConfigurationPermission,
         false,
         L"Bnt_EventParameter.ID=3",
         "EVENT_PARAMID = 3",
         L"Bnt_EventParameter.ID=0",
         L"Bnt_EventParameter.ID=3,Value=3"},
        {L"Bnt_EventAlarmDefinitionLink",
         "EVTALMLINK",
         {L"PanelID", L"DeviceID", L"SecondaryDeviceID", L"EventTypeID", L"EventSubtypeDefinitionID",
          L"AlarmDefinitionID", L"EventParameterID"},
         "PANELID, DEVICEID, INPUTDEVID, EVTYPEID, EVID, ALID, EVENT_PARAMID",
         kViewEventConfigurationPermission,
         false,
         L"Bnt_EventAlarmDefinitionLink.PanelID=2,DeviceID=0,SecondaryDeviceID=1,EventTypeID=7,"
         L"EventSubtypeDefinitionID=1,EventParameterID=3",
         "PANELID = 2 AND DEVICEID = 0 AND INPUTDEVID = 1 AND EVTYPEID = 7 AND EVID = 1 AND EVENT_PARAMID = 3",
         L"Bnt_EventAlarmDefinitionLink.PanelID=2,DeviceID=0,SecondaryDeviceID=1,EventTypeID=7,"
         L"EventSubtypeDefinitionID=1,EventParameterID=2",
         L"Bnt_EventAlarmDefinitionLink.AlarmDefinitionID=4"},
        {L"Bnt_Holiday",
         "HOLIDAYS",
         {L"ID", L"SegmentID", L"Name", L"ExtentDays"},
         "HOLIDAYID, SEGMENTID, DESCRIPT, EXTEND",
         kViewCalendarPermission,
         true,
         L"Bnt_Holiday.ID=4",
         "HOLIDAYID = 4",
         L"Bnt_Holiday.ID=40",
         L"Bnt_Holiday.Name=\"Christmas\""},
        {L"Bnt_HolidayTypeLink",
         "HOLIDAY_LNK",
         {L"HolidayID", L"HolidayTypeID"},
         "HOLIDAYID, HTYPE_ID",
         kViewCalendarPermission,
         false,
         L"Bnt_HolidayTypeLink.HolidayID=3,HolidayTypeID=2",
         "HOLIDAYID = 3 AND HTYPE_ID = 2",
         L"Bnt_HolidayTypeLink.HolidayID=5,HolidayTypeID=1",
         L"Bnt_HolidayTypeLink.HolidayID=3"},
        {L"Bnt_HolidayType",
         "HOLIDAY_TYPE",
         {L"ID", L"SegmentID", L"Name"},
         "ID, SEGMENTID, NAME",
         kViewCalendarPermission,
         true,
         L"Bnt_HolidayType.ID=3",
         "ID = 3",
         L"Bnt_HolidayType.ID=9",
         L"Bnt_HolidayType.ID=3,SegmentID=2"},
        {L"Bnt_Timezone",
         "TIMEZONE",
         {L"ID", L"SegmentID", L"Name"},
         "TZID, SEGMENTID, DESCRIPT",
         kViewCalendarPermission,
         true,
         L"Bnt_Timezone.ID=3,SegmentID=2,Name=\"Warehouse night shift\"",
         "TZID = 3 AND SEGMENTID = 2",
         L"Bnt_Timezone.ID=3,SegmentID=1,Name=\"Warehouse night shift\"",
         L"Bnt_Timezone.ID=3"},
        {L"Bnt_TimezoneInterval",
         "TZINTERVAL",
         {L"ID", L"TimezoneID", L"Monday", L"Tuesday", L"Wednesday", L"Thursday", L"Friday", L"Saturday", L"Sunday",
          L"HolidayType1", L"HolidayType2", L"HolidayType3", L"HolidayType4", L"HolidayType5", L"HolidayType6",
          L"HolidayType7", L"HolidayType8"},
         "INTERVAL, TZID, MONDAY, TUESDAY, WEDNESDAY, THURSDAY, FRIDAY, SATURDAY, SUNDAY, TYPE1, TYPE2, TYPE3, TYPE4, "
         "TYPE5, TYPE6, TYPE7, TYPE8",
         kViewCalendarPermission,
         false,
         L"Bnt_TimezoneInterval.ID=2,TimezoneID=3",
         "INTERVAL = 2 AND TZID = 3",
         L"Bnt_TimezoneInterval.ID=2,TimezoneID=1",
         L"Bnt_TimezoneInterval.ID=2"},
        {L"Bnt_WorldTimezone",
         "WORLDTZ",
         {L"ID",
          L"DisplayName",
          L"GMTOffset",
          L"IsDaylightSaving",
          L"StandardMonth",
          L"StandardDay",
          L"StandardWeek",
          L"DaylightMonth",
          L"DaylightDay",
          L"DaylightWeek",
          L"Bias",
          L"StandardBias",
          L"DaylightBias",
          L"StandardHour",
          L"DaylightHour",
          L"StandardMinute",
          L"DaylightMinute",
          L"StandardSecond",
          L"DaylightSecond",
          L"Windows_TZID"},
         "WORLDTZID, DisplayName, GMTOFFSET, DST, StandardMonth, StandardDay, StandardWeek, DaylightMonth, "
         "DaylightDay, "
         "DaylightWeek, Bias, StandardBias, DaylightBias, StandardHour, DaylightHour, StandardMinute, DaylightMinute, "
         "StandardSecond, DaylightSecond, WINDOWS_TZID",
         0,
         false,
         L"Bnt_WorldTimezone.ID=2",
         "WORLDTZID = 2",
         L"Bnt_WorldTimezone.ID=99",
         L"Bnt_WorldTimezone.Windows_TZID=\"UTC\""},
    };
    return classes;
}

const ServedClass& ServedClass::Named(const std::wstring& name)
{
    for (const ServedClass& served : All())
        if (name == served.name)
            return served;
    ADD_FAILURE() << "not a served class";
    return All().front();
}
} // namespace e2e
