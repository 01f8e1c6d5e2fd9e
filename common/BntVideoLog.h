// BntVideoLog: the common SDK's trace log, the file "bntVideo.log" in the PROVIXA_HOME folder.
//
// Each call appends exactly one line: the local time, the thread id and the text, with any
// line breaks inside the text turned into spaces so a caller's text can never forge a line.
// Callers must never pass key material or pass phrases. Writing is serialised by a process-wide
// lock, so lines of concurrent threads never mix; a file that cannot be written is skipped
// silently, because tracing must not change what the caller does.
#pragma once

#include "platform/mfc/CString.h"

class BntVideoLog
{
public:
    BntVideoLog() = delete;

    // Appends "YYYY-MM-DD HH:MM:SS.mmm [thread] text" to the log.
    static void Write(const CString& text);

    // Formats like CString::Format and writes the result as one line.
    template <class... Args>
    static void Trace(const wchar_t* format, const Args&... args)
    {
        CString text;
        text.Format(format, args...);
        Write(text);
    }

    // The name of the log file inside PROVIXA_HOME.
    static constexpr wchar_t kFileName[] = L"bntVideo.log";
};
