// The CryptoAPI calls the system makes, on OpenSSL 3.
//
// One provider kind is offered: PROV_RSA_FULL under the name MS_ENHANCED_PROV (or no name),
// acquired with CRYPT_VERIFYCONTEXT; there are no persistent key containers. Hashes are SHA-1,
// session keys RC2 in CBC mode with PKCS#5 padding and a zero IV, as CryptoAPI defaults.
//
// Handles are numbers naming objects in a process-wide table: a stale or foreign handle is
// refused with the matching NTE_* code instead of being dereferenced, and a handle is never
// reused. Every call is thread-safe; calls on one hash or key are serialised. Failures return
// FALSE and leave the reason for GetLastError (an NTE_* value or a Win32 error code).
//
// Our own choices where CryptoAPI leaves no trace in the callers:
// - An RC2 key's effective key length is its key length in bits (40 for a 40-bit key).
// - CryptDeriveKey takes the first key-length bytes of the hash value; a 40-bit key made
//   without CRYPT_NO_SALT gets 11 zero bytes of salt, so its RC2 key is 16 bytes long with
//   40 effective bits. Key lengths from 40 to 128 bits in steps of 8 are accepted.
// - A SIMPLEBLOB is accepted only when wrapped with an RC2 session key (hPubKey): after the
//   BLOBHEADER comes the wrapping key's ALG_ID, then the key bytes encrypted with the
//   wrapping key exactly as CryptEncrypt with Final set produces them.
#pragma once

#include "platform/win32/WinTypes.h"

using HCRYPTPROV = ULONG_PTR;
using HCRYPTKEY = ULONG_PTR;
using HCRYPTHASH = ULONG_PTR;
using ALG_ID = unsigned int;

constexpr wchar_t MS_ENHANCED_PROV[] = L"Microsoft Enhanced Cryptographic Provider v1.0";
constexpr DWORD PROV_RSA_FULL = 1;

// CryptAcquireContext flags.
constexpr DWORD CRYPT_VERIFYCONTEXT = 0xF0000000u;
constexpr DWORD CRYPT_NEWKEYSET = 0x00000008u;
constexpr DWORD CRYPT_MACHINE_KEYSET = 0x00000020u;
constexpr DWORD CRYPT_SILENT = 0x00000040u;

// Key generation flags (the high word of CryptDeriveKey's flags is the key length in bits).
constexpr DWORD CRYPT_EXPORTABLE = 0x00000001u;
constexpr DWORD CRYPT_NO_SALT = 0x00000010u;

constexpr ALG_ID CALG_SHA1 = 0x00008004u;
constexpr ALG_ID CALG_RC2 = 0x00006602u;

constexpr DWORD HP_HASHVAL = 0x0002u;

// Key blobs.
constexpr BYTE SIMPLEBLOB = 0x1;
constexpr BYTE PLAINTEXTKEYBLOB = 0x8;
constexpr BYTE CUR_BLOB_VERSION = 2;

struct BLOBHEADER
{
    BYTE bType;
    BYTE bVersion;
    WORD reserved;
    ALG_ID aiKeyAlg;
};
static_assert(sizeof(BLOBHEADER) == 8, "BLOBHEADER is 8 bytes as on Windows");

// CryptoAPI failure codes, with their Windows numbers (GetLastError values).
constexpr DWORD NTE_BAD_UID = 0x80090001u;
constexpr DWORD NTE_BAD_HASH = 0x80090002u;
constexpr DWORD NTE_BAD_KEY = 0x80090003u;
constexpr DWORD NTE_BAD_LEN = 0x80090004u;
constexpr DWORD NTE_BAD_DATA = 0x80090005u;
constexpr DWORD NTE_BAD_VER = 0x80090007u;
constexpr DWORD NTE_BAD_ALGID = 0x80090008u;
constexpr DWORD NTE_BAD_FLAGS = 0x80090009u;
constexpr DWORD NTE_BAD_TYPE = 0x8009000Au;
constexpr DWORD NTE_BAD_HASH_STATE = 0x8009000Cu;
constexpr DWORD NTE_NO_KEY = 0x8009000Du;
constexpr DWORD NTE_NO_MEMORY = 0x8009000Eu;
constexpr DWORD NTE_BAD_PROVIDER = 0x80090013u;
constexpr DWORD NTE_BAD_PROV_TYPE = 0x80090014u;
constexpr DWORD NTE_BAD_KEYSET = 0x80090016u;
constexpr DWORD NTE_FAIL = 0x80090020u;
constexpr DWORD NTE_NOT_SUPPORTED = 0x80090029u;

