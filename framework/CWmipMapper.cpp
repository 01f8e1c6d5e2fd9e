#include "framework/CWmipMapper.h"

#include "framework/IWmipFrameworkHost.h"
#include "platform/com/BstrOwner.h"

#include "common/DateTimeZoneInfo.h"
#include "common/KvrTime.h"
#include "framework/CWmipClassCache.h"
#include "framework/CWmipQuery.h"
#include "framework/WMIHelper.h"
#include "framework/WqlExpression.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/Bstr.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "platform/security/CallerIdentity.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemContext.h"
#include "platform/wmi/IWbemServices.h"
#include "platform/wmi/WbemContext.h"
#include "provider/CWmipCallerAccess.h"
#include "provider/CWmipUserCache.h"
#include "provider/CWmipUserCacheEntry.h"

#include <exception>
#include <functional>
#include <memory>
#include <new>
#include <optional>

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

constexpr const wchar_t* kSourceFile = L"wpmapper.cpp";

// The first property a comparison of the expression names that `known` refuses; empty when
// there is none. System properties (__CLASS, ...) are the service's and always known.
CString FirstUnknownProperty(const WqlExpression& expression, const std::function<bool(const CString&)>& known)
{
    if (expression.GetKind() == WqlExpression::Kind::Comparison)
    {
        const CString& property = expression.GetProperty();
        return property.Left(2) == L"__" || known(property) ? CString() : property;
    }
    for (const std::unique_ptr<WqlExpression>& operand : expression.GetOperands())
    {
        const CString unknown = FirstUnknownProperty(*operand, known);
        if (!unknown.IsEmpty())
            return unknown;
    }
    return CString();
}

// The caller's class definition as mapper.GetClass hands it out, held for as long as the
// result lives; null when it cannot be built. A definition WMI stores stays the mapper's (the
// reference taken here is the holder's own); any other is handed to the caller.
ComPtr<IWbemClassObject> CallerDefinition(CWmipMapper& mapper)
{
    IWbemClassObject* definition = nullptr;
    if (FAILED(mapper.GetClass(&definition, FALSE)) || definition == nullptr)
        return {};
    ComPtr<IWbemClassObject> held;
    if (mapper.WMIStoresClassDefinition())
        held = definition;
    else
        held.Attach(definition);
    return held;
}

// Whether the definition (null: none could be built) has the property.
bool DefinitionHasProperty(IWbemClassObject* definition, const CString& property)
{
    return definition != nullptr && SUCCEEDED(definition->Get(property, 0, nullptr, nullptr, nullptr));
}

// Raises the internal trust counter for the scope of a nested call made as the system.
class BackdoorScope
{
public:
    BackdoorScope() : m_host(IWmipFrameworkHost::Current())
    {
        if (m_host != nullptr)
            m_host->SetHostTrust(1);
    }
    ~BackdoorScope()
    {
        if (m_host != nullptr)
            m_host->SetHostTrust(0);
    }
    BackdoorScope(const BackdoorScope&) = delete;
    BackdoorScope& operator=(const BackdoorScope&) = delete;

private:
    IWmipFrameworkHost* const m_host;
};

// The host's service, or null without a host.
template <typename Service>
Service* FromHost(Service* (IWmipFrameworkHost::*get)())
{
    IWmipFrameworkHost* host = IWmipFrameworkHost::Current();
    return host != nullptr ? (host->*get)() : nullptr;
}

