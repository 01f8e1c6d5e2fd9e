#include "bus/CCorvessaException.h"

#include "inhouse/BntUtility/CWMIException.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/com/WbemConstants.h"

namespace {

struct HResultText
{
    HRESULT hr;
    const char* key;
    const char* message;
};

constexpr HResultText kHResultTexts[] = {
    {corvessa::kInvalidSessionToken, CCorvessaException::kInvalidSessionTokenKey,
     "Invalid authentication token. Check server logs for more details."},
    {corvessa::kInvalidFilter, CCorvessaException::kInvalidFilterKey,
     "Invalid filter specified. Check server logs for more details."},
    {corvessa::kInvalidTypeName, CCorvessaException::kInvalidTypeNameKey,
     "Type name specified does not exist. Check server logs for more details."},
    {corvessa::kMissingRequestItem, CCorvessaException::kMissingRequestItemKey,
     "Key property is missing from request. Check server logs for more details."},
    {corvessa::kDecodingFailed, CCorvessaException::kDecodingFailedKey,
     "Failed to decode base64 binary data. Check server logs for more details."},
    {corvessa::kFailedToAuthenticate, CCorvessaException::kFailedToAuthenticateKey,
     "Failed to authenticate. Check server logs for more details."},
    {corvessa::kInvalidParameter, CCorvessaException::kInvalidParameterKey,
     "Invalid or missing method parameter. Check server logs for more details."},
};

constexpr char kOtherMessage[] = "Exception occurred, check server logs for details.";

const HResultText* FindText(long hr)
{
    for (const HResultText& text : kHResultTexts)
    {
        if (text.hr == hr)
        {
            return &text;
        }
    }
    return nullptr;
}

HRESULT HResultOfKey(const std::string& key)
{
    for (const HResultText& text : kHResultTexts)
    {
        if (key == text.key)
        {
            return text.hr;
        }
    }
    return key == CCorvessaException::kInvalidRequestItemKey ? WBEM_E_INVALID_PARAMETER : E_FAIL;
}

}  // namespace

CCorvessaException::CCorvessaException(const std::string& errorCode, const std::string& message)
    : m_errorCode(errorCode), m_message(brontel::utility::ConvertUtf8ToCString(message)), m_hr(HResultOfKey(errorCode))
{
}

CCorvessaException::CCorvessaException(const std::string& errorCode, const CString& message)
    : m_errorCode(errorCode), m_message(message), m_hr(HResultOfKey(errorCode))
{
}

CCorvessaException::CCorvessaException(const std::string& errorCode, const std::string& message, HRESULT hr)
    : m_errorCode(errorCode), m_message(brontel::utility::ConvertUtf8ToCString(message)), m_hr(hr)
{
}

CCorvessaException::CCorvessaException(const std::string& errorCode, const brontel::utility::CWMIException& source)
    : m_errorCode(errorCode), m_message(GetCorvessaErrorMessageFromWMIException(source)), m_hr(source.GetHResult())
{
}

CCorvessaException::CCorvessaException(long hr) : m_hr(static_cast<HRESULT>(hr))
{
    const HResultText* text = FindText(hr);
    m_errorCode = text != nullptr ? text->key : kGeneralExceptionKey;
    m_message = CString(text != nullptr ? text->message : kOtherMessage);
}

BOOL CCorvessaException::GetErrorMessage(LPWSTR buffer, UINT maxChars, PUINT helpContext) const
{
    return CopyErrorMessage(m_message.GetString(), buffer, maxChars, helpContext);
}

std::string CCorvessaException::ErrorMessage() const
{
    return brontel::utility::ConvertCStringToUtf8(m_message);
}

CString CCorvessaException::GetCorvessaErrorMessageFromWMIException(const brontel::utility::CWMIException& source)
{
    CString message = ReplaceMentionOfWMIWithCorvessa(source.GetMessage());
    if (source.GetHResult() == WBEM_E_NOT_SUPPORTED)
    {
        message = ReplaceWMIErrorMessageWithCorvessaMessage(message, kNotSupportedText);
    }
    return message;
}

CString CCorvessaException::ReplaceMentionOfWMIWithCorvessa(const CString& text)
{
    CString result = text;
    result.Replace(L"WMI", L"Corvessa");
    result.Replace(L"Fluxmere", L"Corvessa");
    return result;
}

CString CCorvessaException::ReplaceWMIErrorMessageWithCorvessaMessage(const CString& text, const CString& newText)
{
    const int end = text.Find(L"):");
    // Without "):" no part of the old text can be told from its origin, so only the new one stays.
    if (end < 0)
    {
        return newText;
    }
    return text.Left(end + 2) + L" " + newText;
}

CCorvessaException CCorvessaException::InvalidRequestItem(const std::string& property, const std::string& takes)
{
    return CCorvessaException(kInvalidRequestItemKey, "Request contains an invalid value for the property '" +
                                                          property + "'." + (takes.empty() ? "" : " " + takes));
}

CCorvessaException CCorvessaException::IllFormedText(const std::string& property)
{
    return InvalidRequestItem(property, "It takes well-formed UTF-8 text.");
}
