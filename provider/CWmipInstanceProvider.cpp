#include "provider/CWmipInstanceProvider.h"

#include <optional>

#include "framework/CWMITypeInfo.h"
#include "framework/CWmipClassMapper.h"
#include "framework/CWmipListObjectClassCache.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipObjectPath.h"
#include "framework/CWmipQuery.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/CBntAcsSystemOptions.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/BstrOwner.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/ModuleState.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemContext.h"
#include "platform/wmi/IWbemObjectSink.h"
#include "platform/wmi/IWbemProviderInitSink.h"
#include "platform/wmi/IWbemServices.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipCallerAccess.h"
#include "provider/CWmipRequestEnvelope.h"
#include "provider/CWmipResultSender.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

constexpr LPCWSTR kInstanceProviderSource = CWmipRequestEnvelope::kSourceName;

// The context values that ask for a partial or extended put (compared exactly).
constexpr LPCWSTR kPutExtensionNames[] = {L"__PUT_EXTENSIONS", L"__PUT_EXT_STRICT_NULLS", L"__PUT_EXT_PROPERTIES",
                                          L"__PUT_EXT_ATOMIC"};

// The classes whose definitions depend on the installation's data.
constexpr LPCWSTR kSegmentClass = L"Bnt_Segment";
constexpr LPCWSTR kSegmentGroupMemberClass = L"Bnt_SegmentGroupMember";
constexpr LPCWSTR kSegmentUnitClass = L"Bnt_SegmentUnit";
constexpr LPCWSTR kSegmentGroupClass = L"Bnt_SegmentGroup";
constexpr LPCWSTR kElementClass = L"Bnt_Element";
constexpr LPCWSTR kPersonClass = L"Bnt_Person";
constexpr LPCWSTR kBadgeClass = L"Bnt_Badge";
constexpr LPCWSTR kVisitClass = L"Bnt_Visit";
constexpr LPCWSTR kCardholderClass = L"Bnt_Cardholder";
constexpr LPCWSTR kVisitorClass = L"Bnt_Visitor";
// The database server type on which visits are not served.
constexpr LONG kServerTypeWithoutVisits = 2;

CString TextOf(const BSTR text)
{
    return text != nullptr ? CString(text) : CString();
}

// A failure raised without a text of its own carries the standard text of its result, so that
// no refusal reaches the caller without a reason.
[[noreturn]] void Fail(int line, HRESULT result)
{
    throw CWMIException(kInstanceProviderSource, line, result, CWmipMessages::ForResult(result));
}

[[noreturn]] void Fail(int line, HRESULT result, LPCWSTR message)
{
    throw CWMIException(kInstanceProviderSource, line, result, message);
}

// A failed result of the request's work: the general failure sends the reader to the log only
// when the request wrote its reason there.
[[noreturn]] void Fail(const CWmipRequestEnvelope& envelope, int line, HRESULT result)
{
    throw CWMIException(kInstanceProviderSource, line, result,
                        CWmipMessages::ForResult(result, envelope.WroteErrorLine()));
}

// The value of a context entry; VT_EMPTY when it cannot be read.
_variant_t ReadContextValue(IWbemContext* context, LPCWSTR name)
{
    _variant_t value;
    if (context == nullptr || FAILED(context->GetValue(name, 0, &value)))
        return _variant_t();
    return value;
}

// A class whose mapper only its registered factory builds is kept off GetMapper's name chain
// (the video, PTZ, workstation and video recorder classes): its refusal says so rather than
// calling the class unknown. `cause` is the result of the mapper lookup.
[[noreturn]] void FailForClass(int line, HRESULT result, HRESULT cause, const CString& className)
{
    const CWMITypeInfo* typeInfo =
        cause == WBEM_E_INVALID_CLASS ? CWmipMapperRegistry::Instance()->GetTypeInfo(className, true) : nullptr;
    if (typeInfo != nullptr && typeInfo->GetTypeConstructor())
        Fail(line, result,
             L"This provider does not serve the class: its mapper is built only through its registered factory, "
             L"as the bus front end builds it.");
    Fail(line, result);
}

