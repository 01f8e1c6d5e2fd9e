// CCorvessaException: a failure of the bus front end as the bus-hosting service receives it:
// an error key "corvessa." area "." reason that bus clients act on, and a readable message.
// Also the rules that turn the WMI side's failures (HRESULTs, CWMIException messages) into
// bus errors.
//
// Thrown by value and caught by reference; a value type, immutable after construction.
#pragma once

#include <string>

#include "platform/mfc/CException.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

namespace brontel::utility {
class CWMIException;
}

// The front end's own HRESULTs.
namespace corvessa {
constexpr HRESULT kInvalidSessionToken = static_cast<HRESULT>(0x80040520u);
constexpr HRESULT kInvalidFilter = static_cast<HRESULT>(0x80040521u);
constexpr HRESULT kInvalidTypeName = static_cast<HRESULT>(0x80040522u);
constexpr HRESULT kMissingRequestItem = static_cast<HRESULT>(0x80040523u);
constexpr HRESULT kDecodingFailed = static_cast<HRESULT>(0x80040524u);
constexpr HRESULT kFailedToAuthenticate = static_cast<HRESULT>(0x80040525u);
constexpr HRESULT kInvalidParameter = static_cast<HRESULT>(0x80040526u);
}  // namespace corvessa

class CCorvessaException : public CException
{
public:
    // The error keys.
    static constexpr char kInvalidSessionTokenKey[] = "corvessa.general.invalidsessiontoken";
    static constexpr char kInvalidFilterKey[] = "corvessa.general.invalidfilter";
    static constexpr char kInvalidTypeNameKey[] = "corvessa.general.invalidtypename";
    static constexpr char kMissingRequestItemKey[] = "corvessa.general.missingrequestitem";
    static constexpr char kDecodingFailedKey[] = "corvessa.general.decodingfailed";
    static constexpr char kFailedToAuthenticateKey[] = "corvessa.authentication.failedtoauthenticate";
    static constexpr char kInvalidParameterKey[] = "corvessa.invalidparameter.error";
    static constexpr char kGeneralExceptionKey[] = "corvessa.general.exception";
    static constexpr char kInvalidRequestItemKey[] = "corvessa.general.invalidrequestitem";
    static constexpr char kEditInstanceErrorKey[] = "corvessa.editinstance.error";
    static constexpr char kExecuteMethodErrorKey[] = "corvessa.executemethod.error";
    static constexpr char kInvalidDBConnectionKey[] = "corvessa.general.invaliddbconnection";
    static constexpr char kInvalidDirectoryIdKey[] = "corvessa.getdirectories.invaliddirectoryId";
    static constexpr char kInvalidCredentialsKey[] = "corvessa.general.invalidcredentials";
    static constexpr char kNotFoundKey[] = "corvessa.general.notfound";

    // The bus's own sentences: what replaces a not-supported failure's, and a session token
    // that could not be drawn.
    static constexpr const wchar_t* kNotSupportedText =
        L"The operation attempted is not supported by the Corvessa service.";
    static constexpr const wchar_t* kNoRandomTokenText = L"Unable to draw a random session token.";
    // A sign-in with credentials that name no user or cardholder (an unknown account, a wrong
    // password, an account not linked): said as a refusal; its reason is in the log.
    static constexpr const wchar_t* kSignInRefusedText =
        L"The sign-in was refused: the account and password given were not accepted, check server logs for details.";

    // Key and UTF-8 message; the HRESULT is the one the key stands for (HResult).
    CCorvessaException(const std::string& errorCode, const std::string& message);
    CCorvessaException(const std::string& errorCode, const CString& message);
    // Key, UTF-8 message and HRESULT as given: a failure told again with more words keeps its code.
    CCorvessaException(const std::string& errorCode, const std::string& message, HRESULT hr);
    // Key and the rewritten message of a WMI-side failure (GetCorvessaErrorMessageFromWMIException).
    CCorvessaException(const std::string& errorCode, const brontel::utility::CWMIException& source);
    // Key and message of the front end's table for the HRESULT; "corvessa.general.exception"
    // for any HRESULT outside it.
    explicit CCorvessaException(long hr);

    // Copies the message into the buffer (truncated and terminated); *helpContext = 0 when
    // given. Always TRUE.
    BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, PUINT helpContext = nullptr) const override;

    std::string ErrorCode() const { return m_errorCode; }
    // The HRESULT of the failure: the one given, or the WMI-side failure's; for an exception
    // built from a key, the key's HRESULT in the table above, WBEM_E_INVALID_PARAMETER for
    // "corvessa.general.invalidrequestitem" (the failure that key is converted from) and
    // E_FAIL for any other key. Bus clients get it with every error.
    HRESULT HResult() const { return m_hr; }
    // The message as UTF-8.
    std::string ErrorMessage() const;
    CString ErrorMessageCString() const { return m_message; }
    bool IsInvalidDBConnectionException() const { return m_errorCode == kInvalidDBConnectionKey; }

    // "Request contains an invalid value for the property 'PROPERTY'." under
    // "corvessa.general.invalidrequestitem", followed by a blank and `takes` (what the property
    // takes, a sentence) when given: every refusal of one request value says it so.
    static CCorvessaException InvalidRequestItem(const std::string& property, const std::string& takes = {});
    // InvalidRequestItem for a text that is not well-formed UTF-8: stored, it would become other
    // characters (U+FFFD).
    static CCorvessaException IllFormedText(const std::string& property);

    // The source's message with WMI wording replaced; for HRESULT 0x8004100C (not supported)
    // the part after the first "):" becomes the front end's own not-supported sentence.
    static CString GetCorvessaErrorMessageFromWMIException(const brontel::utility::CWMIException& source);
    // Every "WMI", then every "Fluxmere", becomes "Corvessa" (case-sensitive).
    static CString ReplaceMentionOfWMIWithCorvessa(const CString& text);
    // The text up to and including its first "):", a blank and the new text; a text without
    // "):" becomes the new text alone.
    static CString ReplaceWMIErrorMessageWithCorvessaMessage(const CString& text, const CString& newText);

private:
    std::string m_errorCode;
    CString m_message;
    HRESULT m_hr = E_FAIL;
};
