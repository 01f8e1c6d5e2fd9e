#include "inhouse/BntDirectories/SignOnDirectoryManager.h"

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntDirectories/SignOnDirectory.h"
#include "inhouse/BntDirectories/SignOnDirectoryException.h"
#include "inhouse/BntLogin/CDirectoryLogon.h"
#include "inhouse/BntLogin/CLoginQuery.h"

namespace brontel::directories {

namespace {

constexpr char kLinkedUser[] =
    "SELECT DISTINCT USERID FROM USER_ACCOUNT WHERE BNT_DIRECTORYID = ? AND ACCOUNTID = ? COLLATE NOCASE LIMIT 2";
constexpr char kLinkedCardholder[] =
    "SELECT DISTINCT EMPID FROM CARDHOLDER_ACCOUNT WHERE BNT_DIRECTORYID = ? AND ACCOUNTID = ? COLLATE NOCASE LIMIT 2";
constexpr char kUserAccounts[] = "SELECT BNT_DIRECTORYID, ACCOUNTID FROM USER_ACCOUNT WHERE USERID = ?";
constexpr char kCardholderAccounts[] = "SELECT BNT_DIRECTORYID, ACCOUNTID FROM CARDHOLDER_ACCOUNT WHERE EMPID = ?";

}  // namespace

SignOnDirectoryManager::SignOnDirectoryManager(CBntDatabase* database) : m_database(database) {}

std::unique_ptr<SignOnDirectory> SignOnDirectoryManager::LoadDirectory(LONG directoryId) const
{
    if (m_database == nullptr) {
        return nullptr;
    }
    const auto row = CLoginQuery::FirstRow(*m_database,
                                           "SELECT D.DIR_NAME, S.USE_MANUAL_SSO FROM BNT_DIRECTORY D "
                                           "LEFT JOIN BNT_DIRECTORY_SSO S ON S.BNT_DIRECTORYID = D.BNT_DIRECTORYID "
                                           "WHERE D.BNT_DIRECTORYID = ? AND D.DIR_ISTEMPLATE = 0",
                                           {directoryId});
    if (!row) {
        return nullptr;
    }
    const CString name = (*row)[0].IsNull() ? CString() : (*row)[0].AsText();
    return std::make_unique<SignOnDirectory>(*m_database, directoryId, name, CLoginQuery::Integer(*row, 1) != 0);
}

LONG SignOnDirectoryManager::FindLinkedPerson(const char* sql, const CDirectoryLogon& account) const
{
    if (m_database == nullptr) {
        return 0;
    }
    const auto rows =
        CLoginQuery::Rows(*m_database, sql, {account.GetDirectoryID(), CDBValue(account.GetAccountID())});
    if (rows.size() > 1) {
        throw SignOnDirectoryException(SignOnDirectoryException::Kind::AccountLinkedMoreThanOnce,
                                       "The directory account is linked to more than one person.");
    }
    return rows.empty() ? 0 : static_cast<LONG>(CLoginQuery::Integer(rows.front(), 0));
}

LONG SignOnDirectoryManager::GetUserIDForLinkedAccount(const CDirectoryLogon& account) const
{
    return FindLinkedPerson(kLinkedUser, account);
}

LONG SignOnDirectoryManager::GetCardholderIDForLinkedAccount(const CDirectoryLogon& account) const
{
    return FindLinkedPerson(kLinkedCardholder, account);
}

void SignOnDirectoryManager::LoadLinkedAccounts(const char* sql, LONG personId, std::vector<LinkedAccount>& accounts,
                                                SignOnAccountStatus status) const
{
    if (status != SignOnAccountStatus::AllLinked) {
        throw SignOnDirectoryException(SignOnDirectoryException::Kind::Directory, "Unknown account status.");
    }
    const auto rows = m_database != nullptr ? CLoginQuery::Rows(*m_database, sql, {personId})
                                            : std::vector<CLoginQuery::Row>();
    if (rows.empty()) {
        throw SignOnDirectoryException(SignOnDirectoryException::Kind::NoAccountsFound,
                                       "No directory account is linked to the person.");
    }
    for (const auto& row : rows) {
        accounts.push_back(
            {static_cast<LONG>(CLoginQuery::Integer(row, 0)), row[1].IsNull() ? CString() : row[1].AsText()});
    }
}

void SignOnDirectoryManager::LoadLinkedUserAccounts(LONG userId, std::vector<LinkedAccount>& accounts,
                                                    SignOnAccountStatus status) const
{
    LoadLinkedAccounts(kUserAccounts, userId, accounts, status);
}

void SignOnDirectoryManager::LoadLinkedCardholderAccounts(LONG cardholderId, std::vector<LinkedAccount>& accounts,
                                                          SignOnAccountStatus status) const
{
    LoadLinkedAccounts(kCardholderAccounts, cardholderId, accounts, status);
}

}  // namespace brontel::directories
