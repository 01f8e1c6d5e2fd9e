#include "framework/CWmipClassCache.h"

#include "framework/IWmipClassBuilder.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CException.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemServices.h"
#include "framework/IWmipFrameworkHost.h"

#include <exception>
#include <optional>
#include <utility>

namespace {

constexpr LONG kClassCacheSpanId = 39;
constexpr const wchar_t* kSystemPrefix = L"SYSTEM|";

}  // namespace

CWmipClassCache::CWmipClassCache() : CWmipClassCache(StoredSpan()) {}

LONG CWmipClassCache::StoredSpan()
{
    IWmipFrameworkHost* host = IWmipFrameworkHost::Current();
    return host != nullptr ? host->GetHostStoredValue(kClassCacheSpanId) : 0;
}

CWmipClassCache::CWmipClassCache(LONG spanSeconds, const IClock& clock)
    : m_spanSeconds(spanSeconds < 0 ? 0 : spanSeconds), m_clock(clock), m_clearedAt(clock.GetTickCount64())
{
    InitializeCriticalSection(&m_lock);
}

CWmipClassCache::~CWmipClassCache()
{
    m_classes.clear();
    m_storedClasses.clear();
    DeleteCriticalSection(&m_lock);
}

CString CWmipClassCache::MakeKeyPrefix(const CAcsUser* user)
{
    if (user == nullptr)
        return CString(kSystemPrefix);
    CString prefix;
    prefix.Format(L"%d|", user->GetFieldPermissionGroupID());
    return prefix;
}

CString CWmipClassCache::MakeKey(const wchar_t* className, const CAcsUser* user)
{
    CString name(className != nullptr ? className : L"");
    CString key = MakeKeyPrefix(user);
    name.MakeUpper();
    key += name;
    // A built definition's value lists follow the user's segments: callers of one field group
    // but other segments never share one.
    if (user != nullptr && !user->IsAllSegmentsUser())
    {
        key += L"|S";
        for (const LONG segment : user->GetSegmentIDs())
            key.AppendFormat(L",%d", segment);
    }
    return key;
}

void CWmipClassCache::ExpireLocked(ULONGLONG now)
{
    // A clock that stands before the last clearing counts as age 0.
    const ULONGLONG age = now > m_clearedAt ? now - m_clearedAt : 0;
    if (age >= static_cast<ULONGLONG>(m_spanSeconds) * 1000)
    {
        m_classes.clear();
        m_storedClasses.clear();
        m_clearedAt = now;
    }
}

CWmipClassCache::Reuse CWmipClassCache::ReadReuse(IWmipClassBuilder& mapper, const CAcsUser* user, BOOL system)
{
    using DefinitionReuse = IWmipClassBuilder::DefinitionReuse;
    const DefinitionReuse built = mapper.GetBuiltClassReuse();
    const DefinitionReuse shaped = system ? DefinitionReuse::Never : mapper.GetShapedClassReuse();
    Reuse reuse;
    reuse.builtByStamps = built == DefinitionReuse::WhileRightsAndListsSame;
    reuse.shapedByStamps = shaped == DefinitionReuse::WhileRightsAndListsSame;
    // The system's definitions read no caller's rights; a caller whose rights stamp was missing
    // when it logged in keeps nothing, as a missing list stamp does.
    std::optional<Stamps> stamps;
    if (reuse.builtByStamps || reuse.shapedByStamps)
        stamps = Stamps::Read(system ? mapper.GetDatabaseUser() : user,
                              system ? std::optional<LONGLONG>(0) : user->GetRightsStamp());
    reuse.built = built == DefinitionReuse::ForTheSpan || (reuse.builtByStamps && stamps.has_value());
    reuse.shaped = shaped == DefinitionReuse::ForTheSpan || (reuse.shapedByStamps && stamps.has_value());
    reuse.stamps = stamps.value_or(Stamps{});
    return reuse;
}

