// CWmipUserCacheEntry: one logged-in system user (CAcsUser) of the user cache, keyed by the
// caller's SID text, with the use count that every request raises while it works for the
// user (AddRef) and lowers when it is done (Release), the user's cardholder database manager
// and the reader lists of access levels that the Onity lock check reads. The framework holds
// it as an IWmipUserEntry.
//
// Owned by the CWmipUserCache that created it (or by a derived cache); the entry owns its
// user. Release never frees the entry: the cache decides when an unused entry goes. The use
// count is atomic, so requests of many threads take and give back an entry without a lock. The
// cardholder manager, the borrowed database connection and the reader lists are guarded by the
// cache's one entry lock, which every entry of a cache shares (an entry without one works
// without a lock). The SID text
// is set once by the cache before the entry is handed out and only read afterwards.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "framework/IWmipUserEntry.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "platform/mfc/CString.h"
#include "platform/win32/Threading.h"
#include "platform/win32/WinTypes.h"

class CBntAcsDBMgrCardholder;
class CBntAssignedAcLvlList;
class DBConnectionManager;

class CWmipUserCacheEntry : public IWmipUserEntry
{
public:
    // The readers (panel id, reader id) of an access level.
    using ReaderList = std::vector<std::pair<LONG, LONG>>;
    // The panel types of Onity lock panels, whose readers the overlap check reads.
    static constexpr LONG kOnityPanelTypes[] = {67, 73, 74};

    // Takes ownership of the logged-in user. entryLock: the cache's shared entry lock, not
    // owned, may be null. creationTick: the cache clock's time of creation in milliseconds.
    // connections: where the entry borrows its own database connection (null: the current
    // application's connection manager, looked up when needed).
    CWmipUserCacheEntry(std::unique_ptr<CAcsUser> user, CRITICAL_SECTION* entryLock, ULONGLONG creationTick,
                        DBConnectionManager* connections = nullptr);
    // Gives the borrowed connection back.
    ~CWmipUserCacheEntry() override;
    // Copies would share (and delete twice) the user.
    CWmipUserCacheEntry(const CWmipUserCacheEntry&) = delete;
    CWmipUserCacheEntry& operator=(const CWmipUserCacheEntry&) = delete;

    // The user; valid while the entry lives.
    CAcsUser* GetUser() const override { return m_user.get(); }
    // The key under which the cache keeps the entry (empty until the cache sets it).
    const CString& GetSID() const { return m_sid; }
    void SetSID(const CString& sid) { m_sid = sid; }
    // When the entry was created, on the clock of the cache that created it.
    ULONGLONG GetCreationTick() const { return m_creationTick; }

    // Raise or lower the use count atomically; the new count. A count below 0 means more
    // releases than takes; the cache reports it.
    int AddRef() override;
    int Release() override;
    // The current count.
    int GetUseCount() const { return m_useCount.load(); }

    // The user's cardholder database manager on the entry's own connection, created on first
    // use; null when no connection can be borrowed or the layout cannot be read (the next call
    // tries again). Valid while the entry lives.
    CBntAcsDBMgrCardholder* GetCardholderAcsDbManager();

    // Whether the new access levels may be assigned next to the assigned ones: false when an
    // Onity lock reader (panel types 67, 73, 74) of a new level is also one of an assigned
    // level; true when the installation drives no Onity locks, and true (logged to
    // "BrontelError.log") when the readers cannot be read.
    bool CanOnityILSLevelBeAssigned(const CBntAssignedAcLvlList& assigned, const CBntAssignedAcLvlList& added) override;
    bool CanOnityILSLevelBeAssigned(const CBntAssignedAcLvlList& assigned, LONG accessLevelId) override;

protected:
    // Gives up ownership of the user (for an entry that only wraps a user owned elsewhere).
    CAcsUser* ReleaseUser() { return m_user.release(); }

private:
    // The Onity readers of the level, read once per entry and level; an empty list, not kept,
    // when no connection can be borrowed. Throws the database's CDBException. The caller holds
    // the entry lock.
    std::shared_ptr<const ReaderList> GetReaderInformationForAccessLevel(LONG accessLevelId);
    // True when some (panel, reader) pair is in both lists; a null list never overlaps.
    static bool DoReaderInformationListsOverlap(std::shared_ptr<const ReaderList> first,
                                                std::shared_ptr<const ReaderList> second);
    // The entry's own connection, borrowed on first use; null when none is available. The
    // caller holds the entry lock.
    const CAcsUser* BorrowedConnection();
    DBConnectionManager* Connections() const;

    // Set at construction.
    std::unique_ptr<CAcsUser> m_user;
    CRITICAL_SECTION* const m_entryLock;
    const ULONGLONG m_creationTick;

    DBConnectionManager* const m_connections;

    CString m_sid;
    std::atomic<int> m_useCount{0};
    // Guarded by *m_entryLock. The manager works on the borrowed connection, so it goes first.
    const CAcsUser* m_connection = nullptr;
    std::unique_ptr<CBntAcsDBMgrCardholder> m_cardholderManager;
    std::map<LONG, std::shared_ptr<const ReaderList>> m_readerInformation;
};
