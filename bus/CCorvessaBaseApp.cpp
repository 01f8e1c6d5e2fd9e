#include "bus/CCorvessaBaseApp.h"
#include "framework/CWmipSegmentSourceFilter.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "bus/CCorvessaException.h"
#include "platform/win32/Threading.h"
#include "framework/objects/CCorvessaNamespace.h"
#include "bus/CCorvessaUserCache.h"
#include "bus/CorvessaAuthenticationUtility.h"
#include "bus/CorvessaTokenExpirationThread.h"
#include "bus/EventSubscriptionManager.h"
#include "bus/GenericException.h"
#include "common/CBntRegistry.h"
#include "common/RegAccess.h"
#include "framework/CWMITypeInfo.h"
#include "framework/CWmipClassMapper.h"
#include "framework/CWmipMapperRegistry.h"
#include "inhouse/BntAccessSets/CBntConfigSet.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntCoreDb/CSQLStatement.h"
#include "inhouse/BntDirectories/Directory.h"
#include "inhouse/BntDirectories/DirectoryDBManager.h"
#include "inhouse/BntDirectories/DirectoryException.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntResources/BntResourceStrings.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/com/Unknown.h"
#include "platform/com/WbemConstants.h"
#include "platform/win32/SystemInfo.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

constexpr wchar_t kBaseAppSource[] = L"CorvessaBaseApp";
constexpr wchar_t kInstallationKey[] = L"SOFTWARE\\Brontel\\Ivarune";

}  // namespace

CCorvessaBaseApp::CCorvessaBaseApp(const IClock& clock) : m_clock(clock)
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    m_sessions = std::make_unique<CCorvessaSessionService>(m_clock, &GetBusUserCache);
    m_tokenThread = std::make_unique<CorvessaTokenExpirationThread>(this, m_clock);
    m_tokenThread->Start(LWorkerThread::kPriorityNormal, 0, 0, nullptr);
}

CCorvessaBaseApp::~CCorvessaBaseApp()
{
    // A sweep reaches into the token table and the user cache: it must be over before they go.
    m_tokenThread->Kill(0);
    m_tokenThread.reset();
    m_sessions.reset();
    CoUninitialize();
}

int CCorvessaBaseApp::ExitInstance()
{
    m_tokenThread->Stop();
    return CWmipApp::ExitInstance();
}

std::unique_ptr<CWmipUserCache> CCorvessaBaseApp::CreateUserCache()
{
    CWmipUserCacheClock clock;
    clock.clock = &m_clock;
    return std::make_unique<CCorvessaUserCache>(std::move(clock));
}

CCorvessaUserCache* CCorvessaBaseApp::GetBusUserCache()
{
    return dynamic_cast<CCorvessaUserCache*>(GetUserCache());
}

CCorvessaSessionService& CCorvessaBaseApp::Sessions()
{
    return *m_sessions;
}

void CCorvessaBaseApp::SetQpidWrapper(sms::qpid::wrapper::IQpidWrapper* wrapper)
{
    const CheckedMutexLock guard(m_subscriptionLock);
    m_qpidWrapper.store(wrapper);
    // A manager made before the bus interface was handed over sends through it from now on.
    if (m_subscriptionManager)
    {
        m_subscriptionManager->SetWrapper(wrapper);
    }
}

sms::qpid::wrapper::IQpidWrapper* CCorvessaBaseApp::GetQpidWrapper() const
{
    return m_qpidWrapper.load();
}

void CCorvessaBaseApp::Initialize()
{
    // Requests that meet a logged-out application at once make one login between them: several
    // at once contended for the database's first opening, and one that failed logged out the
    // application another had just logged in.
    if (!LoginAsSAUnlessLoggedIn(CBntDatabase::GetDSNFromINI()))
    {
        throw GenericException(L"CCorvessaProvixaApp::Initialize - Failed to authenticate to the database.");
    }
}

