#include "inhouse/BntLogin/CAcsUser.h"

#include <algorithm>
#include <tuple>

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CLoginQuery.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntDirectories/Directory.h"
#include "inhouse/BntDirectories/DirectoryDBManager.h"
#include "inhouse/BntDirectories/DirectoryException.h"
#include "inhouse/BntLogin/CStoredStamps.h"
#include "inhouse/BntUtility/CPasswordHash.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/mfc/COleDateTime.h"

using brontel::utility::CWMIDebugLog;

namespace {

constexpr wchar_t kAcsUserSource[] = L"CAcsUser";
// The installation's tables are a few hundred; the table check remembers at most this many
// table and column pairs.
constexpr std::size_t kMaxRememberedTables = 1024;

constexpr char kUserColumns[] =
    "SELECT USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, ISENABLED, SYSTEM_USER_PERMID, CARD_USER_PERMID, "
    "MONITOR_USER_PERMID, REPORT_USER_PERMID, USER_PERM_UDFID, BNT_DBID FROM USERS ";

// How a caller's account names its user: an internal logon id, or a directory's account.
constexpr char kUserOfLogonId[] = "SELECT USERID, LOGONPWD FROM USERS WHERE LOGONID = ? COLLATE NOCASE";
// The user a directory account is linked to, with the password hash it signs on with when it has
// one (its directory is asked first: SignsOnByName).
constexpr char kUserOfAccount[] =
    "SELECT A.USERID, C.PASSWORD_HASH FROM USER_ACCOUNT A "
    "LEFT JOIN BNT_DIRECTORY_ACCOUNT C ON C.BNT_DIRECTORYID = A.BNT_DIRECTORYID AND C.ACCOUNTID = A.ACCOUNTID "
    "COLLATE NOCASE WHERE A.BNT_DIRECTORYID = ? AND A.ACCOUNTID = ? COLLATE NOCASE";

// Checked for an unknown logon id too, so that a refusal takes as long whether or not the
// name exists.
constexpr char kUnknownUserHash[] = "pbkdf2-sha256$120000$00000000000000000000000000000000$"
                                    "0000000000000000000000000000000000000000000000000000000000000000";

// Longest logon id or password text accepted at login.
constexpr std::size_t kMaxCredentialChars = 1024;

CString Text(const CLoginQuery::Row& row, std::size_t column)
{
    return column < row.size() && !row[column].IsNull() ? row[column].AsText() : CString();
}

// The primary segment and the system, cardholder, monitoring, report and field permission
// groups a USERS row (kUserColumns) names.
using StoredGroups = std::tuple<LONG, LONG, LONG, LONG, LONG, LONG>;

StoredGroups GroupsOf(const CLoginQuery::Row& row)
{
    return {static_cast<LONG>(CLoginQuery::Integer(row, 4, -1)), static_cast<LONG>(CLoginQuery::Integer(row, 6)),
            static_cast<LONG>(CLoginQuery::Integer(row, 7)),     static_cast<LONG>(CLoginQuery::Integer(row, 8)),
            static_cast<LONG>(CLoginQuery::Integer(row, 9)),     static_cast<LONG>(CLoginQuery::Integer(row, 10))};
}

// Both stamps at a login, after putting back the stamp rows (rights and lists) an old or restored
// database, or a direct write, left out: while one is missing every check finds it changed, which
// costs each request a new login. One read when both are there. A restored row takes a fresh
// random value, as the triggers set, so that no remembered stamp matches it. A failed restore is
// logged and leaves the row missing: the checks still fail closed. The rights stamp is read before
// the rights it stands for, so that a change committed in between shows at the next check.
CStoredStamps ReadStampsRestoring(CBntDatabase& database, const CBntExceptionHandler& handler)
{
    const CStoredStamps stored = CStoredStamps::Read(database);
    if (stored.rights && stored.lists)
        return stored;
    // A failed restore is handled here: its cause (a read-only or locked database) explains no
    // failure the request reports later, while a cause noted before it still does.
    const CString pending = CBntDatabase::TakeLastFailureCause();
    try
    {
        if (database.ExecuteSQL(L"INSERT OR IGNORE INTO RIGHTS_STAMP (STAMPID, STAMP) VALUES (1, random()), "
                                L"(2, random())") > 0)
        {
            CWMIDebugLog::LogInfo(kAcsUserSource, __LINE__,
                                  L"The database's rights stamp was missing and is restored.");
        }
    }
    catch (const CDBException& e)
    {
        handler.LogError(kAcsUserSource, __LINE__, L"Unable to restore the rights stamp.", &e);
    }
    CBntDatabase::RestoreLastFailureCause(pending);
    return CStoredStamps::Read(database);
}

bool IsEmptyText(LPCWSTR text)
{
    return text == nullptr || *text == L'\0';
}

// Whether the directory signs its accounts on by name and password now, as the bus's sign-in asks
// it: loaded (neither gone nor a template) and taking manual sign-on. A session signed on through
// it lasts only as long: every write of the directory or its switch sets the rights stamp.
bool SignsOnByName(CBntDatabase& database, LONG directoryId)
{
    const auto directory = brontel::directories::DirectoryDBManager(&database, nullptr).LoadDirectory(directoryId);
    return directory && directory->GetUseManualSSO();
}

}  // namespace

