// Declarations of the intrusion areas, doors, zones and relays and the zone outputs, one
// registration table per mapper source, each in declaration order.
//
// Constant-initialised, read-only tables (see SchemaDeclaration.h).
#include "schema/DeclarationTables.h"

namespace {

constinit const SchemaDeclaration kIntrusionAreaDeclarations[] = {
    DeclareClass(L"Bnt_IntrusionArea"),
    DeclareBelongsTo(L"Bnt_IntrusionArea", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_IntrusionArea", L"noedit", 1),
    DeclareProperty(L"Bnt_IntrusionArea", L"ID", CIM_SINT32, L"ACCOUNT_AREA", L"ACCOUNT_AREAID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_IntrusionArea", L"PanelID", CIM_SINT32, L"ACCOUNT_AREA", L"PANELID", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_IntrusionArea", L"AreaNumber", CIM_SINT32, L"ACCOUNT_AREA", L"AREANUM", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_IntrusionArea", L"AreaType", CIM_SINT32, L"ACCOUNT_AREA", L"AREATYPE", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_IntrusionArea", L"Name", CIM_STRING, L"ACCOUNT_AREA", L"NAME", 0, 32, kNoIdType, 0),
    DeclareProperty(L"Bnt_IntrusionArea", L"HostName", CIM_STRING, L"ACCESSPANE", L"TERMINALNA", 0, 64, kNoIdType, 0),
    DeclareMethod(L"Bnt_IntrusionArea", L"Disarm"),
    DeclareMethod(L"Bnt_IntrusionArea", L"MasterDelayArm"),
    DeclareMethod(L"Bnt_IntrusionArea", L"MasterInstantArm"),
    DeclareMethod(L"Bnt_IntrusionArea", L"PerimeterDelayArm"),
    DeclareMethod(L"Bnt_IntrusionArea", L"PerimeterInstantArm"),
    DeclareMethod(L"Bnt_IntrusionArea", L"Arm"),
    DeclareMethodParameter(L"Bnt_IntrusionArea", L"Arm", true, L"ArmState", CIM_SINT32),
    DeclareMethod(L"Bnt_IntrusionArea", L"SilenceAlarms"),
    DeclareMethod(L"Bnt_IntrusionArea", L"GetHardwareStatus"),
    DeclareMethodParameter(L"Bnt_IntrusionArea", L"GetHardwareStatus", false, L"Status", CIM_UINT32),
    DeclareNamedRecord(L"Bnt_IntrusionArea", L"PanelID", L"Bnt_Panel", L"ID"),
};

constinit const SchemaDeclaration kIntrusionDoorDeclarations[] = {
    DeclareClass(L"Bnt_IntrusionDoor"),
    DeclareBelongsTo(L"Bnt_IntrusionDoor", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_IntrusionDoor", L"noedit", 1),
    DeclareProperty(L"Bnt_IntrusionDoor", L"ID", CIM_SINT32, L"INTRUSION_DEVICE", L"INTRUSION_DEVICEID", 1, 0, 32775,
                    0),
    DeclareProperty(L"Bnt_IntrusionDoor", L"DeviceID", CIM_SINT32, L"INTRUSION_DEVICE", L"DEVICEID", 1, 0, 32775, 0),
    DeclareProperty(L"Bnt_IntrusionDoor", L"PanelID", CIM_SINT32, L"INTRUSION_DEVICE", L"PANELID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_IntrusionDoor", L"Name", CIM_STRING, L"INTRUSION_DEVICE", L"NAME", 0, 64, kNoIdType, 0),
    DeclareProperty(L"Bnt_IntrusionDoor", L"HostName", CIM_STRING, L"ACCESSPANE", L"TERMINALNA", 0, 64, kNoIdType, 0),
    DeclareMethod(L"Bnt_IntrusionDoor", L"Open"),
    DeclareMethod(L"Bnt_IntrusionDoor", L"SetMode"),
    DeclareMethodParameter(L"Bnt_IntrusionDoor", L"SetMode", true, L"Mode", CIM_SINT32),
    DeclareMethod(L"Bnt_IntrusionDoor", L"GetHardwareStatus"),
    DeclareMethodParameter(L"Bnt_IntrusionDoor", L"GetHardwareStatus", false, L"Status", CIM_UINT32),
    DeclareNoRecord(L"Bnt_IntrusionDoor", L"DeviceID",
                    L"the record's own number on its panel, whose record PanelID names"),
    DeclareNamedRecord(L"Bnt_IntrusionDoor", L"PanelID", L"Bnt_Panel", L"ID"),
};

constinit const SchemaDeclaration kOffBoardRelayDeclarations[] = {
    DeclareClass(L"Bnt_OffBoardRelay", L"Bnt_IntrusionOutput"),
    DeclareBelongsTo(L"Bnt_OffBoardRelay", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_OffBoardRelay", L"noedit", 1),
    DeclareProperty(L"Bnt_OffBoardRelay", L"ID", CIM_SINT32, L"INTRUSION_DEVICE", L"INTRUSION_DEVICEID", 1, 0, 32775,
                    0),
    DeclareProperty(L"Bnt_OffBoardRelay", L"DeviceID", CIM_SINT32, L"INTRUSION_DEVICE", L"DEVICEID", 1, 0, 32775, 0),
    DeclareProperty(L"Bnt_OffBoardRelay", L"PanelID", CIM_SINT32, L"INTRUSION_DEVICE", L"PANELID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_OffBoardRelay", L"Name", CIM_STRING, L"INTRUSION_DEVICE", L"NAME", 0, 64, kNoIdType, 0),
    DeclareProperty(L"Bnt_OffBoardRelay", L"HostName", CIM_STRING, L"ACCESSPANE", L"TERMINALNA", 0, 64, kNoIdType, 0),
    DeclareMethod(L"Bnt_OffBoardRelay", L"Activate"),
    DeclareMethod(L"Bnt_OffBoardRelay", L"Deactivate"),
    DeclareMethod(L"Bnt_OffBoardRelay", L"Toggle"),
    DeclareMethod(L"Bnt_OffBoardRelay", L"GetHardwareStatus"),
    DeclareMethodParameter(L"Bnt_OffBoardRelay", L"GetHardwareStatus", false, L"Status", CIM_UINT32),
    DeclareNoRecord(L"Bnt_OffBoardRelay", L"DeviceID",
                    L"the record's own number on its panel, whose record PanelID names"),
    DeclareNamedRecord(L"Bnt_OffBoardRelay", L"PanelID", L"Bnt_Panel", L"ID"),
};

constinit const SchemaDeclaration kOnBoardRelayDeclarations[] = {
    DeclareClass(L"Bnt_OnBoardRelay", L"Bnt_IntrusionOutput"),
    DeclareBelongsTo(L"Bnt_OnBoardRelay", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_OnBoardRelay", L"noedit", 1),
    DeclareProperty(L"Bnt_OnBoardRelay", L"ID", CIM_SINT32, L"INTRUSION_DEVICE", L"INTRUSION_DEVICEID", 1, 0, 32775, 0),
    DeclareProperty(L"Bnt_OnBoardRelay", L"DeviceID", CIM_SINT32, L"INTRUSION_DEVICE", L"DEVICEID", 1, 0, 32775, 0),
    DeclareProperty(L"Bnt_OnBoardRelay", L"PanelID", CIM_SINT32, L"INTRUSION_DEVICE", L"PANELID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_OnBoardRelay", L"Name", CIM_STRING, L"INTRUSION_DEVICE", L"NAME", 0, 64, kNoIdType, 0),
    DeclareProperty(L"Bnt_OnBoardRelay", L"HostName", CIM_STRING, L"ACCESSPANE", L"TERMINALNA", 0, 64, kNoIdType, 0),
    DeclareMethod(L"Bnt_OnBoardRelay", L"Activate"),
    DeclareMethod(L"Bnt_OnBoardRelay", L"Deactivate"),
    DeclareMethod(L"Bnt_OnBoardRelay", L"GetHardwareStatus"),
    DeclareMethodParameter(L"Bnt_OnBoardRelay", L"GetHardwareStatus", false, L"Status", CIM_UINT32),
    DeclareNoRecord(L"Bnt_OnBoardRelay", L"DeviceID",
                    L"the record's own number on its panel, whose record PanelID names"),
    DeclareNamedRecord(L"Bnt_OnBoardRelay", L"PanelID", L"Bnt_Panel", L"ID"),
};

constinit const SchemaDeclaration kIntrusionZoneDeclarations[] = {
    DeclareClass(L"Bnt_IntrusionZone"),
    DeclareBelongsTo(L"Bnt_IntrusionZone", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_IntrusionZone", L"noedit", 1),
    DeclareProperty(L"Bnt_IntrusionZone", L"ID", CIM_SINT32, L"INTRUSION_DEVICE", L"INTRUSION_DEVICEID", 1, 0, 32775,
                    0),
    DeclareProperty(L"Bnt_IntrusionZone", L"DeviceID", CIM_SINT32, L"INTRUSION_DEVICE", L"DEVICEID", 1, 0, 32775, 0),
    DeclareProperty(L"Bnt_IntrusionZone", L"PanelID", CIM_SINT32, L"INTRUSION_DEVICE", L"PANELID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_IntrusionZone", L"Name", CIM_STRING, L"INTRUSION_DEVICE", L"NAME", 0, 64, kNoIdType, 0),
    DeclareProperty(L"Bnt_IntrusionZone", L"HostName", CIM_STRING, L"ACCESSPANE", L"TERMINALNA", 0, 64, kNoIdType, 0),
    DeclareMethod(L"Bnt_IntrusionZone", L"Bypass"),
    DeclareMethod(L"Bnt_IntrusionZone", L"UnBypass"),
    DeclareMethod(L"Bnt_IntrusionZone", L"GetHardwareStatus"),
    DeclareMethodParameter(L"Bnt_IntrusionZone", L"GetHardwareStatus", false, L"Status", CIM_UINT32),
    DeclareNoRecord(L"Bnt_IntrusionZone", L"DeviceID",
                    L"the record's own number on its panel, whose record PanelID names"),
    DeclareNamedRecord(L"Bnt_IntrusionZone", L"PanelID", L"Bnt_Panel", L"ID"),
};

constinit const SchemaDeclaration kIntrusionZoneOutputDeclarations[] = {
    DeclareClass(L"Bnt_IntrusionZoneOutput", L"Bnt_IntrusionOutput"),
    DeclareBelongsTo(L"Bnt_IntrusionZoneOutput", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_IntrusionZoneOutput", L"noedit", 1),
    DeclareProperty(L"Bnt_IntrusionZoneOutput", L"ID", CIM_SINT32, L"INTRUSION_DEVICE", L"INTRUSION_DEVICEID", 1, 0,
                    32775, 0),
    DeclareProperty(L"Bnt_IntrusionZoneOutput", L"DeviceID", CIM_SINT32, L"INTRUSION_DEVICE", L"DEVICEID", 1, 0, 32775,
                    0),
    DeclareProperty(L"Bnt_IntrusionZoneOutput", L"PanelID", CIM_SINT32, L"INTRUSION_DEVICE", L"PANELID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_IntrusionZoneOutput", L"Name", CIM_STRING, L"INTRUSION_DEVICE", L"NAME", 0, 64, kNoIdType, 0),
    DeclareProperty(L"Bnt_IntrusionZoneOutput", L"HostName", CIM_STRING, L"ACCESSPANE", L"TERMINALNA", 0, 64, kNoIdType,
                    0),
    DeclareMethod(L"Bnt_IntrusionZoneOutput", L"Activate"),
    DeclareMethod(L"Bnt_IntrusionZoneOutput", L"Deactivate"),
    DeclareMethod(L"Bnt_IntrusionZoneOutput", L"GetHardwareStatus"),
    DeclareMethodParameter(L"Bnt_IntrusionZoneOutput", L"GetHardwareStatus", false, L"Status", CIM_UINT32),
    DeclareNoRecord(L"Bnt_IntrusionZoneOutput", L"DeviceID",
                    L"the record's own number on its panel, whose record PanelID names"),
    DeclareNamedRecord(L"Bnt_IntrusionZoneOutput", L"PanelID", L"Bnt_Panel", L"ID"),
};

}  // namespace

constinit const SchemaDeclarationTable kIntrusionAreaTable{kIntrusionAreaDeclarations};
constinit const SchemaDeclarationTable kIntrusionDoorTable{kIntrusionDoorDeclarations};
constinit const SchemaDeclarationTable kOffBoardRelayTable{kOffBoardRelayDeclarations};
constinit const SchemaDeclarationTable kOnBoardRelayTable{kOnBoardRelayDeclarations};
constinit const SchemaDeclarationTable kIntrusionZoneTable{kIntrusionZoneDeclarations};
constinit const SchemaDeclarationTable kIntrusionZoneOutputTable{kIntrusionZoneOutputDeclarations};
