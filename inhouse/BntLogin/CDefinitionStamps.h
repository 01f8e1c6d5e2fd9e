// CDefinitionStamps: what a kept class definition was made under, as one value that the class
// cache and a type's published definition compare before serving it again: the process's database
// generation (moved on when a lost connection is dropped), the caller's rights stamp (row 1 of
// RIGHTS_STAMP as read at its login, CAcsUser::GetRightsStamp; 0 for a definition made for the
// system, which reads no caller's rights) and the list stamp (row 2 of RIGHTS_STAMP, set anew in
// the write's own transaction by every write of a table or an option a definition is built or
// shaped from: db/schema.sql names them); for a definition that stands on its lists' triggers,
// also the database's schema cookie (ReadSchema).
//
// A value; the static functions stand alone and are as thread-safe as the database they read.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

#include <optional>

class CAcsUser;
class CBntDatabase;

struct CDefinitionStamps
{
    long generation = 0;
    LONGLONG rights = 0;
    LONGLONG lists = 0;
    // 0 where the definition does not stand on triggers.
    LONGLONG schema = 0;
    bool operator==(const CDefinitionStamps&) const = default;

    // The stamps of a definition made now from user's database for a caller of the given rights
    // stamp (0 for the system). The generation is read before the list stamp, so that rows read
    // after a connection was dropped in between never stand under the newer generation. Empty, so
    // that nothing made now is kept, when rights is empty, user is null or logged out, or the list
    // stamp is missing or cannot be read (the failure is swallowed: the build that follows reads
    // the same database and reports its own). Inside a door's request whose list stamp is fixed
    // already (CStoredStamps::RequestScope) that stamp is taken without a read; otherwise the one
    // read here fixes it.
    static std::optional<CDefinitionStamps> Read(const CAcsUser* user, std::optional<LONGLONG> rights);
    // The schema cookie of user's database (SQLite's schema_version), moved by every change of a
    // table, index or trigger: a definition kept because its lists' triggers set the list stamp
    // stands on it. Empty when user is null or logged out, or the cookie cannot be read (the
    // failure is swallowed, as in Read). One read, of a statement the connection keeps.
    static std::optional<LONGLONG> ReadSchema(const CAcsUser* user);
    // Whether every write of the table sets the list stamp: it carries the insert, update and delete
    // triggers db/schema.sql gives the lists it creates (TABLE_I_LISTS, TABLE_U_LISTS and
    // TABLE_D_LISTS, setting row 2). A list table an installation adds has none unless the
    // installation gives it them, and a definition read from it must not be kept. False also when
    // the schema cannot be read. One read of the schema.
    static bool SetsListStamp(CBntDatabase& database, const CString& table);

    // The process's database generation: 0 at start, moved on by NewDatabaseGeneration.
    static long GetDatabaseGeneration();
    // Moves the generation on after a lost connection was dropped: no definition read before
    // serves again.
    static void NewDatabaseGeneration();
};
