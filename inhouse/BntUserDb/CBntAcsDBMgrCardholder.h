// CBntAcsDBMgrCardholder: the cardholder database manager of a logged-in user: the database it
// works on, the user on whose behalf it works and the user-defined-field layout it uses, and its
// badge access calls (whether a badge type is disposable, the access levels of a badge or of an
// access group, the assignment of further levels to a badge), which work on the user's connection (inside that
// connection's open transaction, when there is one).
//
// Either owned by a user-cache entry, which sets it up once under its entry lock and afterwards
// only reads it, or made per call over a user; one thread at a time. It owns neither the user nor
// the database; they (and the layout's database) must outlive it.
#pragma once

#include <memory>

#include "inhouse/BntUdf/LUDFDbMgr.h"
#include "platform/win32/WinTypes.h"

class CAcsUser;
class CBntAssignedAcLvlList;
class CBntBadgeKey;
class CBntDatabase;
class CPerson;

class CBntAcsDBMgrCardholder
{
public:
    CBntAcsDBMgrCardholder() = default;
    explicit CBntAcsDBMgrCardholder(const CAcsUser* user) : m_user(user) {}
    CBntAcsDBMgrCardholder(const CBntAcsDBMgrCardholder&) = delete;
    CBntAcsDBMgrCardholder& operator=(const CBntAcsDBMgrCardholder&) = delete;

    void SetPrimaryDatabase(CBntDatabase* database) { m_database = database; }
    void SetUser(const CAcsUser* user) { m_user = user; }
    // Takes the layout read for this manager.
    void SetUDFLayout(std::unique_ptr<LUDFDbMgr> layout) { m_layout = std::move(layout); }

    CBntDatabase* GetPrimaryDatabase() const { return m_database; }
    const CAcsUser* GetUser() const { return m_user; }
    // The layout; null until one is set.
    const LUDFDbMgr* GetUDFLayout() const { return m_layout.get(); }

    // True when the badge type exists and is disposable. Throws the database's CDBException.
    bool BadgeTypeIsDisposable(LONG badgeTypeId) const;
    // The badge's levels with their segments and dates into list (replacing its entries); the
    // two flags are the original library's options. True on success; false without a database.
    // Throws the database's CDBException.
    bool GetAccessLevelsForBadge(CBntAssignedAcLvlList& list, LONG badgeKey, bool, bool) const;
    // The group's levels with their segments and dates (ACCGPLINK) into list (replacing its
    // entries), in the order they were linked. True on success; false without a database.
    // Throws the database's CDBException.
    bool GetAccessLevelsForGroup(CBntAssignedAcLvlList& list, LONG groupId) const;
    // Links the badge to every level of the list it is not linked to yet, with the entry's
    // dates. The badge type and the person are the original library's context. True on
    // success; false without a database or when a write fails (logged), in which case the
    // caller's transaction must be rolled back.
    bool AssignAccessLevelsToBadge(const CBntBadgeKey& badge, LONG badgeTypeId, const CBntAssignedAcLvlList& list,
                                   const CPerson& person) const;

private:
    // The levels the query (level, segment, activate, deactivate; one parameter) selects.
    bool ReadLevels(CBntAssignedAcLvlList& list, const char* sql, LONG holder) const;

    CBntDatabase* m_database = nullptr;
    const CAcsUser* m_user = nullptr;
    std::unique_ptr<LUDFDbMgr> m_layout;
};
