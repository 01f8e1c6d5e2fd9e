// CCorvessaBaseApp: the application object of the message-bus front end. The bus-hosting
// service constructs one, hands it its bus interface (SetQpidWrapper) and calls the exported
// operations with a session token and an application id from threads of its own. Being the
// current CWmipApp, it makes the WMI side's services (connection manager, class cache, user
// cache, mapper registry) run in the host with a CCorvessaUserCache as the user cache.
//
// Sessions: Authenticate logs a user in and issues a session token; every request turns its
// token into the user's cache entry and gives it back after its work (CCorvessaSessionService,
// which keeps the tokens). The expiration thread sweeps aged tokens out about every 300
// seconds.
//
// Thread-safe. The expiration thread is stopped and joined before the session service goes.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <boost/optional.hpp>

#include "platform/win32/ThreadSafety.h"
#include "bus/EventSubscription.h"
#include "bus/PaginatedItems.h"
#include "bus/CCorvessaQpidInstance.h"
#include "bus/CCorvessaQpidMethodParameter.h"
#include "bus/CCorvessaSessionService.h"
#include "bus/PagingParameters.h"
#include "platform/mfc/COleDateTime.h"
#include "platform/mfc/CString.h"
#include "platform/qpid/IQpidWrapper.h"
#include "platform/qpid/Variant.h"
#include "platform/win32/Clock.h"
#include "platform/win32/Threading.h"
#include "platform/win32/WinTypes.h"
#include "provider/CWmipApp.h"

class CAcsUser;
class CCorvessaException;
class CCorvessaQpidType;
class CCorvessaUserCache;
class CWmipClassMapper;
class CWmipQuery;
class CWmipUserCacheEntry;
class CorvessaAuthenticationUtility;
class CorvessaTokenExpirationThread;

namespace brontel::utility {
class CWMIException;
}
namespace brontel::directories {
class DirectoryDBManager;
}
namespace corvessa {
class EventSubscriptionManager;
}

class CCorvessaBaseApp : public CWmipApp
{
public:
    // The user behind a session token (GetLoggedInUserInformation).
    struct UserInfo
    {
        LONG userId = 0;
        std::string firstName;
        std::string lastName;
        std::string logonId;
        std::map<std::string, bool> permissions;
        LONG ptzPriority = 0;
    };
    // An access level the user manages (GetManagedAccessLevels).
    struct AccessLevel
    {
        LONG accessLevelId = 0;
        std::string description;
    };
    // The kind of record a directory account must be linked to.
    enum PersonType
    {
        PersonTypeSystemUser = 0,
        PersonTypeCardholder = 1
    };

    // The paging of a read's reply: rows over all pages, pages (0 for a count), and the
    // request's page number and size.
    struct CorvessaPaginatedInfo
    {
        std::int32_t totalCount = 0;
        std::int32_t totalPages = 0;
        std::int32_t pageNumber = 0;
        std::int32_t pageSize = 0;
    };
    // The instances of a read; the caller owns them.
    using InstanceList = std::vector<std::unique_ptr<CCorvessaQpidInstance>>;
    // Receives the instances of a page one at a time, in page order, as they are read; it owns
    // each from then on.
    using InstanceSink = std::function<void(std::unique_ptr<CCorvessaQpidInstance>)>;

    static constexpr LONG kInternalDirectoryId = -1;
    // Configuration value: non-zero when clients send their credentials encrypted.
    static constexpr LONG kEncryptedCredentialsConfigId = 241;
    static constexpr LONG kSystemAdministratorPtzPriority = 1000;

    // Starts the token expiration thread.
    // clock (not owned, outlives the object) times token ages, the user cache, the token sweep
    // and the subscriptions' changes and expiry.
    explicit CCorvessaBaseApp(const IClock& clock = IClock::Process());
    // Stops and joins the expiration thread first, then lets the rest go.
    ~CCorvessaBaseApp() override;

    // Asks the expiration thread to stop (without waiting), then the base's exit.
    int ExitInstance() override;

    // Stores the host's bus interface (not owned), replacing an earlier one; the subscription
    // manager sends its later notices through it, whenever it was made.
    void SetQpidWrapper(sms::qpid::wrapper::IQpidWrapper* wrapper);
    sms::qpid::wrapper::IQpidWrapper* GetQpidWrapper() const;

