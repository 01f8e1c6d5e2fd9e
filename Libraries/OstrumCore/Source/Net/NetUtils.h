// The networking helpers of the library: URL-like texts split into scheme, host, port and
// path; host names and dotted quads resolved to IPv4 addresses; the local host's name and
// addresses; the network adapters; international host names turned into their ASCII form;
// the Internet checksum.
//
// Names are resolved with getaddrinfo/getnameinfo (reentrant; nothing is shared). Failures
// are logged at ERROR on the logger "NetUtils". Static functions, safe from any thread.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ostrum::net {

struct AdapterInfo;

class NetUtils
{
public:
    NetUtils() = delete;

    // "scheme:" + "//host/path": the scheme ends at the first colon, the host starts three
    // characters past it; without a colon all of the text is the host.
    static void splitUrl(const std::string& text, std::string& scheme, std::string& host, std::string& path);
    // "[scheme://]host[:port][/path]". The port is written only when the host holds a colon;
    // false (port unchanged) when the text after that colon is not a number of
    // decimal digits.
    static bool splitUrlWithPort(const std::string& text, std::string& scheme, std::string& host, int32_t& port,
                                 std::string& path);

    // A dotted quad (each number 0..255; trailing text ignored) is taken as it stands;
    // anything else is looked up as a host name (first IPv4 address). On failure the reason
    // is logged and, with raise, thrown as std::runtime_error; else the answer is false.
    // Of a dotted quad with a number out of range, the numbers in range are written to out.
    static bool resolveHost(const std::string& name, uint8_t out[4], bool raise);

    // The local host: its first IPv4 address (to bytes when capacity >= 4, and as text), its
    // name and its full name (reverse lookup). False when the name or address cannot be had,
    // or when the reverse lookup fails (the outputs written before it stay written).
    static bool getLocalHostInfo(uint8_t* bytes, int capacity, std::string* addressText, std::string* hostName,
                                 std::string* fullName);
    // Writes up to capacity IPv4 addresses of the local host; returns how many it has.
    static int getLocalAddresses(std::array<uint8_t, 4>* out, int capacity);
    // The first local address whose first three bytes equal the given address's, in memory
    // order in *out; false when there is none (or no out).
    static bool findLocalAddressInSubnet(const uint8_t address[4], uint32_t* out);
    // The same over a given list of candidates.
    static bool findAddressInSubnet(const uint8_t address[4], const std::array<uint8_t, 4>* candidates, int count,
                                    uint32_t* out);
    // Appends one record per network interface (never clears the list); false when the
    // system cannot list them.
    static bool getNetworkAdapters(std::vector<AdapterInfo>& list);

    // True when the text holds a character other than ASCII letters, digits, "." and "-".
    static bool needsIdnEncoding(const std::string& text);
    // Each label that needs it becomes "xn--" + its Punycode form; labels are joined with ".".
    static std::string toAsciiHostName(const std::string& hostName);
    // The Punycode form of UTF-8 (or UTF-16) text; surrogate pairs count as one code point.
    // Empty when the text cannot be encoded.
    static std::string punycodeEncode(const std::string& utf8);
    static std::string punycodeEncode(const std::u16string& utf16);

    // The 16-bit Internet checksum (RFC 1071) of count bytes, in the low half of the result.
    static uint32_t checksum(const uint8_t* data, int count);
};

}  // namespace ostrum::net
