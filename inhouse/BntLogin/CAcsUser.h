// A system user logged in to the installation's database: who the user is, the permissions
// of the user's permission groups, the segments the user may reach, and the audit log the
// user's actions are written to. Also serves as a pooled database connection
// (DBConnectionManager hands out users logged in as the system administrator).
//
// Owned by its creator (a user-cache entry, the connection manager, the application). Login,
// LoginAsSA and ResetPermissions change the object and must not run while other threads use
// it; every other member only reads and may be called from several threads at once (the
// database serialises its own calls).
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/win32/ThreadSafety.h"
#include "inhouse/BntLogin/CBntAcsSystemOptions.h"
#include "inhouse/BntLogin/CBntExceptionHandler.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CBntDatabase;
class CMultiFilterRecordset;

class CAcsUser
{
public:
    // The user id of the system administrator, who holds every permission and every segment.
    static constexpr LONG kSystemAdministratorID = -1;
    // The directory id that names the installation's own user table in Login.
    static constexpr LONG kInternalDirectoryID = -1;

    // A logged-out user.
    CAcsUser();
    ~CAcsUser();
    CAcsUser(const CAcsUser&) = delete;
    CAcsUser& operator=(const CAcsUser&) = delete;

    // Logs in on the database that dataSource names (null: CBntDatabase::GetDSNFromINI):
    // - with a user name and directory id -1: the USERS row whose LOGONID equals the name
    //   (case-insensitive), when the password matches its stored hash;
    // - with a user name and a directory id above 0: the directory must sign on by name (loaded
    //   by DirectoryDBManager::LoadDirectory, so neither gone nor a template, and taking manual
    //   sign-on); a directory account that signs on with a password (Directory::FindAccountByName,
    //   one with a hash) must match it, and its account id names the USER_ACCOUNT; any other name
    //   is itself the account id, its directory having checked the password already;
    // - without a user name: the user with userId (-1: the system administrator).
    // A user without a row or disabled (ISENABLED 0), the system administrator included, never
    // logs in. A stamp row of RIGHTS_STAMP the database lacks is put back first, with one log
    // line. True on success; false for an unknown user, a wrong password, a disabled user or
    // a database failure (written to the exception handler's log); the object is then logged
    // out. A login with a name keeps the account that named the user (the logon id, or the
    // directory and account id, with the stored password hash a password was checked against)
    // for CheckStoredUser and LoginAgain.
    bool Login(LPCWSTR dataSource, LPCWSTR userName, LPCWSTR password, LONG directoryId, LONG userId);
    // Logs in the process's own connection as the system administrator, which needs no row of
    // its own. True on success; false when the database cannot be opened.
    bool LoginAsSA(LPCWSTR dataSource = nullptr);
    // Logs in, without credentials, the user that earlier's account names now (a session whose
    // credentials were checked when it began, renewed after a change): the user its logon id
    // or directory account is linked to, or earlier's user id when it logged in by id, or the
    // process's own connection. False, as Login, for an account that names no enabled user now,
    // for earlier logged out, or a database failure.
    bool LoginAgain(LPCWSTR dataSource, const CAcsUser& earlier);
    // Logs out and closes the database.
    void Logout();
    bool IsLoggedIn() const { return m_loggedIn; }

    // The identity of the logged-in user (0 and empty texts when logged out).
    LONG GetUserID() const { return m_userId; }
    const CString& GetLogonID() const { return m_logonId; }
    const CString& GetFirstName() const { return m_firstName; }
    const CString& GetLastName() const { return m_lastName; }
    LONG GetPrimarySegmentID() const { return m_primarySegmentId; }
    LONG GetDatabaseID() const { return m_databaseId; }
    LONG GetSystemPermissionGroupID() const { return m_systemGroupId; }
    LONG GetCardholderPermissionGroupID() const { return m_cardholderGroupId; }
    LONG GetMonitorPermissionGroupID() const { return m_monitorGroupId; }
    LONG GetReportPermissionGroupID() const { return m_reportGroupId; }
    // The user-defined-field permission group; -1 for the system administrator, who sees
    // every field.
    LONG GetFieldPermissionGroupID() const { return m_fieldGroupId; }

    // The database the user is logged in on; null when logged out. Valid until Logout or
    // the user's end.
    CBntDatabase* GetDatabase() const { return m_database.get(); }
    // The system options read at login.
    const CBntAcsSystemOptions& GetSystemOptions() const { return m_options; }
    // Where the user's failures are written.
    CBntExceptionHandler& GetExceptionHandler() const { return m_exceptionHandler; }

