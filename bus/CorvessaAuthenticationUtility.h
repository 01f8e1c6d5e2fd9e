// CorvessaAuthenticationUtility: the key pair with which bus clients encrypt their
// credentials, and the issue of session tokens. The public key text goes to clients
// unchanged; the private key text never leaves the object.
//
// One per application object, made on first use (CCorvessaBaseApp::GetAuthenticationUtility)
// and kept until the application ends. GenerateEncryptionKeys runs once, before the object
// is shared; afterwards every member only reads and may run on several threads at once.
#pragma once

#include <string>

#include "platform/win32/WinTypes.h"

class CorvessaAuthenticationUtility
{
public:
    CorvessaAuthenticationUtility() = default;
    virtual ~CorvessaAuthenticationUtility() = default;
    CorvessaAuthenticationUtility(const CorvessaAuthenticationUtility&) = delete;
    CorvessaAuthenticationUtility& operator=(const CorvessaAuthenticationUtility&) = delete;

    // Makes the key pair. S_OK; the key generator's failure HRESULT (logged, both keys then
    // empty).
    virtual HRESULT GenerateEncryptionKeys();
    // Decrypts a credential that a client encrypted with the public key. S_OK with plainText
    // set; the decryption's failure HRESULT (logged; plainText unchanged).
    HRESULT Decrypt(const std::string& cipherText, std::string& plainText) const;
    // A new session token: the 36-character text of a random UUID drawn from OpenSSL's
    // generator. Throws CWMIException (E_FAIL) when the generator fails.
    std::string GenerateToken() const;
    std::string GetPublicKey() const { return m_publicKey; }

protected:
    // For key generators of derived classes.
    void SetKeys(std::string publicKey, std::string privateKey);

private:
    std::string m_publicKey;
    std::string m_privateKey;
};
