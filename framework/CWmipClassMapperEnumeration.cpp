// The enumeration half of CWmipClassMapper: the rows, read by CWmipInstanceReader, and keyed
// reads. The recordset's shape, filters and ordering are the reader's hooks, in
// CWmipClassMapper.cpp, which calls nothing here: the calls run one way, down to the reader and
// its hooks.
#include "framework/CWmipClassMapper.h"

#include "common/StringHelpers.h"

#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipObjectPath.h"
#include "framework/CWmipQuery.h"
#include "framework/WMIHelper.h"
#include "framework/wql/WqlEvaluator.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"

#include <charconv>
#include <memory>
#include <utility>

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

// The key value of an instance as text, for the comparison with a path's key value.
bool KeyValueMatches(IWbemClassObject* instance, const CString& key, const CString& expected)
{
    _variant_t raw;
    if (FAILED(instance->Get(key, 0, &raw, nullptr, nullptr)))
        return false;
    const VARIANT& v = raw;
    if (v.vt == VT_EMPTY || v.vt == VT_NULL)
        return false;
    // Text keys compare as the database compares them: ASCII letters folded, nothing else, and
    // over the whole stored text (a NUL inside it does not end the comparison).
    if (v.vt == VT_BSTR)
    {
        const std::wstring stored(v.bstrVal != nullptr ? v.bstrVal : L"", SysStringLen(v.bstrVal));
        return WqlEvaluator::CompareFoldingAsciiCase(CStringToUtf8(CString(stored)), CStringToUtf8(expected)) == 0;
    }
    if (v.vt == VT_BOOL)
    {
        const bool flag = v.boolVal != VARIANT_FALSE;
        return expected.CompareNoCase(flag ? L"TRUE" : L"FALSE") == 0 || expected == (flag ? L"1" : L"0");
    }
    _variant_t wide;
    if (SUCCEEDED(VariantChangeType(&wide, &raw, 0, VT_I8)))
    {
        const std::string narrow = CStringToUtf8(expected);
        LONGLONG parsed = 0;
        const auto [end, ec] = std::from_chars(narrow.data(), narrow.data() + narrow.size(), parsed);
        return ec == std::errc() && end == narrow.data() + narrow.size() &&
               parsed == static_cast<const VARIANT&>(wide).llVal;
    }
    _variant_t text;
    if (FAILED(VariantChangeType(&text, &raw, 0, VT_BSTR)))
        return false;
    return CString(static_cast<const VARIANT&>(text).bstrVal).CompareNoCase(expected) == 0;
}

}  // namespace

HRESULT CWmipClassMapper::CreateInstance(IWbemClassObject** instance)
{
    return m_reader.BuildInstance(instance);
}

BOOL CWmipClassMapper::BeginEnumeration()
{
    return m_reader.Begin();
}

bool CWmipClassMapper::HasMoreInstances() const
{
    return m_reader.HasMore();
}

HRESULT CWmipClassMapper::NextInstance(IWbemClassObject** instance, LONG /*flags*/)
{
    return m_reader.Next(instance);
}

void CWmipClassMapper::EndEnumeration()
{
    m_reader.End();
}

LONG CWmipClassMapper::GetTotalRowCount(bool log)
{
    return m_reader.CountRows(log);
}

IWbemClassObject* CWmipClassMapper::GetCurrentInstance(CWmipObjectPath* path)
{
    if (path == nullptr)
        throw CWMIException(kClassMapperLogSource, __LINE__, WBEM_E_INVALID_PARAMETER);
    // A class path names no instance: taking the first row instead would aim an instance
    // method (a door, a clock) at whatever device happens to come first.
    if (path->GetKeyCount() <= 0)
        throw CWMIException(kClassMapperLogSource, __LINE__, WBEM_E_INVALID_OBJECT_PATH,
                            CWmipMessages::kInvalidObjectPath);
    // A path that names part of the keys, or a property that is no key, identifies no instance.
    const CWMITypeInfo* typeInfo = GetTypeInfo();
    if (path->GetKeyCount() > 0 && typeInfo != nullptr && !typeInfo->NamesExactlyTheKeys(path->GetKeyNames()))
        return nullptr;
    return ReadMatching(*path);
}

IWbemClassObject* CWmipClassMapper::ReadMatching(const CWmipObjectPath& path)
{
    std::unique_ptr<CWmipQuery> query = CWmipQuery::CreateFromObjectPath(path);
    if (query == nullptr)
        throw CWMIException(kClassMapperLogSource, __LINE__, WBEM_E_INVALID_OBJECT_PATH);
    CWmipQuery* previous = GetQuery();
    struct Detach
    {
        CWmipClassMapper& mapper;
        CWmipQuery* previous;
        ~Detach()
        {
            mapper.EndEnumeration();
            mapper.SetQueryAttachment(previous);
        }
    } detach{*this, previous};

    SetQuery(query.get());
    if (!BeginEnumeration())
        throw CWMIException(kClassMapperLogSource, __LINE__, WBEM_E_FAILED);
    // Only a row that carries the path's own key values is the instance: a row the SQL let
    // through for another reason (a dropped comparison, a duplicate of a join) is not.
    while (HasMoreInstances())
    {
        IWbemClassObject* raw = nullptr;
        const HRESULT hr = NextInstance(&raw, 0);
        if (FAILED(hr))
            throw CWMIException(kClassMapperLogSource, __LINE__, hr);
        ComPtr<IWbemClassObject> candidate;
        candidate.Attach(raw);
        if (candidate == nullptr)
            continue;
        bool matches = true;
        for (int i = 0; i < path.GetKeyCount() && matches; ++i)
        {
            matches = KeyValueMatches(candidate.Get(), path.GetKeyNames()[static_cast<size_t>(i)],
                                      path.GetKeyValues()[static_cast<size_t>(i)]);
        }
        if (matches)
            return candidate.Detach();
    }
    return nullptr;
}
