// CBntAcsDBMgrCardholder: the cardholder database manager's badge access calls: whether a badge
// type is disposable, the access levels of a badge, and the assignment of further levels to a
// badge. Works on the connection of the user it is given (inside that connection's open
// transaction, when there is one).
//
// A per-call object that does not own the user; one thread at a time.
#pragma once

#include "platform/win32/WinTypes.h"

class CAcsUser;
class CBntAssignedAcLvlList;
class CBntBadgeKey;
class CPerson;

class CBntAcsDBMgrCardholder {
public:
    explicit CBntAcsDBMgrCardholder(const CAcsUser* user) : m_user(user) {}

    // True when the badge type exists and is disposable. Throws the database's CDBException.
    bool BadgeTypeIsDisposable(LONG badgeTypeId) const;
    // The badge's levels with their segments and dates into list (replacing its entries); the
    // two flags are the original library's options. True on success; false without a database.
    // Throws the database's CDBException.
    bool GetAccessLevelsForBadge(CBntAssignedAcLvlList& list, LONG badgeKey, bool, bool) const;
    // Links the badge to every level of the list it is not linked to yet, with the entry's
    // dates. The badge type and the person are the original library's context. True on
    // success; false without a database or when a write fails (logged), in which case the
    // caller's transaction must be rolled back.
    bool AssignAccessLevelsToBadge(const CBntBadgeKey& badge, LONG badgeTypeId, const CBntAssignedAcLvlList& list,
                                   const CPerson& person) const;

private:
    const CAcsUser* m_user;
};
