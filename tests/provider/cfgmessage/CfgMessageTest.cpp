// Configuration messages: the packed message block, the three server RPC threads of the
// application with their order, codes and failed-command stores, the one reconnect of the
// communication server, and the logging when no database can be had.
#include "hardware/CfgMessage.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "hardware/RpcBlock.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "platform/registry/ProfileFile.h"
#include "provider/CWmipApp.h"
#include "provider/LRpcComClass.h"
#include "provider/WmipArchiveServerRpcClass.h"
#include "provider/WmipCommServerRpcClass.h"
#include "simulation/SimulatedInstallation.h"
#include "tests/provider/core/ProviderTestInstallation.h"
#include "tests/provider/core/TestApp.h"
#include "tests/support/AwaitLimit.h"

namespace {

using support::SimulatedCfgServer;

TEST(CfgMessage, ConstructorLaysOutThePackedBlock)
{
    const CfgMessage message(-11, 0x01020304, 77);
    std::array<BYTE, CfgMessage::kBlockSize> expected{};
    RpcBlock::PutLong(expected, 4, -11);
    RpcBlock::PutLong(expected, 8, 0x01020304);
    RpcBlock::PutLong(expected, 92, 77);
    RpcBlock::PutLong(expected, 104, -1);
    EXPECT_EQ(message.Block(), expected);
    EXPECT_EQ(message.GetCode(), -11);
    EXPECT_TRUE(message.GetText().IsEmpty());
}

TEST(CfgMessage, FieldsStayInsideTheBlockAndClearDataZeroesOnlyTheData)
{
    CfgMessage message(13, 0, 0);
    EXPECT_TRUE(message.SetLongLong(148, 0x1122334455667788LL));
    EXPECT_EQ(message.GetLongLong(148), 0x1122334455667788LL);
    EXPECT_TRUE(message.SetLong(412, 5));
    EXPECT_FALSE(message.SetLong(413, 5));
    EXPECT_FALSE(message.SetByte(416, 1));
    EXPECT_FALSE(message.SetLongLong(static_cast<std::size_t>(-1), 1));
    EXPECT_EQ(message.GetLong(414), 0);
    EXPECT_TRUE(message.SetByte(143, 9));
    message.Data()[0] = 1;
    message.ClearData();
    EXPECT_EQ(message.GetLongLong(148), 0);
    EXPECT_EQ(message.GetLong(412), 0);
    EXPECT_EQ(message.Block()[143], 9);
    EXPECT_EQ(message.GetLong(104), -1);
    EXPECT_EQ(message.Data().size(), CfgMessage::kDataSize);
}

TEST(CfgMessage, TheServersReceiveTheBlockThenTheTextWithItsByteCount)
{
    CfgMessage message(8, 0, 0);
    ASSERT_TRUE(message.SetText(L"Ab"));
    EXPECT_FALSE(message.SetText(CString(std::wstring(CfgMessage::kMaxTextLength + 1, L'x'))));
    const std::vector<BYTE> block = message.ToBlock();
    ASSERT_EQ(block.size(), CfgMessage::kBlockSize + 4 + 6);
    EXPECT_TRUE(std::equal(message.Block().begin(), message.Block().end(), block.begin()));
    EXPECT_EQ(RpcBlock::Long(block, CfgMessage::kBlockSize), 6);
    EXPECT_EQ(std::vector<BYTE>(block.end() - 6, block.end()), (std::vector<BYTE>{'A', 0, 'b', 0, 0, 0}));
}

// What a configuration server received: the code and the message bytes.
struct Received
{
    LONG code;
    std::vector<BYTE> message;
};

std::vector<Received> ReceivedBy(const SimulatedCfgServer& server)
{
    std::vector<Received> received;
    for (const auto& call : server.Calls())
        received.push_back(
            {RpcBlock::Long(call.block, 0), std::vector<BYTE>(call.block.begin() + 4, call.block.end())});
    return received;
}

class ServerRpcThreads : public ::testing::Test
{
protected:
    ProviderTestInstallation m_installation;
    TestApp m_app;
};

TEST_F(ServerRpcThreads, SendCfgMessageReachesTheThreeServersWithTheMessagesOwnCode)
{
    support::SimulatedInstallation servers({});
    CfgMessage message(13, 0, 0);
    message.SetCode(211);
    CWmipApp::SendCfgMessage(message);
    for (SimulatedCfgServer* server : {&servers.CommServer(), &servers.LinkageCfgServer(), &servers.ArchiveServer()})
    {
        SCOPED_TRACE(std::string(server->ServerName().begin(), server->ServerName().end()));
        const auto received = ReceivedBy(*server);
        ASSERT_EQ(received.size(), 1u);
        EXPECT_EQ(received[0].code, 211);
        EXPECT_EQ(received[0].message, message.ToBlock());
    }
    // A badge notice goes to the communication server alone, under the code it is given.
    CfgMessage notice(0, 0, 0);
    CWmipApp::UpdateCommServer(-11, notice);
    EXPECT_EQ(ReceivedBy(servers.CommServer()).back().code, -11);
    EXPECT_EQ(ReceivedBy(servers.LinkageCfgServer()).size(), 1u);
    EXPECT_EQ(ReceivedBy(servers.ArchiveServer()).size(), 1u);
}

TEST_F(ServerRpcThreads, AServerThatCannotBeReachedDoesNotStopTheOthers)
{
    support::SimulatedInstallation servers({});
    servers.LinkageCfgServer().SetDefaultAnswer(support::SimulatedAnswer::Failing());
    CfgMessage message(290, 0, 0);
    CWmipApp::SendCfgMessage(message);
    EXPECT_EQ(ReceivedBy(servers.CommServer()).size(), 1u);
    EXPECT_EQ(ReceivedBy(servers.LinkageCfgServer()).size(), 1u);
    EXPECT_EQ(ReceivedBy(servers.ArchiveServer()).size(), 1u);
}

TEST_F(ServerRpcThreads, OnlyTheValueOneSendsTheCommunicationServersMessagesThroughItsStore)
{
    support::SimulatedInstallation servers({});
    ASSERT_TRUE(WritePrivateProfileStringW(L"RPCCom", L"APIDirectToFailedRPC", L"2", L"ACS.INI"));
    CfgMessage message(13, 0, 0);
    CWmipApp::UpdateCommServer(13, message);
    EXPECT_EQ(ReceivedBy(servers.CommServer()).size(), 1u);
}

TEST(ServerRpcThreadsDirect, ValueOneKeepsEveryMessageForTheThread)
{
    ProviderTestInstallation installation;
    ASSERT_TRUE(WritePrivateProfileStringW(L"RPCCom", L"APIDirectToFailedRPC", L"1", L"ACS.INI"));
    TestApp app;
    support::SimulatedInstallation servers({});
    CfgMessage message(13, 0, 0);
    CWmipApp::UpdateCommServer(13, message);
    EXPECT_TRUE(ReceivedBy(servers.CommServer()).empty());
}

TEST(ServerRpcThreadsWithoutDatabase, EverySendLogsBothLinesPerServerAndTriesAgainLater)
{
    ProviderTestInstallation installation(false);
    TestApp app;
    CfgMessage message(13, 0, 0);
    CWmipApp::SendCfgMessage(message);
    CWmipApp::SendCfgMessage(message);
    EXPECT_EQ(ProviderTestInstallation::CountLogLines(
                  "The system was unable to open a database connection to service this request."),
              6);
    for (const char* server : {"Communication Server.", "Linkage Server.", "Archive Server."})
        EXPECT_EQ(ProviderTestInstallation::CountLogLines(
                      std::string("Unable to retrieve RPC communication thread for ") + server),
                  2)
            << server;
}

// The communication server's class on connections of a pool of its own.
class CommServerReconnect : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(m_manager.AddDatabase(nullptr, 0), 0); }

    static int LostLines()
    {
        return ProviderTestInstallation::CountLogLines(
            "Lost connection to the database! Will attempt one reconnect...");
    }

    ProviderTestInstallation m_installation;
    DBConnectionManager m_manager;
    support::SimulatedInstallation m_servers{{}};
};

