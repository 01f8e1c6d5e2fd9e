// The host's event commands: their command lines, what wait waits for, and a batch that watches
// access events, hands in one hardware record and prints the event, run with the built program.
#include "tests/tools/provixa/ProvixaProgramTest.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "tools/provixa/ProvixaCommandLine.h"
#include "tools/provixa/ProvixaPendingRecords.h"

namespace {
using provixa_program::ExpectEachIn;
using provixa_program::Outcome;

class ProvixaEventBatch : public provixa_program::ProvixaProgramTest
{
protected:
    // Runs the lines as a batch of the demo operator with the simulated servers.
    Outcome Batch(const std::string& lines) const
    {
        const Outcome init = Provixa({"init"});
        EXPECT_EQ(init.status, 0) << init.err;
        const auto script = m_root / "events.txt";
        std::ofstream(script) << lines;
        return Provixa({"--as", "operator", "--simulate", "batch", script.string()});
    }
};
}  // namespace

TEST(ProvixaEventCommandLine, WatchHweventAndWaitTakeTheirOperands)
{
    struct LineCase
    {
        std::vector<std::string> args;
        bool good;
    };
    const LineCase cases[] = {
        {{"watch", "SELECT * FROM Bnt_AccessEvent"}, true},
        {{"watch"}, false},
        {{"watch", "a", "b"}, false},
        {{"hwevent", "EventType=0", "Text=a=b"}, true},
        {{"hwevent"}, true},
        {{"hwevent", "EventType"}, false},
        {{"wait"}, true},
        {{"wait", "250"}, true},
        {{"wait", "1", "2"}, false},
    };
    for (const LineCase& c : cases)
    {
        ProvixaCommandLine line;
        std::string error;
        EXPECT_EQ(ProvixaCommandLine::Parse(c.args, &line, &error), c.good) << c.args.front() << ": " << error;
    }
    ProvixaCommandLine line;
    std::string error;
    ASSERT_TRUE(ProvixaCommandLine::Parse({"hwevent", "EventType=0", "Text=a=b"}, &line, &error));
    EXPECT_TRUE(line.operands.empty());
    ASSERT_EQ(line.assignments.size(), 2u);
    EXPECT_EQ(line.assignments[1].second, "a=b");
    ASSERT_TRUE(ProvixaCommandLine::Parse({"wait", "250"}, &line, &error));
    EXPECT_EQ(line.operands, std::vector<std::string>{"250"});
}

// What wait waits for: the records handed in and not refused, until the processors finish them.
TEST(ProvixaPendingRecords, CountRecordsHandedInUntilTheProcessorsFinishThem)
{
    ProvixaPendingRecords pending;
    const struct
    {
        void (ProvixaPendingRecords::*step)();
        std::uint64_t unfinished;
    } steps[] = {
        {&ProvixaPendingRecords::HandingIn, 1}, {&ProvixaPendingRecords::HandingIn, 2},
        {&ProvixaPendingRecords::Refused, 1},   {&ProvixaPendingRecords::Finished, 0},
        {&ProvixaPendingRecords::HandingIn, 1}, {&ProvixaPendingRecords::Finished, 0},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i)
    {
        (pending.*steps[i].step)();
        EXPECT_EQ(pending.WaitForAll(std::chrono::milliseconds(0)), steps[i].unfinished) << "step " << i;
    }
}

TEST_F(ProvixaEventBatch, AWatchedAccessEventIsPrinted)
{
    const Outcome run = Batch("watch \"SELECT * FROM Bnt_AccessEvent\"\n"
                              "hwevent EventType=0 PanelID=1 SerialNumber=42 DataType=2 U64@56=123456 "
                              "Text=\"Lobby entry\" HostName=COMMHOST\n"
                              "wait\n");
    ASSERT_EQ(run.status, 0) << run.err;
    ExpectEachIn(run.out, {"Watching (watch 1): SELECT * FROM Bnt_AccessEvent", "Handed in: sz:216, type:0, serno:42",
                           "instance of Bnt_AccessEvent", "SerialNumber = 42;", "CardNumber = 123456;",
                           "EventText = \"Lobby entry\";",
                           // The linkage server heard the registration and, at the end, the unregistration.
                           "linkage server received procedure 7 RegisterHardwareEventProvider, 68 bytes: 01",
                           "linkage server received procedure 7 RegisterHardwareEventProvider, 68 bytes: 00"});
}

TEST_F(ProvixaEventBatch, BadRecordsAndQueriesAreReported)
{
    const Outcome run = Batch("hwevent Record=0000\n"
                              "hwevent NoSuchField=1\n"
                              "hwevent Record=00 EventType=1\n"
                              "hwevent EventType=x\n"
                              "watch \"SELECT * FROM Bnt_Alarm\"\n"
                              "wait 70000\n");
    EXPECT_EQ(run.status, 2);
    ExpectEachIn(run.err, {"Error 0x80004005", "unknown record field NoSuchField",
                           "Record cannot be combined with record fields", "not a number: EventType=x",
                           "Error 0x80041059", "wait takes a number of milliseconds"});
}

TEST_F(ProvixaEventBatch, AnIncomingEventReachesAWatcherThroughTheCommunicationServer)
{
    const Outcome run = Batch("watch \"SELECT * FROM Bnt_AccessEvent\"\n"
                              "exec Bnt_IncomingEvent SendIncomingEvent Source=\"Lobby panel\" Device=\"Lobby entry\" "
                              "IsAccessGrant=true BadgeID=100001\n"
                              "wait\n");
    ASSERT_EQ(run.status, 0) << run.err;
    ExpectEachIn(run.out, {"communication server event door received procedure 1 SubmitEvent",
                           "instance of Bnt_AccessEvent", "CardNumber = 100001;"});
}
