#include "mappers/devices/CWmipVideoRecorderMapper.h"

#include "common/AccessCodes.h"
#include "common/CBntDateTime.h"
#include "framework/CWmipMessages.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntAccessSets/AccessPanelTypeJoinSet.h"
#include "inhouse/BntAccessSets/CAccessPanelConnectionSet.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "mappers/devices/CWmipDeviceMethod.h"
#include "mappers/devices/QpidTypeConverter.h"
#include "mappers/devices/VideoAuthenticationDocument.h"
#include "platform/com/BstrOwner.h"
#include "platform/com/Bstr.h"
#include "platform/mfc/CException.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

// The administrator's user id and PTZ priority.
constexpr LONG kSystemAdministrator = -1;
constexpr LONG kAdministratorPriority = 1000;

// The PTZ priority of the user's monitoring permission group; 0 when it has none.
LONG PtzPriority(CBntDatabase* database, const CAcsUser& user)
{
    if (user.GetUserID() == kSystemAdministrator)
        return kAdministratorPriority;
    CDynamicRecordset priorities(database);
    priorities.SetTable(L"USER_PTZ_PRIORITY");
    priorities.AddColumnToSet(L"USER_PERMID");
    priorities.AddColumnToSet(L"PRIORITY");
    priorities.AddFilterLong(L"USER_PERMID", user.GetMonitorPermissionGroupID());
    priorities.OpenForwardOnly();
    return priorities.IsEOF() ? 0 : priorities.GetLong(L"PRIORITY");
}

// The audit names the recorder by its id (auditText), not by a text resource.
constexpr MapperMethodEntry<CWmipVideoRecorderMapper> kVideoRecorderMapperRows[] = {
    {L"GetAuthenticationData",
     &CWmipVideoRecorderMapper::GetAuthenticationData,
     Permission::kViewLiveVideo,
     {AuditOperation::kReadStatus, AuditObject::kPanel, 0}},
};

}  // namespace

const std::span<const MapperMethodEntry<CWmipVideoRecorderMapper>> CWmipVideoRecorderMapper::kMethods =
    kVideoRecorderMapperRows;

CWmipVideoRecorderMapper::CWmipVideoRecorderMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDeviceMapperSkeleton(user, context, services)
{
    AddJoin(L"WORLDTZ", L"WORLDTZID", L"ACCESSPANE", L"PANELTZ");
    AddJoin(L"ACCESSPANE_CONNECTION", L"PANELID", L"ACCESSPANE", L"PANELID");
    SetPermissions(Permission::kViewVideoDevices, 0, 0, 0);
}

void CWmipVideoRecorderMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    recordset->AddFilterLong(L"ACCESSPANE.PANELTYPE", kRecorderPanelType);
}

HRESULT CWmipVideoRecorderMapper::GetAuthenticationData(DeviceMethodCall& call)
{
    LONG recorderId = 0;
    try
    {
        CAcsUser* user = RequireUser();
        recorderId = CWmipDeviceMethod::Number(call.instance, L"ID");
        CBntDatabase* database = user->GetDatabase();
        CAccessPanelConnectionSet connection(database);
        connection.OpenForPanel(recorderId);
        const std::vector<BYTE> key = connection.GetPanelConnectionKey();
        if (connection.IsEOF() || key.empty())
            throw CWMIException(kSource, __LINE__, WBEM_E_NOT_FOUND, CWmipMessages::kNoConnectionKey);
        AccessPanelTypeJoinSet recorders(database);
        recorders.SetPanelIDFilter(recorderId);
        recorders.SetPanelTypeFilter(kRecorderPanelType);
        recorders.Open();
        if (recorders.IsEOF())
            throw CWMIException(kSource, __LINE__, WBEM_E_NOT_FOUND, CWmipMessages::kNotFound);

        VideoRights rights;
        rights.viewLive = user->HasPermission(Permission::kViewLiveVideo);
        rights.viewRecorded = user->HasPermission(Permission::kViewRecordedVideo);
        rights.search = user->HasPermission(Permission::kSearchVideo);
        rights.exportVideo = user->HasPermission(Permission::kExportVideo);
        rights.transmitAudio = user->HasPermission(Permission::kTransmitAudio);
        rights.ptzPriority = PtzPriority(database, *user);
        rights.userId = user->GetUserID();
        const std::string json = QpidTypeConverter::ToJson(qpid::types::Variant(
            VideoAuthenticationDocument::Build(recorders.GetUserName(), recorders.GetPassword(), rights,
                                               CBntDateTime::GetCurrentTime().GetUTC().ToISO8601String())));

        // A key that does not import or a text that does not encrypt is a failure, never a
        // document handed out unencrypted or empty.
        const HRESULT imported = m_cryptEngine.ImportKeyBlob(key.data(), static_cast<int>(key.size()));
        if (FAILED(imported))
            throw CWMIException(kSource, __LINE__, WBEM_E_FAILED, CWmipMessages::kConnectionKeyNotImported);
        const BstrOwner plain = BstrOwner::Copy(brontel::utility::ConvertUtf8ToCString(json).GetString());
        BstrOwner cipher;
        const HRESULT sealed = m_cryptEngine.EncryptString(plain.Get(), cipher.Receive(), 0);
        if (FAILED(sealed) || cipher.Get() == nullptr)
            throw CWMIException(kSource, __LINE__, WBEM_E_FAILED, CWmipMessages::kAuthenticationNotEncrypted);
        const CString data(cipher.Get());
        if (CWmipDeviceMethod::AnswerOutput(*this, call.sink, L"GetAuthenticationData", [&](IWbemClassObject* output) {
                WMIHelper::PutString(output, L"AuthenticationData", data, CIM_STRING);
            }) != S_OK)
            return WBEM_E_FAILED;
    }
    catch (CException& e)
    {
        CWMIDebugLog::LogError(kSource, __LINE__, kFailureLog, 0, &e);
        e.Delete();
        return WBEM_E_FAILED;
    }
    catch (const CWMIException& e)
    {
        CWMIDebugLog::LogError(kSource, __LINE__, kFailureLog, 0, nullptr, &e);
        return WBEM_E_FAILED;
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kSource, __LINE__, kFailureLog);
        return WBEM_E_FAILED;
    }
    CString idText;
    idText.Format(L"%ld", recorderId);
    call.auditText.FormatMessage(L"%1(%2!ld!)", idText.GetString(), recorderId);
    return S_OK;
}
