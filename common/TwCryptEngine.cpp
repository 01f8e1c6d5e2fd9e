#include "common/TwCryptEngine.h"

#include "common/BntVideoLog.h"
#include "common/RegAccess.h"
#include "platform/mfc/CString.h"
#include "platform/mfc/UnicodeText.h"
#include "platform/win32/SystemInfo.h"

#include <climits>
#include <string>
#include <vector>

namespace {

constexpr BYTE kRc2BlockSize = 8;

HRESULT LastCryptError()
{
    const DWORD error = GetLastError();
    return error == 0 ? E_FAIL : static_cast<HRESULT>(error);
}

std::wstring Base64Lines(const std::vector<BYTE>& data)
{
    static constexpr wchar_t kAlphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::wstring plain;
    plain.reserve((data.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < data.size(); i += 3)
    {
        const std::size_t left = data.size() - i;
        const unsigned triple = (data[i] << 16) | (left > 1 ? data[i + 1] << 8 : 0) | (left > 2 ? data[i + 2] : 0);
        plain.push_back(kAlphabet[(triple >> 18) & 0x3F]);
        plain.push_back(kAlphabet[(triple >> 12) & 0x3F]);
        plain.push_back(left > 1 ? kAlphabet[(triple >> 6) & 0x3F] : L'=');
        plain.push_back(left > 2 ? kAlphabet[triple & 0x3F] : L'=');
    }
    std::wstring lines;
    lines.reserve(plain.size() + plain.size() / TwCryptEngine::kBase64LineLength * 2);
    for (std::size_t i = 0; i < plain.size(); i += TwCryptEngine::kBase64LineLength)
    {
        if (i != 0)
            lines += L"\r\n";
        lines.append(plain, i, TwCryptEngine::kBase64LineLength);
    }
    return lines;
}

// The exchange key both sides derive from the installation's pass phrase.
bool DeriveExchangeKey(HCRYPTPROV provider, CryptKeyHandle& key)
{
    CString phrase;
    if (!GetInstallationPassPhrase(TwCryptEngine::kPassPhraseValue, phrase))
    {
        SetLastError(static_cast<DWORD>(NTE_NO_KEY));
        return false;
    }
    std::string bytes = CStringToUtf8(phrase);
    CryptHashHandle hash;
    const bool ok =
        CryptCreateHash(provider, CALG_SHA1, 0, 0, hash.Receive()) &&
        CryptHashData(hash.Get(), reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), 0) &&
        CryptDeriveKey(provider, CALG_RC2, hash.Get(), 128u << 16, key.Receive());
    SecureZeroMemory(bytes.data(), bytes.size());
    return ok;
}

}  // namespace

TwCryptEngine::TwCryptEngine() = default;

TwCryptEngine::~TwCryptEngine()
{
    Uninitialize();
}

bool TwCryptEngine::Initialize()
{
    if (m_initialized)
        return true;
    if (!CryptAcquireContextW(m_provider.Receive(), nullptr, MS_ENHANCED_PROV, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
        return false;
    m_initialized = true;
    return true;
}

void TwCryptEngine::Uninitialize()
{
    m_key.Reset();
    m_provider.Reset();
    m_initialized = false;
}

HRESULT TwCryptEngine::ImportKeyBlob(const BYTE* blob, int size)
{
    m_key.Reset();
    if (blob == nullptr || size <= 0)
    {
        BntVideoLog::Trace(L"TwCryptEngine::ImportKeyBlob refused an empty key blob.");
        return E_INVALIDARG;
    }
    CryptKeyHandle exchangeKey;
    if (!Initialize() || !DeriveExchangeKey(m_provider.Get(), exchangeKey) ||
        !CryptImportKey(m_provider.Get(), blob, static_cast<DWORD>(size), exchangeKey.Get(), 0, m_key.Receive()))
    {
        const HRESULT hr = LastCryptError();
        BntVideoLog::Trace(L"TwCryptEngine::ImportKeyBlob failed for a key blob of %d bytes with error 0x%08X.", size,
                           static_cast<unsigned>(hr));
        return hr;
    }
    BntVideoLog::Trace(L"TwCryptEngine::ImportKeyBlob imported a key blob of %d bytes.", size);
    return S_OK;
}

HRESULT TwCryptEngine::EncryptString(BSTR text, BSTR* result, int flag)
{
    if (result == nullptr)
        return E_POINTER;
    *result = nullptr;
    if (flag != 0)
        return E_INVALIDARG;
    if (!m_key)
    {
        BntVideoLog::Trace(L"TwCryptEngine::EncryptString called without a working key.");
        return static_cast<HRESULT>(NTE_NO_KEY);
    }
    const std::wstring_view wide = text == nullptr ? std::wstring_view() : std::wstring_view(text, SysStringLen(text));
    const std::string utf8 = mfc_detail::EncodeUtf8(wide);
    if (utf8.size() > UINT_MAX - kRc2BlockSize)
        return E_INVALIDARG;
    std::vector<BYTE> buffer(utf8.begin(), utf8.end());
    DWORD length = static_cast<DWORD>(utf8.size());
    buffer.resize(length + kRc2BlockSize - length % kRc2BlockSize);
    if (!CryptEncrypt(m_key.Get(), 0, TRUE, 0, buffer.data(), &length, static_cast<DWORD>(buffer.size())))
    {
        const HRESULT hr = LastCryptError();
        BntVideoLog::Trace(L"TwCryptEngine::EncryptString failed with error 0x%08X.", static_cast<unsigned>(hr));
        return hr;
    }
    buffer.resize(length);
    const std::wstring encoded = Base64Lines(buffer);
    *result = SysAllocStringLen(encoded.data(), static_cast<UINT>(encoded.size()));
    if (*result == nullptr)
        return E_OUTOFMEMORY;
    BntVideoLog::Trace(L"TwCryptEngine::EncryptString encrypted %u bytes.", static_cast<unsigned>(utf8.size()));
    return S_OK;
}
