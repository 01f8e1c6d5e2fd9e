// bnt::utility::BntMessageEx: a hardware event record as the hardware event queue holds it:
// the record with its text, the communication server's host name and the alarm identifier.
//
// A plain value type (copies are independent); not shared between threads.
#pragma once

#include "hardware/BntMessage.h"

namespace bnt::utility {

class BntMessageEx : public BntMessage
{
public:
    // A default record, empty host name, alarm identifier 0.
    BntMessageEx() = default;
    // The record as it is (Size included) with its text, host name and alarm identifier
    // (0: no alarm).
    BntMessageEx(std::span<const BYTE, kRecordSize> record, const CString& text, const CString& hostName, LONG alarmId);

    const CString& GetHostName() const { return m_hostName; }
    LONG GetAlarmID() const { return m_alarmId; }

private:
    CString m_hostName;
    LONG m_alarmId = 0;
};

}  // namespace bnt::utility