// Runs the call with the thread's identity chosen for it and restores the identity after.
// asSystem: the process's own identity (any client impersonation is suspended); otherwise the
// calling client's.
class IdentityScope
{
public:
    explicit IdentityScope(bool asSystem) : m_wasImpersonating(CallerIdentity::IsImpersonating())
    {
        if (asSystem)
        {
            if (!m_wasImpersonating)
                return;
            if (FAILED(CoRevertToSelf()))
            {
                CWMIDebugLog::LogError(kSourceFile, __LINE__, L"Unable to impersonate self.");
                return;
            }
            m_restoreClient = true;
            return;
        }
        // A thread that has no client (the bus front end, an internal thread) runs as itself.
        const HRESULT hr = CoImpersonateClient();
        m_revertClient = SUCCEEDED(hr) && !m_wasImpersonating;
        if (FAILED(hr) && hr != RPC_E_NO_CONTEXT)
            CWMIDebugLog::LogError(kSourceFile, __LINE__, L"Unable to impersonate client", hr);
    }
    ~IdentityScope()
    {
        if (m_restoreClient)
            CoImpersonateClient();
        if (m_revertClient)
            CoRevertToSelf();
    }
    IdentityScope(const IdentityScope&) = delete;
    IdentityScope& operator=(const IdentityScope&) = delete;

private:
    const bool m_wasImpersonating;
    bool m_restoreClient = false;
    bool m_revertClient = false;
};

}  // namespace

CWmipMapper::CWmipMapper(IWbemContext* context, IWbemServices* services, const wchar_t* className)
    : m_context(context), m_services(services), m_className(className != nullptr ? className : L""),
      m_classCache(FromHost(&IWmipFrameworkHost::GetHostClassCache)),
      m_connectionManager(FromHost(&IWmipFrameworkHost::GetHostConnectionManager)),
      m_userCache(FromHost(&IWmipFrameworkHost::GetHostUserCache))
{
}

CWmipMapper::~CWmipMapper()
{
    SetUserEntry(nullptr);
}

BOOL CWmipMapper::WMIStoresClassDefinition()
{
    return FALSE;
}

ProcessClauseResult CWmipMapper::ProcessClause(CString& /*property*/, int& wqlOperator, CString& literal,
                                               CString& /*extra*/)
{
    // Date-time columns hold "YYYY-MM-DD HH:MM:SS" wall-clock text: a date literal (DMTF, or
    // ISO 8601 under the bus front end, naming a UTC instant) is turned into that form.
    if (wqlOperator == WqlOpIsNull || wqlOperator == WqlOpIsNotNull || wqlOperator == WqlOpIsa)
        return ProcessClausePlain;
    CString text;
    if (!UnquoteWqlLiteral(literal, text))
        return ProcessClausePlain;
    COleDateTime value = WMIHelper::ToDateTimeUTC(text);
    if (value.GetStatus() != COleDateTime::valid)
        return ProcessClausePlain;
    if (!IsUseUTC())
        value = UtcToLocal(value);
    if (value.GetStatus() != COleDateTime::valid)
        return ProcessClausePlain;
    literal.Format(L"\"%04d-%02d-%02d %02d:%02d:%02d\"", value.GetYear(), value.GetMonth(), value.GetDay(),
                   value.GetHour(), value.GetMinute(), value.GetSecond());
    return ProcessClausePlain;
}

HRESULT CWmipMapper::ProcessClassPermissions(IWbemClassObject* /*classObject*/)
{
    return S_OK;
}

HRESULT CWmipMapper::CreateClass(IWbemClassObject** classObject, BOOL /*system*/)
{
    return GetObject(m_className, classObject, 1, 0);
}

bool CWmipMapper::IsUseUTC()
{
    return false;
}

bool CWmipMapper::IsUseByteArray()
{
    return false;
}

bool CWmipMapper::HasPerPropertyPermissions()
{
    return false;
}

bool CWmipMapper::CanAccessProperty(const CString& /*property*/)
{
    return true;
}

bool CWmipMapper::IsQueryableProperty(const CString& /*property*/)
{
    return true;
}

bool CWmipMapper::ClassDefinitionHasProperty(const CString& property)
{
    return DefinitionHasProperty(CallerDefinition(*this).Get(), property);
}

