#include "provider/CWmipEventProvider.h"

#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/ModuleState.h"
#include "platform/wmi/IWbemObjectSink.h"
#include "platform/wmi/IWbemServices.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipEventAudience.h"
#include "provider/CWmipEventProviderImpl.h"

using brontel::utility::CWMIDebugLog;

CWmipEventProvider::CWmipEventProvider(const CString& providerId, EventProviderType type, const wchar_t* source,
                                       const wchar_t* name)
    : m_providerId(providerId), m_type(type), m_source(source), m_name(name),
      m_audience(std::make_shared<CWmipEventAudience>())
{
    AFX_MANAGE_STATE(&theApp);
    m_queries = std::make_unique<CWmipEventProviderImpl>(this, providerId);
}

CWmipEventProvider::~CWmipEventProvider()
{
    Release();
}

void CWmipEventProvider::Release()
{
    AFX_MANAGE_STATE(&theApp);
    m_queries.reset();
    const CheckedMutexLock guard(m_lock);
    m_sink = nullptr;
    m_services = nullptr;
}

CString CWmipEventProvider::GetEventProviderID()
{
    return m_providerId;
}

IWmipEventProviderInfo::EventProviderType CWmipEventProvider::GetEventProviderType()
{
    return m_type;
}

HRESULT CWmipEventProvider::ProvideEvents(IWbemObjectSink* sink, LONG /*flags*/)
{
    AFX_MANAGE_STATE(&theApp);
    const CheckedMutexLock guard(m_lock);
    if (m_sink != nullptr)
    {
        return S_OK;
    }
    if (!HasProcessor())
    {
        return WBEM_E_FAILED;
    }
    CWMIDebugLog::LogInfo(m_source, __LINE__, m_name + L" event provider preparing to provide events...");
    if (!StartProcessor(sink))
    {
        CString name(m_name);
        name.MakeLower();
        CWMIDebugLog::LogError(m_source, __LINE__, L"Unable to start the " + name + L" event processor thread",
                               WBEM_E_FAILED);
        return WBEM_E_FAILED;
    }
    m_sink = ComPtr<IWbemObjectSink>(sink);
    CWMIDebugLog::LogInfo(m_source, __LINE__, m_name + L" event provider successfully prepared to provide events.");
    return S_OK;
}

HRESULT CWmipEventProvider::NewQuery(ULONG queryId, LPWSTR language, LPWSTR query)
{
    AFX_MANAGE_STATE(&theApp);
    m_audience->Add(queryId);
    return m_queries->NewQuery(queryId, language, query);
}

HRESULT CWmipEventProvider::CancelQuery(ULONG queryId)
{
    AFX_MANAGE_STATE(&theApp);
    m_audience->Remove(queryId);
    return m_queries->CancelQuery(queryId);
}
