// CWmipEventTableCache: the definition of every hardware event in memory: per event type and
// subtype, the event's identifier and description, read once from the database when the cache
// is built.
//
// Owned by a security event mapper. No lock: it is filled in the constructor, before any other
// thread can reach it, and only read afterwards.
#pragma once

#include <compare>
#include <map>

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

// Event type, then subtype, both compared as signed 16-bit values.
struct EventTableKey
{
    SHORT eventType = 0;
    SHORT eventSubtype = 0;
    auto operator<=>(const EventTableKey&) const = default;
};

struct EventTableEntry
{
    CString description;
    LONG eventId = -1;
};

class CWmipEventTableCache
{
public:
    // An empty table, then Load.
    CWmipEventTableCache();
    virtual ~CWmipEventTableCache() = default;
    CWmipEventTableCache(const CWmipEventTableCache&) = delete;
    CWmipEventTableCache& operator=(const CWmipEventTableCache&) = delete;

    // Empties the table and fills it from the event definitions of the database (a later row
    // for the same key wins). A row whose values cannot be read is passed over with a log line
    // naming it, so only its event is unknown. Without a connection the table stays empty and
    // nothing is logged; another failure is logged and keeps the rows read before it.
    void Load();

    // The stored description; empty for an unknown key.
    CString GetDescription(SHORT eventType, SHORT eventSubtype) const;
    // The stored identifier; -1 for an unknown key.
    LONG GetEventID(SHORT eventType, SHORT eventSubtype) const;

private:
    std::map<EventTableKey, EventTableEntry> m_table;
};
