// GenericException: a plain failure of the bus front end that carries one message (the
// database login check at the start of a request, unsupported value types).
//
// Thrown by value and caught by reference; immutable after construction.
#pragma once

#include <string>

#include "platform/mfc/CException.h"
#include "platform/mfc/CString.h"

class GenericException : public CException
{
public:
    explicit GenericException(const CString& message) : m_message(message) {}

    // Copies the message into the buffer (truncated and terminated); *helpContext = 0 when
    // given. Always TRUE.
    BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, PUINT helpContext = nullptr) const override
    {
        return CopyErrorMessage(m_message.GetString(), buffer, maxChars, helpContext);
    }

    const CString& GetMessage() const { return m_message; }

private:
    CString m_message;
};
