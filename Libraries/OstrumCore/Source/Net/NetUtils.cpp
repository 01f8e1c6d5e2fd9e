#include "Libraries/OstrumCore/Source/Net/NetUtils.h"

#include "Libraries/OstrumCore/Source/Net/AdapterInfo.h"
#include "Libraries/OstrumCore/Source/Net/Punycode.h"
#include "Libraries/OstrumCore/Source/Utils/LogLevel.h"
#include "Libraries/OstrumCore/Source/Utils/Logger.h"
#include "Libraries/OstrumCore/Source/Utils/MemoryArrayHandle.h"
#include "Libraries/OstrumCore/Source/Utils/StringTokenizer.h"
#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <charconv>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

namespace ostrum::net {

namespace {

using utils::StringUtils;
using utils::logging::Logger;
using utils::logging::LogLevel;

constexpr std::size_t kHostNameLength = 256;
constexpr std::size_t kFullNameLength = 1025;
constexpr int kSubnetCandidates = 32;
constexpr const char* kHostNameCharacters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890.-";
constexpr const char* kRouteTable = "/proc/net/route";
constexpr unsigned kRouteGatewayFlag = 0x2;

Logger* netLogger()
{
    return Logger::getLogger("NetUtils");
}

// Reads up to four numbers separated by dots in the manner of "%d.%d.%d.%d": optional
// blanks and sign before each, trailing text ignored. Returns how many numbers were read.
int scanDottedQuad(const std::string& text, long values[4])
{
    std::size_t i = 0;
    for (int count = 0; count < 4; ++count)
    {
        if (count > 0)
        {
            if (i >= text.size() || text[i] != '.')
            {
                return count;
            }
            ++i;
        }
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])) != 0)
        {
            ++i;
        }
        bool negative = false;
        if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        {
            negative = text[i] == '-';
            ++i;
        }
        const std::size_t start = i;
        long value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        {
            // Larger numbers are out of range anyway; capping keeps the arithmetic bounded.
            value = std::min(value * 10 + (text[i] - '0'), 100000L);
            ++i;
        }
        if (i == start)
        {
            return count;
        }
        values[count] = negative ? -value : value;
    }
    return 4;
}

bool failResolve(const std::string& message, bool raise)
{
    OSTRUM_LOG(netLogger(), LogLevel::ERROR, message);
    if (raise)
    {
        throw std::runtime_error(message);
    }
    return false;
}

// The IPv4 addresses getaddrinfo gives for a name, in its order, without repeats. The status
// of getaddrinfo, 0 on success.
int lookUpIPv4(const std::string& name, std::vector<std::array<uint8_t, 4>>& addresses, bool& sawOtherFamily)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int status = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
    if (status != 0)
    {
        return status;
    }
    sawOtherFamily = false;
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next)
    {
        if (entry->ai_family != AF_INET || entry->ai_addr == nullptr ||
            entry->ai_addrlen < static_cast<socklen_t>(sizeof(sockaddr_in)))
        {
            sawOtherFamily = true;
            continue;
        }
        sockaddr_in address{};
        std::memcpy(&address, entry->ai_addr, sizeof address);
        std::array<uint8_t, 4> bytes{};
        std::memcpy(bytes.data(), &address.sin_addr, 4);
        bool seen = false;
        for (const auto& known : addresses)
        {
            seen = seen || known == bytes;
        }
        if (!seen)
        {
            addresses.push_back(bytes);
        }
    }
    ::freeaddrinfo(found);
    return 0;
}

std::string localHostName()
{
    char name[kHostNameLength + 1] = {};
    if (::gethostname(name, kHostNameLength) != 0)
    {
        return {};
    }
    return name;
}

std::string readFirstLine(const std::string& path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// The gateways of each interface from the kernel's routing table.
std::map<std::string, std::vector<InetAddress>> readGateways()
{
    std::map<std::string, std::vector<InetAddress>> gateways;
    std::ifstream in(kRouteTable);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line))
    {
        std::istringstream fields(line);
        std::string name;
        std::string destination;
        std::string gateway;
        std::string flags;
        if (!(fields >> name >> destination >> gateway >> flags))
        {
            continue;
        }
        uint32_t gatewayValue = 0;
        uint32_t flagValue = 0;
        const auto g = std::from_chars(gateway.data(), gateway.data() + gateway.size(), gatewayValue, 16);
        const auto f = std::from_chars(flags.data(), flags.data() + flags.size(), flagValue, 16);
        if (g.ec != std::errc() || f.ec != std::errc() || (flagValue & kRouteGatewayFlag) == 0 || gatewayValue == 0)
        {
            continue;
        }
        // The table holds the address in the machine's order of the network-order bytes.
        uint8_t bytes[4];
        std::memcpy(bytes, &gatewayValue, 4);
        InetAddress address;
        address.setAddress(bytes);
        gateways[name].push_back(address);
    }
    return gateways;
}

InetAddress addressOf(const sockaddr* address)
{
    InetAddress result;
    if (address != nullptr && address->sa_family == AF_INET)
    {
        sockaddr_in in{};
        std::memcpy(&in, address, sizeof in);
        uint8_t bytes[4];
        std::memcpy(bytes, &in.sin_addr, 4);
        result.setAddress(bytes);
    }
    return result;
}

