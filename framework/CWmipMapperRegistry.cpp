#include "framework/CWmipMapperRegistry.h"

#include "framework/objects/CCorvessaClassObject.h"
#include "framework/objects/ICorvessaClassSource.h"
#include "framework/CWmipListObjectClassCache.h"
#include "platform/com/CimTypes.h"

#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CException.h"
#include "platform/win32/SystemInfo.h"

#include <algorithm>
#include <exception>
#include <utility>

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {
constexpr wchar_t kMapperRegistrySource[] = L"CWmipMapperRegistry.cpp";
constexpr wchar_t kRootClass[] = L"Bnt_Element";
constexpr wchar_t kUserClass[] = L"Bnt_User";
constexpr ULONGLONG kRefreshMinutes = 10;
constexpr ULONGLONG kMinuteMs = 60'000;
constexpr ULONGLONG kHalfSecondMs = 500;
// Logged while the schema's load has not installed the list mappers' factory yet.
constexpr wchar_t kNoListMappers[] =
    L"CWmipMapperRegistry: no factory of the user-defined lists' mappers is installed; the list classes are "
    L"not served.";

CString UpperName(const CString& name)
{
    CString upper(name);
    upper.MakeUpper();
    return upper;
}

// True when both lists hold the same names in the same order, without regard to case.
bool SameNames(const std::vector<CString>& left, const std::vector<CString>& right)
{
    return std::equal(left.begin(), left.end(), right.begin(), right.end(),
                      [](const CString& a, const CString& b) { return a.CompareNoCase(b) == 0; });
}

// Each of names found in from (without regard to case), replaced by to's name at the same place;
// false, translated unspecified, when one is not found.
bool Translate(const std::vector<CString>& names, const std::vector<CString>& from, const std::vector<CString>& to,
               std::vector<CString>& translated)
{
    translated.clear();
    for (const CString& name : names)
    {
        const auto at = std::find_if(from.begin(), from.end(),
                                     [&](const CString& candidate) { return candidate.CompareNoCase(name) == 0; });
        if (at == from.end() || static_cast<std::size_t>(at - from.begin()) >= to.size())
            return false;
        translated.push_back(to[static_cast<std::size_t>(at - from.begin())]);
    }
    return !translated.empty();
}

struct ChainedMapper
{
    CString className;
    MapperFactory factory;
};

// The name chain of GetMapper, in the order the schema's bindings added the mappers.
std::vector<ChainedMapper>& MapperChain()
{
    static std::vector<ChainedMapper> chain;
    return chain;
}

// The display names of the user-defined-field tables: DDTBL.ID -> DDTBL.NAME. Throws the
// database's CDBException.
std::map<LONG, CString> ReadTableCatalogue(CBntDatabase* database)
{
    std::map<LONG, CString> names;
    CDynamicRecordset catalogue(database);
    catalogue.SetTable(L"DDTBL");
    catalogue.AddColumnToSet(L"ID");
    catalogue.AddColumnToSet(L"NAME");
    catalogue.Open(CMultiFilterRecordset::kReadOnly);
    for (; !catalogue.IsEOF(); catalogue.MoveNext())
        names[catalogue.GetLong(L"ID")] = catalogue.GetText(L"NAME");
    catalogue.Close();
    return names;
}
// The registry as the in-process WMI objects see it, installed for as long as the registry
// lives: the registered classes' definitions and keys, and the manager classes' definitions.
class RegistryClassSource final : public ICorvessaClassSource
{
public:
    explicit RegistryClassSource(CWmipMapperRegistry& registry) : m_registry(registry) { Install(this); }
    ~RegistryClassSource() { Install(nullptr); }
    RegistryClassSource(const RegistryClassSource&) = delete;
    RegistryClassSource& operator=(const RegistryClassSource&) = delete;

    std::unique_ptr<CCorvessaClassObject> NewClassDefinition(const CString& className) override
    {
        if (CWMITypeInfo* typeInfo = m_registry.GetTypeInfo(className); typeInfo != nullptr)
            return std::make_unique<CCorvessaClassObject>(*typeInfo->GetTypeInformation());
        return m_registry.NewUndeclaredClassDefinition(className);
    }

    std::optional<bool> IsKeyProperty(const CString& className, const CString& property) override
    {
        if (CWMITypeInfo* typeInfo = m_registry.GetTypeInfo(className); typeInfo != nullptr)
            return typeInfo->IsPropertyAKeyProperty(property);
        return std::nullopt;
    }

private:
    CWmipMapperRegistry& m_registry;
};
}  // namespace

