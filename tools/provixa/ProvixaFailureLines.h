// ProvixaFailureLines: the stream buffer that gives the host's error lines the form of the run
// (ProvixaCommandLine::FailureForm). For a program reading the bus (always) or the WMI door
// with --json, each failure line ("Error 0x80041002 (WBEM_E_NOT_FOUND): ...", "provixa: ...")
// becomes one JSON line {"error": KEY, "hresult": "0x80041002", "message": TEXT}
// (ProvixaOutput::FailureJson), and each warning ("provixa: warning: ...") one JSON line
// {"warning": TEXT}. Lines that are JSON already and progress notes pass as they are. For a person (the
// text form) the lines pass as they are. In every form a failure or warning that sends the
// reader to the provider log (ProvixaOutput::LogFileSentTo) names its file: a line
// "provixa: the provider log is FILE" after a text line ("provixa: line 3: the provider log is
// FILE" in a batch), a member "log" of a JSON one.
//
// It sits between a ProvixaLineWriter and the error stream, which hands it whole lines under its
// own lock; an unfinished last line is converted when Finish (or the destructor) comes. Not
// thread-safe on its own.
#pragma once

#include "platform/com/WbemConstants.h"
#include "tools/provixa/ProvixaCommandLine.h"
#include "platform/win32/WinTypes.h"

#include <functional>
#include <ostream>
#include <streambuf>
#include <string>

class ProvixaFailureLines final : public std::streambuf
{
public:
    // The error key of a code on the door the lines are for ("WBEM_E_NOT_FOUND",
    // "corvessa.general.exception").
    using KeyOf = std::function<std::string(HRESULT)>;

    // Writes to `destination` (which must outlive this) in `form`; `keyOf` names a code's key.
    ProvixaFailureLines(std::ostream& destination, ProvixaCommandLine::FailureForm form, KeyOf keyOf);
    ~ProvixaFailureLines() override;
    ProvixaFailureLines(const ProvixaFailureLines&) = delete;
    ProvixaFailureLines& operator=(const ProvixaFailureLines&) = delete;

    // The line (without its line break) as a JSON failure line, unless it is JSON already, a
    // warning or a progress note; `code` is the code of a failure line that names none (a host
    // refusal: WBEM_E_FAILED; a usage error: WBEM_E_INVALID_PARAMETER).
    static std::string Convert(const std::string& line, const KeyOf& keyOf, HRESULT code = WBEM_E_FAILED);

    // Hands over an unfinished last line.
    void Finish();

protected:
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int_type overflow(int_type c) override;
    int sync() override;

private:
    void WriteLine(const std::string& line);
    // The line (without its line break) in the form of the run.
    std::string Formed(const std::string& line) const;

    // Set at construction.
    std::ostream& m_destination;
    const ProvixaCommandLine::FailureForm m_form;
    const KeyOf m_keyOf;

    std::string m_line;
};