HRESULT CCorvessaBaseApp::GetMapperForType(const CString& typeName, CWmipUserCacheEntry* entry,
                                           std::unique_ptr<CWmipClassMapper>& mapper, bool log)
{
    if (entry == nullptr)
    {
        return WBEM_E_INVALID_PARAMETER;
    }
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    const CWMITypeInfo* typeInfo = registry->GetTypeInfo(typeName, true);
    if (typeName.IsEmpty() || (typeInfo != nullptr && !typeInfo->IsExposedOnBus()))
    {
        return corvessa::kInvalidTypeName;
    }
    mapper.reset(registry->GetMapperUsingRegistry(entry->GetUser(), nullptr, &CCorvessaNamespace::Instance(),
                                                  typeName.GetString(), Door::kBus));
    if (!mapper)
    {
        if (log)
        {
            CString text;
            text.Format(L"CCorvessaProvixaApp::GetMapperForType - Failed to get mapper for requested type name [%s].",
                        typeName.GetString());
            CWMIDebugLog::LogError(kBaseAppSource, __LINE__, text, corvessa::kInvalidTypeName);
        }
        return corvessa::kInvalidTypeName;
    }
    mapper->SetUserEntry(entry);
    return S_OK;
}

void CCorvessaBaseApp::InvalidateUsers()
{
    if (CCorvessaUserCache* cache = GetBusUserCache())
    {
        cache->InvalidateUsers();
    }
}

void CCorvessaBaseApp::HandleInvalidDBConnection()
{
    LoginAsSA(CBntDatabase::GetDSNFromINI());
    CWmipMapperRegistry::Instance()->HandleInvalidDBConnection();
    CWMITypeInfo::HandleInvalidDBConnection();
    InvalidateUsers();
}

int CCorvessaBaseApp::CalculateNumberOfPages(std::int32_t total, std::int32_t pageSize)
{
    // A page size of 0 or less fills no page; the division would give no number.
    if (pageSize <= 0 || total <= 0)
    {
        return 0;
    }
    return static_cast<int>((static_cast<double>(total) + pageSize - 1) / pageSize);
}

HRESULT CCorvessaBaseApp::GetVersion(std::map<std::string, qpid::types::Variant>& result)
{
    CString version;
    const CBntRegistry key(true, kInstallationKey);
    if (!key.GetStringValue(L"ProductVersion", version))
    {
        version.Empty();
    }
    result["product_name"] = qpid::types::Variant(brontel::utility::ConvertCStringToUtf8(GetInstalledProductName()));
    result["product_version"] = qpid::types::Variant(brontel::utility::ConvertCStringToUtf8(version));
    return S_OK;
}

CCorvessaException CCorvessaBaseApp::ConvertToCorvessaException(const CWMIException& source,
                                                                const std::string& defaultKey) const
{
    CWMIDebugLog::LogError(kBaseAppSource, __LINE__, source.GetMessage(), source.GetHResult(), nullptr, &source);
    std::string key = defaultKey;
    switch (source.GetHResult())
    {
    case WBEM_E_MISSING_PARAMETER_ID:
    case WBEM_E_ILLEGAL_NULL:
        key = CCorvessaException::kMissingRequestItemKey;
        break;
    case WBEM_E_INVALID_PARAMETER:
        key = CCorvessaException::kInvalidRequestItemKey;
        break;
    case corvessa::kDecodingFailed:
        key = CCorvessaException::kDecodingFailedKey;
        break;
    default:
        break;
    }
    return CCorvessaException(key, source);
}

HRESULT CCorvessaBaseApp::DeleteAuthentication(const std::string& token, const std::string& applicationId)
{
    return m_sessions->EndSession(token, applicationId);
}

// --- Authentication ----------------------------------------------------------------------

std::shared_ptr<CorvessaAuthenticationUtility> CCorvessaBaseApp::CreateAuthenticationUtility()
{
    return std::make_shared<CorvessaAuthenticationUtility>();
}

