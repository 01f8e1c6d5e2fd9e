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
        CWMIDebugLog::LogError(source, __LINE__, CWmipCallerAccess::UnresolvedCallerText(m_result), m_result);
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
        return e.GetHResult();
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(source, __LINE__, CString(L"Error processing ") + kind + L" event query", E_FAIL, &e);
    }
    catch (...)
    {
        CWMIDebugLog::LogError(source, __LINE__, CString(L"Unspecified error processing ") + kind + L" event query",
                               E_FAIL);
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
