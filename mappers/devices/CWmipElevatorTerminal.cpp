#include "mappers/devices/CWmipElevatorTerminal.h"

#include <memory>

#include "framework/WMIHelper.h"
#include "hardware/LAAPProxy.h"
#include "inhouse/BntPanelModel/CElevatorTerminalCmd.h"
#include "provider/CWimpHardwareStatusCache.h"

namespace {

constexpr wchar_t kSource[] = L"WmipElevatorTerminal";

constexpr DWORD kViewTerminalsPermission = 0x10000131;
constexpr DWORD kTerminalControlPermission = 0x30000036;
constexpr DWORD kStatusPermission = 0x30000011;

// Audit records: object 146 (elevator terminal), operation 6.
constexpr LONG kTerminalObject = 146;
constexpr LONG kTerminalOperation = 6;
constexpr DeviceAudit kAllowedFloorsAudit{kTerminalOperation, kTerminalObject, 10274};
constexpr DeviceAudit kStatusAudit{kTerminalOperation, kTerminalObject, 10275};
// The texts of modes 1 to 4; other modes are audited with no text (no such resource).
constexpr UINT kModeTexts[] = {10270, 10271, 10272, 10273};
constexpr UINT kNoText = 0;
// The terminal's state is the cache's item 0 of the terminal.
constexpr LONG kTerminalStateItem = 0;

UINT ModeText(LONG mode)
{
    return mode >= 1 && mode <= static_cast<LONG>(std::size(kModeTexts)) ? kModeTexts[mode - 1] : kNoText;
}

}  // namespace

const MapperMethodEntry<CWmipElevatorTerminal> CWmipElevatorTerminal::kMethods[] = {
    {L"SetTerminalMode", &CWmipElevatorTerminal::SetTerminalMode},
    {L"SetAllowedFloors", &CWmipElevatorTerminal::SetAllowedFloors},
    {L"GetHardwareStatus", &CWmipElevatorTerminal::GetHardwareStatus},
};
const std::size_t CWmipElevatorTerminal::kMethodCount = std::size(kMethods);

CWmipElevatorTerminal::CWmipElevatorTerminal(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
    AddJoin(L"ACCESSPANE", L"PANELID", L"ELEVATOR_KEYPAD_TERMINAL", L"PANELID");
    SetPermissions(kViewTerminalsPermission, 0, 0, 0);
}

CWmipElevatorTerminal::~CWmipElevatorTerminal() = default;

const wchar_t* CWmipElevatorTerminal::GetWMIClassName()
{
    return L"Bnt_ElevatorTerminal";
}

CWmipClassMapper* CWmipElevatorTerminal::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                      IWbemServices* services)
{
    return std::make_unique<CWmipElevatorTerminal>(user, context, services).release();
}

HRESULT CWmipElevatorTerminal::ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG, IWbemContext*,
                                             IWbemClassObject* inParams, IWbemObjectSink* sink)
{
    return CWmipDeviceMethod::Dispatch(*this, kSource, path, methodName,
                                       std::span<const MapperMethodEntry<CWmipElevatorTerminal>>(kMethods), inParams,
                                       sink);
}

HRESULT CWmipElevatorTerminal::SetTerminalMode(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink*)
{
    LONG mode = 0;
    WMIHelper::GetNumber(inParams, L"Mode", mode);
    const DeviceAudit audit{kTerminalOperation, kTerminalObject, ModeText(mode)};
    return CWmipDeviceMethod::RunCommand(
        *this, kSource, kTerminalControlPermission, instance, L"HostName", audit, [&](LAAPProxy& proxy) -> HRESULT {
            const LONG panelId = CWmipDeviceMethod::Number(instance, L"PanelID");
            const LONG terminal = CWmipDeviceMethod::Number(instance, L"IPAddress");
            return proxy.SetElevatorTerminalMode(panelId, terminal, mode) ? S_OK : WBEM_E_FAILED;
        });
}

HRESULT CWmipElevatorTerminal::SetAllowedFloors(IWbemClassObject* instance, IWbemClassObject* inParams,
                                                IWbemObjectSink*)
{
    LONG floorListId = 0;
    WMIHelper::GetNumber(inParams, L"AllowedFloorListID", floorListId);
    return CWmipDeviceMethod::RunCommand(
        *this, kSource, kTerminalControlPermission, instance, L"HostName", kAllowedFloorsAudit,
        [&](LAAPProxy& proxy) -> HRESULT {
            RpcUtil::CElevatorTerminalCmd command(CWmipDeviceMethod::Number(instance, L"PanelID"),
                                                  CWmipDeviceMethod::Number(instance, L"IPAddress"));
            command.SetAllowedFloorListID(floorListId);
            command.LoadFloorList(GetDatabase());
            command.SetCommandType(RpcUtil::CElevatorTerminalCmd::kSetAllowedFloors);
            return proxy.SendElevatorTerminalCommand(command.Block()) ? S_OK : WBEM_E_FAILED;
        });
}

HRESULT CWmipElevatorTerminal::GetHardwareStatus(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink* sink)
{
    return CWmipDeviceMethod::RunStatus(*this, kSource, kStatusPermission, instance, sink, kStatusAudit, [&] {
        CWimpHardwareStatusCache& cache = CWmipDeviceMethod::StatusCache();
        const LONG panelId = CWmipDeviceMethod::Number(instance, L"PanelID");
        const LONG terminal = CWmipDeviceMethod::Number(instance, L"IPAddress");
        return static_cast<ULONG>(cache.GetOutputStatus(panelId, terminal, kTerminalStateItem));
    });
}
