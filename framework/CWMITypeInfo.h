// CWMITypeInfo: the description of one registered WMI class: its in-process class definition
// (CCorvessaClassObject with properties, qualifiers and methods), its parent type, the table and
// column behind each property, its keys, CIM types, ID types and segment options, its reference
// properties, its registered methods, the factory of its mapper and its display name.
//
// Owned by CWmipMapperRegistry for the life of the process. The Add* registrations run while the
// library loads, one after another on the loader thread, and take no lock; the maps they fill
// are only read afterwards. The class definition is replaced, never changed in place, once it
// has been handed out: GetTypeInformation (methods added on first use, the re-read of a dynamic
// class) and UpdateTypeInformation build a new definition and publish it under m_lock. A
// definition handed out is a counted hold: it lives as long as its last reader holds it, however
// many definitions were published since. The process-wide system administrator user
// has a lock of its own; the mappers this type builds get the process's one in-process
// services object (CCorvessaNamespace::Instance).
#pragma once

#include "platform/win32/ThreadSafety.h"
#include "framework/objects/CCorvessaClassObject.h"
#include "framework/objects/CCorvessaMethodDescriptor.h"
#include "framework/MapperFactory.h"
#include "framework/NamedRecordRoad.h"
#include "framework/PropertyOptions.h"
#include "inhouse/BntLogin/CDefinitionStamps.h"
#include "platform/com/Variant.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

class CAcsUser;
class IWmipUserEntry;
class CBntAcsSystemOptions;
class CWmipMapper;

class CWMITypeInfo
{
public:
    // A class definition as handed out: a counted hold, alive while its reader keeps it.
    using ClassObjectPtr = std::shared_ptr<CCorvessaClassObject>;

    // The description of className (its class definition carries that name), derived from
    // parentTypeName (empty for none); not dynamic, no factory.
    CWMITypeInfo(const CString& className, const CString& parentTypeName);
    ~CWMITypeInfo();
    CWMITypeInfo(const CWMITypeInfo&) = delete;
    CWMITypeInfo& operator=(const CWMITypeInfo&) = delete;

    // --- Registration (loader thread) --------------------------------------------------------

    // The factory that builds the class's mapper; an empty one leaves none.
    void SetTypeConstructor(MapperFactory factory) { m_typeConstructor = std::move(factory); }
    // Marks the class dynamic: its keys get no "key" qualifier, its segment options become
    // "SegmentOption" qualifiers, and its definition is re-read through its mapper.
    void RegisterAsADynamicClass(bool dynamic) { m_dynamic = dynamic; }
    // Records that the schema declares the class concrete even while its mapper has no factory.
    void SetDeclaredConcrete() { m_declaredConcrete = true; }
    // Records that the schema declares the class never shown on the bus (DeclareHiddenFromBus).
    void SetHiddenFromBus() { m_hiddenFromBus = true; }

