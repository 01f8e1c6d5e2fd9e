// Declarations of the incoming events and the logical sources, devices and sub-devices, one
// registration table per mapper source, each in declaration order.
//
// Constant-initialised, read-only tables (see SchemaDeclaration.h).
#include "schema/DeclarationTables.h"

namespace {

constinit const SchemaDeclaration kIncomingEventDeclarations[] = {
    DeclareClass(L"Bnt_IncomingEvent"),
    DeclareNotSegmented(L"Bnt_IncomingEvent", L"The class holds no records, only a method."),
    DeclareMethod(L"Bnt_IncomingEvent", L"SendIncomingEvent"),
    DeclareMethodParameter(L"Bnt_IncomingEvent", L"SendIncomingEvent", true, L"Source", CIM_STRING),
    DeclareMethodParameter(L"Bnt_IncomingEvent", L"SendIncomingEvent", true, L"Device", CIM_STRING),
    DeclareMethodParameter(L"Bnt_IncomingEvent", L"SendIncomingEvent", true, L"SubDevice", CIM_STRING),
    DeclareMethodParameter(L"Bnt_IncomingEvent", L"SendIncomingEvent", true, L"Description", CIM_STRING),
    DeclareMethodParameter(L"Bnt_IncomingEvent", L"SendIncomingEvent", true, L"Time", CIM_DATETIME),
    DeclareMethodParameter(L"Bnt_IncomingEvent", L"SendIncomingEvent", true, L"IsAccessGrant", CIM_BOOLEAN),
    DeclareMethodParameter(L"Bnt_IncomingEvent", L"SendIncomingEvent", true, L"IsAccessDeny", CIM_BOOLEAN),
    DeclareMethodParameter(L"Bnt_IncomingEvent", L"SendIncomingEvent", true, L"BadgeID", CIM_SINT64),
    DeclareMethodParameter(L"Bnt_IncomingEvent", L"SendIncomingEvent", true, L"ExtendedID", CIM_STRING),
    DeclareMethod(L"Bnt_IncomingEvent", L"AcknowledgeAlarm"),
    DeclareMethodParameter(L"Bnt_IncomingEvent", L"AcknowledgeAlarm", true, L"CurrentAckStatus", CIM_SINT32),
    DeclareMethodParameter(L"Bnt_IncomingEvent", L"AcknowledgeAlarm", true, L"SerialNumber", CIM_SINT32),
    DeclareMethodParameter(L"Bnt_IncomingEvent", L"AcknowledgeAlarm", true, L"CommServerHostName", CIM_STRING),
    DeclareMethodParameter(L"Bnt_IncomingEvent", L"AcknowledgeAlarm", true, L"PanelID", CIM_SINT32),
    DeclareMethodParameter(L"Bnt_IncomingEvent", L"AcknowledgeAlarm", true, L"AlarmID", CIM_SINT32),
    DeclareMethodParameter(L"Bnt_IncomingEvent", L"AcknowledgeAlarm", true, L"AlarmTime", CIM_DATETIME),
    DeclareMethodParameter(L"Bnt_IncomingEvent", L"AcknowledgeAlarm", true, L"AckStatus", CIM_SINT32),
    DeclareMethodParameter(L"Bnt_IncomingEvent", L"AcknowledgeAlarm", true, L"AckNotes", CIM_STRING),
    DeclareMethodParameter(L"Bnt_IncomingEvent", L"AcknowledgeAlarm", false, L"ReturnValue", CIM_SINT32),
    DeclareMethodParameter(L"Bnt_IncomingEvent", L"AcknowledgeAlarm", false, L"SimultaneousAckStatus", CIM_SINT32),
    DeclareNoRecordParameter(
        L"Bnt_IncomingEvent", L"SendIncomingEvent", L"BadgeID",
        L"the card number the outside system reported, carried in the event as given: an event may carry a card this installation does not hold"),
    DeclareNamedRecordParameter(L"Bnt_IncomingEvent", L"AcknowledgeAlarm", L"PanelID", L"Bnt_Panel", L"ID",
                                NamedRecordRoad::kMapper),
    DeclareNoRecordParameter(L"Bnt_IncomingEvent", L"AcknowledgeAlarm", L"AlarmID",
                             L"the alarm number the communication server gave, no record of any class"),
};

constinit const SchemaDeclaration kLogicalDeviceDeclarations[] = {
    DeclareClass(L"Bnt_LogicalDevice"),
    DeclareBelongsTo(L"Bnt_LogicalDevice", L"SourceID", L"Bnt_LogicalSource", L"ID"),
    DeclareProperty(L"Bnt_LogicalDevice", L"ID", CIM_SINT32, L"VEXLET_DEVICE", L"VEXLET_DEVICEID", 1, 0, 54, 0),
    DeclarePropertyAttribute(L"Bnt_LogicalDevice", L"ID", L"noedit", 1),
    DeclareProperty(L"Bnt_LogicalDevice", L"SourceID", CIM_SINT32, L"VEXLET_DEVICE", L"PANELID", 1, 0, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_LogicalDevice", L"SourceID", L"not_null", 1),
    DeclarePropertyAttribute(L"Bnt_LogicalDevice", L"SourceID", L"read", 1),
    DeclareProperty(L"Bnt_LogicalDevice", L"Name", CIM_STRING, L"VEXLET_DEVICE", L"NAME", 0, 64, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_LogicalDevice", L"Name", L"not_null", 1),
    DeclareNamedRecord(L"Bnt_LogicalDevice", L"SourceID", L"Bnt_LogicalSource", L"ID", NamedRecordRoad::kMapper),
};

constinit const SchemaDeclaration kLogicalSourceDeclarations[] = {
    DeclareClass(L"Bnt_LogicalSource"),
    DeclareOwnSegment(L"Bnt_LogicalSource", L"ACCESSPANE", L"SEGMENTID", SegmentOptionSegments),
    DeclareProperty(L"Bnt_LogicalSource", L"ID", CIM_SINT32, L"ACCESSPANE", L"PANELID", 1, 0, 4, 0),
    DeclarePropertyAttribute(L"Bnt_LogicalSource", L"ID", L"noedit", 1),
    DeclareProperty(L"Bnt_LogicalSource", L"Name", CIM_STRING, L"ACCESSPANE", L"NAME", 0, 96, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_LogicalSource", L"Name", L"not_null", 1),
    DeclareProperty(L"Bnt_LogicalSource", L"SegmentID", CIM_SINT32, L"ACCESSPANE", L"SEGMENTID", 0, 0, kNoIdType, 1),
    DeclarePropertyAttribute(L"Bnt_LogicalSource", L"SegmentID", L"not_null", 1),
    DeclarePropertyAttribute(L"Bnt_LogicalSource", L"SegmentID", L"DefaultValue", L"0"),
    DeclarePropertyAttribute(L"Bnt_LogicalSource", L"SegmentID", L"read", 1),
    DeclareProperty(L"Bnt_LogicalSource", L"IsOnline", CIM_BOOLEAN, L"ACCESSPANE", L"ONLINE1", 0, 0, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_LogicalSource", L"IsOnline", L"not_null", 1),
    DeclareProperty(L"Bnt_LogicalSource", L"WorldTimezoneID", CIM_SINT32, L"ACCESSPANE", L"PANELTZ", 0, 0, kNoIdType,
                    0),
    DeclarePropertyAttribute(L"Bnt_LogicalSource", L"WorldTimezoneID", L"not_null", 1),
    DeclareProperty(L"Bnt_LogicalSource", L"IsDaylightSaving", CIM_BOOLEAN, L"ACCESSPANE", L"DAYLIGHTSAVE", 0, 0,
                    kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_LogicalSource", L"IsDaylightSaving", L"not_null", 1),
    DeclareNoRecord(
        L"Bnt_LogicalSource", L"SegmentID",
        L"the record's own segment: the segment step refuses one the caller cannot reach or that does not exist"),
    DeclareNamedRecord(L"Bnt_LogicalSource", L"WorldTimezoneID", L"Bnt_WorldTimezone", L"ID", NamedRecordRoad::kMapper),
};

constinit const SchemaDeclaration kLogicalSubDeviceDeclarations[] = {
    DeclareClass(L"Bnt_LogicalSubDevice"),
    DeclareBelongsTo(L"Bnt_LogicalSubDevice", L"DeviceID, SourceID", L"Bnt_LogicalDevice", L"ID, SourceID"),
    DeclareProperty(L"Bnt_LogicalSubDevice", L"ID", CIM_SINT32, L"VEXLET_DEVICE", L"SUB_DEVICEID", 1, 0, 55, 0),
    DeclarePropertyAttribute(L"Bnt_LogicalSubDevice", L"ID", L"noedit", 1),
    DeclareProperty(L"Bnt_LogicalSubDevice", L"DeviceID", CIM_SINT32, L"VEXLET_DEVICE", L"VEXLET_DEVICEID", 1, 0,
                    kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_LogicalSubDevice", L"DeviceID", L"not_null", 1),
    DeclarePropertyAttribute(L"Bnt_LogicalSubDevice", L"DeviceID", L"read", 1),
    DeclareProperty(L"Bnt_LogicalSubDevice", L"SourceID", CIM_SINT32, L"VEXLET_DEVICE", L"PANELID", 1, 0, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_LogicalSubDevice", L"SourceID", L"not_null", 1),
    DeclarePropertyAttribute(L"Bnt_LogicalSubDevice", L"SourceID", L"read", 1),
    DeclareProperty(L"Bnt_LogicalSubDevice", L"Name", CIM_STRING, L"VEXLET_DEVICE", L"NAME", 0, 64, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_LogicalSubDevice", L"Name", L"not_null", 1),
    DeclareNamedRecord(L"Bnt_LogicalSubDevice", L"SourceID", L"Bnt_LogicalSource", L"ID", NamedRecordRoad::kMapper),
    DeclareNamedRecord(L"Bnt_LogicalSubDevice", L"SourceID,DeviceID", L"Bnt_LogicalDevice", L"SourceID,ID",
                       NamedRecordRoad::kMapper),
};

}  // namespace

constinit const SchemaDeclarationTable kIncomingEventTable{kIncomingEventDeclarations};
constinit const SchemaDeclarationTable kLogicalDeviceTable{kLogicalDeviceDeclarations};
constinit const SchemaDeclarationTable kLogicalSourceTable{kLogicalSourceDeclarations};
constinit const SchemaDeclarationTable kLogicalSubDeviceTable{kLogicalSubDeviceDeclarations};