CorvessaAuthenticationUtility* CCorvessaBaseApp::GetAuthenticationUtility()
{
    // Serialised, so that requests arriving together at a fresh object see one key pair.
    const CheckedMutexLock guard(m_authenticationLock);
    if (!m_authentication)
    {
        std::shared_ptr<CorvessaAuthenticationUtility> created = CreateAuthenticationUtility();
        const HRESULT hr = created->GenerateEncryptionKeys();
        if (FAILED(hr))
        {
            throw CWMIException(kBaseAppSource, __LINE__, hr,
                                L"CCorvessaBaseApp::GetAuthenticationUtility - Failed to generate encryption keys.");
        }
        m_authentication = std::move(created);
    }
    return m_authentication.get();
}

HRESULT CCorvessaBaseApp::GetAuthenticationPublicKey(std::string& publicKey)
{
    try
    {
        publicKey = GetAuthenticationUtility()->GetPublicKey();
        return S_OK;
    }
    catch (const CWMIException& e)
    {
        // A client told "success" would go on without a key to encrypt with.
        CWMIDebugLog::LogError(kBaseAppSource, __LINE__,
                               L"CCorvessaProvixaApp::GetAuthenticationPublicKey: Unexpected exception.",
                               e.GetHResult(), nullptr, &e);
        return e.GetHResult();
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kBaseAppSource, __LINE__, L"CCorvessaProvixaApp::GetAuthenticationPublicKey", E_FAIL,
                               &e);
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kBaseAppSource, __LINE__,
                               L"CCorvessaProvixaApp::GetAuthenticationPublicKey: Unexpected exception.", E_FAIL);
    }
    return E_FAIL;
}

HRESULT CCorvessaBaseApp::DecryptCredentials(std::string& userName, std::string& password,
                                             const std::string& emptyNameKey)
{
    if (AreCredentialsEncrypted())
    {
        const CorvessaAuthenticationUtility* utility = GetAuthenticationUtility();
        for (std::string* text : {&userName, &password})
        {
            std::string plain;
            const HRESULT hr = utility->Decrypt(*text, plain);
            if (FAILED(hr))
            {
                return hr;
            }
            *text = std::move(plain);
        }
    }
    if (userName.empty())
    {
        throw CCorvessaException(emptyNameKey,
                                 std::string("Failed to decrypt provided credentials, check server error logs for "
                                             "details."));
    }
    return S_OK;
}

bool CCorvessaBaseApp::AreCredentialsEncrypted()
{
    Initialize();
    LONG value = 0;
    CBntConfigSet config(GetDatabase());
    config.GetValue(kEncryptedCredentialsConfigId, &value, nullptr, false);
    return value != 0;
}

CString CCorvessaBaseApp::GenerateSIDForInternalAccount(const std::string& userName)
{
    CString name = brontel::utility::ConvertToCString(userName);
    name.MakeUpper();
    return CString(CCorvessaSessionService::kInternalSidPrefix) + name;
}

HRESULT CCorvessaBaseApp::Authenticate(const std::string& applicationId, int directoryId, std::string userName,
                                       std::string password, std::string& token, COleDateTime& authenticationTime)
{
    authenticationTime = COleDateTime();
    authenticationTime.SetStatus(COleDateTime::invalid);
    token.clear();
    try
    {
        const HRESULT decrypted = DecryptCredentials(userName, password, CCorvessaException::kFailedToAuthenticateKey);
        if (FAILED(decrypted))
        {
            return decrypted;
        }
        Initialize();
        // Made (with its keys) before the token-map lock is taken.
        const CorvessaAuthenticationUtility* utility = GetAuthenticationUtility();
        return m_sessions->IssueToken(
            applicationId, [&](CString& sid) { return AuthenticateCredential(directoryId, userName, password, sid); },
            [utility] { return utility->GenerateToken(); }, token, authenticationTime);
    }
    catch (const CWMIException& e)
    {
        CWMIDebugLog::LogError(kBaseAppSource, __LINE__, e.GetMessage(), e.GetHResult(), nullptr, &e);
        throw CCorvessaException(CCorvessaException::kFailedToAuthenticateKey, e);
    }
}

