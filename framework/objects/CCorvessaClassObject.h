// CCorvessaClassObject: the bus front end's in-process IWbemClassObject, serving as class
// definition, instance and "__PARAMETERS" signature object for the mappers.
//
// Holds a class name, a class qualifier set, properties (matched without regard to case,
// walked in the order of their upper-cased names), methods with in and out signatures and
// method qualifier sets. There is no class hierarchy and no system property of its own;
// "__class" is stored like any property and names the class when set. Lifetime follows the
// reference count (a new object holds its creator's one reference); objects held by value in
// another object or a type description live as long as their holder. Only the reference
// count is atomic: an object is used by one request at a time.
#pragma once

#include "framework/objects/CCorvessaPropertyDescriptor.h"
#include "framework/objects/CCorvessaQualifierSet.h"
#include "platform/mfc/CString.h"
#include "platform/wmi/IWbemClassObject.h"

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CCorvessaClassObject final : public IWbemClassObject
{
public:
    using PropertyMap = std::map<std::wstring, CCorvessaPropertyDescriptor>;

    // An object with the class name (default empty), empty tables, one reference, both
    // enumerations idle.
    explicit CCorvessaClassObject(const CString& className = CString());
    // A full, independent copy with one reference and both enumerations idle. Throws
    // _com_error or std::bad_alloc when a value cannot be copied.
    CCorvessaClassObject(const CCorvessaClassObject& other);
    // Replaces name, properties, methods and signatures with copies of the source's; merges
    // the source's class qualifiers into this object's; keeps this object's reference count.
    CCorvessaClassObject& operator=(const CCorvessaClassObject& source);
    ~CCorvessaClassObject();

    // S_OK with a reference for IUnknown and IWbemClassObject; E_NOINTERFACE (and a null
    // *object) otherwise; E_POINTER for a null object.
    HRESULT QueryInterface(REFIID iid, void** object) override;
    // Both answer 0; Release destroys the object when the count falls to 0 or below.
    ULONG AddRef() override;
    ULONG Release() override;
    // The class qualifier set, with a reference for the caller.
    HRESULT GetQualifierSet(IWbemQualifierSet** qualifiers) override;
    // The value (copied) and CIM type of the property. 0x80041002 when absent (nothing written).
    HRESULT Get(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE* type, LONG* flavor) override;
    // Creates the property when absent (with `type`), then stores a copy of *value when
    // given; an existing property keeps its CIM type. 0, or the failure of the value copy.
    HRESULT Put(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE type) override;
    // Put, taking *value itself rather than a copy (*value is left VT_EMPTY): a binary value of
    // megabytes is held once.
    HRESULT PutTaking(LPCWSTR name, VARIANT* value, CIMTYPE type);
    // Removes the property when present. Always 0.
    HRESULT Delete(LPCWSTR name) override;
    // A new BSTR array of every property name, system names included, in table order.
    HRESULT GetNames(LPCWSTR qualifierName, LONG flags, VARIANT* qualifierValue, SAFEARRAY** names) override;
    HRESULT BeginEnumeration(LONG enumFlags) override;
    // The next property (WBEM_FLAG_NONSYSTEM_ONLY and WBEM_FLAG_KEYS_ONLY honoured); 0x40005
    // at the end, before BeginEnumeration and on an empty object.
    HRESULT Next(LONG flags, BSTR* name, VARIANT* value, CIMTYPE* type, LONG* flavor) override;
    HRESULT EndEnumeration() override;
    // The property's qualifier set with a reference. 0x80041002 when absent.
    HRESULT GetPropertyQualifierSet(LPCWSTR property, IWbemQualifierSet** qualifiers) override;
    // A new full copy. WBEM_E_OUT_OF_MEMORY (and a null *copy) when it cannot be made.
    HRESULT Clone(IWbemClassObject** copy) override;
    // Not offered: *objectText is set to null and WBEM_E_NOT_SUPPORTED is answered.
    HRESULT GetObjectText(LONG flags, BSTR* objectText) override;
    // A new empty object named GetClassNameW(). WBEM_E_OUT_OF_MEMORY as for Clone.
    HRESULT SpawnDerivedClass(LONG flags, IWbemClassObject** newClass) override;
    // The same as Clone.
    HRESULT SpawnInstance(LONG flags, IWbemClassObject** newInstance) override;
    // Answers 0 for any object.
    HRESULT CompareTo(LONG flags, IWbemClassObject* compareTo) override;
    // Not offered: *className is set to null and WBEM_E_NOT_SUPPORTED is answered.
    HRESULT GetPropertyOrigin(LPCWSTR name, BSTR* className) override;
    // Answers 0 for any ancestor name.
    HRESULT InheritsFrom(LPCWSTR ancestor) override;
    // New copies of the method's signatures (null where it has none). 0x80041002 when the
    // name (compared case-sensitively) is not listed.
    HRESULT GetMethod(LPCWSTR name, LONG flags, IWbemClassObject** inSignature,
                      IWbemClassObject** outSignature) override;
    // Lists the name and stores copies of the signatures. 0x80041008 for a signature of
    // another implementation (the out signature is then not stored; the name stays listed).
    HRESULT PutMethod(LPCWSTR name, LONG flags, IWbemClassObject* inSignature, IWbemClassObject* outSignature) override;
    // Removes the method (name without regard to case) and its signatures and qualifiers. 0.
    HRESULT DeleteMethod(LPCWSTR name) override;
    HRESULT BeginMethodEnumeration(LONG enumFlags) override;
    // The next listed method with new copies of its signatures; 0x40005 at the end.
    HRESULT NextMethod(LONG flags, BSTR* name, IWbemClassObject** inSignature,
                       IWbemClassObject** outSignature) override;
    HRESULT EndMethodEnumeration() override;
    // The method's qualifier set (created empty when absent) with a reference.
    HRESULT GetMethodQualifierSet(LPCWSTR method, IWbemQualifierSet** qualifiers) override;
    // Not offered: *className is set to null and WBEM_E_NOT_SUPPORTED is answered.
    HRESULT GetMethodOrigin(LPCWSTR methodName, BSTR* className) override;

    void SetClassName(const CString& className) { m_className = className; }
    // The text of the "__class" property when it holds a value, else the class-name member.
    CString GetClassNameW() const;
    // The named property's descriptor (name without regard to case), or null; valid until
    // the property is deleted or replaced.
    const CCorvessaPropertyDescriptor* GetPropertyDescriptor(const CString& name) const;
    // A copy of the property table.
    PropertyMap GetPropertyDescriptorMap() const { return m_properties; }
    // The names of the properties whose names are not system names, in table order.
    std::vector<CString> GetPropertyNames() const;
    int NumberOfProperties() const { return static_cast<int>(GetPropertyNames().size()); }
    const std::vector<CString>& MethodNames() const { return m_methodNames; }
    // A new copy of the in (isInput) or out signature of the method, owned by the caller;
    // null when there is none.
    std::unique_ptr<CCorvessaClassObject> GetMethodParameter(const CString& methodName, bool isInput) const;
    // Puts a property of the CIM type that the recordset field type maps to, with an empty
    // value; an existing property takes the new name, type and empty value.
    void AddPropertyType(const CString& name, int fieldType);
    // A text dump of the class: its name, properties and methods.
    CString FormatTypeInformation();

private:
    // Put, taking *value when `take` is set.
    HRESULT PutValue(LPCWSTR name, VARIANT* value, CIMTYPE type, bool take);
    enum class EnumerationState
    {
        Idle,
        Begun,
        Running
    };
    using SignatureMap = std::map<std::wstring, CCorvessaClassObject>;

    static bool IsASystemProperty(const CString& name);
    static CIMTYPE ConvertRFXTypeToCIMType(int fieldType);
    CCorvessaPropertyDescriptor* LookupPropertyDescriptor(const CString& name);
    void AddPropertyDescriptorToMap(const CCorvessaPropertyDescriptor& descriptor);
    void AdvanceIterator();
    void CheckPropertyEnumerationFlags();
    std::unique_ptr<CCorvessaClassObject> LookupMethodSignature(const SignatureMap& table, const CString& name) const;
    HRESULT PutMethod(SignatureMap& table, const std::wstring& key, IWbemClassObject* signature);
    CString FormatPropertyDescriptorMap() const;
    CString FormatMethodParameterDescriptorMap(const CCorvessaClassObject* signature, const wchar_t* direction,
                                               CString& list) const;

    CString m_className;
    CCorvessaQualifierSet m_qualifierSet;
    PropertyMap m_properties;
    std::vector<CString> m_methodNames;
    SignatureMap m_inSignatures;
    SignatureMap m_outSignatures;
    std::map<std::wstring, CCorvessaQualifierSet> m_methodQualifierSets;
    PropertyMap::iterator m_propertyPosition;
    EnumerationState m_propertyState = EnumerationState::Idle;
    LONG m_propertyFlags = 0;
    EnumerationState m_methodState = EnumerationState::Idle;
    std::size_t m_methodPosition = 0;
    std::atomic<LONG> m_refCount{1};
};
