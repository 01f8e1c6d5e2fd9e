// CAlarmKey: the identity of one link from a hardware event to an alarm definition: the text,
// the event parameter, the event (type in the low 16 bits, subtype in the high 16 bits) and the
// device (an AcsDeviceKey: panel, device and input as 16-bit values from the low end upward). A text,
// parameter or device of 0 is a wildcard link for that field; only the search order of
// CEventAlarmLinkCache::FindAlarmID gives it that meaning.
//
// CAlarmKeyMap: the links, from key to alarm id. EventDevicePair_t: one link as the reverse
// index of the link cache records it.
//
// Plain values; the map is guarded by its owner.
#pragma once

#include <map>

#include "platform/win32/WinTypes.h"

class CAlarmKey
{
public:
    CAlarmKey() = default;
    CAlarmKey(LONG textId, LONG paramId, LONG eventKey, LONGLONG deviceKey)
        : m_textId(textId), m_paramId(paramId), m_eventKey(eventKey), m_deviceKey(deviceKey)
    {
    }
    virtual ~CAlarmKey() = default;
    CAlarmKey(const CAlarmKey&) = default;
    CAlarmKey& operator=(const CAlarmKey&) = default;

    // The event key of a type and subtype.
    static LONG MakeEventKey(LONG eventType, LONG eventSubtype);

    LONG GetTextID() const { return m_textId; }
    LONG GetParamID() const { return m_paramId; }
    LONG GetEventKey() const { return m_eventKey; }
    LONGLONG GetDeviceKey() const { return m_deviceKey; }

    // Event key, then parameter, then device key, then text.
    friend bool operator<(const CAlarmKey& left, const CAlarmKey& right);
    friend bool operator==(const CAlarmKey& left, const CAlarmKey& right);

private:
    LONG m_textId = 0;
    LONG m_paramId = 0;
    LONG m_eventKey = 0;
    LONGLONG m_deviceKey = 0;
};

class CAlarmKeyMap : public std::map<CAlarmKey, LONG>
{
public:
    virtual ~CAlarmKeyMap() = default;
    // The alarm id stored for exactly this key; 0 when absent.
    LONG Lookup(const CAlarmKey& key) const;
};

struct EventDevicePair_t
{
    LONG eventKey = 0;
    LONGLONG deviceKey = 0;
    LONG paramId = 0;
    LONG textId = 0;
};
