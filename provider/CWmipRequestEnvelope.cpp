#include "provider/CWmipRequestEnvelope.h"

#include "platform/com/BstrOwner.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "framework/CWMITypeInfo.h"
#include "framework/CWmipClassMapper.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipObjectPath.h"
#include "framework/CWmipQuery.h"
#include "framework/CWmipWriteFrame.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"
#include "provider/CWmipApp.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

// The longest path or query text the log shows of a request; a longer one (a query may be 32K
// characters) is cut, with its length, so that every request does not write it whole twice.
constexpr int kMaxLoggedArgument = 512;

CString CallText(const CString& operation, const CString& argument)
{
    if (argument.GetLength() <= kMaxLoggedArgument)
        return operation + L"(" + argument + L")";
    CString length;
    length.Format(L"... (%d characters)", argument.GetLength());
    return operation + L"(" + argument.Left(kMaxLoggedArgument) + length + L")";
}

// True when a keyed path's keys follow the rule: every key property of its class exactly once
// and nothing else, or (kSomeKeys) key properties only, each at most once. A path naming a
// property that is no key, or (for a write or a method) part of the keys, would otherwise act
// on an arbitrary matching row. A class that is not registered is left to the mapper lookup,
// and a class without key properties cannot be judged.
bool FollowsKeyRule(const CWmipObjectPath& path, CWmipRequestEnvelope::KeyRule rule)
{
    if (path.GetKeyCount() == 0)
        return true;
    const CWMITypeInfo* typeInfo = CWmipMapperRegistry::Instance()->GetTypeInfo(path.GetClassName(), true);
    if (typeInfo == nullptr)
        return true;
    const std::vector<CString> names = path.GetKeyNames();
    if (rule == CWmipRequestEnvelope::KeyRule::kAllKeys)
        return typeInfo->NamesExactlyTheKeys(names);
    const auto& keys = typeInfo->GetKeyProperties();
    if (keys.empty())
        return true;
    return std::all_of(names.begin(), names.end(), [&](const CString& name) {
        const auto sameName = [&name](const CString& other) { return other.CompareNoCase(name) == 0; };
        return std::count_if(names.begin(), names.end(), sameName) == 1 &&
               std::any_of(keys.begin(), keys.end(), [&](const auto& key) { return sameName(key.first); });
    });
}

}  // namespace

CWmipRequestEnvelope::CWmipRequestEnvelope(LPCWSTR operation, const CString& argument, IWbemServices* services,
                                           IWbemContext* context, IWbemObjectSink* sink,
                                           DBConnectionManager* connectionManager)
    : m_moduleState(&theApp), m_operation(operation), m_argument(argument),
      m_errorLinesBefore(CWMIDebugLog::ErrorLinesWritten()), m_services(services), m_context(context), m_reporter(sink),
      m_lease(connectionManager)
{
    CWMIDebugLog::LogInfo(kSourceName, __LINE__, CallText(m_operation, m_argument), nullptr, true);
}

CWmipRequestEnvelope::~CWmipRequestEnvelope() = default;

HRESULT CWmipRequestEnvelope::Run(const Work& work, FailureMapping mapping)
{
    HRESULT result = WBEM_E_FAILED;
    ComPtr<IWbemClassObject> statusObject;
    try
    {
        try
        {
            // A write that finds its caller's rights changed under its lock is answered anew, as
            // a request starting now: the mapper and the kept entry go, the next lookup renews it.
            result = CWmipWriteFrame::AnswerCallerRequest(work, [this] {
                m_lease.DeleteMapper();
                m_lease.EndRead();
                m_caller.Renew();
            });
        }
        catch (const CWMIException&)
        {
            throw;
        }
        catch (const CException& failure)
        {
            throw CWMIException(kSourceName, __LINE__, WBEM_E_FAILED, &failure);
        }
        catch (...)
        {
            throw CWMIException(kSourceName, __LINE__, WBEM_E_FAILED);
        }
    }
    catch (const CWMIException& failure)
    {
        result = failure.GetHResult();
        try
        {
            statusObject.Attach(failure.CreateExtendedStatus(m_services, m_context));
        }
        catch (...)
        {
            // Without a status object the failure is still reported by its HRESULT.
        }
        if (mapping != nullptr)
            result = mapping(result);
    }

    ReleaseResources();

    BstrOwner text;
    if (SUCCEEDED(result) && m_resultText.has_value())
        text = BstrOwner::Copy(m_resultText->GetString());
    m_reporter.Complete(result, text.Get(), statusObject.Get());
    statusObject.Reset();

    CWMIDebugLog::LogInfo(kSourceName, __LINE__, L"Leaving " + CallText(m_operation, m_argument), nullptr, true);
    return result;
}

HRESULT CWmipRequestEnvelope::AnswerEarly(HRESULT result)
{
    ReleaseResources();
    return m_reporter.Complete(result, nullptr, nullptr);
}

bool CWmipRequestEnvelope::WroteErrorLine() const
{
    return CWMIDebugLog::ErrorLinesWritten() != m_errorLinesBefore;
}

void CWmipRequestEnvelope::BeginRead()
{
    const CAcsUser* connection = m_lease.BeginRead();
    m_caller.CompareOn(connection != nullptr ? connection->GetDatabase() : nullptr);
}

bool CWmipRequestEnvelope::ParsePath(const wchar_t* text, KeyRule rule)
{
    m_path = CWmipObjectPath::CreateFromPath(text);
    if (m_path != nullptr && !FollowsKeyRule(*m_path, rule))
        m_path.reset();
    return m_path != nullptr;
}

bool CWmipRequestEnvelope::HasEmbeddedNul(const BSTR text)
{
    if (text == nullptr)
        return false;
    const std::wstring_view whole(text, SysStringLen(text));
    return whole.find(L'\0') != std::wstring_view::npos;
}

void CWmipRequestEnvelope::ReleaseResources()
{
    // A mapper's destructor may fail like any other code; what it held is gone either way,
    // and the request still reports once.
    try
    {
        m_lease.Close();
    }
    catch (...)
    {
    }
    m_query.reset();
    m_path.reset();
    m_caller.End();
}
