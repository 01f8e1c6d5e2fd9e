// Declarations of the guard tours, the logged events, the mobile verification class and the
// precision access groups, one registration table per mapper source, each in declaration order.
//
// Constant-initialised, read-only tables (see SchemaDeclaration.h).
#include "schema/DeclarationTables.h"

namespace {

constinit const SchemaDeclaration kGuardTourDeclarations[] = {
    DeclareClass(L"Bnt_GuardTour"),
    DeclareNotSegmented(L"Bnt_GuardTour", L"A guard tour is a route of the installation that holds no segment."),
    DeclareClassWidePropertyAttribute(L"Bnt_GuardTour", L"noedit", 1),
    DeclareProperty(L"Bnt_GuardTour", L"ID", CIM_SINT32, L"TOUR", L"TOUR_ID", 1, 0, 36, 0),
    DeclareProperty(L"Bnt_GuardTour", L"Name", CIM_STRING, L"TOUR", L"TOUR_NAME", 0, 128, kNoIdType, 0),
    DeclareMethod(L"Bnt_GuardTour", L"LaunchTour"),
    DeclareMethodParameter(L"Bnt_GuardTour", L"LaunchTour", true, L"BadgeID", CIM_SINT64),
    DeclareMethodParameter(L"Bnt_GuardTour", L"LaunchTour", true, L"MonStationID", CIM_SINT32),
    DeclareMethodParameter(L"Bnt_GuardTour", L"LaunchTour", false, L"ReturnValue", CIM_SINT32),
    DeclareNamedRecordParameter(L"Bnt_GuardTour", L"LaunchTour", L"BadgeID", L"Bnt_Badge", L"ID"),
    DeclareNoRecordParameter(L"Bnt_GuardTour", L"LaunchTour", L"MonStationID",
                             L"a monitoring station of the guard tour server; no class serves them"),
};

constinit const SchemaDeclaration kLoggedEventDeclarations[] = {
    DeclareClass(L"Bnt_LoggedEvent"),
    DeclareOwnSegment(L"Bnt_LoggedEvent", L"ACCESSPANE", L"SEGMENTID", SegmentOptionSegments),
    DeclareClassWidePropertyAttribute(L"Bnt_LoggedEvent", L"noedit", 1),
    DeclareProperty(L"Bnt_LoggedEvent", L"SerialNumber", CIM_SINT32, L"EVENTS", L"SERIALNUM", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_LoggedEvent", L"Time", CIM_DATETIME, L"EVENTS", L"EVENT_TIME_UTC", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_LoggedEvent", L"Description", CIM_STRING, L"EVENT", L"EVDESCR", 0, 128, kNoIdType, 0),
    DeclareProperty(L"Bnt_LoggedEvent", L"PanelID", CIM_SINT32, L"EVENTS", L"MACHINE", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_LoggedEvent", L"DeviceID", CIM_SINT32, L"EVENTS", L"DEVID", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_LoggedEvent", L"SecondaryDeviceID", CIM_SINT32, L"EVENTS", L"INPUTDEVID", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_LoggedEvent", L"SegmentID", CIM_SINT32, L"ACCESSPANE", L"SEGMENTID", 0, 0, kNoIdType, 1),
    DeclareProperty(L"Bnt_LoggedEvent", L"Type", CIM_SINT32, L"EVENTS", L"EVENTTYPE", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_LoggedEvent", L"SubType", CIM_SINT32, L"EVENTS", L"EVENTID", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_LoggedEvent", L"EventText", CIM_STRING, L"EVENTS", L"EVENT_TEXT", 0, 2000, kNoIdType, 0),
    DeclareProperty(L"Bnt_LoggedEvent", L"CardNumber", CIM_SINT64, L"EVENTS", L"CARDNUM", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_LoggedEvent", L"ExtendedID", CIM_STRING, L"EVENTS", L"CARD_EXTENDED_ID", 0, 32, kNoIdType, 0),
    DeclareProperty(L"Bnt_LoggedEvent", L"IssueCode", CIM_SINT32, L"EVENTS", L"ISSUECODE", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_LoggedEvent", L"AssetID", CIM_SINT32, L"EVENTS", L"ASSETID", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_LoggedEvent", L"PersonID", CIM_SINT32, L"EVENTS", L"EMPID", 0, 0, kNoIdType, 0),
    DeclareDynamicProperty(L"Bnt_LoggedEvent", L"AccessResult", CIM_SINT32, 0),
    DeclareDynamicProperty(L"Bnt_LoggedEvent", L"CardholderEntered", CIM_BOOLEAN, 0),
    DeclareDynamicProperty(L"Bnt_LoggedEvent", L"Duress", CIM_BOOLEAN, 0),
    DeclareNamedRecord(L"Bnt_LoggedEvent", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareNoRecord(L"Bnt_LoggedEvent", L"DeviceID",
                    L"the device number the panel reported; logged events are never written"),
    DeclareNoRecord(L"Bnt_LoggedEvent", L"SecondaryDeviceID",
                    L"the sub-device number the panel reported; logged events are never written"),
    DeclareNoRecord(L"Bnt_LoggedEvent", L"SegmentID",
                    L"the segment of the event's panel, read with the panel; logged events are never written"),
    DeclareNoRecord(L"Bnt_LoggedEvent", L"AssetID",
                    L"the asset number the panel reported; logged events are never written"),
    DeclareNamedRecord(L"Bnt_LoggedEvent", L"PersonID", L"Bnt_Person", L"ID"),
};

constinit const SchemaDeclaration kPortavereDeclarations[] = {
    DeclareClass(L"Bnt_Portavere"),
    DeclareNotSegmented(L"Bnt_Portavere", L"The class holds no records, only a method."),
    DeclareMethod(L"Bnt_Portavere", L"LogDenyTransaction"),
    DeclareMethodParameter(L"Bnt_Portavere", L"LogDenyTransaction", true, L"CurrentLevel", CIM_SINT32),
    DeclareMethodParameter(L"Bnt_Portavere", L"LogDenyTransaction", true, L"SystemLevel", CIM_SINT32),
    DeclareMethodParameter(L"Bnt_Portavere", L"LogDenyTransaction", true, L"CardholderName", CIM_STRING),
    DeclareMethodParameter(L"Bnt_Portavere", L"LogDenyTransaction", true, L"SSNo", CIM_STRING),
    DeclareMethodParameter(L"Bnt_Portavere", L"LogDenyTransaction", true, L"ReaderName", CIM_STRING),
    DeclareMethodParameter(L"Bnt_Portavere", L"LogDenyTransaction", true, L"GateName", CIM_STRING),
    DeclareMethod(L"Bnt_Portavere", L"LogGrantTransaction"),
    DeclareMethodParameter(L"Bnt_Portavere", L"LogGrantTransaction", true, L"CurrentLevel", CIM_SINT32),
    DeclareMethodParameter(L"Bnt_Portavere", L"LogGrantTransaction", true, L"SystemLevel", CIM_SINT32),
    DeclareMethodParameter(L"Bnt_Portavere", L"LogGrantTransaction", true, L"CardholderName", CIM_STRING),
    DeclareMethodParameter(L"Bnt_Portavere", L"LogGrantTransaction", true, L"SSNo", CIM_STRING),
    DeclareMethodParameter(L"Bnt_Portavere", L"LogGrantTransaction", true, L"ReaderName", CIM_STRING),
    DeclareMethodParameter(L"Bnt_Portavere", L"LogGrantTransaction", true, L"GateName", CIM_STRING),
    DeclareMethod(L"Bnt_Portavere", L"RecommendationSystemSetting"),
    DeclareMethodParameter(L"Bnt_Portavere", L"RecommendationSystemSetting", false, L"ReturnValue", CIM_SINT32),
    DeclareMethod(L"Bnt_Portavere", L"IsGrant"),
    DeclareMethodParameter(L"Bnt_Portavere", L"IsGrant", true, L"CardholderThreatLevelID", CIM_SINT32),
    DeclareMethodParameter(L"Bnt_Portavere", L"IsGrant", true, L"SystemSettingID", CIM_SINT32),
    DeclareMethod(L"Bnt_Portavere", L"RecommendProperties"),
    DeclareMethodParameter(L"Bnt_Portavere", L"RecommendProperties", false, L"LogicalName", CIM_STRING),
    DeclareMethodParameter(L"Bnt_Portavere", L"RecommendProperties", false, L"AssociatedDropdown", CIM_STRING),
    DeclareMethodParameter(L"Bnt_Portavere", L"RecommendProperties", false, L"DenyText", CIM_STRING),
    DeclareMethodParameter(L"Bnt_Portavere", L"RecommendProperties", false, L"DenyColor", CIM_SINT32),
    DeclareMethodParameter(L"Bnt_Portavere", L"RecommendProperties", false, L"GrantColor", CIM_SINT32),
    DeclareMethodParameter(L"Bnt_Portavere", L"RecommendProperties", false, L"DenyOverride", CIM_BOOLEAN),
    DeclareMethodParameter(L"Bnt_Portavere", L"RecommendProperties", false, L"GrantText", CIM_STRING),
    DeclareMethodParameter(L"Bnt_Portavere", L"RecommendProperties", false, L"GrantOverride", CIM_BOOLEAN),
    DeclareMethodParameter(L"Bnt_Portavere", L"RecommendProperties", false, L"OverridePrompt", CIM_BOOLEAN),
    DeclareMethodParameter(L"Bnt_Portavere", L"RecommendProperties", false, L"NotifyUserOfOperation", CIM_BOOLEAN),
    DeclareNoRecordParameter(L"Bnt_Portavere", L"IsGrant", L"CardholderThreatLevelID",
                             L"a threat level number of the recommendation table, no record of any class"),
    DeclareNoRecordParameter(L"Bnt_Portavere", L"IsGrant", L"SystemSettingID",
                             L"a setting number of the recommendation table, no record of any class"),
};

constinit const SchemaDeclaration kPrecisionAccessGroupAssignmentDeclarations[] = {
    DeclareClass(L"Bnt_PrecisionAccessGroupAssignment"),
    DeclareBelongsTo(L"Bnt_PrecisionAccessGroupAssignment", L"PrecisionAccessGroupID", L"Bnt_PrecisionAccessGroup",
                     L"ID"),
    DeclareBelongsTo(L"Bnt_PrecisionAccessGroupAssignment", L"BadgeKey", L"Bnt_Badge", L"BADGEKEY"),
    DeclareClassWidePropertyAttribute(L"Bnt_PrecisionAccessGroupAssignment", L"read", 1),
    DeclareProperty(L"Bnt_PrecisionAccessGroupAssignment", L"PrecisionAccessGroupID", CIM_SINT32, L"BDGPRECLINK",
                    L"PRECGRPID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_PrecisionAccessGroupAssignment", L"BadgeKey", CIM_SINT32, L"BDGPRECLINK", L"BADGEKEY", 1, 0,
                    kNoIdType, 0),
    DeclareNamedRecord(L"Bnt_PrecisionAccessGroupAssignment", L"PrecisionAccessGroupID", L"Bnt_PrecisionAccessGroup",
                       L"ID", NamedRecordRoad::kMapper),
    DeclareNamedRecord(L"Bnt_PrecisionAccessGroupAssignment", L"BadgeKey", L"Bnt_Badge", L"BADGEKEY",
                       NamedRecordRoad::kMapper),
};

constinit const SchemaDeclaration kPrecisionAccessGroupDeclarations[] = {
    DeclareClass(L"Bnt_PrecisionAccessGroup"),
    DeclareOwnSegment(L"Bnt_PrecisionAccessGroup", L"PRECACGRP", L"SEGMENTID", SegmentOptionSegments),
    DeclareClassWidePropertyAttribute(L"Bnt_PrecisionAccessGroup", L"noedit", 1),
    DeclareProperty(L"Bnt_PrecisionAccessGroup", L"ID", CIM_SINT32, L"PRECACGRP", L"PRECGRPID", 1, 0, 11, 0),
    DeclareProperty(L"Bnt_PrecisionAccessGroup", L"Name", CIM_STRING, L"PRECACGRP", L"NAME", 0, 64, kNoIdType, 0),
    DeclareProperty(L"Bnt_PrecisionAccessGroup", L"Type", CIM_SINT32, L"PRECACGRP", L"PRECTYPE", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_PrecisionAccessGroup", L"SegmentID", CIM_SINT32, L"PRECACGRP", L"SEGMENTID", 0, 0, kNoIdType,
                    1),
    DeclareNoRecord(
        L"Bnt_PrecisionAccessGroup", L"SegmentID",
        L"the record's own segment: the segment step refuses one the caller cannot reach or that does not exist"),
};

}  // namespace

constinit const SchemaDeclarationTable kGuardTourTable{kGuardTourDeclarations};
constinit const SchemaDeclarationTable kLoggedEventTable{kLoggedEventDeclarations};
constinit const SchemaDeclarationTable kPortavereTable{kPortavereDeclarations};
constinit const SchemaDeclarationTable kPrecisionAccessGroupAssignmentTable{
    kPrecisionAccessGroupAssignmentDeclarations};
constinit const SchemaDeclarationTable kPrecisionAccessGroupTable{kPrecisionAccessGroupDeclarations};
