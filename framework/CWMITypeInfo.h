// CWMITypeInfo: the description of one registered WMI class: its in-process class object
// (CCorvessaClassObject), its parent type, its properties with the table and column behind
// them, its keys, CIM types and registered methods.
//
// Owned by CWmipMapperRegistry, filled while the module loads on one thread and only read
// afterwards; no lock. GetTypeInformation adds the registered methods to the class object on
// its first call and so must not race with itself either.
#pragma once

#include "bus/CCorvessaClassObject.h"
#include "bus/CCorvessaMethodDescriptor.h"
#include "platform/mfc/CString.h"

#include <map>

class CWMITypeInfo
{
public:
    // The description of className (its class object carries that name), derived from
    // parentTypeName (empty for none).
    CWMITypeInfo(const CString& className, const CString& parentTypeName);

    // The parent class's name; empty for a class without parent.
    CString GetParentTypeName() const { return m_parentTypeName; }

    // Defines the property on the class object with the CIM type and no value; records
    // property <-> "TABLE.COLUMN" when both are given; a non-zero key flag records the
    // property as a key and sets its qualifier "key" to true; records the CIM type when it is
    // not 0; sets "maxlen" (32-bit) for strings, and for arrays with a length of at least 1.
    void AddProperty(const CString& property, LONG cimType, const CString& table, const CString& column,
                     int keyFlag, int maxLength);
    // Records the method unless one of that name is recorded already.
    void AddMethod(const CString& method);
    // Appends the parameter to the method's in (isInput) or out list, recording the method
    // first when needed.
    void AddMethodParameter(const CString& method, bool isInput, const CString& parameter, LONG cimType);

    // True when the property is recorded as a key, or when its qualifier "key" on the class
    // object holds the 16-bit value 1.
    bool IsPropertyAKeyProperty(const CString& property) const;
    // The class object that describes the class, owned by this description (never null).
    // When methods are recorded and the object has none yet, adds each with "__PARAMETERS"
    // in and out signatures (parameters numbered by an "ID" qualifier, in parameters first)
    // and the method qualifier "implemented".
    CCorvessaClassObject* GetTypeInformation();

private:
    CCorvessaClassObject m_classObject;
    CString m_parentTypeName;
    // Property -> "TABLE.COLUMN" and back; key property -> "TABLE.COLUMN" (empty without one).
    std::map<CString, CString, CStringNoCaseLess> m_propertyToColumn;
    std::map<CString, CString, CStringNoCaseLess> m_columnToProperty;
    std::map<CString, CString, CStringNoCaseLess> m_keyPropertyToColumn;
    std::map<CString, LONG, CStringNoCaseLess> m_propertyTypes;
    std::map<CString, CCorvessaMethodDescriptor> m_methods;
};
