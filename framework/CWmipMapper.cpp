#include "framework/CWmipMapper.h"

#include "framework/IWmipFrameworkHost.h"
#include "framework/IWmipUserDirectory.h"
#include "framework/IWmipUserEntry.h"
#include "platform/com/BstrOwner.h"

#include "framework/CWmipClassCache.h"
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

#include <exception>
#include <memory>
#include <new>

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

constexpr const wchar_t* kMapperSourceFile = L"wpmapper.cpp";

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
                CWMIDebugLog::LogError(kMapperSourceFile, __LINE__, L"Unable to impersonate self.");
                return;
            }
            m_restoreClient = true;
            return;
        }
        // A thread that has no client (the bus front end, an internal thread) runs as itself.
        const HRESULT hr = CoImpersonateClient();
        m_revertClient = SUCCEEDED(hr) && !m_wasImpersonating;
        if (FAILED(hr) && hr != RPC_E_NO_CONTEXT)
            CWMIDebugLog::LogError(kMapperSourceFile, __LINE__, L"Unable to impersonate client", hr);
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
      m_userDirectory(FromHost(&IWmipFrameworkHost::GetHostUserDirectory))
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

HRESULT CWmipMapper::ProcessClassPermissions(IWbemClassObject* /*classObject*/)
{
    return S_OK;
}

CWmipMapper::DefinitionReuse CWmipMapper::GetBuiltClassReuse()
{
    return DefinitionReuse::ForTheSpan;
}

CWmipMapper::DefinitionReuse CWmipMapper::GetShapedClassReuse()
{
    return DefinitionReuse::Never;
}

const CAcsUser* CWmipMapper::GetDatabaseUser() const
{
    return nullptr;
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

bool CWmipMapper::IsWithheldProperty(const CString& /*property*/)
{
    return false;
}

bool CWmipMapper::IsQueryableProperty(const CString& /*property*/)
{
    return true;
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

HRESULT CWmipMapper::GetHeldClass(ComPtr<IWbemClassObject>& classObject, BOOL system)
{
    classObject = nullptr;
    if (!WMIStoresClassDefinition())
        return GetBuiltClass(classObject, system);
    IWbemClassObject* raw = nullptr;
    const HRESULT hr = GetClass(&raw, system);
    if (FAILED(hr))
        return hr;
    if (raw == nullptr)
        return WBEM_E_FAILED;
    // A definition WMI keeps is lent by the mapper.
    classObject = ComPtr<IWbemClassObject>(raw);
    return hr;
}

ComPtr<IWbemClassObject> CWmipMapper::GetCallerDefinition()
{
    ComPtr<IWbemClassObject> held;
    if (FAILED(GetHeldClass(held, FALSE)))
        return {};
    return held;
}

HRESULT CWmipMapper::GetBuiltClass(ComPtr<IWbemClassObject>& classObject, BOOL system)
{
    classObject = nullptr;
    // A held definition is only read and spawned from: the request's own is lent, not copied.
    const HRESULT hr = MakeBuiltClass(system);
    if (SUCCEEDED(hr))
        classObject = m_builtClass[system ? 1 : 0];
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
    const HRESULT hr = MakeBuiltClass(system);
    if (FAILED(hr))
        return hr;
    return m_builtClass[system ? 1 : 0]->Clone(classObject);
}

HRESULT CWmipMapper::MakeBuiltClass(BOOL system)
{
    // The caller's definition is shaped by data read from the database (its value lists), so it
    // is made once per request.
    ComPtr<IWbemClassObject>& made = m_builtClass[system ? 1 : 0];
    if (made != nullptr)
        return S_OK;

    CAcsUser* user = nullptr;
    if (!system)
    {
        const HRESULT hr = GetUser(&user);
        if (FAILED(hr))
            return hr;
    }

    ComPtr<IWbemClassObject> built;
    HRESULT hr = S_OK;
    if (m_classCache != nullptr)
    {
        if (system)
        {
            BackdoorScope trust;
            hr = m_classCache->GetClass(*this, nullptr, TRUE, &built);
        }
        else
        {
            hr = m_classCache->GetClass(*this, user, FALSE, &built);
        }
        if (FAILED(hr))
            return hr;
    }
    else
    {
        // Without a class cache the definition is built for this request alone.
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
        {
            // A copy its shaping failed on is not the caller's.
            hr = ProcessClassPermissions(built.Get());
            if (FAILED(hr))
                return hr;
        }
    }
    if (built == nullptr)
        return WBEM_E_FAILED;
    made = std::move(built);
    return S_OK;
}

HRESULT CWmipMapper::GetObject(const wchar_t* path, IWbemClassObject** object, int asSystem, int shellOnly)
{
    if (object == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *object = nullptr;
    const CString pathText(path != nullptr ? path : L"");
    CWMIDebugLog::LogInfo(kMapperSourceFile, __LINE__, CString(L"GetObject(") + pathText + L")", nullptr, false);
    if (m_services == nullptr)
    {
        CWMIDebugLog::LogError(kMapperSourceFile, __LINE__, L"Failed to retrieve class", WBEM_E_FAILED);
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
        CWMIDebugLog::LogInfo(kMapperSourceFile, __LINE__, L"Acting as system", nullptr, false);
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
        CWMIDebugLog::LogInfo(kMapperSourceFile, __LINE__, CString(L"Retrieved class ") + pathText, nullptr, false);
    }
    else
    {
        CWMIDebugLog::LogError(kMapperSourceFile, __LINE__, L"Failed to retrieve class", hr);
        if (*object != nullptr)
        {
            (*object)->Release();
            *object = nullptr;
        }
    }
    return hr;
}