TEST_F(CommServerReconnect, ALostConnectionIsReplacedOnceAndTheMessageSentAgain)
{
    CAcsUser* healthy = m_manager.Connection(0);
    CAcsUser* lost = m_manager.Connection(0);
    ASSERT_NE(lost, nullptr);
    lost->GetDatabase()->TestHookDropConnection();
    m_manager.ReleaseConnection(healthy);
    {
        WmipCommServerRpcClass thread(lost, &m_manager);
        CfgMessage message(13, 0, 0);
        EXPECT_TRUE(thread.UpdateCommDriver(13, &message));
        EXPECT_EQ(thread.GetAcsUser(), healthy);
        EXPECT_EQ(LostLines(), 1);
        EXPECT_EQ(ReceivedBy(m_servers.CommServer()).size(), 1u);
        EXPECT_EQ(m_manager.GetLentCount(), 1);
    }
    // The connection the object held went back when it was destroyed.
    EXPECT_EQ(m_manager.GetLentCount(), 0);
}

TEST_F(CommServerReconnect, AConnectionStillLostAfterTheReconnectIsNotTriedAThirdTime)
{
    CAcsUser* lost = m_manager.Connection(0);
    ASSERT_NE(lost, nullptr);
    lost->GetDatabase()->TestHookDropConnection();
    WmipCommServerRpcClass thread(lost, &m_manager);
    CfgMessage message(13, 0, 0);
    EXPECT_FALSE(thread.UpdateCommDriver(13, &message));
    EXPECT_EQ(LostLines(), 1);
    EXPECT_EQ(thread.GetLostDatabaseConnection(), 1);
    EXPECT_TRUE(m_servers.CommServer().Calls().empty());
    EXPECT_FALSE(thread.UpdateCommDriver(13, nullptr));
}

