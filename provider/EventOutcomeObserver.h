// EventOutcomeObserver: the hook of an event processor for the one who hands it records and
// wants to know what became of each: told on the processor's thread, once per record, the
// record's id (a software event's id, a hardware record's serial number), whether its event
// was indicated (false: dropped) and whether an error line (the reason it was dropped) was
// written to the provider log while it was processed. Any thread may set or clear the function.
// The processor makes a Report for each record it takes, so every road out of the record's
// processing tells the function.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/win32/ThreadSafety.h"
#include "platform/win32/WinTypes.h"

class EventOutcomeObserver
{
public:
    using Function = std::function<void(LONG eventId, bool indicated, bool errorLogged)>;

    // Sets the function; an empty one clears it.
    void Set(Function function);

    // One record's outcome, told when the Report ends: dropped unless Indicated was called.
    class Report
    {
    public:
        Report(EventOutcomeObserver& observer, LONG eventId);
        ~Report();
        Report(const Report&) = delete;
        Report& operator=(const Report&) = delete;

        void Indicated() { m_indicated = true; }

    private:
        EventOutcomeObserver& m_observer;
        const LONG m_eventId;
        // The thread's count of error lines written when the record was taken.
        const std::uint64_t m_errorLinesBefore;
        bool m_indicated = false;
    };

private:
    CheckedMutex m_lock;
    Function m_function GUARDED_BY(m_lock);
};