    // True when the user holds the permission: the id's top four bits name the permission
    // group type (1 system, 2 cardholder, 3 monitoring) and the user's group of that type
    // must grant the id (USER_PERM_GRANT). The system administrator holds every permission;
    // a logged-out user none.
    bool HasPermission(DWORD permissionId) const;
    // Reads the user's permission groups, system options, permissions and segments again (after
    // a change of what they come from). Throws the database's CDBException.
    void ResetPermissions();
    // Whether what the user's rights come from may have changed since login or the last
    // ResetPermissions: Same when the rights stamp (RIGHTS_STAMP, set anew by every write of the
    // user row and accounts, the directories and directory accounts, secondary segments,
    // segments and group units, permission groups and grants, field permissions and system
    // options) is unchanged, which costs one read of both stamps. A stamp row missing now or at
    // the login counts as changed. Otherwise, for every user the system administrator included:
    // Gone when the account that signed it in (Login with a name) names no user now (see
    // LinkedUserID: its directory gone, a template or no longer taking manual sign-on, or the
    // stored password it signed in with changed), or its row is missing or disabled (also for a
    // logged-out user); RightsChanged when that account names another user now (LoginAgain signs
    // that one in) or the rights may differ. The process's own connection (LoginAsSA) needs no
    // row: RightsChanged. The list stamp read with the rights stamp is noted for the thread's
    // request (CStoredStamps::NoteForRequest). Read on the user's own connection, or on the given
    // one. Throws CDBException.
    enum class StoredState
    {
        Same,
        RightsChanged,
        Gone
    };
    StoredState CheckStoredUser() const;
    StoredState CheckStoredUser(CBntDatabase& database) const;
    // The stored password hash the login with a name was checked against (LoginAgain keeps the
    // earlier one's); empty for a login without a password (by id, or a directory account its
    // directory vouched for). A session compares it with the one it was issued under, so that a
    // later sign-in with another password never serves it.
    std::optional<std::string> GetSignInCredential() const { return m_link ? m_link->credential : std::nullopt; }
    // The rights stamp the user's rights were read under (at login or the last
    // ResetPermissions): two reads of one user under the same stamp hold the same rights.
    // Empty when the database held no stamp then (nothing may be kept under it).
    std::optional<LONGLONG> GetRightsStamp() const { return m_rightsStamp; }

    // True when the user may reach every segment: the system administrator, or a user whose
    // primary or linked segment is -1.
    bool IsAllSegmentsUser() const;
    // True when the user may reach the segment: always when segments are not in use or the
    // user is an all-segments user; segment -1 only for an all-segments user; otherwise when
    // the segment is among the user's segments (the primary one, the linked ones and the
    // members of linked groups). Every access type follows this one rule.
    bool HasSegmentAccess(LONG segmentId, int accessType) const;
    // The segment id that stands for every segment, and the access types callers name.
    static constexpr LONG kAllSegments = -1;
    static constexpr int kReadSegmentAccess = 1;
    static constexpr int kWriteSegmentAccess = 2;
    // The user's segments (see HasSegmentAccess).
    const std::set<LONG>& GetSegmentIDs() const { return m_segmentIds; }

    // Restricts the recordset to rows of the user's segments: the filter table.SEGMENTID IN
    // (the user's segments), joined with AND, unless segments are not in use or the user is an
    // all-segments user (then nothing is added). A logged-out user's filter matches no row. A
    // null recordset is ignored. Throws CDBException for an invalid table name.
    void AddSegmentFilter(CMultiFilterRecordset& recordset, LPCWSTR table) const;
    void AddSegmentFilter(CMultiFilterRecordset* recordset, LPCWSTR table) const;
    // Restricts the recordset to rows whose column ("TABLE.COLUMN") names, by its key column, a
    // row of linkedTable that stands in the user's segments (linkedTable.SEGMENTID): a row
    // without a segment of its own is in the segment of what it links to. Adds nothing and
    // fails closed as AddSegmentFilter does.
    void AddLinkedSegmentFilter(CMultiFilterRecordset& recordset, const CString& column, LPCWSTR linkedTable,
                                LPCWSTR key) const;
    // AddSegmentFilter on the first table of the recordset's join (FROM order, under its alias when it
    // has one) that has a SEGMENTID column, wherever it stands; when none has one, through the
    // panel (ACCESSPANE) that the first table with a PANELID column names; a join with
    // neither is not segmented and is left alone. Which tables have the columns is read once
    // per table while the user stays logged in. A logged-out user always gets the filter that
    // matches no row. Throws CDBException when the database fails.
    void AddSegmentFilterWithTableCheck(CMultiFilterRecordset& recordset) const;
    void AddSegmentFilterWithTableCheck(CMultiFilterRecordset* recordset) const;