CAcsUser::CAcsUser() = default;

CAcsUser::~CAcsUser()
{
    Logout();
}

void CAcsUser::Clear()
{
    m_loggedIn = false;
    m_userId = 0;
    m_logonId.Empty();
    m_firstName.Empty();
    m_lastName.Empty();
    m_primarySegmentId = 0;
    m_databaseId = 0;
    m_systemGroupId = m_cardholderGroupId = m_monitorGroupId = m_reportGroupId = m_fieldGroupId = 0;
    m_permissions.clear();
    m_segmentIds.clear();
    m_allSegments = false;
    m_processAccount = false;
    m_link.reset();
    m_rightsStamp.reset();
    m_options = CBntAcsSystemOptions();
    const CheckedMutexLock guard(m_knownColumnsLock);
    m_knownColumns.clear();
}

void CAcsUser::Logout()
{
    Clear();
    if (m_database)
    {
        m_database->Close();
        m_database.reset();
    }
}

bool CAcsUser::OpenDatabase(LPCWSTR dataSource)
{
    Logout();
    auto database = std::make_unique<CBntDatabase>();
    try
    {
        database->Open(IsEmptyText(dataSource) ? CBntDatabase::GetDSNFromINI() : CString(dataSource));
    }
    catch (const CDBException& e)
    {
        m_exceptionHandler.LogError(kAcsUserSource, __LINE__, L"Unable to open the database.", &e);
        return false;
    }
    m_database = std::move(database);
    return true;
}

bool CAcsUser::Login(LPCWSTR dataSource, LPCWSTR userName, LPCWSTR password, LONG directoryId, LONG userId)
{
    return LoginImpl(dataSource, userName, password, directoryId, userId, false);
}