    // In this order: defines the property (CIM type, no value); records property <->
    // "TABLE.COLUMN" when table and column are both given; for a non-zero key flag records the
    // key column (empty without one) and, unless the class is dynamic, puts "key" = true;
    // records a non-zero CIM type; records an ID type other than kNoIdType; puts "maxlen" (32-bit)
    // for a string whatever the length, for an array only when the length is at least 1;
    // SetSegmentationOption; copies the class-wide attributes registered so far.
    void AddProperty(const CString& property, LONG cimType, const CString& table, const CString& column, int keyFlag,
                     int maxLength, LONG idType = kNoIdType, SegmentOption segmentOption = SegmentOptionNone);
    // A property without a column, whose value the mapper produces.
    void AddDynamicProperty(const CString& property, LONG cimType, int maxLength);
    // A reference property: CIM type 102, qualifier "CIMTYPE" = "ref:" + referencedClass,
    // recorded as property -> referenced class, with the class-wide attributes so far.
    void AddReferenceProperty(const CString& property, const CString& referencedClass);
    // A record of another class that writes of this class (method empty) or calls of the
    // method name; see NamedRecord.
    struct NamedRecord
    {
        // Empty for the instance's properties, else the method whose input parameters name it.
        CString method;
        // The properties or parameters that together name the record (a composite key has several).
        std::vector<CString> names;
        CString referencedClass;
        // The referenced class's properties the names give, at the same places.
        std::vector<CString> referencedKeys;
        // Who answers a record that does not exist or that the caller may not see; the framework
        // names names.back(), the name that picks the record within the others.
        NamedRecordRoad road = NamedRecordRoad::kFramework;
    };
    void AddNamedRecord(NamedRecord record) { m_namedRecords.push_back(std::move(record)); }
    // An id-shaped property (method empty) or input parameter of the method that names no record,
    // and why: the declaration that stands for a named record where there is none to name.
    struct NoRecord
    {
        CString method;
        CString name;
        CString reason;
    };
    void AddNoRecord(NoRecord record) { m_noRecords.push_back(std::move(record)); }
    // Where the class's records take their segments from; a served class declares at least one,
    // and a record is seen only when every source lets the caller see it.
    struct SegmentSource
    {
        // How many owners one record may be followed through (a badge extension, its badge, the
        // badge's person): declared with the sources so that the registry, which checks a class's
        // owners when it is registered, and the segment filter, which follows them, read one depth.
        static constexpr int kMaxOwnerDepth = 4;
        enum class Kind
        {
            // The record's own column (table.column of the class's join) holds its segment.
            OwnColumn,
            // The record belongs to a record of ownerClass and is seen only with it.
            Owner,
            // The record stands in no segment (reason says why).
            NotSegmented
        };
        Kind kind = Kind::NotSegmented;
        // OwnColumn: the table and column, and the option under which the column restricts.
        CString table;
        CString column;
        SegmentOption option = SegmentOptionNone;
        // Owner: the properties that name the owner (a reference property gives the referenced
        // class's keys), and the owner's properties they give, at the same places.
        std::vector<CString> names;
        CString ownerClass;
        std::vector<CString> ownerKeys;
        // Owner: true for an end a row may leave empty (NULL names no owner): such a row is seen
        // by its other sources alone.
        bool optional = false;
        CString reason;
    };
    void AddSegmentSource(SegmentSource source) { m_segmentSources.push_back(std::move(source)); }
    // A record of a segmented class that the class's key names but whose segments its records do
    // not follow, and why: the declaration that stands for a belongs-to where a link has good
    // reason to show a row whatever the end's segment.
    struct UnfollowedEnd
    {
        std::vector<CString> names;
        CString ownerClass;
        CString reason;
    };
    void AddUnfollowedEnd(UnfollowedEnd end) { m_unfollowedEnds.push_back(std::move(end)); }
    // Records the method unless one of that name is recorded already.
    void AddMethod(const CString& method);
    // Appends the parameter to the method's in (isInput) or out list, recording the method
    // first when needed; objectClass is the class an embedded object input takes (empty: none).
    void AddMethodParameter(const CString& method, bool isInput, const CString& parameter, LONG cimType,
                            const CString& objectClass = CString());
    // Puts value as the property's qualifier `attribute`. When the property is not defined the
    // failure is logged ("CWMITypeInfo::GetPropertyQualifierSet failed for %s.") and nothing
    // is stored.
    void AddPropertyAttribute(const CString& property, const CString& attribute, const VARIANT& value);
    // Puts the string arrays "ValueMap" (the keys) and "Values" (the labels) on the property,
    // in the map's order; a failure is logged ("CWMITypeInfo::AddPropertyValues failed for
    // property %s.").
    void AddPropertyValues(const CString& property, const std::map<CString, CString>& values);
    // True when the schema declares the property's value list (AddPropertyValues); a list the
    // running system fills (the permission groups of a user, user-defined lists) is none of these.
    bool HasDeclaredValueList(const CString& property) const
    {
        return m_declaredValueLists.contains(FoldName(property));
    }
    // Puts the class qualifier `attribute` with value as a 32-bit integer (VT_INT).
    void AddClassAttribute(const CString& attribute, int value);
    // Records attribute -> boolean (low 16 bits of value), replacing an earlier value; every
    // property registered afterwards receives it as a qualifier.
    void AddClassWidePropertyAttribute(const CString& attribute, int value);
    // Nothing for SegmentOptionNone; otherwise records the option and, for a dynamic class
    // only, puts the qualifier "SegmentOption" as a 32-bit integer.
    void SetSegmentationOption(const CString& property, SegmentOption option);

    // --- Registered facts (read-only after load; any thread) -------------------------------

