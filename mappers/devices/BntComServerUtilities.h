// BntComServerUtilities: what the device mappers ask of the installation's communication
// servers: event serial numbers, the log row (EVENTS) and the hand-over of an injected hardware
// event (to the communication server of this computer through its event door, ICommEventServer,
// which relays it to the event providers), and the communication servers of this computer that
// serve online panels.
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

    // Logs an injected event in the event log (EVENTS) under `serialNumber`, the panel's next one
    // drawn in the same transaction. Call inside a write's transaction, before the hand-over:
    // the row reserves the number under the write lock, so no other writer draws it while the
    // event waits for its commit and its hand-over, and the event is logged whatever happens to
    // the database after the server took it. Throws CDBException: 25000 with no transaction
    // open, and database failures (the caller's transaction then writes nothing).
    static void LogEvent(CBntDatabase& database, const bnt::utility::BntMessage& record, LONG serialNumber);
    // Hands an event logged by LogEvent, after that transaction's commit, to the communication
    // server of this computer through its event door. True when the server took it: nothing
    // touches the database after that. False (the reason logged) when the server cannot be
    // reached or refused it, or when a transaction is open on the thread (a server is never
    // asked under a write lock); its row is then taken back in a short transaction of its own,
    // so the event log shows no event that went nowhere (a row that cannot be taken back stays,
    // and the log names it).
    static bool SendLoggedEvent(CBntDatabase* database, const bnt::utility::BntMessage& record, LONG serialNumber);

    // The distinct hosts (TERMINALNA) of the online panels that are served by a communication
    // server of this computer ("localhost" or this computer's name, without regard to case),
    // logical sources excepted, in panel order. Database failures pass out as CDBException.
    static std::vector<CString> FindAllLocalCommServersForOnlinePanels(CBntDatabase* database);
};