bool CAcsUser::LoginImpl(LPCWSTR dataSource, LPCWSTR userName, LPCWSTR password, LONG directoryId, LONG userId,
                         bool processAccount)
{
    if (!OpenDatabase(dataSource))
    {
        return false;
    }
    try
    {
        LONG resolvedId = userId;
        std::optional<AccountLink> link;
        if (!IsEmptyText(userName))
        {
            const std::wstring_view name(userName);
            const std::wstring_view secret(password == nullptr ? L"" : password);
            if (name.size() > kMaxCredentialChars || secret.size() > kMaxCredentialChars)
            {
                m_exceptionHandler.LogError(kAcsUserSource, __LINE__, L"Login refused: credentials too long.");
                Logout();
                return false;
            }
            const CDBValue nameValue(userName);
            if (directoryId == kInternalDirectoryID)
            {
                const auto row = CLoginQuery::FirstRow(*m_database, kUserOfLogonId, {nameValue});
                const std::string stored =
                    row ? brontel::utility::ConvertCStringToUtf8(Text(*row, 1)) : kUnknownUserHash;
                const bool matches = CPasswordHash::Verify(brontel::utility::WideToUtf8(secret), stored);
                if (!row || !matches)
                {
                    m_exceptionHandler.LogError(kAcsUserSource, __LINE__,
                                                L"Login refused: unknown user or wrong password.");
                    Logout();
                    return false;
                }
                resolvedId = static_cast<LONG>(CLoginQuery::Integer(*row, 0));
                link = AccountLink{kInternalDirectoryID, CString(userName), stored};
            }
            else if (directoryId > 0)
            {
                // An account that signs on with a password in the installation is found by its
                // user name and must give that password; any other is named by its account id.
                CString accountId(userName);
                std::optional<std::string> credential;
                const brontel::directories::DirectoryDBManager directories(m_database.get(), nullptr);
                const auto directory = directories.LoadDirectory(directoryId);
                const auto account = directory ? directory->FindAccountByName(CString(userName)) : nullptr;
                if (account && account->HasPassword())
                {
                    if (!directory->CheckCredentials(*account, brontel::utility::WideToUtf8(secret)))
                    {
                        m_exceptionHandler.LogError(kAcsUserSource, __LINE__,
                                                    L"Login refused: wrong directory password.");
                        Logout();
                        return false;
                    }
                    accountId = account->GetID();
                    credential = account->GetPasswordHash();
                }
                link = AccountLink{directoryId, accountId, credential};
                resolvedId = LinkedUserID(*m_database, *link);
                if (resolvedId == 0)
                {
                    m_exceptionHandler.LogError(kAcsUserSource, __LINE__,
                                                L"Login refused: the directory signs no one on by name, or the "
                                                L"account is not linked.");
                    Logout();
                    return false;
                }
            }
            else
            {
                m_exceptionHandler.LogError(kAcsUserSource, __LINE__,
                                            L"Login refused: no directory given for the name.");
                Logout();
                return false;
            }
        }
        if (resolvedId == 0 || !LoadUser(resolvedId, processAccount))
        {
            m_exceptionHandler.LogError(kAcsUserSource, __LINE__, L"Login refused: no such enabled user.");
            Logout();
            return false;
        }
        m_link = std::move(link);
        return true;
    }
    catch (const CDBException& e)
    {
        m_exceptionHandler.LogError(kAcsUserSource, __LINE__, L"Login failed.", &e);
        Logout();
        return false;
    }
    catch (const brontel::directories::DirectoryException&)
    {
        m_exceptionHandler.LogError(kAcsUserSource, __LINE__, L"Login failed: the directory could not be read.");
        Logout();
        return false;
    }
}

bool CAcsUser::LoginAsSA(LPCWSTR dataSource)
{
    return LoginImpl(dataSource, nullptr, nullptr, kInternalDirectoryID, kSystemAdministratorID, true);
}

bool CAcsUser::LoginAgain(LPCWSTR dataSource, const CAcsUser& earlier)
{
    if (!earlier.m_loggedIn)
    {
        return false;
    }
    if (earlier.m_processAccount)
    {
        return LoginAsSA(dataSource);
    }
    if (!earlier.m_link)
    {
        return Login(dataSource, nullptr, nullptr, kInternalDirectoryID, earlier.m_userId);
    }
    if (!OpenDatabase(dataSource))
    {
        return false;
    }
    try
    {
        const LONG userId = LinkedUserID(*m_database, *earlier.m_link);
        if (userId == 0 || !LoadUser(userId, false))
        {
            m_exceptionHandler.LogError(kAcsUserSource, __LINE__, L"Login refused: the account names no enabled user.");
            Logout();
            return false;
        }
        m_link = earlier.m_link;
        return true;
    }
    catch (const CDBException& e)
    {
        m_exceptionHandler.LogError(kAcsUserSource, __LINE__, L"Login failed.", &e);
        Logout();
        return false;
    }
}

LONG CAcsUser::LinkedUserID(CBntDatabase& database, const AccountLink& link)
{
    const bool internal = link.directoryId == kInternalDirectoryID;
    if (!internal && !SignsOnByName(database, link.directoryId))
    {
        return 0;
    }
    const auto row = internal
                         ? CLoginQuery::FirstRow(database, kUserOfLogonId, {CDBValue(link.account)})
                         : CLoginQuery::FirstRow(database, kUserOfAccount, {link.directoryId, CDBValue(link.account)});
    if (!row)
    {
        return 0;
    }
    // A password that signed the caller in stands for it only while it is the stored one: a row
    // put in its place under the same name, or a new password, needs a new sign-in.
    if (link.credential && brontel::utility::ConvertCStringToUtf8(Text(*row, 1)) != *link.credential)
    {
        return 0;
    }
    return static_cast<LONG>(CLoginQuery::Integer(*row, 0));
}

