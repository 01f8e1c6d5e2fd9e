// LAcsEventParam: one event parameter as the event-to-alarm link cache keeps it: identifier,
// value and description.
//
// Owned by the link cache. Thread-safe: every accessor takes the object's own lock; the
// description getter returns a copy.
#pragma once

#include <mutex>

#include "platform/win32/ThreadSafety.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class LAcsEventParam
{
public:
    LAcsEventParam() = default;
    virtual ~LAcsEventParam() = default;
    LAcsEventParam(const LAcsEventParam&) = delete;
    LAcsEventParam& operator=(const LAcsEventParam&) = delete;

    CString GetDescription() const;
    void SetDescription(const CString& value);
    LONG GetValue() const;
    void SetValue(LONG value);
    LONG GetID() const;
    void SetID(LONG value);

private:
    mutable CheckedMutex m_lock;
    CString m_description GUARDED_BY(m_lock);
    LONG m_value GUARDED_BY(m_lock) = 0;
    LONG m_id GUARDED_BY(m_lock) = 0;
};
