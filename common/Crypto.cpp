#include "common/Crypto.h"

#include "common/CBntRegistry.h"
#include "common/RegAccess.h"

#include <string>

namespace brontel::crypto {

namespace {

constexpr DWORD kBlockSize = 8;
constexpr DWORD kShortKeyBits = 40;
constexpr DWORD kLongKeyBits = 128;

std::vector<BYTE> ToUtf16LeBytes(const CString& text)
{
    const std::u16string units = ToUtf16(text);
    std::vector<BYTE> bytes;
    bytes.reserve(units.size() * 2);
    for (const char16_t unit : units)
    {
        bytes.push_back(static_cast<BYTE>(unit & 0xFF));
        bytes.push_back(static_cast<BYTE>(unit >> 8));
    }
    return bytes;
}

// The text of UTF-16LE bytes (an even count), up to the first NUL character.
CString FromUtf16LeBytes(const std::vector<BYTE>& bytes)
{
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    {
        const char16_t unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        if (unit == 0)
            break;
        units.push_back(unit);
    }
    return FromUtf16(units);
}

bool DeriveKey(HCRYPTPROV provider, const std::string& phrase, DWORD bits, CryptKeyHandle& key)
{
    CryptHashHandle hash;
    return CryptCreateHash(provider, CALG_SHA1, 0, 0, hash.Receive()) &&
           CryptHashData(hash.Get(), reinterpret_cast<const BYTE*>(phrase.data()), static_cast<DWORD>(phrase.size()),
                         0) &&
           CryptDeriveKey(provider, CALG_RC2, hash.Get(), bits << 16, key.Receive());
}

}  // namespace

Crypto::Crypto() = default;

Crypto::~Crypto() = default;

bool Crypto::Initialize()
{
    if (m_initialized)
        return true;
    CString phrase;
    if (!GetInstallationPassPhrase(kPassPhraseValue, phrase))
        return false;
    std::string bytes = CStringToUtf8(phrase);
    const bool ok =
        CryptAcquireContextW(m_provider.Receive(), nullptr, MS_ENHANCED_PROV, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) &&
        DeriveKey(m_provider.Get(), bytes, kShortKeyBits, m_key40) &&
        DeriveKey(m_provider.Get(), bytes, kLongKeyBits, m_key128);
    SecureZeroMemory(bytes.data(), bytes.size());
    if (!ok)
        return false;
    DWORD configured = 0;
    CBntRegistry registry(true, CBntRegistry::kDefaultKey);
    m_currentKeyBits = registry.GetDWORDValue(L"DefaultKeyLength", &configured) && configured == kShortKeyBits
                           ? kShortKeyBits
                           : kLongKeyBits;
    m_initialized = true;
    return true;
}

HCRYPTKEY Crypto::CurrentKey() const
{
    return m_currentKeyBits == kShortKeyBits ? m_key40.Get() : m_key128.Get();
}

bool Crypto::Encrypt(std::vector<BYTE> plain, std::vector<BYTE>& cipher)
{
    cipher.clear();
    if (plain.size() > kMaxBytes || !Initialize())
        return false;
    DWORD length = static_cast<DWORD>(plain.size());
    plain.resize(plain.size() + kBlockSize - plain.size() % kBlockSize);
    const bool ok =
        CryptEncrypt(CurrentKey(), 0, TRUE, 0, plain.data(), &length, static_cast<DWORD>(plain.size())) != FALSE;
    if (ok)
    {
        plain.resize(length);
        cipher.swap(plain);
    }
    SecureZeroMemory(plain.data(), plain.size());
    return ok;
}

bool Crypto::Decrypt(HCRYPTKEY key, const std::vector<BYTE>& cipher, std::vector<BYTE>& plain)
{
    plain = cipher;
    DWORD length = static_cast<DWORD>(plain.size());
    if (!CryptDecrypt(key, 0, TRUE, 0, plain.data(), &length))
    {
        SecureZeroMemory(plain.data(), plain.size());
        plain.clear();
        return false;
    }
    plain.resize(length);
    return true;
}

bool Crypto::EncryptString(const CString& text, std::vector<BYTE>& cipher)
{
    return Encrypt(ToUtf16LeBytes(text), cipher);
}

bool Crypto::DecryptString(const std::vector<BYTE>& cipher, CString& text)
{
    text.Empty();
    std::vector<BYTE> plain;
    if (cipher.empty() || cipher.size() > kMaxBytes || !Initialize() || !Decrypt(CurrentKey(), cipher, plain) ||
        plain.size() % 2 != 0)
        return false;
    text = FromUtf16LeBytes(plain);
    SecureZeroMemory(plain.data(), plain.size());
    return true;
}

bool Crypto::EncryptPinString(const CString& pin, std::vector<BYTE>& cipher)
{
    std::vector<BYTE> plain = ToUtf16LeBytes(pin);
    if (plain.size() > kPinBytes)
    {
        cipher.clear();
        return false;
    }
    plain.resize(kPinBytes, 0);
    return Encrypt(std::move(plain), cipher);
}

bool Crypto::DecryptPinString(const std::vector<BYTE>& cipher, CString& text)
{
    text.Empty();
    // A 20-byte plaintext always makes 24 cipher bytes; anything else cannot be a PIN.
    // Our cipher texts carry no header, so both keys are always tried.
    if (cipher.size() != kPinBytes + kBlockSize - kPinBytes % kBlockSize || !Initialize())
        return false;
    std::vector<BYTE> short40;
    std::vector<BYTE> long128;
    const bool fits40 = Decrypt(m_key40.Get(), cipher, short40) && short40.size() == kPinBytes;
    const bool fits128 = Decrypt(m_key128.Get(), cipher, long128) && long128.size() == kPinBytes;
    if (fits40 != fits128)
        text = FromUtf16LeBytes(fits40 ? short40 : long128);
    SecureZeroMemory(short40.data(), short40.size());
    SecureZeroMemory(long128.data(), long128.size());
    return fits40 != fits128;
}

}  // namespace brontel::crypto
