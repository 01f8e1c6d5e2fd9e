#include "bus/CorvessaAuthenticationUtility.h"

#include "bus/CCorvessaException.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "inhouse/BntUtility/PublicPrivateKeyEncryptionUtility.h"
#include "platform/mfc/CString.h"
#include "platform/qpid/Exception.h"
#include "platform/qpid/Uuid.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;
using brontel::utility::PublicPrivateKeyEncryptionUtility;

namespace {

constexpr wchar_t kCorvessaAuthenticationUtilitySource[] = L"CorvessaAuthenticationUtility";

}  // namespace

HRESULT CorvessaAuthenticationUtility::GenerateEncryptionKeys()
{
    std::string publicKey;
    std::string privateKey;
    const HRESULT hr = PublicPrivateKeyEncryptionUtility::GenerateKeys(publicKey, privateKey);
    if (FAILED(hr))
    {
        SetKeys(std::string(), std::string());
        CString text;
        text.Format(L"CorvessaAuthenticationUtility::GenerateEncryptionKeys failed with error code 0x%x. ",
                    static_cast<unsigned>(hr));
        CWMIDebugLog::LogError(kCorvessaAuthenticationUtilitySource, __LINE__, text, hr);
        return hr;
    }
    SetKeys(std::move(publicKey), std::move(privateKey));
    return hr;
}

HRESULT CorvessaAuthenticationUtility::Decrypt(const std::string& cipherText, std::string& plainText) const
{
    const HRESULT hr = PublicPrivateKeyEncryptionUtility::Decrypt(m_privateKey, cipherText, plainText);
    if (FAILED(hr))
    {
        CString text;
        text.Format(L"CorvessaAuthenticationUtility::Decrypt failed with error code 0x%x. ", static_cast<unsigned>(hr));
        CWMIDebugLog::LogError(kCorvessaAuthenticationUtilitySource, __LINE__, text, hr);
    }
    return hr;
}

std::string CorvessaAuthenticationUtility::GenerateToken() const
{
    try
    {
        return qpid::types::Uuid(true).str();
    }
    catch (const qpid::types::Exception&)
    {
        // A predictable token would let anyone take over a session: no token at all instead.
        throw CWMIException(kCorvessaAuthenticationUtilitySource, __LINE__, E_FAIL,
                            CCorvessaException::kNoRandomTokenText);
    }
}

void CorvessaAuthenticationUtility::SetKeys(std::string publicKey, std::string privateKey)
{
    m_publicKey = std::move(publicKey);
    m_privateKey = std::move(privateKey);
}
