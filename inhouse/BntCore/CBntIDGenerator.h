// Draws new record identifiers from the installation's ID generator (table NEXTID: one
// counter per ID type), for a logged-in user's database or a database given directly.
//
// A small per-call object; it does not own the user or the database. Thread-safe to the
// extent of its database: every identifier is taken by one atomic statement, so callers on
// any threads and connections never receive the same identifier of a type.
#pragma once

#include "platform/win32/WinTypes.h"

class CAcsUser;
class CBntDatabase;

class CBntIDGenerator {
public:
    // Uses the user's database (none when the user is null or logged out).
    explicit CBntIDGenerator(const CAcsUser* user);
    explicit CBntIDGenerator(CBntDatabase* database);

    // The next identifier of the ID type (the first one of a type is 1). The second argument
    // names the database of the original library's multi-database set-up, -1 being the
    // user's own; there is one database here. 0 when there is no database, the generator
    // fails, or the counter has passed the 32-bit range (all logged to the provider's log).
    LONG GetNextID(LONG idType, LONG = -1) const;

private:
    CBntDatabase* m_database;
};
