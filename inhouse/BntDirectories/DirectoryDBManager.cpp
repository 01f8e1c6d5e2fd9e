#include "inhouse/BntDirectories/DirectoryDBManager.h"

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntCoreDb/CLoginQuery.h"
#include "inhouse/BntDirectories/Directory.h"
#include "inhouse/BntDirectories/DirectoryAccount.h"
#include "inhouse/BntDirectories/DirectoryException.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"

using brontel::utility::CWMIDebugLog;

namespace brontel::directories {

namespace {

constexpr wchar_t kSource[] = L"DirectoryDBManager";
// SID texts are short; a longer one is not a SID and is never looked up.
constexpr int kMaxSidChars = 256;

// A Windows account names its person through a directory of a Windows kind that is no template:
// a template is the pattern directories are made from, and nobody signs in through it (nor is it
// loaded for a sign-in by name, LoadDirectory).
constexpr char kUserQuery[] =
    "SELECT DISTINCT A.USERID FROM USER_ACCOUNT A JOIN BNT_DIRECTORY D ON D.BNT_DIRECTORYID = A.BNT_DIRECTORYID "
    "WHERE A.ACCOUNTID = ? COLLATE NOCASE AND D.DIR_TYPE IN (1, 2, 3) AND D.DIR_ISTEMPLATE = 0 LIMIT 2";
constexpr char kCardholderQuery[] =
    "SELECT DISTINCT A.EMPID FROM CARDHOLDER_ACCOUNT A JOIN BNT_DIRECTORY D ON D.BNT_DIRECTORYID = A.BNT_DIRECTORYID "
    "WHERE A.ACCOUNTID = ? COLLATE NOCASE AND D.DIR_TYPE IN (1, 2, 3) AND D.DIR_ISTEMPLATE = 0 LIMIT 2";

constexpr char kLinkedUser[] =
    "SELECT DISTINCT USERID FROM USER_ACCOUNT WHERE BNT_DIRECTORYID = ? AND ACCOUNTID = ? COLLATE NOCASE LIMIT 2";
constexpr char kLinkedCardholder[] =
    "SELECT DISTINCT EMPID FROM CARDHOLDER_ACCOUNT WHERE BNT_DIRECTORYID = ? AND ACCOUNTID = ? COLLATE NOCASE LIMIT 2";
constexpr char kUserAccounts[] = "SELECT BNT_DIRECTORYID, ACCOUNTID FROM USER_ACCOUNT WHERE USERID = ?";
constexpr char kCardholderAccounts[] = "SELECT BNT_DIRECTORYID, ACCOUNTID FROM CARDHOLDER_ACCOUNT WHERE EMPID = ?";

CString TextOrEmpty(const CDBValue& value)
{
    return value.IsNull() ? CString() : value.AsText();
}

// ID type of the links of persons to directory accounts.
constexpr LONG kCardholderAccountIDType = 41;

}  // namespace

DirectoryDBManager::DirectoryDBManager(CBntDatabase* database, const CBntAcsSystemOptions*) : m_database(database) {}

LONG DirectoryDBManager::FindLinkedID(const char* sql, const CString& sid) const
{
    if (m_database == nullptr || sid.IsEmpty() || sid.GetLength() > kMaxSidChars)
    {
        return 0;
    }
    const auto rows = CLoginQuery::Rows(*m_database, sql, {CDBValue(sid)});
    if (rows.size() > 1)
    {
        CWMIDebugLog::LogError(kSource, __LINE__, CString(L"Account linked more than once: ") + sid,
                               static_cast<HRESULT>(0x80041003u));
        return 0;
    }
    return rows.empty() ? 0 : static_cast<LONG>(CLoginQuery::Integer(rows.front(), 0));
}

LONG DirectoryDBManager::GetUserIDForWindowsAccount(const CString& sid) const
{
    return FindLinkedID(kUserQuery, sid);
}

LONG DirectoryDBManager::GetCardholderIDForWindowsAccount(const CString& sid) const
{
    return FindLinkedID(kCardholderQuery, sid);
}

std::unique_ptr<Directory> DirectoryDBManager::LoadDirectory(LONG directoryId) const
{
    if (m_database == nullptr)
    {
        return nullptr;
    }
    const auto row = CLoginQuery::FirstRow(*m_database,
                                           "SELECT D.DIR_NAME, D.DIR_TYPE, S.USE_MANUAL_SSO FROM BNT_DIRECTORY D "
                                           "LEFT JOIN BNT_DIRECTORY_SSO S ON S.BNT_DIRECTORYID = D.BNT_DIRECTORYID "
                                           "WHERE D.BNT_DIRECTORYID = ? AND D.DIR_ISTEMPLATE = 0",
                                           {directoryId});
    if (!row)
    {
        return nullptr;
    }
    return std::make_unique<Directory>(*m_database, directoryId, TextOrEmpty((*row)[0]),
                                       static_cast<LONG>(CLoginQuery::Integer(*row, 1)),
                                       CLoginQuery::Integer(*row, 2) != 0);
}

LONG DirectoryDBManager::FindLinkedPerson(const char* sql, const DirectoryAccount& account) const
{
    if (m_database == nullptr)
    {
        return 0;
    }
    const auto rows = CLoginQuery::Rows(*m_database, sql, {account.GetDirectoryID(), CDBValue(account.GetID())});
    if (rows.size() > 1)
    {
        throw AccountLinkedMoreThanOnceException();
    }
    return rows.empty() ? 0 : static_cast<LONG>(CLoginQuery::Integer(rows.front(), 0));
}

LONG DirectoryDBManager::GetUserIDForLinkedAccount(const DirectoryAccount& account) const
{
    return FindLinkedPerson(kLinkedUser, account);
}

LONG DirectoryDBManager::GetCardholderIDForLinkedAccount(const DirectoryAccount& account) const
{
    return FindLinkedPerson(kLinkedCardholder, account);
}

void DirectoryDBManager::LoadLinkedAccounts(const char* sql, LONG personId, std::vector<DirectoryAccount>& accounts,
                                            DirectoryAccountStatus::Enum status) const
{
    if (status != DirectoryAccountStatus::AllLinked)
    {
        throw DirectoryException("Unknown account status.");
    }
    const auto rows =
        m_database != nullptr ? CLoginQuery::Rows(*m_database, sql, {personId}) : std::vector<CLoginQuery::Row>();
    if (rows.empty())
    {
        throw NoAccountsFoundException();
    }
    for (const auto& row : rows)
    {
        accounts.emplace_back(static_cast<LONG>(CLoginQuery::Integer(row, 0)), TextOrEmpty(row[1]), CString(),
                              CString());
    }
}

void DirectoryDBManager::LoadLinkedUserAccounts(LONG userId, std::vector<DirectoryAccount>& accounts,
                                                DirectoryAccountStatus::Enum status) const
{
    LoadLinkedAccounts(kUserAccounts, userId, accounts, status);
}

void DirectoryDBManager::LoadLinkedCardholderAccounts(LONG cardholderId, std::vector<DirectoryAccount>& accounts,
                                                      DirectoryAccountStatus::Enum status) const
{
    LoadLinkedAccounts(kCardholderAccounts, cardholderId, accounts, status);
}

void DirectoryDBManager::LinkCardholderAccount(LONG personId, DirectoryAccount& account) const
{
    if (m_database == nullptr)
    {
        throw DirectoryException("There is no database.");
    }
    try
    {
        if (CLoginQuery::FirstRow(*m_database,
                                  "SELECT 1 FROM CARDHOLDER_ACCOUNT WHERE BNT_DIRECTORYID = ? "
                                  "AND ACCOUNTID = ? COLLATE NOCASE",
                                  {CDBValue(account.GetDirectoryID()), CDBValue(account.GetID())}))
        {
            throw AccountAlreadyLinkedException();
        }
        CDynamicRecordset links(m_database);
        links.SetTable(L"CARDHOLDER_ACCOUNT");
        const LONGLONG key = links.GetNextID(kCardholderAccountIDType, L"CARDHOLDER_ACCOUNTID");
        if (key <= 0 || key > 0x7FFFFFFF)
        {
            throw DirectoryException("No key could be generated for the link.");
        }
        m_database->ExecuteSQL(
            L"INSERT INTO CARDHOLDER_ACCOUNT (CARDHOLDER_ACCOUNTID, EMPID, BNT_DIRECTORYID, "
            L"ACCOUNTID) VALUES (?, ?, ?, ?)",
            {CDBValue(key), CDBValue(personId), CDBValue(account.GetDirectoryID()), CDBValue(account.GetID())});
        account.SetPrimaryKey(static_cast<LONG>(key));
    }
    catch (const CDBException& e)
    {
        // The unique index holds where two links raced past the look-up on other connections.
        if (e.GetState() == L"23000")
        {
            throw AccountAlreadyLinkedException();
        }
        throw DirectoryException("The account could not be linked.");
    }
}

}  // namespace brontel::directories