// A mapper's WBEM_E_NOT_SUPPORTED means the operation is not valid on this class.
HRESULT NotSupportedIsInvalidOperation(HRESULT result)
{
    return result == WBEM_E_NOT_SUPPORTED ? WBEM_E_INVALID_OPERATION : result;
}

// An enumeration refused to the caller completes with a success code and no instances.
HRESULT AccessDeniedIsSuccess(HRESULT result)
{
    return result == WBEM_E_ACCESS_DENIED ? WBEM_S_ACCESS_DENIED : result;
}

}  // namespace

CWmipInstanceProvider::CWmipInstanceProvider()
{
    AFX_MANAGE_STATE(&theApp);
}

CWmipInstanceProvider::~CWmipInstanceProvider()
{
    AFX_MANAGE_STATE(&theApp);
    m_services.Reset();
}

HRESULT CWmipInstanceProvider::Initialize(LPWSTR, LONG, LPWSTR, LPWSTR, IWbemServices* services, IWbemContext*,
                                          IWbemProviderInitSink* initSink)
{
    AFX_MANAGE_STATE(&theApp);
    HRESULT result = WBEM_S_NO_ERROR;
    try
    {
        CWMIDebugLog::LogInfo(kInstanceProviderSource, __LINE__, L"Instance provider initializing...", nullptr, true);
        // A second call replaces the namespace; the reference to the first one is given back.
        m_services = services;
        m_connectionManager = CWmipApp::GetConnectionManager();
        m_userCache = CWmipApp::GetUserCache();
        m_listCache = CWmipApp::GetListObjectCache();
        if (m_connectionManager == nullptr || m_userCache == nullptr || m_listCache == nullptr)
            result = WBEM_E_FAILED;
        if (SUCCEEDED(result))
        {
            CWMIDebugLog::LogInfo(kInstanceProviderSource, __LINE__,
                                  L"Instance provider initialization completed successfully.", nullptr, true);
            if (initSink != nullptr)
                initSink->SetStatus(WBEM_S_INITIALIZED, 0);
        }
        else
        {
            CWMIDebugLog::LogError(kInstanceProviderSource, __LINE__, L"Instance provider initialization failed.",
                                   result);
            if (initSink != nullptr)
                initSink->SetStatus(WBEM_E_FAILED, 0);
        }
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kInstanceProviderSource, __LINE__, L"Instance provider initialization failed.",
                               WBEM_E_FAILED);
        if (initSink != nullptr)
            initSink->SetStatus(WBEM_E_FAILED, 0);
        result = WBEM_E_FAILED;
    }
    return result;
}

// --- Shared private operations.

std::unique_ptr<CWmipClassMapper> CWmipInstanceProvider::GetMapper(const CAcsUser* databaseUser,
                                                                   const CString& className,
                                                                   IWbemContext* context) const
{
    return CWmipResultSender(m_services.Get(), m_listCache).GetMapper(databaseUser, className, context);
}

void CWmipInstanceProvider::EnsureVexletPermission() const
{
    // Without Initialize there is no user cache to check the caller against.
    if (m_services == nullptr)
        Fail(__LINE__, WBEM_E_INVALID_PARAMETER);
    CWmipCallerAccess(m_userCache, m_connectionManager).EnsureVexletPermission();
}

CWmipClassMapper* CWmipInstanceProvider::LeaseMapper(CWmipRequestEnvelope& envelope, const CString& className,
                                                     IWbemContext* context) const
{
    const CAcsUser* connection = envelope.Lease().TakeConnection();
    if (connection == nullptr)
        Fail(__LINE__, WBEM_E_FAILED, CWmipMessages::kNoConnection);
    envelope.Lease().SetMapper(GetMapper(connection, className, context));
    return envelope.Lease().GetMapper();
}

HRESULT CWmipInstanceProvider::GetUser(CWmipUserCacheEntry** entry) const
{
    return CWmipCallerAccess(m_userCache, m_connectionManager).GetUser(entry);
}

