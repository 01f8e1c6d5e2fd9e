// String bindings, the endpoint table and the ACS.INI binding order.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/registry/ProfileFile.h"
#include "platform/rpc/RpcBindingOrder.h"
#include "platform/rpc/RpcEndpointTable.h"
#include "platform/rpc/RpcStringBinding.h"
#include "platform/win32/UnicodeConversion.h"
#include "tests/support/TemporaryHome.h"

namespace {

std::string Utf8(const std::wstring& text)
{
    return UnicodeConversion::EncodeUtf8(text);
}

struct ParseCase
{
    const wchar_t* text;
    RPC_STATUS status;
    const wchar_t* protocol = L"";
    const wchar_t* address = L"";
    const wchar_t* endpoint = L"";
};

TEST(RpcStringBinding, ParsesGoodBindingsAndRefusesMalformedOnes)
{
    const ParseCase cases[] = {
        {L"ncalrpc:HOST[BntAapDriver]", RPC_S_OK, L"ncalrpc", L"HOST", L"BntAapDriver"},
        {L"ncacn_np:SERVER[\\pipe\\x]", RPC_S_OK, L"ncacn_np", L"SERVER", L"\\pipe\\x"},
        {L"ncacn_ip_tcp:10.0.0.1[5151]", RPC_S_OK, L"ncacn_ip_tcp", L"10.0.0.1", L"5151"},
        {L"ncacn_ip_tcp:HOST", RPC_S_OK, L"ncacn_ip_tcp", L"HOST", L""},
        {L"ncalrpc:[ep]", RPC_S_OK, L"ncalrpc", L"", L"ep"},
        {L"ncadg_ip_udp:HOST[1]", RPC_S_PROTSEQ_NOT_SUPPORTED},
        {L"NCALRPC:HOST[ep]", RPC_S_PROTSEQ_NOT_SUPPORTED},
        {L"HOST[ep]", RPC_S_INVALID_STRING_BINDING},
        {L":HOST[ep]", RPC_S_INVALID_STRING_BINDING},
        {L"ncalrpc:HOST[ep", RPC_S_INVALID_STRING_BINDING},
        {L"ncalrpc:HOST[ep]x", RPC_S_INVALID_STRING_BINDING},
        {L"ncalrpc:HOST[ep,Security=x]", RPC_S_INVALID_STRING_BINDING},
        {L"uuid@ncalrpc:HOST[ep]", RPC_S_INVALID_STRING_BINDING},
        {L"ncalrpc:HO:ST[ep]", RPC_S_INVALID_STRING_BINDING},
        {L"ncalrpc:HOST[e]p]", RPC_S_INVALID_STRING_BINDING},
        {L"ncalrpc:HO\nST", RPC_S_INVALID_STRING_BINDING},
    };
    for (const ParseCase& c : cases)
    {
        SCOPED_TRACE(Utf8(c.text));
        RpcStringBinding binding(L"untouched", L"", L"");
        EXPECT_EQ(RpcStringBinding::Parse(c.text, &binding), c.status);
        if (c.status != RPC_S_OK)
        {
            EXPECT_EQ(binding.ProtocolSequence(), L"untouched");
            continue;
        }
        EXPECT_EQ(binding, RpcStringBinding(c.protocol, c.address, c.endpoint));
        std::wstring composed;
        ASSERT_EQ(binding.Compose(&composed), RPC_S_OK);
        EXPECT_EQ(composed, c.text);
    }
}

TEST(RpcStringBinding, RefusesToComposeTextThatWouldChangeMeaning)
{
    std::wstring text = L"kept";
    RpcStringBinding binding;
    EXPECT_EQ(RpcStringBinding(L"ncalrpc", L"HOST[x]", L"ep").Compose(&text), RPC_S_INVALID_STRING_BINDING);
    EXPECT_EQ(RpcStringBinding(L"ncalrpc", L"HOST", L"a,b").Compose(&text), RPC_S_INVALID_STRING_BINDING);
    EXPECT_EQ(RpcStringBinding(L"ncacn_http", L"HOST", L"ep").Compose(&text), RPC_S_PROTSEQ_NOT_SUPPORTED);
    EXPECT_EQ(RpcStringBinding(L"ncalrpc", std::wstring(600, L'a'), L"ep").Compose(&text),
              RPC_S_INVALID_STRING_BINDING);
    EXPECT_EQ(RpcStringBinding::Parse(std::wstring(600, L'a'), &binding), RPC_S_INVALID_STRING_BINDING);
    EXPECT_EQ(text, L"kept");
}

class Server : public RpcServer
{
};

constexpr RpcServiceEndpoints kService{L"LocalEp", L"\\pipe\\Ep", L"TestRpcPort", 7000};

class RpcEndpointTableTest : public ::testing::Test
{
protected:
    support::TemporaryHome m_home;
    RpcEndpointTable m_table;