HRESULT CCorvessaBaseApp::AuthenticateCredential(int directoryId, const std::string& userName,
                                                 const std::string& password, CString& sid)
{
    const CString name = brontel::utility::ConvertToCString(userName);
    if (directoryId == kInternalDirectoryId)
    {
        sid = GenerateSIDForInternalAccount(userName);
    }
    else
    {
        brontel::directories::DirectoryDBManager manager(GetDatabase(), nullptr);
        sid = GetSIDForDirectoryAccount(&manager, directoryId, name, password, PersonTypeSystemUser);
    }
    if (sid.IsEmpty())
    {
        throw CCorvessaException(CCorvessaException::kFailedToAuthenticateKey,
                                 CString(CCorvessaException::kSignInRefusedText));
    }
    CCorvessaUserCache* cache = GetBusUserCache();
    HRESULT hr = E_UNEXPECTED;
    if (cache != nullptr)
    {
        CWmipUserCacheEntry* entry = nullptr;
        hr = cache->LoginUser(&entry, sid, name, brontel::utility::ConvertToCString(password), directoryId);
        cache->ReleaseUser(entry);
    }
    if (cache == nullptr || FAILED(hr))
    {
        sid.Empty();
        throw CCorvessaException(
            CCorvessaException::kFailedToAuthenticateKey,
            std::string("Failed to create user cache entry, check server error logs for details."));
    }
    return hr;
}

CString CCorvessaBaseApp::GetSIDForDirectoryAccount(brontel::directories::DirectoryDBManager* manager, LONG directoryId,
                                                    const CString& userName, const std::string& password,
                                                    PersonType personType)
{
    namespace directories = brontel::directories;
    CString result;
    const auto loadResource = [](UINT id) {
        CString text;
        brontel::resources::LoadResourceString(id, text);
        return text;
    };
    try
    {
        const std::unique_ptr<directories::Directory> directory = manager->LoadDirectory(directoryId);
        if (!directory)
        {
            CWMIDebugLog::LogError(kBaseAppSource, __LINE__, loadResource(11683));
            throw CCorvessaException(CCorvessaException::kInvalidDirectoryIdKey, std::string("Invalid directory Id"));
        }
        // Each refusal writes its reason where the sign-in's failure sends the reader.
        CString reason;
        if (!directory->GetUseManualSSO())
        {
            reason.Format(L"CCorvessaBaseApp::GetSIDForDirectoryAccount - The sign-in was refused: the directory %ld "
                          L"takes no sign-on by name and password.",
                          static_cast<long>(directoryId));
            CWMIDebugLog::LogError(kBaseAppSource, __LINE__, reason);
            return result;
        }
        const std::unique_ptr<directories::DirectoryAccount> account = directory->FindAccountByName(userName);
        const CString accountId = account ? account->GetID() : CString();
        // An account id in the internal accounts' form would share an internal user's session.
        if (account && !accountId.IsEmpty() && !CCorvessaSessionService::IsInternalAccountSID(accountId))
        {
            std::vector<directories::DirectoryAccount> linked;
            if (personType == PersonTypeSystemUser)
            {
                const LONG userId = manager->GetUserIDForLinkedAccount(*account);
                if (userId == -1 || userId > 0)
                {
                    manager->LoadLinkedUserAccounts(userId, linked, directories::DirectoryAccountStatus::AllLinked);
                }
            }
            else
            {
                const LONG cardholderId = manager->GetCardholderIDForLinkedAccount(*account);
                if (cardholderId > 0)
                {
                    manager->LoadLinkedCardholderAccounts(cardholderId, linked,
                                                          directories::DirectoryAccountStatus::AllLinked);
                }
            }
            const bool isLinked = std::any_of(linked.begin(), linked.end(), [directoryId](const auto& one) {
                return one.GetDirectoryID() == directoryId;
            });
            if (!isLinked)
            {
                CWMIDebugLog::LogInfo(
                    kBaseAppSource, __LINE__,
                    L"CCorvessaBaseApp::GetSIDForDirectoryAccount - Matching directory account is not "
                    L"associated with an Ivarune person.");
            }
            else if (directory->CheckCredentials(*account, password))
            {
                result = accountId;
            }
            else
            {
                reason.Format(L"CCorvessaBaseApp::GetSIDForDirectoryAccount - The sign-in was refused: the directory "
                              L"%ld did not accept the password given for the account %s.",
                              static_cast<long>(directoryId), userName.GetString());
                CWMIDebugLog::LogError(kBaseAppSource, __LINE__, reason);
            }
        }
        else
        {
            reason.Format(L"CCorvessaBaseApp::GetSIDForDirectoryAccount - The sign-in was refused: the directory %ld "
                          L"holds no account %s.",
                          static_cast<long>(directoryId), userName.GetString());
            CWMIDebugLog::LogError(kBaseAppSource, __LINE__, reason);
        }
        if (result.IsEmpty())
        {
            CWMIDebugLog::LogInfo(kBaseAppSource, __LINE__,
                                  L"CCorvessaBaseApp::GetSIDForDirectoryAccount - Unable to find corresponding Ivarune "
                                  L"person for specified directory information.");
        }
    }
    catch (const directories::NoAccountsFoundException&)
    {
        // A person without linked accounts is not signed on, and that is no error.
    }
    catch (const directories::AccountLinkedMoreThanOnceException&)
    {
        CWMIDebugLog::LogError(kBaseAppSource, __LINE__, loadResource(11755));
    }
    catch (const directories::DirectoryException&)
    {
        CWMIDebugLog::LogError(kBaseAppSource, __LINE__, loadResource(11678));
    }
    catch (const CCorvessaException&)
    {
        throw;
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kBaseAppSource, __LINE__, L"CCorvessaProvixaApp::GetSIDForDirectoryAccount", E_FAIL, &e);
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kBaseAppSource, __LINE__,
                               L"CCorvessaProvixaApp::GetSIDForDirectoryAccount: Unexpected exception.", E_FAIL);
    }
    return result;
}

