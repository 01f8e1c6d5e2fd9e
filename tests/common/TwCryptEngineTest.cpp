#include "common/TwCryptEngine.h"

#include "common/BntVideoLog.h"
#include "common/CryptHandle.h"
#include "common/StringHelpers.h"
#include "platform/mfc/CString.h"
#include "tests/common/TestEnvironment.h"
#include "tests/support/RecorderKeyBlob.h"

#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

constexpr char kExchangePhrase[] = "Zq7 recorder exchange phrase";
const Bytes kRecorderKey = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE,
                            0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};

void WriteExchangePhrase(const support::TemporaryHome& home, const char* phrase)
{
    home.WriteFile("registry.ini",
                   std::string("[SOFTWARE\\Brontel\\Ivarune\\Crypto]\nKeyExchangePhrase=sz:") + phrase + "\n");
}

// The recorder's side: its key wrapped with the exchange key derived from `phrase`.
Bytes MakeKeyBlob(const char* phrase, const Bytes& key)
{
    return support::MakeRecorderKeyBlob(phrase, key);
}

Bytes DecodeBase64(const std::string& text)
{
    static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    Bytes out;
    unsigned buffer = 0;
    int bits = 0;
    for (char c : text)
    {
        if (c == '=')
            break;
        const std::size_t index = alphabet.find(c);
        EXPECT_NE(std::string::npos, index) << c;
        buffer = (buffer << 6) | static_cast<unsigned>(index);
        bits += 6;
        if (bits >= 8)
        {
            bits -= 8;
            out.push_back(static_cast<BYTE>((buffer >> bits) & 0xFF));
        }
    }
    return out;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
        lines.push_back(text.substr(start, at - start));
    lines.push_back(text.substr(start));
    return lines;
}

Bytes DecryptWithRecorderKey(const Bytes& cipher)
{
    CryptProviderHandle provider;
    CryptKeyHandle key;
    EXPECT_TRUE(CryptAcquireContextW(provider.Receive(), nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
    Bytes blob(sizeof(BLOBHEADER) + sizeof(DWORD));
    const BLOBHEADER header{PLAINTEXTKEYBLOB, CUR_BLOB_VERSION, 0, CALG_RC2};
    std::memcpy(blob.data(), &header, sizeof(header));
    const DWORD size = static_cast<DWORD>(kRecorderKey.size());
    std::memcpy(blob.data() + sizeof(header), &size, sizeof(size));
    blob.insert(blob.end(), kRecorderKey.begin(), kRecorderKey.end());
    EXPECT_TRUE(CryptImportKey(provider.Get(), blob.data(), static_cast<DWORD>(blob.size()), 0, 0, key.Receive()));
    Bytes plain(cipher);
    DWORD length = static_cast<DWORD>(plain.size());
    EXPECT_TRUE(CryptDecrypt(key.Get(), 0, TRUE, 0, plain.data(), &length));
    plain.resize(length);
    return plain;
}

class BstrHolder
{
public:
    explicit BstrHolder(const std::wstring& text)
        : m_text(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())))
    {
    }
    ~BstrHolder() { SysFreeString(m_text); }
    BstrHolder(const BstrHolder&) = delete;
    BstrHolder& operator=(const BstrHolder&) = delete;
    BSTR Get() const { return m_text; }

private:
    BSTR m_text;
};

TEST(TwCryptEngine, EncryptsUtf8WithTheImportedKeyAsBase64Lines)
{
    support::TemporaryHome home;
    WriteExchangePhrase(home, kExchangePhrase);
    const Bytes blob = MakeKeyBlob(kExchangePhrase, kRecorderKey);
    TwCryptEngine engine;
    ASSERT_EQ(S_OK, engine.ImportKeyBlob(blob.data(), static_cast<int>(blob.size())));

    std::wstring document = L"{\"source\":\"Ivarune\",\"user\":\"DOM\\\\h\u00E9l\u00E8ne\",\"pad\":\"";
    document += std::wstring(300, L'x') + L"\"}";
    const BstrHolder text(document);
    BSTR result = nullptr;
    ASSERT_EQ(S_OK, engine.EncryptString(text.Get(), &result, 0));
    ASSERT_NE(nullptr, result);
    const std::string encoded = CStringToUtf8(CString(result));
    SysFreeString(result);
    const std::vector<std::string> lines = SplitLines(encoded);
    ASSERT_GT(lines.size(), 2u);
    for (std::size_t i = 0; i + 1 < lines.size(); ++i)
        EXPECT_EQ(76u, lines[i].size()) << i;
    EXPECT_LE(lines.back().size(), 76u);
    EXPECT_FALSE(lines.back().empty());
    std::string joined;
    for (const std::string& line : lines)
        joined += line;
    EXPECT_EQ(0u, joined.size() % 4);

    const Bytes plain = DecryptWithRecorderKey(DecodeBase64(joined));
    EXPECT_EQ(CStringToUtf8(CString(document.c_str())), std::string(plain.begin(), plain.end()));
}

