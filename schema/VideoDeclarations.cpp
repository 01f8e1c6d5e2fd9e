// Declarations of the cameras, their presets and the video layouts, layout sources and
// templates, one registration table per mapper source, each in declaration order.
//
// Constant-initialised, read-only tables (see SchemaDeclaration.h).
#include "schema/DeclarationTables.h"

namespace {

constinit const SchemaDeclaration kCameraDeclarations[] = {
    DeclareClass(L"Bnt_Camera"),
    DeclareBelongsTo(L"Bnt_Camera", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_Camera", L"noedit", 1),
    DeclareProperty(L"Bnt_Camera", L"Name", CIM_STRING, L"CCTVDEVICE", L"NAME", 0, 96, kNoIdType, 0),
    DeclareProperty(L"Bnt_Camera", L"ID", CIM_SINT32, L"CCTVDEVICE", L"CCTVDEVICEID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_Camera", L"PanelID", CIM_SINT32, L"CCTVDEVICE", L"PANELID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_Camera", L"CameraType", CIM_SINT32, L"CCTVDEVICE", L"CAMERATYPEID", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_Camera", L"Channel", CIM_SINT32, L"CCTVDEVICE", L"CHANNEL", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_Camera", L"VideoStandard", CIM_STRING, L"CCTVDEVICE", L"VIDEO_STANDARD", 0, 32, kNoIdType, 0),
    DeclareProperty(L"Bnt_Camera", L"IPAddress", CIM_SINT32, L"CCTVDEVICE", L"IP_ADDRESS", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_Camera", L"Port", CIM_SINT32, L"CCTVDEVICE", L"PORT", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_Camera", L"HorizontalResolution", CIM_SINT32, L"CCTVDEVICE", L"RESOLUTIONX", 0, 0, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_Camera", L"VerticalResolution", CIM_SINT32, L"CCTVDEVICE", L"RESOLUTIONY", 0, 0, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_Camera", L"MotionBitRate", CIM_SINT32, L"CCTVDEVICE", L"MOTIONBITRATE", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_Camera", L"NonMotionBitRate", CIM_SINT32, L"CCTVDEVICE", L"NONMOTIONBITRATE", 0, 0, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_Camera", L"FrameRate", CIM_SINT32, L"CCTVDEVICE", L"FRAMERATE", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_Camera", L"CameraTypeName", CIM_STRING, L"CCTVDEVICE", L"TYPENAME", 0, 64, kNoIdType, 0),
    DeclareProperty(L"Bnt_Camera", L"Workstation", CIM_STRING, L"ACCESSPANE", L"TERMINALNA", 0, 64, kNoIdType, 0),
    DeclareMethod(L"Bnt_Camera", L"GetHardwareStatus"),
    DeclareMethodParameter(L"Bnt_Camera", L"GetHardwareStatus", false, L"Status", CIM_UINT32),
    DeclareNamedRecord(L"Bnt_Camera", L"PanelID", L"Bnt_Panel", L"ID"),
};

constinit const SchemaDeclaration kPTZPresetDeclarations[] = {
    DeclareClass(L"Bnt_PTZPreset"),
    DeclareBelongsTo(L"Bnt_PTZPreset", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_PTZPreset", L"noedit", 1),
    DeclareProperty(L"Bnt_PTZPreset", L"PresetID", CIM_SINT32, L"PTZ_PRESET", L"PTZ_PRESETID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_PTZPreset", L"PanelID", CIM_SINT32, L"PTZ_PRESET", L"PANELID", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_PTZPreset", L"Channel", CIM_SINT32, L"PTZ_PRESET", L"CHANNEL", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_PTZPreset", L"Name", CIM_STRING, L"PTZ_PRESET", L"NAME", 0, 512, kNoIdType, 0),
    DeclareProperty(L"Bnt_PTZPreset", L"PresetType", CIM_SINT32, L"PTZ_PRESET", L"PRESET_TYPE", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_PTZPreset", L"Pan", CIM_REAL32, L"PTZ_PRESET", L"PAN", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_PTZPreset", L"Tilt", CIM_REAL32, L"PTZ_PRESET", L"TILT", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_PTZPreset", L"Zoom", CIM_REAL32, L"PTZ_PRESET", L"ZOOM", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_PTZPreset", L"CameraPreset", CIM_SINT32, L"PTZ_PRESET", L"CAMERA_PRESET", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_PTZPreset", L"Duration", CIM_SINT32, L"PTZ_PRESET", L"DURATION", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_PTZPreset", L"Focus", CIM_REAL32, L"PTZ_PRESET", L"FOCUS", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_PTZPreset", L"Iris", CIM_REAL32, L"PTZ_PRESET", L"IRIS", 0, 0, kNoIdType, 0),
    DeclareNoRecord(L"Bnt_PTZPreset", L"PresetID", L"the preset's own number"),
    DeclareNamedRecord(L"Bnt_PTZPreset", L"PanelID", L"Bnt_Panel", L"ID"),
};

constinit const SchemaDeclaration kVideoLayoutDeclarations[] = {
    DeclareClass(L"Bnt_VideoLayout"),
    DeclareNotSegmented(L"Bnt_VideoLayout",
                        L"A video layout arranges the cells of a workstation; its sources follow their cameras."),
    DeclareClassWidePropertyAttribute(L"Bnt_VideoLayout", L"noedit", 1),
    DeclareProperty(L"Bnt_VideoLayout", L"VideoLayoutID", CIM_SINT32, L"VIDEO_LAYOUT", L"VIDEO_LAYOUTID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_VideoLayout", L"LayoutName", CIM_STRING, L"VIDEO_LAYOUT", L"NAME", 0, 255, kNoIdType, 0),
    DeclareProperty(L"Bnt_VideoLayout", L"VideoTemplateID", CIM_SINT32, L"VIDEO_LAYOUT", L"VIDEO_TEMPLATEID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_VideoLayout", L"UserID", CIM_SINT32, L"VIDEO_LAYOUT", L"USERID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_VideoLayout", L"WorkStationID", CIM_SINT32, L"VIDEO_LAYOUT", L"WRKSTATIONID", 1, 0, kNoIdType,
                    0),
    DeclareNoRecord(L"Bnt_VideoLayout", L"VideoLayoutID", L"the layout's own number"),
    DeclareNamedRecord(L"Bnt_VideoLayout", L"VideoTemplateID", L"Bnt_VideoTemplate", L"TemplateID"),
    DeclareNamedRecord(L"Bnt_VideoLayout", L"UserID", L"Bnt_User", L"ID"),
    DeclareNamedRecord(L"Bnt_VideoLayout", L"WorkStationID", L"Bnt_WorkStation", L"WorkStationID"),
};

constinit const SchemaDeclaration kVideoLayoutSourceDeclarations[] = {
    DeclareClass(L"Bnt_VideoLayoutSource"),
    DeclareBelongsTo(L"Bnt_VideoLayoutSource", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_VideoLayoutSource", L"noedit", 1),
    DeclareProperty(L"Bnt_VideoLayoutSource", L"VideoSourceID", CIM_SINT32, L"VIDEO_SOURCE", L"VIDEO_SOURCEID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_VideoLayoutSource", L"PanelID", CIM_SINT32, L"VIDEO_SOURCE", L"PANELID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_VideoLayoutSource", L"CameraID", CIM_SINT32, L"VIDEO_SOURCE", L"CCTVDEVICEID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_VideoLayoutSource", L"LayoutID", CIM_SINT32, L"VIDEO_SOURCE", L"VIDEO_LAYOUTID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_VideoLayoutSource", L"LayoutCellID", CIM_SINT32, L"VIDEO_SOURCE", L"LAYOUT_CELLID", 1, 0,
                    kNoIdType, 0),
    DeclareNoRecord(L"Bnt_VideoLayoutSource", L"VideoSourceID", L"the source's own number"),
    DeclareNamedRecord(L"Bnt_VideoLayoutSource", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareNamedRecord(L"Bnt_VideoLayoutSource", L"PanelID,CameraID", L"Bnt_Camera", L"PanelID,ID"),
    DeclareNamedRecord(L"Bnt_VideoLayoutSource", L"LayoutID", L"Bnt_VideoLayout", L"VideoLayoutID"),
    DeclareNoRecord(L"Bnt_VideoLayoutSource", L"LayoutCellID", L"the cell's number within the layout LayoutID names"),
};

constinit const SchemaDeclaration kVideoTemplateDeclarations[] = {
    DeclareClass(L"Bnt_VideoTemplate"),
    DeclareNotSegmented(L"Bnt_VideoTemplate", L"The video templates are the installation's fixed catalogue."),
    DeclareClassWidePropertyAttribute(L"Bnt_VideoTemplate", L"noedit", 1),
    DeclareProperty(L"Bnt_VideoTemplate", L"TemplateID", CIM_SINT32, L"VIDEO_TEMPLATE", L"VIDEO_TEMPLATEID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_VideoTemplate", L"TemplateName", CIM_STRING, L"VIDEO_TEMPLATE", L"NAME", 0, 255, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_VideoTemplate", L"TemplateXml", CIM_STRING, L"VIDEO_TEMPLATE", L"TEMPLATE_XML", 0, 2048,
                    kNoIdType, 0),
    DeclareNoRecord(L"Bnt_VideoTemplate", L"TemplateID", L"the template's own number"),
};

}  // namespace

constinit const SchemaDeclarationTable kCameraTable{kCameraDeclarations};
constinit const SchemaDeclarationTable kPTZPresetTable{kPTZPresetDeclarations};
constinit const SchemaDeclarationTable kVideoLayoutTable{kVideoLayoutDeclarations};
constinit const SchemaDeclarationTable kVideoLayoutSourceTable{kVideoLayoutSourceDeclarations};
constinit const SchemaDeclarationTable kVideoTemplateTable{kVideoTemplateDeclarations};
