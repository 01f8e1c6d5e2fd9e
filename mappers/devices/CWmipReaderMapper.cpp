#include "mappers/devices/CWmipReaderMapper.h"

#include <memory>

#include "framework/WMIHelper.h"
#include "hardware/LAAPProxy.h"
#include "inhouse/BntAccessSets/CReaderSet.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntPanelModel/BntHardwarePredicates.h"
#include "provider/CWimpHardwareStatusCache.h"

namespace {

constexpr wchar_t kSource[] = L"WmipReaderMapper";

constexpr DWORD kViewReadersPermission = 0x10000003;
constexpr DWORD kModifyReadersPermission = 0x10000005;
constexpr DWORD kOpenDoorPermission = 0x30000012;
constexpr DWORD kReaderControlPermission = 0x30000011;

// Audit records of the reader methods: object 25 (reader).
constexpr LONG kReaderObject = 25;
constexpr DeviceAudit kOpenDoorAudit{8, kReaderObject, 11818};
constexpr DeviceAudit kModeAudit{6, kReaderObject, 10185};
constexpr DeviceAudit kFirmwareAudit{20, kReaderObject, 10194};
constexpr DeviceAudit kStatusAudit{64, kReaderObject, 10195};

// The flag DownloadReaderFirmware is given.
constexpr LONG kFirmwareFlag = 1;

}  // namespace

const MapperMethodEntry<CWmipReaderMapper> CWmipReaderMapper::kMethods[] = {
    {L"OpenDoor", &CWmipReaderMapper::OpenDoor},
    {L"SetMode", &CWmipReaderMapper::SetMode},
    {L"SetBiometricVerifyMode", &CWmipReaderMapper::SetBiometricVerifyMode},
    {L"SetFirstCardUnlockMode", &CWmipReaderMapper::SetFirstCardUnlockMode},
    {L"DownloadFirmware", &CWmipReaderMapper::DownloadFirmware},
    {L"GetHardwareStatus", &CWmipReaderMapper::GetHardwareStatus},
    {L"GetMode", &CWmipReaderMapper::GetMode},
};
const std::size_t CWmipReaderMapper::kMethodCount = std::size(kMethods);

CWmipReaderMapper::CWmipReaderMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName()), m_user(user)
{
    AddJoin(L"ACCESSPANE", L"PANELID", L"READER", L"PANELID");
    AddForeignKeyPropertyMapping(L"PanelID", L"PANELID", L"ACCESSPANE");
    SetPermissions(kViewReadersPermission, 0, WMIHelper::IsCorvessaApplication() ? kModifyReadersPermission : 0, 0);
}

CWmipReaderMapper::~CWmipReaderMapper() = default;

const wchar_t* CWmipReaderMapper::GetWMIClassName()
{
    return L"Bnt_Reader";
}

CWmipClassMapper* CWmipReaderMapper::CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
{
    return std::make_unique<CWmipReaderMapper>(user, context, services).release();
}

HRESULT CWmipReaderMapper::ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG, IWbemContext*,
                                         IWbemClassObject* inParams, IWbemObjectSink* sink)
{
    return CWmipDeviceMethod::Dispatch(*this, kSource, path, methodName,
                                       std::span<const MapperMethodEntry<CWmipReaderMapper>>(kMethods), inParams, sink);
}

brontel::UserTranObject::UserTransactionObject CWmipReaderMapper::GetTransactionObject()
{
    return kReaderObject;
}

CString CWmipReaderMapper::GetTransactionValues(brontel::UserTranOperation::UserTransactionOperation,
                                                IWbemClassObject* instance)
{
    LONG panelId = 0;
    LONG readerId = 0;
    WMIHelper::GetNumber(instance, L"PanelID", panelId);
    WMIHelper::GetNumber(instance, L"ReaderID", readerId);
    CString text;
    text.FormatMessage(L"%1(%2!d!,%3!d!)", CWmipDeviceMethod::Text(instance, L"Name").GetString(), panelId, readerId);
    return text;
}

HRESULT CWmipReaderMapper::OpenDoor(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return CWmipDeviceMethod::RunCommand(*this, kSource, kOpenDoorPermission, instance, L"HostName", kOpenDoorAudit,
                                         [&](LAAPProxy& proxy) -> HRESULT {
                                             const LONG panelId = CWmipDeviceMethod::Number(instance, L"PanelID");
                                             const LONG readerId = CWmipDeviceMethod::Number(instance, L"ReaderID");
                                             return proxy.OpenDoor(panelId, readerId) ? S_OK : WBEM_E_FAILED;
                                         });
}

