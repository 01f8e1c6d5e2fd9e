#include "provider/CAlarmKey.h"

#include <tuple>

LONG CAlarmKey::MakeEventKey(LONG eventType, LONG eventSubtype)
{
    return static_cast<LONG>((static_cast<DWORD>(eventType) & 0xFFFF) |
                             ((static_cast<DWORD>(eventSubtype) & 0xFFFF) << 16));
}

bool operator<(const CAlarmKey& left, const CAlarmKey& right)
{
    return std::tie(left.m_eventKey, left.m_paramId, left.m_deviceKey, left.m_textId) <
           std::tie(right.m_eventKey, right.m_paramId, right.m_deviceKey, right.m_textId);
}

bool operator==(const CAlarmKey& left, const CAlarmKey& right)
{
    return std::tie(left.m_eventKey, left.m_paramId, left.m_deviceKey, left.m_textId) ==
           std::tie(right.m_eventKey, right.m_paramId, right.m_deviceKey, right.m_textId);
}

LONG CAlarmKeyMap::Lookup(const CAlarmKey& key) const
{
    const auto found = find(key);
    return found != end() ? found->second : 0;
}
