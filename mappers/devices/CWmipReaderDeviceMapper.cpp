#include "mappers/devices/CWmipReaderDeviceMapper.h"

#include "hardware/AapBlocks.h"
#include "hardware/LAAPProxy.h"
#include "mappers/devices/ReaderDeviceBlock.h"
#include "provider/CWimpHardwareStatusCache.h"

namespace {

// Viewing readers; the hardware classes are never written through the provider.
constexpr DWORD kViewReadersPermission = 0x10000003;
constexpr DWORD kStatusPermission = 0x30000011;

constexpr DWORD kMaskPermission = 0x30000015;
constexpr DWORD kUnmaskPermission = 0x3000001A;
constexpr DWORD kOutputPermission = 0x30000010;

constexpr BYTE kMaskCommand = 0x81;
constexpr BYTE kUnmaskCommand = 0x80;
constexpr BYTE kActivateCommand = 9;
constexpr BYTE kDeactivateCommand = 8;
constexpr BYTE kPulseCommand = 0x80;

// Audit records: object 7 for inputs, 9 for outputs.
constexpr DeviceAudit kMaskAudit{16, 7, 10218};
constexpr DeviceAudit kUnmaskAudit{24, 7, 10219};
constexpr DeviceAudit kInputStatusAudit{64, 7, 10220};
constexpr DeviceAudit kActivateAudit{22, 9, 10196};
constexpr DeviceAudit kDeactivateAudit{23, 9, 10197};
constexpr DeviceAudit kPulseAudit{26, 9, 10198};
constexpr DeviceAudit kOutputStatusAudit{64, 9, 10217};

}  // namespace

const CWmipReaderDeviceMapper::MethodEntry CWmipReaderDeviceMapper::kInputMethods[] = {
    {L"Mask", &CWmipReaderDeviceMapper::Mask},
    {L"Unmask", &CWmipReaderDeviceMapper::Unmask},
    {L"GetHardwareStatus", &CWmipReaderDeviceMapper::GetHardwareStatus},
};
const std::size_t CWmipReaderDeviceMapper::kInputMethodCount = std::size(kInputMethods);

const CWmipReaderDeviceMapper::MethodEntry CWmipReaderDeviceMapper::kOutputMethods[] = {
    {L"Activate", &CWmipReaderDeviceMapper::Activate},
    {L"Deactivate", &CWmipReaderDeviceMapper::Deactivate},
    {L"Pulse", &CWmipReaderDeviceMapper::Pulse},
    {L"GetHardwareStatus", &CWmipReaderDeviceMapper::GetHardwareStatus},
};
const std::size_t CWmipReaderDeviceMapper::kOutputMethodCount = std::size(kOutputMethods);

CWmipReaderDeviceMapper::CWmipReaderDeviceMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                                                 const wchar_t* className, const Layout& layout)
    : CWmipDynamicClassMapper(user, context, services, className), m_layout(layout)
{
    AddJoin(L"ACCESSPANE", L"PANELID", L"READER", L"PANELID");
    SetPermissions(kViewReadersPermission, 0, 0, 0);
}

CWmipReaderDeviceMapper::~CWmipReaderDeviceMapper() = default;

HRESULT CWmipReaderDeviceMapper::ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG, IWbemContext*,
                                               IWbemClassObject* inParams, IWbemObjectSink* sink)
{
    const std::span<const MethodEntry> table =
        m_layout.output ? std::span<const MethodEntry>(kOutputMethods) : std::span<const MethodEntry>(kInputMethods);
    return CWmipDeviceMethod::Dispatch(*this, m_layout.source, path, methodName, table, inParams, sink);
}

HRESULT CWmipReaderDeviceMapper::Mask(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return Send(instance, kMaskPermission, kMaskCommand, kMaskAudit);
}

HRESULT CWmipReaderDeviceMapper::Unmask(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return Send(instance, kUnmaskPermission, kUnmaskCommand, kUnmaskAudit);
}

HRESULT CWmipReaderDeviceMapper::Activate(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return Send(instance, kOutputPermission, kActivateCommand, kActivateAudit);
}

HRESULT CWmipReaderDeviceMapper::Deactivate(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return Send(instance, kOutputPermission, kDeactivateCommand, kDeactivateAudit);
}

HRESULT CWmipReaderDeviceMapper::Pulse(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return Send(instance, kOutputPermission, kPulseCommand, kPulseAudit);
}

HRESULT CWmipReaderDeviceMapper::GetHardwareStatus(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink* sink)
{
    const DeviceAudit& audit = m_layout.output ? kOutputStatusAudit : kInputStatusAudit;
    return CWmipDeviceMethod::RunStatus(*this, m_layout.source, kStatusPermission, instance, sink, audit, [&] {
        CWimpHardwareStatusCache& cache = CWmipDeviceMethod::StatusCache();
        const LONG panelId = CWmipDeviceMethod::Number(instance, L"PanelID");
        const LONG readerId = CWmipDeviceMethod::Number(instance, L"ReaderID");
        const int status = m_layout.output ? cache.GetOutputStatus(panelId, readerId, m_layout.cacheItem)
                                           : cache.GetInputStatus(panelId, readerId, m_layout.cacheItem);
        return static_cast<ULONG>(status);
    });
}

HRESULT CWmipReaderDeviceMapper::Send(IWbemClassObject* instance, DWORD permission, BYTE command,
                                      const DeviceAudit& audit)
{
    return CWmipDeviceMethod::RunCommand(
        *this, m_layout.source, permission, instance, L"HostName", audit, [&](LAAPProxy& proxy) -> HRESULT {
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
