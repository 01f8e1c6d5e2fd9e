// Declarations of the holidays, holiday types, access time zones with their intervals and the
// world time zones, one registration table per mapper source, each in declaration order.
//
// Constant-initialised, read-only tables (see SchemaDeclaration.h).
#include "schema/DeclarationTables.h"

namespace {

constinit const SchemaDeclaration kHolidayDeclarations[] = {
    DeclareClass(L"Bnt_Holiday"),
    DeclareOwnSegment(L"Bnt_Holiday", L"HOLIDAYS", L"SEGMENTID", SegmentOptionSegments),
    DeclareClassWidePropertyAttribute(L"Bnt_Holiday", L"noedit", 1),
    DeclareProperty(L"Bnt_Holiday", L"ID", CIM_SINT32, L"HOLIDAYS", L"HOLIDAYID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_Holiday", L"SegmentID", CIM_SINT32, L"HOLIDAYS", L"SEGMENTID", 0, 0, kNoIdType, 1),
    DeclareProperty(L"Bnt_Holiday", L"Name", CIM_STRING, L"HOLIDAYS", L"DESCRIPT", 0, 64, kNoIdType, 0),
    DeclareProperty(L"Bnt_Holiday", L"StartDate", CIM_DATETIME, L"HOLIDAYS", L"HDATE", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_Holiday", L"ExtentDays", CIM_SINT32, L"HOLIDAYS", L"EXTEND", 0, 0, kNoIdType, 0),
    DeclareNoRecord(
        L"Bnt_Holiday", L"SegmentID",
        L"the record's own segment: the segment step refuses one the caller cannot reach or that does not exist"),
};

constinit const SchemaDeclaration kHolidayTypeLinkDeclarations[] = {
    DeclareClass(L"Bnt_HolidayTypeLink"),
    DeclareBelongsTo(L"Bnt_HolidayTypeLink", L"HolidayID", L"Bnt_Holiday", L"ID"),
    DeclareBelongsTo(L"Bnt_HolidayTypeLink", L"HolidayTypeID", L"Bnt_HolidayType", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_HolidayTypeLink", L"noedit", 1),
    DeclareProperty(L"Bnt_HolidayTypeLink", L"HolidayID", CIM_SINT32, L"HOLIDAY_LNK", L"HOLIDAYID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_HolidayTypeLink", L"HolidayTypeID", CIM_SINT32, L"HOLIDAY_LNK", L"HTYPE_ID", 1, 0, kNoIdType,
                    0),
    DeclareNamedRecord(L"Bnt_HolidayTypeLink", L"HolidayID", L"Bnt_Holiday", L"ID"),
    DeclareNamedRecord(L"Bnt_HolidayTypeLink", L"HolidayTypeID", L"Bnt_HolidayType", L"ID"),
};

constinit const SchemaDeclaration kHolidayTypeDeclarations[] = {
    DeclareClass(L"Bnt_HolidayType"),
    DeclareOwnSegment(L"Bnt_HolidayType", L"HOLIDAY_TYPE", L"SEGMENTID", SegmentOptionSegments),
    DeclareClassWidePropertyAttribute(L"Bnt_HolidayType", L"noedit", 1),
    DeclareProperty(L"Bnt_HolidayType", L"ID", CIM_SINT32, L"HOLIDAY_TYPE", L"ID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_HolidayType", L"SegmentID", CIM_SINT32, L"HOLIDAY_TYPE", L"SEGMENTID", 0, 0, kNoIdType, 1),
    DeclareProperty(L"Bnt_HolidayType", L"Name", CIM_STRING, L"HOLIDAY_TYPE", L"NAME", 0, 64, kNoIdType, 0),
    DeclareNoRecord(
        L"Bnt_HolidayType", L"SegmentID",
        L"the record's own segment: the segment step refuses one the caller cannot reach or that does not exist"),
};

constinit const SchemaDeclaration kTimezoneIntervalDeclarations[] = {
    DeclareClass(L"Bnt_TimezoneInterval"),
    DeclareBelongsTo(L"Bnt_TimezoneInterval", L"TimezoneID", L"Bnt_Timezone", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_TimezoneInterval", L"noedit", 1),
    DeclareProperty(L"Bnt_TimezoneInterval", L"ID", CIM_SINT32, L"TZINTERVAL", L"INTERVAL", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_TimezoneInterval", L"TimezoneID", CIM_SINT32, L"TZINTERVAL", L"TZID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_TimezoneInterval", L"StartTime", CIM_DATETIME, L"TZINTERVAL", L"STARTTIME", 0, 0, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_TimezoneInterval", L"EndTime", CIM_DATETIME, L"TZINTERVAL", L"ENDTIME", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_TimezoneInterval", L"Monday", CIM_BOOLEAN, L"TZINTERVAL", L"MONDAY", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_TimezoneInterval", L"Tuesday", CIM_BOOLEAN, L"TZINTERVAL", L"TUESDAY", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_TimezoneInterval", L"Wednesday", CIM_BOOLEAN, L"TZINTERVAL", L"WEDNESDAY", 0, 0, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_TimezoneInterval", L"Thursday", CIM_BOOLEAN, L"TZINTERVAL", L"THURSDAY", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_TimezoneInterval", L"Friday", CIM_BOOLEAN, L"TZINTERVAL", L"FRIDAY", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_TimezoneInterval", L"Saturday", CIM_BOOLEAN, L"TZINTERVAL", L"SATURDAY", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_TimezoneInterval", L"Sunday", CIM_BOOLEAN, L"TZINTERVAL", L"SUNDAY", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_TimezoneInterval", L"HolidayType1", CIM_BOOLEAN, L"TZINTERVAL", L"TYPE1", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_TimezoneInterval", L"HolidayType2", CIM_BOOLEAN, L"TZINTERVAL", L"TYPE2", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_TimezoneInterval", L"HolidayType3", CIM_BOOLEAN, L"TZINTERVAL", L"TYPE3", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_TimezoneInterval", L"HolidayType4", CIM_BOOLEAN, L"TZINTERVAL", L"TYPE4", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_TimezoneInterval", L"HolidayType5", CIM_BOOLEAN, L"TZINTERVAL", L"TYPE5", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_TimezoneInterval", L"HolidayType6", CIM_BOOLEAN, L"TZINTERVAL", L"TYPE6", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_TimezoneInterval", L"HolidayType7", CIM_BOOLEAN, L"TZINTERVAL", L"TYPE7", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_TimezoneInterval", L"HolidayType8", CIM_BOOLEAN, L"TZINTERVAL", L"TYPE8", 0, 0, kNoIdType, 0),
    DeclareNamedRecord(L"Bnt_TimezoneInterval", L"TimezoneID", L"Bnt_Timezone", L"ID"),
};

constinit const SchemaDeclaration kTimezoneDeclarations[] = {
    DeclareClass(L"Bnt_Timezone"),
    DeclareOwnSegment(L"Bnt_Timezone", L"TIMEZONE", L"SEGMENTID", SegmentOptionSegments),
    DeclareClassWidePropertyAttribute(L"Bnt_Timezone", L"noedit", 1),
    DeclareProperty(L"Bnt_Timezone", L"ID", CIM_SINT32, L"TIMEZONE", L"TZID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_Timezone", L"SegmentID", CIM_SINT32, L"TIMEZONE", L"SEGMENTID", 1, 0, kNoIdType, 1),
    DeclareProperty(L"Bnt_Timezone", L"Name", CIM_STRING, L"TIMEZONE", L"DESCRIPT", 1, 64, kNoIdType, 0),
    DeclareNoRecord(
        L"Bnt_Timezone", L"SegmentID",
        L"the record's own segment: the segment step refuses one the caller cannot reach or that does not exist"),
};

constinit const SchemaDeclaration kWorldTimezoneDeclarations[] = {
    DeclareClass(L"Bnt_WorldTimezone"),
    DeclareNotSegmented(L"Bnt_WorldTimezone", L"The world time zones are the installation's fixed catalogue."),
    DeclareClassWidePropertyAttribute(L"Bnt_WorldTimezone", L"noedit", 1),
    DeclareProperty(L"Bnt_WorldTimezone", L"ID", CIM_SINT32, L"WORLDTZ", L"WORLDTZID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_WorldTimezone", L"DisplayName", CIM_STRING, L"WORLDTZ", L"DisplayName", 0, 128, kNoIdType, 0),
    DeclareProperty(L"Bnt_WorldTimezone", L"GMTOffset", CIM_SINT32, L"WORLDTZ", L"GMTOFFSET", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_WorldTimezone", L"IsDaylightSaving", CIM_BOOLEAN, L"WORLDTZ", L"DST", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_WorldTimezone", L"StandardMonth", CIM_SINT32, L"WORLDTZ", L"StandardMonth", 0, 0, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_WorldTimezone", L"StandardDay", CIM_SINT32, L"WORLDTZ", L"StandardDay", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_WorldTimezone", L"StandardWeek", CIM_SINT32, L"WORLDTZ", L"StandardWeek", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_WorldTimezone", L"DaylightMonth", CIM_SINT32, L"WORLDTZ", L"DaylightMonth", 0, 0, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_WorldTimezone", L"DaylightDay", CIM_SINT32, L"WORLDTZ", L"DaylightDay", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_WorldTimezone", L"DaylightWeek", CIM_SINT32, L"WORLDTZ", L"DaylightWeek", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_WorldTimezone", L"Bias", CIM_SINT32, L"WORLDTZ", L"Bias", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_WorldTimezone", L"StandardBias", CIM_SINT32, L"WORLDTZ", L"StandardBias", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_WorldTimezone", L"DaylightBias", CIM_SINT32, L"WORLDTZ", L"DaylightBias", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_WorldTimezone", L"StandardHour", CIM_SINT32, L"WORLDTZ", L"StandardHour", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_WorldTimezone", L"DaylightHour", CIM_SINT32, L"WORLDTZ", L"DaylightHour", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_WorldTimezone", L"StandardMinute", CIM_SINT32, L"WORLDTZ", L"StandardMinute", 0, 0, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_WorldTimezone", L"DaylightMinute", CIM_SINT32, L"WORLDTZ", L"DaylightMinute", 0, 0, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_WorldTimezone", L"StandardSecond", CIM_SINT32, L"WORLDTZ", L"StandardSecond", 0, 0, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_WorldTimezone", L"DaylightSecond", CIM_SINT32, L"WORLDTZ", L"DaylightSecond", 0, 0, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_WorldTimezone", L"Windows_TZID", CIM_STRING, L"WORLDTZ", L"WINDOWS_TZID", 0, 32, kNoIdType,
                    0),
};

}  // namespace

constinit const SchemaDeclarationTable kHolidayTable{kHolidayDeclarations};
constinit const SchemaDeclarationTable kHolidayTypeLinkTable{kHolidayTypeLinkDeclarations};
constinit const SchemaDeclarationTable kHolidayTypeTable{kHolidayTypeDeclarations};
constinit const SchemaDeclarationTable kTimezoneIntervalTable{kTimezoneIntervalDeclarations};
constinit const SchemaDeclarationTable kTimezoneTable{kTimezoneDeclarations};
constinit const SchemaDeclarationTable kWorldTimezoneTable{kWorldTimezoneDeclarations};
