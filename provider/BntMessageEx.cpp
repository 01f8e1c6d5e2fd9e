#include "provider/BntMessageEx.h"

namespace bnt::utility {

BntMessageEx::BntMessageEx(std::span<const BYTE, kRecordSize> record, const CString& text, const CString& hostName,
                           LONG alarmId)
    : BntMessage(record, text), m_hostName(hostName), m_alarmId(alarmId)
{
}

}  // namespace bnt::utility