    // "product_name" and "product_version" of the installation (UTF-8; empty when absent).
    // Always S_OK; needs no token.
    HRESULT GetVersion(std::map<std::string, qpid::types::Variant>& result);
    // After a lost database connection: logs the system account in again and drops the
    // registry's, the type descriptions' and the user cache's cached state.
    void HandleInvalidDBConnection();
    // Drops every cached user; existing tokens then fail until their users log in again.
    void InvalidateUsers();
    // The number of pages of pageSize rows that total rows fill (0 for 0 rows).
    static int CalculateNumberOfPages(std::int32_t total, std::int32_t pageSize);

    // Logs a user in (directory id -1: an internal account; otherwise a directory account)
    // and issues a session token. token and authenticationTime (local time) are emptied
    // first and set only on success. S_OK; the decryption's failure HRESULT for encrypted
    // credentials that do not decrypt. Throws CCorvessaException
    // "corvessa.authentication.failedtoauthenticate" for every refused login,
    // "corvessa.getdirectories.invaliddirectoryId" for an unknown directory, and
    // GenericException when the database cannot be reached.
    HRESULT Authenticate(const std::string& applicationId, int directoryId, std::string userName, std::string password,
                         std::string& token, COleDateTime& authenticationTime);
    // The public key text with which clients encrypt their credentials. S_OK; the key
    // generation's failure HRESULT (logged; publicKey unchanged). Needs no token.
    HRESULT GetAuthenticationPublicKey(std::string& publicKey);
    // Configuration value 241, read anew; runs Initialize first.
    bool AreCredentialsEncrypted();
    // Ends the token's session. The token check's HRESULT (S_OK, or the cache's failure for
    // a token whose user is no longer cached; the token goes in both cases). Throws
    // CCorvessaException "corvessa.general.invalidsessiontoken" for an unknown or aged token.
    HRESULT DeleteAuthentication(const std::string& token, const std::string& applicationId);

    // The identity, permission keys and PTZ priority of the token's user. S_OK; the token
    // check's failure; 0x80041001 for a database failure (logged). Throws as the token check.
    HRESULT GetLoggedInUserInformation(const std::string& token, const std::string& applicationId, UserInfo& info);
    // Appends the access levels the token's user manages. S_OK; the token check's failure;
    // 0x80041001 for a database failure (the levels read before it stay). Throws as the token
    // check.
    HRESULT GetManagedAccessLevels(const std::string& token, const std::string& applicationId,
                                   std::vector<AccessLevel>& levels);

    // --- Types ---------------------------------------------------------------------------
    // Every type the bus exposes -> its parent's name (empty for none), UTF-8, in result.
    // S_OK; the token check's failure HRESULT. Throws as the token check.
    HRESULT GetTypes(const std::string& token, const std::string& applicationId,
                     std::map<std::string, qpid::types::Variant>& result);
    // The full description of the type (UTF-8 name) for the token's user, in result (which
    // then describes that type alone). S_OK; the token check's failure HRESULT. Throws
    // CCorvessaException "corvessa.general.invalidtypename" for an unknown or hidden type and
    // for a failure of the type description; GenericException without a database.
    HRESULT GetType(const std::string& token, const std::string& applicationId, std::string typeName,
                    CCorvessaQpidType& result);

    // --- Multimedia objects and directories ---------------------------------------------
    // The stored bytes of the person's multimedia object of the object and data type (the
    // first one the mapper reads) as a string in data, and their MIME type in contentType;
    // both untouched when there is none or the caller may not view multimedia objects.
    // S_OK; the token check's failure; 0x80040522 without a mapper; the filter check's
    // failure. Throws CCorvessaException "corvessa.general.invalidfilter" for a failing read;
    // GenericException without a database.
    HRESULT GetMultimediaObjectData(const std::string& token, const std::string& applicationId, LONG personId,
                                    int objectType, int dataType, qpid::types::Variant& contentType,
                                    qpid::types::Variant& data);
    // Every directory the system administrator may view that matches the filter (a WQL
    // condition on Bnt_Directory, UTF-8; empty or blank for all), in directories (emptied
    // first). Needs no token. S_OK; 0x80041001 without the system administrator; the view
    // check's failure (no directories); 0x80040521 for a filter the query translation
    // refuses. Throws CCorvessaException "corvessa.general.invalidtypename" without a mapper,
    // "corvessa.general.exception" for any other failing read.
    HRESULT GetDirectories(const std::string& filter, InstanceList& directories);
    // The cardholder linked to the directory account the credentials name, in *cardholderId.
    // The token check's (or the decryption's) HRESULT. Throws CCorvessaException:
    // "corvessa.general.exception" for empty credentials and failures,
    // "corvessa.getdirectories.invaliddirectoryId", "corvessa.general.invalidcredentials"
    // when the account, its cardholder link or the password does not hold, and
    // "corvessa.general.notfound" when no cardholder has the account's SID.
    HRESULT GetCardholderFromDirectory(const std::string& token, const std::string& applicationId, int directoryId,
                                       std::string userName, std::string password, LONG* cardholderId);

