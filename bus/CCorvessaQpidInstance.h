// CCorvessaQpidInstance: one instance as the message bus sees it: a WMI class name and a map
// from property name (UTF-8) to bus value. The read operations return one per enumerated row;
// the write operations receive one from the bus client. It converts in both directions between
// the map and the in-process class object the mappers take (through CCorvessaHelper, by each
// property's CIM type), builds an instance's object path from its keys, and renders an XML
// text for diagnostics.
//
// A value type owned by one request; no lock. The registry and the class definitions it reads
// are only read; a shared class definition is walked through a copy of its own.
#pragma once

#include <map>
#include <utility>
#include <memory>
#include <string>

#include "platform/com/Variant.h"
#include "platform/mfc/CString.h"
#include "platform/qpid/Variant.h"

class CAcsUser;
class CCorvessaClassObject;
class CWmipClassMapper;
class CWmipObjectPath;

class CCorvessaQpidInstance
{
public:
    using ValueMap = std::map<std::string, qpid::types::Variant>;

    CCorvessaQpidInstance() = default;
    CCorvessaQpidInstance(const CCorvessaQpidInstance&) = default;
    CCorvessaQpidInstance& operator=(const CCorvessaQpidInstance&) = default;
    virtual ~CCorvessaQpidInstance() = default;

    // "<?xml ...?>", an Object element named after the class and one Property element per
    // value in key order, every text escaped for XML.
    virtual CString ToXml() const;
    // Empties class name and values.
    virtual void Clear();

    const CString& GetClassNameW() const { return m_className; }
    const ValueMap& GetInstanceValues() const { return m_values; }
    // The values, taken from the instance (which is left without any): a binary value moves on
    // rather than being copied.
    ValueMap TakeInstanceValues() { return std::exchange(m_values, {}); }
    // True when no value is held (the class name is not looked at).
    bool IsEmpty() const { return m_values.empty(); }
    // True when the class has a non-system property of a binary CIM type. Throws
    // GenericException for a class the registry does not know.
    bool ContainsBinaryData() const;

    // Fills the instance from a WMI object: its class name and every exposed property whose
    // name does not start with "_" and, with a population type, that the population type has.
    // Throws GenericException for a null source or a class or population type the registry
    // does not know; the conversions' exceptions pass on. A binary value is taken from the source
    // (left NULL there), so that it is not held by both.
    void PopulateInstanceData(CCorvessaClassObject* source, const CString& populationType);
    // Sets the class name and assigns the values over those held.
    void PopulateInstanceData(const std::string& className, const ValueMap& values);
    // Sets the class name and stores the path's keys, converted by their CIM types. Throws
    // GenericException for a null path or an unknown class.
    void PopulateInstanceData(CWmipObjectPath* path);

    // A new object of the class built from the values (the map is left as it is, so a caller
    // keeps its instance without a copy). isBase64: binary values arrive as Base64 text. Throws
    // GenericException for a null mapper or user or an unknown class; CWMIException 0x80041008
    // for a value outside a property's possible values; CCorvessaException
    // "corvessa.general.invalidrequestitem" for an invalid value or a property the class lacks.
    std::unique_ptr<CCorvessaClassObject> AsWMIObject(CWmipClassMapper* mapper, CAcsUser* user, bool isBase64) const;
    // The object path of the class and its key values (the map is left as it is). Throws
    // CCorvessaException "corvessa.general.missingrequestitem" for a key without a value and
    // the conversions' exceptions.
    std::unique_ptr<CWmipObjectPath> GetObjectPath() const;
    // The values of the class's key properties; empty for an unknown class.
    ValueMap GetInstanceKeyValues() const;

    // The value of the property: its exact name, else the first key in map order equal to it
    // ignoring case (byte-wise upper case; keys of another length never match); end() when
    // none. Method parameters are looked up the same way.
    static ValueMap::const_iterator FindProperty(const ValueMap& values, const std::string& name);
    // The property's value (FindProperty) converted for cimType, VT_NULL when absent; with
    // take set the entry leaves the map. Throws the conversion's exceptions.
    static _variant_t ConvertedValue(const ValueMap& values, const CString& name, long cimType, bool isBase64);
    static _variant_t ConvertedValue(ValueMap& values, const CString& name, long cimType, bool isBase64, bool take);

private:
    // Refuses (0x80041008 naming the property) a value outside the property's possible values
    // as the mapper's caller is served them.
    void ValidatePropertyValues(CCorvessaClassObject& served, CCorvessaClassObject* definition, bool isBase64) const;
    // Puts every qualifier of the source's property into the target's (flavour 0). The first
    // failing HRESULT, else S_OK.
    static HRESULT CopyPropertyQualifierSets(CCorvessaClassObject* source, CCorvessaClassObject* target,
                                             const CString& propertyName);

    CString m_className;
    ValueMap m_values;
};
