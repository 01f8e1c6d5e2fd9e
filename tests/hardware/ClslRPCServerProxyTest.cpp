// The linkage server client: the registration and tour blocks, the last status, the binding.
#include "hardware/ClslRPCServerProxy.h"

#include "platform/rpc/RpcEndpointTable.h"
#include "simulation/SimulatedLinkageServer.h"
#include "tests/hardware/HardwareTestSupport.h"

using namespace hardwaretest;

namespace {

// UTF-16 bytes of an ASCII text with its terminator.
std::vector<BYTE> Utf16(const char* text)
{
    std::vector<BYTE> bytes;
    for (const char* c = text; *c != '\0'; ++c)
    {
        bytes.push_back(static_cast<BYTE>(*c));
        bytes.push_back(0);
    }
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

TEST_F(SimulatedServersTest, RegistrationsSendTheirBlockAndKeepTheOutcome)
{
    struct Case
    {
        const char* name;
        LONG procedure;
        void (ClslRPCServerProxy::*call)(const CString&, const CString&, BYTE);
    };
    const Case cases[] = {
        {"hardware", 7, &ClslRPCServerProxy::RegisterHardwareEventProvider},
        {"software", 8, &ClslRPCServerProxy::RegisterSoftwareEventProvider},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        m_servers.Linkage().ClearCalls();
        ClslRPCServerProxy proxy;
        EXPECT_EQ(proxy.GetLastStatus(), 0);
        // No host: nothing is sent and the outcome says the server is unreachable.
        (proxy.*c.call)(L"Prov", L"PC1", 1);
        EXPECT_EQ(proxy.GetLastStatus(), RPC_S_SERVER_UNAVAILABLE);
        proxy.SetHostName(L"panelhost");
        EXPECT_EQ(proxy.GetHostName(), L"PANELHOST");
        (proxy.*c.call)(L"Prov", L"PC1", 1);
        EXPECT_EQ(proxy.GetLastStatus(), 0);
        m_servers.Linkage().SetAnswer(c.procedure, support::SimulatedAnswer::Status(42));
        (proxy.*c.call)(L"Prov", L"PC1", 0);
        EXPECT_EQ(proxy.GetLastStatus(), 42);
        m_servers.Linkage().SetAnswer(c.procedure, support::SimulatedAnswer::Failing());
        (proxy.*c.call)(L"Prov", L"PC1", 0);
        EXPECT_EQ(proxy.GetLastStatus(), RPC_S_CALL_FAILED);

        const auto calls = m_servers.Linkage().Calls();
        ASSERT_EQ(calls.size(), 3u);
        std::vector<BYTE> expected = With(Words({1, 10, 8}), 1, {0, 0, 0});
        const std::vector<BYTE> provider = Utf16("Prov");
        const std::vector<BYTE> computer = Utf16("PC1");
        expected.insert(expected.end(), provider.begin(), provider.end());
        expected.insert(expected.end(), computer.begin(), computer.end());
        EXPECT_EQ(calls[0].procedure, c.procedure);
        EXPECT_EQ(calls[0].block, expected);
        EXPECT_EQ(calls[1].block[0], 0);
    }
}

TEST_F(SimulatedServersTest, LaunchTourSendsItsWordsAndReadsTheResult)
{
    ClslRPCServerProxy proxy(L"PanelHost");
    m_servers.Linkage().SetAnswer(1, support::SimulatedAnswer::Patched({{24, {3}}}));
    LONG result = 7;
    ASSERT_TRUE(proxy.LaunchTour(11, 0, 0x0000000500000004LL, 0, 9, &result));
    EXPECT_EQ(result, 3);
    const auto calls = m_servers.Linkage().CallsOf(1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].block, Words({11, 0, 4, 5, 0, 9, 0}));

    m_servers.Linkage().SetAnswer(1, support::SimulatedAnswer::Failing());
    result = 7;
    EXPECT_FALSE(proxy.LaunchTour(11, 0, 1, 0, 9, &result));
    EXPECT_EQ(result, 7);
    ClslRPCServerProxy nowhere(L"NOWHERE");
    EXPECT_FALSE(nowhere.LaunchTour(11, 0, 1, 0, 9, &result));

    // A proxy aimed at no host binds to nothing: not even to a linkage server of this computer,
    // which a binding of the empty host would name.
    const auto local = std::make_shared<support::SimulatedLinkageServer>();
    ASSERT_EQ(RpcEndpointTable::Instance().RegisterService(L"", kLinkageServerEndpoints, local), RPC_S_OK);
    local->SetAnswer(1, support::SimulatedAnswer::Patched({{24, {6}}}));
    ClslRPCServerProxy noHost(L"");
    result = 7;
    EXPECT_FALSE(noHost.LaunchTour(11, 0, 1, 0, 9, &result));
    EXPECT_EQ(result, 7);
    EXPECT_TRUE(local->Calls().empty());
    ClslRPCServerProxy thisComputer(L"localhost");
    EXPECT_TRUE(thisComputer.LaunchTour(11, 0, 1, 0, 9, &result));
    EXPECT_EQ(result, 6) << "the server of this computer answers a proxy aimed at it by name";
    RpcEndpointTable::Instance().Unregister(local.get());
}

}  // namespace
