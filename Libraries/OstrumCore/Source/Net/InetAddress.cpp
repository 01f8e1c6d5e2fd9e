#include "Libraries/OstrumCore/Source/Net/InetAddress.h"

#include "Libraries/OstrumCore/Source/Net/NetUtils.h"
#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"

#include <algorithm>

namespace ostrum::net {

InetAddress::InetAddress() = default;

InetAddress InetAddress::localHost()
{
    InetAddress address;
    address.setLocalHost();
    return address;
}

void InetAddress::becomeIPv4()
{
    if (!m_ipv4)
    {
        std::fill(m_bytes.begin() + 4, m_bytes.end(), uint8_t{0});
        m_ipv4 = true;
    }
}

int InetAddress::clear()
{
    becomeIPv4();
    std::fill(m_bytes.begin(), m_bytes.begin() + 4, uint8_t{0});
    return 0;
}

bool InetAddress::isClear() const
{
    return m_ipv4 && m_bytes[0] == 0 && m_bytes[1] == 0 && m_bytes[2] == 0 && m_bytes[3] == 0;
}

bool InetAddress::isIPv4() const
{
    return m_ipv4;
}

void InetAddress::setAddress(uint8_t a, uint8_t b, uint8_t c, uint8_t d)
{
    const uint8_t bytes[4] = {a, b, c, d};
    setAddress(bytes);
}

void InetAddress::setAddress(const uint8_t bytes[4])
{
    becomeIPv4();
    std::copy(bytes, bytes + 4, m_bytes.begin());
}

int InetAddress::setIPv6Address(const uint8_t bytes[16])
{
    m_ipv4 = false;
    std::copy(bytes, bytes + 16, m_bytes.begin());
    return 16;
}

bool InetAddress::setLocalHost()
{
    clear();
    // The address is written before the full-name lookup, which may still fail; only the
    // address matters here.
    uint8_t bytes[4] = {};
    NetUtils::getLocalHostInfo(bytes, sizeof bytes, nullptr, nullptr, nullptr);
    setAddress(bytes);
    return !isClear();
}

bool InetAddress::setAddress(const std::string& text)
{
    clear();
    if (text.empty())
    {
        return true;
    }
    uint8_t bytes[4] = {};
    if (!NetUtils::resolveHost(text, bytes, false))
    {
        return false;
    }
    setAddress(bytes);
    return true;
}

const std::array<uint8_t, 16>& InetAddress::getBytes() const
{
    return m_bytes;
}

std::string InetAddress::toString() const
{
    return utils::StringUtils::format("%d.%d.%d.%d", m_bytes[0], m_bytes[1], m_bytes[2], m_bytes[3]);
}

bool InetAddress::operator==(const InetAddress& other) const
{
    return m_ipv4 == other.m_ipv4 && m_bytes == other.m_bytes;
}

bool InetAddress::operator<(const InetAddress& other) const
{
    if (m_ipv4 != other.m_ipv4)
    {
        return m_ipv4;
    }
    const auto end = m_ipv4 ? m_bytes.begin() + 4 : m_bytes.end();
    return std::lexicographical_compare(m_bytes.begin(), end, other.m_bytes.begin(),
                                        other.m_bytes.begin() + (end - m_bytes.begin()));
}

}  // namespace ostrum::net
