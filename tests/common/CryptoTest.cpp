#include "common/Crypto.h"

#include "common/CryptHandle.h"
#include "tests/common/TestEnvironment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using brontel::crypto::Crypto;
using Bytes = std::vector<BYTE>;

constexpr char kPhrase[] = "field phrase of the test installation";

std::string Registry(DWORD keyLength)
{
    std::string text = "[SOFTWARE\\Brontel\\Ivarune\\Crypto]\nFieldKeyPhrase=sz:";
    text += kPhrase;
    text += "\n";
    if (keyLength != 0)
    {
        char line[64];
        std::snprintf(line, sizeof(line), "[SOFTWARE\\Brontel\\Ivarune]\nDefaultKeyLength=dword:%08x\n", keyLength);
        text += line;
    }
    return text;
}

// Decrypts with a key made here from the phrase, independently of Crypto.
bool ReferenceDecrypt(DWORD bits, const Bytes& cipher, Bytes& plain)
{
    CryptProviderHandle provider;
    CryptHashHandle hash;
    CryptKeyHandle key;
    if (!CryptAcquireContextW(provider.Receive(), nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) ||
        !CryptCreateHash(provider.Get(), CALG_SHA1, 0, 0, hash.Receive()) ||
        !CryptHashData(hash.Get(), reinterpret_cast<const BYTE*>(kPhrase), sizeof(kPhrase) - 1, 0) ||
        !CryptDeriveKey(provider.Get(), CALG_RC2, hash.Get(), bits << 16, key.Receive()))
        return false;
    plain = cipher;
    DWORD length = static_cast<DWORD>(plain.size());
    if (!CryptDecrypt(key.Get(), 0, TRUE, 0, plain.data(), &length))
        return false;
    plain.resize(length);
    return true;
}

Bytes Utf16Le(const std::u16string& text, std::size_t size)
{
    Bytes bytes;
    for (char16_t unit : text)
    {
        bytes.push_back(static_cast<BYTE>(unit & 0xFF));
        bytes.push_back(static_cast<BYTE>(unit >> 8));
    }
    bytes.resize(std::max(size, bytes.size()), 0);
    return bytes;
}

TEST(CryptoPin, StoredFormIsTwentyUtf16BytesUnderTheConfiguredKey)
{
    const std::pair<DWORD, DWORD> settings[] = {{0, 128}, {128, 128}, {40, 40}, {56, 128}};
    for (const auto& [configured, used] : settings)
    {
        support::TemporaryHome home;
        home.WriteFile("registry.ini", Registry(configured));
        Bytes cipher;
        ASSERT_TRUE(Crypto().EncryptPinString(L"0042", cipher));
        EXPECT_EQ(24u, cipher.size());
        Bytes plain;
        ASSERT_TRUE(ReferenceDecrypt(used, cipher, plain)) << configured;
        EXPECT_EQ(Utf16Le(u"0042", 20), plain);
        CString text;
        EXPECT_TRUE(Crypto().DecryptPinString(cipher, text)) << configured;
        EXPECT_EQ(CString(L"0042"), text);
    }
}

TEST(CryptoPin, RoundTripsTypicalPins)
{
    support::TemporaryHome home;
    for (const wchar_t* pin : {L"", L"0", L"1234", L"000000", L"123456789", L"0123456789"})
    {
        Crypto crypto;
        Bytes cipher;
        ASSERT_TRUE(crypto.EncryptPinString(pin, cipher)) << CStringToUtf8(CString(pin));
        CString text(L"stale");
        EXPECT_TRUE(crypto.DecryptPinString(cipher, text));
        EXPECT_EQ(CString(pin), text);
    }
}

TEST(CryptoPin, TooLongPinIsRefused)
{
    support::TemporaryHome home;
    Bytes cipher{1, 2, 3};
    EXPECT_FALSE(Crypto().EncryptPinString(L"01234567890", cipher));
    EXPECT_TRUE(cipher.empty());
}

