#include "inhouse/BntLogin/CDirectoryLogon.h"

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntLogin/CLoginQuery.h"
#include "inhouse/BntLogin/CPasswordHash.h"
#include "inhouse/BntUtility/StringConversion.h"

namespace {

// Longer names are no account names of ours and are not looked up.
constexpr int kMaxUserNameChars = 256;

}  // namespace

std::optional<CDirectoryLogon> CDirectoryLogon::Find(CBntDatabase& database, LONG directoryId, const CString& userName)
{
    if (userName.IsEmpty() || userName.GetLength() > kMaxUserNameChars) {
        return std::nullopt;
    }
    const auto row = CLoginQuery::FirstRow(database,
                                           "SELECT ACCOUNTID, USER_NAME, PASSWORD_HASH FROM BNT_DIRECTORY_LOGON "
                                           "WHERE BNT_DIRECTORYID = ? AND USER_NAME = ? COLLATE NOCASE",
                                           {directoryId, CDBValue(userName)});
    if (!row) {
        return std::nullopt;
    }
    CDirectoryLogon logon;
    logon.m_directoryId = directoryId;
    logon.m_accountId = (*row)[0].IsNull() ? CString() : (*row)[0].AsText();
    logon.m_userName = (*row)[1].IsNull() ? CString() : (*row)[1].AsText();
    logon.m_passwordHash = (*row)[2].IsNull() ? std::string() : brontel::utility::ConvertCStringToUtf8((*row)[2].AsText());
    return logon;
}

bool CDirectoryLogon::Verify(std::string_view password) const
{
    return CPasswordHash::Verify(password, m_passwordHash);
}
