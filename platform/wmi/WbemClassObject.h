// WbemClassObject: a WMI class definition or instance held in memory, as the WMI service hands
// them out.
//
// A class holds its name, superclass and derivation, its properties in declaration order
// (inherited ones first) each with CIM type, default value, origin class and qualifiers, its
// methods with "__PARAMETERS" in and out signatures and qualifiers, and its class qualifiers.
// An instance keeps a reference to its class, whose definition it shares, and holds its own
// values and its own qualifiers over the class's propagated ones. System properties (__CLASS,
// __SUPERCLASS, __GENUS, __PATH, __RELPATH, __DERIVATION, __DYNASTY, __PROPERTY_COUNT,
// __SERVER, __NAMESPACE) are computed when read. Embedded objects (CIM_OBJECT) are held by
// reference; Clone copies them too, so a clone shares no value with its source.
// Owned through its reference count (atomic; the creator holds the first reference). One
// thread uses an object at a time; a class and its instances count as one object for this.
#pragma once

#include "platform/com/Unknown.h"
#include "platform/com/BstrOwner.h"
#include "platform/com/Variant.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/WbemName.h"
#include "platform/wmi/WbemQualifierSet.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <typeinfo>
#include <unordered_map>
#include <vector>

class WbemClassObject final : public RefCounted<WbemClassObject, IWbemClassObject>
{
public:
    struct PropertyInfo
    {
        std::wstring name;
        CIMTYPE type = CIM_EMPTY;
        _variant_t value;
        // Defined by an ancestor class.
        bool inherited = false;
        // The value or a qualifier was set on this object itself (not taken from an ancestor
        // class or, for an instance, from the class).
        bool local = false;
        // The qualifiers of the property on this object; null for an instance property whose
        // qualifiers nobody asked for (it shows exactly the class's propagated ones).
        ComPtr<WbemQualifierSet> qualifiers;
    };
    struct MethodInfo
    {
        std::wstring name;
        ComPtr<WbemClassObject> inSignature;
        ComPtr<WbemClassObject> outSignature;
        bool inherited = false;
        ComPtr<WbemQualifierSet> qualifiers;
    };

    // Where one property of a class sits, as FindSlot resolves it once so that instances
    // spawned from that class take values without a name lookup. Copyable; a default one
    // belongs to no class. It keeps the class's name index alive, never the class.
    class PropertySlot
    {
    public:
        PropertySlot() = default;
        // True when it was resolved by FindSlot.
        bool IsResolved() const { return m_index != nullptr; }

    private:
        friend class WbemClassObject;
        const WbemClassObject* m_class = nullptr;
        std::shared_ptr<const void> m_index;
        std::size_t m_slot = 0;
    };

    // A new, unnamed class without superclass: what a namespace gives for an empty path.
    static ComPtr<WbemClassObject> CreateEmptyClass();
    // The implementation behind an interface pointer; null for another implementation. Inline:
    // every put of every value a reader builds asks it.
    static WbemClassObject* FromInterface(IWbemClassObject* object)
    {
        // The class is final: an object whose dynamic type is this class is one of ours, and the
        // type comparison costs far less than a dynamic_cast.
        if (object == nullptr || typeid(*object) != typeid(WbemClassObject))
            return nullptr;
        return static_cast<WbemClassObject*>(object);
    }

    // Use CreateEmptyClass or CreateWbemClass; public only for MakeComObject.
    WbemClassObject();

    // True for a class definition, false for an instance.
    bool IsClass() const { return m_class == nullptr; }
    // The class name (of the instance's class for an instance); empty for an unnamed class.
    std::wstring ClassName() const;
    // The superclass name; empty for a class without one.
    std::wstring SuperclassName() const;
    // The properties in declaration order, system properties excluded.
    std::vector<PropertyInfo> Properties() const;
    // The methods in declaration order (an instance shows its class's).
    std::vector<MethodInfo> Methods() const;
    // The class or instance qualifier set (never null). Throws std::bad_alloc on short memory.
    const ComPtr<WbemQualifierSet>& Qualifiers() const;
    // Sets what __SERVER and __NAMESPACE answer (and so __PATH); the repository calls it when
    // it stores or hands out an object.
    void SetLocation(const std::wstring& server, const std::wstring& ns);