    const CString& GetClassName() const { return m_className; }
    // The parent class's name; empty for a class without parent.
    CString GetParentTypeName() const { return m_parentTypeName; }
    bool IsDynamic() const { return m_dynamic; }
    bool IsDeclaredConcrete() const { return m_declaredConcrete; }
    // False for a class the schema declares hidden from the bus; true otherwise.
    bool IsExposedOnBus() const { return !m_hiddenFromBus; }
    // The factory of the class's mapper; empty for an abstract class or an unbound mapper.
    const MapperFactory& GetTypeConstructor() const { return m_typeConstructor; }

    // Property -> "TABLE.COLUMN", in registration order.
    const std::vector<std::pair<CString, CString>>& GetPropertyColumns() const { return m_propertyColumns; }
    // True with the column of the property (name without regard to case); false, column
    // untouched, when the property has none.
    bool GetColumnForProperty(const CString& property, CString& tableDotColumn) const;
    // True with the property registered for "TABLE.COLUMN" (without regard to case); false,
    // property untouched, when there is none.
    bool GetPropertyForColumn(const CString& tableDotColumn, CString& property) const;
    // Key property -> "TABLE.COLUMN" (empty when the key has no column), registration order.
    const std::vector<std::pair<CString, CString>>& GetKeyProperties() const { return m_keyProperties; }
    // True when the names are exactly the class's key properties, each once, without regard to
    // case (any order); always true for a class without key properties, which cannot be judged.
    // A keyed path naming fewer keys or a non-key property identifies no instance.
    bool NamesExactlyTheKeys(const std::vector<CString>& names) const;
    // Property -> referenced class of the reference properties.
    const std::map<CString, CString, CStringNoCaseLess>& GetReferenceProperties() const
    {
        return m_referenceProperties;
    }
    // The records the class's writes and method calls name, in registration order.
    const std::vector<NamedRecord>& GetNamedRecords() const { return m_namedRecords; }
    // The ids the class declares to name no record, in registration order.
    const std::vector<NoRecord>& GetNoRecords() const { return m_noRecords; }
    // The id-shaped properties and input parameters ("Method.Parameter") that declare neither the
    // record they name nor that they name none, in registration order; empty when every one
    // declares. The class's own identity (a key named ID, or a key the class generates) names
    // its own record and declares nothing.
    std::vector<CString> FindUndeclaredIds() const;
    // True for an integer or integer array whose name ends in ID, Id, KEY or Key: a value that
    // names a record.
    static bool IsIdShaped(const CString& name, LONG cimType);
    // The declared segment sources, in registration order; empty for a class that declares none.
    const std::vector<SegmentSource>& GetSegmentSources() const { return m_segmentSources; }
    // The declared ends the class's records do not follow, in registration order.
    const std::vector<UnfollowedEnd>& GetUnfollowedEnds() const { return m_unfollowedEnds; }
    // The ID type of the property; kNoIdType when none.
    long GetPropertyIDType(const CString& property) const;
    // The segment option of the property; 0 when none.
    int GetSegmentationOption(const CString& property) const;
    // True when a method of exactly that name (case-sensitive) is registered.
    bool HasMethod(const CString& method) const { return m_methods.count(method) != 0; }
    // The registered methods by name.
    const std::map<CString, CCorvessaMethodDescriptor>& GetMethods() const { return m_methods; }
    // Refuses an embedded object of another class than its input parameter takes, for every
    // method: CWMIException 0x80041008 naming the parameter, the class it takes and the one given.
    // Names match without regard to case, as the mappers read them.
    void RequireObjectParameterClasses(const wchar_t* method, IWbemClassObject* inParams) const;

    // --- Facts read from the current class definition (any thread) --------------------------

