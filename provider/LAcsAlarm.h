// LAcsAlarm: one alarm definition as the event-to-alarm link cache keeps it: identity,
// priority, notification flags, audio and instruction links, passwords and acknowledge rules.
//
// Owned by the link cache (or whoever builds one). Thread-safe: every accessor takes the
// object's own lock for one read or write; string getters return copies.
#pragma once

#include <mutex>

#include "platform/win32/ThreadSafety.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class LAcsAlarm
{
public:
    // NotifType bits the system reads.
    static constexpr WORD kMustAcknowledge = 0x0008;
    static constexpr WORD kActive = 0x0080;
    static constexpr WORD kDisplayModeMask = 0x3000;
    static constexpr WORD kDisplayNameOnly = 0x1000;
    static constexpr WORD kDisplayNameThenText = 0x2000;
    static constexpr WORD kDisplayTextThenName = 0x3000;

    LAcsAlarm() = default;
    virtual ~LAcsAlarm() = default;
    LAcsAlarm(const LAcsAlarm&) = delete;
    LAcsAlarm& operator=(const LAcsAlarm&) = delete;

    LONG GetID() const { return Read(&LAcsAlarm::m_id); }
    void SetID(LONG value) { Write(&LAcsAlarm::m_id, value); }
    CString GetName() const { return Read(&LAcsAlarm::m_name); }
    void SetName(const CString& value) { Write(&LAcsAlarm::m_name, value); }
    SHORT GetPriority() const { return Read(&LAcsAlarm::m_priority); }
    void SetPriority(SHORT value) { Write(&LAcsAlarm::m_priority, value); }
    WORD GetNotifType() const { return Read(&LAcsAlarm::m_notifType); }
    void SetNotifType(WORD value) { Write(&LAcsAlarm::m_notifType, value); }
    LONG GetAudioNotifID() const { return Read(&LAcsAlarm::m_audioNotifId); }
    void SetAudioNotifID(LONG value) { Write(&LAcsAlarm::m_audioNotifId, value); }
    LONG GetAudioRepeatInterval() const { return Read(&LAcsAlarm::m_audioRepeatInterval); }
    void SetAudioRepeatInterval(LONG value) { Write(&LAcsAlarm::m_audioRepeatInterval, value); }
    LONG GetTextInstrID() const { return Read(&LAcsAlarm::m_textInstrId); }
    void SetTextInstrID(LONG value) { Write(&LAcsAlarm::m_textInstrId, value); }
    LONG GetAudioInstrID() const { return Read(&LAcsAlarm::m_audioInstrId); }
    void SetAudioInstrID(LONG value) { Write(&LAcsAlarm::m_audioInstrId, value); }
    LONG GetCCTVControlID() const { return Read(&LAcsAlarm::m_cctvControlId); }
    void SetCCTVControlID(LONG value) { Write(&LAcsAlarm::m_cctvControlId, value); }
    CString GetViewPassword() const { return Read(&LAcsAlarm::m_viewPassword); }
    void SetViewPassword(const CString& value) { Write(&LAcsAlarm::m_viewPassword, value); }
    CString GetAckPassword() const { return Read(&LAcsAlarm::m_ackPassword); }
    void SetAckPassword(const CString& value) { Write(&LAcsAlarm::m_ackPassword, value); }
    LONG GetAckActionTimeLimit() const { return Read(&LAcsAlarm::m_ackActionTimeLimit); }
    void SetAckActionTimeLimit(LONG value) { Write(&LAcsAlarm::m_ackActionTimeLimit, value); }
    // The two acknowledge-failure fields take the lock like every other field: they are read
    // on request threads while a reload may write them.
    LONG GetAckFailureTimeout() const { return Read(&LAcsAlarm::m_ackFailureTimeout); }
    void SetAckFailureTimeout(LONG value) { Write(&LAcsAlarm::m_ackFailureTimeout, value); }
    LONG GetAckFailureAction() const { return Read(&LAcsAlarm::m_ackFailureAction); }
    void SetAckFailureAction(LONG value) { Write(&LAcsAlarm::m_ackFailureAction, value); }

    // The text an operator sees for the alarm with an event text: the name when the text is
    // empty; else by the display mode of NotifType: name only, "name - text", "text - name",
    // or the text alone.
    CString GetDisplayText(const CString& text) const;

private:
    // The field is named by its member pointer, so that it is only reached under the lock.
    template <typename T>
    T Read(T LAcsAlarm::*field) const
    {
        const CheckedMutexLock guard(m_lock);
        return this->*field;
    }
    template <typename T>
    void Write(T LAcsAlarm::*field, const T& value)
    {
        const CheckedMutexLock guard(m_lock);
        this->*field = value;
    }

    mutable CheckedMutex m_lock;
    LONG m_id GUARDED_BY(m_lock) = 0;
    CString m_name GUARDED_BY(m_lock);
    SHORT m_priority GUARDED_BY(m_lock) = 0;
    WORD m_notifType GUARDED_BY(m_lock) = 0;
    LONG m_audioNotifId GUARDED_BY(m_lock) = 0;
    LONG m_audioRepeatInterval GUARDED_BY(m_lock) = 0;
    LONG m_textInstrId GUARDED_BY(m_lock) = 0;
    LONG m_audioInstrId GUARDED_BY(m_lock) = 0;
    LONG m_cctvControlId GUARDED_BY(m_lock) = 0;
    CString m_viewPassword GUARDED_BY(m_lock);
    CString m_ackPassword GUARDED_BY(m_lock);
    LONG m_ackActionTimeLimit GUARDED_BY(m_lock) = 0;
    LONG m_ackFailureTimeout GUARDED_BY(m_lock) = 0;
    LONG m_ackFailureAction GUARDED_BY(m_lock) = 0;
};
