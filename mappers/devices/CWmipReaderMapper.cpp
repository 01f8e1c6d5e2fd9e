#include "mappers/devices/CWmipReaderMapper.h"

#include "common/AccessCodes.h"
#include "framework/WMIHelper.h"
#include "hardware/LAAPProxy.h"
#include "inhouse/BntAccessSets/CReaderSet.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntPanelModel/BntHardwarePredicates.h"
#include "hardware/CWimpHardwareStatusCache.h"

namespace {

// The flag DownloadReaderFirmware is given.
constexpr LONG kFirmwareFlag = 1;

constexpr DeviceAudit kModeAudit{AuditOperation::kModify, AuditObject::kReader, 10185};
constexpr DeviceAudit kStatusAudit{AuditOperation::kReadStatus, AuditObject::kReader, 10195};

constexpr MapperMethodEntry<CWmipReaderMapper> kReaderMapperRows[] = {
    {L"OpenDoor",
     &CWmipReaderMapper::OpenDoor,
     Permission::kControlDoorsAndPanels,
     {AuditOperation::kOpenDoor, AuditObject::kReader, 11818}},
    {L"SetMode", &CWmipReaderMapper::SetMode, Permission::kControlDevices, kModeAudit},
    {L"SetBiometricVerifyMode", &CWmipReaderMapper::SetBiometricVerifyMode, Permission::kControlDevices, kModeAudit},
    {L"SetFirstCardUnlockMode", &CWmipReaderMapper::SetFirstCardUnlockMode, Permission::kControlDevices, kModeAudit},
    {L"DownloadFirmware",
     &CWmipReaderMapper::DownloadFirmware,
     Permission::kControlDevices,
     {AuditOperation::kDownload, AuditObject::kReader, 10194}},
    {L"GetHardwareStatus", &CWmipReaderMapper::GetHardwareStatus, Permission::kControlDevices, kStatusAudit},
    {L"GetMode", &CWmipReaderMapper::GetMode, Permission::kControlDevices, kStatusAudit},
};

}  // namespace

const std::span<const MapperMethodEntry<CWmipReaderMapper>> CWmipReaderMapper::kMethods = kReaderMapperRows;

CWmipReaderMapper::CWmipReaderMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services, Door door)
    : CWmipDeviceMapperSkeleton(user, context, services), m_user(user)
{
    SetDoor(door);
    AddJoin(L"ACCESSPANE", L"PANELID", L"READER", L"PANELID");
    AddForeignKeyPropertyMapping(L"PanelID", L"PANELID", L"ACCESSPANE");
    SetPermissions(Permission::kViewReaders, 0, IsBusDoor() ? Permission::kModifyReaders : 0, 0);
    SetTransactionObject(AuditObject::kReader);
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

HRESULT CWmipReaderMapper::OpenDoor(DeviceMethodCall& call)
{
    return CWmipDeviceMethod::RunCommand(kSource, call.instance, L"HostName", [&](LAAPProxy& proxy) -> HRESULT {
        const LONG panelId = CWmipDeviceMethod::Number(call.instance, L"PanelID");
        const LONG readerId = CWmipDeviceMethod::Number(call.instance, L"ReaderID");
        return proxy.OpenDoor(panelId, readerId) ? S_OK : WBEM_E_FAILED;
    });
}

HRESULT CWmipReaderMapper::SetMode(DeviceMethodCall& call)
{
    // A missing or unreadable "Mode" sends mode 0.
    LONG mode = 0;
    WMIHelper::GetNumber(call.inParams, L"Mode", mode);
    return SendReaderMode(call.instance, mode);
}

HRESULT CWmipReaderMapper::SetBiometricVerifyMode(DeviceMethodCall& call)
{
    return SendReaderMode(call.instance, SwitchMode(call.inParams, kBiometricVerifyOff, kBiometricVerifyOn));
}

HRESULT CWmipReaderMapper::SetFirstCardUnlockMode(DeviceMethodCall& call)
{
    return SendReaderMode(call.instance, SwitchMode(call.inParams, kFirstCardUnlockOff, kFirstCardUnlockOn));
}

HRESULT CWmipReaderMapper::DownloadFirmware(DeviceMethodCall& call)
{
    return CWmipDeviceMethod::RunCommand(kSource, call.instance, L"HostName", [&](LAAPProxy& proxy) -> HRESULT {
        const LONG panelId = CWmipDeviceMethod::Number(call.instance, L"PanelID");
        const LONG readerId = CWmipDeviceMethod::Number(call.instance, L"ReaderID");
        const LONG controlType = CWmipDeviceMethod::Number(call.instance, L"ControlType");
        return proxy.DownloadReaderFirmware(panelId, readerId, controlType, kFirmwareFlag) ? S_OK : WBEM_E_FAILED;
    });
}

HRESULT CWmipReaderMapper::GetHardwareStatus(DeviceMethodCall& call)
{
    return CWmipDeviceMethod::RunStatus(*this, kSource, call.sink, [&] {
        CWimpHardwareStatusCache& cache = CWmipDeviceMethod::StatusCache();
        const LONG panelId = CWmipDeviceMethod::Number(call.instance, L"PanelID");
        const LONG readerId = CWmipDeviceMethod::Number(call.instance, L"ReaderID");
        const LONG controlType = CWmipDeviceMethod::Number(call.instance, L"ControlType");
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

HRESULT CWmipReaderMapper::GetMode(DeviceMethodCall& call)
{
    return CWmipDeviceMethod::RunOutput(*this, kSource, call.sink, L"GetMode", [&](IWbemClassObject* output) {
        CWimpHardwareStatusCache& cache = CWmipDeviceMethod::StatusCache();
        const LONG panelId = CWmipDeviceMethod::Number(call.instance, L"PanelID");
        const LONG readerId = CWmipDeviceMethod::Number(call.instance, L"ReaderID");
        WMIHelper::PutNumber(output, L"Mode", cache.GetReaderMode(panelId, readerId));
    });
}

HRESULT CWmipReaderMapper::SendReaderMode(IWbemClassObject* instance, LONG mode)
{
    return CWmipDeviceMethod::RunCommand(kSource, instance, L"HostName", [&](LAAPProxy& proxy) -> HRESULT {
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
