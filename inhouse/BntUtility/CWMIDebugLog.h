// The provider's log: one text line per call, appended to the log file.
//
// Static functions only. Every call is thread-safe: lines are written whole and never
// interleave. Information lines are held for at most a tenth of a second and written together
// (LogFileWriter::AppendLineLater; LogFileWriter::Flush writes them at once); an error line is
// written before LogError returns, after the information lines held for its file. A line reads
//   "YYYY-MM-DD HH:MM:SS.mmm [tid] LEVEL source(line): text[ | detail]"
// for information (LEVEL "INFO", or "DEBUG" when the caller's flag is false) and
//   "YYYY-MM-DD HH:MM:SS.mmm [tid] ERROR source(line): text (0xHRESULT)[ | exception: ...][ | WMI exception: ...]"
// for errors (the code is the one given or, when 0 is given, the WMI exception's; no code is
// written when neither has one). Line breaks inside texts are written as blanks so that one
// call stays one line. Which lines are written follows the level: the DWORD "LogLevel" under
// HKEY_LOCAL_MACHINE\SOFTWARE\Brontel\Ivarune\Fluxmere (0 errors only, 1 information lines
// too, 2 debug lines too; 1 when absent or out of range), read with the log file's folder.
// A log file that cannot be written loses the line; logging never throws. LogError says whether
// its line is in the file, and each thread counts the error lines it wrote there
// (ErrorLinesWritten), so that a request can tell whether it left its reason in the log.
#pragma once

#include "platform/mfc/CException.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

#include <cstdint>

namespace brontel::utility {

class CWMIException;

class CWMIDebugLog
{
public:
    CWMIDebugLog() = delete;

    // The lines written: errors only, information lines too, or debug lines too.
    enum class Level : DWORD
    {
        Error = 0,
        Info = 1,
        Debug = 2,
    };
    static constexpr Level kDefaultLevel = Level::Info;

    // Writes one information line; detail may be null. A true flag marks the line "INFO",
    // a false one "DEBUG" (for routine lines, which the default level leaves out).
    static void LogInfo(LPCWSTR sourceFile, int line, LPCWSTR text, LPCWSTR detail = nullptr, bool flag = true);
    // Writes one error line with the code (an HRESULT or 0) and the messages of the given
    // exceptions, which are only read (never deleted); both may be null. True when the line is in
    // the log file whole; false when the file could not be opened or did not take it all.
    static bool LogError(LPCWSTR sourceFile, int line, LPCWSTR text, HRESULT code = 0,
                         const CException* exception = nullptr, const CWMIException* wmiException = nullptr);
    // How many error lines the calling thread has written whole to the log file since it started.
    // A request compares the count before and after to learn whether it wrote a reason there.
    static std::uint64_t ErrorLinesWritten();
    // The log file: the folder of the registry value "LogFilePath" under
    // HKEY_LOCAL_MACHINE\SOFTWARE\Brontel\Ivarune (environment references expanded) or, when
    // the value is absent or empty, the folder "Logs" under the Provixa home (a relative value
    // lies under the home, backslashes separate folders); the file in it
    // is "Fluxmere.log". Resolved again whenever the Provixa home changes.
    static CString GetLogFileName();
    // The folder that GetLogFileName's file lies in; other logs of the installation
    // ("BrontelError.log") are written beside it.
    static CString GetLogFolder();
};

}  // namespace brontel::utility
