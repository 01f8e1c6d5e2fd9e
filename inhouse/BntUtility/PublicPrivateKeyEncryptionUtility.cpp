#include "inhouse/BntUtility/PublicPrivateKeyEncryptionUtility.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

#include <memory>
#include <optional>
#include <vector>

namespace brontel::utility {

namespace {

constexpr HRESULT kBadData = MAKE_HRESULT_FROM_BITS(0x80090005u);  // NTE_BAD_DATA
constexpr int kKeyBits = 2048;
constexpr std::size_t kCipherBytes = kKeyBits / 8;
// A PEM key of 2048 bits is under 2 KiB; anything far larger is not a key of ours.
constexpr std::size_t kMaxKeyTextBytes = 16 * 1024;

struct PkeyFree
{
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CtxFree
{
    void operator()(EVP_PKEY_CTX* ctx) const { EVP_PKEY_CTX_free(ctx); }
};
struct BioFree
{
    void operator()(BIO* bio) const { BIO_free(bio); }
};
using PkeyPtr = std::unique_ptr<EVP_PKEY, PkeyFree>;
using CtxPtr = std::unique_ptr<EVP_PKEY_CTX, CtxFree>;
using BioPtr = std::unique_ptr<BIO, BioFree>;

// Failures leave reasons on the thread's OpenSSL error queue; empty it so that they do not
// show up in an unrelated later call on the same thread.
struct ErrorQueueGuard
{
    ErrorQueueGuard() = default;
    ErrorQueueGuard(const ErrorQueueGuard&) = delete;
    ErrorQueueGuard& operator=(const ErrorQueueGuard&) = delete;
    ~ErrorQueueGuard() { ERR_clear_error(); }
};

constexpr char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string EncodeBase64(const std::vector<unsigned char>& bytes)
{
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3)
    {
        const std::size_t left = bytes.size() - i;
        const unsigned value = (bytes[i] << 16) | (left > 1 ? bytes[i + 1] << 8 : 0) | (left > 2 ? bytes[i + 2] : 0);
        out.push_back(kBase64Alphabet[(value >> 18) & 0x3F]);
        out.push_back(kBase64Alphabet[(value >> 12) & 0x3F]);
        out.push_back(left > 1 ? kBase64Alphabet[(value >> 6) & 0x3F] : '=');
        out.push_back(left > 2 ? kBase64Alphabet[value & 0x3F] : '=');
    }
    return out;
}

int Base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

// Strict decoding: whole groups of four, padding only at the end, no other characters.
std::optional<std::vector<unsigned char>> DecodeBase64(const std::string& text)
{
    if (text.empty() || text.size() % 4 != 0)
    {
        return std::nullopt;
    }
    std::vector<unsigned char> out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4)
    {
        const bool last = i + 4 == text.size();
        int values[4];
        int padding = 0;
        for (int k = 0; k < 4; ++k)
        {
            const char c = text[i + k];
            if (c == '=' && last && k >= 2)
            {
                values[k] = 0;
                ++padding;
                continue;
            }
            if (padding > 0)
            {
                return std::nullopt;
            }
            values[k] = Base64Value(c);
            if (values[k] < 0)
            {
                return std::nullopt;
            }
        }
        const unsigned value = (values[0] << 18) | (values[1] << 12) | (values[2] << 6) | values[3];
        out.push_back(static_cast<unsigned char>(value >> 16));
        if (padding < 2)
            out.push_back(static_cast<unsigned char>(value >> 8));
        if (padding < 1)
            out.push_back(static_cast<unsigned char>(value));
    }
    return out;
}

std::optional<std::string> WriteKey(EVP_PKEY* key, bool isPrivate)
{
    BioPtr bio(BIO_new(BIO_s_mem()));
    if (!bio)
    {
        return std::nullopt;
    }
    const int written = isPrivate ? PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr, nullptr)
                                  : PEM_write_bio_PUBKEY(bio.get(), key);
    if (written != 1)
    {
        return std::nullopt;
    }
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    if (size <= 0 || data == nullptr)
    {
        return std::nullopt;
    }
    return std::string(data, static_cast<std::size_t>(size));
}