std::string encodeCodePoints(const std::vector<uint32_t>& codePoints)
{
    const auto count = static_cast<uint32_t>(codePoints.size());
    uint32_t length = Punycode::encodedBound(count);
    utils::MemoryArrayHandle<char> output(length);
    if (Punycode::encode(count, codePoints.data(), nullptr, &length, output.get()) != Punycode::Success)
    {
        return {};
    }
    return std::string(output.get(), length);
}

}  // namespace

void NetUtils::splitUrl(const std::string& text, std::string& scheme, std::string& host, std::string& path)
{
    const std::size_t colon = text.find(':');
    std::size_t hostStart = 0;
    if (colon != std::string::npos)
    {
        scheme = text.substr(0, colon);
        hostStart = std::min(colon + 3, text.size());
    }
    else
    {
        scheme.clear();
    }
    const std::size_t slash = text.find('/', hostStart);
    path = slash == std::string::npos ? std::string() : text.substr(slash);
    host = text.substr(hostStart, (slash == std::string::npos ? text.size() : slash) - hostStart);
}

bool NetUtils::splitUrlWithPort(const std::string& text, std::string& scheme, std::string& host, int32_t& port,
                                std::string& path)
{
    const std::size_t marker = text.find("://");
    scheme = marker == std::string::npos ? std::string() : text.substr(0, marker);
    const std::size_t hostStart = marker == std::string::npos ? 0 : marker + 3;
    const std::size_t slash =
        text.find('/', marker == std::string::npos ? std::min<std::size_t>(2, text.size()) : hostStart);
    const std::size_t hostEnd = slash == std::string::npos ? text.size() : std::max(slash, hostStart);
    path = slash == std::string::npos ? std::string() : text.substr(slash);
    host = text.substr(hostStart, hostEnd - hostStart);
    const std::size_t colon = host.find(':');
    if (colon == std::string::npos)
    {
        return true;
    }
    const std::string portText = host.substr(colon + 1);
    int32_t value = 0;
    const auto parsed = std::from_chars(portText.data(), portText.data() + portText.size(), value);
    host.erase(colon);
    if (portText.empty() || portText.front() < '0' || portText.front() > '9' || parsed.ec != std::errc() ||
        parsed.ptr != portText.data() + portText.size())
    {
        return false;
    }
    port = value;
    return true;
}

bool NetUtils::resolveHost(const std::string& name, uint8_t out[4], bool raise)
{
    long values[4] = {};
    const int count = scanDottedQuad(name, values);
    if (count == 4)
    {
        bool inRange = true;
        for (int i = 0; i < 4; ++i)
        {
            if (values[i] >= 0 && values[i] <= 255)
            {
                out[i] = static_cast<uint8_t>(values[i]);
            }
            else
            {
                inRange = false;
            }
        }
        if (inRange)
        {
            return true;
        }
    }
    std::vector<std::array<uint8_t, 4>> addresses;
    bool sawOtherFamily = false;
    if (lookUpIPv4(name, addresses, sawOtherFamily) != 0)
    {
        return failResolve("could not resolve host: " + name, raise);
    }
    if (addresses.empty())
    {
        return failResolve(sawOtherFamily ? "OS did not return IPv4 address for host: " + name
                                          : "OS did not return valid IP address for host: " + name,
                           raise);
    }
    std::memcpy(out, addresses.front().data(), 4);
    return true;
}