TEST_F(CommServerReconnect, WithoutANewConnectionTheMessageIsNotSentAgain)
{
    CAcsUser* lost = m_manager.Connection(0);
    ASSERT_NE(lost, nullptr);
    lost->GetDatabase()->TestHookDropConnection();
    // A pool with no database attached has no connection to hand out.
    DBConnectionManager empty;
    {
        WmipCommServerRpcClass thread(lost, &empty);
        CfgMessage message(13, 0, 0);
        EXPECT_FALSE(thread.UpdateCommDriver(13, &message));
        EXPECT_EQ(thread.GetAcsUser(), nullptr);
        EXPECT_EQ(LostLines(), 1);
        EXPECT_TRUE(m_servers.CommServer().Calls().empty());
        // The next message finds no connection at all and is not sent either.
        EXPECT_FALSE(thread.UpdateCommDriver(13, &message));
        EXPECT_EQ(LostLines(), 2);
    }
    m_manager.ReleaseConnection(lost);
}

TEST_F(CommServerReconnect, UndeliveredMessagesWaitInTheStoreUntilTheThreadDeliversThem)
{
    m_servers.CommServer().SetDefaultAnswer(support::SimulatedAnswer::Status(1));
    WmipCommServerRpcClass thread(m_manager.Connection(0), &m_manager);
    thread.SetRetryInterval(5);
    CfgMessage first(13, 0, 0);
    CfgMessage second(211, 0, 0);
    EXPECT_FALSE(thread.UpdateCommDriver(13, &first));
    EXPECT_FALSE(thread.UpdateCommDriver(211, &second));
    EXPECT_EQ(thread.GetStoredCount(), 2u);
    m_servers.CommServer().ClearCalls();
    m_servers.CommServer().SetDefaultAnswer(support::SimulatedAnswer());
    ASSERT_TRUE(thread.Start());
    ASSERT_TRUE(m_servers.CommServer().WaitForCalls(2, support::kAwaitLimit));
    EXPECT_TRUE(thread.ShutdownThread(0, 0, false));
    EXPECT_EQ(thread.GetStoredCount(), 0u);
    const auto received = ReceivedBy(m_servers.CommServer());
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].code, 13);
    EXPECT_EQ(received[1].code, 211);
}

