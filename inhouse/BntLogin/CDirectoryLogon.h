// The password sign-on of directory accounts, kept in the installation database
// (BNT_DIRECTORY_LOGON) in place of a directory server: each row names an account of a
// directory by its user name, its account id (a Windows SID for Windows directories) and a
// salted password hash in CPasswordHash's stored form.
//
// A value object read by Find; thread-safe as its database. Database failures are thrown as
// CDBException.
#pragma once

#include <optional>
#include <string_view>

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CBntDatabase;

class CDirectoryLogon {
public:
    // The sign-on row of the user name (compared without regard to case) in the directory;
    // nothing when there is none, the name is empty or longer than any account name.
    static std::optional<CDirectoryLogon> Find(CBntDatabase& database, LONG directoryId, const CString& userName);

    // True when the password (UTF-8) matches the stored hash; a malformed or empty hash never
    // matches.
    bool Verify(std::string_view password) const;

    LONG GetDirectoryID() const { return m_directoryId; }
    // The account's id in its directory (BNT_DIRECTORY_LOGON.ACCOUNTID).
    const CString& GetAccountID() const { return m_accountId; }
    // The user name as stored.
    const CString& GetUserName() const { return m_userName; }

private:
    CDirectoryLogon() = default;

    LONG m_directoryId = 0;
    CString m_accountId;
    CString m_userName;
    std::string m_passwordHash;
};
