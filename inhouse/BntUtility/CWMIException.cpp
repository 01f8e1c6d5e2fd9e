#include "inhouse/BntUtility/CWMIException.h"

#include <algorithm>
#include <array>
#include <cwchar>

#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/com/BstrOwner.h"
#include "platform/com/CimTypes.h"
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemServices.h"
#include "platform/wmi/WbemClassObject.h"

namespace brontel::utility {

namespace {

// Longest message read out of a replaced MFC exception.
constexpr UINT kInnerMessageChars = 1024;

CString TextOrEmpty(LPCWSTR text)
{
    return text == nullptr ? CString() : CString(text);
}

constexpr wchar_t kStatusClass[] = L"__ExtendedStatus";

// The status class of the namespace, or one of our own with the properties we fill.
ComPtr<IWbemClassObject> StatusClass(IWbemServices* services, IWbemContext* context)
{
    ComPtr<IWbemClassObject> statusClass;
    if (services != nullptr)
    {
        const BstrOwner path = BstrOwner::Copy(kStatusClass);
        if (FAILED(services->GetObject(path.Get(), 0, context, &statusClass, nullptr)))
        {
            statusClass = nullptr;
        }
    }
    if (statusClass)
    {
        return statusClass;
    }
    if (FAILED(CreateWbemClass(kStatusClass, nullptr, &statusClass)))
    {
        return nullptr;
    }
    const struct
    {
        LPCWSTR name;
        CIMTYPE type;
    } properties[] = {{L"Description", CIM_STRING},
                      {L"StatusCode", CIM_SINT32},
                      {L"Operation", CIM_STRING},
                      {L"ParameterInfo", CIM_STRING},
                      {L"ProviderName", CIM_STRING}};
    for (const auto& property : properties)
    {
        if (FAILED(statusClass->Put(property.name, 0, nullptr, property.type)))
        {
            return nullptr;
        }
    }
    return statusClass;
}

}  // namespace

CWMIException::CWMIException(LPCWSTR sourceFile, int line, HRESULT hr)
    : m_sourceFile(TextOrEmpty(sourceFile)), m_line(line), m_hr(hr)
{
}

CWMIException::CWMIException(LPCWSTR sourceFile, int line, HRESULT hr, LPCWSTR message)
    : m_sourceFile(TextOrEmpty(sourceFile)), m_line(line), m_hr(hr), m_text(TextOrEmpty(message))
{
}

CWMIException::CWMIException(LPCWSTR sourceFile, int line, HRESULT hr, LPCWSTR message, LPCWSTR detail)
    : m_sourceFile(TextOrEmpty(sourceFile)), m_line(line), m_hr(hr), m_text(TextOrEmpty(message)),
      m_detail(TextOrEmpty(detail))
{
}

CWMIException::CWMIException(LPCWSTR sourceFile, int line, HRESULT hr, LPCWSTR message, bool logNow)
    : m_sourceFile(TextOrEmpty(sourceFile)), m_line(line), m_hr(hr), m_text(TextOrEmpty(message))
{
    if (logNow)
    {
        CWMIDebugLog::LogError(m_sourceFile, m_line, m_text, m_hr, nullptr, nullptr);
    }
}

CWMIException::CWMIException(LPCWSTR sourceFile, int line, HRESULT hr, const CException* inner)
    : m_sourceFile(TextOrEmpty(sourceFile)), m_line(line), m_hr(hr)
{
    if (inner != nullptr)
    {
        std::array<wchar_t, kInnerMessageChars> buffer{};
        if (inner->GetErrorMessage(buffer.data(), kInnerMessageChars, nullptr))
        {
            buffer.back() = L'\0';
            m_innerMessage = buffer.data();
        }
    }
}

CString CWMIException::GetMessage() const
{
    CString message;
    message.Format(L"%s(%d): %s", static_cast<LPCWSTR>(m_sourceFile), m_line, static_cast<LPCWSTR>(m_text));
    if (!m_innerMessage.IsEmpty())
    {
        message += L" ";
        message += m_innerMessage;
    }
    return message;
}

BOOL CWMIException::GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext) const
{
    if (helpContext != nullptr)
    {
        *helpContext = 0;
    }
    if (buffer == nullptr || maxChars == 0)
    {
        return FALSE;
    }
    const CString message = GetMessage();
    const auto count = std::min<std::size_t>(static_cast<std::size_t>(message.GetLength()), maxChars - 1);
    std::wmemcpy(buffer, static_cast<LPCWSTR>(message), count);
    buffer[count] = L'\0';
    return TRUE;
}

IWbemClassObject* CWMIException::CreateExtendedStatus(IWbemServices* services, IWbemContext* context) const
{
    const ComPtr<IWbemClassObject> statusClass = StatusClass(services, context);
    ComPtr<IWbemClassObject> instance;
    if (!statusClass || FAILED(statusClass->SpawnInstance(0, &instance)) || !instance)
    {
        return nullptr;
    }
    // A property the namespace's class does not take is left empty; the rest still describe
    // the failure.
    _variant_t description(static_cast<LPCWSTR>(GetMessage()));
    instance->Put(L"Description", 0, &description, 0);
    _variant_t code(static_cast<LONG>(m_hr));
    instance->Put(L"StatusCode", 0, &code, 0);
    _variant_t operation(static_cast<LPCWSTR>(m_sourceFile));
    instance->Put(L"Operation", 0, &operation, 0);
    if (!m_detail.IsEmpty())
    {
        _variant_t detail(static_cast<LPCWSTR>(m_detail));
        instance->Put(L"ParameterInfo", 0, &detail, 0);
    }
    _variant_t provider(L"BntProvider");
    instance->Put(L"ProviderName", 0, &provider, 0);
    return instance.Detach();
}

}  // namespace brontel::utility
