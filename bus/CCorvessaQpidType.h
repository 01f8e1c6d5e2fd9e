// CCorvessaQpidType: the description of one WMI class as bus clients read it: its name and
// display name, and one small map per property and per method that the bus exposes (type,
// key, length, required, access, default, possible values; parameters with their types).
// The get-type operation fills it from the class's CWMITypeInfo for the calling user; the
// bus-hosting service reads it through the accessors.
//
// A value type (copies are independent); used by one thread at a time.
#pragma once

#include <list>
#include <string>

#include "platform/mfc/CString.h"
#include "platform/qpid/Variant.h"
#include "platform/win32/WinTypes.h"

class IWmipUserEntry;
class CCorvessaClassObject;
class CWMITypeInfo;

class CCorvessaQpidType
{
public:
    CCorvessaQpidType() = default;
    CCorvessaQpidType(const CCorvessaQpidType&) = default;
    CCorvessaQpidType& operator=(const CCorvessaQpidType&) = default;
    virtual ~CCorvessaQpidType() = default;

    // The XML text of the class and its properties' names and types (for logs), with every
    // text escaped.
    virtual CString ToXml();
    // Empties everything: names, properties and methods.
    virtual void Clear();

    const std::string& GetClassNameW() const { return m_className; }
    const std::string& GetClassDisplayName() const { return m_classDisplayName; }
    // Empty unless a caller set it: the type list carries each type's parent.
    const std::string& GetParentClassName() const { return m_parentClassName; }
    const std::list<qpid::types::Variant>& GetProperties() const { return m_properties; }
    const std::list<qpid::types::Variant>& GetMethods() const { return m_methods; }

    // Describes the class of typeInfo for the caller of entry (whose possible values it lists): the
    // object then holds that class alone, also when it described another before. Throws
    // GenericException for a null typeInfo, a class without definition, or a property or
    // parameter whose type has no bus name; the type description's errors pass unchanged.
    void PopulateTypeDetails(IWmipUserEntry* entry, CWMITypeInfo* typeInfo);

private:
    // Appends a map per exposed method of the definition (a copy of the shared one).
    void PopulateMethodInformation(CCorvessaClassObject& definition);
    qpid::types::Variant::List BuildParameterList(CCorvessaClassObject* signature);
    // The bus type text of a property or parameter: scalars by GetQpidTypeString, a reference
    // by its "CIMTYPE" qualifier, a uint8 array "binary (map)", any other array "list(NAME)".
    // Throws GenericException when there is none.
    static std::string GetPropertyTypeStr(CCorvessaClassObject* object, const wchar_t* const& name,
                                          const long& cimType);
    // The bus name of a scalar CIM type; empty (with an information line) for any other.
    static std::string GetQpidTypeString(const long& cimType);
    // The property's access in the definition: "view", else "read", else "edit".
    static std::string GetPropertyAccess(CCorvessaClassObject& definition, CString name);

    std::string m_className;
    std::string m_classDisplayName;
    std::string m_parentClassName;
    std::list<qpid::types::Variant> m_properties;
    std::list<qpid::types::Variant> m_methods;
};
