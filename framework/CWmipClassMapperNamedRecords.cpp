// The records a write names, read as its caller sees them: CallerCanSee and
// RequireVisibleNamedRecords. They read through a mapper of the named class (ReadMatching), so
// they stand above the enumeration, and the reader and writer reach them only as hooks.
#include "framework/CWmipClassMapper.h"

#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipObjectPath.h"
#include "framework/CWmipPropertyRefusal.h"
#include "framework/NamedRecordRoad.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/SafeArray.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

using brontel::utility::CWMIException;

namespace {

// The values a name gives: each element of a one-dimensional array (a parameter that names
// several records of one class), else the value itself; none for an array it cannot read.
std::vector<_variant_t> ElementsOf(const VARIANT& value)
{
    if ((value.vt & VT_ARRAY) == 0)
        return {_variant_t(value)};
    std::vector<_variant_t> elements;
    const VARTYPE element = value.vt & ~VT_ARRAY;
    LONG lower = 0;
    LONG upper = -1;
    if (value.parray == nullptr || SafeArrayGetDim(value.parray) != 1 ||
        FAILED(SafeArrayGetLBound(value.parray, 1, &lower)) || FAILED(SafeArrayGetUBound(value.parray, 1, &upper)))
        return elements;
    for (LONG index = lower; index <= upper; ++index)
    {
        VARIANT raw;
        VariantInit(&raw);
        const HRESULT hr = element == VT_VARIANT ? SafeArrayGetElement(value.parray, &index, &raw)
                                                 : SafeArrayGetElement(value.parray, &index, &raw.llVal);
        if (FAILED(hr))
            return {};
        if (element != VT_VARIANT)
            raw.vt = element;
        _variant_t held;
        held.Attach(raw);
        elements.push_back(std::move(held));
    }
    return elements;
}

// The owners a write of the class names by its own properties (its segment sources), as records
// the write must be able to see: a record is never written under an owner the caller cannot see.
void AppendOwnerRecords(const CWMITypeInfo& typeInfo, std::vector<CWMITypeInfo::NamedRecord>& records)
{
    for (const CWMITypeInfo::SegmentSource& source : typeInfo.GetSegmentSources())
    {
        if (source.kind != CWMITypeInfo::SegmentSource::Kind::Owner)
            continue;
        const bool byProperties = std::none_of(source.names.begin(), source.names.end(), [&](const CString& name) {
            return name.Find(L'.') >= 0 || typeInfo.GetReferenceProperties().count(name) != 0;
        });
        // An owner the class also declares as a named record is answered on that record's road.
        const bool declared = std::any_of(records.begin(), records.end(), [&](const CWMITypeInfo::NamedRecord& named) {
            return named.method.IsEmpty() && named.referencedClass.CompareNoCase(source.ownerClass) == 0 &&
                   named.names.size() == source.names.size() &&
                   std::all_of(source.names.begin(), source.names.end(), [&](const CString& name) {
                       return std::any_of(named.names.begin(), named.names.end(),
                                          [&](const CString& other) { return other.CompareNoCase(name) == 0; });
                   });
        });
        if (byProperties && !declared)
            records.push_back(
                {CString(), source.names, source.ownerClass, source.ownerKeys, NamedRecordRoad::kFramework});
    }
}

}  // namespace

bool CWmipClassMapper::CallerCanSee(const wchar_t* className,
                                    std::initializer_list<std::pair<const wchar_t*, LONG>> keys)
{
    CWmipObjectPath path(className);
    for (const auto& [key, value] : keys)
        path.AddKey(key, value);
    return CallerCanSee(path);
}

bool CWmipClassMapper::CallerCanSee(const CWmipObjectPath& record)
{
    RequireUser();
    std::unique_ptr<CWmipClassMapper> mapper(CWmipMapperRegistry::GetMapper(
        GetDatabaseUser(), GetContext(), GetServices(), record.GetClassName(), GetDoor()));
    if (mapper == nullptr)
        throw CWMIException(kClassMapperLogSource, __LINE__, WBEM_E_INVALID_CLASS);
    mapper->SetUserEntry(GetUserEntry());
    mapper->m_resolvingNamedRecord = true;
    ComPtr<IWbemClassObject> instance;
    instance.Attach(mapper->ReadMatching(record));
    return instance != nullptr;
}

void CWmipClassMapper::RequireVisibleNamedRecords(IWbemClassObject* values, const wchar_t* method)
{
    const CWMITypeInfo* typeInfo = GetTypeInfo();
    if (typeInfo == nullptr || values == nullptr)
        return;
    const CString called(method != nullptr ? method : L"");
    std::vector<CWMITypeInfo::NamedRecord> records = typeInfo->GetNamedRecords();
    if (called.IsEmpty())
        AppendOwnerRecords(*typeInfo, records);
    for (const CWMITypeInfo::NamedRecord& named : records)
    {
        if (named.road != NamedRecordRoad::kFramework || named.method.CompareNoCase(called) != 0 ||
            named.names.size() != named.referencedKeys.size())
            continue;
        // The values of each name; a name without value leaves the record unnamed.
        std::vector<std::vector<_variant_t>> given;
        for (const CString& name : named.names)
        {
            _variant_t value;
            if (FAILED(values->Get(name, 0, &value, nullptr, nullptr)) || IsEmptyValue(value))
                break;
            given.push_back(ElementsOf(value));
        }
        if (given.size() != named.names.size())
            continue;
        // A single name may give several records (an array); the names of a composite record
        // give one value each.
        const std::size_t records = named.names.size() == 1 ? given.front().size() : 1;
        for (std::size_t r = 0; r < records; ++r)
        {
            CWmipObjectPath record(named.referencedClass);
            bool complete = true;
            for (std::size_t i = 0; complete && i < named.names.size(); ++i)
            {
                _variant_t text;
                complete = r < given[i].size() && SUCCEEDED(VariantChangeType(&text, &given[i][r], 0, VT_BSTR)) &&
                           record.AddKey(named.referencedKeys[i], static_cast<const VARIANT&>(text).bstrVal);
            }
            if (!complete || CallerCanSee(record))
                continue;
            // A record hidden from the caller gets the answer a missing one gets, so the refusal
            // tells nothing about records of other segments.
            CWmipPropertyRefusal::ThrowNamed(kClassMapperLogSource, __LINE__, WBEM_E_INVALID_PARAMETER,
                                             CWmipMessages::kInvalidProperty, named.names.back());
        }
    }
}