void CWmipInstanceProvider::ReleaseUser(CWmipUserCacheEntry* entry) const
{
    CWmipCallerAccess(m_userCache, m_connectionManager).ReleaseUser(entry);
}

HRESULT CWmipInstanceProvider::SendClassDefinition(std::unique_ptr<CWmipClassMapper> mapper, IWbemObjectSink* sink,
                                                   BOOL trusted, BOOL systemAccount, BOOL shellOnly) const
{
    return CWmipResultSender(m_services.Get(), m_listCache)
        .SendClassDefinition(std::move(mapper), sink, trusted, systemAccount, shellOnly);
}

HRESULT CWmipInstanceProvider::SendQueryResults(const CString& className, CWmipQuery* query, IWbemContext* context,
                                                IWbemObjectSink* sink, LONG flags, BOOL all,
                                                CWmipRequestEnvelope& envelope) const
{
    return CWmipResultSender(m_services.Get(), m_listCache)
        .SendQueryResults(className, query, context, sink, flags, all, envelope.Lease());
}

BOOL CWmipInstanceProvider::HasPartialInstanceOperations(IWbemContext* context) const
{
    if (context == nullptr)
        return FALSE;
    bool matched = false;
    HRESULT result = context->BeginEnumeration(0);
    while (SUCCEEDED(result) && result != WBEM_S_NO_MORE_DATA && !matched)
    {
        BstrOwner name;
        _variant_t value;
        result = context->Next(0, name.Receive(), &value);
        if (SUCCEEDED(result) && result != WBEM_S_NO_MORE_DATA && name)
        {
            for (LPCWSTR extension : kPutExtensionNames)
                matched = matched || wcscmp(name.Get(), extension) == 0;
        }
    }
    context->EndEnumeration();
    return matched ? TRUE : FALSE;
}

// --- Object retrieval.

HRESULT CWmipInstanceProvider::GetObjectAsync(const BSTR objectPath, LONG flags, IWbemContext* context,
                                              IWbemObjectSink* sink)
{
    const CString path = TextOf(objectPath);
    CWmipRequestEnvelope envelope(L"GetObjectAsync", path, m_services.Get(), context, sink, m_connectionManager);
    // Only the whole text "Bnt_Error" is answered early; one that goes on past a NUL is malformed.
    if (objectPath != nullptr && path == L"Bnt_Error" && !CWmipRequestEnvelope::HasEmbeddedNul(objectPath))
        return envelope.AnswerEarly(WBEM_E_NOT_FOUND);

    bool trusted = false;
    bool shellOnly = false;
    if (context != nullptr)
    {
        if (CWmipApp::IsBackdoorEnabled())
        {
            const _variant_t backDoor = ReadContextValue(context, L"BackDoor");
            trusted = backDoor.vt == VT_I4 && backDoor.lVal == CWmipApp::GetBackdoorValue();
        }
        // Only the value 1 asks for the shell; VARIANT_TRUE (-1) does not.
        const _variant_t shell = ReadContextValue(context, L"ShellOnly");
        shellOnly = shell.vt == VT_BOOL && shell.boolVal == 1;
    }

    return envelope.Run([&]() -> HRESULT {
        if (objectPath == nullptr || sink == nullptr || m_services == nullptr)
            Fail(__LINE__, WBEM_E_INVALID_PARAMETER);
        // A path naming a property that is no key of its class names no instance, and a path
        // holding a NUL would be read without its rest: both take the road of a path that
        // cannot be parsed. A path naming some of the keys answers the first instance matching
        // them.
        if (CWmipRequestEnvelope::HasEmbeddedNul(objectPath) ||
            !envelope.ParsePath(objectPath, CWmipRequestEnvelope::KeyRule::kSomeKeys))
        {
            if (!trusted)
                EnsureVexletPermission();
            Fail(__LINE__, WBEM_E_INVALID_OBJECT_PATH);
        }
        if (envelope.Path()->GetKeyCount() > 0)
        {
            envelope.BeginRead();
            if (!trusted)
                EnsureVexletPermission();
            envelope.Query() = CWmipQuery::CreateFromObjectPath(*envelope.Path());
            if (envelope.Query() == nullptr)
                Fail(__LINE__, WBEM_E_INVALID_OBJECT_PATH);
            return SendQueryResults(envelope.Query()->GetClassName(), envelope.Query().get(), context, sink, flags,
                                    FALSE, envelope);
        }
        return GetClassObject(envelope.Path()->GetClassName(), context, sink, trusted, shellOnly, envelope);
    });
}