    // --- Business-event subscriptions ----------------------------------------------------
    // Each checks the token and hands the work to the subscription manager with the token's
    // user as the caller; the manager's result. A write that finds the caller's rights moved
    // under its lock (its session withdrawn while it waited) writes nothing and is answered
    // anew, as a request starting then. Throws CCorvessaException: from the token's HRESULT
    // (0x80040520 "corvessa.general.invalidsessiontoken") and the manager's errors;
    // GenericException when the database cannot be reached. The token's entry is given back
    // on every path.
    corvessa::EventSubscription GetEventSubscriptionById(int id, const std::string& token,
                                                         const std::string& applicationId);
    corvessa::PaginatedItems<corvessa::EventSubscription> GetEventSubscriptions(
        const std::string& token, const std::string& applicationId, boost::optional<bool> active,
        const corvessa::PagingParameters& paging);
    corvessa::EventSubscription AddEventSubscription(const corvessa::EventSubscription& subscription,
                                                     const std::string& token, const std::string& applicationId);
    corvessa::EventSubscription ModifyEventSubscription(const corvessa::EventSubscription& subscription,
                                                        const std::string& token, const std::string& applicationId);
    // The same taking only the texts `given` names: the others keep the value stored when the
    // write holds its lock (the operation above takes the description and the filter always).
    corvessa::EventSubscription ModifyEventSubscription(const corvessa::EventSubscription& subscription,
                                                        corvessa::ModifiedTexts given, const std::string& token,
                                                        const std::string& applicationId);
    corvessa::EventSubscription DisableEventSubscription(const corvessa::EventSubscription& subscription,
                                                         const std::string& token, const std::string& applicationId);
    // --- Instances -----------------------------------------------------------------------
    // One page of the type's instances matching the filter (a WQL condition, UTF-8), or with
    // page size 0 only their count in info. An abstract type is read over its concrete derived
    // types laid end to end by name. S_OK; the token check's failure; 0x80040522 for a type
    // that is not exposed or has no mapper; 0x80040521 for a filter the parser or database
    // refuses, a filter naming an unknown property or an invalid value, or a failing read.
    // Throws CCorvessaException "corvessa.general.invalidrequestitem" for paging that names no
    // page (page below 1, negative size, last row beyond 32 bits) or a page from 2 on past the
    // last; "corvessa.general.invalidsessiontoken"; GenericException without a database.
    HRESULT GetInstance(const std::string& token, const std::string& applicationId, std::string& typeName,
                        const std::string& filter, const corvessa::PagingParameters& paging,
                        CorvessaPaginatedInfo& info, InstanceList& instances);
    // The same read handing each instance to `sink` as soon as it is converted, so a page of
    // any size holds one instance at a time rather than all of them. Results and exceptions as
    // above; on a failure (a result that failed or an exception) what the sink received is no
    // page and is to be discarded.
    HRESULT GetInstance(const std::string& token, const std::string& applicationId, std::string& typeName,
                        const std::string& filter, const corvessa::PagingParameters& paging,
                        CorvessaPaginatedInfo& info, const InstanceSink& sink);
    // Writes a new instance (AddInstance) or changes one (ModifyInstance); result then holds
    // the written instance's class and keys. isBase64: binary values arrive as Base64 text.
    // The mapper's HRESULT; the token check's and GetMapperForType's failures. Throws
    // CCorvessaException for the mapper's refusals ("corvessa.editinstance.error" unless the
    // failure names a missing or invalid item) and for invalid values.
    HRESULT AddInstance(const std::string& token, const std::string& applicationId,
                        const CCorvessaQpidInstance& instance, CCorvessaQpidInstance& result, bool isBase64);
    HRESULT ModifyInstance(const std::string& token, const std::string& applicationId,
                           const CCorvessaQpidInstance& instance, CCorvessaQpidInstance& result, bool isBase64);
    // Deletes the instance its type and keys name. Results as for AddInstance.
    HRESULT DeleteInstance(const std::string& token, const std::string& applicationId,
                           const CCorvessaQpidInstance& instance);
    // Runs a method of the target's type (a target without values) or of the instance its keys
    // name; output receives the method's out-parameters when it indicates some. Results as
    // for AddInstance, with "corvessa.executemethod.error".
    HRESULT ExecuteMethod(const std::string& token, const std::string& applicationId,
                          const CCorvessaQpidInstance& target, const std::string& methodName,
                          const CCorvessaQpidMethodParameter& input, CCorvessaQpidMethodParameter& output);

protected:
    friend class CorvessaTokenExpirationThread;

