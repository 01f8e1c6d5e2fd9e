// Salted password hashes of system users, stored in USERS.LOGONPWD as
// "pbkdf2-sha256$ITERATIONS$SALT_HEX$HASH_HEX" (PBKDF2 with HMAC-SHA-256, a 32-byte hash).
//
// Static functions only; thread-safe. A stored text is hostile input: anything that does
// not parse within the limits below never verifies, and verification compares the hashes
// in constant time.
#pragma once

#include <string>
#include <string_view>

class CPasswordHash
{
public:
    CPasswordHash() = delete;

    static constexpr unsigned kDefaultIterations = 120000;
    static constexpr unsigned kMinIterations = 1000;
    // Bounds the work a stored text can ask of a login.
    static constexpr unsigned kMaxIterations = 10000000;
    static constexpr std::size_t kSaltBytes = 16;
    static constexpr std::size_t kMinSaltBytes = 8;
    static constexpr std::size_t kMaxSaltBytes = 64;
    static constexpr std::size_t kHashBytes = 32;

    // A new stored text for password (UTF-8) with a fresh random salt; empty when the random
    // generator or the hash fails, or iterations lie outside the limits.
    static std::string Hash(std::string_view password, unsigned iterations = kDefaultIterations);
    // True when password matches the stored text; false for a mismatch and for a stored text
    // that is empty, malformed or outside the limits.
    static bool Verify(std::string_view password, std::string_view stored);
};
