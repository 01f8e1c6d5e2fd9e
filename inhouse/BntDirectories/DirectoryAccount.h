// brontel::directories::DirectoryAccount: one account of a directory (a row of
// BNT_DIRECTORY_ACCOUNT) and, once linked to a person, the key of its link
// (CARDHOLDER_ACCOUNT.CARDHOLDER_ACCOUNTID).
//
// A value object handed out by Directory::GetAccount and owned by the caller.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

namespace brontel::directories {

class DirectoryAccount {
public:
    DirectoryAccount(LONG directoryId, const CString& accountId, const CString& userName, const CString& displayName)
        : m_directoryId(directoryId), m_accountId(accountId), m_userName(userName), m_displayName(displayName)
    {
    }

    LONG GetDirectoryID() const { return m_directoryId; }
    const CString& GetAccountID() const { return m_accountId; }
    const CString& GetUserName() const { return m_userName; }
    const CString& GetDisplayName() const { return m_displayName; }
    // The key of the account's link to a person; 0 until DirectoryDBManager links it.
    LONG GetPrimaryKey() const { return m_primaryKey; }
    void SetPrimaryKey(LONG key) { m_primaryKey = key; }

private:
    LONG m_directoryId;
    CString m_accountId;
    CString m_userName;
    CString m_displayName;
    LONG m_primaryKey = 0;
};

}  // namespace brontel::directories
