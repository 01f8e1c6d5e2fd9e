// A directory of the installation as the bus sign-on sees it: whether it takes manual single
// sign-on (a user name and password given by the client), and its accounts that sign on with
// a password (CDirectoryLogon rows). No directory server is reached.
//
// Made by SignOnDirectoryManager::LoadDirectory over a database it does not own, which must
// outlive it; used by one request. Database failures are thrown as CDBException.
#pragma once

#include <memory>
#include <string_view>

#include "inhouse/BntLogin/CDirectoryLogon.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CBntDatabase;

namespace brontel::directories {

class SignOnDirectory {
public:
    SignOnDirectory(CBntDatabase& database, LONG id, const CString& name, bool useManualSSO);
    SignOnDirectory(const SignOnDirectory&) = delete;
    SignOnDirectory& operator=(const SignOnDirectory&) = delete;

    LONG GetID() const { return m_id; }
    const CString& GetName() const { return m_name; }
    // True when clients may sign on with a user name and password of this directory.
    bool GetUseManualSSO() const { return m_useManualSSO; }

    // The account of the user name (without regard to case), owned by the caller; null when
    // the directory has none of that name.
    std::unique_ptr<CDirectoryLogon> FindAccountByName(const CString& userName) const;
    // True when the password (UTF-8) is the account's; false for another account's directory.
    bool CheckCredentials(const CDirectoryLogon& account, std::string_view password) const;

private:
    CBntDatabase& m_database;
    const LONG m_id;
    const CString m_name;
    const bool m_useManualSSO;
};

}  // namespace brontel::directories