CWmipMapperRegistry::CWmipMapperRegistry() = default;

CWmipMapperRegistry* CWmipMapperRegistry::Instance()
{
    static CWmipMapperRegistry registry;
    // Built after the registry, so it is removed before the registry goes.
    static RegistryClassSource source(registry);
    return &registry;
}

CWmipMapperRegistry::ClassMap::iterator CWmipMapperRegistry::LookupClassInRegistry(const CString& className)
{
    return m_classes.find(UpperName(className));
}

CWMITypeInfo* CWmipMapperRegistry::Find(const CString& className)
{
    const auto found = LookupClassInRegistry(className);
    if (found != m_classes.end())
        return found->second.get();
    CheckedRecursiveMutexLock guard(m_lazyLock);
    const auto list = m_listClasses.find(UpperName(className));
    return list != m_listClasses.end() && list->second.current ? list->second.typeInfo.get() : nullptr;
}

// --- Registration ----------------------------------------------------------------------------

void CWmipMapperRegistry::RegisterClass(const CString& className, const CString& superclassName, bool dynamic,
                                        MapperFactory factory)
{
    auto typeInfo = std::make_unique<CWMITypeInfo>(className, superclassName);
    if (factory)
        typeInfo->SetTypeConstructor(std::move(factory));
    typeInfo->RegisterAsADynamicClass(dynamic);
    m_classes.insert_or_assign(UpperName(className), std::move(typeInfo));
    m_refusedClasses.erase(UpperName(className));
    // A class registered anew declares its software event types anew.
    ForgetSoftwareEventTypes(className);
    AddToDerivedTypesMap(superclassName, className);
    m_generation.fetch_add(1, std::memory_order_acq_rel);
}

void CWmipMapperRegistry::RegisterClass(const CString& className, const CString& superclassName, MapperFactory factory)
{
    RegisterClass(className, superclassName, false, std::move(factory));
}

void CWmipMapperRegistry::RegisterClass(const CString& className, MapperFactory factory)
{
    RegisterClass(className, CString(), std::move(factory));
}

void CWmipMapperRegistry::RegisterClass(const CString& className, const CString& superclassName)
{
    RegisterClass(className, superclassName, MapperFactory());
}

void CWmipMapperRegistry::SetClassDeclaredConcrete(const CString& className)
{
    if (CWMITypeInfo* typeInfo = Find(className))
        typeInfo->SetDeclaredConcrete();
}

void CWmipMapperRegistry::RegisterProperty(const CString& className, const CString& property, LONG cimType,
                                           const CString& table, const CString& column, int keyFlag, int maxLength,
                                           LONG idType, SegmentOption segmentOption)
{
    if (CWMITypeInfo* typeInfo = Find(className))
        typeInfo->AddProperty(property, cimType, table, column, keyFlag, maxLength, idType, segmentOption);
}

void CWmipMapperRegistry::RegisterDynamicProperty(const CString& className, const CString& property, LONG cimType,
                                                  int maxLength)
{
    if (CWMITypeInfo* typeInfo = Find(className))
        typeInfo->AddDynamicProperty(property, cimType, maxLength);
}

void CWmipMapperRegistry::RegisterReferenceProperty(const CString& className, const CString& property,
                                                    const CString& referencedClass)
{
    if (CWMITypeInfo* typeInfo = Find(className))
        typeInfo->AddReferenceProperty(property, referencedClass);
}

void CWmipMapperRegistry::RegisterMethod(const CString& className, const CString& method)
{
    if (CWMITypeInfo* typeInfo = Find(className))
        typeInfo->AddMethod(method);
}

void CWmipMapperRegistry::RegisterNamedRecord(const CString& className, CWMITypeInfo::NamedRecord record)
{
    if (CWMITypeInfo* typeInfo = Find(className))
        typeInfo->AddNamedRecord(std::move(record));
}

void CWmipMapperRegistry::RegisterNoRecord(const CString& className, CWMITypeInfo::NoRecord record)
{
    if (CWMITypeInfo* typeInfo = Find(className))
        typeInfo->AddNoRecord(std::move(record));
}