TEST(TwCryptEngine, ShortTextIsOneLine)
{
    support::TemporaryHome home;
    WriteExchangePhrase(home, kExchangePhrase);
    const Bytes blob = MakeKeyBlob(kExchangePhrase, kRecorderKey);
    TwCryptEngine engine;
    ASSERT_EQ(S_OK, engine.ImportKeyBlob(blob.data(), static_cast<int>(blob.size())));
    BSTR result = nullptr;
    ASSERT_EQ(S_OK, engine.EncryptString(nullptr, &result, 0));
    EXPECT_EQ(12u, SysStringLen(result));
    EXPECT_EQ(Bytes(), DecryptWithRecorderKey(DecodeBase64(CStringToUtf8(CString(result)))));
    SysFreeString(result);
}

TEST(TwCryptEngine, RefusesCallsWithoutAUsableKey)
{
    support::TemporaryHome home;
    WriteExchangePhrase(home, kExchangePhrase);
    TwCryptEngine engine;
    const BstrHolder text(L"secret document");
    BSTR result = reinterpret_cast<BSTR>(0x1);
    EXPECT_EQ(static_cast<HRESULT>(NTE_NO_KEY), engine.EncryptString(text.Get(), &result, 0));
    EXPECT_EQ(nullptr, result);
    EXPECT_EQ(E_POINTER, engine.EncryptString(text.Get(), nullptr, 0));

    EXPECT_EQ(E_INVALIDARG, engine.ImportKeyBlob(nullptr, 10));
    const Bytes good = MakeKeyBlob(kExchangePhrase, kRecorderKey);
    EXPECT_EQ(E_INVALIDARG, engine.ImportKeyBlob(good.data(), 0));
    EXPECT_EQ(E_INVALIDARG, engine.ImportKeyBlob(good.data(), -5));

    ASSERT_EQ(S_OK, engine.ImportKeyBlob(good.data(), static_cast<int>(good.size())));
    EXPECT_EQ(E_INVALIDARG, engine.EncryptString(text.Get(), &result, 1));
    EXPECT_EQ(nullptr, result);

    // A blob of another installation does not unwrap, and the earlier key is gone too.
    const Bytes foreign = MakeKeyBlob("some other installation", kRecorderKey);
    EXPECT_EQ(static_cast<HRESULT>(NTE_BAD_DATA),
              engine.ImportKeyBlob(foreign.data(), static_cast<int>(foreign.size())));
    EXPECT_EQ(static_cast<HRESULT>(NTE_NO_KEY), engine.EncryptString(text.Get(), &result, 0));

    const Bytes truncated(good.begin(), good.begin() + 10);
    EXPECT_TRUE(FAILED(engine.ImportKeyBlob(truncated.data(), static_cast<int>(truncated.size()))));
    Bytes garbage(200, 0xA5);
    EXPECT_TRUE(FAILED(engine.ImportKeyBlob(garbage.data(), static_cast<int>(garbage.size()))));
}

TEST(TwCryptEngine, UninitializeDropsTheKeyAndTheEngineCanStartAgain)
{
    support::TemporaryHome home;
    WriteExchangePhrase(home, kExchangePhrase);
    const Bytes blob = MakeKeyBlob(kExchangePhrase, kRecorderKey);
    TwCryptEngine engine;
    ASSERT_EQ(S_OK, engine.ImportKeyBlob(blob.data(), static_cast<int>(blob.size())));
    engine.Uninitialize();
    const BstrHolder text(L"x");
    BSTR result = nullptr;
    EXPECT_EQ(static_cast<HRESULT>(NTE_NO_KEY), engine.EncryptString(text.Get(), &result, 0));
    ASSERT_EQ(S_OK, engine.ImportKeyBlob(blob.data(), static_cast<int>(blob.size())));
    EXPECT_EQ(S_OK, engine.EncryptString(text.Get(), &result, 0));
    SysFreeString(result);
}

