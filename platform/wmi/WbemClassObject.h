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
#include "platform/com/Variant.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/WbemQualifierSet.h"

#include <map>
#include <string>
#include <string_view>
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

    // A new, unnamed class without superclass: what a namespace gives for an empty path.
    static ComPtr<WbemClassObject> CreateEmptyClass();
    // The implementation behind an interface pointer; null for another implementation.
    static WbemClassObject* FromInterface(IWbemClassObject* object);

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
    // The class or instance qualifier set (never null).
    const ComPtr<WbemQualifierSet>& Qualifiers() const { return m_qualifiers; }
    // Sets what __SERVER and __NAMESPACE answer (and so __PATH); the repository calls it when
    // it stores or hands out an object.
    void SetLocation(const std::wstring& server, const std::wstring& ns);

    HRESULT QueryInterface(REFIID iid, void** object) override;
    HRESULT GetQualifierSet(IWbemQualifierSet** qualifiers) override;
    HRESULT Get(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE* type, LONG* flavor) override;
    HRESULT Put(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE type) override;
    HRESULT Delete(LPCWSTR name) override;
    HRESULT GetNames(LPCWSTR qualifierName, LONG flags, VARIANT* qualifierValue,
                     SAFEARRAY** names) override;
    HRESULT BeginEnumeration(LONG enumFlags) override;
    HRESULT Next(LONG flags, BSTR* name, VARIANT* value, CIMTYPE* type, LONG* flavor) override;
    HRESULT EndEnumeration() override;
    HRESULT GetPropertyQualifierSet(LPCWSTR property, IWbemQualifierSet** qualifiers) override;
    HRESULT Clone(IWbemClassObject** copy) override;
    HRESULT GetObjectText(LONG flags, BSTR* objectText) override;
    HRESULT SpawnDerivedClass(LONG flags, IWbemClassObject** newClass) override;
    HRESULT SpawnInstance(LONG flags, IWbemClassObject** newInstance) override;
    HRESULT CompareTo(LONG flags, IWbemClassObject* compareTo) override;
    HRESULT GetPropertyOrigin(LPCWSTR name, BSTR* className) override;
    HRESULT InheritsFrom(LPCWSTR ancestor) override;
    HRESULT GetMethod(LPCWSTR name, LONG flags, IWbemClassObject** inSignature,
                      IWbemClassObject** outSignature) override;
    HRESULT PutMethod(LPCWSTR name, LONG flags, IWbemClassObject* inSignature,
                      IWbemClassObject* outSignature) override;
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
    struct Cursor
    {
        bool active = false;
        std::vector<std::wstring> names;
        std::size_t position = 0;
    };

    const WbemClassObject& Definition() const { return IsClass() ? *this : *m_class; }
    const PropertyDef* FindProperty(std::wstring_view name) const;
    PropertyDef* FindProperty(std::wstring_view name);
    const MethodDef* FindMethod(std::wstring_view name) const;
    bool IsKey(const PropertyDef& property) const;
    bool IsLocalInstanceProperty(const PropertyDef& property) const;
    HRESULT GetSystemProperty(std::wstring_view name, VARIANT* value, CIMTYPE* type) const;
    bool RelativePath(std::wstring* path) const;
    HRESULT PutClassProperty(std::wstring_view name, const VARIANT* value, CIMTYPE type);
    HRESULT PutInstanceProperty(std::wstring_view name, const VARIANT* value, CIMTYPE type);
    HRESULT PutSystemProperty(std::wstring_view name, const VARIANT* value, CIMTYPE type);
    HRESULT SelectNames(LONG flags, std::vector<std::wstring>* names) const;
    HRESULT FilterByQualifier(LPCWSTR qualifierName, LONG condition, const VARIANT* qualifierValue,
                              std::vector<std::wstring>* names);
    ComPtr<WbemQualifierSet> InstanceView(std::map<std::wstring, ComPtr<WbemQualifierSet>>& views,
                                          const std::wstring& key,
                                          const ComPtr<WbemQualifierSet>& source);
    bool Reaches(const WbemClassObject* target) const;
    ComPtr<WbemClassObject> CopyObject() const;
    bool SameAs(const WbemClassObject& other, LONG flags) const;

    // Class data (a class definition; an instance reads its class's).
    std::wstring m_className;
    std::wstring m_superclassName;
    // Ancestors, nearest first.
    std::vector<std::wstring> m_derivation;
    std::vector<PropertyDef> m_properties;
    std::vector<MethodDef> m_methods;
    // Instance data: the class (null for a class), the values put on the instance by
    // upper-cased name, and the qualifier views handed out for its properties and methods.
    ComPtr<WbemClassObject> m_class;
    std::map<std::wstring, _variant_t> m_values;
    std::map<std::wstring, ComPtr<WbemQualifierSet>> m_propertyQualifiers;
    std::map<std::wstring, ComPtr<WbemQualifierSet>> m_methodQualifiers;
    // Both kinds.
    ComPtr<WbemQualifierSet> m_qualifiers;
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