// --- Logged-in user information ------------------------------------------------------------

namespace {

struct PermissionKey
{
    const char* key;
    DWORD permissionId;
};

constexpr PermissionKey kPermissionKeys[] = {
    {"access.apm.manage_policies", 0x1000014A}, {"access.apm.manage_violations", 0x1000014B},
    {"video.ir.view_live_video", 0x30000026},   {"video.ir.view_recorded_video", 0x3000002E},
    {"video.ir.search_video", 0x30000031},      {"video.ir.export_video", 0x30000030},
    {"video.ir.transmit_audio", 0x30000038},    {"access.ir.modify_system_options", 0x1000002B},
};

}  // namespace

void CCorvessaBaseApp::PopulatePermissionMap(const CAcsUser* user, std::map<std::string, bool>& permissions)
{
    for (const PermissionKey& permission : kPermissionKeys)
    {
        permissions.emplace(permission.key, user != nullptr && user->HasPermission(permission.permissionId));
    }
}

LONG CCorvessaBaseApp::GetGroupPTZPriority(const CAcsUser* user)
{
    if (user->GetUserID() == CAcsUser::kSystemAdministratorID)
    {
        return kSystemAdministratorPtzPriority;
    }
    try
    {
        CDynamicRecordset recordset(GetDatabase());
        recordset.SetTable(L"USER_PTZ_PRIORITY");
        recordset.AddColumnToSet(L"USER_PERMID");
        recordset.AddColumnToSet(L"PRIORITY");
        recordset.AddFilterLong(L"USER_PERMID", user->GetMonitorPermissionGroupID(), CMultiFilterRecordset::Equal,
                                CMultiFilterRecordset::AndFilter);
        recordset.OpenForwardOnly();
        const LONG priority = recordset.IsEOF() ? 0 : recordset.GetInt(L"PRIORITY");
        recordset.Close();
        return priority;
    }
    catch (const CException& e)
    {
        throw CWMIException(kBaseAppSource, __LINE__, WBEM_E_FAILED, &e);
    }
}