HRESULT CWmipReaderMapper::SetMode(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink*)
{
    // A missing or unreadable "Mode" sends mode 0.
    LONG mode = 0;
    WMIHelper::GetNumber(inParams, L"Mode", mode);
    return SendReaderMode(instance, mode);
}

HRESULT CWmipReaderMapper::SetBiometricVerifyMode(IWbemClassObject* instance, IWbemClassObject* inParams,
                                                  IWbemObjectSink*)
{
    return SendReaderMode(instance, SwitchMode(inParams, kBiometricVerifyOff, kBiometricVerifyOn));
}

HRESULT CWmipReaderMapper::SetFirstCardUnlockMode(IWbemClassObject* instance, IWbemClassObject* inParams,
                                                  IWbemObjectSink*)
{
    return SendReaderMode(instance, SwitchMode(inParams, kFirstCardUnlockOff, kFirstCardUnlockOn));
}

HRESULT CWmipReaderMapper::DownloadFirmware(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return CWmipDeviceMethod::RunCommand(
        *this, kSource, kReaderControlPermission, instance, L"HostName", kFirmwareAudit,
        [&](LAAPProxy& proxy) -> HRESULT {
            const LONG panelId = CWmipDeviceMethod::Number(instance, L"PanelID");
            const LONG readerId = CWmipDeviceMethod::Number(instance, L"ReaderID");
            const LONG controlType = CWmipDeviceMethod::Number(instance, L"ControlType");
            return proxy.DownloadReaderFirmware(panelId, readerId, controlType, kFirmwareFlag) ? S_OK : WBEM_E_FAILED;
        });
}

HRESULT CWmipReaderMapper::GetHardwareStatus(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink* sink)
{
    return CWmipDeviceMethod::RunStatus(*this, kSource, kReaderControlPermission, instance, sink, kStatusAudit, [&] {
        CWimpHardwareStatusCache& cache = CWmipDeviceMethod::StatusCache();
        const LONG panelId = CWmipDeviceMethod::Number(instance, L"PanelID");
        const LONG readerId = CWmipDeviceMethod::Number(instance, L"ReaderID");
        const LONG controlType = CWmipDeviceMethod::Number(instance, L"ControlType");
        ULONG status = static_cast<ULONG>(cache.GetReaderStatus(panelId, readerId));
        if (BntIsOnboardReader2(controlType) || Bnt::IR::Utility::Hardware::BntReaderLogicalSlave(controlType, 0))
        {
            const LONG partner = PartnerReader(panelId, readerId);
            if (partner >= 0)
                status |= static_cast<ULONG>(cache.GetReaderStatus(panelId, partner)) & kPartnerDoorBits;
        }
        return status;
    });
}

HRESULT CWmipReaderMapper::GetMode(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink* sink)
{
    return CWmipDeviceMethod::RunOutput(*this, kSource, kReaderControlPermission, instance, sink, kStatusAudit,
                                        L"GetMode", [&](IWbemClassObject* output) {
                                            CWimpHardwareStatusCache& cache = CWmipDeviceMethod::StatusCache();
                                            const LONG panelId = CWmipDeviceMethod::Number(instance, L"PanelID");
                                            const LONG readerId = CWmipDeviceMethod::Number(instance, L"ReaderID");
                                            WMIHelper::PutNumber(output, L"Mode",
                                                                 cache.GetReaderMode(panelId, readerId));
                                        });
}

HRESULT CWmipReaderMapper::SendReaderMode(IWbemClassObject* instance, LONG mode)
{
    return CWmipDeviceMethod::RunCommand(*this, kSource, kReaderControlPermission, instance, L"HostName", kModeAudit,
                                         [&](LAAPProxy& proxy) -> HRESULT {
                                             const LONG panelId = CWmipDeviceMethod::Number(instance, L"PanelID");
                                             ReaderModeRequest request;
                                             request.readerId = CWmipDeviceMethod::Number(instance, L"ReaderID");
                                             request.mode = mode;
                                             return proxy.SetReaderMode(panelId, &request) ? S_OK : WBEM_E_FAILED;
                                         });
}

LONG CWmipReaderMapper::SwitchMode(IWbemClassObject* inParams, LONG off, LONG on)
{
    int value = FALSE;
    WMIHelper::GetBool(inParams, L"Value", value);
    return value ? on : off;
}

LONG CWmipReaderMapper::PartnerReader(LONG panelId, LONG readerId) const
{
    CReaderSet readers(m_user != nullptr ? m_user->GetDatabase() : nullptr);
    readers.SetPanelIDFilter(panelId);
    readers.SetSlaveIDFilter(readerId);
    readers.Open();
    return readers.IsEOF() ? -1 : readers.GetReaderID();
}