// Reads an RSA key of our size from PEM text; null for anything else.
PkeyPtr ReadKey(const std::string& text, bool isPrivate)
{
    if (text.empty() || text.size() > kMaxKeyTextBytes)
    {
        return nullptr;
    }
    BioPtr bio(BIO_new_mem_buf(text.data(), static_cast<int>(text.size())));
    if (!bio)
    {
        return nullptr;
    }
    PkeyPtr key(isPrivate ? PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr)
                          : PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr));
    if (!key || EVP_PKEY_get_base_id(key.get()) != EVP_PKEY_RSA || EVP_PKEY_get_bits(key.get()) != kKeyBits)
    {
        return nullptr;
    }
    return key;
}

bool SetOaep(EVP_PKEY_CTX* ctx)
{
    return EVP_PKEY_CTX_set_rsa_padding(ctx, RSA_PKCS1_OAEP_PADDING) > 0 &&
           EVP_PKEY_CTX_set_rsa_oaep_md(ctx, EVP_sha256()) > 0 && EVP_PKEY_CTX_set_rsa_mgf1_md(ctx, EVP_sha256()) > 0;
}

}  // namespace

HRESULT PublicPrivateKeyEncryptionUtility::GenerateKeys(std::string& publicKey, std::string& privateKey)
{
    const ErrorQueueGuard errors;
    CtxPtr ctx(EVP_PKEY_CTX_new_id(EVP_PKEY_RSA, nullptr));
    if (!ctx || EVP_PKEY_keygen_init(ctx.get()) <= 0 || EVP_PKEY_CTX_set_rsa_keygen_bits(ctx.get(), kKeyBits) <= 0)
    {
        return E_FAIL;
    }
    EVP_PKEY* raw = nullptr;
    if (EVP_PKEY_keygen(ctx.get(), &raw) <= 0)
    {
        return E_FAIL;
    }
    const PkeyPtr key(raw);
    auto publicText = WriteKey(key.get(), false);
    auto privateText = WriteKey(key.get(), true);
    if (!publicText || !privateText)
    {
        return E_FAIL;
    }
    publicKey = std::move(*publicText);
    privateKey = std::move(*privateText);
    return S_OK;
}

HRESULT PublicPrivateKeyEncryptionUtility::Encrypt(const std::string& publicKey, const std::string& plainText,
                                                   std::string& cipherText)
{
    const ErrorQueueGuard errors;
    if (plainText.size() > kMaxPlainTextBytes)
    {
        return E_INVALIDARG;
    }
    const PkeyPtr key = ReadKey(publicKey, false);
    if (!key)
    {
        return E_INVALIDARG;
    }
    CtxPtr ctx(EVP_PKEY_CTX_new(key.get(), nullptr));
    if (!ctx || EVP_PKEY_encrypt_init(ctx.get()) <= 0 || !SetOaep(ctx.get()))
    {
        return E_FAIL;
    }
    std::vector<unsigned char> out(kCipherBytes);
    std::size_t outSize = out.size();
    if (EVP_PKEY_encrypt(ctx.get(), out.data(), &outSize, reinterpret_cast<const unsigned char*>(plainText.data()),
                         plainText.size()) <= 0)
    {
        return E_FAIL;
    }
    out.resize(outSize);
    cipherText = EncodeBase64(out);
    return S_OK;
}

HRESULT PublicPrivateKeyEncryptionUtility::Decrypt(const std::string& privateKey, const std::string& cipherText,
                                                   std::string& plainText)
{
    const ErrorQueueGuard errors;
    const PkeyPtr key = ReadKey(privateKey, true);
    if (!key)
    {
        return E_INVALIDARG;
    }
    // One RSA block in Base64 is exactly 344 characters; anything else is refused unread.
    if (cipherText.size() != (kCipherBytes + 2) / 3 * 4)
    {
        return kBadData;
    }
    const auto bytes = DecodeBase64(cipherText);
    if (!bytes || bytes->size() != kCipherBytes)
    {
        return kBadData;
    }
    CtxPtr ctx(EVP_PKEY_CTX_new(key.get(), nullptr));
    if (!ctx || EVP_PKEY_decrypt_init(ctx.get()) <= 0 || !SetOaep(ctx.get()))
    {
        return E_FAIL;
    }
    std::vector<unsigned char> out(kCipherBytes);
    std::size_t outSize = out.size();
    if (EVP_PKEY_decrypt(ctx.get(), out.data(), &outSize, bytes->data(), bytes->size()) <= 0)
    {
        return kBadData;
    }
    plainText.assign(reinterpret_cast<const char*>(out.data()), outSize);
    return S_OK;
}

}  // namespace brontel::utility