HRESULT CCorvessaBaseApp::GetLoggedInUserInformation(const std::string& token, const std::string& applicationId,
                                                     UserInfo& info)
{
    EntryLease lease;
    const HRESULT hr = m_sessions->LeaseEntryForToken(token, applicationId, lease);
    if (FAILED(hr))
    {
        return hr;
    }
    CWmipUserCacheEntry* const entry = lease.get();
    const CAcsUser* user = entry->GetUser();
    info.userId = 0;
    info.ptzPriority = 0;
    info.firstName.clear();
    info.lastName.clear();
    info.logonId.clear();
    try
    {
        CDynamicRecordset recordset(GetDatabase());
        recordset.SetTable(L"USERS");
        for (const wchar_t* column : {L"USERID", L"LOGONID", L"FIRSTNAME", L"LASTNAME"})
        {
            recordset.AddColumnToSet(column);
        }
        recordset.AddFilterLong(L"USERID", user->GetUserID(), CMultiFilterRecordset::Equal,
                                CMultiFilterRecordset::AndFilter);
        recordset.OpenForwardOnly();
        if (!recordset.IsEOF())
        {
            info.userId = user->GetUserID();
            info.logonId = brontel::utility::ConvertCStringToUtf8(recordset.GetText(L"LOGONID"));
            info.firstName = brontel::utility::ConvertCStringToUtf8(recordset.GetText(L"FIRSTNAME"));
            info.lastName = brontel::utility::ConvertCStringToUtf8(recordset.GetText(L"LASTNAME"));
        }
        recordset.Close();
        info.ptzPriority = GetGroupPTZPriority(user);
        PopulatePermissionMap(user, info.permissions);
    }
    catch (const CWMIException& e)
    {
        // The WMI side's failure never reaches the bus host as such.
        CWMIDebugLog::LogError(kBaseAppSource, __LINE__, L"CCorvessaProvixaApp::GetLoggedInUserInformation",
                               e.GetHResult(), nullptr, &e);
        return e.GetHResult();
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kBaseAppSource, __LINE__, L"CCorvessaProvixaApp::GetLoggedInUserInformation",
                               WBEM_E_FAILED, &e);
        return WBEM_E_FAILED;
    }
    return hr;
}

HRESULT CCorvessaBaseApp::GetManagedAccessLevels(const std::string& token, const std::string& applicationId,
                                                 std::vector<AccessLevel>& levels)
{
    EntryLease lease;
    const HRESULT hr = m_sessions->LeaseEntryForToken(token, applicationId, lease);
    if (FAILED(hr))
    {
        return hr;
    }
    CWmipUserCacheEntry* const entry = lease.get();
    try
    {
        CDynamicRecordset recordset(GetDatabase());
        recordset.SetTable(L"USERS");
        recordset.AddJoin(L"USERS", L"USERID", L"USERS_ACCESSLEVEL_LINK", L"USERID", CMultiFilterRecordset::InnerJoin);
        recordset.AddJoin(L"USERS_ACCESSLEVEL_LINK", L"ACCESSLVID", L"ACCESSLVL", L"ACCESSLVID",
                          CMultiFilterRecordset::InnerJoin);
        recordset.AddColumnToSet(L"ACCESSLVID", L"ACCESSLVL");
        recordset.AddColumnToSet(L"DESCRIPT", L"ACCESSLVL");
        recordset.AddFilterLong(CSQLStatement::ConcatenateTableAndColumn(L"USERS", L"USERID"),
                                entry->GetUser()->GetUserID(), CMultiFilterRecordset::Equal,
                                CMultiFilterRecordset::AndFilter);
        // A managed level is listed as Bnt_AccessLevel shows it to the caller: in its segments.
        const CWMITypeInfo* levelType = CWmipMapperRegistry::Instance()->GetTypeInfo(L"Bnt_AccessLevel", true);
        if (levelType == nullptr)
            return WBEM_E_INVALID_CLASS;
        CWmipSegmentSourceFilter::Apply(*entry->GetUser(), *levelType, recordset, GetDatabase());
        recordset.OpenForwardOnly();
        for (; !recordset.IsEOF(); recordset.MoveNext())
        {
            levels.push_back({recordset.GetLong(0), brontel::utility::ConvertCStringToUtf8(recordset.GetText(1))});
        }
        recordset.Close();
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kBaseAppSource, __LINE__, L"CCorvessaProvixaApp::GetManagedAccessLevels", WBEM_E_FAILED,
                               &e);
        return WBEM_E_FAILED;
    }
    return hr;
}

