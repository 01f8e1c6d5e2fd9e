// The rules on a hardware message that more than one hardware event mapper or the processor
// apply. Free functions over the record; no state.
#pragma once

#include "hardware/BntMessage.h"

// Event types, subtypes and data types that choose a mapper or a filter.
enum HardwareEventType : LONGLONG
{
    kEventTypeAccessGranted = 0,
    kEventTypeAccessDenied = 1,
    kEventTypeDuress = 2,
    kEventTypeAccessOther = 3,
    kEventTypeSystem = 4,
    kEventTypeAccessSecondary = 5,
    kEventTypeSuppressed = 6,
    kEventTypeFire = 7,
    kEventTypeIntercom = 10,
    kEventTypeVideo = 11,
    kEventTypeTransmitter = 12,
};
constexpr LONGLONG kSubtypeFunctionExecution = 78;
constexpr LONGLONG kDataTypeStatusChange = 3;

// True for event messages (MessageType 0).
inline bool IsEventMessage(const bnt::utility::BntMessage& message)
{
    return message.Get(bnt::utility::BntMessage::MessageType) == bnt::utility::BntMessage::kEventMessage;
}

// Event types that only the other-security mapper exposes: 4, 5 and 19 to 30.
inline bool IsOtherSecurityType(LONGLONG eventType)
{
    return eventType == kEventTypeSystem || eventType == kEventTypeAccessSecondary ||
           (eventType >= 19 && eventType <= 30);
}
