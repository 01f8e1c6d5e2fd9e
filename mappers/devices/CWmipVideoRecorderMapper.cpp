#include "mappers/devices/CWmipVideoRecorderMapper.h"

#include "common/CBntDateTime.h"
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

constexpr wchar_t kSource[] = L"WmipVideoRecorderMapper";
constexpr DWORD kViewRecordersPermission = 0x1000006D;
constexpr DWORD kViewLivePermission = 0x30000026;
constexpr DWORD kViewRecordedPermission = 0x3000002E;
constexpr DWORD kSearchPermission = 0x30000031;
constexpr DWORD kExportPermission = 0x30000030;
constexpr DWORD kAudioPermission = 0x30000038;
constexpr LONG kAuditOperation = 64;
constexpr LONG kAuditObject = 33;
// The administrator's user id and PTZ priority.
constexpr LONG kSystemAdministrator = -1;
constexpr LONG kAdministratorPriority = 1000;
constexpr wchar_t kNoKey[] = L"The BNVR connection key associated with the requested instance could not be retrieved.";

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

}  // namespace

const MapperMethodEntry<CWmipVideoRecorderMapper> CWmipVideoRecorderMapper::kMethods[] = {
    {L"GetAuthenticationData", &CWmipVideoRecorderMapper::GetAuthenticationData},
};
const std::size_t CWmipVideoRecorderMapper::kMethodCount = std::size(kMethods);

CWmipVideoRecorderMapper::CWmipVideoRecorderMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
    AddJoin(L"WORLDTZ", L"WORLDTZID", L"ACCESSPANE", L"PANELTZ");
    AddJoin(L"ACCESSPANE_CONNECTION", L"PANELID", L"ACCESSPANE", L"PANELID");
    SetPermissions(kViewRecordersPermission, 0, 0, 0);
}

CWmipVideoRecorderMapper::~CWmipVideoRecorderMapper() = default;

const wchar_t* CWmipVideoRecorderMapper::GetWMIClassName()
{
    return L"Bnt_VideoRecorder";
}

CWmipClassMapper* CWmipVideoRecorderMapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                         IWbemServices* services)
{
    return std::make_unique<CWmipVideoRecorderMapper>(user, context, services).release();
}

HRESULT CWmipVideoRecorderMapper::ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG, IWbemContext*,
                                                IWbemClassObject* inParams, IWbemObjectSink* sink)
{
    return CWmipDeviceMethod::Dispatch(*this, kSource, path, methodName,
                                       std::span<const MapperMethodEntry<CWmipVideoRecorderMapper>>(kMethods), inParams,
                                       sink);
}

void CWmipVideoRecorderMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    recordset->AddFilterLong(L"ACCESSPANE.PANELTYPE", kRecorderPanelType);
}

HRESULT CWmipVideoRecorderMapper::GetAuthenticationData(IWbemClassObject* instance, IWbemClassObject*,
                                                        IWbemObjectSink* sink)
{
    CAcsUser* user = nullptr;
    CWmipDeviceMethod::CheckCaller(*this, kSource, kViewLivePermission, instance, &user);
    LONG recorderId = 0;
    try
    {
        recorderId = CWmipDeviceMethod::Number(instance, L"ID");
        CBntDatabase* database = user->GetDatabase();
        CAccessPanelConnectionSet connection(database);
        connection.OpenForPanel(recorderId);
        const std::vector<BYTE> key = connection.GetPanelConnectionKey();
        if (connection.IsEOF() || key.empty())
            throw CWMIException(kSource, __LINE__, WBEM_E_NOT_FOUND, kNoKey);
        AccessPanelTypeJoinSet recorders(database);
        recorders.SetPanelIDFilter(recorderId);
        recorders.SetPanelTypeFilter(kRecorderPanelType);
        recorders.Open();
        if (recorders.IsEOF())
            throw CWMIException(kSource, __LINE__, WBEM_E_NOT_FOUND, CWmipMessages::kNotFound);

        VideoRights rights;
        rights.viewLive = user->HasPermission(kViewLivePermission);
        rights.viewRecorded = user->HasPermission(kViewRecordedPermission);
        rights.search = user->HasPermission(kSearchPermission);
        rights.exportVideo = user->HasPermission(kExportPermission);
        rights.transmitAudio = user->HasPermission(kAudioPermission);
        rights.ptzPriority = PtzPriority(database, *user);
        rights.userId = user->GetUserID();
        const std::string json = QpidTypeConverter::ToJson(qpid::types::Variant(
            VideoAuthenticationDocument::Build(recorders.GetUserName(), recorders.GetPassword(), rights,
                                               CBntDateTime::GetCurrentTime().GetUTC().ToISO8601String())));

        // A key that does not import or a text that does not encrypt is a failure, never a
        // document handed out unencrypted or empty.
        const HRESULT imported = m_cryptEngine.ImportKeyBlob(key.data(), static_cast<int>(key.size()));
        if (FAILED(imported))
            throw CWMIException(kSource, __LINE__, WBEM_E_FAILED, L"The connection key could not be imported.");
        const BstrOwner plain = BstrOwner::Copy(brontel::utility::ConvertUtf8ToCString(json).GetString());
        BstrOwner cipher;
        const HRESULT sealed = m_cryptEngine.EncryptString(plain.Get(), cipher.Receive(), 0);
        if (FAILED(sealed) || cipher.Get() == nullptr)
            throw CWMIException(kSource, __LINE__, WBEM_E_FAILED, L"The authentication data could not be encrypted.");
        const CString data(cipher.Get());
        if (CWmipDeviceMethod::AnswerOutput(*this, sink, L"GetAuthenticationData", [&](IWbemClassObject* output) {
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
    CString text;
    text.FormatMessage(L"%1(%2!ld!)", idText.GetString(), recorderId);
    user->LogTransToDB(kAuditOperation, kAuditObject, text, nullptr, 0, nullptr);
    return S_OK;
}
