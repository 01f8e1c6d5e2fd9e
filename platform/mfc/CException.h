// The exception classes of the application framework: CException and the standard kinds the
// stand-ins throw (CMemoryException, CInvalidArgException, CFileException).
//
// Exceptions are thrown by value and caught by reference; Delete() is kept for code written
// for heap-allocated exceptions and does nothing. Instances are immutable after construction
// and may be read from any thread.
#pragma once

#include "platform/win32/WinTypes.h"

using PUINT = UINT*;

class CException
{
public:
    CException() = default;
    CException(const CException&) = default;
    CException& operator=(const CException&) = default;
    virtual ~CException() = default;

    // Copies the description into buffer (at most maxChars characters including the
    // terminator, truncated and always terminated when maxChars > 0) and sets *helpContext to 0
    // when given. The base class has no description: it empties the buffer and returns FALSE.
    virtual BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, PUINT helpContext = nullptr) const;

    // There is no user interface to report to: returns 0 and shows nothing.
    virtual int ReportError(UINT type = 0, UINT messageId = 0);

    // Nothing to free: exceptions are values.
    void Delete() {}

protected:
    // Shared body of GetErrorMessage for classes with a fixed text: copies message (null
    // counts as empty) as described above and returns TRUE.
    static BOOL CopyErrorMessage(LPCWSTR message, LPWSTR buffer, UINT maxChars, PUINT helpContext);
};

// Memory could not be allocated.
class CMemoryException : public CException
{
public:
    // "Out of memory."
    BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, PUINT helpContext = nullptr) const override;
};

// An argument was out of range or malformed (an index past the end of a string, ...).
class CInvalidArgException : public CException
{
public:
    // "Encountered an improper argument."
    BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, PUINT helpContext = nullptr) const override;
};

// A file operation failed; m_cause says why and m_lOsError holds the system error code.
class CFileException : public CException
{
public:
    enum
    {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };

    explicit CFileException(int cause = none, LONG osError = -1) : m_cause(cause), m_lOsError(osError) {}

    // A sentence naming the cause (an unknown cause gives the generic text).
    BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, PUINT helpContext = nullptr) const override;

    int m_cause;
    LONG m_lOsError;
};
