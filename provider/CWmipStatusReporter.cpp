#include "provider/CWmipStatusReporter.h"

#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemObjectSink.h"

CWmipStatusReporter::CWmipStatusReporter(IWbemObjectSink* sink) : m_sink(sink) {}

CWmipStatusReporter::~CWmipStatusReporter()
{
    if (m_reported)
        return;
    // A destructor must not throw: a sink that fails here has nothing left to tell anyway.
    try
    {
        Complete(WBEM_E_FAILED, nullptr, nullptr);
    }
    catch (...)
    {
    }
}

HRESULT CWmipStatusReporter::Complete(HRESULT result, BSTR text, IWbemClassObject* statusObject)
{
    if (m_reported)
        return result;
    m_reported = true;
    if (m_sink != nullptr)
        m_sink->SetStatus(WBEM_STATUS_COMPLETE, result, text, statusObject);
    return result;
}

void CWmipStatusReporter::Progress()
{
    if (m_sink != nullptr)
        m_sink->SetStatus(WBEM_STATUS_PROGRESS, WBEM_S_NO_ERROR, nullptr, nullptr);
}