    void WriteService(const char* text) { m_home.WriteFile("ACS.INI", std::string("[Service]\n") + text); }
};

TEST_F(RpcEndpointTableTest, ResolvesRegisteredBindingsWithHostsComparedWithoutCase)
{
    auto server = std::make_shared<Server>();
    const RpcStringBinding binding(L"ncacn_ip_tcp", L"Panel-Host", L"7000");
    ASSERT_EQ(m_table.Register(binding, server), RPC_S_OK);
    EXPECT_EQ(m_table.Resolve(RpcStringBinding(L"ncacn_ip_tcp", L"PANEL-HOST", L"7000")), server);
    EXPECT_EQ(m_table.Resolve(RpcStringBinding(L"ncacn_ip_tcp", L"PANEL-HOST", L"7001")), nullptr);
    EXPECT_EQ(m_table.Resolve(RpcStringBinding(L"ncacn_np", L"PANEL-HOST", L"7000")), nullptr);
    // A taken binding stays with its first server.
    EXPECT_EQ(m_table.Register(binding, std::make_shared<Server>()), RPC_S_INVALID_STRING_BINDING);
    EXPECT_EQ(m_table.Register(RpcStringBinding(L"ncacn_http", L"H", L"1"), server), RPC_S_PROTSEQ_NOT_SUPPORTED);
    EXPECT_EQ(m_table.Register(RpcStringBinding(L"ncalrpc", L"H", L"1"), nullptr), RPC_S_INVALID_STRING_BINDING);
    EXPECT_TRUE(m_table.Unregister(binding));
    EXPECT_FALSE(m_table.Unregister(binding));
    EXPECT_EQ(m_table.Resolve(binding), nullptr);
}

TEST_F(RpcEndpointTableTest, UnregisteredServerIsUnreachableAndAHeldOneStaysAlive)
{
    RpcEndpointTable::Resolved resolved;
    EXPECT_EQ(m_table.Bind(L"FARHOST", kService, &resolved), RPC_S_SERVER_UNAVAILABLE);
    auto server = std::make_shared<Server>();
    ASSERT_EQ(m_table.RegisterService(L"FARHOST", kService, server), RPC_S_OK);
    ASSERT_EQ(m_table.Bind(L"farhost", kService, &resolved), RPC_S_OK);
    EXPECT_EQ(resolved.server, server);
    EXPECT_EQ(m_table.Unregister(server.get()), 1u);
    EXPECT_EQ(m_table.Bind(L"FARHOST", kService, &resolved), RPC_S_SERVER_UNAVAILABLE);
    // The client that bound before keeps its server.
    EXPECT_EQ(resolved.server, server);
    EXPECT_EQ(m_table.BindInterface<Server>(L"FARHOST", kService), nullptr);
}

struct OrderCase
{
    const char* service;
    const wchar_t* host;
    std::vector<std::wstring> bindings;
};

TEST_F(RpcEndpointTableTest, BindingOrderFollowsTheServiceSection)
{
    const std::wstring local = RpcBindingOrder::LocalComputerName();
    const OrderCase cases[] = {
        {"", L"farhost", {L"ncacn_ip_tcp:FARHOST[7000]"}},
        {"UsePipes=1\n", L"farhost", {L"ncacn_np:FARHOST[\\pipe\\Ep]", L"ncacn_ip_tcp:FARHOST[7000]"}},
        {"UsePipes=2\nTestRpcPort=7100\n", L"farhost", {L"ncacn_ip_tcp:FARHOST[7100]"}},
        {"TestRpcPort=0\n", L"farhost", {L"ncacn_ip_tcp:FARHOST[7000]"}},
        {"TestRpcPort=70000\n", L"farhost", {L"ncacn_ip_tcp:FARHOST[7000]"}},
        {"TestRpcPort=x\n", L"farhost", {L"ncacn_ip_tcp:FARHOST[7000]"}},
        {"", L"localhost", {L"ncalrpc:" + local + L"[LocalEp]", L"ncacn_ip_tcp:" + local + L"[7000]"}},
        {"UsePipes=1\n",
         L"",
         {L"ncalrpc:" + local + L"[LocalEp]", L"ncacn_np:" + local + L"[\\pipe\\Ep]",
          L"ncacn_ip_tcp:" + local + L"[7000]"}},
    };
    for (const OrderCase& c : cases)
    {
        SCOPED_TRACE(std::string(c.service) + "|" + Utf8(c.host));
        WriteService(c.service);
        std::vector<std::wstring> texts;
        for (const RpcStringBinding& binding : RpcBindingOrder::ForHost(c.host, kService))
        {
            std::wstring text;
            EXPECT_EQ(binding.Compose(&text), RPC_S_OK);
            texts.push_back(text);
        }
        EXPECT_EQ(texts, c.bindings);
    }
}

TEST_F(RpcEndpointTableTest, AServerWithoutAPortKeyIsNeverReachedOverTcp)
{
    constexpr RpcServiceEndpoints localOnly{L"Cfg", L"\\pipe\\Cfg", nullptr, 0};
    WriteService("");
    EXPECT_TRUE(RpcBindingOrder::ForHost(L"farhost", localOnly).empty());
    const auto local = RpcBindingOrder::ForHost(L"", localOnly);
    ASSERT_EQ(local.size(), 1u);
    EXPECT_EQ(local[0].ProtocolSequence(), L"ncalrpc");
    WriteService("UsePipes=1\n");
    EXPECT_EQ(RpcBindingOrder::ForHost(L"farhost", localOnly).size(), 1u);
    RpcEndpointTable::Resolved resolved;
    EXPECT_EQ(m_table.Bind(L"farhost", localOnly, &resolved), RPC_S_SERVER_UNAVAILABLE);
}

TEST_F(RpcEndpointTableTest, ABindingAnswersAtTheFirstTransportThatHasAServer)
{
    WriteService("UsePipes=1\n");
    auto pipeServer = std::make_shared<Server>();
    auto tcpServer = std::make_shared<Server>();
    ASSERT_EQ(m_table.Register(RpcStringBinding(L"ncacn_ip_tcp", L"FARHOST", L"7000"), tcpServer), RPC_S_OK);
    RpcEndpointTable::Resolved resolved;
    ASSERT_EQ(m_table.Bind(L"FarHost", kService, &resolved), RPC_S_OK);
    EXPECT_EQ(resolved.server, tcpServer);
    ASSERT_EQ(m_table.Register(RpcStringBinding(L"ncacn_np", L"FARHOST", L"\\pipe\\Ep"), pipeServer), RPC_S_OK);
    ASSERT_EQ(m_table.Bind(L"FarHost", kService, &resolved), RPC_S_OK);
    EXPECT_EQ(resolved.server, pipeServer);
    EXPECT_EQ(resolved.binding.ProtocolSequence(), L"ncacn_np");
    // Without pipes in the order the pipe server is not tried.
    WriteService("UsePipes=0\n");
    ASSERT_EQ(m_table.Bind(L"FarHost", kService, &resolved), RPC_S_OK);
    EXPECT_EQ(resolved.server, tcpServer);
}

}  // namespace