std::vector<CString> CWmipMapperRegistry::RefuseClassesWithUndeclaredIds()
{
    std::vector<CString> refused;
    for (auto entry = m_classes.begin(); entry != m_classes.end();)
    {
        const std::vector<CString> undeclared = entry->second->FindUndeclaredIds();
        if (undeclared.empty())
        {
            ++entry;
            continue;
        }
        // An id that declares no record would let a write name any record, hidden or missing:
        // the class is not served at all rather than served without the check.
        refused.push_back(entry->second->GetClassName());
        entry = RefuseEntry(entry, L"its id " + undeclared.front() + L" declares no record it names.");
    }
    return refused;
}

CWmipMapperRegistry::ClassMap::iterator CWmipMapperRegistry::RefuseEntry(ClassMap::iterator entry,
                                                                         const CString& missing)
{
    const CString className = entry->second->GetClassName();
    RefuseClass(className, missing);
    return m_classes.upper_bound(UpperName(className));
}

void CWmipMapperRegistry::RefuseClass(const CString& className, const CString& missing)
{
    CString text;
    text.Format(L"CWmipMapperRegistry: class %s is not loaded: %s", className.GetString(), missing.GetString());
    CWMIDebugLog::LogError(kMapperRegistrySource, __LINE__, text, WBEM_E_INVALID_CLASS);
    m_classes.erase(UpperName(className));
    for (auto& [superclass, derived] : m_derivedTypes)
        std::erase_if(derived, [&](const CString& name) { return name.CompareNoCase(className) == 0; });
    std::erase_if(MapperChain(),
                  [&](const ChainedMapper& mapper) { return mapper.className.CompareNoCase(className) == 0; });
    ForgetSoftwareEventTypes(className);
    m_refusedClasses.insert_or_assign(UpperName(className), text);
    m_generation.fetch_add(1, std::memory_order_acq_rel);
}

void CWmipMapperRegistry::RegisterSoftwareEventType(const CString& className, SoftwareEventType eventType)
{
    if (Find(className) == nullptr)
        return;
    const auto claimed = m_softwareEventClasses.find(eventType);
    if (claimed != m_softwareEventClasses.end() && claimed->second.CompareNoCase(className) != 0)
    {
        // Two classes for one record kind: an event would build whichever came first.
        CString missing;
        missing.Format(L"its software event type %d is declared by %s already.", static_cast<int>(eventType),
                       claimed->second.GetString());
        RefuseClass(className, missing);
        return;
    }
    m_softwareEventClasses.insert_or_assign(eventType, className);
}

void CWmipMapperRegistry::RegisterHiddenFromBus(const CString& className)
{
    if (CWMITypeInfo* typeInfo = Find(className))
        typeInfo->SetHiddenFromBus();
}

CString CWmipMapperRegistry::GetSoftwareEventClass(SoftwareEventType eventType) const
{
    const auto found = m_softwareEventClasses.find(eventType);
    return found != m_softwareEventClasses.end() ? found->second : CString();
}

void CWmipMapperRegistry::ForgetSoftwareEventTypes(const CString& className)
{
    std::erase_if(m_softwareEventClasses,
                  [&](const auto& entry) { return entry.second.CompareNoCase(className) == 0; });
}

void CWmipMapperRegistry::RegisterUnfollowedEnd(const CString& className, CWMITypeInfo::UnfollowedEnd end)
{
    if (CWMITypeInfo* typeInfo = Find(className))
        typeInfo->AddUnfollowedEnd(std::move(end));
}

bool CWmipMapperRegistry::IsSegmented(const CString& className, int depth)
{
    const auto found = LookupClassInRegistry(className);
    if (found == m_classes.end() || depth > CWMITypeInfo::SegmentSource::kMaxOwnerDepth)
        return false;
    using Kind = CWMITypeInfo::SegmentSource::Kind;
    return std::any_of(found->second->GetSegmentSources().begin(), found->second->GetSegmentSources().end(),
                       [&](const CWMITypeInfo::SegmentSource& source) {
                           return source.kind == Kind::OwnColumn ||
                                  (source.kind == Kind::Owner && IsSegmented(source.ownerClass, depth + 1));
                       });
}

