// CStoredStamps: the installation's two stamps (db/schema.sql, RIGHTS_STAMP: row 1 the rights
// stamp, row 2 the list stamp) as one statement reads them, and the list stamp of the door's
// request running on this thread.
//
// A door's request reads both rows once (RequestScope): the check of its caller, or its login,
// reads them in one statement, and the list stamp it found is the one the request's class
// definitions are served under (CDefinitionStamps::Read answers it without a read of its own) and
// the one its write frame compares under the write lock. Stamps fail closed: a missing row counts
// as changed.
//
// A value. The static functions stand alone and are as thread-safe as the database they read; the
// request's list stamp is the calling thread's own.
#pragma once

#include "platform/win32/WinTypes.h"

#include <optional>

class CBntDatabase;

struct CStoredStamps
{
    // Each empty when its row is missing.
    std::optional<LONGLONG> rights;
    std::optional<LONGLONG> lists;

    // Both rows of the database in one keyed read. Throws CDBException.
    static CStoredStamps Read(CBntDatabase& database);

    // Whether these stamps show the rights as they were when `kept` was read (at a login): false
    // when either is missing, and when the list stamp is missing, so that the login that follows
    // puts the row back.
    bool RightsStandAt(std::optional<LONGLONG> kept) const;

    // One request of a door on this thread, from its caller's look-up to its last write; a scope
    // opened inside another is part of that one. The request's first read of the stamps
    // (NoteForRequest: the check of its caller, its login, or else the first definition it asks
    // for) fixes its list stamp. Lives on the request's stack.
    class RequestScope
    {
    public:
        RequestScope();
        ~RequestScope();
        RequestScope(const RequestScope&) = delete;
        RequestScope& operator=(const RequestScope&) = delete;

    private:
        // Whether this scope opened the thread's request (false: it is part of an outer one).
        const bool m_opened;
    };

    // Fixes the list stamp of the thread's request to `lists` (a missing row included), unless it
    // was fixed already or no request is open.
    static void NoteForRequest(std::optional<LONGLONG> lists);
    // True, with the list stamp the thread's request was fixed to in `lists` (empty: its row was
    // missing then), once it was fixed; false outside a request and before its first read.
    static bool ListsOfRequest(std::optional<LONGLONG>& lists);
    // Whether `lists`, read now, is the list stamp the thread's request was fixed to: false outside
    // a request, before it was fixed, and when either is missing.
    static bool ListsStandForRequest(std::optional<LONGLONG> lists);
};
