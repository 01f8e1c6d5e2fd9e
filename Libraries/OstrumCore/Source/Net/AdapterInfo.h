// One network adapter as the adapter listing reports it: its name, description, hardware
// address, its IPv4 addresses with their masks, and its gateways. A plain value.
#pragma once

#include "Libraries/OstrumCore/Source/Net/InetAddress.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ostrum::net {

struct AddressAndMask
{
    InetAddress address;
    InetAddress mask;
};

struct AdapterInfo
{
    std::string name;
    std::string description;
    // The first six bytes of the physical address (zero when the adapter has none).
    std::array<uint8_t, 6> hardwareAddress{};
    std::vector<AddressAndMask> addresses;
    std::vector<InetAddress> gateways;
};

}  // namespace ostrum::net