std::vector<CString> CWmipMapperRegistry::RefuseLinksWithUnfollowedEnds()
{
    std::vector<CString> refused;
    for (auto entry = m_classes.begin(); entry != m_classes.end();)
    {
        const CWMITypeInfo& type = *entry->second;
        std::vector<const CWMITypeInfo::NamedRecord*> ends;
        for (const CWMITypeInfo::NamedRecord& named : type.GetNamedRecords())
        {
            if (named.method.IsEmpty() &&
                std::all_of(named.names.begin(), named.names.end(),
                            [&](const CString& name) { return type.IsPropertyAKeyProperty(name); }) &&
                IsSegmented(named.referencedClass, 0))
                ends.push_back(&named);
        }
        const auto followed = [&](const CWMITypeInfo::NamedRecord* end) {
            return FollowsEnd(type, end->names, end->referencedClass, end->referencedKeys, 0) ||
                   std::any_of(type.GetUnfollowedEnds().begin(), type.GetUnfollowedEnds().end(),
                               [&](const CWMITypeInfo::UnfollowedEnd& unfollowed) {
                                   return !unfollowed.reason.IsEmpty() &&
                                          unfollowed.ownerClass.CompareNoCase(end->referencedClass) == 0 &&
                                          SameNames(unfollowed.names, end->names);
                               });
        };
        const auto unfollowed = std::find_if_not(ends.begin(), ends.end(), followed);
        const bool served = type.GetTypeConstructor() || type.IsDeclaredConcrete();
        if (!served || ends.size() < 2 || unfollowed == ends.end())
        {
            ++entry;
            continue;
        }
        // A link row would be shown under a hidden end: the class is not served at all rather than
        // served following only some of its ends.
        refused.push_back(type.GetClassName());
        entry = RefuseEntry(entry, L"it neither belongs to the " + (*unfollowed)->referencedClass + L" its " +
                                       (*unfollowed)->names.back() + L" names nor declares why not.");
    }
    return refused;
}

bool CWmipMapperRegistry::FollowsEnd(const CWMITypeInfo& type, const std::vector<CString>& names,
                                     const CString& endClass, const std::vector<CString>& endKeys, int depth)
{
    using Kind = CWMITypeInfo::SegmentSource::Kind;
    const auto found = LookupClassInRegistry(endClass);
    if (found == m_classes.end() || depth > CWMITypeInfo::SegmentSource::kMaxOwnerDepth)
        return false;
    const std::vector<CWMITypeInfo::SegmentSource>& own = type.GetSegmentSources();
    if (std::any_of(own.begin(), own.end(), [&](const CWMITypeInfo::SegmentSource& source) {
            return source.kind == Kind::Owner && source.ownerClass.CompareNoCase(endClass) == 0 &&
                   SameNames(source.names, names);
        }))
        return true;
    // The end takes its segments only from owners of its own that the class follows by the same
    // names (a reader from its panel).
    const std::vector<CWMITypeInfo::SegmentSource>& ends = found->second->GetSegmentSources();
    const bool byEndsOwners =
        std::none_of(ends.begin(), ends.end(),
                     [](const CWMITypeInfo::SegmentSource& source) { return source.kind == Kind::OwnColumn; }) &&
        std::all_of(ends.begin(), ends.end(), [&](const CWMITypeInfo::SegmentSource& source) {
            std::vector<CString> translated;
            return source.kind != Kind::Owner ||
                   (Translate(source.names, endKeys, names, translated) &&
                    FollowsEnd(type, translated, source.ownerClass, source.ownerKeys, depth + 1));
        });
    if (byEndsOwners)
        return true;
    // An owner of the class follows the end by names the class gives it (a sub-device's source,
    // followed by its device).
    return std::any_of(own.begin(), own.end(), [&](const CWMITypeInfo::SegmentSource& source) {
        std::vector<CString> translated;
        const auto owner = LookupClassInRegistry(source.ownerClass);
        return source.kind == Kind::Owner && owner != m_classes.end() &&
               Translate(names, source.names, source.ownerKeys, translated) &&
               FollowsEnd(*owner->second, translated, endClass, endKeys, depth + 1);
    });
}

bool CWmipMapperRegistry::IsClassRefused(const CString& className) const
{
    return m_refusedClasses.count(UpperName(className)) != 0;
}

CString CWmipMapperRegistry::GetRefusal(const CString& className) const
{
    const auto found = m_refusedClasses.find(UpperName(className));
    return found != m_refusedClasses.end() ? found->second : CString();
}

