// brontel::crypto::Crypto: encryption and decryption of stored values, the texts of fields
// marked as encrypted and the badge PINs, with CryptoAPI.
//
// Keys: the SHA-1 hash of the installation's pass phrase "FieldKeyPhrase" (see
// GetInstallationPassPhrase; its characters as UTF-8) made into RC2 keys with CryptDeriveKey,
// one of 40 bits (with the zero salt older installations used) and one of 128 bits. New cipher
// texts use the length of the registry value "DefaultKeyLength" of the installation's key when
// it is 40, else 128. A stored text is its characters as UTF-16LE bytes; the cipher text is
// RC2-CBC with a zero IV and PKCS#5 padding, with no header of its own.
//
// Each object owns its provider and keys, made on first use. Not thread-safe: construct one
// per use (the badge mapper makes one per PIN read).
#pragma once

#include "common/CryptHandle.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

#include <vector>

namespace brontel::crypto {

class Crypto
{
public:
    // Registry value (below kInstallationSecretsKey) of the pass phrase.
    static constexpr wchar_t kPassPhraseValue[] = L"FieldKeyPhrase";
    // A PIN is stored as exactly this many plaintext bytes: 10 UTF-16 characters.
    static constexpr std::size_t kPinBytes = 20;
    // Longest cipher text accepted, and longest plain text encrypted, in bytes.
    static constexpr std::size_t kMaxBytes = 1024 * 1024;

    Crypto();
    ~Crypto();
    Crypto(const Crypto&) = delete;
    Crypto& operator=(const Crypto&) = delete;

    // Encrypts `text` with the configured key into `cipher`. True on success; false, with
    // `cipher` emptied, when the keys cannot be made or the text is longer than kMaxBytes.
    bool EncryptString(const CString& text, std::vector<BYTE>& cipher);

    // Decrypts a cipher text made by EncryptString with the configured key into `text`. True
    // on success; false, with `text` emptied, for a cipher that does not decrypt (wrong key,
    // bad length or padding, an odd number of plain bytes) or when the keys cannot be made.
    // The text ends at its first NUL character.
    bool DecryptString(const std::vector<BYTE>& cipher, CString& text);

    // EncryptString of the PIN padded with NUL characters to 10 UTF-16 characters. False, with
    // `cipher` emptied, for a PIN longer than that or when the keys cannot be made.
    bool EncryptPinString(const CString& pin, std::vector<BYTE>& cipher);

    // Decrypts a stored PIN with the 40-bit and with the 128-bit key and keeps a result only
    // when it is exactly kPinBytes long. True with `text` set when exactly one key gives such
    // a result; false with `text` emptied when neither or both do (both: the PIN cannot be told
    // apart, so none is shown).
    bool DecryptPinString(const std::vector<BYTE>& cipher, CString& text);

private:
    // Acquires the provider and derives both keys once; false when that fails.
    bool Initialize();
    // The key new cipher texts are made with.
    HCRYPTKEY CurrentKey() const;
    // Decrypts with one key; false for a cipher text it does not decrypt.
    static bool Decrypt(HCRYPTKEY key, const std::vector<BYTE>& cipher, std::vector<BYTE>& plain);
    bool Encrypt(std::vector<BYTE> plain, std::vector<BYTE>& cipher);

    // Made by Initialize.
    CryptProviderHandle m_provider;
    CryptKeyHandle m_key40;
    CryptKeyHandle m_key128;
    DWORD m_currentKeyBits = 128;
    bool m_initialized = false;
};

}  // namespace brontel::crypto