    // Put for a caller that gives its value up: as Put, but a text that already has the
    // property's form is taken over rather than copied. *value is VT_EMPTY or unchanged
    // afterwards; the caller clears it as after Put.
    HRESULT PutTaking(LPCWSTR name, VARIANT* value, CIMTYPE type);

    // The slot of a non-system property of this class definition into *slot, and its CIM type
    // into *type when type is given (what Get answers for it): WBEM_S_NO_ERROR;
    // WBEM_E_NOT_FOUND for a name the class has no property of; WBEM_E_INVALID_OPERATION on
    // an instance; WBEM_E_INVALID_PARAMETER for a null slot or name. *slot is unresolved and
    // *type unchanged on failure. The slot stays valid while the class keeps its properties
    // unchanged.
    HRESULT FindSlot(LPCWSTR name, PropertySlot* slot, CIMTYPE* type = nullptr) const;
    // True when slot was resolved on the class this instance was spawned from and the class
    // has not changed its properties since.
    bool AcceptsSlot(const PropertySlot& slot) const;
    // PutTaking for the property at slot: the same checks and result as a put by the
    // property's name. WBEM_E_INVALID_PARAMETER for a slot that AcceptsSlot refuses (one of
    // another class, an unresolved one) and on a class definition; WBEM_E_NOT_FOUND when the
    // property was deleted since.
    HRESULT PutBySlot(const PropertySlot& slot, VARIANT* value, CIMTYPE type);
    // PutBySlot of a text: the same checks and results as a put of a VT_BSTR holding `text`.
    // A property keeps the storage of the text it held before the last Respawn for a text the
    // put takes over (a string, date-time or reference, a 64-bit number in its decimal form), so
    // that a reader putting one row after another does not allocate a text per value.
    HRESULT PutTextBySlot(const PropertySlot& slot, std::wstring_view text, CIMTYPE type);

    // A copy of this instance holding only the named properties and the keys, as the service
    // trims a provider's instances to a query's select list: its class is the instance's class
    // limited to those properties, keeping its name, superclass and derivation, so the system
    // properties answer as for the instance. Names of no property are ignored.
    // WBEM_S_NO_ERROR with *projected set (one reference for the caller; null on failure);
    // WBEM_E_INVALID_OPERATION on a class;
    // WBEM_E_INVALID_PARAMETER for a null projected; WBEM_E_OUT_OF_MEMORY.
    HRESULT Project(const std::vector<std::wstring>& names, WbemClassObject** projected) const;