bool CAcsUser::LoadUser(LONG userId, bool processAccount)
{
    const CStoredStamps stamps = ReadStampsRestoring(*m_database, m_exceptionHandler);
    CStoredStamps::NoteForRequest(stamps.lists);
    const auto row = CLoginQuery::FirstRow(*m_database, std::string(kUserColumns) + "WHERE USERID = ?", {userId});
    // A caller signs in only as an enabled user, the administrator included; the process's own
    // connection needs no row.
    if (!processAccount && (!row || CLoginQuery::Integer(*row, 5) == 0))
    {
        return false;
    }
    if (userId == kSystemAdministratorID)
    {
        // A row only gives the administrator its names: it holds every right whatever it says.
        m_logonId = row ? Text(*row, 1) : CString(L"SA");
        m_firstName = row ? Text(*row, 2) : CString();
        m_lastName = row ? Text(*row, 3) : CString(L"System Administrator");
        m_primarySegmentId = -1;
        m_databaseId = row ? static_cast<LONG>(CLoginQuery::Integer(*row, 11)) : 0;
        m_fieldGroupId = -1;
    }
    else
    {
        if (!row)
        {
            return false;
        }
        m_logonId = Text(*row, 1);
        m_firstName = Text(*row, 2);
        m_lastName = Text(*row, 3);
        std::tie(m_primarySegmentId, m_systemGroupId, m_cardholderGroupId, m_monitorGroupId, m_reportGroupId,
                 m_fieldGroupId) = GroupsOf(*row);
        m_databaseId = static_cast<LONG>(CLoginQuery::Integer(*row, 11));
    }
    m_userId = userId;
    m_processAccount = processAccount;
    m_rightsStamp = stamps.rights;
    m_options.Load(*m_database);
    LoadPermissionsAndSegments();
    m_loggedIn = true;
    return true;
}

void CAcsUser::LoadPermissionsAndSegments()
{
    std::vector<DWORD> permissions;
    std::set<LONG> segments;
    bool allSegments = m_userId == kSystemAdministratorID;
    if (!allSegments)
    {
        // Each group grants its rights only under its own type: a cardholder group held as the
        // system group grants nothing. The database hands them over as the DWORDs they are
        // read as (their low 32 bits), sorted, each once.
        for (const LONGLONG permission : CLoginQuery::Integers(
                 *m_database,
                 "SELECT DISTINCT G.PERMISSIONID & 4294967295 AS ID FROM USER_PERM_GRANT G JOIN USER_PERM P "
                 "ON P.USER_PERMID = G.USER_PERMID WHERE (P.USER_PERMID = ? AND P.TYPE = 1) "
                 "OR (P.USER_PERMID = ? AND P.TYPE = 2) OR (P.USER_PERMID = ? AND P.TYPE = 3) ORDER BY ID",
                 {m_systemGroupId, m_cardholderGroupId, m_monitorGroupId}))
        {
            permissions.push_back(static_cast<DWORD>(permission));
        }
        segments.insert(m_primarySegmentId);
        for (const LONGLONG segment :
             CLoginQuery::Integers(*m_database, "SELECT SEGMENTID FROM USER_SEGMENT_LINK WHERE USERID = ?", {m_userId}))
        {
            segments.insert(static_cast<LONG>(segment));
        }
        allSegments = segments.count(-1) > 0;
        // A group gives access to its member units.
        for (const LONGLONG segment :
             CLoginQuery::Integers(*m_database,
                                   "SELECT M.SEGMENTID_MEMBER FROM SEGMENT_GROUP_MEMBER M JOIN USER_SEGMENT_LINK L "
                                   "ON L.SEGMENTID = M.SEGMENTID WHERE L.USERID = ? "
                                   "UNION SELECT SEGMENTID_MEMBER FROM SEGMENT_GROUP_MEMBER WHERE SEGMENTID = ?",
                                   {m_userId, m_primarySegmentId}))
        {
            segments.insert(static_cast<LONG>(segment));
        }
    }
    m_permissions = std::move(permissions);
    m_segmentIds = std::move(segments);
    m_allSegments = allSegments;
}

