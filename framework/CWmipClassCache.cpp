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

std::optional<CWmipClassCache::Stamps> CWmipClassCache::ReadStamps(IWmipClassBuilder& mapper, const CAcsUser* user,
                                                                   BOOL system)
{
    // The system's definitions read no caller's rights; a caller whose rights stamp was missing
    // when it logged in keeps nothing, as a missing list stamp does.
    return Stamps::Read(ReadsOn(mapper, user, system), system ? std::optional<LONGLONG>(0) : user->GetRightsStamp());
}

const CAcsUser* CWmipClassCache::ReadsOn(IWmipClassBuilder& mapper, const CAcsUser* user, BOOL system)
{
    return system ? mapper.GetDatabaseUser() : user;
}

std::optional<CWmipClassCache::Stamps> CWmipClassCache::WithSchema(std::optional<Stamps> stamps,
                                                                   std::optional<LONGLONG> schema)
{
    if (!stamps.has_value() || !schema.has_value())
        return std::nullopt;
    stamps->schema = *schema;
    return stamps;
}

CWmipClassCache::Kept CWmipClassCache::JudgeReuse(IWmipClassBuilder::DefinitionReuse reuse,
                                                  const std::optional<Stamps>& stamps,
                                                  const std::optional<LONGLONG>& schema)
{
    using DefinitionReuse = IWmipClassBuilder::DefinitionReuse;
    Kept kept;
    kept.bySchema = reuse == DefinitionReuse::WhileRightsListsAndTriggersSame;
    kept.byStamps = kept.bySchema || reuse == DefinitionReuse::WhileRightsAndListsSame;
    const std::optional<Stamps> under = kept.bySchema ? WithSchema(stamps, schema) : stamps;
    kept.allowed = reuse == DefinitionReuse::ForTheSpan || (kept.byStamps && under.has_value());
    kept.stamps = kept.byStamps ? under.value_or(Stamps{}) : Stamps{};
    return kept;
}

bool CWmipClassCache::Serves(const Kept& kept, const std::optional<Stamps>& stamps)
{
    return !kept.byStamps || (stamps.has_value() && kept.stamps == *stamps);
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
    // Read before anything is looked up, built or shaped, so that the rows a build reads later are
    // never older than the stamps it is kept under; a request's own read costs nothing more.
    const std::optional<Stamps> stamps = ReadStamps(mapper, user, system);
    const LONG userId = system ? 0 : user->GetUserID();

    // What is kept for the key, taken under the lock and judged outside it: an entry that stands
    // on the schema needs a read of its own.
    ComPtr<IWbemClassObject> cached;
    Kept cachedKept;
    ComPtr<IWbemClassObject> shaped;
    Kept shapedKept;
    {
        const ULONGLONG now = m_clock.GetTickCount64();
        CriticalSectionLock guard(m_lock);
        ExpireLocked(now);
        const auto it = m_classes.find(key);
        if (it != m_classes.end())
        {
            cached = it->second.definition;
            cachedKept = it->second.kept;
            const auto kept = system ? it->second.shaped.end() : it->second.shaped.find(userId);
            if (kept != it->second.shaped.end())
            {
                shaped = kept->second.definition;
                shapedKept = kept->second.kept;
            }
        }
    }
    if (cached != nullptr &&
        !Serves(cachedKept,
                cachedKept.bySchema ? WithSchema(stamps, Stamps::ReadSchema(ReadsOn(mapper, user, system))) : stamps))
    {
        // Built from rows that changed since, or from rows no stamp can vouch for now: it never
        // serves again.
        DropBuilt(key, cached.Get());
        cached = nullptr;
        shaped = nullptr;
    }

    // Copied outside the lock, as a built definition is: a kept shaping is never changed.
    if (shaped != nullptr && Serves(shapedKept, stamps))
        return shaped->Clone(classObject);
    if (cached == nullptr)
    {
        // Asked only now: what a build reads may take reads of its own (a layout's lists), and a
        // kept definition stands on the stamps it was judged under. The cookie is read before the
        // judgment, so that a trigger dropped in between is never kept under the newer cookie.
        const std::optional<LONGLONG> schema = Stamps::ReadSchema(ReadsOn(mapper, user, system));
        const Kept built = JudgeReuse(mapper.GetBuiltClassReuse(), stamps, schema);
        // Built outside the lock: a build may fetch through WMI and read the database.
        HRESULT hr = mapper.CreateClass(&cached, system);
        if (FAILED(hr))
            return hr;
        if (cached == nullptr)
            return WBEM_E_FAILED;
        if (built.allowed)
        {
            const ULONGLONG now = m_clock.GetTickCount64();
            CriticalSectionLock guard(m_lock);
            ExpireLocked(now);
            BuiltClass entry{ComPtr<IWbemServices>(services), cached, built, {}};
            auto [it, inserted] = m_classes.try_emplace(key, entry);
            // One built meanwhile under the same stamps serves as well; one under others gives way.
            if (!inserted && !(it->second.kept == built))
                it->second = std::move(entry);
            cached = it->second.definition;
        }
    }
    // Copied outside the lock: a cached definition is never changed, only replaced or dropped,
    // and the reference held keeps it whole while callers copy it at once.
    ComPtr<IWbemClassObject> copy;
    const HRESULT hr = cached->Clone(&copy);
    if (FAILED(hr))
        return hr;

    // The copy, never the cached definition, carries the caller's permissions.
    if (!system)
    {
        const Kept judged = JudgeReuse(mapper.GetShapedClassReuse(), stamps, std::nullopt);
        const HRESULT shapedResult = mapper.ProcessClassPermissions(copy.Get());
        // A copy its shaping failed on may carry more than the caller may use: it is neither
        // handed out nor kept, and the next request shapes it anew.
        if (FAILED(shapedResult))
            return shapedResult;
        ComPtr<IWbemClassObject> kept;
        if (judged.allowed && SUCCEEDED(copy->Clone(&kept)))
            KeepShaped(key, cached.Get(), userId, judged, std::move(kept));
    }
    *classObject = copy.Detach();
    return S_OK;
}

void CWmipClassCache::DropBuilt(const BuiltKey& key, const IWbemClassObject* built)
{
    CriticalSectionLock guard(m_lock);
    const auto it = m_classes.find(key);
    // One built anew meanwhile stays.
    if (it != m_classes.end() && it->second.definition.Get() == built)
        m_classes.erase(it);
}

void CWmipClassCache::KeepShaped(const BuiltKey& key, const IWbemClassObject* built, LONG userId, const Kept& kept,
                                 ComPtr<IWbemClassObject> shaped)
{
    CriticalSectionLock guard(m_lock);
    const auto it = m_classes.find(key);
    // A definition replaced or dropped since the copy was made takes nothing shaped from it.
    if (it == m_classes.end() || it->second.definition.Get() != built)
        return;
    it->second.shaped.insert_or_assign(userId, ShapedClass{kept, std::move(shaped)});
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