bool NetUtils::getLocalHostInfo(uint8_t* bytes, int capacity, std::string* addressText, std::string* hostName,
                                std::string* fullName)
{
    const std::string name = localHostName();
    std::vector<std::array<uint8_t, 4>> addresses;
    bool sawOtherFamily = false;
    if (name.empty() || lookUpIPv4(name, addresses, sawOtherFamily) != 0 || addresses.empty())
    {
        return false;
    }
    const std::array<uint8_t, 4>& first = addresses.front();
    if (bytes != nullptr && capacity >= 4)
    {
        std::memcpy(bytes, first.data(), 4);
    }
    if (addressText != nullptr)
    {
        *addressText = StringUtils::format("%d.%d.%d.%d", first[0], first[1], first[2], first[3]);
    }
    if (hostName != nullptr)
    {
        *hostName = name;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    std::memcpy(&address.sin_addr, first.data(), 4);
    char full[kFullNameLength] = {};
    const int status = ::getnameinfo(reinterpret_cast<const sockaddr*>(&address), sizeof address, full, sizeof full,
                                     nullptr, 0, NI_NAMEREQD);
    if (status != 0)
    {
        OSTRUM_LOG(netLogger(), LogLevel::ERROR, "getnameinfo failed, error=" << status);
        return false;
    }
    if (fullName != nullptr)
    {
        *fullName = full;
    }
    return true;
}

int NetUtils::getLocalAddresses(std::array<uint8_t, 4>* out, int capacity)
{
    const std::string name = localHostName();
    std::vector<std::array<uint8_t, 4>> addresses;
    bool sawOtherFamily = false;
    if (name.empty() || lookUpIPv4(name, addresses, sawOtherFamily) != 0)
    {
        return 0;
    }
    for (int i = 0; out != nullptr && i < capacity && static_cast<std::size_t>(i) < addresses.size(); ++i)
    {
        out[i] = addresses[static_cast<std::size_t>(i)];
    }
    return static_cast<int>(addresses.size());
}

bool NetUtils::findAddressInSubnet(const uint8_t address[4], const std::array<uint8_t, 4>* candidates, int count,
                                   uint32_t* out)
{
    if (out == nullptr)
    {
        return false;
    }
    for (int i = 0; i < count; ++i)
    {
        const std::array<uint8_t, 4>& candidate = candidates[i];
        if (candidate[0] == address[0] && candidate[1] == address[1] && candidate[2] == address[2])
        {
            std::memcpy(out, candidate.data(), 4);
            return true;
        }
    }
    return false;
}

bool NetUtils::findLocalAddressInSubnet(const uint8_t address[4], uint32_t* out)
{
    if (out == nullptr)
    {
        return false;
    }
    std::array<uint8_t, 4> local[kSubnetCandidates];
    const int count = std::min(getLocalAddresses(local, kSubnetCandidates), kSubnetCandidates);
    return count >= 1 && findAddressInSubnet(address, local, count, out);
}

bool NetUtils::getNetworkAdapters(std::vector<AdapterInfo>& list)
{
    ifaddrs* interfaces = nullptr;
    if (::getifaddrs(&interfaces) != 0)
    {
        return false;
    }
    std::vector<AdapterInfo> found;
    const auto recordOf = [&found](const std::string& name) -> AdapterInfo& {
        for (AdapterInfo& adapter : found)
        {
            if (adapter.name == name)
            {
                return adapter;
            }
        }
        found.push_back(AdapterInfo{});
        found.back().name = name;
        found.back().description = readFirstLine("/sys/class/net/" + name + "/ifalias");
        return found.back();
    };
    for (const ifaddrs* entry = interfaces; entry != nullptr; entry = entry->ifa_next)
    {
        if (entry->ifa_name == nullptr)
        {
            continue;
        }
        AdapterInfo& adapter = recordOf(entry->ifa_name);
        if (entry->ifa_addr == nullptr)
        {
            continue;
        }
        if (entry->ifa_addr->sa_family == AF_PACKET)
        {
            sockaddr_ll link{};
            std::memcpy(&link, entry->ifa_addr, sizeof link);
            const std::size_t length = std::min<std::size_t>(link.sll_halen, adapter.hardwareAddress.size());
            std::memcpy(adapter.hardwareAddress.data(), link.sll_addr, length);
        }
        else if (entry->ifa_addr->sa_family == AF_INET)
        {
            adapter.addresses.push_back(AddressAndMask{addressOf(entry->ifa_addr), addressOf(entry->ifa_netmask)});
        }
    }
    ::freeifaddrs(interfaces);
    const std::map<std::string, std::vector<InetAddress>> gateways = readGateways();
    for (AdapterInfo& adapter : found)
    {
        const auto it = gateways.find(adapter.name);
        if (it != gateways.end())
        {
            adapter.gateways = it->second;
        }
        list.push_back(std::move(adapter));
    }
    return true;
}

bool NetUtils::needsIdnEncoding(const std::string& text)
{
    return text.find_first_not_of(kHostNameCharacters) != std::string::npos;
}

std::string NetUtils::toAsciiHostName(const std::string& hostName)
{
    utils::StringTokenizer labels(hostName, ".");
    std::string ascii;
    while (labels.hasMoreTokens())
    {
        const std::string label = labels.nextToken();
        if (!ascii.empty())
        {
            ascii += ".";
        }
        ascii += needsIdnEncoding(label) ? "xn--" + punycodeEncode(label) : label;
    }
    return ascii;
}

std::string NetUtils::punycodeEncode(const std::string& utf8)
{
    return punycodeEncode(StringUtils::utf8ToWide(utf8.data(), static_cast<int>(utf8.size())));
}

std::string NetUtils::punycodeEncode(const std::u16string& utf16)
{
    std::vector<uint32_t> codePoints;
    codePoints.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i)
    {
        const uint32_t unit = utf16[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] < 0xE000)
        {
            codePoints.push_back(0x10000 + ((unit - 0xD800) << 10) + (utf16[i + 1] - 0xDC00u));
            ++i;
        }
        else
        {
            codePoints.push_back(unit);
        }
    }
    return encodeCodePoints(codePoints);
}

uint32_t NetUtils::checksum(const uint8_t* data, int count)
{
    uint32_t sum = 0;
    int i = 0;
    for (; i + 1 < count; i += 2)
    {
        sum += static_cast<uint32_t>(data[i]) | (static_cast<uint32_t>(data[i + 1]) << 8);
    }
    if (i < count)
    {
        sum += data[i];
    }
    sum = (sum >> 16) + (sum & 0xFFFF);
    sum = (sum >> 16) + (sum & 0xFFFF);
    return ~sum & 0xFFFF;
}

}  // namespace ostrum::net
