#include "platform/crypto/CryptoApi.h"

#include "platform/win32/SystemInfo.h"

#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/provider.h>
#include <openssl/rand.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <climits>
#include <cstring>
#include <cwchar>
#include <memory>
#include "platform/win32/ThreadSafety.h"
#include <unordered_map>
#include <vector>

namespace {

constexpr DWORD kBlockSize = 8;
constexpr DWORD kSha1Size = 20;
constexpr DWORD kMinKeyBits = 40;
constexpr DWORD kMaxKeyBits = 128;
constexpr DWORD kDefaultKeyBits = 128;
// A 40-bit key is lengthened with zero salt to a 16-byte RC2 key, as the old export
// providers did, so keys made by them still decrypt.
constexpr DWORD kSaltedKeyBits = 40;
constexpr DWORD kSaltBytes = 11;
constexpr DWORD kMinKeyBytes = kMinKeyBits / 8;
constexpr DWORD kMaxKeyBytes = kMaxKeyBits / 8;

BOOL Fail(DWORD code)
{
    SetLastError(code);
    return FALSE;
}

// RC2 lives in OpenSSL's legacy provider; we load it into a library context of our own so the
// rest of the process keeps OpenSSL's defaults. Built once, on first use, thread-safely.
class LegacyCipher
{
public:
    LegacyCipher()
    {
        m_context = OSSL_LIB_CTX_new();
        if (m_context == nullptr)
            return;
        m_legacy = OSSL_PROVIDER_load(m_context, "legacy");
        if (m_legacy != nullptr)
            m_rc2Cbc = EVP_CIPHER_fetch(m_context, "RC2-CBC", nullptr);
    }
    ~LegacyCipher()
    {
        EVP_CIPHER_free(m_rc2Cbc);
        if (m_legacy != nullptr)
            OSSL_PROVIDER_unload(m_legacy);
        OSSL_LIB_CTX_free(m_context);
    }
    LegacyCipher(const LegacyCipher&) = delete;
    LegacyCipher& operator=(const LegacyCipher&) = delete;

    static const EVP_CIPHER* Rc2Cbc()
    {
        static LegacyCipher instance;
        return instance.m_rc2Cbc;
    }

private:
    OSSL_LIB_CTX* m_context = nullptr;
    OSSL_PROVIDER* m_legacy = nullptr;
    EVP_CIPHER* m_rc2Cbc = nullptr;
};

// A provider holds no state of its own: every key and hash is self-contained.
struct ProviderObject
{
};

struct HashObject
{
    CheckedMutex lock;
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context{EVP_MD_CTX_new(), &EVP_MD_CTX_free};
    bool finished GUARDED_BY(lock) = false;
    std::array<BYTE, kSha1Size> value{};

    ~HashObject() { OPENSSL_cleanse(value.data(), value.size()); }

    // Finishes the hash once; its value stays readable afterwards.
    bool Finish() REQUIRES(lock)
    {
        if (finished)
            return true;
        unsigned int size = 0;
        if (EVP_DigestFinal_ex(context.get(), value.data(), &size) != 1 || size != kSha1Size)
            return false;
        finished = true;
        return true;
    }
};

struct KeyObject
{
    CheckedMutex lock;
    std::vector<BYTE> key;
    DWORD effectiveBits = 0;
    // CBC chaining values carried between non-final calls; zero is CryptoAPI's default IV.
    std::array<BYTE, kBlockSize> encryptChain GUARDED_BY(lock){};
    std::array<BYTE, kBlockSize> decryptChain GUARDED_BY(lock){};