    HRESULT QueryInterface(REFIID iid, void** object) override;
    HRESULT GetQualifierSet(IWbemQualifierSet** qualifiers) override;
    HRESULT Get(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE* type, LONG* flavor) override;
    HRESULT Put(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE type) override;
    HRESULT Delete(LPCWSTR name) override;
    HRESULT GetNames(LPCWSTR qualifierName, LONG flags, VARIANT* qualifierValue, SAFEARRAY** names) override;
    HRESULT BeginEnumeration(LONG enumFlags) override;
    HRESULT Next(LONG flags, BSTR* name, VARIANT* value, CIMTYPE* type, LONG* flavor) override;
    HRESULT EndEnumeration() override;
    HRESULT GetPropertyQualifierSet(LPCWSTR property, IWbemQualifierSet** qualifiers) override;
    HRESULT Clone(IWbemClassObject** copy) override;
    HRESULT GetObjectText(LONG flags, BSTR* objectText) override;
    HRESULT SpawnDerivedClass(LONG flags, IWbemClassObject** newClass) override;
    HRESULT SpawnInstance(LONG flags, IWbemClassObject** newInstance) override;
    // Makes this instance of classObject what SpawnInstance of it makes (no value put, no
    // qualifier view, no location, no enumeration under way), keeping the storage of its
    // values (and of its texts, for PutTextBySlot) for the next ones, so that a reader building one instance per row
    // allocates no object per row. The caller must hold the only reference. WBEM_E_INVALID_OPERATION for a class or an
    // instance of another class object.
    HRESULT Respawn(IWbemClassObject* classObject);
    HRESULT CompareTo(LONG flags, IWbemClassObject* compareTo) override;
    HRESULT GetPropertyOrigin(LPCWSTR name, BSTR* className) override;
    HRESULT InheritsFrom(LPCWSTR ancestor) override;
    HRESULT GetMethod(LPCWSTR name, LONG flags, IWbemClassObject** inSignature,
                      IWbemClassObject** outSignature) override;
    HRESULT PutMethod(LPCWSTR name, LONG flags, IWbemClassObject* inSignature, IWbemClassObject* outSignature) override;
    HRESULT DeleteMethod(LPCWSTR name) override;
    HRESULT BeginMethodEnumeration(LONG enumFlags) override;
    HRESULT NextMethod(LONG flags, BSTR* name, IWbemClassObject** inSignature,
                       IWbemClassObject** outSignature) override;
    HRESULT EndMethodEnumeration() override;
    HRESULT GetMethodQualifierSet(LPCWSTR method, IWbemQualifierSet** qualifiers) override;
    HRESULT GetMethodOrigin(LPCWSTR methodName, BSTR* className) override;

private:
    friend class RefCounted<WbemClassObject, IWbemClassObject>;
    ~WbemClassObject();

    struct PropertyDef
    {
        std::wstring name;
        // The property's place in the class's PropertyIndex and in an instance's values.
        std::size_t slot = 0;
        CIMTYPE type = CIM_EMPTY;
        _variant_t value;
        // Empty for a property this class defines (it follows a later rename of the class).
        std::wstring origin;
        bool inherited = false;
        // An inherited property whose default this class replaced, and the ancestor's default.
        bool overridden = false;
        _variant_t parentDefault;
        ComPtr<WbemQualifierSet> qualifiers;
    };
    struct MethodDef
    {
        std::wstring name;
        std::wstring origin;
        bool inherited = false;
        ComPtr<WbemClassObject> inSignature;
        ComPtr<WbemClassObject> outSignature;
        ComPtr<WbemQualifierSet> qualifiers;
    };
    // Where each property name of a class is found. A name keeps its slot for the life of the
    // index, also once its property is deleted, so a name defined again finds the values its
    // instances kept under it. Shared by copies of a class until one of them changes its
    // properties (copied then); read through the class by its instances.
    struct PropertyIndex
    {
        static constexpr std::size_t kNoPosition = static_cast<std::size_t>(-1);
        struct NameHash
        {
            using is_transparent = void;
            std::size_t operator()(std::wstring_view name) const { return WbemName::Hash(name); }
        };
        struct NameEqual
        {
            using is_transparent = void;
            bool operator()(std::wstring_view left, std::wstring_view right) const
            {
                return WbemName::Equal(left, right);
            }
        };
        // Name (as first defined) to slot.
        std::unordered_map<std::wstring, std::size_t, NameHash, NameEqual> slots;
        // Slot to position in m_properties; kNoPosition for a deleted property.
        std::vector<std::size_t> positions;
    };
    struct Cursor
    {
        bool active = false;
        std::vector<std::wstring> names;
        std::size_t position = 0;
    };

