// CWmipMapperRegistry: the process-wide registry of class descriptions (CWMITypeInfo) keyed by
// class name without regard to case, with the classes derived from each superclass, the mapper
// factories, the name chain of GetMapper, and the lazily loaded database facts of the types
// (display names of the user-defined-field classes, the permission lists of Bnt_User).
//
// One instance per process (Instance). The registrations run while the library loads, one after
// another on the loader thread, and take no lock; the class map, the derived-class lists and the
// mapper chain are only read afterwards. The lazily built parts that request threads reach
// (RegisterUDFData, RefreshAvailableUserPermissions, HandleInvalidDBConnection) and what is
// installed from above (the list mappers' factory, the undeclared classes' definitions, the
// permission refresh) are guarded by m_lazyLock. Registration operations that name a class not
// registered yet do nothing.
#pragma once

#include "platform/win32/ThreadSafety.h"
#include "framework/CWMITypeInfo.h"
#include "framework/MapperFactory.h"
#include "framework/SoftwareEventType.h"
#include "platform/win32/Clock.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <memory>
#include <mutex>
#include <vector>

class CAcsUser;
class CCorvessaClassObject;
class CWmipClassMapper;
class CWmipClassMapperHooks;
class CWmipListObjectClassCache;
struct CWmipListDescriptor;
class IWbemClassObject;
class IWbemContext;
class IWbemServices;

class CWmipMapperRegistry
{
public:
    using ClassMap = std::map<CString, std::unique_ptr<CWMITypeInfo>>;
    // Refills the permission-group value lists of Bnt_User's class definition as the given
    // user (CWmipUserMapper::RefreshAvailablePermissionGroups, installed by the schema's load in
    // schema/DeclareSchema.cpp).
    using PermissionGroupRefresh = std::function<void(IWbemClassObject* classObject, const CAcsUser* user)>;
    // The factory of a user-defined list's mapper, given the list (CWmipListItemMapper::FactoryFor,
    // installed by the schema's load).
    using ListMapperFactory = std::function<MapperFactory(const CWmipListDescriptor& descriptor)>;
    // A new definition, for the bus front end, of a class WMI keeps and the schema does not declare
    // (CWmipManagerClassDefinitions::BuildForBus, installed by the schema's load); null for a name
    // it does not know.
    using UndeclaredClassDefinitions = std::function<std::unique_ptr<CCorvessaClassObject>(const CString& className)>;

    CWmipMapperRegistry(const CWmipMapperRegistry&) = delete;
    CWmipMapperRegistry& operator=(const CWmipMapperRegistry&) = delete;

    // The one registry, built on first use (its destruction runs at exit); never null.
    static CWmipMapperRegistry* Instance();

    // --- Registration (loader thread) --------------------------------------------------------

    // Registers a fresh description of className (replacing an earlier one of that name and all
    // its members, and clearing an earlier refusal of it) with its superclass (empty for none),
    // dynamic flag and factory (stored when not empty), then AddToDerivedTypesMap(superclass,
    // className).
    void RegisterClass(const CString& className, const CString& superclassName, bool dynamic, MapperFactory factory);
    void RegisterClass(const CString& className, const CString& superclassName, MapperFactory factory);
    void RegisterClass(const CString& className, MapperFactory factory);
    // The abstract form: no factory.
    void RegisterClass(const CString& className, const CString& superclassName);
    // Records that the schema declares className concrete, so that it is not reported abstract
    // while its mapper has no factory yet.
    void SetClassDeclaredConcrete(const CString& className);

