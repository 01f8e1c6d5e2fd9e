// Network addresses, URL splitting, loopback resolution, the adapter list, Punycode and the
// Internet checksum. Only loopback names are resolved: no test needs a network.
#include "Libraries/OstrumCore/Source/Net/AdapterInfo.h"
#include "Libraries/OstrumCore/Source/Net/InetAddress.h"
#include "Libraries/OstrumCore/Source/Net/InetSocketAddress.h"
#include "Libraries/OstrumCore/Source/Net/NetUtils.h"
#include "Libraries/OstrumCore/Source/Net/Punycode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

using ostrum::net::InetAddress;
using ostrum::net::InetSocketAddress;
using ostrum::net::NetUtils;
using ostrum::net::Punycode;

namespace {

InetAddress V4(uint8_t a, uint8_t b, uint8_t c, uint8_t d)
{
    InetAddress address;
    address.setAddress(a, b, c, d);
    return address;
}

InetAddress V6(uint8_t first)
{
    uint8_t bytes[16] = {};
    bytes[0] = first;
    bytes[15] = 0x77;
    InetAddress address;
    address.setIPv6Address(bytes);
    return address;
}

TEST(InetAddress, OrderTextAndFamilies)
{
    EXPECT_LT(V4(10, 0, 0, 1), V4(10, 0, 0, 2));
    EXPECT_LT(V4(255, 255, 255, 255), V6(0));
    EXPECT_FALSE(V6(0) < V4(0, 0, 0, 1));
    EXPECT_LT(V6(1), V6(2));
    EXPECT_EQ(V6(0xFE).toString(), "254.0.0.0");
    EXPECT_TRUE(InetAddress().isClear());
    EXPECT_FALSE(V6(0).isClear());

    InetAddress address = V6(9);
    address.setAddress(1, 2, 3, 4);
    EXPECT_TRUE(address.isIPv4());
    EXPECT_EQ(address.getBytes()[15], 0);
    EXPECT_EQ(address, V4(1, 2, 3, 4));
    EXPECT_EQ(address.clear(), 0);
    EXPECT_TRUE(address.isClear());
}

TEST(InetAddress, TextsResolveWithoutRaising)
{
    InetAddress address = V4(9, 9, 9, 9);
    EXPECT_TRUE(address.setAddress(std::string()));
    EXPECT_TRUE(address.isClear());
    EXPECT_TRUE(address.setAddress(std::string("192.168.5.77")));
    EXPECT_EQ(address.toString(), "192.168.5.77");
    EXPECT_TRUE(address.setAddress(std::string("localhost")));
    EXPECT_EQ(address.toString(), "127.0.0.1");
}

TEST(InetSocketAddress, PrintsByResolution)
{
    InetSocketAddress socket;
    EXPECT_EQ(socket.toString(), "[clear]");
    ASSERT_TRUE(socket.set("localhost", 80, true));
    EXPECT_EQ(socket.toString(), "localhost:80 [127.0.0.1]");
    ASSERT_TRUE(socket.set("127.0.0.1", 81, true));
    EXPECT_EQ(socket.toString(), "127.0.0.1:81");
    EXPECT_TRUE(socket.set("unresolved.example", 82, false));
    EXPECT_EQ(socket.toString(), "127.0.0.1:82");
    EXPECT_EQ(socket.clear(), 0);
    EXPECT_EQ(socket.getHostName(), "");
    EXPECT_EQ(InetSocketAddress("proxy", 8080, true).toString(), "[clear]");
    EXPECT_TRUE(InetSocketAddress::create("h", 1)->isUnresolved());
}

TEST(InetSocketAddress, ParsesPortsAndRefusesBadOnes)
{
    InetSocketAddress socket;
    EXPECT_TRUE(socket.parse("http://host:8080/path", false));
    EXPECT_EQ(socket.getHostName(), "host");
    EXPECT_EQ(socket.getPort(), 8080);
    EXPECT_TRUE(socket.parse("plainhost", false));
    EXPECT_EQ(socket.getPort(), 65535);
    EXPECT_FALSE(socket.parse("host:70000", false));
    EXPECT_FALSE(socket.parse("host:-1", false));
    EXPECT_FALSE(socket.parse("host:80x", false));
    EXPECT_EQ(socket.getHostName(), "plainhost");
    EXPECT_TRUE(InetSocketAddress("localhost:25", true).toString() == "localhost:25 [127.0.0.1]");
}

TEST(InetSocketAddress, EqualityAndOrderAgree)
{
    InetSocketAddress a("alpha", 80, false);
    InetSocketAddress b("beta", 80, false);
    EXPECT_NE(a, b);
    EXPECT_TRUE(a < b || b < a);
    InetSocketAddress c("alpha", 80, false);
    EXPECT_EQ(a, c);
    EXPECT_FALSE(a < c);
    EXPECT_FALSE(c < a);
    InetSocketAddress low("zeta", 79, false);
    EXPECT_LT(low, a);
    a.setAddress(std::string("10.0.0.1"));
    EXPECT_LT(low, a);
}

struct UrlCase
{
    const char* text;
    const char* scheme;
    const char* host;
    int32_t port;
    const char* path;
};

class SplitUrlTable : public testing::TestWithParam<UrlCase>
{
};

TEST_P(SplitUrlTable, SchemeHostPortPath)
{
    const UrlCase& c = GetParam();
    std::string scheme = "?";
    std::string host;
    std::string path;
    int32_t port = -7;
    EXPECT_TRUE(NetUtils::splitUrlWithPort(c.text, scheme, host, port, path));
    EXPECT_EQ(scheme, c.scheme);
    EXPECT_EQ(host, c.host);
    EXPECT_EQ(port, c.port);
    EXPECT_EQ(path, c.path);
}

INSTANTIATE_TEST_SUITE_P(NetUtils, SplitUrlTable,
                         testing::Values(UrlCase{"http://example.org:8080/a/b", "http", "example.org", 8080, "/a/b"},
                                         UrlCase{"example.org:8080", "", "example.org", 8080, ""},
                                         UrlCase{"ftp://example.org", "ftp", "example.org", -7, ""},
                                         UrlCase{"host/x", "", "host", -7, "/x"}, UrlCase{"", "", "", -7, ""}));

TEST(NetUtils, SplitUrlTakesTheSchemeAtTheFirstColon)
{
    std::string scheme;
    std::string host;
    std::string path;
    NetUtils::splitUrl("https://example.org/index", scheme, host, path);
    EXPECT_EQ(scheme, "https");
    EXPECT_EQ(host, "example.org");
    EXPECT_EQ(path, "/index");
    NetUtils::splitUrl("x:", scheme, host, path);
    EXPECT_EQ(scheme, "x");
    EXPECT_EQ(host, "");
}

TEST(NetUtils, DottedQuadsNeedNoLookup)
{
    uint8_t out[4] = {};
    EXPECT_TRUE(NetUtils::resolveHost("10.1.2.3", out, true));
    EXPECT_EQ(out[0], 10);
    EXPECT_EQ(out[3], 3);
    EXPECT_TRUE(NetUtils::resolveHost("localhost", out, true));
    EXPECT_EQ(out[0], 127);
    EXPECT_EQ(out[3], 1);
}

TEST(NetUtils, UnresolvableNamesFailOrRaise)
{
    uint8_t out[4] = {};
    EXPECT_FALSE(NetUtils::resolveHost("", out, false));
    try
    {
        NetUtils::resolveHost("", out, true);
        ADD_FAILURE() << "no exception";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_STREQ(error.what(), "could not resolve host: ");
    }
}

TEST(NetUtils, SubnetSearchComparesTheFirstThreeBytes)
{
    const std::array<uint8_t, 4> local[] = {{10, 0, 0, 1}, {192, 168, 6, 9}, {192, 168, 5, 3}};
    const uint8_t wanted[4] = {192, 168, 5, 77};
    uint32_t found = 0;
    ASSERT_TRUE(NetUtils::findAddressInSubnet(wanted, local, 3, &found));
    uint8_t bytes[4];
    std::memcpy(bytes, &found, 4);
    EXPECT_EQ(bytes[2], 5);
    EXPECT_EQ(bytes[3], 3);
    const uint8_t other[4] = {172, 16, 0, 1};
    EXPECT_FALSE(NetUtils::findAddressInSubnet(other, local, 3, &found));
    EXPECT_FALSE(NetUtils::findAddressInSubnet(wanted, local, 3, nullptr));
}

bool HostNameIsInHostsFile()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
    {
        return false;
    }
    std::ifstream hosts("/etc/hosts");
    std::string line;
    while (std::getline(hosts, line))
    {
        if (line.find(name) != std::string::npos && line.rfind("127.", 0) == 0)
        {
            return true;
        }
    }
    return false;
}

