#include "provider/CWmipEventTableCache.h"

#include <utility>

#include "inhouse/BntAccessSets/CEventSet.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CException.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipPooledConnection.h"
#include "provider/CWmipStoredRows.h"

using brontel::utility::CWMIDebugLog;

namespace {
constexpr wchar_t kEventTableCacheSource[] = L"wpEventTableCache";
}

CWmipEventTableCache::CWmipEventTableCache()
{
    Load();
}

void CWmipEventTableCache::Load()
{
    m_table.clear();
    const CWmipPooledConnection connection(CWmipApp::GetConnectionManager());
    if (connection.GetDatabase() == nullptr)
    {
        return;
    }
    try
    {
        CEventSet events(connection.GetDatabase());
        events.OpenForwardOnly();
        CWmipStoredRows::ForEach(events, L"EVENT", {L"EVENTID"}, [&] {
            const EventTableKey key{static_cast<SHORT>(events.GetEventType()),
                                    static_cast<SHORT>(events.GetEventSubtype())};
            EventTableEntry entry{events.GetDescription(), static_cast<SHORT>(events.GetEventID())};
            m_table[key] = std::move(entry);
        });
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kEventTableCacheSource, __LINE__, L"Error loading event table cache", E_FAIL, &e);
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kEventTableCacheSource, __LINE__, L"Unspecified error loading event table cache",
                               E_FAIL);
    }
}

CString CWmipEventTableCache::GetDescription(SHORT eventType, SHORT eventSubtype) const
{
    const auto found = m_table.find(EventTableKey{eventType, eventSubtype});
    return found != m_table.end() ? found->second.description : CString();
}

LONG CWmipEventTableCache::GetEventID(SHORT eventType, SHORT eventSubtype) const
{
    const auto found = m_table.find(EventTableKey{eventType, eventSubtype});
    return found != m_table.end() ? found->second.eventId : -1;
}
