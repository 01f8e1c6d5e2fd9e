#include "framework/CWMITypeInfo.h"

#include "platform/com/CimTypes.h"
#include "platform/com/WbemConstants.h"

namespace
{
void PutPropertyQualifier(CCorvessaClassObject& object, const CString& property, const wchar_t* name,
                          _variant_t value)
{
    IWbemQualifierSet* qualifiers = nullptr;
    if (object.GetPropertyQualifierSet(property, &qualifiers) != WBEM_S_NO_ERROR)
        return;
    qualifiers->Put(name, &value, 0);
    qualifiers->Release();
}

CCorvessaClassObject BuildSignature(const CCorvessaMethodDescriptor::ParameterList& parameters, LONG& nextId)
{
    CCorvessaClassObject signature(L"__PARAMETERS");
    for (const auto& [name, cimType] : parameters)
    {
        signature.Put(name, 0, nullptr, cimType);
        PutPropertyQualifier(signature, name, L"ID", _variant_t(nextId++));
    }
    return signature;
}
} // namespace

CWMITypeInfo::CWMITypeInfo(const CString& className, const CString& parentTypeName)
    : m_classObject(className), m_parentTypeName(parentTypeName)
{
}

void CWMITypeInfo::AddProperty(const CString& property, LONG cimType, const CString& table, const CString& column,
                               int keyFlag, int maxLength)
{
    m_classObject.Put(property, 0, nullptr, cimType);
    CString tableColumn;
    if (!table.IsEmpty() && !column.IsEmpty())
    {
        tableColumn.Format(L"%s.%s", table.GetString(), column.GetString());
        m_propertyToColumn[property] = tableColumn;
        m_columnToProperty[tableColumn] = property;
    }
    if (keyFlag != 0)
    {
        m_keyPropertyToColumn[property] = tableColumn;
        PutPropertyQualifier(m_classObject, property, L"key", _variant_t(true));
    }
    if (cimType != 0)
        m_propertyTypes[property] = cimType;
    if (cimType == CIM_STRING || ((cimType & CIM_FLAG_ARRAY) != 0 && maxLength >= 1))
        PutPropertyQualifier(m_classObject, property, L"maxlen", _variant_t(static_cast<LONG>(maxLength)));
}

void CWMITypeInfo::AddMethod(const CString& method)
{
    m_methods.try_emplace(method, method);
}

void CWMITypeInfo::AddMethodParameter(const CString& method, bool isInput, const CString& parameter, LONG cimType)
{
    m_methods.try_emplace(method, method).first->second.AddParameter(isInput, parameter, cimType);
}

bool CWMITypeInfo::IsPropertyAKeyProperty(const CString& property) const
{
    if (m_keyPropertyToColumn.count(property) != 0)
        return true;
    const CCorvessaPropertyDescriptor* descriptor = m_classObject.GetPropertyDescriptor(property);
    if (descriptor == nullptr)
        return false;
    IWbemQualifierSet* qualifiers = const_cast<CCorvessaPropertyDescriptor*>(descriptor)->GetQualifierSet();
    _variant_t key;
    if (qualifiers->Get(L"key", 0, &key, nullptr) != WBEM_S_NO_ERROR)
        return false;
    return (key.vt == VT_BOOL || key.vt == VT_I2) && key.iVal == 1;
}

CCorvessaClassObject* CWMITypeInfo::GetTypeInformation()
{
    if (!m_methods.empty() && m_classObject.MethodNames().empty())
    {
        for (const auto& [name, descriptor] : m_methods)
        {
            LONG nextId = 0;
            CCorvessaClassObject in = BuildSignature(descriptor.InParameters(), nextId);
            CCorvessaClassObject out = BuildSignature(descriptor.OutParameters(), nextId);
            m_classObject.PutMethod(name, 0, &in, &out);
            IWbemQualifierSet* qualifiers = nullptr;
            if (m_classObject.GetMethodQualifierSet(name, &qualifiers) == WBEM_S_NO_ERROR)
            {
                _variant_t implemented(true);
                qualifiers->Put(L"implemented", &implemented, 0);
                qualifiers->Release();
            }
        }
    }
    return &m_classObject;
}
