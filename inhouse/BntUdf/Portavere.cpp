#include "inhouse/BntUdf/Portavere.h"

#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntCoreDb/CLoginQuery.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBClock.h"
#include "inhouse/BntCoreDb/CDBException.h"

namespace brontel::portavere {

LONG Portavere::RecommendationSystemSetting(bool) const
{
    if (m_user == nullptr || m_user->GetDatabase() == nullptr)
    {
        return 0;
    }
    const auto row = CLoginQuery::FirstRow(
        *m_user->GetDatabase(), "SELECT NUMBERVALUE FROM CONFIG_VALUE WHERE CONFIGID = ?", {kSystemSettingId});
    return row ? static_cast<LONG>(CLoginQuery::Integer(*row, 0)) : 0;
}

bool Portavere::IsGrant(LONG cardholderLevel, LONG systemSetting, LONG, LONG) const
{
    return cardholderLevel >= systemSetting;
}

bool Portavere::LogGrantTransactionUsingIDs(LONG currentLevel, LONG systemLevel, const CString& cardholderName,
                                            const CString& ssno, const CString& readerName, const CString& gateName,
                                            LPCWSTR) const
{
    return LogTransaction(true, currentLevel, systemLevel, cardholderName, ssno, readerName, gateName);
}

bool Portavere::LogDenyTransactionUsingIDs(LONG currentLevel, LONG systemLevel, const CString& cardholderName,
                                           const CString& ssno, const CString& readerName, const CString& gateName,
                                           LPCWSTR) const
{
    return LogTransaction(false, currentLevel, systemLevel, cardholderName, ssno, readerName, gateName);
}

bool Portavere::LogTransaction(bool granted, LONG currentLevel, LONG systemLevel, const CString& cardholderName,
                               const CString& ssno, const CString& readerName, const CString& gateName) const
{
    if (m_user == nullptr || m_user->GetDatabase() == nullptr)
    {
        return false;
    }
    try
    {
        m_user->GetDatabase()->ExecuteSQL(
            L"INSERT INTO PORTAVERE_TRANSACTION (GRANTED, CURRENT_LEVEL, SYSTEM_LEVEL, CARDHOLDER_NAME, SSNO, "
            L"READER_NAME, GATE_NAME, USERID, LOGGED_UTC) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
            {CDBValue(static_cast<LONG>(granted ? 1 : 0)), CDBValue(currentLevel), CDBValue(systemLevel),
             CDBValue(cardholderName), CDBValue(ssno), CDBValue(readerName), CDBValue(gateName),
             CDBValue(m_user->GetUserID()), CDBClock::UtcNow()});
        return true;
    }
    catch (const CDBException&)
    {
        return false;
    }
}

}  // namespace brontel::portavere
