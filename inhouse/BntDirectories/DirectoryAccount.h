// brontel::directories::DirectoryAccount: one account of a directory (a row of
// BNT_DIRECTORY_ACCOUNT, or the directory and id of a person's link) and, once linked to a
// person, the key of its link (CARDHOLDER_ACCOUNT.CARDHOLDER_ACCOUNTID).
//
// A value object handed out by Directory and DirectoryDBManager and owned by the caller.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

namespace brontel::directories {

// Which of a person's linked accounts DirectoryDBManager::LoadLinked...Accounts reads.
struct DirectoryAccountStatus
{
    enum Enum : int
    {
        AllLinked = 20,  // every account linked to the person
    };
};

class DirectoryAccount
{
public:
    // passwordHash is CPasswordHash's stored form; empty when the account signs on with no password.
    DirectoryAccount(LONG directoryId, const CString& accountId, const CString& userName, const CString& displayName,
                     std::string passwordHash = std::string())
        : m_directoryId(directoryId), m_accountId(accountId), m_userName(userName), m_displayName(displayName),
          m_passwordHash(std::move(passwordHash))
    {
    }

    LONG GetDirectoryID() const { return m_directoryId; }
    // The account's id in its directory (a SID for Windows directories).
    const CString& GetID() const { return m_accountId; }
    const CString& GetUserName() const { return m_userName; }
    const CString& GetDisplayName() const { return m_displayName; }
    // True when the account signs on with a password kept in the installation.
    bool HasPassword() const { return !m_passwordHash.empty(); }
    // The stored hash (empty for none): a session signed on with it ends when it changes.
    const std::string& GetPasswordHash() const { return m_passwordHash; }
    // True when the password (UTF-8) matches the stored hash; an account without a hash, or
    // with a malformed one, never matches.
    bool VerifyPassword(std::string_view password) const;
    // The key of the account's link to a person; 0 until DirectoryDBManager links it.
    LONG GetPrimaryKey() const { return m_primaryKey; }
    void SetPrimaryKey(LONG key) { m_primaryKey = key; }

private:
    LONG m_directoryId;
    CString m_accountId;
    CString m_userName;
    CString m_displayName;
    std::string m_passwordHash;
    LONG m_primaryKey = 0;
};

}  // namespace brontel::directories
