// Declarations of the alarm definitions and panels, the areas with their reader links, the
// authentication modes and the camera groups, one registration table per mapper source, each in
// declaration order.
//
// Constant-initialised, read-only tables (see SchemaDeclaration.h).
#include "schema/DeclarationTables.h"

namespace {

constinit const SchemaDeclaration kAlarmDefinitionDeclarations[] = {
    DeclareClass(L"Bnt_AlarmDefinition"),
    DeclareOwnSegment(L"Bnt_AlarmDefinition", L"ALARM", L"SEGMENTID", SegmentOptionSegments),
    DeclareClassWidePropertyAttribute(L"Bnt_AlarmDefinition", L"noedit", 1),
    DeclareProperty(L"Bnt_AlarmDefinition", L"ID", CIM_SINT32, L"ALARM", L"ALID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_AlarmDefinition", L"Priority", CIM_SINT32, L"ALARM", L"ALPRIORITY", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_AlarmDefinition", L"Description", CIM_STRING, L"ALARM", L"ALDESCR", 0, 128, kNoIdType, 0),
    DeclareProperty(L"Bnt_AlarmDefinition", L"SegmentID", CIM_SINT32, L"ALARM", L"SEGMENTID", 0, 0, kNoIdType, 1),
    DeclareProperty(L"Bnt_AlarmDefinition", L"TextInstructionName", CIM_STRING, L"TEXTOBJ", L"NAME", 0, 128, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_AlarmDefinition", L"TextInstructionData", CIM_STRING, L"TEXTOBJ", L"TXTDATA", 0, -1,
                    kNoIdType, 0),
    DeclareNoRecord(
        L"Bnt_AlarmDefinition", L"SegmentID",
        L"the record's own segment: the segment step refuses one the caller cannot reach or that does not exist"),
};

constinit const SchemaDeclaration kAlarmPanelDeclarations[] = {
    DeclareClass(L"Bnt_AlarmPanel"),
    DeclareBelongsTo(L"Bnt_AlarmPanel", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_AlarmPanel", L"noedit", 1),
    DeclareProperty(L"Bnt_AlarmPanel", L"Name", CIM_STRING, L"ALARMPANEL", L"NAME", 0, 64, kNoIdType, 0),
    DeclareProperty(L"Bnt_AlarmPanel", L"ID", CIM_SINT32, L"ALARMPANEL", L"ALARMPID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_AlarmPanel", L"PanelID", CIM_SINT32, L"ALARMPANEL", L"PANELID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_AlarmPanel", L"ControlType", CIM_SINT32, L"ALARMPANEL", L"CTRLTYPE", 0, 0, kNoIdType, 0),
    DeclareMethod(L"Bnt_AlarmPanel", L"GetHardwareStatus"),
    DeclareMethodParameter(L"Bnt_AlarmPanel", L"GetHardwareStatus", false, L"Status", CIM_UINT32),
    DeclareNamedRecord(L"Bnt_AlarmPanel", L"PanelID", L"Bnt_Panel", L"ID"),
};

constinit const SchemaDeclaration kAreaDeclarations[] = {
    DeclareClass(L"Bnt_Area"),
    DeclareOwnSegment(L"Bnt_Area", L"AREAAPB", L"SEGMENTID", SegmentOptionSegments),
    DeclareClassWidePropertyAttribute(L"Bnt_Area", L"noedit", 1),
    DeclareProperty(L"Bnt_Area", L"ID", CIM_SINT32, L"AREAAPB", L"AREAAPBID", 1, 0, 40, 0),
    DeclareProperty(L"Bnt_Area", L"Name", CIM_STRING, L"AREAAPB", L"NAME", 0, 32, kNoIdType, 0),
    DeclareProperty(L"Bnt_Area", L"AreaType", CIM_SINT32, L"AREAAPB", L"AREAAPB_TYPE", 0, 0, kNoIdType, 0),
    DeclareMethod(L"Bnt_Area", L"MoveBadge"),
    DeclareMethodParameter(L"Bnt_Area", L"MoveBadge", true, L"AreaID", CIM_SINT32),
    DeclareMethodParameter(L"Bnt_Area", L"MoveBadge", true, L"BadgeID", CIM_SINT64),
    DeclareMethodParameter(L"Bnt_Area", L"MoveBadge", true, L"PanelID", CIM_SINT32),
    DeclareMethodParameter(L"Bnt_Area", L"MoveBadge", true, L"ReaderID", CIM_SINT32),
    DeclareMethodParameter(L"Bnt_Area", L"MoveBadge", true, L"SegmentID", CIM_SINT32),
    DeclareMethodParameter(L"Bnt_Area", L"MoveBadge", true, L"UTCTime", CIM_DATETIME),
    DeclarePropertyValues(L"Bnt_Area", L"AreaType", L"POSSIBLE_VALUES", L"0,1,2,3,4,5",
                          L"Other,Unknown,Local Area,Global Area,Hazardous Location,Safe Location"),
    DeclareNamedRecordParameter(L"Bnt_Area", L"MoveBadge", L"AreaID", L"Bnt_Area", L"ID", NamedRecordRoad::kMapper),
    DeclareNamedRecordParameter(L"Bnt_Area", L"MoveBadge", L"BadgeID", L"Bnt_Badge", L"ID", NamedRecordRoad::kMapper),
    DeclareNamedRecordParameter(L"Bnt_Area", L"MoveBadge", L"PanelID,ReaderID", L"Bnt_Reader", L"PanelID,ReaderID",
                                NamedRecordRoad::kMapper),
    DeclareNamedRecordParameter(L"Bnt_Area", L"MoveBadge", L"SegmentID", L"Bnt_Segment", L"ID",
                                NamedRecordRoad::kMapper),
};

constinit const SchemaDeclaration kReaderEntersAreaDeclarations[] = {
    DeclareClass(L"Bnt_ReaderEntersArea"),
    DeclareBelongsTo(L"Bnt_ReaderEntersArea", L"Reader, Reader", L"Bnt_Reader", L"PanelID, ReaderID"),
    DeclareBelongsTo(L"Bnt_ReaderEntersArea", L"Area", L"Bnt_Area", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_ReaderEntersArea", L"noedit", 1),
    DeclareReferenceProperty(L"Bnt_ReaderEntersArea", L"Reader", L"Bnt_Reader"),
    DeclareReferenceProperty(L"Bnt_ReaderEntersArea", L"Area", L"Bnt_Area"),
};

constinit const SchemaDeclaration kReaderExitsAreaDeclarations[] = {
    DeclareClass(L"Bnt_ReaderExitsArea"),
    DeclareBelongsTo(L"Bnt_ReaderExitsArea", L"Reader, Reader", L"Bnt_Reader", L"PanelID, ReaderID"),
    DeclareBelongsTo(L"Bnt_ReaderExitsArea", L"Area", L"Bnt_Area", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_ReaderExitsArea", L"noedit", 1),
    DeclareReferenceProperty(L"Bnt_ReaderExitsArea", L"Reader", L"Bnt_Reader"),
    DeclareReferenceProperty(L"Bnt_ReaderExitsArea", L"Area", L"Bnt_Area"),
};

constinit const SchemaDeclaration kAuthenticationModeDeclarations[] = {
    DeclareClass(L"Bnt_AuthenticationMode"),
    DeclareNotSegmented(L"Bnt_AuthenticationMode", L"The authentication modes are the installation's fixed catalogue."),
    DeclareClassWidePropertyAttribute(L"Bnt_AuthenticationMode", L"noedit", 1),
    DeclareProperty(L"Bnt_AuthenticationMode", L"ID", CIM_SINT32, L"PIV_AUTHENTICATION_MODE",
                    L"PIV_AUTHENTICATION_MODEID", 1, 0, 83, 0),
    DeclareProperty(L"Bnt_AuthenticationMode", L"Name", CIM_STRING, L"PIV_AUTHENTICATION_MODE", L"NAME", 0, 128,
                    kNoIdType, 0),
};

constinit const SchemaDeclaration kCameraGroupCameraLinkDeclarations[] = {
    DeclareClass(L"Bnt_CameraGroupCameraLink"),
    DeclareBelongsTo(L"Bnt_CameraGroupCameraLink", L"CameraGroupID", L"Bnt_CameraGroup", L"ID"),
    DeclareBelongsTo(L"Bnt_CameraGroupCameraLink", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_CameraGroupCameraLink", L"noedit", 1),
    DeclareProperty(L"Bnt_CameraGroupCameraLink", L"CameraGroupID", CIM_SINT32, L"DEVICE_GROUP_LINK", L"DEVICEGROUPID",
                    1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_CameraGroupCameraLink", L"PanelID", CIM_SINT32, L"DEVICE_GROUP_LINK", L"PANELID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_CameraGroupCameraLink", L"CameraID", CIM_SINT32, L"DEVICE_GROUP_LINK", L"DEVICEID", 1, 0,
                    kNoIdType, 0),
    DeclareNamedRecord(L"Bnt_CameraGroupCameraLink", L"CameraGroupID", L"Bnt_CameraGroup", L"ID"),
    DeclareNamedRecord(L"Bnt_CameraGroupCameraLink", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareNamedRecord(L"Bnt_CameraGroupCameraLink", L"PanelID,CameraID", L"Bnt_Camera", L"PanelID,ID"),
};

constinit const SchemaDeclaration kCameraGroupDeclarations[] = {
    DeclareClass(L"Bnt_CameraGroup"),
    DeclareOwnSegment(L"Bnt_CameraGroup", L"DEVICE_GROUP", L"SEGMENTID", SegmentOptionSegments),
    DeclareClassWidePropertyAttribute(L"Bnt_CameraGroup", L"noedit", 1),
    DeclareProperty(L"Bnt_CameraGroup", L"ID", CIM_SINT32, L"DEVICE_GROUP", L"DEVICEGROUPID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_CameraGroup", L"Name", CIM_STRING, L"DEVICE_GROUP", L"NAME", 0, 64, kNoIdType, 0),
    DeclareProperty(L"Bnt_CameraGroup", L"SegmentID", CIM_SINT32, L"DEVICE_GROUP", L"SEGMENTID", 0, 0, kNoIdType, 1),
    DeclarePropertyAttribute(L"Bnt_CameraGroup", L"SegmentID", L"not_null", 1),
    DeclarePropertyAttribute(L"Bnt_CameraGroup", L"SegmentID", L"DefaultValue", L"-1"),
    DeclareNoRecord(
        L"Bnt_CameraGroup", L"SegmentID",
        L"the record's own segment: the segment step refuses one the caller cannot reach or that does not exist"),
};

}  // namespace

constinit const SchemaDeclarationTable kAlarmDefinitionTable{kAlarmDefinitionDeclarations};
constinit const SchemaDeclarationTable kAlarmPanelTable{kAlarmPanelDeclarations};
constinit const SchemaDeclarationTable kAreaTable{kAreaDeclarations};
constinit const SchemaDeclarationTable kReaderEntersAreaTable{kReaderEntersAreaDeclarations};
constinit const SchemaDeclarationTable kReaderExitsAreaTable{kReaderExitsAreaDeclarations};
constinit const SchemaDeclarationTable kAuthenticationModeTable{kAuthenticationModeDeclarations};
constinit const SchemaDeclarationTable kCameraGroupCameraLinkTable{kCameraGroupCameraLinkDeclarations};
constinit const SchemaDeclarationTable kCameraGroupTable{kCameraGroupDeclarations};
