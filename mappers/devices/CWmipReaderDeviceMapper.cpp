#include "mappers/devices/CWmipReaderDeviceMapper.h"

#include "common/AccessCodes.h"
#include "hardware/AapBlocks.h"
#include "hardware/LAAPProxy.h"
#include "mappers/devices/ReaderDeviceBlock.h"
#include "hardware/CWimpHardwareStatusCache.h"

namespace {

constexpr BYTE kMaskCommand = 0x81;
constexpr BYTE kUnmaskCommand = 0x80;
constexpr BYTE kActivateCommand = 9;
constexpr BYTE kDeactivateCommand = 8;
constexpr BYTE kPulseCommand = 0x80;

constexpr CWmipReaderDeviceMapper::MethodEntry kInputRows[] = {
    {L"Mask",
     &CWmipReaderDeviceMapper::Mask,
     Permission::kMaskInputs,
     {AuditOperation::kMask, AuditObject::kInput, 10218}},
    {L"Unmask",
     &CWmipReaderDeviceMapper::Unmask,
     Permission::kUnmaskInputs,
     {AuditOperation::kUnmask, AuditObject::kInput, 10219}},
    {L"GetHardwareStatus",
     &CWmipReaderDeviceMapper::GetHardwareStatus,
     Permission::kControlDevices,
     {AuditOperation::kReadStatus, AuditObject::kInput, 10220}},
};

constexpr CWmipReaderDeviceMapper::MethodEntry kOutputRows[] = {
    {L"Activate",
     &CWmipReaderDeviceMapper::Activate,
     Permission::kControlOutputs,
     {AuditOperation::kActivate, AuditObject::kOutput, 10196}},
    {L"Deactivate",
     &CWmipReaderDeviceMapper::Deactivate,
     Permission::kControlOutputs,
     {AuditOperation::kDeactivate, AuditObject::kOutput, 10197}},
    {L"Pulse",
     &CWmipReaderDeviceMapper::Pulse,
     Permission::kControlOutputs,
     {AuditOperation::kPulse, AuditObject::kOutput, 10198}},
    {L"GetHardwareStatus",
     &CWmipReaderDeviceMapper::GetHardwareStatus,
     Permission::kControlDevices,
     {AuditOperation::kReadStatus, AuditObject::kOutput, 10217}},
};

}  // namespace

const std::span<const CWmipReaderDeviceMapper::MethodEntry> CWmipReaderDeviceMapper::kInputMethods = kInputRows;
const std::span<const CWmipReaderDeviceMapper::MethodEntry> CWmipReaderDeviceMapper::kOutputMethods = kOutputRows;

CWmipReaderDeviceMapper::CWmipReaderDeviceMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                                                 const wchar_t* className, const Layout& layout)
    : CWmipDynamicClassMapper(user, context, services, className), m_layout(layout)
{
    AddJoin(L"ACCESSPANE", L"PANELID", L"READER", L"PANELID");
    SetPermissions(Permission::kViewReaders, 0, 0, 0);
}

CWmipReaderDeviceMapper::~CWmipReaderDeviceMapper() = default;

HRESULT CWmipReaderDeviceMapper::Mask(DeviceMethodCall& call)
{
    return Send(call.instance, kMaskCommand);
}

HRESULT CWmipReaderDeviceMapper::Unmask(DeviceMethodCall& call)
{
    return Send(call.instance, kUnmaskCommand);
}

HRESULT CWmipReaderDeviceMapper::Activate(DeviceMethodCall& call)
{
    return Send(call.instance, kActivateCommand);
}

HRESULT CWmipReaderDeviceMapper::Deactivate(DeviceMethodCall& call)
{
    return Send(call.instance, kDeactivateCommand);
}

HRESULT CWmipReaderDeviceMapper::Pulse(DeviceMethodCall& call)
{
    return Send(call.instance, kPulseCommand);
}

HRESULT CWmipReaderDeviceMapper::GetHardwareStatus(DeviceMethodCall& call)
{
    return CWmipDeviceMethod::RunStatus(*this, m_layout.source, call.sink, [&] {
        CWimpHardwareStatusCache& cache = CWmipDeviceMethod::StatusCache();
        const LONG panelId = CWmipDeviceMethod::Number(call.instance, L"PanelID");
        const LONG readerId = CWmipDeviceMethod::Number(call.instance, L"ReaderID");
        const int status = m_layout.output ? cache.GetOutputStatus(panelId, readerId, m_layout.cacheItem)
                                           : cache.GetInputStatus(panelId, readerId, m_layout.cacheItem);
        return static_cast<ULONG>(status);
    });
}

HRESULT CWmipReaderDeviceMapper::Send(IWbemClassObject* instance, BYTE command)
{
    return CWmipDeviceMethod::RunCommand(m_layout.source, instance, L"HostName", [&](LAAPProxy& proxy) -> HRESULT {
        const LONG panelId = CWmipDeviceMethod::Number(instance, L"PanelID");
        const LONG readerId = CWmipDeviceMethod::Number(instance, L"ReaderID");
        const std::size_t size = m_layout.output ? kReaderOutputBlockSize : kReaderInputBlockSize;
        std::optional<std::vector<BYTE>> block =
            ReaderDeviceBlock::Build(size, panelId, readerId, m_layout.commandOffset, command);
        if (!block)
            return WBEM_E_INVALID_PARAMETER;
        const BOOL sent = m_layout.output ? proxy.ControlReaderOutput(*block) : proxy.SetReaderInputMask(*block);
        return sent ? S_OK : WBEM_E_FAILED;
    });
}
