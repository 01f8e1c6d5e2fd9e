// One IPv4 or IPv6 address in network byte order.
//
// An IPv4 address a.b.c.d uses bytes 0 to 3; whenever an IPv6 address becomes IPv4 the other
// twelve bytes are cleared first. Every IPv4 address orders before every IPv6 address. A plain
// value; not shared between threads without the caller's lock.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace ostrum::net {

class InetAddress
{
public:
    // 0.0.0.0.
    InetAddress();
    // The local host's first IPv4 address; 0.0.0.0 when it cannot be found.
    static InetAddress localHost();
    InetAddress(const InetAddress&) = default;
    InetAddress& operator=(const InetAddress&) = default;
    virtual ~InetAddress() = default;

    // IPv4 0.0.0.0; returns 0.
    int clear();
    bool isClear() const;
    bool isIPv4() const;
    void setAddress(uint8_t a, uint8_t b, uint8_t c, uint8_t d);
    void setAddress(const uint8_t bytes[4]);
    // IPv6 from sixteen bytes; returns 16.
    int setIPv6Address(const uint8_t bytes[16]);
    // The local host's first IPv4 address; false (0.0.0.0) when it cannot be found.
    bool setLocalHost();
    // 0.0.0.0 first; an empty text succeeds with it; otherwise the text (dotted quad or host
    // name) is resolved without raising: false, with 0.0.0.0 kept, when that fails.
    bool setAddress(const std::string& text);
    const std::array<uint8_t, 16>& getBytes() const;

    // "a.b.c.d" of bytes 0 to 3 (also for an IPv6 address).
    std::string toString() const;

    bool operator==(const InetAddress& other) const;
    bool operator!=(const InetAddress& other) const { return !(*this == other); }
    bool operator<(const InetAddress& other) const;

private:
    void becomeIPv4();

    bool m_ipv4 = true;
    std::array<uint8_t, 16> m_bytes{};
};

}  // namespace ostrum::net
