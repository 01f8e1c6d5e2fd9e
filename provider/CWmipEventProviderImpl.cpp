#include "provider/CWmipEventProviderImpl.h"

#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/win32/WinTypes.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipLSConnectThread.h"

using brontel::utility::CWMIDebugLog;

namespace {
constexpr wchar_t kEventProviderImplSource[] = L"wpEventProviderImpl";
}

CWmipEventProviderImpl::CWmipEventProviderImpl(IWmipEventProviderInfo* owner, const CString& providerId)
    : m_owner(owner), m_providerId(providerId), m_connectThread(CWmipApp::GetLSConnectThread())
{
    CWMIDebugLog::LogInfo(kEventProviderImplSource, __LINE__, L"Starting CWmipEventProviderImpl");
}

CWmipEventProviderImpl::~CWmipEventProviderImpl()
{
    if (m_connectThread != nullptr)
    {
        m_connectThread->Unregister(m_owner);
    }
}

HRESULT CWmipEventProviderImpl::NewQuery(ULONG queryId, LPCWSTR /*language*/, LPCWSTR query)
{
    const CString text(query != nullptr ? query : L"");
    CWMIDebugLog::LogInfo(kEventProviderImplSource, __LINE__, CString(L"NewQuery(") + text + L")");
    try
    {
        const CheckedMutexLock guard(m_lock);
        if (m_queries.empty() && m_connectThread != nullptr)
        {
            m_connectThread->Register(m_owner);
        }
        m_queries[queryId] = text;
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kEventProviderImplSource, __LINE__, L"", E_FAIL);
    }
    CWMIDebugLog::LogInfo(kEventProviderImplSource, __LINE__, CString(L"Leaving NewQuery(") + text + L")");
    return S_OK;
}

HRESULT CWmipEventProviderImpl::CancelQuery(ULONG queryId)
{
    CWMIDebugLog::LogInfo(kEventProviderImplSource, __LINE__, L"CancelQuery()");
    try
    {
        const CheckedMutexLock guard(m_lock);
        m_queries.erase(queryId);
        if (m_queries.empty() && m_connectThread != nullptr)
        {
            m_connectThread->Unregister(m_owner);
        }
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kEventProviderImplSource, __LINE__, L"", E_FAIL);
    }
    CWMIDebugLog::LogInfo(kEventProviderImplSource, __LINE__, L"Leaving CancelQuery()");
    return S_OK;
}

std::size_t CWmipEventProviderImpl::GetQueryCount() const
{
    const CheckedMutexLock guard(m_lock);
    return m_queries.size();
}
