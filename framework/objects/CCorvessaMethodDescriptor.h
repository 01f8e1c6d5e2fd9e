// CCorvessaMethodDescriptor: one method of a class as the type description records it while
// the schema is registered: its name and its in and out parameters with their CIM types.
//
// A value type held by value in the type description's method map and copied freely; not
// shared and not thread-safe.
#pragma once

#include "platform/com/CimTypes.h"
#include "platform/mfc/CString.h"

#include <utility>
#include <vector>

class CCorvessaMethodDescriptor
{
public:
    using ParameterList = std::vector<std::pair<CString, LONG>>;

    CCorvessaMethodDescriptor() = default;
    explicit CCorvessaMethodDescriptor(const CString& methodName) : m_methodName(methodName) {}

    const CString& GetMethodName() const { return m_methodName; }
    // Appends (name, CIM type) to the in parameters when isInput is true, else to the out
    // parameters; a name already listed is listed again.
    void AddParameter(bool isInput, const CString& name, LONG cimType);
    // Every in parameter of the method carries the qualifier "key" in its signature.
    void MarkInParametersAsKeys() { m_inParametersAreKeys = true; }
    bool InParametersAreKeys() const { return m_inParametersAreKeys; }
    // The parameters in the order they were added.
    const ParameterList& InParameters() const { return m_inParameters; }
    const ParameterList& OutParameters() const { return m_outParameters; }

private:
    CString m_methodName;
    ParameterList m_inParameters;
    ParameterList m_outParameters;
    bool m_inParametersAreKeys = false;
};