HRESULT CWmipMapper::FetchStoredClassDefinition()
{
    auto fetch = [this](ComPtr<IWbemClassObject>& fetched) -> HRESULT {
        BackdoorScope trust;
        return CWmipMapper::CreateClass(&fetched, TRUE);
    };
    ComPtr<IWbemClassObject> fetched;
    HRESULT hr = S_OK;
    // Fetched as the system, the definition is the same for every caller: the class cache
    // keeps it for its span, so that each request does not fetch it again.
    if (m_classCache != nullptr)
    {
        IWbemClassObject* copy = nullptr;
        hr = m_classCache->GetStoredClass(m_className, m_services.Get(), fetch, &copy);
        fetched.Attach(copy);
    }
    else
    {
        hr = fetch(fetched);
    }
    if (SUCCEEDED(hr) && fetched == nullptr)
        return WBEM_E_FAILED;
    if (SUCCEEDED(hr))
        m_storedClass = std::move(fetched);
    return hr;
}

HRESULT CWmipMapper::GetClass(IWbemClassObject** classObject, BOOL system)
{
    if (classObject == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *classObject = nullptr;

    if (WMIStoresClassDefinition())
    {
        if (!m_storedClassFetched)
        {
            m_storedClassResult = FetchStoredClassDefinition();
            m_storedClassFetched = true;
        }
        if (FAILED(m_storedClassResult))
            return m_storedClassResult;
        *classObject = m_storedClass.Get();
        return m_storedClassResult;
    }

    CAcsUser* user = nullptr;
    if (!system)
    {
        const HRESULT hr = GetUser(&user);
        if (FAILED(hr))
            return hr;
    }

    if (m_classCache != nullptr)
    {
        if (system)
        {
            BackdoorScope trust;
            return m_classCache->GetClass(*this, nullptr, TRUE, classObject);
        }
        return m_classCache->GetClass(*this, user, FALSE, classObject);
    }

    // Without a class cache the definition is built for this call alone.
    ComPtr<IWbemClassObject> built;
    HRESULT hr = S_OK;
    if (system)
    {
        BackdoorScope trust;
        hr = CreateClass(&built, TRUE);
    }
    else
    {
        hr = CreateClass(&built, FALSE);
    }
    if (FAILED(hr))
        return hr;
    if (built == nullptr)
        return WBEM_E_FAILED;
    if (!system)
        ProcessClassPermissions(built.Get());
    *classObject = built.Detach();
    return S_OK;
}

HRESULT CWmipMapper::GetObject(const wchar_t* path, IWbemClassObject** object, int asSystem, int shellOnly)
{
    if (object == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *object = nullptr;
    const CString pathText(path != nullptr ? path : L"");
    CWMIDebugLog::LogInfo(kSourceFile, __LINE__, CString(L"GetObject(") + pathText + L")", nullptr, false);
    if (m_services == nullptr)
    {
        CWMIDebugLog::LogError(kSourceFile, __LINE__, L"Failed to retrieve class", WBEM_E_FAILED);
        return WBEM_E_FAILED;
    }

    // The values for the nested call go into a copy of the context, so the caller's context
    // never carries them (or loses values of its own).
    ComPtr<IWbemContext> context = m_context;
    if (asSystem != 0 || shellOnly != 0)
    {
        ComPtr<IWbemContext> copy;
        if (m_context != nullptr)
        {
            if (FAILED(m_context->Clone(&copy)))
                copy = nullptr;
        }
        else
        {
            copy = ComPtr<IWbemContext>(WbemContext::Create());
        }
        if (copy == nullptr)
            return WBEM_E_FAILED;
        context = std::move(copy);
    }

    std::unique_ptr<BackdoorScope> trust;
    if (asSystem != 0)
    {
        CWMIDebugLog::LogInfo(kSourceFile, __LINE__, L"Acting as system", nullptr, false);
        trust = std::make_unique<BackdoorScope>();
        IWmipFrameworkHost* host = IWmipFrameworkHost::Current();
        _variant_t value(static_cast<LONG>(host != nullptr ? host->GetHostTrustValue() : 0));
        if (FAILED(context->SetValue(L"BackDoor", 0, &value)))
            return WBEM_E_FAILED;
    }
    if (shellOnly != 0)
    {
        _variant_t value(true);
        if (FAILED(context->SetValue(L"ShellOnly", 0, &value)))
            return WBEM_E_FAILED;
    }

    const BstrOwner bstrPath = BstrOwner::Copy(pathText.IsEmpty() ? nullptr : pathText.GetString());
    if (!pathText.IsEmpty() && !bstrPath)
        return WBEM_E_OUT_OF_MEMORY;
    HRESULT hr = S_OK;
    {
        IdentityScope identity(asSystem != 0);
        hr = m_services->GetObject(bstrPath.Get(), 0, context.Get(), object, nullptr);
    }
    if (SUCCEEDED(hr))
    {
        CWMIDebugLog::LogInfo(kSourceFile, __LINE__, CString(L"Retrieved class ") + pathText, nullptr, false);
    }
    else
    {
        CWMIDebugLog::LogError(kSourceFile, __LINE__, L"Failed to retrieve class", hr);
        if (*object != nullptr)
        {
            (*object)->Release();
            *object = nullptr;
        }
    }
    return hr;
}

HRESULT CWmipMapper::SetQuery(CWmipQuery* query)
{
    if (m_query != nullptr && m_query != query && m_query->GetMapper() == this)
        m_query->SetMapper(nullptr);
    m_query = query;
    if (query == nullptr)
        return S_OK;
    query->SetMapper(this);
    query->SetRegisteredColumnCheck(
        CWmipQuery::MakeColumnCheck(m_registeredColumnSource ? m_registeredColumnSource() : std::vector<CString>()));
    // A query names the class's properties only: a bare column name could otherwise probe
    // columns no property exposes (a stored password hash, say).
    query->SetPropertyCheck([this](const CString& property) { return IsQueryableProperty(property); });
    // The caller's definition is taken once for every name the query is checked against: a
    // class the cache shapes per caller is otherwise copied and shaped again for each name.
    std::optional<ComPtr<IWbemClassObject>> definition;
    const auto hasProperty = [this, &definition](const CString& property) {
        if (!definition.has_value())
            definition = CallerDefinition(*this);
        return DefinitionHasProperty(definition->Get(), property);
    };
    for (const CString& selected : query->GetSelectedProperties())
    {
        if (!IsQueryableProperty(selected) && !hasProperty(selected))
            throw CWMIException(kSourceFile, __LINE__, WBEM_E_INVALID_QUERY,
                                CString(L"The select list names ") + selected + L", which is not a property of class " +
                                    m_className + L".");
    }
    // A WHERE term on a name the class does not have is the caller's mistake, named as such
    // (a mapper that maps its terms itself would otherwise hand the database a statement it
    // refuses with a bare failure). Without a class definition nothing is known to be missing.
    const WqlExpression* where = query->GetWhereExpression();
    if (where != nullptr && hasProperty(L"__CLASS"))
    {
        const CString unknown = FirstUnknownProperty(*where, hasProperty);
        if (!unknown.IsEmpty())
            throw CWMIException(kSourceFile, __LINE__, WBEM_E_INVALID_QUERY,
                                CString(L"The WHERE clause could not be translated: property ") + unknown +
                                    L" is not a property of class " + m_className);
    }
    try
    {
        query->TranslateWhereClause();
    }
    catch (const CWMIException& e)
    {
        // Every refusal of the WHERE clause reaches the caller as an invalid query.
        if (e.GetHResult() == WBEM_E_INVALID_QUERY)
            throw;
        throw CWMIException(kSourceFile, __LINE__, WBEM_E_INVALID_QUERY, e.GetText());
    }
    return S_OK;
}

void CWmipMapper::SetQueryAttachment(CWmipQuery* query)
{
    if (m_query != nullptr && m_query != query && m_query->GetMapper() == this)
        m_query->SetMapper(nullptr);
    m_query = query;
    if (query != nullptr)
        query->SetMapper(this);
}

void CWmipMapper::SetUserEntry(CWmipUserCacheEntry* entry)
{
    if (entry == nullptr)
    {
        if (m_userEntry != nullptr)
        {
            m_userEntry->Release();
            m_userEntry = nullptr;
        }
        return;
    }
    if (m_userEntry != nullptr)
        return;
    entry->AddRef();
    m_userEntry = entry;
}

HRESULT CWmipMapper::GetUser(CAcsUser** user)
{
    if (user == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *user = nullptr;
    if (m_userEntry == nullptr)
    {
        CWmipUserCacheEntry* entry = nullptr;
        const HRESULT hr = GetUser(&entry);
        if (FAILED(hr))
            return hr;
        if (entry == nullptr)
            return WBEM_E_FAILED;
        // Held from now on for the mapper's life; the lookup's own reference goes back.
        SetUserEntry(entry);
        ReleaseUser(entry);
    }
    CAcsUser* held = m_userEntry->GetUser();
    if (held == nullptr)
        return WBEM_E_FAILED;
    *user = held;
    return S_OK;
}

HRESULT CWmipMapper::GetUser(CWmipUserCacheEntry** entry)
{
    if (entry == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *entry = nullptr;
    if (m_userEntry != nullptr)
    {
        m_userEntry->AddRef();
        *entry = m_userEntry;
        return S_OK;
    }
    IWmipFrameworkHost* host = IWmipFrameworkHost::Current();
    if (host == nullptr || host->IsConnectionPoolingDisabled() == 0)
    {
        if (m_userCache == nullptr)
            return WBEM_E_FAILED;
        return m_userCache->GetUser(entry);
    }
    if (m_ownedEntry != nullptr)
    {
        m_ownedEntry->AddRef();
        *entry = m_ownedEntry.get();
        return S_OK;
    }
    const HRESULT hr = CreatePrivateEntry();
    if (FAILED(hr))
        return hr;
    m_ownedEntry->AddRef();
    *entry = m_ownedEntry.get();
    return S_OK;
}

HRESULT CWmipMapper::CreatePrivateEntry()
{
    return CWmipCallerAccess::LogInCaller(m_connectionManager, &m_ownedEntry);
}

void CWmipMapper::ReleaseUser(CWmipUserCacheEntry* entry)
{
    if (entry == nullptr)
        return;
    if (entry == m_userEntry || entry == m_ownedEntry.get())
    {
        entry->Release();
        return;
    }
    if (m_userCache != nullptr)
        m_userCache->ReleaseUser(entry);
}

COleDateTime CWmipMapper::LocalToUtc(const COleDateTime& local)
{
    if (local.GetStatus() != COleDateTime::valid)
        return local;
    LONGLONG seconds = 0;
    SecondsFromOleDateTime(local, seconds);
    return OleDateTimeFromSeconds(DefaultTimeZoneInfo.LocalToUtcSeconds(seconds));
}

COleDateTime CWmipMapper::UtcToLocal(const COleDateTime& utc)
{
    if (utc.GetStatus() != COleDateTime::valid)
        return utc;
    LONGLONG seconds = 0;
    SecondsFromOleDateTime(utc, seconds);
    return OleDateTimeFromSeconds(DefaultTimeZoneInfo.UtcToLocalSeconds(seconds));
}

bool CWmipMapper::UnquoteWqlLiteral(const CString& literal, CString& text)
{
    const int length = literal.GetLength();
    if (length < 2 || literal[0] != L'"' || literal[length - 1] != L'"')
        return false;
    CString result;
    for (int i = 1; i < length - 1; ++i)
    {
        wchar_t ch = literal[i];
        if (ch == L'\\')
        {
            if (i + 1 >= length - 1)
                return false;
            ch = literal[++i];
        }
        else if (ch == L'"')
        {
            return false;
        }
        result += ch;
    }
    text = result;
    return true;
}