TEST(CryptoPin, OnlyATwentyBytePlaintextUnderExactlyOneKeyIsAccepted)
{
    support::TemporaryHome home;
    home.WriteFile("registry.ini", Registry(0));
    Crypto crypto;
    Bytes pin;
    ASSERT_TRUE(crypto.EncryptPinString(L"9876", pin));
    Bytes shortText;
    ASSERT_TRUE(crypto.EncryptString(L"12345678", shortText));
    ASSERT_EQ(24u, shortText.size());
    Bytes tampered = pin;
    tampered.back() ^= 0x5A;
    Bytes truncated(pin.begin(), pin.end() - 8);
    Bytes longer = pin;
    longer.insert(longer.end(), pin.begin(), pin.begin() + 8);
    const std::pair<const char*, Bytes> refused[] = {
        {"16-byte plaintext", shortText},
        {"tampered", tampered},
        {"truncated", truncated},
        {"longer", longer},
        {"empty", Bytes()},
        {"odd length", Bytes(23, 7)},
    };
    for (const auto& [name, cipher] : refused)
    {
        CString text(L"stale");
        EXPECT_FALSE(crypto.DecryptPinString(cipher, text)) << name;
        EXPECT_TRUE(text.IsEmpty()) << name;
    }
}

TEST(CryptoPin, PinsWrittenWithEitherKeyLengthStayReadable)
{
    support::TemporaryHome home;
    home.WriteFile("registry.ini", Registry(40));
    Bytes old;
    ASSERT_TRUE(Crypto().EncryptPinString(L"4711", old));
    home.WriteFile("registry.ini", Registry(128));
    Bytes current;
    ASSERT_TRUE(Crypto().EncryptPinString(L"4711", current));
    EXPECT_NE(old, current);
    for (const Bytes& cipher : {old, current})
    {
        CString text;
        EXPECT_TRUE(Crypto().DecryptPinString(cipher, text));
        EXPECT_EQ(CString(L"4711"), text);
    }
}

TEST(CryptoString, RoundTripsUnicodeTextAndRefusesForeignCipher)
{
    support::TemporaryHome home;
    home.WriteFile("registry.ini", Registry(0));
    const CString text(L"Grüße \u20AC \U0001F600 line\none");
    Bytes cipher;
    ASSERT_TRUE(Crypto().EncryptString(text, cipher));
    Bytes plain;
    ASSERT_TRUE(ReferenceDecrypt(128, cipher, plain));
    EXPECT_EQ(Utf16Le(ToUtf16(text), 0), plain);
    CString back;
    ASSERT_TRUE(Crypto().DecryptString(cipher, back));
    EXPECT_EQ(text, back);

    Bytes empty;
    ASSERT_TRUE(Crypto().EncryptString(L"", empty));
    EXPECT_EQ(8u, empty.size());
    ASSERT_TRUE(Crypto().DecryptString(empty, back));
    EXPECT_TRUE(back.IsEmpty());

    support::TemporaryHome otherInstallation;
    CString foreign(L"stale");
    EXPECT_FALSE(Crypto().DecryptString(cipher, foreign));
    EXPECT_TRUE(foreign.IsEmpty());
}

TEST(CryptoString, HostileCipherTextsFailCleanly)
{
    support::TemporaryHome home;
    const Bytes cases[] = {Bytes(), Bytes(1, 0), Bytes(7, 0xFF), Bytes(9, 0), Bytes(Crypto::kMaxBytes + 8, 0)};
    for (const Bytes& cipher : cases)
    {
        CString text(L"stale");
        EXPECT_FALSE(Crypto().DecryptString(cipher, text)) << cipher.size();
        EXPECT_TRUE(text.IsEmpty());
    }
}

TEST(CryptoKeys, UnusablePassPhraseMakesEveryOperationFail)
{
    support::TemporaryHome home;
    home.WriteFile("registry.ini", "[SOFTWARE\\Brontel\\Ivarune\\Crypto]\nFieldKeyPhrase=sz:\n");
    Crypto crypto;
    Bytes cipher{1};
    EXPECT_FALSE(crypto.EncryptString(L"x", cipher));
    EXPECT_TRUE(cipher.empty());
    EXPECT_FALSE(crypto.EncryptPinString(L"1", cipher));
    CString text(L"stale");
    EXPECT_FALSE(crypto.DecryptPinString(Bytes(24, 0), text));
    EXPECT_TRUE(text.IsEmpty());
}

}  // namespace
