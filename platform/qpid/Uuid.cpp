#include "platform/qpid/Uuid.h"

#include <openssl/rand.h>

#include <cstring>

#include "platform/qpid/Exception.h"

namespace qpid::types {

Uuid::Uuid(bool unique)
{
    if (!unique)
    {
        return;
    }
    if (RAND_bytes(m_bytes.data(), static_cast<int>(m_bytes.size())) != 1)
    {
        throw Exception("Unable to generate a random identifier");
    }
    m_bytes[6] = static_cast<unsigned char>((m_bytes[6] & 0x0F) | 0x40);  // version 4
    m_bytes[8] = static_cast<unsigned char>((m_bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
}

Uuid::Uuid(const unsigned char* data)
{
    std::memcpy(m_bytes.data(), data, SIZE);
}

bool Uuid::isNull() const
{
    for (const unsigned char byte : m_bytes)
    {
        if (byte != 0)
        {
            return false;
        }
    }
    return true;
}

std::string Uuid::str() const
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(36);
    for (std::size_t i = 0; i < SIZE; ++i)
    {
        if (i == 4 || i == 6 || i == 8 || i == 10)
        {
            text.push_back('-');
        }
        text.push_back(kDigits[m_bytes[i] >> 4]);
        text.push_back(kDigits[m_bytes[i] & 0x0F]);
    }
    return text;
}

std::ostream& operator<<(std::ostream& out, const Uuid& uuid)
{
    return out << uuid.str();
}

}  // namespace qpid::types
