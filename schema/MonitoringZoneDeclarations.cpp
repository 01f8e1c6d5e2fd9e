// Declarations of the monitoring zones and their camera, device and recorder links, one
// registration table per mapper source, each in declaration order.
//
// Constant-initialised, read-only tables (see SchemaDeclaration.h).
#include "schema/DeclarationTables.h"

namespace {

constinit const SchemaDeclaration kMonitoringZoneCameraLinkDeclarations[] = {
    DeclareClass(L"Bnt_MonitoringZoneCameraLink"),
    DeclareBelongsTo(L"Bnt_MonitoringZoneCameraLink", L"MonitoringZoneID", L"Bnt_MonitoringZone", L"ID"),
    DeclareBelongsTo(L"Bnt_MonitoringZoneCameraLink", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_MonitoringZoneCameraLink", L"noedit", 1),
    DeclareProperty(L"Bnt_MonitoringZoneCameraLink", L"MonitoringZoneID", CIM_SINT32, L"MONDEVLINK", L"MZID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_MonitoringZoneCameraLink", L"PanelID", CIM_SINT32, L"MONDEVLINK", L"PANELID", 1, 0, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_MonitoringZoneCameraLink", L"CameraID", CIM_SINT32, L"CCTVDEVICE", L"CCTVDEVICEID", 1, 0,
                    kNoIdType, 0),
    DeclareNamedRecord(L"Bnt_MonitoringZoneCameraLink", L"MonitoringZoneID", L"Bnt_MonitoringZone", L"ID"),
    DeclareNamedRecord(L"Bnt_MonitoringZoneCameraLink", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareNamedRecord(L"Bnt_MonitoringZoneCameraLink", L"PanelID,CameraID", L"Bnt_Camera", L"PanelID,ID"),
};

constinit const SchemaDeclaration kMonitoringZoneDeviceLinkDeclarations[] = {
    DeclareClass(L"Bnt_MonitoringZoneDeviceLink"),
    DeclareBelongsTo(L"Bnt_MonitoringZoneDeviceLink", L"MonitoringZoneID", L"Bnt_MonitoringZone", L"ID"),
    DeclareBelongsTo(L"Bnt_MonitoringZoneDeviceLink", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_MonitoringZoneDeviceLink", L"read", 1),
    DeclareProperty(L"Bnt_MonitoringZoneDeviceLink", L"MonitoringZoneID", CIM_SINT32, L"MONDEVLINK", L"MZID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_MonitoringZoneDeviceLink", L"PanelID", CIM_SINT32, L"MONDEVLINK", L"PANELID", 1, 0, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_MonitoringZoneDeviceLink", L"DeviceID", CIM_SINT32, L"MONDEVLINK", L"DEVICEID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_MonitoringZoneDeviceLink", L"InputOutputID", CIM_SINT32, L"MONDEVLINK", L"INPUTOUTPUTID", 1,
                    0, kNoIdType, 0),
    DeclareProperty(L"Bnt_MonitoringZoneDeviceLink", L"AllDevicesOnPanel", CIM_BOOLEAN, L"MONDEVLINK", L"ENTIREDEVICE",
                    0, 0, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_MonitoringZoneDeviceLink", L"MonitoringZoneID", L"not_null", 1),
    DeclarePropertyAttribute(L"Bnt_MonitoringZoneDeviceLink", L"PanelID", L"not_null", 1),
    DeclarePropertyAttribute(L"Bnt_MonitoringZoneDeviceLink", L"DeviceID", L"not_null", 1),
    DeclarePropertyAttribute(L"Bnt_MonitoringZoneDeviceLink", L"InputOutputID", L"not_null", 1),
    DeclarePropertyAttribute(L"Bnt_MonitoringZoneDeviceLink", L"AllDevicesOnPanel", L"not_null", 1),
    DeclareNamedRecord(L"Bnt_MonitoringZoneDeviceLink", L"MonitoringZoneID", L"Bnt_MonitoringZone", L"ID",
                       NamedRecordRoad::kMapperSegmentRefusal),
    DeclareNamedRecord(L"Bnt_MonitoringZoneDeviceLink", L"PanelID", L"Bnt_Panel", L"ID",
                       NamedRecordRoad::kMapperSegmentRefusal),
    DeclareNoRecord(L"Bnt_MonitoringZoneDeviceLink", L"DeviceID",
                    L"a device number on the panel PanelID names (0: the whole panel)"),
    DeclareNoRecord(L"Bnt_MonitoringZoneDeviceLink", L"InputOutputID",
                    L"an input or output number of the device (0: the whole device)"),
};

constinit const SchemaDeclaration kMonitoringZoneDeclarations[] = {
    DeclareClass(L"Bnt_MonitoringZone"),
    DeclareOwnSegment(L"Bnt_MonitoringZone", L"MONZONE", L"SEGMENTID", SegmentOptionSegments),
    DeclareClassWidePropertyAttribute(L"Bnt_MonitoringZone", L"noedit", 1),
    DeclareProperty(L"Bnt_MonitoringZone", L"ID", CIM_SINT32, L"MONZONE", L"MZID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_MonitoringZone", L"SegmentID", CIM_SINT32, L"MONZONE", L"SEGMENTID", 1, 0, kNoIdType, 1),
    DeclareProperty(L"Bnt_MonitoringZone", L"Name", CIM_STRING, L"MONZONE", L"MZDESCR", 1, 255, kNoIdType, 0),
    DeclareNoRecord(
        L"Bnt_MonitoringZone", L"SegmentID",
        L"the record's own segment: the segment step refuses one the caller cannot reach or that does not exist"),
};

constinit const SchemaDeclaration kMonitoringZoneRecorderLinkDeclarations[] = {
    DeclareClass(L"Bnt_MonitoringZoneRecorderLink", L"Bnt_MonitoringZoneDeviceLink"),
    DeclareBelongsTo(L"Bnt_MonitoringZoneRecorderLink", L"MonitoringZoneID", L"Bnt_MonitoringZone", L"ID"),
    DeclareBelongsTo(L"Bnt_MonitoringZoneRecorderLink", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_MonitoringZoneRecorderLink", L"read", 1),
    DeclareProperty(L"Bnt_MonitoringZoneRecorderLink", L"MonitoringZoneID", CIM_SINT32, L"MONDEVLINK", L"MZID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_MonitoringZoneRecorderLink", L"PanelID", CIM_SINT32, L"MONDEVLINK", L"PANELID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_MonitoringZoneRecorderLink", L"DeviceID", CIM_SINT32, L"MONDEVLINK", L"DEVICEID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_MonitoringZoneRecorderLink", L"InputOutputID", CIM_SINT32, L"MONDEVLINK", L"INPUTOUTPUTID", 1,
                    0, kNoIdType, 0),
    DeclareProperty(L"Bnt_MonitoringZoneRecorderLink", L"AllDevicesOnPanel", CIM_BOOLEAN, L"MONDEVLINK",
                    L"ENTIREDEVICE", 0, 0, kNoIdType, 0),
    DeclareNamedRecord(L"Bnt_MonitoringZoneRecorderLink", L"MonitoringZoneID", L"Bnt_MonitoringZone", L"ID",
                       NamedRecordRoad::kMapperSegmentRefusal),
    DeclareNamedRecord(L"Bnt_MonitoringZoneRecorderLink", L"PanelID", L"Bnt_Panel", L"ID",
                       NamedRecordRoad::kMapperSegmentRefusal),
    DeclareNoRecord(L"Bnt_MonitoringZoneRecorderLink", L"DeviceID",
                    L"a device number on the recorder PanelID names (0: the whole recorder)"),
    DeclareNoRecord(L"Bnt_MonitoringZoneRecorderLink", L"InputOutputID",
                    L"an input or output number of the device (0: the whole device)"),
};

}  // namespace

constinit const SchemaDeclarationTable kMonitoringZoneCameraLinkTable{kMonitoringZoneCameraLinkDeclarations};
constinit const SchemaDeclarationTable kMonitoringZoneDeviceLinkTable{kMonitoringZoneDeviceLinkDeclarations};
constinit const SchemaDeclarationTable kMonitoringZoneTable{kMonitoringZoneDeclarations};
constinit const SchemaDeclarationTable kMonitoringZoneRecorderLinkTable{kMonitoringZoneRecorderLinkDeclarations};