HRESULT CWmipClassCache::GetClass(IWmipClassBuilder& mapper, const CAcsUser* user, BOOL system,
                                  IWbemClassObject** classObject)
{
    if (classObject == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *classObject = nullptr;
    if (!system && user == nullptr)
        return WBEM_E_INVALID_PARAMETER;

    IWbemServices* const services = mapper.GetServices();
    const BuiltKey key(MakeKey(mapper.GetClassName(), system ? nullptr : user), services);
    const Reuse reuse = ReadReuse(mapper, user, system);
    const LONG userId = system ? 0 : user->GetUserID();

    ComPtr<IWbemClassObject> copy;
    ComPtr<IWbemClassObject> cached;
    ComPtr<IWbemClassObject> shaped;
    {
        const ULONGLONG now = m_clock.GetTickCount64();
        CriticalSectionLock guard(m_lock);
        ExpireLocked(now);
        auto it = m_classes.find(key);
        if (it != m_classes.end() && (!reuse.built || (reuse.builtByStamps && it->second.stamps != reuse.stamps)))
        {
            // Built from rows that changed since, or from rows no stamp can vouch for now: it
            // never serves again.
            m_classes.erase(it);
            it = m_classes.end();
        }
        if (it != m_classes.end())
        {
            cached = it->second.definition;
            const auto kept = reuse.shaped ? it->second.shaped.find(userId) : it->second.shaped.end();
            if (kept != it->second.shaped.end() && (!reuse.shapedByStamps || kept->second.stamps == reuse.stamps))
                shaped = kept->second.definition;
        }
    }

    // Copied outside the lock, as a built definition is: a kept shaping is never changed.
    if (shaped != nullptr)
        return shaped->Clone(classObject);
    if (cached == nullptr)
    {
        // Built outside the lock: a build may fetch through WMI and read the database.
        HRESULT hr = mapper.CreateClass(&cached, system);
        if (FAILED(hr))
            return hr;
        if (cached == nullptr)
            return WBEM_E_FAILED;
        if (reuse.built)
        {
            const ULONGLONG now = m_clock.GetTickCount64();
            CriticalSectionLock guard(m_lock);
            ExpireLocked(now);
            BuiltClass entry{ComPtr<IWbemServices>(services), cached, reuse.stamps, {}};
            auto [it, inserted] = m_classes.try_emplace(key, entry);
            // One built meanwhile under the same stamps serves as well; one under others gives way.
            if (!inserted && it->second.stamps != reuse.stamps)
                it->second = std::move(entry);
            cached = it->second.definition;
        }
    }
    // Copied outside the lock: a cached definition is never changed, only replaced or dropped,
    // and the reference held keeps it whole while callers copy it at once.
    const HRESULT hr = cached->Clone(&copy);
    if (FAILED(hr))
        return hr;

    // The copy, never the cached definition, carries the caller's permissions.
    if (!system)
    {
        const HRESULT shapedResult = mapper.ProcessClassPermissions(copy.Get());
        // A failed shaping is never kept: the next request shapes (and reports) it anew.
        ComPtr<IWbemClassObject> kept;
        if (reuse.shaped && SUCCEEDED(shapedResult) && SUCCEEDED(copy->Clone(&kept)))
            KeepShaped(key, cached.Get(), userId, reuse.stamps, std::move(kept));
    }
    *classObject = copy.Detach();
    return S_OK;
}

void CWmipClassCache::KeepShaped(const BuiltKey& key, const IWbemClassObject* built, LONG userId, const Stamps& stamps,
                                 ComPtr<IWbemClassObject> shaped)
{
    CriticalSectionLock guard(m_lock);
    const auto it = m_classes.find(key);
    // A definition replaced or dropped since the copy was made takes nothing shaped from it.
    if (it == m_classes.end() || it->second.definition.Get() != built)
        return;
    it->second.shaped.insert_or_assign(userId, ShapedClass{stamps, std::move(shaped)});
}

HRESULT CWmipClassCache::GetStoredClass(const CString& className, IWbemServices* services,
                                        const std::function<HRESULT(ComPtr<IWbemClassObject>&)>& fetch,
                                        IWbemClassObject** classObject)
{
    if (classObject == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *classObject = nullptr;
    CString key(className);
    key.MakeUpper();
    ComPtr<IWbemClassObject> copy;
    ComPtr<IWbemClassObject> cached;
    {
        const ULONGLONG now = m_clock.GetTickCount64();
        CriticalSectionLock guard(m_lock);
        ExpireLocked(now);
        const auto it = m_storedClasses.find(key);
        if (it != m_storedClasses.end() && it->second.services.Get() == services)
            cached = it->second.definition;
    }
    if (cached != nullptr)
    {
        // Copied outside the lock, as in GetClass.
        const HRESULT hr = cached->Clone(&copy);
        if (FAILED(hr))
            return hr;
        *classObject = copy.Detach();
        return S_OK;
    }

    // Fetched outside the lock: the fetch is a nested WMI call.
    ComPtr<IWbemClassObject> fetched;
    HRESULT hr = fetch(fetched);
    if (FAILED(hr))
        return hr;
    if (fetched == nullptr)
        return WBEM_E_FAILED;
    hr = fetched->Clone(&copy);
    if (FAILED(hr))
        return hr;
    {
        const ULONGLONG now = m_clock.GetTickCount64();
        CriticalSectionLock guard(m_lock);
        ExpireLocked(now);
        m_storedClasses.insert_or_assign(key, StoredClass{ComPtr<IWbemServices>(services), std::move(fetched)});
    }
    *classObject = copy.Detach();
    return S_OK;
}

void CWmipClassCache::RemoveClass(const wchar_t* className, const CAcsUser* user)
{
    const CString key = MakeKey(className, user);
    CriticalSectionLock guard(m_lock);
    // Whatever services it was built through.
    std::erase_if(m_classes, [&key](const auto& entry) { return entry.first.first == key; });
}

void CWmipClassCache::RemoveUserClasses(const CAcsUser* user)
{
    if (user == nullptr)
        return;
    const CString prefix = MakeKeyPrefix(user);
    CriticalSectionLock guard(m_lock);
    for (auto it = m_classes.begin(); it != m_classes.end();)
    {
        if (it->first.first.Left(prefix.GetLength()) == prefix)
            it = m_classes.erase(it);
        else
            ++it;
    }
}

void CWmipClassCache::Clear()
{
    try
    {
        CriticalSectionLock guard(m_lock);
        m_classes.clear();
        m_storedClasses.clear();
        m_clearedAt = m_clock.GetTickCount64();
    }
    catch (const CException& e)
    {
        brontel::utility::CWMIDebugLog::LogError(L"wpClassCache.cpp", __LINE__, L"Unable to clear the class cache.", 0,
                                                 &e, nullptr);
    }
    catch (const std::exception&)
    {
        brontel::utility::CWMIDebugLog::LogError(L"wpClassCache.cpp", __LINE__, L"Unable to clear the class cache.");
    }
}