void CAcsUser::ResetPermissions()
{
    if (!m_loggedIn)
    {
        return;
    }
    const LONG userId = m_userId;
    const CStoredStamps stamps = CStoredStamps::Read(*m_database);
    CStoredStamps::NoteForRequest(stamps.lists);
    const auto row = CLoginQuery::FirstRow(*m_database, std::string(kUserColumns) + "WHERE USERID = ?", {userId});
    if (row && userId != kSystemAdministratorID)
    {
        std::tie(m_primarySegmentId, m_systemGroupId, m_cardholderGroupId, m_monitorGroupId, m_reportGroupId,
                 m_fieldGroupId) = GroupsOf(*row);
    }
    m_options.Load(*m_database);
    LoadPermissionsAndSegments();
    m_rightsStamp = stamps.rights;
}

bool CAcsUser::HasPermission(DWORD permissionId) const
{
    if (!m_loggedIn)
    {
        return false;
    }
    if (m_userId == kSystemAdministratorID)
    {
        return true;
    }
    const DWORD type = permissionId >> 28;
    if (type < 1 || type > 3)
    {
        return false;
    }
    return std::binary_search(m_permissions.begin(), m_permissions.end(), permissionId);
}

CAcsUser::StoredState CAcsUser::CheckStoredUser() const
{
    if (!m_loggedIn || m_database == nullptr)
    {
        return StoredState::Gone;
    }
    return CheckStoredUser(*m_database);
}

CAcsUser::StoredState CAcsUser::CheckStoredUser(CBntDatabase& database) const
{
    if (!m_loggedIn)
    {
        return StoredState::Gone;
    }
    // Both stamps in one read, the list stamp noted for the thread's request: its class
    // definitions are served under it. A stamp missing now or at the login never matches: the
    // check fails closed.
    const CStoredStamps stored = CStoredStamps::Read(database);
    CStoredStamps::NoteForRequest(stored.lists);
    if (stored.RightsStandAt(m_rightsStamp))
    {
        return StoredState::Same;
    }
    if (m_link)
    {
        // The account that signed the caller in must still name this user; one that names
        // another is signed in again as that one.
        const LONG linked = LinkedUserID(database, *m_link);
        if (linked != m_userId)
        {
            return linked == 0 ? StoredState::Gone : StoredState::RightsChanged;
        }
    }
    if (m_processAccount)
    {
        return StoredState::RightsChanged;
    }
    const auto row = CLoginQuery::FirstRow(database, std::string(kUserColumns) + "WHERE USERID = ?", {m_userId});
    return !row || CLoginQuery::Integer(*row, 5) == 0 ? StoredState::Gone : StoredState::RightsChanged;
}

bool CAcsUser::IsAllSegmentsUser() const
{
    return m_loggedIn && m_allSegments;
}

bool CAcsUser::HasSegmentAccess(LONG segmentId, int) const
{
    if (!m_loggedIn)
    {
        return false;
    }
    if (!m_options.SegmentsInUse() || m_allSegments)
    {
        return true;
    }
    return segmentId != -1 && m_segmentIds.count(segmentId) > 0;
}

void CAcsUser::AddSegmentFilter(CMultiFilterRecordset& recordset, LPCWSTR table) const
{
    if (m_loggedIn && (!m_options.SegmentsInUse() || m_allSegments))
    {
        return;
    }
    CString column = IsEmptyText(table) ? CString(L"SEGMENTID") : CString(table) + L".SEGMENTID";
    std::vector<LONG> segments;
    if (m_loggedIn)
    {
        segments.assign(m_segmentIds.begin(), m_segmentIds.end());
    }
    recordset.AddFilterLongIn(column, segments, CMultiFilterRecordset::AndFilter);
}

void CAcsUser::AddSegmentFilter(CMultiFilterRecordset* recordset, LPCWSTR table) const
{
    if (recordset != nullptr)
    {
        AddSegmentFilter(*recordset, table);
    }
}

