// The directory sign-on stand-in of the bus front end: loads a directory of the installation
// (BNT_DIRECTORY with its BNT_DIRECTORY_SSO switch) and follows the links between directory
// accounts and the installation's people (USER_ACCOUNT, CARDHOLDER_ACCOUNT).
//
// A per-request object over a database it does not own; every call stands alone and is
// thread-safe as its database. Database failures are thrown as CDBException; the stand-in's
// own refusals as SignOnDirectoryException.
#pragma once

#include <memory>
#include <vector>

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CBntDatabase;
class CDirectoryLogon;

namespace brontel::directories {

class SignOnDirectory;

// Which linked accounts LoadLinked...Accounts reads.
enum class SignOnAccountStatus : int {
    AllLinked = 20,  // every account linked to the person
};

// One directory account linked to a person.
struct LinkedAccount {
    LONG directoryId = 0;
    CString accountId;

    LONG GetDirectoryID() const { return directoryId; }
    const CString& GetID() const { return accountId; }
};

class SignOnDirectoryManager {
public:
    explicit SignOnDirectoryManager(CBntDatabase* database);
    SignOnDirectoryManager(const SignOnDirectoryManager&) = delete;
    SignOnDirectoryManager& operator=(const SignOnDirectoryManager&) = delete;

    // The directory with the id, owned by the caller; null when there is none, it is a
    // template, or there is no database.
    std::unique_ptr<SignOnDirectory> LoadDirectory(LONG directoryId) const;

    // The system user (USER_ACCOUNT; -1 is the system administrator) or the cardholder
    // (CARDHOLDER_ACCOUNT) linked to the account in its directory; 0 when none. Throws
    // AccountLinkedMoreThanOnce when the account is linked to more than one person.
    LONG GetUserIDForLinkedAccount(const CDirectoryLogon& account) const;
    LONG GetCardholderIDForLinkedAccount(const CDirectoryLogon& account) const;

    // Appends the accounts linked to the user or cardholder to `accounts`. Throws
    // NoAccountsFound when the person has none, Directory for a status it does not know.
    void LoadLinkedUserAccounts(LONG userId, std::vector<LinkedAccount>& accounts, SignOnAccountStatus status) const;
    void LoadLinkedCardholderAccounts(LONG cardholderId, std::vector<LinkedAccount>& accounts,
                                      SignOnAccountStatus status) const;

private:
    LONG FindLinkedPerson(const char* sql, const CDirectoryLogon& account) const;
    void LoadLinkedAccounts(const char* sql, LONG personId, std::vector<LinkedAccount>& accounts,
                            SignOnAccountStatus status) const;

    CBntDatabase* m_database;  // not owned
};

}  // namespace brontel::directories
