// One replication transaction of a cardholder, badge or other replicated record, written to
// REPL_TRANSACTION_LOG for the enterprise replicator of a database server type other than 0.
//
// A per-call value object; not shared between threads.
#pragma once

#include <optional>

#include "platform/mfc/COleDateTime.h"
#include "platform/win32/WinTypes.h"

class CAcsUser;

class CBntCardholderTrans
{
public:
    // Actions (the kind word).
    static constexpr LONG kAdded = 1;
    static constexpr LONG kDeleted = 2;
    static constexpr LONG kModified = 3;

    // action: the kind word (1 added, 2 deleted, 3 modified); objectType: the replicated
    // object kind; time: when it happened (null: the time of Log).
    CBntCardholderTrans(LONG action, LONG objectType, const COleDateTime* time);

    void SetKind(LONG action) { m_action = action; }
    LONG GetKind() const { return m_action; }
    LONG GetObjectType() const { return m_objectType; }
    void SetOperation(LONG operation) { m_operation = operation; }
    void SetTime(const COleDateTime& time) { m_time = time; }
    // The user recorded with the transaction; Log's user when never set.
    void SetUserID(LONG userId) { m_userId = userId; }
    void SetRecordID(LONGLONG recordId) { m_recordId = recordId; }
    LONGLONG GetRecordID() const { return m_recordId.value_or(0); }
    void SetPersonID(LONG personId) { m_personId = personId; }
    LONG GetPersonID() const { return m_personId.value_or(0); }
    // The badge block: the badge as it is now, and as it was before a change.
    void SetBadge(LONG badgeKey, LONGLONG badgeId, LONG issueCode);
    void SetOldBadge(LONG badgeKey, LONGLONG badgeId, LONG issueCode);

    // Writes the transaction on the user's database. True on success; false when the user is
    // null or logged out, the time is not valid, or the write fails (written to the user's
    // exception handler's log).
    bool Log(const CAcsUser* user) const;

private:
    struct Badge
    {
        LONG key;
        LONGLONG id;
        LONG issueCode;
    };

    LONG m_action;
    LONG m_objectType;
    LONG m_operation = 0;
    std::optional<COleDateTime> m_time;
    std::optional<LONG> m_userId;
    std::optional<LONGLONG> m_recordId;
    std::optional<LONG> m_personId;
    std::optional<Badge> m_badge;
    std::optional<Badge> m_oldBadge;
};
