#include "inhouse/BntDirectories/Directory.h"

#include <string>

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CLoginQuery.h"
#include "inhouse/BntDirectories/DirectoryException.h"
#include "inhouse/BntUtility/StringConversion.h"

namespace brontel::directories {

namespace {

// Account identifiers are at most this long (Bnt_Account.AccountID); a longer one is never held.
constexpr int kMaxAccountIdChars = 128;
// Longer names are no account names of ours and are not looked up.
constexpr int kMaxUserNameChars = 256;

CString TextOf(const CDBValue& value)
{
    return value.IsNull() ? CString() : value.AsText();
}

}  // namespace

std::unique_ptr<DirectoryAccount> Directory::ReadAccount(const char* column, const CDBValue& value) const
{
    try
    {
        const auto row = CLoginQuery::FirstRow(
            m_database,
            std::string("SELECT ACCOUNTID, USERNAME, DISPLAYNAME, PASSWORD_HASH FROM BNT_DIRECTORY_ACCOUNT "
                        "WHERE BNT_DIRECTORYID = ? AND ") +
                column + " = ? COLLATE NOCASE",
            {CDBValue(m_id), value});
        if (!row)
        {
            return nullptr;
        }
        return std::make_unique<DirectoryAccount>(
            m_id, TextOf((*row)[0]), TextOf((*row)[1]), TextOf((*row)[2]),
            (*row)[3].IsNull() ? std::string() : brontel::utility::ConvertCStringToUtf8((*row)[3].AsText()));
    }
    catch (const CDBException&)
    {
        throw DirectoryException("The directory could not be read.");
    }
}

std::unique_ptr<DirectoryAccount> Directory::GetAccount(const CString& accountId) const
{
    if (accountId.IsEmpty() || accountId.GetLength() > kMaxAccountIdChars)
    {
        return nullptr;
    }
    return ReadAccount("ACCOUNTID", CDBValue(accountId));
}

std::unique_ptr<DirectoryAccount> Directory::FindAccountByName(const CString& userName) const
{
    if (userName.IsEmpty() || userName.GetLength() > kMaxUserNameChars)
    {
        return nullptr;
    }
    return ReadAccount("USERNAME", CDBValue(userName));
}

bool Directory::CheckCredentials(const DirectoryAccount& account, std::string_view password) const
{
    return account.GetDirectoryID() == m_id && account.VerifyPassword(password);
}

}  // namespace brontel::directories
