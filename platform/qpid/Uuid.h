// qpid::types::Uuid: a 16-byte universally unique identifier. A value type; copies are
// independent and may be used on any thread.
//
// Uuid(true) draws a random (version 4, RFC 4122 variant) identifier from OpenSSL's random
// generator, so identifiers are unpredictable and may serve as secrets (session tokens).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

namespace qpid::types {

class Uuid
{
public:
    static constexpr std::size_t SIZE = 16;

    // unique false: the null identifier (all bytes 0). unique true: a new random identifier;
    // throws qpid::types::Exception when the random generator fails (never a weak value).
    explicit Uuid(bool unique = false);
    // The identifier of exactly SIZE bytes at data.
    explicit Uuid(const unsigned char* data);

    // True for the null identifier.
    bool isNull() const;
    explicit operator bool() const { return !isNull(); }
    bool operator!() const { return isNull(); }

    // The 36-character text: lowercase hexadecimal in groups of 8, 4, 4, 4 and 12 digits
    // joined by hyphens.
    std::string str() const;
    // The bytes; valid while the object lives.
    const unsigned char* data() const { return m_bytes.data(); }
    std::size_t size() const { return SIZE; }

    friend bool operator==(const Uuid&, const Uuid&) = default;
    friend auto operator<=>(const Uuid&, const Uuid&) = default;

private:
    std::array<unsigned char, SIZE> m_bytes{};
};

std::ostream& operator<<(std::ostream& out, const Uuid& uuid);

}  // namespace qpid::types