    // Writes one audit row (USER_TRANSACTION_LOG): now (local time of the process clock,
    // IClock::Process), the user, the operation, the object kind and the text, with extraText
    // after a blank when given. database null: the user's own. The number is an argument of the original library's log
    // that has no column here. True on success; false when logged out or the write fails (written to the exception
    // handler's log).
    bool LogTransToDB(LONG operation, LONG objectKind, LPCWSTR text, CBntDatabase* database = nullptr, LONG = 0,
                      LPCWSTR extraText = nullptr) const;

    // Badge and PIN options, read from the installation's configuration values on each call
    // (CAcsUserBadgeOptions.cpp); a missing value reads as the default named. Throw the
    // database's CDBException. The system-wide badge ID mode (0), whether badge IDs may be
    // entered by hand (true), the default issue code (0), the most active badges a person may
    // hold (1), the PIN length kind (6, 9, anything else 4 digits), whether PINs may be edited
    // (true) and whether PINs must be unique (false).
    LONG GetBadgeIDMode() const;
    bool IsManualBadgeIDAllowed() const;
    LONG GetDefaultIssueCode() const;
    LONG GetMaxActiveBadgesPerPerson() const;
    LONG GetPinLengthKind() const;
    bool IsPinEditable() const;
    bool ArePinsUnique() const;
    // The fewest badge ID digits the segment units of the segments allow (the system-wide
    // unit for an empty list), each unit's limit read as CSegmentUnit gives it (0 allows no
    // digit); a segment without a unit allows 19 digits.
    LONG GetMaxBadgeNumberLength(const std::vector<LONG>& segmentIds) const;

private:
    // The account a caller signed in with: an internal logon id (directory -1) or a directory's
    // account id, and the stored password hash its sign-in was checked against (none for a
    // directory account its directory vouched for).
    struct AccountLink
    {
        LONG directoryId = kInternalDirectoryID;
        CString account;
        std::optional<std::string> credential;
    };

    bool LoginImpl(LPCWSTR dataSource, LPCWSTR userName, LPCWSTR password, LONG directoryId, LONG userId,
                   bool processAccount);
    bool OpenDatabase(LPCWSTR dataSource);
    // The user the account names now, read on the given connection; 0 for none: a directory
    // account whose directory signs no one on by name now (gone, a template, or its manual
    // sign-on switched off or its row missing), or a password sign-in whose stored hash is
    // not the one it was checked against (changed, or its row replaced or deleted). Throws
    // CDBException.
    static LONG LinkedUserID(CBntDatabase& database, const AccountLink& link);
    bool LoadUser(LONG userId, bool processAccount);
    void LoadPermissionsAndSegments();
    void Clear();
    // True when the table has the column (remembered per table and column). Throws
    // CDBException.
    bool HasColumn(const CString& table, const wchar_t* column) const;

    std::unique_ptr<CBntDatabase> m_database;
    mutable CBntExceptionHandler m_exceptionHandler;
    CBntAcsSystemOptions m_options;
    bool m_loggedIn = false;
    LONG m_userId = 0;
    CString m_logonId;
    CString m_firstName;
    CString m_lastName;
    LONG m_primarySegmentId = 0;
    LONG m_databaseId = 0;
    LONG m_systemGroupId = 0;
    LONG m_cardholderGroupId = 0;
    LONG m_monitorGroupId = 0;
    LONG m_reportGroupId = 0;
    LONG m_fieldGroupId = 0;
    // Sorted, each once: an administrator's groups grant tens of thousands of rights.
    std::vector<DWORD> m_permissions;
    std::set<LONG> m_segmentIds;
    bool m_allSegments = false;
    // Logged in by LoginAsSA: the process's own connection, no caller.
    bool m_processAccount = false;
    // The account a login with a name resolved; none for a login by id.
    std::optional<AccountLink> m_link;
    // The rights stamp read before the rights it stands for; empty when its row was missing.
    std::optional<LONGLONG> m_rightsStamp;

    // "TABLE.COLUMN" -> whether the table has the column; locked, as the readers of a logged-in
    // user run on several threads.
    mutable CheckedMutex m_knownColumnsLock;
    mutable std::map<CString, bool, CStringNoCaseLess> m_knownColumns GUARDED_BY(m_knownColumnsLock);
};
