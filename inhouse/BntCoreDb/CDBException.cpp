#include "inhouse/BntCoreDb/CDBException.h"

CDBException::CDBException(int retCode, const CString& state, LONG nativeError, const CString& message)
    : m_nRetCode(retCode), m_strError(message), m_state(state), m_nativeError(nativeError)
{
    m_strStateNativeOrigin.Format(L"State:%s,Native:%d,Origin:[Provixa][BntCoreDb][SQLite]\n",
                                  static_cast<LPCWSTR>(state), static_cast<int>(nativeError));
}

CDBException CDBException::ConnectionLost(const CString& detail)
{
    CString message(L"The connection to the database was lost. ");
    message += detail;
    return CDBException(kRetDatabaseError, L"08S01", kNativeConnectionLost, message);
}

BOOL CDBException::GetErrorMessage(LPWSTR buffer, UINT maxChars, PUINT helpContext) const
{
    return CopyErrorMessage(m_strError, buffer, maxChars, helpContext);
}

bool CDBException::IsConnectionLost() const
{
    return (m_state == L"08S01" && m_nativeError == kNativeConnectionLost) ||
           (m_state == L"08S02" && m_nativeError == -1);
}
