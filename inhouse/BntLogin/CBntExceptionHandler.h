// Writes the failures that a login-library object meets (a refused login, a database error)
// to a log file, once file logging has been enabled with a file name.
//
// Owned by the object it serves (each CAcsUser and CBntApp holds one). Thread-safe: the file
// name is guarded by m_lock and lines are written whole through the shared log writer.
#pragma once

#include <mutex>

#include "platform/win32/ThreadSafety.h"
#include "platform/mfc/CException.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CBntExceptionHandler
{
public:
    CBntExceptionHandler() = default;
    CBntExceptionHandler(const CBntExceptionHandler&) = delete;
    CBntExceptionHandler& operator=(const CBntExceptionHandler&) = delete;

    // Points file logging at fileName; an empty or null name turns file logging off.
    void EnableFileLogging(LPCWSTR fileName);
    // TRUE while a log file is set.
    BOOL IsFileLoggingEnabled() const;
    // The log file; empty while file logging is off.
    CString GetLogFileName() const;

    // Writes "... ERROR source(line): text[ | exception: ...]" to the log file when file
    // logging is on; does nothing otherwise. The exception is only read.
    void LogError(LPCWSTR sourceFile, int line, LPCWSTR text, const CException* exception = nullptr) const;

private:
    mutable CheckedMutex m_lock;
    CString m_fileName GUARDED_BY(m_lock);
};