    // Forward to the class's CWMITypeInfo (AddProperty, AddDynamicProperty, ...).
    void RegisterProperty(const CString& className, const CString& property, LONG cimType, const CString& table,
                          const CString& column, int keyFlag, int maxLength, LONG idType = kNoIdType,
                          SegmentOption segmentOption = SegmentOptionNone);
    void RegisterDynamicProperty(const CString& className, const CString& property, LONG cimType, int maxLength);
    void RegisterReferenceProperty(const CString& className, const CString& property, const CString& referencedClass);
    void RegisterMethod(const CString& className, const CString& method);
    // A record the class's writes (method empty) or the method's calls name: see
    // CWMITypeInfo::NamedRecord. Nothing for a class not registered.
    void RegisterNamedRecord(const CString& className, CWMITypeInfo::NamedRecord record);
    // An id the class's properties (method empty) or the method's parameters hold that names no
    // record: see CWMITypeInfo::NoRecord. Nothing for a class not registered.
    void RegisterNoRecord(const CString& className, CWMITypeInfo::NoRecord record);
    // Refuses (RefuseClass) every class with an id-shaped property or input parameter that
    // declares neither the record it names nor that it names none (CWMITypeInfo::FindUndeclaredIds),
    // and answers their names (empty when every class declares its ids). Runs once the schema is
    // declared, on the loader thread.
    std::vector<CString> RefuseClassesWithUndeclaredIds();
    // Declares that the software events of eventType carry records of className. A kind another
    // class declared already refuses className (RefuseClass), so that no kind names two classes.
    // Nothing for a class not registered. Registering a class anew, or refusing it, drops its kinds.
    void RegisterSoftwareEventType(const CString& className, SoftwareEventType eventType);
    // Declares that the bus front end never shows className (CWMITypeInfo::IsExposedOnBus).
    // Nothing for a class not registered. A registration, so it runs while the library loads and
    // logs nothing: a line logged then would make the home of a host that has no installation yet.
    void RegisterHiddenFromBus(const CString& className);
    // Where the class's records take their segments from: see CWMITypeInfo::SegmentSource.
    // Nothing for a class not registered.
    void RegisterSegmentSource(const CString& className, CWMITypeInfo::SegmentSource source);
    // Run once the schema is declared: refuses (RefuseClass) every served class (one with a
    // factory or declared concrete) that declares no segment source, so that no door serves
    // records nobody said how to segment, then every class that belongs to an owner not loaded
    // (again for the classes that belong to those); answers their names.
    std::vector<CString> RefuseClassesWithoutSegmentSource();
    // An end of a segmented class that the class's records do not follow, and why: see
    // CWMITypeInfo::UnfollowedEnd. Nothing for a class not registered.
    void RegisterUnfollowedEnd(const CString& className, CWMITypeInfo::UnfollowedEnd end);
    // Refuses (RefuseClass) every served class whose key properties
    // name two or more records of segmented classes (declared named records; a class is
    // segmented when a source of its own or of an owner it follows restricts) and that, for one
    // of them, neither follows it (FollowsEnd) nor declares why its records do not
    // (RegisterUnfollowedEnd); answers their names. Runs once the schema is declared, on the
    // loader thread, before the mappers join the name chain.
    std::vector<CString> RefuseLinksWithUnfollowedEnds();
    // The one way a class fails to load: logs "CWmipMapperRegistry: class <className> is not
    // loaded: <missing>" as an error, removes the class's description (when registered), its
    // place in the derived-class lists and its mappers from the name chain, and records the
    // line for IsClassRefused and GetRefusal. Nothing of the class is served afterwards.
    void RefuseClass(const CString& className, const CString& missing);
    // objectClass: the class an embedded object parameter takes; empty for any other parameter.
    void RegisterMethodParameter(const CString& className, const CString& method, bool isInput,
                                 const CString& parameter, LONG cimType, const CString& objectClass = CString());
    // A boolean qualifier holding the low 16 bits of value.
    void RegisterPropertyAttribute(const CString& className, const CString& property, const CString& attribute,
                                   int value);
    // A text (BSTR) qualifier.
    void RegisterPropertyAttribute(const CString& className, const CString& property, const CString& attribute,
                                   const CString& value);
    void RegisterPropertyAttributeImpl(const CString& className, const CString& property, const CString& attribute,
                                       const VARIANT& value);
    // attribute is not used; values (value -> label) become "ValueMap" and "Values".
    void RegisterPropertyValues(const CString& className, const CString& property, const CString& attribute,
                                const std::map<CString, CString>& values);
    void RegisterClassAttribute(const CString& className, const CString& attribute, int value);
    void RegisterClassWidePropertyAttribute(const CString& className, const CString& attribute, int value);
    // Appends className to the derived-class list of superclassName (created on first use),
    // unless the superclass is empty or Bnt_Element (without regard to case).
    void AddToDerivedTypesMap(const CString& superclassName, const CString& className);

