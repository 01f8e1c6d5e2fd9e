// The directories of the installation and the links between their accounts and the
// installation's people: which system user (USER_ACCOUNT) or cardholder (CARDHOLDER_ACCOUNT) a
// directory account belongs to.
//
// A per-request object over a database it does not own. Every call stands alone; thread-safe
// to the extent of its database. Database failures are thrown as CDBException; the library's
// own refusals as DirectoryException and its kinds.
#pragma once

#include <memory>
#include <vector>

#include "inhouse/BntDirectories/DirectoryAccount.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CBntDatabase;
class CBntAcsSystemOptions;

namespace brontel::directories {

class Directory;

class DirectoryDBManager
{
public:
    // Directory kinds (BNT_DIRECTORY.DIR_TYPE) whose accounts are Windows accounts named by SID.
    static constexpr LONG kActiveDirectory = 1;
    static constexpr LONG kNtDomain = 2;
    static constexpr LONG kLocalAccounts = 3;

    // options may be null; the links need none of them.
    DirectoryDBManager(CBntDatabase* database, const CBntAcsSystemOptions* options);
    DirectoryDBManager(const DirectoryDBManager&) = delete;
    DirectoryDBManager& operator=(const DirectoryDBManager&) = delete;

    // The system user linked to the Windows account with the SID (compared without regard to
    // case) in a Windows-kind directory that is no template. 0 when none is linked, the SID is
    // empty, there is no database, or the account is linked to more than one user (an ambiguous
    // link grants nothing; logged to the provider's log).
    LONG GetUserIDForWindowsAccount(const CString& sid) const;
    // The cardholder linked to the account with the SID, by the same rules.
    LONG GetCardholderIDForWindowsAccount(const CString& sid) const;

    // The directory with the id; null when there is none, it is a template, or there is no
    // database. Throws the database's CDBException.
    std::unique_ptr<Directory> LoadDirectory(LONG directoryId) const;

    // The system user (USER_ACCOUNT; -1 is the system administrator) or the cardholder
    // (CARDHOLDER_ACCOUNT) linked to the account in its directory; 0 when none or there is no
    // database. Throws AccountLinkedMoreThanOnceException when the account is linked to more
    // than one person.
    LONG GetUserIDForLinkedAccount(const DirectoryAccount& account) const;
    LONG GetCardholderIDForLinkedAccount(const DirectoryAccount& account) const;

    // Appends the accounts linked to the user or cardholder to `accounts` (their directory and
    // id only). Throws NoAccountsFoundException when the person has none, DirectoryException
    // for a status it does not know.
    void LoadLinkedUserAccounts(LONG userId, std::vector<DirectoryAccount>& accounts,
                                DirectoryAccountStatus::Enum status) const;
    void LoadLinkedCardholderAccounts(LONG cardholderId, std::vector<DirectoryAccount>& accounts,
                                      DirectoryAccountStatus::Enum status) const;
    // Links the account to the person: a new CARDHOLDER_ACCOUNT row (key from the ID generator,
    // type 41), whose key is then the account's primary key. Runs on the manager's database,
    // inside the caller's transaction when one is open. Throws AccountAlreadyLinkedException
    // when the account is linked already (to anyone), DirectoryException for any other failure.
    void LinkCardholderAccount(LONG personId, DirectoryAccount& account) const;

private:
    LONG FindLinkedID(const char* sql, const CString& sid) const;
    LONG FindLinkedPerson(const char* sql, const DirectoryAccount& account) const;
    void LoadLinkedAccounts(const char* sql, LONG personId, std::vector<DirectoryAccount>& accounts,
                            DirectoryAccountStatus::Enum status) const;

    CBntDatabase* m_database;
};

}  // namespace brontel::directories
