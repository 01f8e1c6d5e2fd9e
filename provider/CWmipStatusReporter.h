// CWmipStatusReporter: the reporter guard of one asynchronous request: makes sure the WMI sink
// hears exactly one final SetStatus, on every path.
//
// Owned by the request's stack frame; lives on the request's thread only (no lock). The sink
// is borrowed from the caller and must outlive the guard. A null sink is allowed: then nothing
// is ever reported (there is nobody to tell).
#pragma once

#include "platform/com/Bstr.h"
#include "platform/win32/WinTypes.h"

class IWbemClassObject;
class IWbemObjectSink;

class CWmipStatusReporter
{
public:
    explicit CWmipStatusReporter(IWbemObjectSink* sink);
    // Reports WBEM_E_FAILED (no text, no status object) when nothing was reported yet.
    ~CWmipStatusReporter();
    CWmipStatusReporter(const CWmipStatusReporter&) = delete;
    CWmipStatusReporter& operator=(const CWmipStatusReporter&) = delete;

    // Sends the final SetStatus (WBEM_STATUS_COMPLETE) with the result, the result text (may
    // be null) and the extended status object (may be null; the sink takes its own reference).
    // Answers result. A second call, or a call without a sink, sends nothing.
    HRESULT Complete(HRESULT result, BSTR text, IWbemClassObject* statusObject);
    // True once the final status was sent (or would have been, without a sink).
    bool HasReported() const { return m_reported; }

    // A progress report (WBEM_STATUS_PROGRESS, 0, no text, no object); does not count as the
    // final report. Nothing happens without a sink.
    void Progress();

private:
    // Set at construction.
    IWbemObjectSink* const m_sink;

    bool m_reported = false;
};
