// Declarations of the alarm inputs and outputs and the two inputs and two outputs of each
// reader, one registration table per mapper source, each in declaration order.
//
// Constant-initialised, read-only tables (see SchemaDeclaration.h).
#include "schema/DeclarationTables.h"

namespace {

constinit const SchemaDeclaration kAlarmInputDeclarations[] = {
    DeclareClass(L"Bnt_AlarmInput", L"Bnt_Input"),
    DeclareBelongsTo(L"Bnt_AlarmInput", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_AlarmInput", L"noedit", 1),
    DeclareProperty(L"Bnt_AlarmInput", L"HostName", CIM_STRING, L"ACCESSPANE", L"TERMINALNA", 0, 64, kNoIdType, 0),
    DeclareProperty(L"Bnt_AlarmInput", L"Name", CIM_STRING, L"ALARMINPUT", L"NAME", 0, 64, kNoIdType, 0),
    DeclareProperty(L"Bnt_AlarmInput", L"ID", CIM_SINT32, L"ALARMINPUT", L"ALARMINPUTID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_AlarmInput", L"PanelID", CIM_SINT32, L"ALARMINPUT", L"PANELID", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_AlarmInput", L"AlarmPanelID", CIM_SINT32, L"ALARMINPUT", L"ALARMPID", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_AlarmInput", L"InputID", CIM_SINT32, L"ALARMINPUT", L"INPUTID", 0, 0, kNoIdType, 0),
    DeclareMethod(L"Bnt_AlarmInput", L"Mask"),
    DeclareMethod(L"Bnt_AlarmInput", L"Unmask"),
    DeclareMethod(L"Bnt_AlarmInput", L"GetHardwareStatus"),
    DeclareMethodParameter(L"Bnt_AlarmInput", L"GetHardwareStatus", false, L"Status", CIM_UINT32),
    DeclareNamedRecord(L"Bnt_AlarmInput", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareNoRecord(L"Bnt_AlarmInput", L"AlarmPanelID", L"the alarm panel's number on the panel PanelID names"),
    DeclareNoRecord(L"Bnt_AlarmInput", L"InputID", L"the record's own number on its panel, whose record PanelID names"),
};

constinit const SchemaDeclaration kAlarmOutputDeclarations[] = {
    DeclareClass(L"Bnt_AlarmOutput", L"Bnt_Output"),
    DeclareBelongsTo(L"Bnt_AlarmOutput", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_AlarmOutput", L"noedit", 1),
    DeclareProperty(L"Bnt_AlarmOutput", L"HostName", CIM_STRING, L"ACCESSPANE", L"TERMINALNA", 0, 64, kNoIdType, 0),
    DeclareProperty(L"Bnt_AlarmOutput", L"Name", CIM_STRING, L"RELAYOUTPT", L"NAME", 0, 64, kNoIdType, 0),
    DeclareProperty(L"Bnt_AlarmOutput", L"ID", CIM_SINT32, L"RELAYOUTPT", L"RELAYOUTPTID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_AlarmOutput", L"PanelID", CIM_SINT32, L"RELAYOUTPT", L"PANELID", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_AlarmOutput", L"AlarmPanelID", CIM_SINT32, L"RELAYOUTPT", L"ALARMPID", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_AlarmOutput", L"OutputID", CIM_SINT32, L"RELAYOUTPT", L"OUTPUTID", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_AlarmOutput", L"Duration", CIM_SINT32, L"RELAYOUTPT", L"PULSEDURAT", 0, 0, kNoIdType, 0),
    DeclareMethod(L"Bnt_AlarmOutput", L"Activate"),
    DeclareMethod(L"Bnt_AlarmOutput", L"Deactivate"),
    DeclareMethod(L"Bnt_AlarmOutput", L"Pulse"),
    DeclareMethod(L"Bnt_AlarmOutput", L"GetHardwareStatus"),
    DeclareMethodParameter(L"Bnt_AlarmOutput", L"GetHardwareStatus", false, L"Status", CIM_UINT32),
    DeclareNamedRecord(L"Bnt_AlarmOutput", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareNoRecord(L"Bnt_AlarmOutput", L"AlarmPanelID", L"the alarm panel's number on the panel PanelID names"),
    DeclareNoRecord(L"Bnt_AlarmOutput", L"OutputID",
                    L"the record's own number on its panel, whose record PanelID names"),
};

constinit const SchemaDeclaration kReaderInput1Declarations[] = {
    DeclareClass(L"Bnt_ReaderInput1", L"Bnt_ReaderInput"),
    DeclareBelongsTo(L"Bnt_ReaderInput1", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_ReaderInput1", L"noedit", 1),
    DeclareProperty(L"Bnt_ReaderInput1", L"ReaderID", CIM_SINT32, L"READER", L"READERID", 1, 0, 32775, 0),
    DeclareProperty(L"Bnt_ReaderInput1", L"PanelID", CIM_SINT32, L"READER", L"PANELID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_ReaderInput1", L"Name", CIM_STRING, L"READER", L"AUX1NAME", 0, 32, kNoIdType, 0),
    DeclareProperty(L"Bnt_ReaderInput1", L"HostName", CIM_STRING, L"ACCESSPANE", L"TERMINALNA", 0, 64, kNoIdType, 0),
    DeclareMethod(L"Bnt_ReaderInput1", L"Mask"),
    DeclareMethod(L"Bnt_ReaderInput1", L"Unmask"),
    DeclareMethod(L"Bnt_ReaderInput1", L"GetHardwareStatus"),
    DeclareMethodParameter(L"Bnt_ReaderInput1", L"GetHardwareStatus", false, L"Status", CIM_UINT32),
    DeclareNoRecord(L"Bnt_ReaderInput1", L"ReaderID",
                    L"the reader's own number on its panel, whose record PanelID names"),
    DeclareNamedRecord(L"Bnt_ReaderInput1", L"PanelID", L"Bnt_Panel", L"ID"),
};

constinit const SchemaDeclaration kReaderInput2Declarations[] = {
    DeclareClass(L"Bnt_ReaderInput2", L"Bnt_ReaderInput"),
    DeclareBelongsTo(L"Bnt_ReaderInput2", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_ReaderInput2", L"noedit", 1),
    DeclareProperty(L"Bnt_ReaderInput2", L"ReaderID", CIM_SINT32, L"READER", L"READERID", 1, 0, 32775, 0),
    DeclareProperty(L"Bnt_ReaderInput2", L"PanelID", CIM_SINT32, L"READER", L"PANELID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_ReaderInput2", L"Name", CIM_STRING, L"READER", L"AUX2NAME", 0, 32, kNoIdType, 0),
    DeclareProperty(L"Bnt_ReaderInput2", L"HostName", CIM_STRING, L"ACCESSPANE", L"TERMINALNA", 0, 64, kNoIdType, 0),
    DeclareMethod(L"Bnt_ReaderInput2", L"Mask"),
    DeclareMethod(L"Bnt_ReaderInput2", L"Unmask"),
    DeclareMethod(L"Bnt_ReaderInput2", L"GetHardwareStatus"),
    DeclareMethodParameter(L"Bnt_ReaderInput2", L"GetHardwareStatus", false, L"Status", CIM_UINT32),
    DeclareNoRecord(L"Bnt_ReaderInput2", L"ReaderID",
                    L"the reader's own number on its panel, whose record PanelID names"),
    DeclareNamedRecord(L"Bnt_ReaderInput2", L"PanelID", L"Bnt_Panel", L"ID"),
};

constinit const SchemaDeclaration kReaderOutput1Declarations[] = {
    DeclareClass(L"Bnt_ReaderOutput1", L"Bnt_ReaderOutput"),
    DeclareBelongsTo(L"Bnt_ReaderOutput1", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_ReaderOutput1", L"noedit", 1),
    DeclareProperty(L"Bnt_ReaderOutput1", L"ReaderID", CIM_SINT32, L"READER", L"READERID", 1, 0, 32775, 0),
    DeclareProperty(L"Bnt_ReaderOutput1", L"PanelID", CIM_SINT32, L"READER", L"PANELID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_ReaderOutput1", L"Name", CIM_STRING, L"READER", L"OUT1NAME", 0, 32, kNoIdType, 0),
    DeclareProperty(L"Bnt_ReaderOutput1", L"HostName", CIM_STRING, L"ACCESSPANE", L"TERMINALNA", 0, 64, kNoIdType, 0),
    DeclareMethod(L"Bnt_ReaderOutput1", L"Activate"),
    DeclareMethod(L"Bnt_ReaderOutput1", L"Deactivate"),
    DeclareMethod(L"Bnt_ReaderOutput1", L"Pulse"),
    DeclareMethod(L"Bnt_ReaderOutput1", L"GetHardwareStatus"),
    DeclareMethodParameter(L"Bnt_ReaderOutput1", L"GetHardwareStatus", false, L"Status", CIM_UINT32),
    DeclareNoRecord(L"Bnt_ReaderOutput1", L"ReaderID",
                    L"the reader's own number on its panel, whose record PanelID names"),
    DeclareNamedRecord(L"Bnt_ReaderOutput1", L"PanelID", L"Bnt_Panel", L"ID"),
};

constinit const SchemaDeclaration kReaderOutput2Declarations[] = {
    DeclareClass(L"Bnt_ReaderOutput2", L"Bnt_ReaderOutput"),
    DeclareBelongsTo(L"Bnt_ReaderOutput2", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_ReaderOutput2", L"noedit", 1),
    DeclareProperty(L"Bnt_ReaderOutput2", L"ReaderID", CIM_SINT32, L"READER", L"READERID", 1, 0, 32775, 0),
    DeclareProperty(L"Bnt_ReaderOutput2", L"PanelID", CIM_SINT32, L"READER", L"PANELID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_ReaderOutput2", L"Name", CIM_STRING, L"READER", L"OUT2NAME", 0, 32, kNoIdType, 0),
    DeclareProperty(L"Bnt_ReaderOutput2", L"HostName", CIM_STRING, L"ACCESSPANE", L"TERMINALNA", 0, 64, kNoIdType, 0),
    DeclareMethod(L"Bnt_ReaderOutput2", L"Activate"),
    DeclareMethod(L"Bnt_ReaderOutput2", L"Deactivate"),
    DeclareMethod(L"Bnt_ReaderOutput2", L"Pulse"),
    DeclareMethod(L"Bnt_ReaderOutput2", L"GetHardwareStatus"),
    DeclareMethodParameter(L"Bnt_ReaderOutput2", L"GetHardwareStatus", false, L"Status", CIM_UINT32),
    DeclareNoRecord(L"Bnt_ReaderOutput2", L"ReaderID",
                    L"the reader's own number on its panel, whose record PanelID names"),
    DeclareNamedRecord(L"Bnt_ReaderOutput2", L"PanelID", L"Bnt_Panel", L"ID"),
};

}  // namespace

constinit const SchemaDeclarationTable kAlarmInputTable{kAlarmInputDeclarations};
constinit const SchemaDeclarationTable kAlarmOutputTable{kAlarmOutputDeclarations};
constinit const SchemaDeclarationTable kReaderInput1Table{kReaderInput1Declarations};
constinit const SchemaDeclarationTable kReaderInput2Table{kReaderInput2Declarations};
constinit const SchemaDeclarationTable kReaderOutput1Table{kReaderOutput1Declarations};
constinit const SchemaDeclarationTable kReaderOutput2Table{kReaderOutput2Declarations};
