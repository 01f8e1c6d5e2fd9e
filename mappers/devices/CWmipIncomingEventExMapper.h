// CWmipIncomingEventExMapper: the mapper of Bnt_IncomingEvent, which has no instances: outside
// software injects events through its static method "SendIncomingEvent" (for a logical source,
// device and sub-device, or for an access panel and reader) and acknowledges alarms through
// "AcknowledgeAlarm" on the communication server of the alarm's panel, or on each local
// communication server until one accepts. Neither method audits. Both serve only a caller that
// may access the segment of the panel they name (the logical source, the reader's panel, the
// alarm's panel); AcknowledgeAlarm also requires the caller's right to act on that panel.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include <vector>

#include "framework/CWmipMapperSkeleton.h"
#include "hardware/BntMessage.h"

class CWmipIncomingEventExMapper : public CWmipMapperSkeleton<CWmipIncomingEventExMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_IncomingEvent";

    // Event types and the access-denied subtype of the record.
    static constexpr LONG kAccessGranted = 0;
    static constexpr LONG kAccessDenied = 1;
    static constexpr LONG kOtherEvent = 30;
    static constexpr LONG kAccessDeniedSubtype = 65;

    CWmipIncomingEventExMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // "SendIncomingEvent" or "AcknowledgeAlarm" (without regard to case); 0x80041055 otherwise.
    HRESULT ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG flags, IWbemContext* context,
                          IWbemClassObject* inParams, IWbemObjectSink* sink) override;

    // Both methods decide in the write frame and ask the communication server only after its
    // commit (CWmipAfterCommit), so no write lock is held during the call. SendIncomingEvent
    // also logs the event in that frame, under a serial number no other writer can then draw.

    // S_OK whenever the communication server took the event, which is then logged once under
    // its own number; 0x80041008 for conflicting flags, an unknown source, device, sub-device,
    // panel or reader (a source or panel of a segment the caller cannot access is unknown to
    // it), an "ExtendedID" longer than the record's field or a "Time" that is not a date after
    // 1970 within 32-bit seconds; 0x80041001 for a missing "Source", an event log row that could
    // not be written (nothing is sent then), a hand-over the server did not take (its row is
    // taken back), or any failure. Nothing is sent or logged on a refusal.
    HRESULT SendIncomingEvent(IWbemClassObject* inParams, IWbemObjectSink* sink);
    // S_OK with "ReturnValue" 1 and the simultaneous-acknowledge status when a communication
    // server accepted, "ReturnValue" 0 when none did, and without asking any when the caller may
    // not access the panel's segment (a panel that does not exist is of none: only a caller of
    // every segment has it acknowledged); 0x80041008 when a numeric parameter is missing or
    // "AlarmTime" is no date after 1970; 0x80041003 when the caller may not act on a panel it
    // sees; 0x80041001 when the output cannot be delivered or anything else fails.
    HRESULT AcknowledgeAlarm(IWbemClassObject* inParams, IWbemObjectSink* sink);

private:
    // An event checked and logged in the frame, to hand over after its commit.
    struct HandOver
    {
        bnt::utility::BntMessage record;
        // The number its log row holds.
        LONG serialNumber = 0;
    };
    // An acknowledgement checked in the frame, to ask after its commit.
    struct Acknowledgement
    {
        LONG userId = 0;
        LONG currentAckStatus = 0;
        LONG serialNumber = 0;
        LONG panelId = 0;
        LONG alarmId = 0;
        LONG alarmTime = 0;
        LONG ackStatus = 0;
        CString notes;
        // The server to ask; empty: each of localHosts until one accepts.
        CString host;
        std::vector<CString> localHosts;
        bool noPanelHost = true;
        // A panel beyond the caller's segments, or one not there for a caller of some segments
        // only: nobody is asked and nothing is acknowledged.
        bool hidden = false;
    };

    // SendIncomingEvent's checks and log row in the frame, the record built into handOver: S_OK
    // to hand it over, otherwise the method's answer.
    HRESULT CheckIncomingEvent(IWbemClassObject* inParams, HandOver& handOver);
    // After the commit: the hand-over of the logged event (BntComServerUtilities).
    HRESULT HandOverEvent(const HandOver& handOver);
    // AcknowledgeAlarm's parameters, panel and rights in the frame: S_OK to ask, otherwise the
    // method's answer.
    HRESULT CheckAcknowledgement(IWbemClassObject* inParams, Acknowledgement& ack);
    // After the commit: the servers asked and the output answered.
    HRESULT Acknowledge(const Acknowledgement& ack, IWbemObjectSink* sink);

    // Fills the record's common fields from the parameters; false (with the log line) when a
    // value does not fit the record.
    bool FillRecord(IWbemClassObject* inParams, bool grant, bool deny, bnt::utility::BntMessage& record) const;

    // The user the mapper was built for; its connection hands the events over.
    const CAcsUser* const m_user;
};
