// CCorvessaBaseApp: the paged instance read (GetInstance), over one type's mapper or over the
// concrete types derived from an abstract type.

#include <algorithm>
#include <limits>
#include <optional>

#include "bus/CCorvessaBaseApp.h"
#include "framework/objects/CCorvessaClassObject.h"
#include "bus/CCorvessaEnumerationScope.h"
#include "bus/CCorvessaException.h"
#include "bus/CorvessaPagePlanner.h"
#include "framework/CWMITypeInfo.h"
#include "framework/CWmipClassMapper.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipQuery.h"
#include "framework/CWmipQueryRefusal.h"
#include "framework/CWmipStoredValueRefusal.h"
#include "framework/wql/WqlLimits.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/com/Unknown.h"
#include "platform/com/WbemConstants.h"
#include "platform/win32/SystemInfo.h"
#include "provider/CWmipUserCacheEntry.h"

using brontel::utility::ConvertCStringToUtf8;
using brontel::utility::ConvertUtf8ToCString;
using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

constexpr wchar_t kBaseAppInstancesSource[] = L"CorvessaBaseApp";
// Requests that take longer are logged with their timing.
constexpr DWORD kTimingThresholdMs = 10;

std::int32_t ClampToInt32(std::int64_t value)
{
    return static_cast<std::int32_t>(std::min<std::int64_t>(value, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

HRESULT CCorvessaBaseApp::GetInstance(const std::string& token, const std::string& applicationId, std::string& typeName,
                                      const std::string& filter, const corvessa::PagingParameters& paging,
                                      CorvessaPaginatedInfo& info, InstanceList& instances)
{
    instances.clear();
    try
    {
        const HRESULT hr = GetInstance(
            token, applicationId, typeName, filter, paging, info,
            [&instances](std::unique_ptr<CCorvessaQpidInstance> one) { instances.push_back(std::move(one)); });
        // A failed read hands back no part of a page.
        if (hr == corvessa::kInvalidFilter)
        {
            instances.clear();
        }
        return hr;
    }
    catch (...)
    {
        instances.clear();
        throw;
    }
}

HRESULT CCorvessaBaseApp::GetInstance(const std::string& token, const std::string& applicationId, std::string& typeName,
                                      const std::string& filter, const corvessa::PagingParameters& paging,
                                      CorvessaPaginatedInfo& info, const InstanceSink& sink)
{
    const DWORD start = GetTickCount();
    info = CorvessaPaginatedInfo{0, 0, paging.pageNumber, paging.pageSize};
    // The instances handed over, for the timing line.
    long delivered = 0;
    const InstanceSink counted = [&](std::unique_ptr<CCorvessaQpidInstance> one) {
        ++delivered;
        sink(std::move(one));
    };
    // The log names at most a query's length of the filter.
    const std::string logged = filter.substr(0, WqlLimits::kMaxQueryLength);
    HRESULT hr = S_OK;
    try
    {
        Initialize();
        CWmipQuery query;
        query.SetClassName(ConvertUtf8ToCString(typeName));
        // A filter longer than any query is refused (below, after the token's check) without being
        // converted: megabytes of it would otherwise be held several times over.
        const bool overlong = filter.size() > WqlLimits::kMaxQueryLength;
        CString where = overlong ? CString() : ConvertUtf8ToCString(filter);
        where.Trim();
        if (!where.IsEmpty())
        {
            query.SetWhereText(CString(L"where (") + where + L")");
        }
        EntryLease lease;
        hr = m_sessions->LeaseEntryForToken(token, applicationId, lease);
        if (FAILED(hr))
        {
            return hr;
        }
        CWmipUserCacheEntry* const entry = lease.get();
        // A bad token is reported as such whatever the paging asks for.
        CorvessaPagePlanner::Validate(paging);
        if (overlong)
        {
            throw CWMIException(kBaseAppInstancesSource, __LINE__, WBEM_E_INVALID_QUERY, L"query text too long");
        }
        std::unique_ptr<CWmipClassMapper> mapper;
        hr = GetMapperForType(query.GetClassName(), entry, mapper, false);
        CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
        if (FAILED(hr) && !registry->IsClassAbstract(query.GetClassName()))
        {
            CString text;
            text.Format(L"CCorvessaProvixaApp::GetInstance - Failed to get mapper for requested query/object, class "
                        L"name is [%S], filter is [%S].",
                        typeName.c_str(), logged.c_str());
            CWMIDebugLog::LogError(kBaseAppInstancesSource, __LINE__, text, hr);
            return hr;
        }
        hr = mapper ? GetInstanceImpl(entry, mapper.get(), &query, paging, info, counted, typeName)
                    : GetInstancesOfDerivedTypes(registry->GetConcreteDerivedTypes(query.GetClassName()), entry, &query,
                                                 paging, info, counted, typeName);
        // A count has no page to be past.
        if (paging.pageSize != 0 && paging.pageNumber >= 2 && paging.pageNumber > info.totalPages)
        {
            // Said with how many pages there are, so that the reader can ask for one of them.
            throw CCorvessaException::InvalidRequestItem(
                "page_number",
                "There " +
                    std::string(info.totalPages == 1 ? "is 1 page"
                                                     : "are " + std::to_string(info.totalPages) + " pages") +
                    " of " + std::to_string(paging.pageSize) + " (" + std::to_string(info.totalCount) +
                    (info.totalCount == 1 ? " instance" : " instances") + "); page 0 is every one.");
        }
    }
    catch (const CWmipQueryRefusal& e)
    {
        CWMIDebugLog::LogError(kBaseAppInstancesSource, __LINE__, e.GetMessage(), e.GetHResult(), nullptr, &e);
        // A literal its property's type cannot hold (no number, date-time or boolean) is a
        // filter the front end refuses, whichever type refused it (a count and a derived type
        // included), named in the log as the filter check names a value.
        CString property;
        CString value;
        if (!e.GetRefusedLiteral(property, value))
        {
            // Any other refusal (a value never served) as the provider refuses it, naming the
            // property, rather than as a filter that does not parse.
            throw;
        }
        LogFilterCheckFailure(L"GetInstance", value, property, corvessa::kInvalidFilter);
        hr = corvessa::kInvalidFilter;
    }
    catch (const CWmipStoredValueRefusal& e)
    {
        // A row stored with a value its property cannot take is no fault of the filter, and no
        // page may leave it out: the read fails, naming the value, under the bus's own key.
        CWMIDebugLog::LogError(kBaseAppInstancesSource, __LINE__, e.GetMessage(), e.GetHResult(), nullptr, &e);
        throw CCorvessaException(CCorvessaException::kGeneralExceptionKey, e);
    }
    catch (const CWMIException& e)
    {
        CWMIDebugLog::LogError(kBaseAppInstancesSource, __LINE__, e.GetMessage(), e.GetHResult(), nullptr, &e);
        CString text;
        text.Format(L"CCorvessaProvixaApp::GetInstance - The specified filter is invalid, type name is [%S], filter "
                    L"is [%S].",
                    typeName.c_str(), logged.c_str());
        CWMIDebugLog::LogError(kBaseAppInstancesSource, __LINE__, text, corvessa::kInvalidFilter);
        hr = corvessa::kInvalidFilter;
    }
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed > kTimingThresholdMs)
    {
        CString text;
        text.Format(L"CCorvessaBaseApp::GetInstance took %ld ms for %ld result(s) from query where class name is "
                    L"[%S] and filter is [%S].",
                    static_cast<long>(elapsed), delivered, typeName.c_str(), logged.c_str());
        CWMIDebugLog::LogInfo(kBaseAppInstancesSource, __LINE__, text);
    }
    return hr;
}

HRESULT CCorvessaBaseApp::GetInstanceImpl(CWmipUserCacheEntry* entry, CWmipClassMapper* mapper, CWmipQuery* query,
                                          const corvessa::PagingParameters& paging, CorvessaPaginatedInfo& info,
                                          const InstanceSink& sink, const std::string& typeName)
{
    const DWORD start = GetTickCount();
    if (entry == nullptr)
    {
        return corvessa::kInvalidSessionToken;
    }
    if (mapper == nullptr)
    {
        return corvessa::kInvalidTypeName;
    }
    info = CorvessaPaginatedInfo{0, 0, paging.pageNumber, paging.pageSize};
    long delivered = 0;
    const auto logTiming = [&] {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed > kTimingThresholdMs)
        {
            CString text;
            text.Format(L"CCorvessaBaseApp::GetInstanceImpl took %ld ms for %ld result(s) for type %s",
                        static_cast<long>(elapsed), delivered, query->GetClassName().GetString());
            CWMIDebugLog::LogInfo(kBaseAppInstancesSource, __LINE__, text);
        }
    };
    if (FAILED(mapper->CanView()))
    {
        CString text;
        text.Format(L"CCorvessaProvixaApp::GetInstance - Failed, cannot view requested type: %s.",
                    mapper->GetClassName().GetString());
        CWMIDebugLog::LogError(kBaseAppInstancesSource, __LINE__, text, 0);
        logTiming();
        return S_OK;
    }
    // A dynamic class knows its properties' types only once its description has been read,
    // and the WHERE clause is read by them (a date-time literal, say).
    CWMITypeInfo* typeInfo = CWmipMapperRegistry::Instance()->GetTypeInfo(mapper->GetClassName());
    if (typeInfo != nullptr && !query->GetWhereText().IsEmpty())
        typeInfo->GetTypeInformation();
    query->EnableWhereValueCapture();
    mapper->SetQuery(query);
    query->DisableWhereValueCapture();
    if (paging.pageSize != 0 && !query->GetWhereText().IsEmpty())
    {
        CString value;
        CString property;
        const HRESULT hr = CheckGetInstanceFilter(ConvertUtf8ToCString(typeName), query, value, property);
        if (FAILED(hr))
        {
            LogFilterCheckFailure(L"GetInstance", value, property, hr);
            return hr;
        }
    }
    info.totalCount = mapper->GetTotalRowCount(true);
    if (paging.pageSize == 0)
    {
        CString text;
        text.Format(L"CCorvessaProvixaApp::GetInstanceImpl - handled GetCount request; returning total row count (%d).",
                    static_cast<int>(info.totalCount));
        CWMIDebugLog::LogInfo(kBaseAppInstancesSource, __LINE__, text);
        return S_OK;
    }
    info.totalPages = CalculateNumberOfPages(info.totalCount, paging.pageSize);
    const std::int64_t lastRow = static_cast<std::int64_t>(paging.pageNumber) * paging.pageSize;
    mapper->SetStartingRecord(ClampToInt32(lastRow - paging.pageSize + 1));
    mapper->SetEndingRecord(ClampToInt32(lastRow));
    mapper->SetOrderByFields(ConvertUtf8ToCString(paging.orderBy));
    mapper->SetSortDescending(paging.descending);
    // Rows of a concrete mapper read for an abstract type carry only the abstract type's properties.
    CString populationType;
    if (mapper->GetClassName().CompareNoCase(query->GetClassName()) != 0 &&
        CWmipMapperRegistry::Instance()->IsClassAbstract(query->GetClassName()))
    {
        populationType = query->GetClassName();
    }
    // A page the database refuses (an ordering it cannot apply, say) is a failed read, never
    // an empty page.
    if (!mapper->BeginEnumeration())
    {
        throw CWMIException(kBaseAppInstancesSource, __LINE__, WBEM_E_FAILED, CWmipMessages::kDatabaseRefused);
    }
    {
        const CCorvessaEnumerationScope scope(mapper);
        while (mapper->HasMoreInstances())
        {
            auto instance = std::make_unique<CCorvessaQpidInstance>();
            {
                ComPtr<IWbemClassObject> object;
                const HRESULT hr = mapper->NextInstance(&object, 0);
                if (FAILED(hr))
                {
                    throw CWMIException(kBaseAppInstancesSource, __LINE__, hr);
                }
                auto* source = dynamic_cast<CCorvessaClassObject*>(object.Get());
                if (source == nullptr)
                {
                    continue;
                }
                // The object goes before the instance is handed on: a binary value is held once,
                // in the instance, while the sink writes it out.
                instance->PopulateInstanceData(source, populationType);
            }
            ++delivered;
            sink(std::move(instance));
        }
    }
    logTiming();
    return S_OK;
}

void CCorvessaBaseApp::LogFilterCheckFailure(const wchar_t* operation, const CString& value, const CString& property,
                                             HRESULT hr)
{
    CString text;
    if (value.IsEmpty())
    {
        text.Format(L"CCorvessaProvixaApp::%s - Invalid property [%s] in filter.", operation, property.GetString());
    }
    else
    {
        text.Format(L"CCorvessaProvixaApp::%s - Invalid value [%s] for property [%s] in filter.", operation,
                    value.GetString(), property.GetString());
    }
    CWMIDebugLog::LogError(kBaseAppInstancesSource, __LINE__, text, hr);
}

HRESULT CCorvessaBaseApp::CheckGetInstanceFilter(const CString& typeName, CWmipQuery* query, CString& value,
                                                 CString& property)
{
    CWMITypeInfo* typeInfo = CWmipMapperRegistry::Instance()->GetTypeInfo(typeName);
    if (typeInfo == nullptr)
    {
        return WBEM_E_NOT_FOUND;
    }
    // A dynamic class knows its properties only once its description has been read.
    typeInfo->GetTypeInformation();
    for (const auto& [name, literal] : query->GetWhereValues())
    {
        property = name;
        if (!typeInfo->HasProperty(name))
        {
            value.Empty();
            return corvessa::kInvalidFilter;
        }
        value = literal;
        // A filter's value is read as every road reads a literal of the property's type, so that
        // the bus accepts and refuses what the query and the watches do; a value to be written
        // is checked by its request form (CCorvessaHelper::IsValidValue) instead. A property's
        // value list names the values a write may give, not those a stored row may hold: a value
        // outside it selects the rows that hold it, as on every other road that serves them.
        if (!CWmipQueryRefusal::IsValueOfType(typeInfo->GetPropertyType(name) & ~CIM_FLAG_ARRAY, literal, Door::kBus))
        {
            return corvessa::kInvalidFilter;
        }
    }
    return S_OK;
}

HRESULT CCorvessaBaseApp::GetInstancesOfDerivedTypes(const std::vector<CString>& derivedTypes,
                                                     CWmipUserCacheEntry* entry, CWmipQuery* query,
                                                     const corvessa::PagingParameters& paging,
                                                     CorvessaPaginatedInfo& info, const InstanceSink& sink,
                                                     std::string& typeName)
{
    if (entry == nullptr)
    {
        return corvessa::kInvalidSessionToken;
    }
    if (derivedTypes.empty())
    {
        return S_OK;
    }
    // Laid end to end by ascending name, whatever order the registry gives.
    std::map<CString, std::int32_t> counts;
    std::int64_t total = 0;
    std::optional<CWMIException> firstRejection;
    std::size_t rejections = 0;
    for (const CString& type : derivedTypes)
    {
        CWmipQuery copy(*query);
        std::unique_ptr<CWmipClassMapper> mapper;
        if (FAILED(GetMapperForType(type, entry, mapper, false)) || FAILED(mapper->CanView()))
        {
            continue;
        }
        LONG count = 0;
        try
        {
            mapper->SetQuery(&copy);
            count = mapper->GetTotalRowCount(false);
        }
        catch (const CWmipQueryRefusal&)
        {
            // A value never served, or no date, refuses the request whole, whichever type reads it.
            throw;
        }
        catch (const CWMIException& e)
        {
            if (e.GetHResult() != WBEM_E_INVALID_QUERY)
            {
                throw;
            }
            ++rejections;
            if (!firstRejection)
            {
                firstRejection.emplace(e);
            }
        }
        counts[type] = count;
        total += count;
    }
    if (firstRejection && rejections == counts.size())
    {
        throw *firstRejection;
    }
    if (paging.pageSize == 0)
    {
        info = CorvessaPaginatedInfo{ClampToInt32(total), 0, paging.pageNumber, paging.pageSize};
        CString text;
        text.Format(L"CCorvessaProvixaApp::GetInstancesOfDerivedTypes - handled GetCount request; returning total row "
                    L"count (%d).",
                    static_cast<int>(info.totalCount));
        CWMIDebugLog::LogInfo(kBaseAppInstancesSource, __LINE__, text);
        return S_OK;
    }
    const std::vector<CorvessaPagePlanner::TypeCount> layout(counts.begin(), counts.end());
    HRESULT result = S_OK;
    for (const CorvessaPagePlanner::Request& request : CorvessaPagePlanner::Plan(layout, paging))
    {
        CWmipQuery copy(*query);
        std::unique_ptr<CWmipClassMapper> mapper;
        GetMapperForType(request.typeName, entry, mapper, false);
        // The rows of the request's page before `skip` and after `keep` more are not the page's.
        std::size_t row = 0;
        result = GetInstanceImpl(
            entry, mapper.get(), &copy, request.paging, info,
            [&](std::unique_ptr<CCorvessaQpidInstance> one) {
                if (row >= request.skip && row - request.skip < request.keep)
                {
                    sink(std::move(one));
                }
                ++row;
            },
            typeName);
        if (FAILED(result))
        {
            break;
        }
    }
    typeName = ConvertCStringToUtf8(query->GetClassName());
    const std::int32_t totalCount = ClampToInt32(total);
    info = CorvessaPaginatedInfo{totalCount, CalculateNumberOfPages(totalCount, paging.pageSize), paging.pageNumber,
                                 paging.pageSize};
    return result;
}