void CWmipMapperRegistry::RegisterMethodParameter(const CString& className, const CString& method, bool isInput,
                                                  const CString& parameter, LONG cimType, const CString& objectClass)
{
    if (CWMITypeInfo* typeInfo = Find(className))
        typeInfo->AddMethodParameter(method, isInput, parameter, cimType, objectClass);
}

void CWmipMapperRegistry::RegisterPropertyAttribute(const CString& className, const CString& property,
                                                    const CString& attribute, int value)
{
    VARIANT boolean;
    VariantInit(&boolean);
    boolean.vt = VT_BOOL;
    boolean.boolVal = static_cast<VARIANT_BOOL>(value & 0xFFFF);
    RegisterPropertyAttributeImpl(className, property, attribute, boolean);
}

void CWmipMapperRegistry::RegisterPropertyAttribute(const CString& className, const CString& property,
                                                    const CString& attribute, const CString& value)
{
    const _variant_t text(value.GetString());
    RegisterPropertyAttributeImpl(className, property, attribute, text);
}

void CWmipMapperRegistry::RegisterPropertyAttributeImpl(const CString& className, const CString& property,
                                                        const CString& attribute, const VARIANT& value)
{
    if (CWMITypeInfo* typeInfo = Find(className))
        typeInfo->AddPropertyAttribute(property, attribute, value);
}

void CWmipMapperRegistry::RegisterPropertyValues(const CString& className, const CString& property,
                                                 const CString& /*attribute*/, const std::map<CString, CString>& values)
{
    if (CWMITypeInfo* typeInfo = Find(className))
        typeInfo->AddPropertyValues(property, values);
}

void CWmipMapperRegistry::RegisterClassAttribute(const CString& className, const CString& attribute, int value)
{
    if (CWMITypeInfo* typeInfo = Find(className))
        typeInfo->AddClassAttribute(attribute, value);
}

void CWmipMapperRegistry::RegisterClassWidePropertyAttribute(const CString& className, const CString& attribute,
                                                             int value)
{
    if (CWMITypeInfo* typeInfo = Find(className))
        typeInfo->AddClassWidePropertyAttribute(attribute, value);
}

void CWmipMapperRegistry::RegisterSegmentSource(const CString& className, CWMITypeInfo::SegmentSource source)
{
    if (CWMITypeInfo* typeInfo = Find(className))
        typeInfo->AddSegmentSource(std::move(source));
}

std::vector<CString> CWmipMapperRegistry::RefuseClassesWithoutSegmentSource()
{
    std::vector<CString> refused;
    for (auto entry = m_classes.begin(); entry != m_classes.end();)
    {
        const CWMITypeInfo& typeInfo = *entry->second;
        const bool served = typeInfo.GetTypeConstructor() || typeInfo.IsDeclaredConcrete();
        if (!served || !typeInfo.GetSegmentSources().empty())
        {
            ++entry;
            continue;
        }
        refused.push_back(typeInfo.GetClassName());
        entry = RefuseEntry(entry, L"it declares no segment source for its records.");
    }
    // A class seen only with an owner that is not loaded would be served with every read denied:
    // it is not loaded either, nor one that belongs to it in turn.
    for (bool again = true; again;)
    {
        again = false;
        for (auto entry = m_classes.begin(); entry != m_classes.end();)
        {
            const std::vector<CWMITypeInfo::SegmentSource>& sources = entry->second->GetSegmentSources();
            const auto lost =
                std::find_if(sources.begin(), sources.end(), [&](const CWMITypeInfo::SegmentSource& source) {
                    return source.kind == CWMITypeInfo::SegmentSource::Kind::Owner &&
                           LookupClassInRegistry(source.ownerClass) == m_classes.end();
                });
            if (lost == sources.end())
            {
                ++entry;
                continue;
            }
            refused.push_back(entry->second->GetClassName());
            entry = RefuseEntry(entry, L"it belongs to the " + lost->ownerClass + L", which is not loaded.");
            again = true;
        }
    }
    return refused;
}

void CWmipMapperRegistry::AddToDerivedTypesMap(const CString& superclassName, const CString& className)
{
    if (superclassName.IsEmpty() || superclassName.CompareNoCase(kRootClass) == 0)
        return;
    m_derivedTypes[UpperName(superclassName)].push_back(className);
}

void CWmipMapperRegistry::AddToMapperChain(const CString& className, MapperFactory factory)
{
    MapperChain().push_back(ChainedMapper{className, std::move(factory)});
}