    // Adds a mapper class to the name chain of GetMapper: className (its GetWMIClassName) and
    // the factory that constructs it. The schema's load adds every bound mapper of the chain
    // (schema/MapperBindings.cpp) while the library loads.
    static void AddToMapperChain(const CString& className, MapperFactory factory);
    // Installs the refresh of Bnt_User's permission lists (the schema's load installs the user
    // mapper's, while the library loads).
    void SetPermissionGroupRefresh(PermissionGroupRefresh refresh);
    // Installs the factory of the user-defined lists' mappers; the next look-up registers the list
    // classes again. Until it is, the list classes are not registered (RegisterUDFData logs why,
    // once per refresh of the lists) and GetMapper refuses a list's mapper.
    void SetListMapperFactory(ListMapperFactory factory);
    // Installs the definitions of the classes WMI keeps, which the in-process WMI objects ask the
    // registry for. Until they are, such a class is unknown and each request for one logs why.
    void SetUndeclaredClassDefinitions(UndeclaredClassDefinitions definitions);

    // --- Queries -----------------------------------------------------------------------------

    // The description of the class (name without regard to case), owned by the registry and
    // valid for the process's life; null when the class is not registered. Unless
    // skipUDFData, RegisterUDFData runs first; for Bnt_User RefreshAvailableUserPermissions
    // runs before the description is returned. Logs "CWmipMapperRegistry::GetTypeInfo took
    // %ld ms for type %s" when the tick count moved during the call.
    CWMITypeInfo* GetTypeInfo(const CString& className, bool skipUDFData = false);
    // True when the class was refused (RefuseClass) and not registered again since (name without
    // regard to case).
    bool IsClassRefused(const CString& className) const;
    // The error line the class's refusal logged; empty when the class was not refused.
    CString GetRefusal(const CString& className) const;
    // False for a class that is not registered; otherwise true when it has no factory and was
    // not declared concrete (the abstract classes and the root).
    bool IsClassAbstract(const CString& className);
    // The non-abstract classes below className, depth first in registration order (a concrete
    // class's own derived classes follow it); empty when there are none.
    std::vector<CString> GetConcreteDerivedTypes(const CString& className);
    // A new definition of a class WMI keeps, by the installed definitions
    // (SetUndeclaredClassDefinitions); null for a name they do not know, and, logged, while none
    // are installed.
    std::unique_ptr<CCorvessaClassObject> NewUndeclaredClassDefinition(const CString& className);
    // The names of all registered classes as registered, in the registry's order.
    std::vector<CString> GetTypeNames();
    // The loaded class that declares the software event type (as declared); empty when none does.
    CString GetSoftwareEventClass(SoftwareEventType eventType) const;
    // Raised by every registration (RegisterClass, which replaces a class of the same name and
    // frees its description) and every refusal (RefuseClass, which removes one): what a caller
    // keeps about the registered classes, keyed by it, never outlives the descriptions it read.
    std::uint64_t GetGeneration() const { return m_generation.load(std::memory_order_acquire); }

