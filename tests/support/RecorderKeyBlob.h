// A recorder's connection key as the recorder hands it out: the RC2 key wrapped, as a
// SIMPLEBLOB, with the exchange key derived from the installation's pass phrase (the SHA-1
// hash of the phrase made into a 128-bit RC2 key).
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "common/CryptHandle.h"

namespace support {

inline std::vector<BYTE> MakeRecorderKeyBlob(const char* phrase, const std::vector<BYTE>& key)
{
    CryptProviderHandle provider;
    CryptHashHandle hash;
    CryptKeyHandle exchange;
    EXPECT_TRUE(
        CryptAcquireContextW(provider.Receive(), nullptr, MS_ENHANCED_PROV, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
    EXPECT_TRUE(CryptCreateHash(provider.Get(), CALG_SHA1, 0, 0, hash.Receive()));
    EXPECT_TRUE(
        CryptHashData(hash.Get(), reinterpret_cast<const BYTE*>(phrase), static_cast<DWORD>(std::strlen(phrase)), 0));
    EXPECT_TRUE(CryptDeriveKey(provider.Get(), CALG_RC2, hash.Get(), 128u << 16, exchange.Receive()));
    std::vector<BYTE> wrapped(key);
    wrapped.resize(key.size() + 8);
    DWORD length = static_cast<DWORD>(key.size());
    EXPECT_TRUE(CryptEncrypt(exchange.Get(), 0, TRUE, 0, wrapped.data(), &length, static_cast<DWORD>(wrapped.size())));
    wrapped.resize(length);
    std::vector<BYTE> blob(sizeof(BLOBHEADER) + sizeof(ALG_ID));
    const BLOBHEADER header{SIMPLEBLOB, CUR_BLOB_VERSION, 0, CALG_RC2};
    std::memcpy(blob.data(), &header, sizeof(header));
    const ALG_ID wrapAlg = CALG_RC2;
    std::memcpy(blob.data() + sizeof(header), &wrapAlg, sizeof(wrapAlg));
    blob.insert(blob.end(), wrapped.begin(), wrapped.end());
    return blob;
}

}  // namespace support
