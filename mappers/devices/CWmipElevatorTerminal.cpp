#include "mappers/devices/CWmipElevatorTerminal.h"

#include "common/AccessCodes.h"
#include "framework/WMIHelper.h"
#include "hardware/LAAPProxy.h"
#include "inhouse/BntPanelModel/CElevatorTerminalCmd.h"
#include "hardware/CWimpHardwareStatusCache.h"

namespace {

// The texts of modes 1 to 4; other modes are audited with no text (no such resource).
constexpr UINT kModeTexts[] = {10270, 10271, 10272, 10273};
constexpr UINT kNoText = 0;
// The terminal's state is the cache's item 0 of the terminal.
constexpr LONG kTerminalStateItem = 0;

UINT ModeText(LONG mode)
{
    return mode >= 1 && mode <= static_cast<LONG>(std::size(kModeTexts)) ? kModeTexts[mode - 1] : kNoText;
}

// SetTerminalMode picks the text of its mode.
constexpr MapperMethodEntry<CWmipElevatorTerminal> kElevatorTerminalRows[] = {
    {L"SetTerminalMode",
     &CWmipElevatorTerminal::SetTerminalMode,
     Permission::kControlElevatorTerminals,
     {AuditOperation::kModify, AuditObject::kElevatorTerminal, kNoText}},
    {L"SetAllowedFloors",
     &CWmipElevatorTerminal::SetAllowedFloors,
     Permission::kControlElevatorTerminals,
     {AuditOperation::kModify, AuditObject::kElevatorTerminal, 10274}},
    {L"GetHardwareStatus",
     &CWmipElevatorTerminal::GetHardwareStatus,
     Permission::kControlDevices,
     {AuditOperation::kModify, AuditObject::kElevatorTerminal, 10275}},
};

}  // namespace

const std::span<const MapperMethodEntry<CWmipElevatorTerminal>> CWmipElevatorTerminal::kMethods = kElevatorTerminalRows;

CWmipElevatorTerminal::CWmipElevatorTerminal(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDeviceMapperSkeleton(user, context, services)
{
    AddJoin(L"ACCESSPANE", L"PANELID", L"ELEVATOR_KEYPAD_TERMINAL", L"PANELID");
    SetPermissions(Permission::kViewElevatorTerminals, 0, 0, 0);
}

HRESULT CWmipElevatorTerminal::SetTerminalMode(DeviceMethodCall& call)
{
    LONG mode = 0;
    WMIHelper::GetNumber(call.inParams, L"Mode", mode);
    call.audit.textResource = ModeText(mode);
    return CWmipDeviceMethod::RunCommand(kSource, call.instance, L"HostName", [&](LAAPProxy& proxy) -> HRESULT {
        const LONG panelId = CWmipDeviceMethod::Number(call.instance, L"PanelID");
        const LONG terminal = CWmipDeviceMethod::Number(call.instance, L"IPAddress");
        return proxy.SetElevatorTerminalMode(panelId, terminal, mode) ? S_OK : WBEM_E_FAILED;
    });
}

HRESULT CWmipElevatorTerminal::SetAllowedFloors(DeviceMethodCall& call)
{
    LONG floorListId = RpcUtil::CElevatorTerminalCmd::kDefaultFloorList;
    WMIHelper::GetNumber(call.inParams, L"AllowedFloorListID", floorListId);
    return CWmipDeviceMethod::RunCommand(kSource, call.instance, L"HostName", [&](LAAPProxy& proxy) -> HRESULT {
        RpcUtil::CElevatorTerminalCmd command(CWmipDeviceMethod::Number(call.instance, L"PanelID"),
                                              CWmipDeviceMethod::Number(call.instance, L"IPAddress"));
        command.SetAllowedFloorListID(floorListId);
        command.LoadFloorList(GetDatabase());
        command.SetCommandType(RpcUtil::CElevatorTerminalCmd::kSetAllowedFloors);
        return proxy.SendElevatorTerminalCommand(command.Block()) ? S_OK : WBEM_E_FAILED;
    });
}

HRESULT CWmipElevatorTerminal::GetHardwareStatus(DeviceMethodCall& call)
{
    return CWmipDeviceMethod::RunStatus(*this, kSource, call.sink, [&] {
        CWimpHardwareStatusCache& cache = CWmipDeviceMethod::StatusCache();
        const LONG panelId = CWmipDeviceMethod::Number(call.instance, L"PanelID");
        const LONG terminal = CWmipDeviceMethod::Number(call.instance, L"IPAddress");
        return static_cast<ULONG>(cache.GetOutputStatus(panelId, terminal, kTerminalStateItem));
    });
}