    // True when the class definition holds the property (registered ones and, for a dynamic
    // class, those its mapper added).
    bool HasProperty(const CString& property) const;
    // The registered CIM type, else the definition's (references, fields added at run time);
    // 0 when the property is unknown. Array types carry 0x2000.
    long GetPropertyType(const CString& property) const;
    // True when the property is a registered key, or its qualifier "key" holds the 16-bit 1.
    bool IsPropertyAKeyProperty(const CString& property) const;
    // The "maxlen" qualifier; 0 when absent.
    int GetPropertyLength(const CString& property) const;
    // The boolean qualifiers "not_null", "noedit" and "read"; false when absent.
    bool IsPropertyRequired(const CString& property) const;
    bool IsPropertyViewOnly(const CString& property) const;
    bool IsPropertyReadOnly(const CString& property) const;
    // The text of the "DefaultValue" qualifier; empty when absent.
    CString GetDefaultValue(const CString& property) const;
    // The same five facts read from the given definition rather than the current one (a
    // caller's own, GetUserDefinition, whose qualifiers follow the options it was made under).
    static int GetPropertyLength(CCorvessaClassObject& definition, const CString& property);
    static bool IsPropertyRequired(CCorvessaClassObject& definition, const CString& property);
    static bool IsPropertyViewOnly(CCorvessaClassObject& definition, const CString& property);
    static bool IsPropertyReadOnly(CCorvessaClassObject& definition, const CString& property);
    static CString GetDefaultValue(CCorvessaClassObject& definition, const CString& property);
    // The "DisplayName" qualifier that class-building mappers put, as UTF-8; empty when none.
    std::string GetPropertyDisplayName(const CString& property) const;
    // The class attribute "UDFTableId"; 0 when the class declares none.
    int GetUDFTableId() const;
    // The class definition as the bus caller of entry is served it, a copy of its own: for a
    // dynamic class the one a WMI caller of the same user is served, from the class cache (built
    // for the caller, its options and lists, and shaped by the mapper's ProcessClassPermissions
    // there, kept as the mapper says); else the current one, shaped as a WMI caller's copy is
    // (its value lists name only records the caller may see). The mapper is made for the entry's
    // user and holds the entry, as the bus's mappers do. Without an entry, a factory or a mapper,
    // a copy of the current definition; a build or shaping that fails is logged and throws
    // CWMIException WBEM_E_FAILED (never the lists built for nobody in particular). Ask once per
    // request: it may build and read the database.
    std::shared_ptr<CCorvessaClassObject> GetUserDefinition(IWmipUserEntry* entry) const;
    // Value text -> display text from the property's "ValueMap" and "Values" qualifiers in the
    // definition; empty when the property declares none or the two lists differ in length.
    static std::map<CString, CString> GetPossibleValues(CCorvessaClassObject& definition, const CString& property);

    // The display name (set from the installation's user-defined-field catalogue), as UTF-8;
    // empty when none was given.
    std::string GetTypeDisplayName() const;
    void SetTypeDisplayName(const CString& displayName);

    // The class definition, owned by this description and never null. Before returning it: a
    // dynamic class whose definition was not read under the current stamps (CDefinitionStamps
    // on the system administrator's database: the database generation, moved on by
    // HandleInvalidDBConnection, and the list stamp; stamps that cannot be read vouch for
    // nothing) is re-read through its mapper as the system, from the class cache, with the system
    // administrator user (a failed re-read keeps the definition it has); when methods are
    // registered and the definition has none, each is added with "__PARAMETERS" in and out
    // signatures (parameters numbered by an "ID" qualifier, in parameters first, one ID per
    // name, none on the out "ReturnValue") and the method
    // qualifier "implemented". Logs "CWMITypeInfo::GetTypeInformation took %ld ms for type %s"
    // when the call took measurable time. The definition stays valid while the caller holds
    // it, across any later replacement; read it, do not change it.
    ClassObjectPtr GetTypeInformation();
    // Publishes a copy of the current definition that `change` edited (the value lists of
    // Bnt_User's permission groups). An exception from `change` publishes nothing and passes on.
    // Callers serialise their updates (the registry does, under its lock).
    void UpdateTypeInformation(const std::function<void(CCorvessaClassObject&)>& change);

    // --- Process-wide ------------------------------------------------------------------------

    // False for an empty name and for system properties ("__..."); true otherwise.
    static bool ShouldCorvessaExposeProperty(const CString& property);
    // False for an empty name; true otherwise.
    static bool ShouldCorvessaExposeMethod(const CString& method);
    // The system administrator user, created and logged in (CAcsUser::LoginAsSA) on first use
    // and kept until HandleInvalidDBConnection or exit; null when the login fails (tried again
    // on the next call). Holders keep the user alive across a drop.
    static std::shared_ptr<CAcsUser> GetSAUser();
    // Whether the installation has the option on, from the system administrator's system
    // options: 1 segments in use, 2 cardholder, 3 visitor, 4 badge-type segmentation. False for
    // any other option and when the database cannot be reached.
    static bool IsSegmentationOptionEnabledInTheSystem(SegmentOption option);
    // The same for the given options; SegmentOptionPersons is on when either person filter is.
    static bool IsSegmentationOptionEnabled(const CBntAcsSystemOptions& options, SegmentOption option);
    // Drops the cached database state after a lost connection: the system administrator user,
    // and the definitions read before (a new database generation: they are read again on their
    // next use).
    static void HandleInvalidDBConnection();

