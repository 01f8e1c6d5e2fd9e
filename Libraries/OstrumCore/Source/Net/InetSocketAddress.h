// An address together with the host name it came from and a port.
//
// The address part stays 0.0.0.0 and "unresolved" until a name has been resolved into it.
// Equality takes every part; the order takes the address, then the port, then the host name
// and the resolved flag, so that the order and equality agree. A plain value.
#pragma once

#include "Libraries/OstrumCore/Source/Net/InetAddress.h"

#include <cstdint>
#include <memory>
#include <string>

namespace ostrum::net {

class InetSocketAddress : public InetAddress
{
public:
    // 0.0.0.0, empty host name, port 0, unresolved.
    InetSocketAddress();
    // Stores the name and port, unresolved, whatever the flag says (the address stays 0.0.0.0).
    InetSocketAddress(const std::string& hostName, uint16_t port, bool resolve);
    // The default state, then parse(text, resolve).
    InetSocketAddress(const std::string& text, bool resolve);
    static std::unique_ptr<InetSocketAddress> create(const std::string& hostName, uint16_t port);

    // Stores the name and port, unresolved; with resolve, resolves the name (false, address
    // unchanged, when that fails).
    bool set(const std::string& hostName, uint16_t port, bool resolve);
    // Reads "[scheme://]host[:port][/path]"; no port gives 65535; a port that is not a
    // number from 0 to 65535 fails with nothing changed. Resolves as set does.
    bool parse(const std::string& text, bool resolve);
    using InetAddress::setAddress;
    // Empty host name, port 0, unresolved (the address keeps its value); returns 0.
    int clear();

    const std::string& getHostName() const;
    uint16_t getPort() const;
    bool isUnresolved() const;

    // "[clear]", "address:port" or "name:port [address]".
    std::string toString() const;

    bool operator==(const InetSocketAddress& other) const;
    bool operator!=(const InetSocketAddress& other) const { return !(*this == other); }
    bool operator<(const InetSocketAddress& other) const;

private:
    bool resolveName();

    std::string m_hostName;
    uint16_t m_port = 0;
    bool m_unresolved = true;
};

}  // namespace ostrum::net
