// BntComServerUtilities: what the device mappers ask of the installation's communication
// servers: event serial numbers, the hand-over of an injected hardware event (handed to the
// communication server of this computer through its event door, ICommEventServer, which relays
// it to the event providers, and then logged in the event log, EVENTS), and the communication
// servers of this computer that serve online panels.
//
// Stateless helpers over a caller's database; each call runs on the caller's thread.
#pragma once

#include <vector>

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CBntDatabase;

namespace bnt::utility {
class BntMessage;
}

class BntComServerUtilities
{
public:
    BntComServerUtilities() = delete;

    // The next serial number of the panel's events: one above the highest logged, 1 for the
    // first. Database failures pass out as CDBException; 0 without a database.
    static LONG GetEventSerialNumber(CBntDatabase* database, LONG panelId);

    // Hands over an event of a source that has no communication server of its own (a logical
    // source) and then logs it with the record's serial number, in a short transaction of its
    // own. Call with no transaction open on the thread: the server is never asked under a write
    // lock (refused otherwise, logged). True when the server took the event and its row was
    // written; false (the reason logged) when the server cannot be reached or refused it (no
    // EVENTS row then), or the row could not be written after the server took it (its serial
    // number taken meanwhile, a database failure).
    static bool LogAndSendControllerWithoutACommServerBasedEvent(CBntDatabase* database,
                                                                 const bnt::utility::BntMessage& record);
    // Hands over an event of an access panel and then logs it under the panel's next serial
    // number, drawn in the row's own transaction, as its communication server numbers it.
    // Results as above.
    static bool LogAndSendControllerBasedEvent(CBntDatabase* database, const bnt::utility::BntMessage& record);

    // The distinct hosts (TERMINALNA) of the online panels that are served by a communication
    // server of this computer ("localhost" or this computer's name, without regard to case),
    // logical sources excepted, in panel order. Database failures pass out as CDBException.
    static std::vector<CString> FindAllLocalCommServersForOnlinePanels(CBntDatabase* database);
};
