#include "framework/objects/CCorvessaPropertyDescriptor.h"

#include "platform/com/WbemConstants.h"

CCorvessaPropertyDescriptor::CCorvessaPropertyDescriptor() = default;

CCorvessaPropertyDescriptor::CCorvessaPropertyDescriptor(const CString& name, CIMTYPE cimType)
    : m_cimType(cimType), m_name(name)
{
}

CCorvessaPropertyDescriptor::CCorvessaPropertyDescriptor(const CCorvessaPropertyDescriptor& other)
    : m_value(other.m_value), m_cimType(other.m_cimType), m_name(other.m_name), m_qualifiers(other.m_qualifiers)
{
}

CCorvessaPropertyDescriptor& CCorvessaPropertyDescriptor::operator=(const CCorvessaPropertyDescriptor& source)
{
    if (this == &source)
        return *this;
    m_value = source.m_value;
    m_cimType = source.m_cimType;
    m_name = source.m_name;
    m_qualifiers = source.m_qualifiers;
    return *this;
}

CCorvessaPropertyDescriptor::~CCorvessaPropertyDescriptor() = default;

CString CCorvessaPropertyDescriptor::GetCIMTypeString() const
{
    CIMTYPE type = m_cimType;
    const bool isArray = (type & CIM_FLAG_ARRAY) != 0;
    type &= ~CIM_FLAG_ARRAY;
    CString text;
    switch (type)
    {
    case 3:
        text = L"sint32";
        break;
    case 4:
        text = L"float";
        break;
    case 5:
        text = L"double";
        break;
    case 8:
        text = L"string";
        break;
    case 11:
        text = L"boolean";
        break;
    case 13:
        text = L"object";
        break;
    case 17:
        text = L"unit8";
        break;
    case 19:
        text = L"uint32";
        break;
    case 20:
        text = L"sint64";
        break;
    case 101:
        text = L"datetime";
        break;
    case 102: {
        _variant_t reference;
        if (m_qualifiers.Get(L"CIMTYPE", 0, &reference, nullptr) == WBEM_S_NO_ERROR && reference.vt == VT_BSTR &&
            reference.bstrVal != nullptr)
            text = reference.bstrVal;
        else
            text = L"ref:(unknown)";
        break;
    }
    default:
        text = L"TODO";
        break;
    }
    if (isArray && !text.IsEmpty())
        text += L"[]";
    return text;
}
