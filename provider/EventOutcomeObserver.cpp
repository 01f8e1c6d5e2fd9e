#include "provider/EventOutcomeObserver.h"

void EventOutcomeObserver::Set(Function function)
{
    const CheckedMutexLock guard(m_lock);
    m_function = std::move(function);
}

EventOutcomeObserver::Report::~Report()
{
    const CheckedMutexLock guard(m_observer.m_lock);
    if (m_observer.m_function)
        m_observer.m_function(m_eventId, m_indicated);
}