    // --- Instances -----------------------------------------------------------------------
    // One page (or the count) of one mapper's type; entry and mapper are only used. S_OK (also
    // when the caller may not view the type: no instances); 0x80040520 without an entry,
    // 0x80040522 without a mapper; CheckGetInstanceFilter's failure. Throws CWMIException for
    // a filter the mapper refuses and a failing read.
    HRESULT GetInstanceImpl(CWmipUserCacheEntry* entry, CWmipClassMapper* mapper, CWmipQuery* query,
                            const corvessa::PagingParameters& paging, CorvessaPaginatedInfo& info,
                            const InstanceSink& sink, const std::string& typeName);
    // The filter's property = literal pairs checked against the type: S_OK; 0x80041002 for a
    // type without description; 0x80040521 with property (and value, when the value is at
    // fault) set for an unknown property or a value its type cannot hold (one outside the
    // property's value list is no fault: it selects the rows that hold it).
    HRESULT CheckGetInstanceFilter(const CString& typeName, CWmipQuery* query, CString& value, CString& property);
    // Logs the filter check's failure of the operation with its code: the property, and the value
    // when it is at fault.
    static void LogFilterCheckFailure(const wchar_t* operation, const CString& value, const CString& property,
                                      HRESULT hr);
    // The page (or the count) over the derived types, laid end to end by name; types without
    // mapper or view permission count no rows. Results as GetInstanceImpl's (its last call's);
    // throws the first rejection of the filter when every type rejects it.
    HRESULT GetInstancesOfDerivedTypes(const std::vector<CString>& derivedTypes, CWmipUserCacheEntry* entry,
                                       CWmipQuery* query, const corvessa::PagingParameters& paging,
                                       CorvessaPaginatedInfo& info, const InstanceSink& sink, std::string& typeName);
    // AddInstance (add set) and ModifyInstance.
    HRESULT AddOrModifyInstanceImpl(const std::string& token, const std::string& applicationId, bool add,
                                    const CCorvessaQpidInstance& instance, CCorvessaQpidInstance& result,
                                    bool isBase64);

    std::unique_ptr<CWmipUserCache> CreateUserCache() override;
    // The user cache as the bus cache; null when it is of another kind or cannot be made.
    static CCorvessaUserCache* GetBusUserCache();

    // Logs the application in to the database when it is not; throws GenericException when
    // that fails.
    void Initialize();
    // A mapper of the type bound to the entry, in mapper. S_OK; 0x80041008 without an entry;
    // 0x80040522 for a type that is not exposed or has no mapper (logged when log is set).
    HRESULT GetMapperForType(const CString& typeName, CWmipUserCacheEntry* entry,
                             std::unique_ptr<CWmipClassMapper>& mapper, bool log);
    // The bus error for a mapper's failure (logged): its HRESULT chooses the key
    // (0x80041036 and 0x80041028 "corvessa.general.missingrequestitem", 0x80041008
    // "corvessa.general.invalidrequestitem", 0x80040524 "corvessa.general.decodingfailed", any
    // other defaultKey); its message, rewritten.
    CCorvessaException ConvertToCorvessaException(const brontel::utility::CWMIException& source,
                                                  const std::string& defaultKey) const;

    // The session tokens; valid as long as the application object.
    CCorvessaSessionService& Sessions();