TEST(NetUtils, LocalHostFromTheHostsFile)
{
    if (!HostNameIsInHostsFile())
    {
        GTEST_SKIP() << "the host name is not a loopback entry of /etc/hosts";
    }
    uint8_t bytes[4] = {};
    std::string text;
    std::string name;
    std::string full;
    NetUtils::getLocalHostInfo(bytes, 4, &text, &name, &full);
    EXPECT_EQ(bytes[0], 127);
    EXPECT_EQ(text.rfind("127.", 0), 0u);
    EXPECT_FALSE(name.empty());
    std::array<uint8_t, 4> addresses[2];
    EXPECT_GE(NetUtils::getLocalAddresses(addresses, 2), 1);
    EXPECT_EQ(addresses[0][0], 127);
    EXPECT_FALSE(InetAddress::localHost().isClear());
}

TEST(NetUtils, AdapterListHasTheLoopbackInterface)
{
    std::vector<ostrum::net::AdapterInfo> adapters(1);
    ASSERT_TRUE(NetUtils::getNetworkAdapters(adapters));
    ASSERT_GE(adapters.size(), 2u);
    EXPECT_EQ(adapters[0].name, "");
    bool loopback = false;
    for (const auto& adapter : adapters)
    {
        for (const auto& pair : adapter.addresses)
        {
            loopback = loopback || (pair.address == V4(127, 0, 0, 1) && pair.mask == V4(255, 0, 0, 0));
        }
    }
    EXPECT_TRUE(loopback);
}