HRESULT CWmipInstanceProvider::GetClassObject(const CString& className, IWbemContext* context, IWbemObjectSink* sink,
                                              bool trusted, bool shellOnly, CWmipRequestEnvelope& envelope) const
{
    if (CWmipApp::IsInstallInProgress())
        return WBEM_E_NOT_FOUND;

    CWmipClassMapper* mapper = LeaseMapper(envelope, className, context);
    // Thrown like every other failure of the class road, so it carries its status object.
    if (mapper == nullptr || mapper->WMIStoresClassDefinition())
    {
        envelope.Lease().DeleteMapper();
        Fail(__LINE__, WBEM_E_NOT_FOUND);
    }

    CString sid;
    const bool runsAsSystemAccount =
        CWmipCallerAccess::ReadClientSid(sid) && CWmipCallerAccess::IsSystemAccountSid(sid);
    bool systemAccount = false;
    if (runsAsSystemAccount && CWmipApp::SkipLocalSystemAuthentication())
    {
        trusted = true;
        systemAccount = true;
    }

    HRESULT result = WBEM_S_NO_ERROR;
    bool shellForRefusedCaller = false;
    if (!trusted)
    {
        try
        {
            EnsureVexletPermission();
        }
        catch (const CWMIException& refusal)
        {
            if (refusal.GetHResult() != WBEM_E_ACCESS_DENIED)
            {
                // The check's own message is not kept: the class road reports its HRESULT only.
                envelope.Lease().DeleteMapper();
                Fail(__LINE__, refusal.GetHResult());
            }
            if (runsAsSystemAccount)
            {
                trusted = true;
                systemAccount = true;
            }
            else
            {
                shellForRefusedCaller = true;
            }
        }
    }

    if (shellForRefusedCaller)
        result = SendClassDefinition(envelope.Lease().TakeMapper(), sink, FALSE, FALSE, TRUE);
    else
        result = SendClassDefinition(envelope.Lease().TakeMapper(), sink, trusted ? TRUE : FALSE,
                                     systemAccount ? TRUE : FALSE, shellOnly ? TRUE : FALSE);
    if (FAILED(result))
        Fail(envelope, __LINE__, result);
    return result;
}

// --- Enumeration, queries and class listing.

HRESULT CWmipInstanceProvider::CreateInstanceEnumAsync(const BSTR className, LONG flags, IWbemContext* context,
                                                       IWbemObjectSink* sink)
{
    const CString name = TextOf(className);
    CWmipRequestEnvelope envelope(L"CreateInstanceEnumAsync", name, m_services.Get(), context, sink,
                                  m_connectionManager);
    return envelope.Run(
        [&]() -> HRESULT {
            envelope.BeginRead();
            EnsureVexletPermission();
            if (sink == nullptr || className == nullptr)
                Fail(__LINE__, WBEM_E_INVALID_PARAMETER);
            const HRESULT result = SendQueryResults(name, nullptr, context, sink, flags, TRUE, envelope);
            if (FAILED(result))
                FailForClass(__LINE__, result, result, name);
            return result;
        },
        AccessDeniedIsSuccess);
}