    // --- Authentication ------------------------------------------------------------------
    // The SID of the credentials and the login of its user into the cache. The login's
    // HRESULT; throws as Authenticate.
    HRESULT AuthenticateCredential(int directoryId, const std::string& userName, const std::string& password,
                                   CString& sid);
    // "INTERNAL_SID_FOR_" and the upper-cased user name.
    static CString GenerateSIDForInternalAccount(const std::string& userName);
    // The id of the directory account that the credentials name, when it takes manual
    // single sign-on, is linked to a person of the kind and the password is right; empty
    // otherwise. Throws CCorvessaException "corvessa.getdirectories.invaliddirectoryId" for
    // an unknown directory.
    CString GetSIDForDirectoryAccount(brontel::directories::DirectoryDBManager* manager, LONG directoryId,
                                      const CString& userName, const std::string& password, PersonType personType);
    // The authentication utility, made with its key pair on first use (serialised). Throws
    // CWMIException when the keys cannot be made; the next call tries again.
    CorvessaAuthenticationUtility* GetAuthenticationUtility();
    // A new, not yet keyed utility.
    virtual std::shared_ptr<CorvessaAuthenticationUtility> CreateAuthenticationUtility();
    // When the installation asks for encrypted credentials, decrypts the user name and then
    // the password in place. S_OK; the first failing decryption's HRESULT (the texts are then
    // unchanged from that one on). Throws CWMIException when the keys cannot be made, and
    // CCorvessaException(emptyNameKey) when the user name comes out empty.
    HRESULT DecryptCredentials(std::string& userName, std::string& password, const std::string& emptyNameKey);

    // --- Business-event subscriptions ----------------------------------------------------
    // The one manager, made on the first call (with the application's database and the bus
    // interface stored at that moment) under m_subscriptionLock, so that first calls that
    // meet share one manager. Valid as long as the application object.
    corvessa::EventSubscriptionManager* GetEventSubscriptionManager();

    // --- Logged-in user information -----------------------------------------------------
    LONG GetGroupPTZPriority(const CAcsUser* user);
    static void PopulatePermissionMap(const CAcsUser* user, std::map<std::string, bool>& permissions);

private:
    // The skeleton of the writes and method execution: RunCallerRequest of the token's entry
    // (given back on every path), the type's mapper (failure logged), then work(entry, mapper).
    // The failures of the token check and the mapper look-up are returned; a CWMIException is
    // thrown as the bus error of errorKey (ConvertToCorvessaException).
    template <typename Work>
    HRESULT RunWithMapper(const std::string& token, const std::string& applicationId, const CString& typeName,
                          const std::string& errorKey, Work work);

    using EntryLease = CCorvessaSessionService::EntryLease;

    // The token's entry, leased in lease, and a mapper of typeName bound to it in mapper
    // (GetMapperForType, log as there). The token check's failure with lease left empty;
    // GetMapperForType's with lease held; S_OK.
    HRESULT LeaseMapperForToken(const std::string& token, const std::string& applicationId, const CString& typeName,
                                bool log, EntryLease& lease, std::unique_ptr<CWmipClassMapper>& mapper);
    // Initialize, then `request` (which leases the token's entry itself) through
    // CWmipWriteFrame::AnswerCallerRequest: run anew when a write frame found its caller's
    // rights moved under the lock, so that its next look-up renews or ends the session. What the
    // last run returned; a CWMIException is thrown as the bus error of errorKey
    // (ConvertToCorvessaException). The one skeleton of every bus request that writes.
    HRESULT RunCallerRequest(const std::string& errorKey, const std::function<HRESULT()>& request);
    // RunCallerRequest of: the token's user (the token's failure HRESULT thrown as
    // CCorvessaException), then work(manager, user) with the entry held until it returns or
    // throws; a CWMIException as "corvessa.general.exception" unless its HRESULT names a key.
    template <typename Work>
    auto RunSubscriptionOperation(const std::string& token, const std::string& applicationId, Work work);

    // Set at construction.
    const IClock& m_clock;

    // Made before the thread starts and destroyed (in the destructor) after it is joined.
    std::unique_ptr<CCorvessaSessionService> m_sessions;

    CheckedMutex m_authenticationLock;
    std::shared_ptr<CorvessaAuthenticationUtility> m_authentication GUARDED_BY(m_authenticationLock);

    CheckedMutex m_subscriptionLock;
    std::unique_ptr<corvessa::EventSubscriptionManager> m_subscriptionManager GUARDED_BY(m_subscriptionLock);

    std::atomic<sms::qpid::wrapper::IQpidWrapper*> m_qpidWrapper{nullptr};

    std::unique_ptr<CorvessaTokenExpirationThread> m_tokenThread;
};
