#include "framework/objects/CCorvessaQualifierSet.h"

#include "platform/com/BstrOwner.h"
#include "platform/com/ComError.h"
#include "platform/com/WbemConstants.h"

#include <new>

CCorvessaQualifierSet::CCorvessaQualifierSet() : m_position(m_qualifiers.end()) {}

CCorvessaQualifierSet::CCorvessaQualifierSet(const CCorvessaQualifierSet& other)
    : IWbemQualifierSet(), m_qualifiers(other.m_qualifiers), m_position(m_qualifiers.end())
{
}

CCorvessaQualifierSet& CCorvessaQualifierSet::operator=(const CCorvessaQualifierSet& source)
{
    if (this == &source)
    {
        m_state = EnumerationState::Idle;
        m_position = m_qualifiers.end();
        return *this;
    }
    for (const auto& [name, value] : source.m_qualifiers)
        m_qualifiers.insert_or_assign(name, value);
    source.m_state = EnumerationState::Idle;
    source.m_position = source.m_qualifiers.end();
    return *this;
}

CCorvessaQualifierSet::~CCorvessaQualifierSet() = default;

HRESULT CCorvessaQualifierSet::QueryInterface(REFIID iid, void** object)
{
    return QueryOnlyInterface<IWbemQualifierSet>(this, iid, object);
}

ULONG CCorvessaQualifierSet::AddRef()
{
    m_refCount.fetch_add(1);
    return 0;
}

ULONG CCorvessaQualifierSet::Release()
{
    if (m_refCount.fetch_sub(1) - 1 <= 0)
        delete this;
    return 0;
}

HRESULT CCorvessaQualifierSet::Get(LPCWSTR name, LONG, VARIANT* value, LONG*)
{
    if (name == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    const auto found = m_qualifiers.find(name);
    if (found == m_qualifiers.end())
        return WBEM_E_NOT_FOUND;
    if (value != nullptr)
    {
        VariantInit(value);
        const HRESULT hr = VariantCopy(value, &found->second);
        if (FAILED(hr))
            return hr;
    }
    return WBEM_S_NO_ERROR;
}

HRESULT CCorvessaQualifierSet::Put(LPCWSTR name, VARIANT* value, LONG)
{
    // A missing value is reported to the caller rather than thrown through the interface.
    if (value == nullptr)
        return E_POINTER;
    if (name == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    try
    {
        _variant_t copy(*value);
        m_qualifiers.insert_or_assign(name, std::move(copy));
        return WBEM_S_NO_ERROR;
    }
    catch (const _com_error& error)
    {
        return error.Error();
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
}

HRESULT CCorvessaQualifierSet::Delete(LPCWSTR)
{
    return WBEM_S_NO_ERROR;
}

HRESULT CCorvessaQualifierSet::GetNames(LONG, SAFEARRAY** names)
{
    // Never answer success with an unwritten out-pointer.
    if (names != nullptr)
        *names = nullptr;
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT CCorvessaQualifierSet::BeginEnumeration(LONG)
{
    m_state = EnumerationState::Begun;
    m_position = m_qualifiers.end();
    return WBEM_S_NO_ERROR;
}

HRESULT CCorvessaQualifierSet::Next(LONG, BSTR* name, VARIANT* value, LONG*)
{
    if (m_state == EnumerationState::Idle || m_qualifiers.empty())
        return WBEM_S_NO_MORE_DATA;
    if (m_state == EnumerationState::Begun)
    {
        m_position = m_qualifiers.begin();
        m_state = EnumerationState::Running;
    }
    else if (m_position != m_qualifiers.end())
    {
        ++m_position;
    }
    if (m_position == m_qualifiers.end())
        return WBEM_S_NO_MORE_DATA;
    BstrOwner ownedName;
    if (name != nullptr)
    {
        *name = nullptr;
        ownedName = BstrOwner::Copy(m_position->first.c_str());
        if (!ownedName)
            return E_OUTOFMEMORY;
    }
    if (value != nullptr)
    {
        VariantInit(value);
        const HRESULT hr = VariantCopy(value, &m_position->second);
        if (FAILED(hr))
            return hr;
    }
    if (name != nullptr)
        *name = ownedName.Detach();
    return WBEM_S_NO_ERROR;
}

HRESULT CCorvessaQualifierSet::EndEnumeration()
{
    m_state = EnumerationState::Idle;
    m_position = m_qualifiers.end();
    return WBEM_S_NO_ERROR;
}
