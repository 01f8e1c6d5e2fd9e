// LAcsAlarm: one alarm definition as the event-to-alarm link cache keeps it: identity,
// priority, notification flags, audio and instruction links, passwords and acknowledge rules.
//
// Owned by the link cache (or whoever builds one). Thread-safe: every accessor takes the
// object's own lock for one read or write; string getters return copies.
#pragma once

#include <mutex>

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

    LONG GetID() const { return Read(m_id); }
    void SetID(LONG value) { Write(m_id, value); }
    CString GetName() const { return Read(m_name); }
    void SetName(const CString& value) { Write(m_name, value); }
    SHORT GetPriority() const { return Read(m_priority); }
    void SetPriority(SHORT value) { Write(m_priority, value); }
    WORD GetNotifType() const { return Read(m_notifType); }
    void SetNotifType(WORD value) { Write(m_notifType, value); }
    LONG GetAudioNotifID() const { return Read(m_audioNotifId); }
    void SetAudioNotifID(LONG value) { Write(m_audioNotifId, value); }
    LONG GetAudioRepeatInterval() const { return Read(m_audioRepeatInterval); }
    void SetAudioRepeatInterval(LONG value) { Write(m_audioRepeatInterval, value); }
    LONG GetTextInstrID() const { return Read(m_textInstrId); }
    void SetTextInstrID(LONG value) { Write(m_textInstrId, value); }
    LONG GetAudioInstrID() const { return Read(m_audioInstrId); }
    void SetAudioInstrID(LONG value) { Write(m_audioInstrId, value); }
    LONG GetCCTVControlID() const { return Read(m_cctvControlId); }
    void SetCCTVControlID(LONG value) { Write(m_cctvControlId, value); }
    CString GetViewPassword() const { return Read(m_viewPassword); }
    void SetViewPassword(const CString& value) { Write(m_viewPassword, value); }
    CString GetAckPassword() const { return Read(m_ackPassword); }
    void SetAckPassword(const CString& value) { Write(m_ackPassword, value); }
    LONG GetAckActionTimeLimit() const { return Read(m_ackActionTimeLimit); }
    void SetAckActionTimeLimit(LONG value) { Write(m_ackActionTimeLimit, value); }
    // The two acknowledge-failure fields take the lock like every other field: they are read
    // on request threads while a reload may write them.
    LONG GetAckFailureTimeout() const { return Read(m_ackFailureTimeout); }
    void SetAckFailureTimeout(LONG value) { Write(m_ackFailureTimeout, value); }
    LONG GetAckFailureAction() const { return Read(m_ackFailureAction); }
    void SetAckFailureAction(LONG value) { Write(m_ackFailureAction, value); }

    // The text an operator sees for the alarm with an event text: the name when the text is
    // empty; else by the display mode of NotifType: name only, "name - text", "text - name",
    // or the text alone.
    CString GetDisplayText(const CString& text) const;

private:
    template <typename T>
    T Read(const T& field) const
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        return field;
    }
    template <typename T>
    void Write(T& field, const T& value)
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        field = value;
    }

    mutable std::mutex m_lock;
    // Guarded by m_lock.
    LONG m_id = 0;
    CString m_name;
    SHORT m_priority = 0;
    WORD m_notifType = 0;
    LONG m_audioNotifId = 0;
    LONG m_audioRepeatInterval = 0;
    LONG m_textInstrId = 0;
    LONG m_audioInstrId = 0;
    LONG m_cctvControlId = 0;
    CString m_viewPassword;
    CString m_ackPassword;
    LONG m_ackActionTimeLimit = 0;
    LONG m_ackFailureTimeout = 0;
    LONG m_ackFailureAction = 0;
};