// Opens a provider. TRUE and *phProv set on success; FALSE and *phProv = 0 for an unknown
// provider name (NTE_BAD_PROVIDER), another type (NTE_BAD_PROV_TYPE), a request for a key
// container (NTE_BAD_KEYSET: there are none) or other flags (NTE_BAD_FLAGS).
BOOL CryptAcquireContextW(HCRYPTPROV* phProv, LPCWSTR szContainer, LPCWSTR szProvider, DWORD dwProvType, DWORD dwFlags);
// Closes a provider. Keys and hashes made from it stay usable until destroyed.
// FALSE with NTE_BAD_UID for an unknown handle, NTE_BAD_FLAGS for non-zero flags.
BOOL CryptReleaseContext(HCRYPTPROV hProv, DWORD dwFlags);

// Starts a CALG_SHA1 hash (hKey and dwFlags must be 0). FALSE with NTE_BAD_ALGID for other
// algorithms, NTE_BAD_UID for an unknown provider.
BOOL CryptCreateHash(HCRYPTPROV hProv, ALG_ID Algid, HCRYPTKEY hKey, DWORD dwFlags, HCRYPTHASH* phHash);
// Adds bytes to a hash. FALSE with NTE_BAD_HASH_STATE once its value was taken.
BOOL CryptHashData(HCRYPTHASH hHash, const BYTE* pbData, DWORD dwDataLen, DWORD dwFlags);
// HP_HASHVAL: finishes the hash and copies its value; with pbData null only sets the size.
// FALSE with ERROR_MORE_DATA (and the size set) when the buffer is too small,
// NTE_BAD_TYPE for other parameters.
BOOL CryptGetHashParam(HCRYPTHASH hHash, DWORD dwParam, BYTE* pbData, DWORD* pdwDataLen, DWORD dwFlags);
BOOL CryptDestroyHash(HCRYPTHASH hHash);

// Derives a CALG_RC2 key from a hash's value (which finishes the hash). The key length in bits
// is the high word of dwFlags (0 means 128). FALSE with NTE_BAD_ALGID, NTE_BAD_FLAGS (length
// out of range or unknown flags), NTE_BAD_HASH.
BOOL CryptDeriveKey(HCRYPTPROV hProv, ALG_ID Algid, HCRYPTHASH hBaseData, DWORD dwFlags, HCRYPTKEY* phKey);
// Imports a PLAINTEXTKEYBLOB (hPubKey 0) or a SIMPLEBLOB wrapped with the RC2 key hPubKey.
// FALSE with NTE_BAD_TYPE, NTE_BAD_VER, NTE_BAD_ALGID, NTE_BAD_LEN, NTE_BAD_DATA (the wrapped
// bytes do not decrypt) or NTE_BAD_KEY; never reads past dwDataLen.
BOOL CryptImportKey(HCRYPTPROV hProv, const BYTE* pbData, DWORD dwDataLen, HCRYPTKEY hPubKey, DWORD dwFlags,
                    HCRYPTKEY* phKey);
BOOL CryptDestroyKey(HCRYPTKEY hKey);

// Encrypts *pdwDataLen bytes of pbData in place (buffer size dwBufLen); with Final the data are
// padded and the chaining restarts afterwards. With pbData null only sets *pdwDataLen to the
// size needed. FALSE with ERROR_MORE_DATA (size set) when the buffer is too small, NTE_BAD_DATA
// for a non-final length that is not a whole number of blocks, NTE_NOT_SUPPORTED for hHash.
BOOL CryptEncrypt(HCRYPTKEY hKey, HCRYPTHASH hHash, BOOL Final, DWORD dwFlags, BYTE* pbData, DWORD* pdwDataLen,
                  DWORD dwBufLen);
// Decrypts *pdwDataLen bytes in place; with Final removes the padding and sets the plain
// length. FALSE with NTE_BAD_DATA for a length that is not a whole number of blocks, an empty
// final block or bad padding (the buffer then holds no usable text).
BOOL CryptDecrypt(HCRYPTKEY hKey, HCRYPTHASH hHash, BOOL Final, DWORD dwFlags, BYTE* pbData, DWORD* pdwDataLen);

// Overwrites `length` bytes at `destination` with zeros in a way the compiler cannot drop,
// for buffers that held key material.
void SecureZeroMemory(void* destination, SIZE_T length);

// Fills pbBuffer with dwLen bytes from OpenSSL's random generator. FALSE with NTE_FAIL when
// the generator fails.
BOOL CryptGenRandom(HCRYPTPROV hProv, DWORD dwLen, BYTE* pbBuffer);
