#include "provider/CWmipEventSubscriber.h"
#include "framework/CWmipMessages.h"

#include <span>

#include "common/AccessCodes.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CException.h"
#include "platform/security/Sid.h"
#include "platform/wmi/WbemErrorInfo.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipCallerAccess.h"
#include "provider/CWmipUserCache.h"
#include "provider/CWmipUserCacheEntry.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {
constexpr int kSegmentViewAccess = 0;

HRESULT TakeUserEntry(CWmipUserCache& cache, LONG sidLength, const BYTE* sid, CWmipUserCacheEntry** entry)
{
    if (sid == nullptr || sidLength <= 0)
        return cache.GetUser(entry);
    const std::span<const BYTE> bytes(sid, static_cast<std::size_t>(sidLength));
    const auto length = SidCodec::Length(bytes);
    const auto text = SidCodec::ToText(bytes);
    if (!length || *length != bytes.size() || !text)
        return WBEM_E_ACCESS_DENIED;
    return cache.GetUserFromSID(entry, CString(*text));
}

// Leaves the reason of a refused subscription on the calling thread, where the service takes
// it for the caller's refusal. An access denial is left without one: what the check requires
// is known to the caller's side.
void LeaveReason(const wchar_t* source, int line, HRESULT hr, const CString& reason)
{
    if (hr == WBEM_E_ACCESS_DENIED)
        return;
    const CWMIException refusal(source, line, hr, reason);
    ComPtr<IWbemClassObject> status;
    status.Attach(refusal.CreateExtendedStatus(nullptr, nullptr));
    WbemErrorInfo::Set(status.Get());
}

}  // namespace

CWmipEventSubscriber::CWmipEventSubscriber(LONG sidLength, const BYTE* sid)
    : m_cache(CWmipApp::GetUserCache()), m_result(WBEM_E_FAILED)
{
    if (m_cache != nullptr)
        m_result = TakeUserEntry(*m_cache, sidLength, sid, &m_entry);
    if (SUCCEEDED(m_result) && (m_entry == nullptr || m_entry->GetUser() == nullptr))
        m_result = WBEM_E_FAILED;
}

CWmipEventSubscriber::~CWmipEventSubscriber()
{
    if (m_entry != nullptr)
        m_cache->ReleaseUser(m_entry);
}

HRESULT CWmipEventSubscriber::Check(const wchar_t* source) const
{
    if (FAILED(m_result))
    {
        const CString reason = CWmipCallerAccess::UnresolvedCallerText(m_result);
        CWMIDebugLog::LogError(source, __LINE__, reason, m_result);
        LeaveReason(source, __LINE__, m_result, reason);
        return m_result;
    }
    if (!m_entry->GetUser()->HasPermission(Permission::kUseProvider))
    {
        CWMIDebugLog::LogError(source, __LINE__, CWmipMessages::kNoProviderPermission, WBEM_E_ACCESS_DENIED);
        return WBEM_E_ACCESS_DENIED;
    }
    return S_OK;
}

HRESULT CWmipEventSubscriber::RunQueryCheck(const wchar_t* source, const wchar_t* kind,
                                            const std::function<HRESULT()>& check)
{
    try
    {
        return check();
    }
    catch (const CWMIException& e)
    {
        // A text the exception carries is its reason; one without a text is logged, and the
        // reason sends the caller to the log.
        CString reason = e.GetText();
        if (reason.IsEmpty())
        {
            CWMIDebugLog::LogError(source, __LINE__, e.GetMessage(), e.GetHResult());
            reason = CWmipMessages::ForResult(e.GetHResult(), true);
        }
        LeaveReason(source, __LINE__, e.GetHResult(), reason);
        return e.GetHResult();
    }
    catch (const CException& e)
    {
        const CString text = CString(L"Error processing ") + kind + L" event query";
        CWMIDebugLog::LogError(source, __LINE__, text, E_FAIL, &e);
        // The exception's own message says why, as the log line does.
        const CWMIException failure(source, __LINE__, WBEM_E_FAILED, &e);
        LeaveReason(source, __LINE__, WBEM_E_FAILED, text + L": " + failure.GetInnerMessage());
    }
    catch (...)
    {
        CWMIDebugLog::LogError(source, __LINE__, CString(L"Unspecified error processing ") + kind + L" event query",
                               E_FAIL);
        LeaveReason(source, __LINE__, WBEM_E_FAILED, CWmipMessages::kFailed);
    }
    return WBEM_E_FAILED;
}

const CAcsUser* CWmipEventSubscriber::GetUser() const
{
    return SUCCEEDED(m_result) ? m_entry->GetUser() : nullptr;
}

bool CWmipEventSubscriber::MaySeeSegment(const CAcsUser& user, LONG segmentId)
{
    return user.HasSegmentAccess(segmentId, kSegmentViewAccess);
}