    // The key under which a name is found without regard to case: every character lowered as
    // CString::CompareNoCase lowers it, so two names fold alike exactly when they compare equal.
    static std::wstring FoldName(const CString& name);

private:
    // Keyed by FoldName: a look-up hashes the folded name once instead of comparing without
    // regard to case at every node of a tree.
    template <typename Value>
    using FoldedMap = std::unordered_map<std::wstring, Value>;

    // The current definition (a counted hold for readers).
    ClassObjectPtr CurrentDefinition() const;
    // Puts a qualifier on a property of the current definition; the set's result.
    HRESULT PutPropertyQualifier(const CString& property, const wchar_t* name, const VARIANT& value);
    // The property's qualifier `name` from the current definition; false when absent.
    bool GetPropertyQualifier(const CString& property, const wchar_t* name, _variant_t& value) const;
    static bool GetPropertyQualifier(CCorvessaClassObject& definition, const CString& property, const wchar_t* name,
                                     _variant_t& value);
    static bool IsPropertyQualifierTrue(CCorvessaClassObject& definition, const CString& property, const wchar_t* name);
    void CopyClassWideAttributes(const CString& property);
    // The system's definition built by the class's mapper for user; null when there is no
    // factory, no mapper, or the build fails (logged).
    ClassObjectPtr BuildThroughMapper(const CAcsUser* user) const;
    // The definition mapper builds for the system or its caller (CWmipMapper::GetBuiltClass:
    // through the class cache), over the registered one; null when the build fails (logged);
    // throws what the mapper throws.
    ClassObjectPtr BuildWith(CWmipMapper& mapper, BOOL system) const;
    void AddMethodsTo(CCorvessaClassObject& definition) const;
    // Replaces the current definition (m_lock held); its readers keep their holds.
    void Publish(ClassObjectPtr definition) REQUIRES(m_lock);

    // Set at registration, read-only afterwards.
    CString m_className;
    CString m_parentTypeName;
    bool m_dynamic = false;
    bool m_declaredConcrete = false;
    bool m_hiddenFromBus = false;
    MapperFactory m_typeConstructor;
    std::vector<std::pair<CString, CString>> m_propertyColumns;
    FoldedMap<CString> m_propertyToColumn;
    FoldedMap<CString> m_columnToProperty;
    std::vector<std::pair<CString, CString>> m_keyProperties;
    FoldedMap<CString> m_keyPropertyToColumn;
    std::unordered_set<std::wstring> m_declaredValueLists;  // FoldName
    FoldedMap<LONG> m_propertyTypes;
    FoldedMap<LONG> m_propertyIdTypes;
    FoldedMap<SegmentOption> m_segmentOptions;
    std::map<CString, CString, CStringNoCaseLess> m_referenceProperties;
    std::vector<NamedRecord> m_namedRecords;
    std::vector<NoRecord> m_noRecords;
    // The id-shaped properties as registered, in registration order.
    std::vector<CString> m_idShapedProperties;
    std::vector<SegmentSource> m_segmentSources;
    std::vector<UnfollowedEnd> m_unfollowedEnds;
    std::map<CString, _variant_t> m_classWideAttributes;
    std::map<CString, CCorvessaMethodDescriptor> m_methods;
    // The class each embedded object input takes, keyed by the folded "METHOD.PARAMETER".
    std::map<std::wstring, CString> m_objectParameterClasses;

    // Lock order: CWmipMapperRegistry's m_lazyLock, then m_lock; nothing
    // outside this class is called while m_lock is held.
    mutable CheckedMutex m_lock;
    ClassObjectPtr m_classObject GUARDED_BY(m_lock);
    CString m_displayName GUARDED_BY(m_lock);
    // The stamps the dynamic definition was read under; empty: never read under readable stamps.
    std::optional<CDefinitionStamps> m_readStamps GUARDED_BY(m_lock);
    bool m_reading GUARDED_BY(m_lock) = false;
};
