// brontel::directories::Directory: one configured directory (a BNT_DIRECTORY row that is not a
// template) and the accounts it holds, kept in the installation database (BNT_DIRECTORY_ACCOUNT):
// no directory server is reached.
//
// Handed out by DirectoryDBManager::LoadDirectory and owned by the caller; borrows the database,
// which must outlive it. Used on one thread.
#pragma once

#include <memory>

#include "inhouse/BntDirectories/DirectoryAccount.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CBntDatabase;

namespace brontel::directories {

class Directory {
public:
    Directory(CBntDatabase& database, LONG id, const CString& name, LONG type)
        : m_database(database), m_id(id), m_name(name), m_type(type)
    {
    }
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;

    LONG GetID() const { return m_id; }
    const CString& GetName() const { return m_name; }
    // BNT_DIRECTORY.DIR_TYPE: 0 LDAP, 1 Active Directory, 2 NT 4 domain, 3 local accounts.
    LONG GetType() const { return m_type; }

    // The account of the directory whose identifier is accountId (compared without regard to
    // case); null when the directory holds none. Throws DirectoryException when the directory
    // cannot be read.
    std::unique_ptr<DirectoryAccount> GetAccount(const CString& accountId) const;

private:
    CBntDatabase& m_database;
    LONG m_id;
    CString m_name;
    LONG m_type;
};

}  // namespace brontel::directories