void CWmipMapperRegistry::SetPermissionGroupRefresh(PermissionGroupRefresh refresh)
{
    CheckedRecursiveMutexLock guard(m_lazyLock);
    m_permissionGroupRefresh = std::move(refresh);
}

void CWmipMapperRegistry::SetListMapperFactory(ListMapperFactory factory)
{
    CheckedRecursiveMutexLock guard(m_lazyLock);
    m_listMapperFactory = std::move(factory);
    // The lists are read again with it: a look-up before it registered none.
    m_listStamp.reset();
}

void CWmipMapperRegistry::SetUndeclaredClassDefinitions(UndeclaredClassDefinitions definitions)
{
    CheckedRecursiveMutexLock guard(m_lazyLock);
    m_undeclaredClassDefinitions = std::move(definitions);
}

// --- Queries ---------------------------------------------------------------------------------

CWMITypeInfo* CWmipMapperRegistry::GetTypeInfo(const CString& className, bool skipUDFData)
{
    const DWORD start = GetTickCount();
    if (!skipUDFData)
        RegisterUDFData();
    CWMITypeInfo* typeInfo = Find(className);
    if (typeInfo != nullptr && className.CompareNoCase(kUserClass) == 0)
        RefreshAvailableUserPermissions(typeInfo);
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed != 0)
    {
        CString text;
        text.Format(L"CWmipMapperRegistry::GetTypeInfo took %ld ms for type %s", static_cast<LONG>(elapsed),
                    className.GetString());
        CWMIDebugLog::LogInfo(kMapperRegistrySource, __LINE__, text);
    }
    return typeInfo;
}

bool CWmipMapperRegistry::IsClassAbstract(const CString& className)
{
    const CWMITypeInfo* typeInfo = Find(className);
    if (typeInfo == nullptr)
        return false;
    // An unbound mapper leaves a concrete class without a factory; its declared kind decides.
    return !typeInfo->GetTypeConstructor() && !typeInfo->IsDeclaredConcrete();
}

void CWmipMapperRegistry::CollectConcreteDerivedTypes(const CString& className, std::vector<CString>& result,
                                                      std::vector<CString>& visited)
{
    const CString key = UpperName(className);
    // A class met twice (a registration that makes a class its own ancestor) ends the walk.
    if (std::find(visited.begin(), visited.end(), key) != visited.end())
        return;
    visited.push_back(key);
    const auto found = m_derivedTypes.find(key);
    if (found == m_derivedTypes.end())
        return;
    for (const CString& derived : found->second)
    {
        if (Find(derived) != nullptr && !IsClassAbstract(derived))
            result.push_back(derived);
        CollectConcreteDerivedTypes(derived, result, visited);
    }
}

std::vector<CString> CWmipMapperRegistry::GetConcreteDerivedTypes(const CString& className)
{
    std::vector<CString> result;
    std::vector<CString> visited;
    CollectConcreteDerivedTypes(className, result, visited);
    return result;
}

std::vector<CString> CWmipMapperRegistry::GetTypeNames()
{
    std::vector<CString> names;
    names.reserve(m_classes.size());
    for (const auto& [key, typeInfo] : m_classes)
        names.push_back(typeInfo->GetClassName());
    return names;
}

CWmipClassMapperHooks* CWmipMapperRegistry::NewMapperUsingRegistry(const CString& className, const CAcsUser* user,
                                                                   IWbemContext* context, IWbemServices* services,
                                                                   Door door)
{
    const CWMITypeInfo* typeInfo = Find(className);
    if (typeInfo == nullptr || !typeInfo->GetTypeConstructor())
        return nullptr;
    return typeInfo->GetTypeConstructor()(user, context, services, door);
}

CWmipClassMapperHooks* CWmipMapperRegistry::NewMapperFromChain(const CAcsUser* user, IWbemContext* context,
                                                               IWbemServices* services, const wchar_t* className,
                                                               Door door, CWmipListObjectClassCache* listCache)
{
    if (className == nullptr)
        return nullptr;
    const CString name(className);
    for (const ChainedMapper& mapper : MapperChain())
    {
        if (mapper.className.GetLength() == name.GetLength() && mapper.className.CompareNoCase(name) == 0)
            return mapper.factory ? mapper.factory(user, context, services, door) : nullptr;
    }
    const CWmipListDescriptor* descriptor = listCache != nullptr ? listCache->Find(name) : nullptr;
    if (descriptor == nullptr)
        return nullptr;
    const MapperFactory factory = Instance()->ListMapperFactoryFor(*descriptor);
    return factory ? factory(user, context, services, door) : nullptr;
}

