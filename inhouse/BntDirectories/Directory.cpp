#include "inhouse/BntDirectories/Directory.h"

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntDirectories/DirectoryException.h"
#include "inhouse/BntLogin/CLoginQuery.h"

namespace brontel::directories {

namespace {

// Account identifiers are at most this long (Bnt_Account.AccountID); a longer one is never held.
constexpr int kMaxAccountIdChars = 128;

CString TextOf(const CDBValue& value)
{
    return value.IsNull() ? CString() : value.AsText();
}

}  // namespace

std::unique_ptr<DirectoryAccount> Directory::GetAccount(const CString& accountId) const
{
    if (accountId.IsEmpty() || accountId.GetLength() > kMaxAccountIdChars) {
        return nullptr;
    }
    try {
        const auto row = CLoginQuery::FirstRow(
            m_database,
            "SELECT ACCOUNTID, USERNAME, DISPLAYNAME FROM BNT_DIRECTORY_ACCOUNT WHERE BNT_DIRECTORYID = ? "
            "AND ACCOUNTID = ? COLLATE NOCASE",
            {CDBValue(m_id), CDBValue(accountId)});
        if (!row) {
            return nullptr;
        }
        return std::make_unique<DirectoryAccount>(m_id, TextOf((*row)[0]), TextOf((*row)[1]), TextOf((*row)[2]));
    }
    catch (const CDBException&) {
        throw DirectoryException("The directory could not be read.");
    }
}

}  // namespace brontel::directories
