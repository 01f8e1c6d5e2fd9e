#include "provider/EventOutcomeObserver.h"

#include "inhouse/BntUtility/CWMIDebugLog.h"

using brontel::utility::CWMIDebugLog;

void EventOutcomeObserver::Set(Function function)
{
    const CheckedMutexLock guard(m_lock);
    m_function = std::move(function);
}

EventOutcomeObserver::Report::Report(EventOutcomeObserver& observer, LONG eventId)
    : m_observer(observer), m_eventId(eventId), m_errorLinesBefore(CWMIDebugLog::ErrorLinesWritten())
{
}

EventOutcomeObserver::Report::~Report()
{
    const bool errorLogged = CWMIDebugLog::ErrorLinesWritten() != m_errorLinesBefore;
    const CheckedMutexLock guard(m_observer.m_lock);
    if (m_observer.m_function)
        m_observer.m_function(m_eventId, m_indicated, errorLogged);
}