TEST_F(CommServerReconnect, AMessageKeptForTheThreadWillReachTheServerAndADroppedOneWillNot)
{
    CAcsUser* lost = m_manager.Connection(0);
    ASSERT_NE(lost, nullptr);
    lost->GetDatabase()->TestHookDropConnection();
    DBConnectionManager empty;
    WmipCommServerRpcClass dropping(lost, &empty);
    WmipCommServerRpcClass keeping(m_manager.Connection(0), &m_manager);
    CfgMessage message(13, 0, 0);
    m_servers.CommServer().SetDefaultAnswer(support::SimulatedAnswer::Status(1));
    // Refused now but kept: the write that sent it may stand.
    EXPECT_TRUE(keeping.UpdateCommDriverOrKeep(13, &message));
    EXPECT_EQ(keeping.GetStoredCount(), 1u);
    // No connection to send from: nothing is kept, so the write must not stand.
    EXPECT_FALSE(dropping.UpdateCommDriverOrKeep(13, &message));
    EXPECT_EQ(dropping.GetStoredCount(), 0u);
    EXPECT_FALSE(keeping.UpdateCommDriverOrKeep(13, nullptr));
    m_servers.CommServer().SetDefaultAnswer(support::SimulatedAnswer());
    EXPECT_TRUE(keeping.UpdateCommDriverOrKeep(13, &message));
    EXPECT_EQ(keeping.GetStoredCount(), 1u) << "accepted at once, not stored";
    m_manager.ReleaseConnection(lost);
}

TEST_F(CommServerReconnect, NoKeptMessageLeavesWithoutATraceAndTheStopMakesALastAttempt)
{
    // Direct-to-store: nothing is sent until the thread runs; a one-shot process never starts
    // a pass, so the stop must deliver what waits.
    WmipCommServerRpcClass direct(m_manager.Connection(0), &m_manager);
    direct.WriteAllCommandsDirectlyToFailedRpc();
    CfgMessage kept(13, 0, 0);
    ASSERT_TRUE(kept.SetLong(148, 0x0D0C0B0A));
    EXPECT_FALSE(direct.UpdateCommDriver(13, &kept));
    EXPECT_TRUE(m_servers.CommServer().Calls().empty());
    const std::string content = brontel::utility::ConvertCStringToUtf8(LCfgRpcSender::Describe(13, kept.ToBlock()));
    EXPECT_NE(content.find("0A0B0C0D"), std::string::npos) << content;
    EXPECT_EQ(ProviderTestInstallation::CountLogLines("for the Communication Server is kept in the failed-command "
                                                      "store for a retry: " +
                                                      content),
              1);
    EXPECT_TRUE(direct.ShutdownThread(0, 0, false));
    EXPECT_EQ(ReceivedBy(m_servers.CommServer()).size(), 1u);
    EXPECT_EQ(direct.GetStoredCount(), 0u);
    EXPECT_EQ(ProviderTestInstallation::CountLogLines("A kept configuration message was delivered to the "
                                                      "Communication Server: " +
                                                      content),
              1);

    // A server that still refuses at the stop: each message is left in the log as an error line
    // with its content, for an operator to redo.
    WmipArchiveServerRpcClass archive(m_manager.Connection(0), &m_manager);
    m_servers.ArchiveServer().SetDefaultAnswer(support::SimulatedAnswer::Failing());
    CfgMessage refused(211, 0, 0);
    EXPECT_FALSE(archive.UpdateCommDriver(211, &refused));
    EXPECT_EQ(archive.GetStoredCount(), 1u);
    EXPECT_TRUE(archive.ShutdownThread(false));
    EXPECT_EQ(archive.GetStoredCount(), 0u);
    const std::string lost = brontel::utility::ConvertCStringToUtf8(LCfgRpcSender::Describe(211, refused.ToBlock()));
    EXPECT_EQ(ProviderTestInstallation::CountLogLines("A configuration message was never delivered to the Archive "
                                                      "Server: " +
                                                      lost),
              1);
}