void CAcsUser::AddLinkedSegmentFilter(CMultiFilterRecordset& recordset, const CString& column, LPCWSTR linkedTable,
                                      LPCWSTR key) const
{
    if (m_loggedIn && (!m_options.SegmentsInUse() || m_allSegments))
    {
        return;
    }
    if (!m_loggedIn || m_segmentIds.empty())
    {
        recordset.AppendFilter(L"0 = 1");
        return;
    }
    // The one linked row the column names, found by its key, not a list of every linked row.
    const CString linked = L"SEGMENTLINKED";
    CString text = CString(L"EXISTS (SELECT 1 FROM ") + linkedTable + L" " + linked + L" WHERE " + linked + L"." + key +
                   L" = " + column + L" AND " + linked + L".SEGMENTID IN (";
    std::vector<CDBValue> values;
    for (const LONG segment : m_segmentIds)
    {
        text += values.empty() ? L"?" : L", ?";
        values.emplace_back(segment);
    }
    recordset.AppendFilter(text + L"))", values);
}

void CAcsUser::AddSegmentFilterWithTableCheck(CMultiFilterRecordset& recordset) const
{
    const auto names = recordset.GetQuery().GetTableNames();
    if (names.empty())
    {
        return;
    }
    if (!m_loggedIn || m_database == nullptr)
    {
        // Fails closed: a logged-out user's filter matches no row (or the open fails).
        AddSegmentFilter(recordset, names.front().first);
        return;
    }
    // A user no segment filter restricts needs no look at the tables.
    if (!m_options.SegmentsInUse() || m_allSegments)
    {
        return;
    }
    // The segment may stand in any table of the join, not only the first (a lookup table such
    // as the panel type may lead it).
    for (const auto& [name, table] : names)
    {
        if (HasColumn(table, L"SEGMENTID"))
        {
            AddSegmentFilter(recordset, name);
            return;
        }
    }
    for (const auto& [name, table] : names)
    {
        if (HasColumn(table, L"PANELID"))
        {
            AddLinkedSegmentFilter(recordset, name + L".PANELID", L"ACCESSPANE", L"PANELID");
            return;
        }
    }
}

bool CAcsUser::HasColumn(const CString& table, const wchar_t* column) const
{
    const CString key = table + L"." + column;
    {
        const CheckedMutexLock guard(m_knownColumnsLock);
        const auto known = m_knownColumns.find(key);
        if (known != m_knownColumns.end())
        {
            return known->second;
        }
    }
    // Asked outside the lock: the database serialises its own calls. A failure is thrown and
    // nothing is remembered.
    const bool found =
        CLoginQuery::FirstRow(*m_database, "SELECT 1 FROM pragma_table_info(?) WHERE name = ? COLLATE NOCASE",
                              {CDBValue(table), CDBValue(CString(column))})
            .has_value();
    const CheckedMutexLock guard(m_knownColumnsLock);
    if (m_knownColumns.size() >= kMaxRememberedTables)
    {
        m_knownColumns.clear();
    }
    m_knownColumns.emplace(key, found);
    return found;
}

void CAcsUser::AddSegmentFilterWithTableCheck(CMultiFilterRecordset* recordset) const
{
    if (recordset != nullptr)
    {
        AddSegmentFilterWithTableCheck(*recordset);
    }
}

bool CAcsUser::LogTransToDB(LONG operation, LONG objectKind, LPCWSTR text, CBntDatabase* database, LONG,
                            LPCWSTR extraText) const
{
    CBntDatabase* target = database != nullptr ? database : m_database.get();
    if (!m_loggedIn || target == nullptr)
    {
        return false;
    }
    CString description(text == nullptr ? L"" : text);
    if (!IsEmptyText(extraText))
    {
        description += L" ";
        description += extraText;
    }
    try
    {
        target->ExecuteSQL(L"INSERT INTO USER_TRANSACTION_LOG (TRANS_TIME, USERID, OPERATION, OBJECT_TYPE, "
                           L"DESCRIPTION, BNT_DBID) VALUES (?, ?, ?, ?, ?, ?)",
                           {CDBValue(COleDateTime::GetCurrentTime().Format()), m_userId, operation, objectKind,
                            CDBValue(description), m_databaseId});
        return true;
    }
    catch (const CDBException& e)
    {
        m_exceptionHandler.LogError(kAcsUserSource, __LINE__, L"Unable to write the audit record.", &e);
        return false;
    }
}