HRESULT CWmipInstanceProvider::ExecQueryAsync(const BSTR queryLanguage, const BSTR query, LONG flags,
                                              IWbemContext* context, IWbemObjectSink* sink)
{
    const CString text = TextOf(query);
    CWmipRequestEnvelope envelope(L"ExecQueryAsync", text, m_services.Get(), context, sink, m_connectionManager);
    return envelope.Run([&]() -> HRESULT {
        envelope.BeginRead();
        EnsureVexletPermission();
        // Nothing can be answered without a sink.
        if (sink == nullptr)
            Fail(__LINE__, WBEM_E_INVALID_PARAMETER);
        // A text holding a NUL would be read without its rest (its WHERE clause, say) and
        // select more than was asked: it is refused like a query that cannot be parsed.
        if (CWmipRequestEnvelope::HasEmbeddedNul(queryLanguage) || CWmipRequestEnvelope::HasEmbeddedNul(query))
            Fail(__LINE__, WBEM_E_PROVIDER_NOT_CAPABLE);
        // A text this provider cannot read, and any query other than SELECT, is beyond it;
        // the parser's explanation (what it expected, and where) goes with the refusal.
        CString parseError;
        envelope.Query() = CWmipQuery::CreateFromQuery(query, parseError);
        if (envelope.Query() == nullptr)
            Fail(__LINE__, WBEM_E_PROVIDER_NOT_CAPABLE, CString(CWmipMessages::kInvalidQuery) + parseError);
        if (envelope.Query()->GetKind() != CWmipQuery::kSelect)
            Fail(__LINE__, WBEM_E_PROVIDER_NOT_CAPABLE);
        const CString queried = envelope.Query()->GetClassName();
        const HRESULT sent = SendQueryResults(queried, envelope.Query().get(), context, sink, flags, TRUE, envelope);
        const HRESULT result = sent == WBEM_E_INVALID_CLASS ? WBEM_E_NOT_FOUND : sent;
        if (FAILED(result))
            FailForClass(__LINE__, result, sent, queried);
        return result;
    });
}

HRESULT CWmipInstanceProvider::CreateClassEnumAsync(const BSTR superclass, LONG flags, IWbemContext* context,
                                                    IWbemObjectSink* sink)
{
    const CString parent = TextOf(superclass);
    CWmipRequestEnvelope envelope(L"CreateClassEnumAsync", parent, m_services.Get(), context, sink,
                                  m_connectionManager);
    return envelope.Run([&]() -> HRESULT {
        // Nothing can be answered without a sink or before Initialize.
        if (sink == nullptr || m_services == nullptr)
            Fail(__LINE__, WBEM_E_INVALID_PARAMETER);

        const bool deep = (flags & WBEM_FLAG_SHALLOW) == 0;
        const bool root = parent.IsEmpty();
        const bool element = parent.CompareNoCase(kElementClass) == 0;
        const bool segment = parent.CompareNoCase(kSegmentClass) == 0;
        const bool person = parent.CompareNoCase(kPersonClass) == 0;

        // The first step that needs the database checks the caller and takes the one
        // connection that every later step shares.
        const CAcsUser* connection = nullptr;
        auto useDatabase = [&]() -> const CAcsUser* {
            if (connection == nullptr)
            {
                EnsureVexletPermission();
                connection = envelope.Lease().TakeConnection();
                if (connection == nullptr)
                    Fail(__LINE__, WBEM_E_FAILED, CWmipMessages::kNoConnection);
            }
            return connection;
        };
        // The installation's options as they stand now, read once per listing.
        std::optional<CBntAcsSystemOptions> options;
        auto systemOptions = [&]() -> const CBntAcsSystemOptions& {
            if (!options)
            {
                CBntDatabase* database = useDatabase()->GetDatabase();
                if (database == nullptr)
                    Fail(__LINE__, WBEM_E_FAILED, CWmipMessages::kNoConnection);
                options.emplace();
                options->Load(*database);
            }
            return *options;
        };
        auto segmentsInUse = [&]() -> bool { return systemOptions().SegmentsInUse(); };
        auto send = [&](LPCWSTR className) -> HRESULT {
            std::unique_ptr<CWmipClassMapper> mapper = GetMapper(useDatabase(), className, context);
            // A class whose mapper this library does not build has no definition to list; the
            // listing goes on with the classes that have one.
            if (mapper == nullptr)
                return WBEM_S_NO_ERROR;
            return SendClassDefinition(std::move(mapper), sink, FALSE, FALSE, FALSE);
        };
        auto sendAll = [&](std::initializer_list<LPCWSTR> classNames) {
            for (LPCWSTR className : classNames)
            {
                const HRESULT result = send(className);
                if (FAILED(result))
                    Fail(envelope, __LINE__, result);
            }
        };

        if (root && segmentsInUse())
            sendAll({kSegmentClass, kSegmentGroupMemberClass});
        if (element || (deep && root))
        {
            sendAll({kPersonClass, kBadgeClass});
            const CBntAcsSystemOptions& current = systemOptions();
            if (current.ServerType() != kServerTypeWithoutVisits ||
                (current.GetFlagWord() & CBntAcsSystemOptions::kVisitsOnAnyServerFlag) != 0)
                sendAll({kVisitClass});
            // The lists stay in the cache's key order; the first failure ends the listing.
            for (const auto& [listClass, descriptor] : m_listCache->GetDescriptors())
                sendAll({listClass.GetString()});
        }
        if ((segment || (deep && root)) && segmentsInUse())
            sendAll({kSegmentUnitClass, kSegmentGroupClass});
        if (person || (deep && (root || element)))
            sendAll({kCardholderClass, kVisitorClass});
        return WBEM_S_NO_ERROR;
    });
}

