// The installation's error log files (such as "BrontelError.log"): one line per call in a
// named file beside the provider's log.
//
// Static functions only; thread-safe (lines are written whole under one process-wide lock).
// A line reads "YYYY-MM-DD HH:MM:SS.mmm [tid] ERROR source(line): result 0xCODE[ text][ | exception: ...]".
// Logging never throws; a file that cannot be written loses the line.
#pragma once

#include "inhouse/BntUtility/CResult.h"
#include "platform/mfc/CException.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CLogger
{
public:
    CLogger() = delete;

    // Writes one error line to logFile (a bare name is placed in the folder of the provider's
    // log; a path is used as given) with the result's code and text and, when given, the
    // exception's message (only read, never deleted). With alsoProviderLog true the same
    // text is also written to the provider's log.
    static void LogError(LPCWSTR logFile, const CResult& result, LPCWSTR sourceFile, int line,
                         const CException* exception = nullptr, bool alsoProviderLog = false);
    static void LogError(LPCWSTR logFile, const CResult& result, LPCWSTR sourceFile, int line, bool alsoProviderLog);
};