struct PunycodeCase
{
    const char* name;
    std::u32string text;
    const char* encoded;
};

class PunycodeSamples : public testing::TestWithParam<PunycodeCase>
{
};

TEST_P(PunycodeSamples, EncodeAndDecodeRoundTrip)
{
    const PunycodeCase& c = GetParam();
    std::vector<uint32_t> codePoints(c.text.begin(), c.text.end());
    uint32_t length = Punycode::encodedBound(static_cast<uint32_t>(codePoints.size()));
    std::string output(length, '\0');
    ASSERT_EQ(
        Punycode::encode(static_cast<uint32_t>(codePoints.size()), codePoints.data(), nullptr, &length, output.data()),
        Punycode::Success);
    output.resize(length);
    EXPECT_EQ(output, c.encoded);

    std::vector<uint32_t> decoded(64);
    uint32_t decodedLength = static_cast<uint32_t>(decoded.size());
    ASSERT_EQ(
        Punycode::decode(static_cast<uint32_t>(output.size()), output.data(), &decodedLength, decoded.data(), nullptr),
        Punycode::Success);
    decoded.resize(decodedLength);
    EXPECT_EQ(decoded, codePoints);
}

INSTANTIATE_TEST_SUITE_P(
    Rfc3492, PunycodeSamples,
    testing::Values(PunycodeCase{"Chinese", U"\u4ED6\u4EEC\u4E3A\u4EC0\u4E48\u4E0D\u8BF4\u4E2D\u6587",
                                 "ihqwcrb4cv8a8dqg056pqjye"},
                    PunycodeCase{"Japanese", U"\u305D\u306E\u30B9\u30D4\u30FC\u30C9\u3067", "d9juau41awczczp"},
                    PunycodeCase{"MixedBasic", U"3\u5E74B\u7D44\u91D1\u516B\u5148\u751F", "3B-ww4c5e180e575a65lsy2b"},
                    PunycodeCase{"OnlyBasic", U"-> $1.00 <-", "-> $1.00 <--"},
                    PunycodeCase{"German", U"b\u00FCcher", "bcher-kva"}),
    [](const testing::TestParamInfo<PunycodeCase>& info) { return std::string(info.param.name); });

TEST(Punycode, ReportsShortRoomAndBadInput)
{
    const uint32_t text[] = {0x4ED6, 0x4EEC, 0x4E3A};
    char output[4];
    uint32_t length = sizeof output;
    EXPECT_EQ(Punycode::encode(3, text, nullptr, &length, output), Punycode::BigOutput);
    uint32_t decoded[8];
    uint32_t decodedLength = 8;
    EXPECT_EQ(Punycode::decode(3, "a-!", &decodedLength, decoded, nullptr), Punycode::BadInput);
    decodedLength = 8;
    EXPECT_EQ(Punycode::decode(2, "zz", &decodedLength, decoded, nullptr), Punycode::BadInput);
}

TEST(NetUtils, AsciiHostNames)
{
    EXPECT_EQ(NetUtils::toAsciiHostName("www.example-1.org"), "www.example-1.org");
    EXPECT_EQ(NetUtils::toAsciiHostName("www.b\xC3\xBC"
                                        "cher.de"),
              "www.xn--bcher-kva.de");
    EXPECT_EQ(NetUtils::toAsciiHostName("my_host.org"), "xn--my_host-.org");
    EXPECT_EQ(NetUtils::toAsciiHostName("a..b"), "a.b");
    EXPECT_TRUE(NetUtils::needsIdnEncoding("a b"));
    EXPECT_FALSE(NetUtils::needsIdnEncoding("A-z.9"));
}

TEST(NetUtils, PunycodeCombinesSurrogatePairsAndFitsLongLabels)
{
    // U+1F600 as one code point: the form a pair of surrogates would give differs.
    EXPECT_EQ(NetUtils::punycodeEncode(std::u16string(u"\U0001F600")), "e28h");
    const std::string longLabel = "\xE4\xBD\xA0\xE5\xA5\xBD";
    EXPECT_EQ(NetUtils::punycodeEncode(longLabel), "6qq79v");
}

TEST(NetUtils, InternetChecksum)
{
    const uint8_t odd[] = {0x01, 0x02, 0x03};
    EXPECT_EQ(NetUtils::checksum(odd, 3), static_cast<uint32_t>(~(0x0201 + 0x0003) & 0xFFFF));
    const uint8_t carry[] = {0xFF, 0xFF, 0x01, 0x00};
    EXPECT_EQ(NetUtils::checksum(carry, 4), 0xFFFEu);
    EXPECT_EQ(NetUtils::checksum(nullptr, 0), 0xFFFFu);
}

}  // namespace