// --- Put, delete and method execution.

HRESULT CWmipInstanceProvider::PutInstanceAsync(IWbemClassObject* instance, LONG flags, IWbemContext* context,
                                                IWbemObjectSink* sink)
{
    CWmipRequestEnvelope envelope(L"PutInstanceAsync", CString(), m_services.Get(), context, sink, m_connectionManager);
    return envelope.Run([&]() -> HRESULT {
        EnsureVexletPermission();
        if (sink == nullptr || instance == nullptr)
            Fail(__LINE__, WBEM_E_INVALID_PARAMETER);
        if (HasPartialInstanceOperations(context))
            Fail(__LINE__, WBEM_E_PROVIDER_NOT_CAPABLE, L"The provider does not support partial instance operations.");

        CString className;
        _variant_t classValue;
        if (SUCCEEDED(instance->Get(L"__CLASS", 0, &classValue, nullptr, nullptr)) && classValue.vt == VT_BSTR &&
            classValue.bstrVal != nullptr)
            className = classValue.bstrVal;
        if (className.IsEmpty())
            Fail(__LINE__, WBEM_E_FAILED);

        CWmipClassMapper* mapper = LeaseMapper(envelope, className, context);
        if (mapper == nullptr)
            Fail(__LINE__, WBEM_E_INVALID_CLASS);

        CString writtenPath;
        const HRESULT result = mapper->WriteInstance(instance, flags, writtenPath);
        if (FAILED(result))
            Fail(envelope, __LINE__, result);
        envelope.SetResultText(writtenPath);
        return result;
    });
}

HRESULT CWmipInstanceProvider::DeleteInstanceAsync(const BSTR objectPath, LONG, IWbemContext* context,
                                                   IWbemObjectSink* sink)
{
    const CString path = TextOf(objectPath);
    CWmipRequestEnvelope envelope(L"DeleteInstanceAsync", path, m_services.Get(), context, sink, m_connectionManager);
    return envelope.Run(
        [&]() -> HRESULT {
            EnsureVexletPermission();
            if (objectPath == nullptr || sink == nullptr)
                Fail(__LINE__, WBEM_E_INVALID_PARAMETER);
            if (CWmipRequestEnvelope::HasEmbeddedNul(objectPath) || !envelope.ParsePath(objectPath) ||
                envelope.Path()->GetKeyCount() <= 0)
                Fail(__LINE__, WBEM_E_INVALID_OBJECT_PATH);

            CWmipClassMapper* mapper = LeaseMapper(envelope, envelope.Path()->GetClassName(), context);
            if (mapper == nullptr)
                Fail(__LINE__, WBEM_E_INVALID_CLASS);

            const HRESULT result = mapper->DeleteInstance(envelope.Path().get());
            if (FAILED(result))
                Fail(envelope, __LINE__, result);
            return result;
        },
        NotSupportedIsInvalidOperation);
}

