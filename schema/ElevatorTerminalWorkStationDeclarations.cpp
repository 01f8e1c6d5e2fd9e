// Declarations of the elevator keypad terminals and the operator workstations, one registration
// table per mapper source, each in declaration order.
//
// Constant-initialised, read-only tables (see SchemaDeclaration.h).
#include "schema/DeclarationTables.h"

namespace {

constinit const SchemaDeclaration kElevatorTerminalDeclarations[] = {
    DeclareClass(L"Bnt_ElevatorTerminal"),
    DeclareBelongsTo(L"Bnt_ElevatorTerminal", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_ElevatorTerminal", L"noedit", 1),
    DeclareProperty(L"Bnt_ElevatorTerminal", L"ID", CIM_SINT32, L"ELEVATOR_KEYPAD_TERMINAL", L"TERMINALID", 1, 0, 53,
                    0),
    DeclareProperty(L"Bnt_ElevatorTerminal", L"PanelID", CIM_SINT32, L"ELEVATOR_KEYPAD_TERMINAL", L"PANELID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_ElevatorTerminal", L"IPAddress", CIM_SINT32, L"ELEVATOR_KEYPAD_TERMINAL", L"IPADDRESS", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_ElevatorTerminal", L"Name", CIM_STRING, L"ELEVATOR_KEYPAD_TERMINAL", L"NAME", 0, 64,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_ElevatorTerminal", L"HostName", CIM_STRING, L"ACCESSPANE", L"TERMINALNA", 0, 64, kNoIdType,
                    0),
    DeclareMethod(L"Bnt_ElevatorTerminal", L"SetTerminalMode"),
    DeclareMethodParameter(L"Bnt_ElevatorTerminal", L"SetTerminalMode", true, L"Mode", CIM_SINT32),
    DeclareMethod(L"Bnt_ElevatorTerminal", L"SetAllowedFloors"),
    DeclareMethodParameter(L"Bnt_ElevatorTerminal", L"SetAllowedFloors", true, L"AllowedFloorListID", CIM_SINT32),
    DeclareMethod(L"Bnt_ElevatorTerminal", L"GetHardwareStatus"),
    DeclareMethodParameter(L"Bnt_ElevatorTerminal", L"GetHardwareStatus", false, L"Status", CIM_UINT32),
    DeclareNamedRecord(L"Bnt_ElevatorTerminal", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareNoRecordParameter(L"Bnt_ElevatorTerminal", L"SetAllowedFloors", L"AllowedFloorListID",
                             L"a floor list the panel holds; no class serves floor lists"),
};

constinit const SchemaDeclaration kWorkStationDeclarations[] = {
    DeclareClass(L"Bnt_WorkStation"),
    DeclareNotSegmented(L"Bnt_WorkStation",
                        L"A workstation is a computer of the installation, shared by the operators of every segment."),
    DeclareClassWidePropertyAttribute(L"Bnt_WorkStation", L"noedit", 1),
    DeclareProperty(L"Bnt_WorkStation", L"WorkStationID", CIM_SINT32, L"WRKSTATION", L"ID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_WorkStation", L"WorkStationName", CIM_STRING, L"WRKSTATION", L"NAME", 0, 64, kNoIdType, 0),
    DeclareProperty(L"Bnt_WorkStation", L"BntDBID", CIM_SINT32, L"WRKSTATION", L"BNT_DBID", 1, 0, kNoIdType, 0),
    DeclareNoRecord(L"Bnt_WorkStation", L"WorkStationID", L"the workstation's own number"),
    DeclareNoRecord(L"Bnt_WorkStation", L"BntDBID",
                    L"the number of the installation database the workstation belongs to"),
};

}  // namespace

constinit const SchemaDeclarationTable kElevatorTerminalTable{kElevatorTerminalDeclarations};
constinit const SchemaDeclarationTable kWorkStationTable{kWorkStationDeclarations};