    ~KeyObject() { OPENSSL_cleanse(key.data(), key.size()); }
};

// Handles name objects in these tables; a handle number is never given out twice, so a stale
// handle can only miss.
std::atomic<ULONG_PTR> g_nextHandle{0x1000};

template <class T>
class HandleTable
{
public:
    ULONG_PTR Add(std::shared_ptr<T> object)
    {
        const ULONG_PTR handle = g_nextHandle.fetch_add(1);
        const CheckedMutexLock guard(m_lock);
        m_objects.emplace(handle, std::move(object));
        return handle;
    }
    std::shared_ptr<T> Find(ULONG_PTR handle)
    {
        const CheckedMutexLock guard(m_lock);
        const auto it = m_objects.find(handle);
        return it == m_objects.end() ? nullptr : it->second;
    }
    bool Remove(ULONG_PTR handle)
    {
        // Declared before the guard so the object is destroyed after the table lock is released.
        std::shared_ptr<T> removed;
        const CheckedMutexLock guard(m_lock);
        const auto it = m_objects.find(handle);
        if (it == m_objects.end())
            return false;
        removed = std::move(it->second);
        m_objects.erase(it);
        return true;
    }

private:
    CheckedMutex m_lock;
    std::unordered_map<ULONG_PTR, std::shared_ptr<T>> m_objects GUARDED_BY(m_lock);
};

HandleTable<ProviderObject>& Providers()
{
    static HandleTable<ProviderObject> table;
    return table;
}

// The opening of a call that makes a handle under a provider: the out-pointer must be given (it
// is zeroed) and hProv must be open. FALSE with the last error set otherwise.
template <class Handle>
BOOL StartNewHandle(HCRYPTPROV hProv, Handle* out)
{
    if (out == nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    *out = 0;
    return Providers().Find(hProv) ? TRUE : Fail(NTE_BAD_UID);
}

HandleTable<HashObject>& Hashes()
{
    static HandleTable<HashObject> table;
    return table;
}

HandleTable<KeyObject>& Keys()
{
    static HandleTable<KeyObject> table;
    return table;
}

// RC2-CBC over whole blocks, continuing from and updating `chain`.
bool Rc2Cbc(const KeyObject& key, bool encrypt, std::array<BYTE, kBlockSize>& chain, BYTE* data, DWORD length)
{
    const EVP_CIPHER* cipher = LegacyCipher::Rc2Cbc();
    if (cipher == nullptr)
        return false;
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> context(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
    const int enc = encrypt ? 1 : 0;
    if (!context || EVP_CipherInit_ex2(context.get(), cipher, nullptr, nullptr, enc, nullptr) != 1 ||
        EVP_CIPHER_CTX_set_key_length(context.get(), static_cast<int>(key.key.size())) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_SET_RC2_KEY_BITS, static_cast<int>(key.effectiveBits), nullptr) !=
            1 ||
        EVP_CipherInit_ex2(context.get(), nullptr, key.key.data(), chain.data(), enc, nullptr) != 1 ||
        EVP_CIPHER_CTX_set_padding(context.get(), 0) != 1)
        return false;
    if (length == 0)
        return true;
    std::array<BYTE, kBlockSize> nextChain{};
    if (!encrypt)
        std::memcpy(nextChain.data(), data + length - kBlockSize, kBlockSize);
    int produced = 0;
    // In slices, so OpenSSL is never handed more than INT_MAX bytes at once.
    for (DWORD offset = 0; offset < length;)
    {
        const DWORD step = std::min<DWORD>(length - offset, 1u << 30);
        if (EVP_CipherUpdate(context.get(), data + offset, &produced, data + offset, static_cast<int>(step)) != 1 ||
            produced != static_cast<int>(step))
            return false;
        offset += step;
    }
    if (encrypt)
        std::memcpy(nextChain.data(), data + length - kBlockSize, kBlockSize);
    chain = nextChain;
    return true;
}

// Checks and strips PKCS#5 padding; false when the padding is not well formed.
bool StripPadding(const BYTE* data, DWORD length, DWORD& plainLength)
{
    if (length == 0 || length % kBlockSize != 0)
        return false;
    const BYTE pad = data[length - 1];
    if (pad == 0 || pad > kBlockSize)
        return false;
    for (DWORD i = length - pad; i < length; ++i)
        if (data[i] != pad)
            return false;
    plainLength = length - pad;
    return true;
}

std::shared_ptr<KeyObject> MakeRc2Key(const BYTE* bytes, DWORD count, DWORD effectiveBits)
{
    auto key = std::make_shared<KeyObject>();
    key->key.assign(bytes, bytes + count);
    key->effectiveBits = effectiveBits;
    return key;
}

BOOL ImportSimpleBlob(const BYTE* body, DWORD bodyLength, HCRYPTKEY hPubKey, std::shared_ptr<KeyObject>& imported)
{
    if (bodyLength < sizeof(ALG_ID))
        return Fail(NTE_BAD_LEN);
    ALG_ID wrapAlg = 0;
    std::memcpy(&wrapAlg, body, sizeof(wrapAlg));
    if (wrapAlg != CALG_RC2)
        return Fail(NTE_BAD_ALGID);
    const std::shared_ptr<KeyObject> wrapKey = Keys().Find(hPubKey);
    if (!wrapKey)
        return Fail(NTE_BAD_KEY);
    const DWORD cipherLength = bodyLength - sizeof(ALG_ID);
    if (cipherLength == 0 || cipherLength % kBlockSize != 0 || cipherLength > kMaxKeyBytes + kBlockSize)
        return Fail(NTE_BAD_LEN);
    std::array<BYTE, kMaxKeyBytes + kBlockSize> plain{};
    std::memcpy(plain.data(), body + sizeof(ALG_ID), cipherLength);
    // The wrapping key's own chaining state is left alone: unwrapping starts at the zero IV.
    std::array<BYTE, kBlockSize> chain{};
    bool ok;
    {
        const CheckedMutexLock guard(wrapKey->lock);
        ok = Rc2Cbc(*wrapKey, false, chain, plain.data(), cipherLength);
    }
    DWORD keyLength = 0;
    ok = ok && StripPadding(plain.data(), cipherLength, keyLength) && keyLength >= kMinKeyBytes &&
         keyLength <= kMaxKeyBytes;
    if (ok)
        imported = MakeRc2Key(plain.data(), keyLength, keyLength * 8);
    OPENSSL_cleanse(plain.data(), plain.size());
    return ok ? TRUE : Fail(NTE_BAD_DATA);
}

}  // namespace

BOOL CryptAcquireContextW(HCRYPTPROV* phProv, LPCWSTR szContainer, LPCWSTR szProvider, DWORD dwProvType, DWORD dwFlags)
{
    if (phProv == nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    *phProv = 0;
    if (szProvider != nullptr && std::wcscmp(szProvider, MS_ENHANCED_PROV) != 0)
        return Fail(NTE_BAD_PROVIDER);
    if (dwProvType != PROV_RSA_FULL)
        return Fail(NTE_BAD_PROV_TYPE);
    if ((dwFlags & ~(CRYPT_VERIFYCONTEXT | CRYPT_MACHINE_KEYSET | CRYPT_SILENT)) != 0)
        return Fail(NTE_BAD_FLAGS);
    // There are no key containers here: only ephemeral contexts exist.
    if ((dwFlags & CRYPT_VERIFYCONTEXT) != CRYPT_VERIFYCONTEXT || (szContainer != nullptr && szContainer[0] != L'\0'))
        return Fail(NTE_BAD_KEYSET);
    *phProv = Providers().Add(std::make_shared<ProviderObject>());
    return TRUE;
}

BOOL CryptReleaseContext(HCRYPTPROV hProv, DWORD dwFlags)
{
    if (dwFlags != 0)
        return Fail(NTE_BAD_FLAGS);
    return Providers().Remove(hProv) ? TRUE : Fail(NTE_BAD_UID);
}

BOOL CryptCreateHash(HCRYPTPROV hProv, ALG_ID Algid, HCRYPTKEY hKey, DWORD dwFlags, HCRYPTHASH* phHash)
{
    if (!StartNewHandle(hProv, phHash))
        return FALSE;
    if (Algid != CALG_SHA1)
        return Fail(NTE_BAD_ALGID);
    if (hKey != 0)
        return Fail(NTE_BAD_KEY);
    if (dwFlags != 0)
        return Fail(NTE_BAD_FLAGS);
    auto hash = std::make_shared<HashObject>();
    if (!hash->context || EVP_DigestInit_ex(hash->context.get(), EVP_sha1(), nullptr) != 1)
        return Fail(NTE_NO_MEMORY);
    *phHash = Hashes().Add(std::move(hash));
    return TRUE;
}

BOOL CryptHashData(HCRYPTHASH hHash, const BYTE* pbData, DWORD dwDataLen, DWORD dwFlags)
{
    const std::shared_ptr<HashObject> hash = Hashes().Find(hHash);
    if (!hash)
        return Fail(NTE_BAD_HASH);
    if (dwFlags != 0)
        return Fail(NTE_BAD_FLAGS);
    if (pbData == nullptr && dwDataLen != 0)
        return Fail(ERROR_INVALID_PARAMETER);
    const CheckedMutexLock guard(hash->lock);
    if (hash->finished)
        return Fail(NTE_BAD_HASH_STATE);
    if (dwDataLen != 0 && EVP_DigestUpdate(hash->context.get(), pbData, dwDataLen) != 1)
        return Fail(NTE_FAIL);
    return TRUE;
}

BOOL CryptGetHashParam(HCRYPTHASH hHash, DWORD dwParam, BYTE* pbData, DWORD* pdwDataLen, DWORD dwFlags)
{
    const std::shared_ptr<HashObject> hash = Hashes().Find(hHash);
    if (!hash)
        return Fail(NTE_BAD_HASH);
    if (dwFlags != 0)
        return Fail(NTE_BAD_FLAGS);
    if (dwParam != HP_HASHVAL)
        return Fail(NTE_BAD_TYPE);
    if (pdwDataLen == nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    if (pbData == nullptr)
    {
        *pdwDataLen = kSha1Size;
        return TRUE;
    }
    if (*pdwDataLen < kSha1Size)
    {
        *pdwDataLen = kSha1Size;
        return Fail(ERROR_MORE_DATA);
    }
    const CheckedMutexLock guard(hash->lock);
    if (!hash->Finish())
        return Fail(NTE_FAIL);
    std::memcpy(pbData, hash->value.data(), kSha1Size);
    *pdwDataLen = kSha1Size;
    return TRUE;
}

BOOL CryptDestroyHash(HCRYPTHASH hHash)
{
    return Hashes().Remove(hHash) ? TRUE : Fail(NTE_BAD_HASH);
}

BOOL CryptDeriveKey(HCRYPTPROV hProv, ALG_ID Algid, HCRYPTHASH hBaseData, DWORD dwFlags, HCRYPTKEY* phKey)
{
    if (!StartNewHandle(hProv, phKey))
        return FALSE;
    if (Algid != CALG_RC2)
        return Fail(NTE_BAD_ALGID);
    const DWORD requestedBits = dwFlags >> 16;
    const DWORD bits = requestedBits == 0 ? kDefaultKeyBits : requestedBits;
    const DWORD flags = dwFlags & 0xFFFFu;
    if ((flags & ~(CRYPT_EXPORTABLE | CRYPT_NO_SALT)) != 0 || bits < kMinKeyBits || bits > kMaxKeyBits || bits % 8 != 0)
        return Fail(NTE_BAD_FLAGS);
    const std::shared_ptr<HashObject> hash = Hashes().Find(hBaseData);
    if (!hash)
        return Fail(NTE_BAD_HASH);
    std::array<BYTE, kMaxKeyBytes> material{};
    {
        const CheckedMutexLock guard(hash->lock);
        if (!hash->Finish())
            return Fail(NTE_FAIL);
        std::memcpy(material.data(), hash->value.data(), bits / 8);
    }
    const bool salted = bits == kSaltedKeyBits && (flags & CRYPT_NO_SALT) == 0;
    // The salt bytes are the zeros already in `material`.
    const DWORD keyBytes = salted ? bits / 8 + kSaltBytes : bits / 8;
    auto key = MakeRc2Key(material.data(), keyBytes, bits);
    OPENSSL_cleanse(material.data(), material.size());
    *phKey = Keys().Add(std::move(key));
    return TRUE;
}

BOOL CryptImportKey(HCRYPTPROV hProv, const BYTE* pbData, DWORD dwDataLen, HCRYPTKEY hPubKey, DWORD dwFlags,
                    HCRYPTKEY* phKey)
{
    if (!StartNewHandle(hProv, phKey))
        return FALSE;
    if ((dwFlags & ~CRYPT_EXPORTABLE) != 0)
        return Fail(NTE_BAD_FLAGS);
    if (pbData == nullptr || dwDataLen < sizeof(BLOBHEADER))
        return Fail(NTE_BAD_LEN);
    BLOBHEADER header{};
    std::memcpy(&header, pbData, sizeof(header));
    if (header.bVersion != CUR_BLOB_VERSION)
        return Fail(NTE_BAD_VER);
    if (header.aiKeyAlg != CALG_RC2)
        return Fail(NTE_BAD_ALGID);
    const BYTE* body = pbData + sizeof(header);
    const DWORD bodyLength = dwDataLen - static_cast<DWORD>(sizeof(header));
    std::shared_ptr<KeyObject> key;
    if (header.bType == PLAINTEXTKEYBLOB)
    {
        if (hPubKey != 0)
            return Fail(NTE_BAD_KEY);
        DWORD keySize = 0;
        if (bodyLength < sizeof(keySize))
            return Fail(NTE_BAD_LEN);
        std::memcpy(&keySize, body, sizeof(keySize));
        if (keySize < kMinKeyBytes || keySize > kMaxKeyBytes || bodyLength - sizeof(keySize) != keySize)
            return Fail(NTE_BAD_LEN);
        key = MakeRc2Key(body + sizeof(keySize), keySize, keySize * 8);
    }
    else if (header.bType == SIMPLEBLOB)
    {
        if (ImportSimpleBlob(body, bodyLength, hPubKey, key) == FALSE)
            return FALSE;
    }
    else
    {
        return Fail(NTE_BAD_TYPE);
    }
    *phKey = Keys().Add(std::move(key));
    return TRUE;
}

BOOL CryptDestroyKey(HCRYPTKEY hKey)
{
    return Keys().Remove(hKey) ? TRUE : Fail(NTE_BAD_KEY);
}

BOOL CryptEncrypt(HCRYPTKEY hKey, HCRYPTHASH hHash, BOOL Final, DWORD dwFlags, BYTE* pbData, DWORD* pdwDataLen,
                  DWORD dwBufLen)
{
    const std::shared_ptr<KeyObject> key = Keys().Find(hKey);
    if (!key)
        return Fail(NTE_BAD_KEY);
    if (hHash != 0)
        return Fail(NTE_NOT_SUPPORTED);
    if (dwFlags != 0)
        return Fail(NTE_BAD_FLAGS);
    if (pdwDataLen == nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    const DWORD length = *pdwDataLen;
    if (!Final && length % kBlockSize != 0)
        return Fail(NTE_BAD_DATA);
    if (Final && length > UINT32_MAX - kBlockSize)
        return Fail(NTE_BAD_LEN);
    const DWORD needed = Final ? length + kBlockSize - length % kBlockSize : length;
    if (pbData == nullptr)
    {
        *pdwDataLen = needed;
        return TRUE;
    }
    if (dwBufLen < needed)
    {
        *pdwDataLen = needed;
        return Fail(ERROR_MORE_DATA);
    }
    if (Final)
    {
        const BYTE pad = static_cast<BYTE>(needed - length);
        std::memset(pbData + length, pad, pad);
    }
    const CheckedMutexLock guard(key->lock);
    const bool ok = Rc2Cbc(*key, true, key->encryptChain, pbData, needed);
    if (Final)
        key->encryptChain.fill(0);
    if (!ok)
        return Fail(NTE_FAIL);
    *pdwDataLen = needed;
    return TRUE;
}

BOOL CryptDecrypt(HCRYPTKEY hKey, HCRYPTHASH hHash, BOOL Final, DWORD dwFlags, BYTE* pbData, DWORD* pdwDataLen)
{
    const std::shared_ptr<KeyObject> key = Keys().Find(hKey);
    if (!key)
        return Fail(NTE_BAD_KEY);
    if (hHash != 0)
        return Fail(NTE_NOT_SUPPORTED);
    if (dwFlags != 0)
        return Fail(NTE_BAD_FLAGS);
    if (pdwDataLen == nullptr || (pbData == nullptr && *pdwDataLen != 0))
        return Fail(ERROR_INVALID_PARAMETER);
    const DWORD length = *pdwDataLen;
    const CheckedMutexLock guard(key->lock);
    if (length % kBlockSize != 0 || (Final && length == 0))
    {
        if (Final)
            key->decryptChain.fill(0);
        return Fail(NTE_BAD_DATA);
    }
    const bool ok = Rc2Cbc(*key, false, key->decryptChain, pbData, length);
    if (Final)
        key->decryptChain.fill(0);
    if (!ok)
        return Fail(NTE_FAIL);
    if (!Final)
        return TRUE;
    DWORD plainLength = 0;
    if (!StripPadding(pbData, length, plainLength))
        return Fail(NTE_BAD_DATA);
    *pdwDataLen = plainLength;
    return TRUE;
}

BOOL CryptGenRandom(HCRYPTPROV hProv, DWORD dwLen, BYTE* pbBuffer)
{
    if (!Providers().Find(hProv))
        return Fail(NTE_BAD_UID);
    if (pbBuffer == nullptr && dwLen != 0)
        return Fail(ERROR_INVALID_PARAMETER);
    for (DWORD offset = 0; offset < dwLen;)
    {
        const DWORD step = std::min<DWORD>(dwLen - offset, INT_MAX);
        if (RAND_bytes(pbBuffer + offset, static_cast<int>(step)) != 1)
            return Fail(NTE_FAIL);
        offset += step;
    }
    return TRUE;
}

void SecureZeroMemory(void* destination, SIZE_T length)
{
    if (destination != nullptr)
        OPENSSL_cleanse(destination, length);
}