    // A new mapper of the door built by the class's factory (the caller owns it); null when the
    // class is unknown or has no factory, or the factory builds none. Each GetMapper is a template
    // only so that its product is handed out as the CWmipClassMapper it is in the caller's unit
    // (MapperFactory::AsClassMapper), which knows that class: the registry stands below it.
    template <typename Mapper = CWmipClassMapper>
    Mapper* GetMapperUsingRegistry(const CString& className, const CAcsUser* user, IWbemContext* context,
                                   IWbemServices* services, Door door)
    {
        return MapperFactory::AsClassMapper<Mapper>(NewMapperUsingRegistry(className, user, context, services, door));
    }
    template <typename Mapper = CWmipClassMapper>
    Mapper* GetMapperUsingRegistry(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                                   const wchar_t* className, Door door)
    {
        if (className == nullptr)
            return nullptr;
        return GetMapperUsingRegistry<Mapper>(CString(className), user, context, services, door);
    }
    // The first mapper of the name chain whose class name equals className (without regard to
    // case), constructed with (user, context, services) for the door; else, with a list-object
    // cache that holds a list of that name, that list's mapper (built by the factory
    // SetListMapperFactory installed; throws CWMIException WBEM_E_FAILED, logged, while none is);
    // else null. The caller owns the mapper. A mapper that builds another passes its own door
    // (GetDoor).
    template <typename Mapper = CWmipClassMapper>
    static Mapper* GetMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                             const wchar_t* className, Door door, CWmipListObjectClassCache* listCache = nullptr)
    {
        return MapperFactory::AsClassMapper<Mapper>(
            NewMapperFromChain(user, context, services, className, door, listCache));
    }
    // The mapper of the class that declares the software event type (GetSoftwareEventClass)
    // through the name chain; null for a type no loaded class declares.
    template <typename Mapper = CWmipClassMapper>
    static Mapper* GetMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                             SoftwareEventType eventType, Door door)
    {
        const CString className = Instance()->GetSoftwareEventClass(eventType);
        if (className.IsEmpty())
            return nullptr;
        return GetMapper<Mapper>(user, context, services, className.GetString(), door, nullptr);
    }

    // --- Lazily loaded database facts (any thread) -------------------------------------------

    // True when stamp is not set, or when the whole minutes from stamp to now (the span plus half
    // a second, cut to whole minutes) are more than 10. Stamps and now are milliseconds of the
    // process's steady clock (IClock::Process().GetTickCount64()): a wall clock set back (the end
    // of daylight time) would hold a refresh off for as long as it went back.
    static bool DoesCachedItemNeedToBeRefreshed(std::optional<ULONGLONG> stamp);
    static bool DoesCachedItemNeedToBeRefreshed(std::optional<ULONGLONG> stamp, ULONGLONG now);
    // Registers the user-defined list classes again (Bnt_ + list table, below Bnt_Element, with
    // ID and Name on the list table and a list mapper as factory) when their stamp needs a
    // refresh; a list gone from the catalogue is no longer found, but its description stays
    // valid. Then, once per process (again after HandleInvalidDBConnection), gives every class
    // whose "UDFTableId" is above 0 the NAME of its DDTBL row as display name (empty without a
    // row). Both read as the system administrator; logs
    // "CWmipMapperRegistry::LoadUDFSystemTypeDisplayNames took %ld ms". A run that cannot reach
    // the database is logged and not repeated until its stamp (lists) or
    // HandleInvalidDBConnection (display names) says so.
    void RegisterUDFData();
    // When the permission stamp needs a refresh and a refresh is installed: runs it on a copy of
    // the type's definition as the system administrator, publishes the copy and stamps now. A
    // failed refresh is logged, keeps the old lists and leaves the stamp unchanged.
    void RefreshAvailableUserPermissions(CWMITypeInfo* typeInfo);
    // The system administrator user (CWMITypeInfo::GetSAUser); null when the login fails.
    std::shared_ptr<CAcsUser> GetSAUser();
    // Drops the cached database facts after a lost connection: the display names are read
    // again and the permission lists refreshed on their next use.
    void HandleInvalidDBConnection();

