#include "Libraries/OstrumCore/Source/Net/InetSocketAddress.h"

#include "Libraries/OstrumCore/Source/Net/NetUtils.h"
#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"

namespace ostrum::net {

namespace {

constexpr int32_t kNoPort = -1;
constexpr int32_t kMaxPort = 65535;

}  // namespace

InetSocketAddress::InetSocketAddress() = default;

InetSocketAddress::InetSocketAddress(const std::string& hostName, uint16_t port, bool)
    : m_hostName(hostName), m_port(port)
{
}

InetSocketAddress::InetSocketAddress(const std::string& text, bool resolve)
{
    parse(text, resolve);
}

std::unique_ptr<InetSocketAddress> InetSocketAddress::create(const std::string& hostName, uint16_t port)
{
    return std::make_unique<InetSocketAddress>(hostName, port, false);
}

bool InetSocketAddress::resolveName()
{
    uint8_t bytes[4] = {};
    if (!NetUtils::resolveHost(m_hostName, bytes, false))
    {
        return false;
    }
    setAddress(bytes);
    m_unresolved = false;
    return true;
}

bool InetSocketAddress::set(const std::string& hostName, uint16_t port, bool resolve)
{
    m_hostName = hostName;
    m_port = port;
    m_unresolved = true;
    return !resolve || resolveName();
}

bool InetSocketAddress::parse(const std::string& text, bool resolve)
{
    std::string scheme;
    std::string host;
    std::string path;
    int32_t port = kNoPort;
    if (!NetUtils::splitUrlWithPort(text, scheme, host, port, path))
    {
        return false;
    }
    // No port at all reads as the largest port; anything else outside 0..65535 is refused
    // rather than cut to 16 bits.
    if (port == kNoPort)
    {
        port = kMaxPort;
    }
    if (port < 0 || port > kMaxPort)
    {
        return false;
    }
    return set(host, static_cast<uint16_t>(port), resolve);
}

int InetSocketAddress::clear()
{
    m_hostName.clear();
    m_port = 0;
    m_unresolved = true;
    return 0;
}

const std::string& InetSocketAddress::getHostName() const
{
    return m_hostName;
}

uint16_t InetSocketAddress::getPort() const
{
    return m_port;
}

bool InetSocketAddress::isUnresolved() const
{
    return m_unresolved;
}

std::string InetSocketAddress::toString() const
{
    const std::string address = InetAddress::toString();
    if (m_unresolved && isClear())
    {
        return "[clear]";
    }
    if (m_unresolved || m_hostName == address)
    {
        return utils::StringUtils::format("%s:%d", address.c_str(), m_port);
    }
    return utils::StringUtils::format("%s:%d [%s]", m_hostName.c_str(), m_port, address.c_str());
}

bool InetSocketAddress::operator==(const InetSocketAddress& other) const
{
    return m_hostName == other.m_hostName && InetAddress::operator==(other) && m_port == other.m_port &&
           m_unresolved == other.m_unresolved;
}

bool InetSocketAddress::operator<(const InetSocketAddress& other) const
{
    if (InetAddress::operator!=(other))
    {
        return InetAddress::operator<(other);
    }
    if (m_port != other.m_port)
    {
        return m_port < other.m_port;
    }
    // Ties go on to the parts equality looks at, so that values neither less nor greater
    // than each other are equal (sorted containers and == agree).
    if (m_hostName != other.m_hostName)
    {
        return m_hostName < other.m_hostName;
    }
    return m_unresolved < other.m_unresolved;
}

}  // namespace ostrum::net
