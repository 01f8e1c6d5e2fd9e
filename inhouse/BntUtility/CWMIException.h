// The exception of the WMI side: a source file name, a line, an HRESULT and a message,
// optionally with a detail text and the message of an MFC exception it replaces.
//
// Thrown by value and caught by reference. The message it reports (GetMessage) starts with
// "source(line): " so that every reader can tell where it was raised. A value type: copies
// are independent; an object is not shared between threads.
#pragma once

#include "platform/mfc/CException.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class IWbemClassObject;
class IWbemContext;
class IWbemServices;

namespace brontel::utility {

class CWMIException
{
public:
    CWMIException(LPCWSTR sourceFile, int line, HRESULT hr);
    CWMIException(LPCWSTR sourceFile, int line, HRESULT hr, LPCWSTR message);
    CWMIException(LPCWSTR sourceFile, int line, HRESULT hr, LPCWSTR message, LPCWSTR detail);
    // With logNow true the exception writes itself to the provider's log as it is built.
    CWMIException(LPCWSTR sourceFile, int line, HRESULT hr, LPCWSTR message, bool logNow);
    // Replaces an MFC exception; its message is copied, so the caller may delete it at once.
    CWMIException(LPCWSTR sourceFile, int line, HRESULT hr, const CException* inner);
    virtual ~CWMIException() = default;

    CWMIException(const CWMIException&) = default;
    CWMIException& operator=(const CWMIException&) = default;

    HRESULT GetHResult() const { return m_hr; }
    // "source(line): text", followed by " " and the replaced exception's message when there
    // is one; the text is empty when none was given.
    CString GetMessage() const;
    // The text as given to the constructor (empty when none).
    const CString& GetText() const { return m_text; }
    const CString& GetDetail() const { return m_detail; }
    const CString& GetSourceFile() const { return m_sourceFile; }
    int GetLine() const { return m_line; }
    // The message of the replaced MFC exception; empty when this one replaced none.
    const CString& GetInnerMessage() const { return m_innerMessage; }

    // Copies GetMessage into buffer (truncated and terminated to maxChars); sets *helpContext
    // to 0 when given. FALSE only when buffer is null or maxChars is 0.
    BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext = nullptr) const;

    // A new instance of "__ExtendedStatus" (from the namespace, or a class of our own when the
    // namespace has none) describing this failure: Description (GetMessage), StatusCode (the
    // HRESULT), Operation (the source file), ParameterInfo (the detail text) and ProviderName
    // ("BntProvider"). The caller owns one reference. Null when no instance can be made.
    IWbemClassObject* CreateExtendedStatus(IWbemServices* services, IWbemContext* context) const;

private:
    CString m_sourceFile;
    int m_line = 0;
    HRESULT m_hr = S_OK;
    CString m_text;
    CString m_detail;
    CString m_innerMessage;
};

}  // namespace brontel::utility
