// TwCryptEngine: the common SDK's crypt engine that encrypts documents for the video recorders.
//
// A recorder hands out its connection key as a key blob: a SIMPLEBLOB holding an RC2 key,
// wrapped with an exchange key that both sides derive from the installation's pass phrase
// "KeyExchangePhrase" (see GetInstallationPassPhrase): the SHA-1 hash of the phrase's
// characters as UTF-8, made into a 128-bit RC2 key with CryptDeriveKey. The imported key is
// the engine's working key; EncryptString encrypts with it (RC2-CBC, zero IV, PKCS#5 padding)
// and writes the cipher text as Base64 in lines of 76 characters separated by CR LF.
//
// Each engine owns its provider and working key and releases them in Uninitialize and its
// destructor. Operations are traced to "bntVideo.log" without any key material. Not
// thread-safe: one engine serves one request.
#pragma once

#include "common/CryptHandle.h"
#include "platform/com/Bstr.h"
#include "platform/win32/WinTypes.h"

class TwCryptEngine
{
public:
    // Registry value (below kInstallationSecretsKey) of the key-exchange pass phrase.
    static constexpr wchar_t kPassPhraseValue[] = L"KeyExchangePhrase";
    // Characters per Base64 line.
    static constexpr int kBase64LineLength = 76;

    // No provider, no key, not initialised.
    TwCryptEngine();
    ~TwCryptEngine();
    TwCryptEngine(const TwCryptEngine&) = delete;
    TwCryptEngine& operator=(const TwCryptEngine&) = delete;

    // Makes the RC2 key in `blob` the working key, replacing any earlier one. S_OK on success;
    // E_INVALIDARG for a null blob or a size of 0 or less; otherwise the CryptoAPI failure as an
    // HRESULT (NTE_BAD_DATA when the blob was not wrapped with this installation's exchange
    // key, NTE_BAD_LEN, NTE_BAD_TYPE, ...), and the engine then holds no working key.
    HRESULT ImportKeyBlob(const BYTE* blob, int size);

    // Encrypts the UTF-8 bytes of `text` (a null BSTR is the empty text) with the working key
    // and sets *result to a new BSTR with the Base64 text, which the caller frees with
    // SysFreeString. `flag` must be 0. S_OK on success; E_POINTER for a null result;
    // E_INVALIDARG for another flag or a text too long to encrypt; NTE_NO_KEY when no key was
    // imported; E_OUTOFMEMORY. On failure *result is null.
    HRESULT EncryptString(BSTR text, BSTR* result, int flag);

    // Destroys the working key and releases the provider; the engine can be used again.
    void Uninitialize();

private:
    // Acquires the provider on first use; false when it cannot be acquired.
    bool Initialize();

    // The provider and working key; m_initialized says the provider is held.
    CryptProviderHandle m_provider;
    CryptKeyHandle m_key;
    bool m_initialized = false;
};