// Five messages beyond the limit push out the five oldest, each logged with its content; a
// server that accepts at the stop then receives exactly the newest, in the order they came.
// Each message carries its number in its code and in its block.
TEST_F(CommServerReconnect, TheStoreKeepsItsNewestMessagesWithinItsLimit)
{
    constexpr int kStored = static_cast<int>(LCfgRpcSender::kMaxStoredMessages);
    constexpr int kBeyond = 5;
    const auto block = [](int n) { return CfgMessage(13, n, 0).ToBlock(); };
    WmipArchiveServerRpcClass thread(m_manager.Connection(0), &m_manager);
    m_servers.ArchiveServer().SetDefaultAnswer(support::SimulatedAnswer::Failing());
    for (int n = 0; n < kStored + kBeyond; ++n)
    {
        CfgMessage message(13, n, 0);
        EXPECT_FALSE(thread.UpdateCommDriver(n, &message));
    }
    EXPECT_EQ(thread.GetStoredCount(), LCfgRpcSender::kMaxStoredMessages);
    EXPECT_EQ(ProviderTestInstallation::CountLogLines("full: the oldest message was dropped."), kBeyond);
    for (int n = 0; n < kBeyond; ++n)
        EXPECT_EQ(ProviderTestInstallation::CountLogLines(
                      "full: the oldest message was dropped. " +
                      brontel::utility::ConvertCStringToUtf8(LCfgRpcSender::Describe(n, block(n)))),
                  1)
            << n;

    m_servers.ArchiveServer().ClearCalls();
    m_servers.ArchiveServer().SetDefaultAnswer(support::SimulatedAnswer());
    EXPECT_TRUE(thread.ShutdownThread(false));
    std::vector<std::pair<LONG, std::vector<BYTE>>> arrived;
    for (const Received& received : ReceivedBy(m_servers.ArchiveServer()))
        arrived.emplace_back(received.code, received.message);
    std::vector<std::pair<LONG, std::vector<BYTE>>> newest;
    for (int n = kBeyond; n < kStored + kBeyond; ++n)
        newest.emplace_back(n, block(n));
    // Compared whole; a difference is told in short, not as a thousand blocks.
    EXPECT_TRUE(arrived == newest) << arrived.size() << " arrived, the first "
                                   << (arrived.empty() ? -1 : arrived.front().first);
}

