// The exception every database operation of this library throws: the database's state code
// (an SQLSTATE), its native error number, where it came from, and a readable message.
//
// Thrown by value and caught by reference (as CException& or CDBException&). Immutable after
// construction; may be read from any thread.
#pragma once

#include "platform/mfc/CException.h"
#include "platform/mfc/CString.h"

class CDBException : public CException
{
public:
    // m_nRetCode: the database engine reported the error (native number in the state text).
    static constexpr int kRetDatabaseError = -1;
    // m_nRetCode: this library refused the request before it reached the engine (a name that
    // is not an identifier, a value that does not convert, a call out of sequence).
    static constexpr int kRetRefused = 600;

    // Native number that goes with state "08S01" when the connection is lost.
    static constexpr LONG kNativeConnectionLost = 233;

    // Builds the exception. m_strStateNativeOrigin becomes
    // "State:<state>,Native:<native>,Origin:[Provixa][BntCoreDb][SQLite]\n".
    CDBException(int retCode, const CString& state, LONG nativeError, const CString& message);

    // The lost-connection exception: state "08S01", native 233, with the given detail.
    static CDBException ConnectionLost(const CString& detail);

    // Copies m_strError into the buffer (see CException::GetErrorMessage); TRUE.
    BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, PUINT helpContext = nullptr) const override;

    // True when the connection to the database is gone: state "08S01" with native 233, or
    // "08S02" with native -1. The caller must reopen the database before using it again.
    bool IsConnectionLost() const;

    // The SQLSTATE text (five characters) and the native error number.
    const CString& GetState() const { return m_state; }
    LONG GetNativeError() const { return m_nativeError; }

    int m_nRetCode;
    CString m_strError;
    CString m_strStateNativeOrigin;

private:
    CString m_state;
    LONG m_nativeError;
};
