// Declarations of the event catalogue: event types, subtypes, parameters and their links, one
// registration table per mapper source, each in declaration order.
//
// Constant-initialised, read-only tables (see SchemaDeclaration.h).
#include "schema/DeclarationTables.h"

namespace {

constinit const SchemaDeclaration kEventAlarmDefinitionLinkDeclarations[] = {
    DeclareClass(L"Bnt_EventAlarmDefinitionLink"),
    DeclareBelongsTo(L"Bnt_EventAlarmDefinitionLink", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareBelongsToWhenNamed(L"Bnt_EventAlarmDefinitionLink", L"AlarmDefinitionID", L"Bnt_AlarmDefinition", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_EventAlarmDefinitionLink", L"noedit", 1),
    DeclareProperty(L"Bnt_EventAlarmDefinitionLink", L"PanelID", CIM_SINT32, L"EVTALMLINK", L"PANELID", 1, 0, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_EventAlarmDefinitionLink", L"DeviceID", CIM_SINT32, L"EVTALMLINK", L"DEVICEID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_EventAlarmDefinitionLink", L"SecondaryDeviceID", CIM_SINT32, L"EVTALMLINK", L"INPUTDEVID", 1,
                    0, kNoIdType, 0),
    DeclareProperty(L"Bnt_EventAlarmDefinitionLink", L"EventTypeID", CIM_SINT32, L"EVTALMLINK", L"EVTYPEID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_EventAlarmDefinitionLink", L"EventSubtypeDefinitionID", CIM_SINT32, L"EVTALMLINK", L"EVID", 1,
                    0, kNoIdType, 0),
    DeclareProperty(L"Bnt_EventAlarmDefinitionLink", L"AlarmDefinitionID", CIM_SINT32, L"EVTALMLINK", L"ALID", 0, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_EventAlarmDefinitionLink", L"EventParameterID", CIM_SINT32, L"EVTALMLINK", L"EVENT_PARAMID",
                    1, 0, kNoIdType, 0),
    DeclareNamedRecord(L"Bnt_EventAlarmDefinitionLink", L"AlarmDefinitionID", L"Bnt_AlarmDefinition", L"ID"),
    DeclareNamedRecord(L"Bnt_EventAlarmDefinitionLink", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareNoRecord(L"Bnt_EventAlarmDefinitionLink", L"DeviceID",
                    L"a device number on the panel PanelID names (0: the panel itself)"),
    DeclareNoRecord(L"Bnt_EventAlarmDefinitionLink", L"SecondaryDeviceID",
                    L"a sub-device number of the device (0: the device itself)"),
    DeclareNamedRecord(L"Bnt_EventAlarmDefinitionLink", L"EventTypeID", L"Bnt_EventType", L"ID"),
    DeclareNoRecord(L"Bnt_EventAlarmDefinitionLink", L"EventSubtypeDefinitionID",
                    L"the event's number within its type, which EventTypeID names"),
    DeclareNoRecord(L"Bnt_EventAlarmDefinitionLink", L"EventParameterID",
                    L"the event parameter's number (0: any parameter)"),
};

constinit const SchemaDeclaration kEventParameterDeclarations[] = {
    DeclareClass(L"Bnt_EventParameter"),
    DeclareNotSegmented(L"Bnt_EventParameter", L"The event parameters are the installation's fixed catalogue."),
    DeclareClassWidePropertyAttribute(L"Bnt_EventParameter", L"noedit", 1),
    DeclareProperty(L"Bnt_EventParameter", L"ID", CIM_SINT32, L"EVENT_PARAM", L"EVENT_PARAMID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_EventParameter", L"Value", CIM_SINT32, L"EVENT_PARAM", L"PARAMVALUE", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_EventParameter", L"Description", CIM_STRING, L"EVENT_PARAM", L"DESCRIPTION", 0, 128,
                    kNoIdType, 0),
};

constinit const SchemaDeclaration kEventSubtypeDefinitionDeclarations[] = {
    DeclareClass(L"Bnt_EventSubtypeDefinition"),
    DeclareNotSegmented(L"Bnt_EventSubtypeDefinition", L"The event subtypes are the installation's fixed catalogue."),
    DeclareClassWidePropertyAttribute(L"Bnt_EventSubtypeDefinition", L"noedit", 1),
    DeclareProperty(L"Bnt_EventSubtypeDefinition", L"ID", CIM_SINT32, L"EVENT", L"EVENTID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_EventSubtypeDefinition", L"TypeID", CIM_SINT32, L"EVENT", L"EVTYPEID", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_EventSubtypeDefinition", L"SubtypeID", CIM_SINT32, L"EVENT", L"EVID", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_EventSubtypeDefinition", L"Description", CIM_STRING, L"EVENT", L"EVDESCR", 0, 128, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_EventSubtypeDefinition", L"SupportParameters", CIM_SINT32, L"EVENT", L"SUPPORT_PARAMS", 0, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_EventSubtypeDefinition", L"Category", CIM_SINT32, L"EVENT", L"CATEGORY", 0, 0, kNoIdType, 0),
    DeclareNamedRecord(L"Bnt_EventSubtypeDefinition", L"TypeID", L"Bnt_EventType", L"ID"),
    DeclareNoRecord(L"Bnt_EventSubtypeDefinition", L"SubtypeID", L"the event's own number within its type"),
};

constinit const SchemaDeclaration kEventSubtypeParameterLinkDeclarations[] = {
    DeclareClass(L"Bnt_EventSubtypeParameterLink"),
    DeclareNotSegmented(L"Bnt_EventSubtypeParameterLink",
                        L"The links of the event catalogue are the installation's fixed catalogue."),
    DeclareClassWidePropertyAttribute(L"Bnt_EventSubtypeParameterLink", L"noedit", 1),
    DeclareProperty(L"Bnt_EventSubtypeParameterLink", L"EventSubtypeDefinitionID", CIM_SINT32,
                    L"EVENT_TO_EVENT_PARAM_LINK", L"EVENTID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_EventSubtypeParameterLink", L"EventParameterID", CIM_SINT32, L"EVENT_TO_EVENT_PARAM_LINK",
                    L"EVENT_PARAMID", 1, 0, kNoIdType, 0),
    DeclareNamedRecord(L"Bnt_EventSubtypeParameterLink", L"EventSubtypeDefinitionID", L"Bnt_EventSubtypeDefinition",
                       L"ID"),
    DeclareNamedRecord(L"Bnt_EventSubtypeParameterLink", L"EventParameterID", L"Bnt_EventParameter", L"ID"),
};

constinit const SchemaDeclaration kEventTypeDeclarations[] = {
    DeclareClass(L"Bnt_EventType"),
    DeclareNotSegmented(L"Bnt_EventType", L"The event types are the installation's fixed catalogue."),
    DeclareClassWidePropertyAttribute(L"Bnt_EventType", L"noedit", 1),
    DeclareProperty(L"Bnt_EventType", L"ID", CIM_SINT32, L"EVENTYPE", L"EVTYPEID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_EventType", L"Description", CIM_STRING, L"EVENTYPE", L"EVTDESCR", 0, 128, kNoIdType, 0),
};

}  // namespace

constinit const SchemaDeclarationTable kEventAlarmDefinitionLinkTable{kEventAlarmDefinitionLinkDeclarations};
constinit const SchemaDeclarationTable kEventParameterTable{kEventParameterDeclarations};
constinit const SchemaDeclarationTable kEventSubtypeDefinitionTable{kEventSubtypeDefinitionDeclarations};
constinit const SchemaDeclarationTable kEventSubtypeParameterLinkTable{kEventSubtypeParameterLinkDeclarations};
constinit const SchemaDeclarationTable kEventTypeTable{kEventTypeDeclarations};
