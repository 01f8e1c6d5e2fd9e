#include "platform/crypto/CryptoApi.h"

#include "platform/win32/SystemInfo.h"

#include <gtest/gtest.h>

#include <openssl/evp.h>
#include <openssl/provider.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

Bytes FromHex(const std::string& hex)
{
    Bytes out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<BYTE>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

Bytes FromText(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

class Provider
{
public:
    Provider()
    {
        EXPECT_TRUE(CryptAcquireContextW(&m_handle, nullptr, MS_ENHANCED_PROV, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
    }
    ~Provider() { CryptReleaseContext(m_handle, 0); }
    Provider(const Provider&) = delete;
    Provider& operator=(const Provider&) = delete;
    HCRYPTPROV Get() const { return m_handle; }

private:
    HCRYPTPROV m_handle = 0;
};

HCRYPTKEY ImportPlain(HCRYPTPROV prov, const Bytes& key)
{
    Bytes blob(sizeof(BLOBHEADER) + sizeof(DWORD));
    const BLOBHEADER header{PLAINTEXTKEYBLOB, CUR_BLOB_VERSION, 0, CALG_RC2};
    std::memcpy(blob.data(), &header, sizeof(header));
    const DWORD size = static_cast<DWORD>(key.size());
    std::memcpy(blob.data() + sizeof(header), &size, sizeof(size));
    blob.insert(blob.end(), key.begin(), key.end());
    HCRYPTKEY handle = 0;
    EXPECT_TRUE(CryptImportKey(prov, blob.data(), static_cast<DWORD>(blob.size()), 0, 0, &handle));
    return handle;
}

HCRYPTKEY DeriveFromText(HCRYPTPROV prov, const std::string& phrase, DWORD flags)
{
    HCRYPTHASH hash = 0;
    EXPECT_TRUE(CryptCreateHash(prov, CALG_SHA1, 0, 0, &hash));
    EXPECT_TRUE(
        CryptHashData(hash, reinterpret_cast<const BYTE*>(phrase.data()), static_cast<DWORD>(phrase.size()), 0));
    HCRYPTKEY key = 0;
    EXPECT_TRUE(CryptDeriveKey(prov, CALG_RC2, hash, flags, &key));
    CryptDestroyHash(hash);
    return key;
}

Bytes EncryptAll(HCRYPTKEY key, const Bytes& plain)
{
    DWORD length = static_cast<DWORD>(plain.size());
    EXPECT_TRUE(CryptEncrypt(key, 0, TRUE, 0, nullptr, &length, 0));
    Bytes buffer(plain);
    buffer.resize(length);
    length = static_cast<DWORD>(plain.size());
    EXPECT_TRUE(CryptEncrypt(key, 0, TRUE, 0, buffer.data(), &length, static_cast<DWORD>(buffer.size())));
    buffer.resize(length);
    return buffer;
}

// Independent reference: OpenSSL's own RC2-CBC with a zero IV and PKCS#5 padding.
Bytes ReferenceRc2Cbc(const Bytes& key, int effectiveBits, const Bytes& plain)
{
    std::unique_ptr<OSSL_LIB_CTX, decltype(&OSSL_LIB_CTX_free)> libctx(OSSL_LIB_CTX_new(), &OSSL_LIB_CTX_free);
    OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(libctx.get(), "legacy");
    EVP_CIPHER* cipher = EVP_CIPHER_fetch(libctx.get(), "RC2-CBC", nullptr);
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    const unsigned char iv[8] = {};
    Bytes out(plain.size() + 8);
    int n1 = 0;
    int n2 = 0;
    EXPECT_EQ(1, EVP_EncryptInit_ex2(ctx, cipher, nullptr, nullptr, nullptr));
    EXPECT_EQ(1, EVP_CIPHER_CTX_set_key_length(ctx, static_cast<int>(key.size())));
    EXPECT_EQ(1, EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_SET_RC2_KEY_BITS, effectiveBits, nullptr));
    EXPECT_EQ(1, EVP_EncryptInit_ex2(ctx, nullptr, key.data(), iv, nullptr));
    EXPECT_EQ(1, EVP_EncryptUpdate(ctx, out.data(), &n1, plain.data(), static_cast<int>(plain.size())));
    EXPECT_EQ(1, EVP_EncryptFinal_ex(ctx, out.data() + n1, &n2));
    out.resize(static_cast<std::size_t>(n1 + n2));
    EVP_CIPHER_CTX_free(ctx);
    EVP_CIPHER_free(cipher);
    OSSL_PROVIDER_unload(legacy);
    return out;
}

Bytes Sha1(const Bytes& data)
{
    Bytes out(EVP_MAX_MD_SIZE);
    unsigned int size = 0;
    EXPECT_EQ(1, EVP_Digest(data.data(), data.size(), out.data(), &size, EVP_sha1(), nullptr));
    out.resize(size);
    return out;
}

TEST(CryptoRc2, MatchesPublishedVectorWithFullEffectiveLength)
{
    Provider prov;
    const HCRYPTKEY key = ImportPlain(prov.Get(), FromHex("88bca90e90875a7f0f79c384627bafb2"));
    const Bytes cipher = EncryptAll(key, Bytes(8, 0));
    ASSERT_EQ(16u, cipher.size());
    EXPECT_EQ(FromHex("2269552ab0f85ca6"), Bytes(cipher.begin(), cipher.begin() + 8));
    CryptDestroyKey(key);
}

TEST(CryptoRc2, DerivedKeysMatchOpenSslOnTheSameKeyBytes)
{
    const std::string phrase = "correct horse battery staple";
    const Bytes digest = Sha1(FromText(phrase));
    const Bytes plain = FromText("a message of several RC2 blocks, not a whole number");
    Bytes salted40(digest.begin(), digest.begin() + 5);
    salted40.resize(16, 0);
    struct Case
    {
        const char* name;
        DWORD flags;
        Bytes keyBytes;
        int effectiveBits;
    } cases[] = {
        {"128-bit", 128u << 16, Bytes(digest.begin(), digest.begin() + 16), 128},
        {"default length", 0, Bytes(digest.begin(), digest.begin() + 16), 128},
        {"40-bit with zero salt", 40u << 16, salted40, 40},
        {"40-bit without salt", (40u << 16) | CRYPT_NO_SALT, Bytes(digest.begin(), digest.begin() + 5), 40},
        {"56-bit", 56u << 16, Bytes(digest.begin(), digest.begin() + 7), 56},
    };
    Provider prov;
    for (const Case& c : cases)
    {
        const HCRYPTKEY key = DeriveFromText(prov.Get(), phrase, c.flags);
        EXPECT_EQ(ReferenceRc2Cbc(c.keyBytes, c.effectiveBits, plain), EncryptAll(key, plain)) << c.name;
        CryptDestroyKey(key);
    }
}

TEST(CryptoRc2, FortyAnd128BitKeysFromOneHashDiffer)
{
    Provider prov;
    const HCRYPTKEY key40 = DeriveFromText(prov.Get(), "pass", 40u << 16);
    const HCRYPTKEY key128 = DeriveFromText(prov.Get(), "pass", 128u << 16);
    const Bytes plain = FromText("same text");
    EXPECT_NE(EncryptAll(key40, plain), EncryptAll(key128, plain));
    CryptDestroyKey(key40);
    CryptDestroyKey(key128);
}

TEST(CryptoEncrypt, SizeQueryGivesPaddedLength)
{
    Provider prov;
    const HCRYPTKEY key = DeriveFromText(prov.Get(), "k", 0);
    const std::pair<DWORD, DWORD> sizes[] = {{0, 8}, {1, 8}, {7, 8}, {8, 16}, {20, 24}, {24, 32}};
    for (const auto& [in, padded] : sizes)
    {
        DWORD length = in;
        EXPECT_TRUE(CryptEncrypt(key, 0, TRUE, 0, nullptr, &length, 0));
        EXPECT_EQ(padded, length) << in;
        if (in % 8 == 0)
        {
            length = in;
            EXPECT_TRUE(CryptEncrypt(key, 0, FALSE, 0, nullptr, &length, 0));
            EXPECT_EQ(in, length);
        }
    }
    CryptDestroyKey(key);
}

TEST(CryptoEncrypt, ShortBufferReportsMoreDataAndNeededSize)
{
    Provider prov;
    const HCRYPTKEY key = DeriveFromText(prov.Get(), "k", 0);
    Bytes buffer(16, 'x');
    DWORD length = 16;
    EXPECT_FALSE(CryptEncrypt(key, 0, TRUE, 0, buffer.data(), &length, 16));
    EXPECT_EQ(ERROR_MORE_DATA, GetLastError());
    EXPECT_EQ(24u, length);
    EXPECT_EQ(Bytes(16, 'x'), buffer);
    CryptDestroyKey(key);
}

TEST(CryptoEncrypt, ChunkedCallsEqualOneFinalCallAndChainingRestarts)
{
    Provider prov;
    const HCRYPTKEY key = DeriveFromText(prov.Get(), "chunks", 0);
    const Bytes plain = FromText("0123456789abcdefXYZ");
    const Bytes whole = EncryptAll(key, plain);
    EXPECT_EQ(whole, EncryptAll(key, plain));

    Bytes buffer(plain);
    buffer.resize(32);
    DWORD length = 16;
    ASSERT_TRUE(CryptEncrypt(key, 0, FALSE, 0, buffer.data(), &length, 16));
    length = 3;
    ASSERT_TRUE(CryptEncrypt(key, 0, TRUE, 0, buffer.data() + 16, &length, 16));
    EXPECT_EQ(8u, length);
    buffer.resize(24);
    EXPECT_EQ(whole, buffer);

    Bytes chunked(whole);
    length = 8;
    ASSERT_TRUE(CryptDecrypt(key, 0, FALSE, 0, chunked.data(), &length));
    length = 16;
    ASSERT_TRUE(CryptDecrypt(key, 0, TRUE, 0, chunked.data() + 8, &length));
    EXPECT_EQ(11u, length);
    chunked.resize(19);
    EXPECT_EQ(plain, chunked);
    CryptDestroyKey(key);
}

TEST(CryptoEncrypt, NonFinalPartialBlockIsRefused)
{
    Provider prov;
    const HCRYPTKEY key = DeriveFromText(prov.Get(), "k", 0);
    Bytes buffer(16, 1);
    DWORD length = 5;
    EXPECT_FALSE(CryptEncrypt(key, 0, FALSE, 0, buffer.data(), &length, 16));
    EXPECT_EQ(NTE_BAD_DATA, GetLastError());
    CryptDestroyKey(key);
}

TEST(CryptoDecrypt, RefusesMalformedCipherWithoutCrashing)
{
    Provider prov;
    const HCRYPTKEY key = DeriveFromText(prov.Get(), "pad", 0);
    // Last plain block as it would be after decryption; only well-formed padding passes.
    struct Case
    {
        const char* lastBlock;
        bool ok;
        DWORD plainLength;
    } cases[] = {
        {"4142434445030303", true, 5},  {"0808080808080808", true, 0},  {"4142434445464701", true, 7},
        {"4142434445464700", false, 0}, {"4142434445464709", false, 0}, {"4142434445020303", false, 0},
        {"41424344454647ff", false, 0}, {"0708080808080808", false, 0},
    };
    for (const Case& c : cases)
    {
        // A fresh key per case: the non-final call below leaves the encryption chain running.
        const HCRYPTKEY caseKey = DeriveFromText(prov.Get(), "pad", 0);
        Bytes block = FromHex(c.lastBlock);
        DWORD length = 8;
        ASSERT_TRUE(CryptEncrypt(caseKey, 0, FALSE, 0, block.data(), &length, 8));
        CryptDestroyKey(caseKey);
        length = 8;
        EXPECT_EQ(c.ok ? TRUE : FALSE, CryptDecrypt(key, 0, TRUE, 0, block.data(), &length)) << c.lastBlock;
        if (c.ok)
            EXPECT_EQ(c.plainLength, length) << c.lastBlock;
        else
            EXPECT_EQ(NTE_BAD_DATA, GetLastError()) << c.lastBlock;
    }
    for (const DWORD shortLength : {0u, 1u, 7u, 9u, 15u})
    {
        Bytes buffer(16, 0);
        DWORD length = shortLength;
        EXPECT_FALSE(CryptDecrypt(key, 0, TRUE, 0, buffer.data(), &length)) << shortLength;
        EXPECT_EQ(NTE_BAD_DATA, GetLastError());
    }
    CryptDestroyKey(key);
}

TEST(CryptoHash, Sha1ValueAndStateRules)
{
    Provider prov;
    HCRYPTHASH hash = 0;
    ASSERT_TRUE(CryptCreateHash(prov.Get(), CALG_SHA1, 0, 0, &hash));
    const Bytes abc = FromText("abc");
    ASSERT_TRUE(CryptHashData(hash, abc.data(), 3, 0));
    DWORD size = 0;
    ASSERT_TRUE(CryptGetHashParam(hash, HP_HASHVAL, nullptr, &size, 0));
    EXPECT_EQ(20u, size);
    Bytes value(19);
    size = 19;
    EXPECT_FALSE(CryptGetHashParam(hash, HP_HASHVAL, value.data(), &size, 0));
    EXPECT_EQ(ERROR_MORE_DATA, GetLastError());
    value.resize(20);
    ASSERT_TRUE(CryptGetHashParam(hash, HP_HASHVAL, value.data(), &size, 0));
    EXPECT_EQ(FromHex("a9993e364706816aba3e25717850c26c9cd0d89d"), value);
    EXPECT_FALSE(CryptHashData(hash, abc.data(), 3, 0));
    EXPECT_EQ(NTE_BAD_HASH_STATE, GetLastError());
    EXPECT_TRUE(CryptDestroyHash(hash));
}

TEST(CryptoHandles, StaleAndForeignHandlesAreRefused)
{
    Provider prov;
    HCRYPTHASH hash = 0;
    ASSERT_TRUE(CryptCreateHash(prov.Get(), CALG_SHA1, 0, 0, &hash));
    const HCRYPTKEY key = DeriveFromText(prov.Get(), "x", 0);
    Bytes buffer(8);
    DWORD length = 0;
    EXPECT_FALSE(CryptEncrypt(hash, 0, TRUE, 0, buffer.data(), &length, 8));
    EXPECT_EQ(NTE_BAD_KEY, GetLastError());
    EXPECT_FALSE(CryptHashData(key, buffer.data(), 1, 0));
    EXPECT_EQ(NTE_BAD_HASH, GetLastError());
    EXPECT_TRUE(CryptDestroyKey(key));
    EXPECT_FALSE(CryptDestroyKey(key));
    EXPECT_FALSE(CryptEncrypt(key, 0, TRUE, 0, buffer.data(), &length, 8));
    EXPECT_EQ(NTE_BAD_KEY, GetLastError());
    // A handle value is never given out again: the stale key misses the key made next.
    const HCRYPTKEY next = DeriveFromText(prov.Get(), "y", 0);
    EXPECT_NE(next, key);
    EXPECT_FALSE(CryptDestroyKey(key));
    EXPECT_EQ(NTE_BAD_KEY, GetLastError());
    EXPECT_TRUE(CryptDestroyKey(next));
    EXPECT_TRUE(CryptDestroyHash(hash));
    EXPECT_FALSE(CryptReleaseContext(12345, 0));
    EXPECT_EQ(NTE_BAD_UID, GetLastError());
}

TEST(CryptoHandles, KeyOutlivesItsProvider)
{
    HCRYPTPROV prov = 0;
    ASSERT_TRUE(CryptAcquireContextW(&prov, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
    const HCRYPTKEY key = DeriveFromText(prov, "outlive", 0);
    ASSERT_TRUE(CryptReleaseContext(prov, 0));
    EXPECT_EQ(16u, EncryptAll(key, FromText("12345678")).size());
    EXPECT_TRUE(CryptDestroyKey(key));
}

TEST(CryptoAcquire, RefusesOtherProvidersTypesAndContainers)
{
    struct Case
    {
        LPCWSTR container;
        LPCWSTR provider;
        DWORD type;
        DWORD flags;
        DWORD error;
    } cases[] = {
        {nullptr, L"Some Other Provider", PROV_RSA_FULL, CRYPT_VERIFYCONTEXT, NTE_BAD_PROVIDER},
        {nullptr, MS_ENHANCED_PROV, 24, CRYPT_VERIFYCONTEXT, NTE_BAD_PROV_TYPE},
        {nullptr, MS_ENHANCED_PROV, PROV_RSA_FULL, 0, NTE_BAD_KEYSET},
        {L"container", MS_ENHANCED_PROV, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT, NTE_BAD_KEYSET},
        {nullptr, MS_ENHANCED_PROV, PROV_RSA_FULL, CRYPT_NEWKEYSET, NTE_BAD_FLAGS},
    };
    for (const Case& c : cases)
    {
        HCRYPTPROV prov = 99;
        EXPECT_FALSE(CryptAcquireContextW(&prov, c.container, c.provider, c.type, c.flags));
        EXPECT_EQ(c.error, GetLastError());
        EXPECT_EQ(0u, prov);
    }
    HCRYPTPROV prov = 0;
    EXPECT_TRUE(
        CryptAcquireContextW(&prov, nullptr, MS_ENHANCED_PROV, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT | CRYPT_SILENT));
    EXPECT_TRUE(CryptReleaseContext(prov, 0));
}

TEST(CryptoDeriveKey, RefusesLengthsAndAlgorithmsOutsideRc2)
{
    Provider prov;
    HCRYPTHASH hash = 0;
    ASSERT_TRUE(CryptCreateHash(prov.Get(), CALG_SHA1, 0, 0, &hash));
    struct Case
    {
        ALG_ID alg;
        DWORD flags;
        DWORD error;
    } cases[] = {
        {CALG_SHA1, 0, NTE_BAD_ALGID},         {CALG_RC2, 32u << 16, NTE_BAD_FLAGS},
        {CALG_RC2, 136u << 16, NTE_BAD_FLAGS}, {CALG_RC2, 44u << 16, NTE_BAD_FLAGS},
        {CALG_RC2, 0x100, NTE_BAD_FLAGS},
    };
    for (const Case& c : cases)
    {
        HCRYPTKEY key = 7;
        EXPECT_FALSE(CryptDeriveKey(prov.Get(), c.alg, hash, c.flags, &key));
        EXPECT_EQ(c.error, GetLastError());
        EXPECT_EQ(0u, key);
    }
    CryptDestroyHash(hash);
}

Bytes Blob(BYTE type, BYTE version, ALG_ID alg, const Bytes& body)
{
    Bytes blob(sizeof(BLOBHEADER));
    const BLOBHEADER header{type, version, 0, alg};
    std::memcpy(blob.data(), &header, sizeof(header));
    blob.insert(blob.end(), body.begin(), body.end());
    return blob;
}

Bytes LittleEndian(DWORD value)
{
    Bytes out(4);
    std::memcpy(out.data(), &value, 4);
    return out;
}

Bytes Concat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(CryptoImportKey, RefusesMalformedBlobs)
{
    Provider prov;
    const Bytes key16(16, 0x42);
    struct Case
    {
        const char* name;
        Bytes blob;
        DWORD error;
    } cases[] = {
        {"shorter than a header", Bytes(5, 8), NTE_BAD_LEN},
        {"wrong version", Blob(PLAINTEXTKEYBLOB, 1, CALG_RC2, Concat(LittleEndian(16), key16)), NTE_BAD_VER},
        {"wrong algorithm", Blob(PLAINTEXTKEYBLOB, 2, CALG_SHA1, Concat(LittleEndian(16), key16)), NTE_BAD_ALGID},
        {"unknown type", Blob(0x6, 2, CALG_RC2, Concat(LittleEndian(16), key16)), NTE_BAD_TYPE},
        {"no size", Blob(PLAINTEXTKEYBLOB, 2, CALG_RC2, Bytes(2)), NTE_BAD_LEN},
        {"size beyond data", Blob(PLAINTEXTKEYBLOB, 2, CALG_RC2, Concat(LittleEndian(16), Bytes(5))), NTE_BAD_LEN},
        {"huge size", Blob(PLAINTEXTKEYBLOB, 2, CALG_RC2, Concat(LittleEndian(0xFFFFFFFFu), key16)), NTE_BAD_LEN},
        {"key too short", Blob(PLAINTEXTKEYBLOB, 2, CALG_RC2, Concat(LittleEndian(4), Bytes(4))), NTE_BAD_LEN},
        {"key too long", Blob(PLAINTEXTKEYBLOB, 2, CALG_RC2, Concat(LittleEndian(17), Bytes(17))), NTE_BAD_LEN},
        {"simple blob without wrapping key", Blob(SIMPLEBLOB, 2, CALG_RC2, Concat(LittleEndian(CALG_RC2), Bytes(16))),
         NTE_BAD_KEY},
    };
    for (const Case& c : cases)
    {
        HCRYPTKEY key = 5;
        EXPECT_FALSE(CryptImportKey(prov.Get(), c.blob.data(), static_cast<DWORD>(c.blob.size()), 0, 0, &key))
            << c.name;
        EXPECT_EQ(c.error, GetLastError()) << c.name;
        EXPECT_EQ(0u, key) << c.name;
    }
}

TEST(CryptoImportKey, SimpleBlobUnwrapsToTheSameKeyAsThePlainBlob)
{
    Provider prov;
    const HCRYPTKEY wrapKey = DeriveFromText(prov.Get(), "wrapping phrase", 128u << 16);
    const Bytes keyBytes = FromHex("00112233445566778899aabbccddeeff");
    const Bytes wrapped = EncryptAll(wrapKey, keyBytes);
    const Bytes blob = Blob(SIMPLEBLOB, 2, CALG_RC2, Concat(LittleEndian(CALG_RC2), wrapped));
    HCRYPTKEY imported = 0;
    ASSERT_TRUE(CryptImportKey(prov.Get(), blob.data(), static_cast<DWORD>(blob.size()), wrapKey, 0, &imported));
    const HCRYPTKEY plainKey = ImportPlain(prov.Get(), keyBytes);
    const Bytes text = FromText("video recorder document");
    EXPECT_EQ(EncryptAll(plainKey, text), EncryptAll(imported, text));

    const struct
    {
        const char* name;
        Bytes body;
        DWORD error;
    } bad[] = {
        {"wrapped three-byte key", Concat(LittleEndian(CALG_RC2), EncryptAll(wrapKey, Bytes(3, 1))), NTE_BAD_DATA},
        {"partial block", Concat(LittleEndian(CALG_RC2), Bytes(wrapped.begin(), wrapped.end() - 1)), NTE_BAD_LEN},
        {"too long", Concat(LittleEndian(CALG_RC2), Bytes(32)), NTE_BAD_LEN},
        {"no cipher", LittleEndian(CALG_RC2), NTE_BAD_LEN},
        {"other wrapping algorithm", Concat(LittleEndian(0xA400), wrapped), NTE_BAD_ALGID},
    };
    for (const auto& c : bad)
    {
        const Bytes badBlob = Blob(SIMPLEBLOB, 2, CALG_RC2, c.body);
        HCRYPTKEY key = 0;
        EXPECT_FALSE(CryptImportKey(prov.Get(), badBlob.data(), static_cast<DWORD>(badBlob.size()), wrapKey, 0, &key))
            << c.name;
        EXPECT_EQ(c.error, GetLastError()) << c.name;
    }
    CryptDestroyKey(plainKey);
    CryptDestroyKey(imported);
    CryptDestroyKey(wrapKey);
}

TEST(CryptoGenRandom, FillsBuffersAndRefusesNull)
{
    Provider prov;
    std::array<BYTE, 32> a{};
    std::array<BYTE, 32> b{};
    ASSERT_TRUE(CryptGenRandom(prov.Get(), 32, a.data()));
    ASSERT_TRUE(CryptGenRandom(prov.Get(), 32, b.data()));
    EXPECT_NE(a, b);
    EXPECT_TRUE(CryptGenRandom(prov.Get(), 0, nullptr));
    EXPECT_FALSE(CryptGenRandom(prov.Get(), 4, nullptr));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, GetLastError());
    EXPECT_FALSE(CryptGenRandom(0, 4, a.data()));
    EXPECT_EQ(NTE_BAD_UID, GetLastError());
}

TEST(CryptoConcurrency, OneKeySharedByThreadsGivesTheSameCipherEverywhere)
{
    Provider prov;
    const HCRYPTKEY key = DeriveFromText(prov.Get(), "shared", 40u << 16);
    const Bytes plain = FromText("three blocks of text for each thread");
    const Bytes expected = EncryptAll(key, plain);
    std::vector<std::thread> threads;
    std::array<int, 8> mismatches{};
    for (std::size_t t = 0; t < mismatches.size(); ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i)
            {
                Bytes buffer(plain);
                buffer.resize(plain.size() + 8);
                DWORD length = static_cast<DWORD>(plain.size());
                if (!CryptEncrypt(key, 0, TRUE, 0, buffer.data(), &length, static_cast<DWORD>(buffer.size())))
                    ++mismatches[t];
                buffer.resize(length);
                if (buffer != expected)
                    ++mismatches[t];
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    for (int count : mismatches)
        EXPECT_EQ(0, count);
    CryptDestroyKey(key);
}

}  // namespace