    const WbemClassObject& Definition() const { return IsClass() ? *this : *m_class; }
    // The index of a class, made unique to this class first (and created when missing).
    PropertyIndex& MutableIndex();
    // Rebuilds the index's positions after a property was removed.
    void IndexPositions();
    // The instance's own value of the property; null when it has none.
    const VARIANT* InstanceValue(const PropertyDef& property) const;
    const PropertyDef* FindProperty(std::wstring_view name) const;
    PropertyDef* FindProperty(std::wstring_view name);
    const MethodDef* FindMethod(std::wstring_view name) const;
    bool IsKey(const PropertyDef& property) const;
    bool IsLocalInstanceProperty(const PropertyDef& property) const;
    HRESULT GetSystemProperty(std::wstring_view name, VARIANT* value, CIMTYPE* type) const;
    bool RelativePath(std::wstring* path) const;
    HRESULT PutClassProperty(std::wstring_view name, const VARIANT* value, CIMTYPE type);
    HRESULT PutInstanceProperty(std::wstring_view name, VARIANT* value, CIMTYPE type, bool taking);
    // The property of an accepted slot on this instance's class; null when it was deleted since.
    const PropertyDef* SlotProperty(const PropertySlot& slot) const;
    HRESULT PutInstanceValue(const PropertyDef& property, VARIANT* value, CIMTYPE type, bool taking);
    // True when value embeds an object that holds this one (a put would make a cycle).
    bool WouldEmbedItself(const VARIANT* value) const;
    HRESULT PutProperty(LPCWSTR name, VARIANT* value, CIMTYPE type, bool taking);
    HRESULT PutSystemProperty(std::wstring_view name, const VARIANT* value, CIMTYPE type);
    HRESULT SelectNames(LONG flags, std::vector<std::wstring>* names) const;
    HRESULT FilterByQualifier(LPCWSTR qualifierName, LONG condition, const VARIANT* qualifierValue,
                              std::vector<std::wstring>* names);
    static ComPtr<WbemQualifierSet> InstanceView(ComPtr<WbemQualifierSet>& view,
                                                 const ComPtr<WbemQualifierSet>& source);
    bool Reaches(const WbemClassObject* target) const;
    ComPtr<WbemClassObject> CopyObject() const;
    // The skeleton of SpawnDerivedClass and SpawnInstance: hands out in *spawned what `make`
    // builds. WBEM_E_INVALID_PARAMETER for a null spawned; WBEM_E_INVALID_OPERATION on an
    // instance; WBEM_E_INCOMPLETE_CLASS for an unnamed class.
    template <class Make>
    HRESULT Spawn(IWbemClassObject** spawned, Make&& make) const;
    bool SameAs(const WbemClassObject& other, LONG flags) const;

    // Class data (a class definition; an instance reads its class's).
    std::wstring m_className;
    std::wstring m_superclassName;
    // Ancestors, nearest first.
    std::vector<std::wstring> m_derivation;
    std::vector<PropertyDef> m_properties;
    // Null while the class has never had a property.
    std::shared_ptr<PropertyIndex> m_index;
    std::vector<MethodDef> m_methods;
    // Instance data: the class (null for a class), the values put on the instance by slot
    // (VT_EMPTY where none was put: a value put is never VT_EMPTY), the qualifier views handed
    // out for its properties by slot and for its methods by upper-cased name.
    ComPtr<WbemClassObject> m_class;
    std::vector<_variant_t> m_values;
    // Texts of values cleared by Respawn, by slot, for PutTextBySlot to write into again.
    std::vector<BstrOwner> m_spareTexts;
    std::vector<ComPtr<WbemQualifierSet>> m_propertyQualifiers;
    std::map<std::wstring, ComPtr<WbemQualifierSet>> m_methodQualifiers;
    // Both kinds. An instance makes its view of the class's qualifiers when first asked.
    mutable ComPtr<WbemQualifierSet> m_qualifiers;
    std::wstring m_server;
    std::wstring m_namespace;
    Cursor m_propertyCursor;
    Cursor m_methodCursor;
};

// A new class object named `name` (a valid identifier), derived from `superclass` when given
// (a class definition of this implementation, whose properties, methods and propagating
// qualifiers it inherits). WBEM_S_NO_ERROR with *result set (one reference for the caller);
// WBEM_E_INVALID_PARAMETER for a null result or a bad name; WBEM_E_INVALID_SUPERCLASS for a
// superclass that is not such a class definition; WBEM_E_OUT_OF_MEMORY. *result is null on
// failure.
HRESULT CreateWbemClass(LPCWSTR name, IWbemClassObject* superclass, IWbemClassObject** result);