private:
    CWmipMapperRegistry();

    // The products behind GetMapperUsingRegistry and GetMapper, as their factories hand them out.
    CWmipClassMapperHooks* NewMapperUsingRegistry(const CString& className, const CAcsUser* user, IWbemContext* context,
                                                  IWbemServices* services, Door door);
    static CWmipClassMapperHooks* NewMapperFromChain(const CAcsUser* user, IWbemContext* context,
                                                     IWbemServices* services, const wchar_t* className, Door door,
                                                     CWmipListObjectClassCache* listCache);
    // The factory of the list's mapper (SetListMapperFactory); throws CWMIException WBEM_E_FAILED,
    // logged, while none is installed.
    MapperFactory ListMapperFactoryFor(const CWmipListDescriptor& descriptor);

    ClassMap::iterator LookupClassInRegistry(const CString& className);
    // The registered class, else the current user-defined list class of that name; null when
    // neither exists.
    CWMITypeInfo* Find(const CString& className);
    // The refresh of the list classes behind RegisterUDFData; the caller holds m_lazyLock.
    void RegisterListClassesLocked() REQUIRES(m_lazyLock);
    // RefuseClass for the registered entry; answers the entry after it.
    ClassMap::iterator RefuseEntry(ClassMap::iterator entry, const CString& missing);
    // True when a record of the class may be hidden by segments: a source of its own column, or
    // an owner that is itself segmented (followed at most depth owners deep).
    bool IsSegmented(const CString& className, int depth);
    // True when type's records are seen only with the record of endClass that its properties
    // names give (endKeys: the end's properties at the same places): it belongs to it, the end
    // takes its segments only from owners the class follows by the same names, or an owner of
    // the class follows the end by names the class gives it.
    bool FollowsEnd(const CWMITypeInfo& type, const std::vector<CString>& names, const CString& endClass,
                    const std::vector<CString>& endKeys, int depth);
    // Drops the software event types className declared.
    void ForgetSoftwareEventTypes(const CString& className);
    void CollectConcreteDerivedTypes(const CString& className, std::vector<CString>& result,
                                     std::vector<CString>& visited);

    // Filled at load, read-only afterwards. Keyed by the upper-cased class name.
    ClassMap m_classes;
    std::map<CString, std::vector<CString>> m_derivedTypes;
    // The refused classes' logged lines, keyed by the upper-cased class name.
    std::map<CString, CString> m_refusedClasses;
    // The class each software event type's records belong to, as declared (filled at load).
    std::map<SoftwareEventType, CString> m_softwareEventClasses;
    // See GetGeneration; raised after each change of m_classes.
    std::atomic<std::uint64_t> m_generation{0};

    // Recursive: a permission refresh may ask for Bnt_User again.
    CheckedRecursiveMutex m_lazyLock;
    bool m_udfDisplayNamesLoaded GUARDED_BY(m_lazyLock) = false;
    // Set under m_lazyLock once the load has finished (whatever its outcome) and read without
    // it, so that the look-ups after the one load take no lock.
    std::atomic<bool> m_udfDisplayNamesReady{false};
    std::optional<ULONGLONG> m_permissionStamp GUARDED_BY(m_lazyLock);
    // The user-defined list classes by upper-cased name; `current` is cleared for a list the
    // catalogue no longer holds (the description is kept: pointers to it were handed out).
    struct ListClass
    {
        std::unique_ptr<CWMITypeInfo> typeInfo;
        bool current = false;
    };
    std::map<CString, ListClass> m_listClasses GUARDED_BY(m_lazyLock);
    std::optional<ULONGLONG> m_listStamp GUARDED_BY(m_lazyLock);
    bool m_refreshingPermissions GUARDED_BY(m_lazyLock) = false;
    PermissionGroupRefresh m_permissionGroupRefresh GUARDED_BY(m_lazyLock);
    ListMapperFactory m_listMapperFactory GUARDED_BY(m_lazyLock);
    UndeclaredClassDefinitions m_undeclaredClassDefinitions GUARDED_BY(m_lazyLock);
};