HRESULT CWmipInstanceProvider::ExecMethodAsync(const BSTR objectPath, const BSTR methodName, LONG flags,
                                               IWbemContext* context, IWbemClassObject* inParams, IWbemObjectSink* sink)
{
    const CString path = TextOf(objectPath);
    CWmipRequestEnvelope envelope(L"ExecMethodAsync", path, m_services.Get(), context, sink, m_connectionManager);
    return envelope.Run(
        [&]() -> HRESULT {
            EnsureVexletPermission();
            if (objectPath == nullptr || sink == nullptr || methodName == nullptr)
                Fail(__LINE__, WBEM_E_INVALID_PARAMETER);
            if (CWmipRequestEnvelope::HasEmbeddedNul(objectPath) || !envelope.ParsePath(objectPath))
                Fail(__LINE__, WBEM_E_INVALID_OBJECT_PATH);

            CWmipClassMapper* mapper = LeaseMapper(envelope, envelope.Path()->GetClassName(), context);
            if (mapper == nullptr)
                Fail(__LINE__, WBEM_E_INVALID_CLASS);
            // The method's own permission decides, inside the mapper, as on the bus door: the
            // class's view right is a read's, and a method serves nothing a read would.
            // A name holding a NUL is no method of any class, whatever its first part names.
            if (CWmipRequestEnvelope::HasEmbeddedNul(methodName) || !mapper->IsMethodSupported(methodName))
                Fail(__LINE__, WBEM_E_METHOD_NOT_IMPLEMENTED);
            // The one door that carries embedded objects: one of another class than its parameter
            // takes is refused before any method reads it as its own.
            if (const CWMITypeInfo* typeInfo = mapper->GetTypeInfo())
                typeInfo->RequireObjectParameterClasses(methodName, inParams);

            const HRESULT result =
                mapper->ExecuteMethod(envelope.Path().get(), methodName, flags, context, inParams, sink);
            if (FAILED(result))
                Fail(envelope, __LINE__, result);
            return result;
        },
        NotSupportedIsInvalidOperation);
}

// --- Not supported.

HRESULT CWmipInstanceProvider::OpenNamespace(const BSTR, LONG, IWbemContext*, IWbemServices**, IWbemCallResult**)
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT CWmipInstanceProvider::CancelAsyncCall(IWbemObjectSink*)
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT CWmipInstanceProvider::QueryObjectSink(LONG, IWbemObjectSink**)
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT CWmipInstanceProvider::GetObject(const BSTR, LONG, IWbemContext*, IWbemClassObject**, IWbemCallResult**)
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT CWmipInstanceProvider::PutClass(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**)
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT CWmipInstanceProvider::PutClassAsync(IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*)
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT CWmipInstanceProvider::DeleteClass(const BSTR, LONG, IWbemContext*, IWbemCallResult**)
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT CWmipInstanceProvider::DeleteClassAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT CWmipInstanceProvider::CreateClassEnum(const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**)
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT CWmipInstanceProvider::PutInstance(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**)
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT CWmipInstanceProvider::DeleteInstance(const BSTR, LONG, IWbemContext*, IWbemCallResult**)
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT CWmipInstanceProvider::CreateInstanceEnum(const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**)
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT CWmipInstanceProvider::ExecQuery(const BSTR, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**)
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT CWmipInstanceProvider::ExecNotificationQuery(const BSTR, const BSTR, LONG, IWbemContext*,
                                                     IEnumWbemClassObject**)
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT CWmipInstanceProvider::ExecNotificationQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
{
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT CWmipInstanceProvider::ExecMethod(const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*,
                                          IWbemClassObject**, IWbemCallResult**)
{
    return WBEM_E_NOT_SUPPORTED;
}