TEST(TwCryptEngine, TraceLogNeverHoldsKeyMaterial)
{
    support::TemporaryHome home;
    WriteExchangePhrase(home, kExchangePhrase);
    const Bytes blob = MakeKeyBlob(kExchangePhrase, kRecorderKey);
    const Bytes foreign = MakeKeyBlob("another phrase", kRecorderKey);
    {
        TwCryptEngine engine;
        engine.ImportKeyBlob(foreign.data(), static_cast<int>(foreign.size()));
        engine.ImportKeyBlob(blob.data(), static_cast<int>(blob.size()));
        const BstrHolder text(L"password=hunter2");
        BSTR result = nullptr;
        engine.EncryptString(text.Get(), &result, 0);
        SysFreeString(result);
    }
    const std::string log = home.ReadFile("bntVideo.log");
    EXPECT_NE(std::string::npos, log.find("TwCryptEngine::ImportKeyBlob imported a key blob of"));
    EXPECT_NE(std::string::npos, log.find("failed for a key blob"));
    const std::string keyHex =
        CStringToUtf8(BytesToHexString(kRecorderKey.data(), static_cast<int>(kRecorderKey.size())));
    const std::string blobHex = CStringToUtf8(BytesToHexString(blob.data(), static_cast<int>(blob.size())));
    for (const std::string& secret : {std::string(kExchangePhrase), keyHex, blobHex, std::string("hunter2")})
        EXPECT_EQ(std::string::npos, log.find(secret)) << secret;
}

TEST(BntVideoLog, OneWholeLinePerCallFromManyThreads)
{
    support::TemporaryHome home;
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 50; ++i)
                BntVideoLog::Trace(L"thread %d entry %d\nforged line", t, i);
        });
    for (std::thread& thread : threads)
        thread.join();
    std::istringstream log(home.ReadFile("bntVideo.log"));
    const std::regex shape(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3} \[\d+\] thread \d entry \d+ forged line)");
    int lines = 0;
    for (std::string line; std::getline(log, line); ++lines)
        EXPECT_TRUE(std::regex_match(line, shape)) << line;
    EXPECT_EQ(400, lines);
}

TEST(BntVideoLog, UnwritableHomeIsSkippedSilently)
{
    support::TemporaryHome home;
    std::filesystem::create_directory(home.Path() / "bntVideo.log");
    BntVideoLog::Write(L"nowhere to go");
    EXPECT_TRUE(std::filesystem::is_directory(home.Path() / "bntVideo.log"));
}

TEST(BytesToHexString, UpperCaseDigitsInByteOrder)
{
    const BYTE data[] = {0x00, 0x0A, 0x1B, 0xFF, 0x7F};
    EXPECT_EQ(CString(L"000A1BFF7F"), BytesToHexString(data, 5));
    EXPECT_EQ(CString(L"00"), BytesToHexString(data, 1));
    EXPECT_TRUE(BytesToHexString(data, 0).IsEmpty());
    EXPECT_TRUE(BytesToHexString(data, -3).IsEmpty());
    EXPECT_TRUE(BytesToHexString(nullptr, 4).IsEmpty());
}

TEST(HexStringToBytes, ReadsPairsOfEitherCaseAndRefusesAnythingElse)
{
    struct Case
    {
        const wchar_t* text;
        bool ok;
        std::vector<BYTE> bytes;
    };
    const Case cases[] = {
        {L"", true, {}},      {L"000a1BfF7f", true, {0x00, 0x0A, 0x1B, 0xFF, 0x7F}},
        {L"ABC", false, {}},  {L"0G", false, {}},
        {L"-1", false, {}},   {L" 1", false, {}},
        {L"0x12", false, {}}, {L"\u00e91", false, {}},
    };
    for (const Case& c : cases)
    {
        std::vector<BYTE> bytes{0x55};
        EXPECT_EQ(c.ok, HexStringToBytes(c.text, bytes)) << CStringToUtf8(CString(c.text));
        if (c.ok)
        {
            EXPECT_EQ(c.bytes, bytes) << CStringToUtf8(CString(c.text));
        }
    }
    const BYTE data[] = {0x00, 0x0A, 0x1B, 0xFF};
    std::vector<BYTE> back;
    ASSERT_TRUE(HexStringToBytes(BytesToHexString(data, 4).GetWString(), back));
    EXPECT_EQ(std::vector<BYTE>(std::begin(data), std::end(data)), back);
}

}  // namespace
