// Draws new record identifiers from the installation's ID generator (table NEXTID: one
// counter per ID type), for a logged-in user's database or a database given directly.
//
// A small per-call object; it does not own the user or the database. Thread-safe to the
// extent of its database: every identifier is taken by one atomic statement, so callers on
// any threads and connections never receive the same identifier of a type.
#pragma once

#include "platform/win32/WinTypes.h"

class CAcsUser;
class CBadgeIDConfig;
class CBntDatabase;

class CBntIDGenerator
{
public:
    // Uses the user's database (none when the user is null or logged out).
    explicit CBntIDGenerator(const CAcsUser* user);
    explicit CBntIDGenerator(CBntDatabase* database);

    // The next identifier of the ID type (the first one of a type is 1). The second argument
    // names the database of the original library's multi-database set-up, -1 being the
    // user's own; there is one database here. 0 when there is no database, the generator
    // fails, or the counter has passed the 32-bit range (all logged to the provider's log).
    LONG GetNextID(LONG idType, LONG = -1) const;

    // True when the badge ID may be used by a badge of the type: it lies in one of the type's
    // badge ID ranges (any ID when the type has none). config null: the type's
    // ranges are read here. False when the ranges cannot be read.
    bool IsValidBadgeID(LONGLONG badgeId, LONG badgeTypeId, const CBadgeIDConfig* config) const;
    // The next badge ID of the ranges that no badge carries yet: drawn from the ranges in
    // order, each draw one atomic statement (so concurrent callers never receive the same
    // ID); without ranges from the badge ID counter (ID type 1). The last argument names the
    // original library's database set (-1 the user's own). -1 when the ranges are used up,
    // the database fails or there is none (logged).
    LONGLONG GetNextBadgeID(const CBadgeIDConfig& ranges, LONG = -1) const;

private:
    CBntDatabase* m_database;
};
