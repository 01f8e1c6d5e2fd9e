// brontel::directories::Directory: one configured directory (a BNT_DIRECTORY row that is not a
// template, with its BNT_DIRECTORY_SSO switch) and the accounts it holds, kept in the
// installation database (BNT_DIRECTORY_ACCOUNT): no directory server is reached.
//
// Handed out by DirectoryDBManager::LoadDirectory and owned by the caller; borrows the database,
// which must outlive it. Used on one thread.
#pragma once

#include <memory>
#include <string_view>

#include "inhouse/BntDirectories/DirectoryAccount.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CBntDatabase;
class CDBValue;

namespace brontel::directories {

class Directory
{
public:
    Directory(CBntDatabase& database, LONG id, const CString& name, LONG type, bool useManualSSO)
        : m_database(database), m_id(id), m_name(name), m_type(type), m_useManualSSO(useManualSSO)
    {
    }
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;

    LONG GetID() const { return m_id; }
    const CString& GetName() const { return m_name; }
    // BNT_DIRECTORY.DIR_TYPE: 0 LDAP, 1 Active Directory, 2 NT 4 domain, 3 local accounts.
    LONG GetType() const { return m_type; }
    // True when clients may sign on with a user name and password of this directory.
    bool GetUseManualSSO() const { return m_useManualSSO; }

    // The account of the directory whose identifier is accountId (compared without regard to
    // case); null when the directory holds none. Throws DirectoryException when the directory
    // cannot be read.
    std::unique_ptr<DirectoryAccount> GetAccount(const CString& accountId) const;
    // The account whose user name is userName (compared without regard to case); null when the
    // directory holds none, or the name is empty or longer than any account name. Throws
    // DirectoryException when the directory cannot be read.
    std::unique_ptr<DirectoryAccount> FindAccountByName(const CString& userName) const;
    // True when the account is one of this directory's and the password (UTF-8) is its own.
    bool CheckCredentials(const DirectoryAccount& account, std::string_view password) const;

private:
    std::unique_ptr<DirectoryAccount> ReadAccount(const char* column, const CDBValue& value) const;

    CBntDatabase& m_database;
    LONG m_id;
    CString m_name;
    LONG m_type;
    bool m_useManualSSO;
};

}  // namespace brontel::directories