MapperFactory CWmipMapperRegistry::ListMapperFactoryFor(const CWmipListDescriptor& descriptor)
{
    CheckedRecursiveMutexLock guard(m_lazyLock);
    // A list the catalogue names is served: without its factory that is a failure, not "no such class".
    if (!m_listMapperFactory)
        throw CWMIException(kMapperRegistrySource, __LINE__, WBEM_E_FAILED, kNoListMappers, true);
    return m_listMapperFactory(descriptor);
}

std::unique_ptr<CCorvessaClassObject> CWmipMapperRegistry::NewUndeclaredClassDefinition(const CString& className)
{
    UndeclaredClassDefinitions definitions;
    {
        CheckedRecursiveMutexLock guard(m_lazyLock);
        definitions = m_undeclaredClassDefinitions;
    }
    if (!definitions)
    {
        CString text;
        text.Format(L"CWmipMapperRegistry: the definitions of the classes WMI keeps are not installed; class %s is "
                    L"unknown.",
                    className.GetString());
        CWMIDebugLog::LogError(kMapperRegistrySource, __LINE__, text, WBEM_E_INVALID_CLASS);
        return nullptr;
    }
    return definitions(className);
}

// --- Lazily loaded database facts ----------------------------------------------------------

bool CWmipMapperRegistry::DoesCachedItemNeedToBeRefreshed(std::optional<ULONGLONG> stamp)
{
    return DoesCachedItemNeedToBeRefreshed(stamp, IClock::Process().GetTickCount64());
}

bool CWmipMapperRegistry::DoesCachedItemNeedToBeRefreshed(std::optional<ULONGLONG> stamp, ULONGLONG now)
{
    if (!stamp)
        return true;
    if (now < *stamp)
        return false;
    return (now - *stamp + kHalfSecondMs) / kMinuteMs > kRefreshMinutes;
}

void CWmipMapperRegistry::RegisterListClassesLocked()
{
    m_listStamp = IClock::Process().GetTickCount64();
    // Stamped all the same, so that it is said once and not on every look-up: installing the
    // factory clears the stamp.
    if (!m_listMapperFactory)
    {
        CWMIDebugLog::LogError(kMapperRegistrySource, __LINE__, kNoListMappers, WBEM_E_FAILED);
        return;
    }
    const std::shared_ptr<CAcsUser> administrator = GetSAUser();
    // Without the database the lists registered so far stay as they are.
    if (administrator == nullptr || administrator->GetDatabase() == nullptr)
        return;
    // The list cache's own reading: the same lists, the same checks of their table names.
    const CWmipListObjectClassCache lists(administrator.get(), nullptr);
    for (auto& [name, listClass] : m_listClasses)
        listClass.current = false;
    for (const auto& entry : lists.GetDescriptors())
    {
        const CWmipListDescriptor& descriptor = entry.second;
        ListClass& listClass = m_listClasses[UpperName(entry.first)];
        listClass.current = true;
        if (listClass.typeInfo != nullptr)
            continue;
        auto typeInfo = std::make_unique<CWMITypeInfo>(entry.first, CString(kRootClass));
        typeInfo->SetTypeConstructor(m_listMapperFactory(descriptor));
        typeInfo->AddProperty(L"ID", CIM_SINT32, descriptor.table, L"ID", 1, 0);
        typeInfo->AddProperty(L"Name", CIM_STRING, descriptor.table, L"NAME", 0, CWmipListDescriptor::kNameLength);
        CWMITypeInfo::SegmentSource listed;
        listed.reason = L"A user-defined list's own table holds its segments; its mapper reads them there.";
        typeInfo->AddSegmentSource(std::move(listed));
        typeInfo->SetTypeDisplayName(descriptor.displayName);
        listClass.typeInfo = std::move(typeInfo);
    }
}