// --- Business-event subscriptions --------------------------------------------------------

corvessa::EventSubscriptionManager* CCorvessaBaseApp::GetEventSubscriptionManager()
{
    const CheckedMutexLock guard(m_subscriptionLock);
    if (!m_subscriptionManager)
    {
        m_subscriptionManager =
            std::make_unique<corvessa::EventSubscriptionManager>(GetDatabase(), GetQpidWrapper(), m_clock);
    }
    return m_subscriptionManager.get();
}

template <typename Work>
auto CCorvessaBaseApp::RunSubscriptionOperation(const std::string& token, const std::string& applicationId, Work work)
{
    std::optional<decltype(work(*GetEventSubscriptionManager(), std::declval<const CAcsUser&>()))> result;
    RunCallerRequest(CCorvessaException::kGeneralExceptionKey, [&]() -> HRESULT {
        EntryLease lease;
        const HRESULT hr = m_sessions->LeaseEntryForToken(token, applicationId, lease);
        if (FAILED(hr))
        {
            throw CCorvessaException(static_cast<long>(hr));
        }
        // Given back also when the manager throws.
        result.emplace(work(*GetEventSubscriptionManager(), *lease.get()->GetUser()));
        return S_OK;
    });
    return std::move(*result);
}

corvessa::EventSubscription CCorvessaBaseApp::GetEventSubscriptionById(int id, const std::string& token,
                                                                       const std::string& applicationId)
{
    return RunSubscriptionOperation(token, applicationId, [id](auto& manager, const CAcsUser& caller) {
        return manager.GetEventSubscriptionById(id, caller);
    });
}

corvessa::PaginatedItems<corvessa::EventSubscription> CCorvessaBaseApp::GetEventSubscriptions(
    const std::string& token, const std::string& applicationId, boost::optional<bool> active,
    const corvessa::PagingParameters& paging)
{
    return RunSubscriptionOperation(token, applicationId, [&](auto& manager, const CAcsUser& caller) {
        return manager.GetEventSubscriptions(caller, active, paging);
    });
}

corvessa::EventSubscription CCorvessaBaseApp::AddEventSubscription(const corvessa::EventSubscription& subscription,
                                                                   const std::string& token,
                                                                   const std::string& applicationId)
{
    return RunSubscriptionOperation(token, applicationId, [&](auto& manager, const CAcsUser& caller) {
        return manager.AddEventSubscription(subscription, caller);
    });
}

corvessa::EventSubscription CCorvessaBaseApp::ModifyEventSubscription(const corvessa::EventSubscription& subscription,
                                                                      const std::string& token,
                                                                      const std::string& applicationId)
{
    return ModifyEventSubscription(subscription, corvessa::ModifiedTexts(), token, applicationId);
}

corvessa::EventSubscription CCorvessaBaseApp::ModifyEventSubscription(const corvessa::EventSubscription& subscription,
                                                                      corvessa::ModifiedTexts given,
                                                                      const std::string& token,
                                                                      const std::string& applicationId)
{
    return RunSubscriptionOperation(token, applicationId, [&](auto& manager, const CAcsUser& caller) {
        return manager.ModifyEventSubscription(subscription, caller, given);
    });
}

corvessa::EventSubscription CCorvessaBaseApp::DisableEventSubscription(const corvessa::EventSubscription& subscription,
                                                                       const std::string& token,
                                                                       const std::string& applicationId)
{
    return RunSubscriptionOperation(token, applicationId, [&](auto& manager, const CAcsUser& caller) {
        return manager.DisableEventSubscription(subscription, caller);
    });
}
