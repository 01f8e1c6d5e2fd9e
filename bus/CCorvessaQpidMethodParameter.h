// CCorvessaQpidMethodParameter: the input or the output parameters of one method call on the
// bus: a map from parameter name (UTF-8) to bus value. The input map becomes the in-parameter
// object a mapper's ExecuteMethod takes; the out-parameter object the mapper indicates becomes
// the output map. Values convert through CCorvessaHelper by each parameter's CIM type.
//
// A value type owned by one request; no lock.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/mfc/CString.h"
#include "platform/qpid/Variant.h"

class CCorvessaClassObject;

class CCorvessaQpidMethodParameter
{
public:
    using ValueMap = std::map<std::string, qpid::types::Variant>;

    explicit CCorvessaQpidMethodParameter(bool isInput) : m_isInput(isInput) {}

    const ValueMap& GetValueMap() const { return m_values; }
    bool IsEmpty() const { return m_values.empty(); }
    bool IsInput() const { return m_isInput; }

    // Replaces the map with a copy of values.
    void PopulateUsingVariantMapData(const ValueMap& values);
    // Replaces the map with the source's properties (empty for a null source). Throws the
    // conversions' exceptions.
    void PopulateUsingWMIObject(CCorvessaClassObject* source);
    // A new parameter object for the class's method, built from the values, which are
    // consumed. Throws CCorvessaException "corvessa.general.invalidrequestitem" for a method
    // without a signature in this direction, an invalid value or a parameter the method does
    // not take; GenericException for an unknown class or a failing Put.
    std::unique_ptr<CCorvessaClassObject> AsWMIObject(const CString& className, const CString& methodName);

private:
    ValueMap m_values;
    bool m_isInput;
};