void CWmipMapperRegistry::RegisterUDFData()
{
    {
        CheckedRecursiveMutexLock guard(m_lazyLock);
        if (DoesCachedItemNeedToBeRefreshed(m_listStamp))
        {
            try
            {
                RegisterListClassesLocked();
            }
            catch (const CException& error)
            {
                CWMIDebugLog::LogError(kMapperRegistrySource, __LINE__, L"CWmipMapperRegistry::RegisterUDFData failed.",
                                       WBEM_E_FAILED, &error);
            }
        }
    }
    if (m_udfDisplayNamesReady.load(std::memory_order_acquire))
        return;
    CheckedRecursiveMutexLock guard(m_lazyLock);
    if (m_udfDisplayNamesLoaded)
        return;
    // Once per process, whatever the outcome: a database that cannot be reached is not asked
    // again on every look-up; HandleInvalidDBConnection clears the flag.
    m_udfDisplayNamesLoaded = true;
    struct ReadyOnExit
    {
        std::atomic<bool>& ready;
        ~ReadyOnExit() { ready.store(true, std::memory_order_release); }
    } ready{m_udfDisplayNamesReady};
    std::vector<std::pair<CWMITypeInfo*, int>> tables;
    for (const auto& [key, typeInfo] : m_classes)
    {
        const int tableId = typeInfo->GetUDFTableId();
        if (tableId > 0)
            tables.emplace_back(typeInfo.get(), tableId);
    }
    if (tables.empty())
        return;

    const DWORD start = GetTickCount();
    try
    {
        const std::shared_ptr<CAcsUser> administrator = GetSAUser();
        if (administrator == nullptr || administrator->GetDatabase() == nullptr)
            return;
        const std::map<LONG, CString> names = ReadTableCatalogue(administrator->GetDatabase());
        for (const auto& [typeInfo, tableId] : tables)
        {
            const auto found = names.find(tableId);
            typeInfo->SetTypeDisplayName(found == names.end() ? CString() : found->second);
        }
    }
    catch (const CException& error)
    {
        CWMIDebugLog::LogError(kMapperRegistrySource, __LINE__,
                               L"CWmipMapperRegistry::LoadUDFSystemTypeDisplayNames failed.", WBEM_E_FAILED, &error);
        return;
    }
    CString text;
    text.Format(L"CWmipMapperRegistry::LoadUDFSystemTypeDisplayNames took %ld ms",
                static_cast<LONG>(GetTickCount() - start));
    CWMIDebugLog::LogInfo(kMapperRegistrySource, __LINE__, text);
}

void CWmipMapperRegistry::RefreshAvailableUserPermissions(CWMITypeInfo* typeInfo)
{
    if (typeInfo == nullptr)
        return;
    CheckedRecursiveMutexLock guard(m_lazyLock);
    // The refresh itself may ask for Bnt_User; that inner request takes the lists as they are.
    if (m_refreshingPermissions || !m_permissionGroupRefresh || !DoesCachedItemNeedToBeRefreshed(m_permissionStamp))
        return;
    const std::shared_ptr<CAcsUser> administrator = GetSAUser();
    if (administrator == nullptr)
        return;
    m_refreshingPermissions = true;
    try
    {
        typeInfo->UpdateTypeInformation([&](CCorvessaClassObject& definition) REQUIRES(m_lazyLock) {
            m_permissionGroupRefresh(&definition, administrator.get());
        });
        m_permissionStamp = IClock::Process().GetTickCount64();
    }
    catch (const CWMIException& error)
    {
        CWMIDebugLog::LogError(kMapperRegistrySource, __LINE__,
                               L"CWmipMapperRegistry::RefreshAvailableUserPermissions failed.", error.GetHResult(),
                               nullptr, &error);
    }
    catch (const CException& error)
    {
        CWMIDebugLog::LogError(kMapperRegistrySource, __LINE__,
                               L"CWmipMapperRegistry::RefreshAvailableUserPermissions failed.", WBEM_E_FAILED, &error);
    }
    catch (const std::exception&)
    {
        CWMIDebugLog::LogError(kMapperRegistrySource, __LINE__,
                               L"CWmipMapperRegistry::RefreshAvailableUserPermissions failed.", WBEM_E_FAILED);
    }
    m_refreshingPermissions = false;
}

std::shared_ptr<CAcsUser> CWmipMapperRegistry::GetSAUser()
{
    return CWMITypeInfo::GetSAUser();
}

void CWmipMapperRegistry::HandleInvalidDBConnection()
{
    CheckedRecursiveMutexLock guard(m_lazyLock);
    m_udfDisplayNamesLoaded = false;
    m_udfDisplayNamesReady.store(false, std::memory_order_release);
    m_permissionStamp.reset();
    m_listStamp.reset();
}