// Where a message goes, by the sender's kind (keeping undelivered messages or not), its mode and
// the server's answer: sent at once, kept in the store, or dropped; in direct-to-store mode
// nothing is sent before the thread's pass, whatever the server would answer. The stop's last
// attempt then delivers what was kept to a server that accepts.
TEST_F(CommServerReconnect, EachMessageIsSentKeptOrDroppedByTheSendersKindModeAndTheServersAnswer)
{
    const struct
    {
        bool keeps;
        bool direct;
        bool accepts;
        BOOL sent;
        std::size_t stored;
        std::size_t callsAtOnce;
    } cases[] = {
        {false, false, false, FALSE, 0, 1}, {false, false, true, TRUE, 0, 1},  {false, true, false, FALSE, 1, 0},
        {false, true, true, FALSE, 1, 0},   {true, false, false, FALSE, 1, 1}, {true, false, true, TRUE, 0, 1},
        {true, true, false, FALSE, 1, 0},   {true, true, true, FALSE, 1, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.keeps ? "keeping" : "dropping") + (c.direct ? ", direct" : "") +
                     (c.accepts ? ", accepted" : ", refused"));
        m_servers.CommServer().ClearCalls();
        m_servers.CommServer().SetDefaultAnswer(c.accepts ? support::SimulatedAnswer()
                                                          : support::SimulatedAnswer::Status(1));
        CAcsUser* connection = m_manager.Connection(0);
        ASSERT_NE(connection, nullptr);
        {
            std::unique_ptr<LRpcComClass> sender;
            if (c.keeps)
                sender = std::make_unique<WmipCommServerRpcClass>(connection, &m_manager);
            else
                sender = std::make_unique<LRpcComClass>(connection);
            if (c.direct)
                sender->WriteAllCommandsDirectlyToFailedRpc();
            CfgMessage message(13, 0, 0);
            EXPECT_EQ(sender->UpdateCommDriver(13, &message), c.sent);
            EXPECT_EQ(sender->GetStoredCount(), c.stored);
            EXPECT_EQ(m_servers.CommServer().Calls().size(), c.callsAtOnce);
            m_servers.CommServer().SetDefaultAnswer(support::SimulatedAnswer());
            EXPECT_TRUE(sender->ShutdownThread(0, 0, false));
            EXPECT_EQ(sender->GetStoredCount(), 0u);
            EXPECT_EQ(m_servers.CommServer().Calls().size(), c.callsAtOnce + c.stored);
        }
        if (!c.keeps)
            m_manager.ReleaseConnection(connection);
    }
}

// A full store whose pass fails while new messages arrive: the pass keeps the messages that
// failed again, then the new ones, and within the limit the newest. The server refuses the
// whole first pass, new messages are stored as it begins, and it accepts from the second pass on,
// which delivers exactly what was kept, in order.
TEST_F(CommServerReconnect, AStoreOverItsLimitAfterAPassKeepsTheNewestInOrder)
{
    constexpr int kStored = static_cast<int>(LCfgRpcSender::kMaxStoredMessages);
    constexpr int kArriving = 5;
    support::SimulatedCfgServer& server = m_servers.CommServer();
    WmipCommServerRpcClass sender(m_manager.Connection(0), &m_manager);
    sender.WriteAllCommandsDirectlyToFailedRpc();
    sender.SetRetryInterval(1);
    CfgMessage message(13, 0, 0);
    for (int code = 0; code < kStored; ++code)
        ASSERT_FALSE(sender.UpdateCommDriver(code, &message));
    ASSERT_EQ(sender.GetStoredCount(), LCfgRpcSender::kMaxStoredMessages);
    server.SetDefaultAnswer(support::SimulatedAnswer::Status(1));
    // Called on the sender's thread during its pass; in direct-to-store mode a new message only
    // goes to the store, so the pass's call may hand one in.
    std::atomic<int> calls{0};
    server.SetObserver([&](const support::SimulatedServer&, const support::SimulatedCall&) {
        const int call = ++calls;
        if (call == 1)
            for (int code = kStored; code < kStored + kArriving; ++code)
                sender.UpdateCommDriver(code, &message);
        if (call == kStored)
            server.SetDefaultAnswer(support::SimulatedAnswer());
    });
    ASSERT_TRUE(sender.Start());
    const bool delivered = server.WaitForCalls(2 * kStored, support::kAwaitLimit);
    EXPECT_TRUE(sender.ShutdownThread(0, 0, false));
    server.SetObserver({});
    ASSERT_TRUE(delivered);
    const auto received = ReceivedBy(server);
    ASSERT_EQ(received.size(), 2u * kStored);
    std::vector<LONG> second;
    for (std::size_t i = kStored; i < received.size(); ++i)
        second.push_back(received[i].code);
    std::vector<LONG> expected;
    for (int code = kArriving; code < kStored + kArriving; ++code)
        expected.push_back(code);
    EXPECT_EQ(second, expected);
    EXPECT_EQ(sender.GetStoredCount(), 0u);
}

}  // namespace
