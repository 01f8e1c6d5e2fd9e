#include "inhouse/BntDirectories/DirectoryDBManager.h"

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntLogin/CLoginQuery.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"

using brontel::utility::CWMIDebugLog;

namespace brontel::directories {

namespace {

constexpr wchar_t kSource[] = L"DirectoryDBManager";
// SID texts are short; a longer one is not a SID and is never looked up.
constexpr int kMaxSidChars = 256;

constexpr char kUserQuery[] =
    "SELECT DISTINCT A.USERID FROM USER_ACCOUNT A JOIN BNT_DIRECTORY D ON D.BNT_DIRECTORYID = A.BNT_DIRECTORYID "
    "WHERE A.ACCOUNTID = ? COLLATE NOCASE AND D.DIR_TYPE IN (1, 2, 3) LIMIT 2";
constexpr char kCardholderQuery[] =
    "SELECT DISTINCT A.EMPID FROM CARDHOLDER_ACCOUNT A JOIN BNT_DIRECTORY D ON D.BNT_DIRECTORYID = A.BNT_DIRECTORYID "
    "WHERE A.ACCOUNTID = ? COLLATE NOCASE AND D.DIR_TYPE IN (1, 2, 3) LIMIT 2";

}  // namespace

DirectoryDBManager::DirectoryDBManager(CBntDatabase* database, const CBntAcsSystemOptions*) : m_database(database) {}

LONG DirectoryDBManager::FindLinkedID(const char* sql, const CString& sid) const
{
    if (m_database == nullptr || sid.IsEmpty() || sid.GetLength() > kMaxSidChars) {
        return 0;
    }
    const auto rows = CLoginQuery::Rows(*m_database, sql, {CDBValue(sid)});
    if (rows.size() > 1) {
        CWMIDebugLog::LogError(kSource, __LINE__, CString(L"Account linked more than once: ") + sid,
                               static_cast<HRESULT>(0x80041003u));
        return 0;
    }
    return rows.empty() ? 0 : static_cast<LONG>(CLoginQuery::Integer(rows.front(), 0));
}

LONG DirectoryDBManager::GetUserIDForWindowsAccount(const CString& sid) const { return FindLinkedID(kUserQuery, sid); }

LONG DirectoryDBManager::GetCardholderIDForWindowsAccount(const CString& sid) const
{
    return FindLinkedID(kCardholderQuery, sid);
}

}  // namespace brontel::directories
