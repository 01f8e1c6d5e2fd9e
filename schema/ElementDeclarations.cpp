// Declarations of the root class Bnt_Element and the abstract classes declared in its module:
// the inputs and outputs, the reader inputs and outputs, the intrusion outputs, the multimedia-
// object owners and the badge owners, in declaration order: one mapper source, one registration
// table.
//
// Constant-initialised, read-only tables (see SchemaDeclaration.h).
#include "schema/DeclarationTables.h"

namespace {

constinit const SchemaDeclaration kElementDeclarations[] = {
    DeclareRootClass(L"Bnt_Element"),

    DeclareAbstractClass(L"Bnt_Output", L"Bnt_Element"),
    DeclareClassWidePropertyAttribute(L"Bnt_Output", L"noedit", 1),
    DeclareProperty(L"Bnt_Output", L"PanelID", CIM_SINT32, L"", L"", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_Output", L"Name", CIM_STRING, L"", L"", 0, 32, kNoIdType, 0),
    DeclareProperty(L"Bnt_Output", L"HostName", CIM_STRING, L"", L"", 0, 64, kNoIdType, 0),
    DeclareNamedRecord(L"Bnt_Output", L"PanelID", L"Bnt_Panel", L"ID"),

    DeclareAbstractClass(L"Bnt_Input", L"Bnt_Element"),
    DeclareClassWidePropertyAttribute(L"Bnt_Input", L"noedit", 1),
    DeclareProperty(L"Bnt_Input", L"PanelID", CIM_SINT32, L"", L"", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_Input", L"Name", CIM_STRING, L"", L"", 0, 32, kNoIdType, 0),
    DeclareProperty(L"Bnt_Input", L"HostName", CIM_STRING, L"", L"", 0, 64, kNoIdType, 0),
    DeclareNamedRecord(L"Bnt_Input", L"PanelID", L"Bnt_Panel", L"ID"),

    DeclareAbstractClass(L"Bnt_ReaderInput", L"Bnt_Input"),
    DeclareClassWidePropertyAttribute(L"Bnt_ReaderInput", L"noedit", 1),
    DeclareProperty(L"Bnt_ReaderInput", L"ReaderID", CIM_SINT32, L"READER", L"READERID", 1, 0, 32775, 0),
    DeclareProperty(L"Bnt_ReaderInput", L"PanelID", CIM_SINT32, L"READER", L"PANELID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_ReaderInput", L"Name", CIM_STRING, L"READER", L"AUX1NAME", 0, 32, kNoIdType, 0),
    DeclareProperty(L"Bnt_ReaderInput", L"HostName", CIM_STRING, L"ACCESSPANE", L"TERMINALNA", 0, 64, kNoIdType, 0),
    DeclareNoRecord(L"Bnt_ReaderInput", L"ReaderID",
                    L"the reader's own number on its panel, whose record PanelID names"),
    DeclareNamedRecord(L"Bnt_ReaderInput", L"PanelID", L"Bnt_Panel", L"ID"),

    DeclareAbstractClass(L"Bnt_ReaderOutput", L"Bnt_Output"),
    DeclareClassWidePropertyAttribute(L"Bnt_ReaderOutput", L"noedit", 1),
    DeclareProperty(L"Bnt_ReaderOutput", L"ReaderID", CIM_SINT32, L"READER", L"READERID", 1, 0, 32775, 0),
    DeclareProperty(L"Bnt_ReaderOutput", L"PanelID", CIM_SINT32, L"READER", L"PANELID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_ReaderOutput", L"Name", CIM_STRING, L"READER", L"OUT1NAME", 0, 32, kNoIdType, 0),
    DeclareProperty(L"Bnt_ReaderOutput", L"HostName", CIM_STRING, L"ACCESSPANE", L"TERMINALNA", 0, 64, kNoIdType, 0),
    DeclareNoRecord(L"Bnt_ReaderOutput", L"ReaderID",
                    L"the reader's own number on its panel, whose record PanelID names"),
    DeclareNamedRecord(L"Bnt_ReaderOutput", L"PanelID", L"Bnt_Panel", L"ID"),

    DeclareAbstractClass(L"Bnt_IntrusionOutput", L"Bnt_Output"),
    DeclareClassWidePropertyAttribute(L"Bnt_IntrusionOutput", L"noedit", 1),
    DeclareProperty(L"Bnt_IntrusionOutput", L"DeviceID", CIM_SINT32, L"INTRUSION_DEVICE", L"DEVICEID", 0, 0, 32775, 0),
    DeclareProperty(L"Bnt_IntrusionOutput", L"PanelID", CIM_SINT32, L"INTRUSION_DEVICE", L"PANELID", 0, 0, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_IntrusionOutput", L"Name", CIM_STRING, L"INTRUSION_DEVICE", L"NAME", 0, 64, kNoIdType, 0),
    DeclareProperty(L"Bnt_IntrusionOutput", L"HostName", CIM_STRING, L"ACCESSPANE", L"TERMINALNA", 0, 64, kNoIdType, 0),
    DeclareNoRecord(L"Bnt_IntrusionOutput", L"DeviceID",
                    L"the record's own number on its panel, whose record PanelID names"),
    DeclareNamedRecord(L"Bnt_IntrusionOutput", L"PanelID", L"Bnt_Panel", L"ID"),

    DeclareAbstractClass(L"Bnt_MultimediaObjectOwner", L"Bnt_Element"),
    DeclareClassWidePropertyAttribute(L"Bnt_MultimediaObjectOwner", L"noedit", 1),
    DeclareReferenceProperty(L"Bnt_MultimediaObjectOwner", L"Person", L"Bnt_Person"),
    DeclareReferenceProperty(L"Bnt_MultimediaObjectOwner", L"MultimediaObject", L"Bnt_MultimediaObject"),

    DeclareAbstractClass(L"Bnt_BadgeOwner", L"Bnt_Element"),
    DeclareClassWidePropertyAttribute(L"Bnt_BadgeOwner", L"noedit", 1),
    DeclareReferenceProperty(L"Bnt_BadgeOwner", L"Badge", L"Bnt_Badge"),
    DeclareReferenceProperty(L"Bnt_BadgeOwner", L"Person", L"Bnt_Person"),
};

}  // namespace

constinit const SchemaDeclarationTable kElementTable{kElementDeclarations};
