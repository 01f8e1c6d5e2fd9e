// The stream buffer behind the host's output and error streams: a line another thread writes
// never splits one the host is writing; the result goes out in chunks, not held whole; a
// destination that fails is remembered with its reason.
#include "tools/provixa/ProvixaLineWriter.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <thread>

TEST(ProvixaLineWriter, AnotherThreadsLineNeverSplitsTheOneInProgress)
{
    std::ostringstream destination;
    {
        ProvixaLineWriter writer(destination, true);
        std::ostream host(&writer);
        // The host writes its note piece by piece, as ProvixaEvents does.
        host << "Watching (watch " << 1 << "): ";
        // A simulated server's thread finishes a line meanwhile, whole and in pieces.
        std::thread server([&writer]() {
            writer.WriteLine("linkage server received procedure 7 RegisterClient, 4 bytes: 01 00 00 00");
            std::ostream own(&writer);
            own << "driver server received ";
            own << "procedure 5 SetPanelClock\n";
        });
        server.join();
        EXPECT_EQ(destination.str(), "linkage server received procedure 7 RegisterClient, 4 bytes: 01 00 00 00\n"
                                     "driver server received procedure 5 SetPanelClock\n");
        host << "SELECT * FROM Bnt_AccessEvent\nHanded in: ";
        EXPECT_TRUE(writer.Finish());
    }
    // What was left unfinished at the end goes out too.
    EXPECT_EQ(destination.str(), "linkage server received procedure 7 RegisterClient, 4 bytes: 01 00 00 00\n"
                                 "driver server received procedure 5 SetPanelClock\n"
                                 "Watching (watch 1): SELECT * FROM Bnt_AccessEvent\n"
                                 "Handed in: ");
}

TEST(ProvixaLineWriter, AResultGoesOutInChunksAsItIsMade)
{
    std::ostringstream destination;
    ProvixaLineWriter writer(destination, false);
    std::ostream out(&writer);
    const std::string line(99, 'x');
    out << line << "\n";
    // A short result waits for the chunk to fill (or the end)...
    EXPECT_EQ(destination.str(), "");
    std::size_t written = line.size() + 1;
    while (written < ProvixaLineWriter::kChunkBytes)
    {
        out << line << "\n";
        written += line.size() + 1;
    }
    // ...a long one leaves a chunk at a time, each ending with a whole line.
    EXPECT_EQ(destination.str().size(), written);
    out << "last";
    EXPECT_EQ(destination.str().size(), written);
    EXPECT_TRUE(writer.Finish());
    EXPECT_EQ(destination.str().size(), written + 4);
    EXPECT_FALSE(writer.Failed());
    EXPECT_EQ(writer.FailureReason(), "");
}

TEST(ProvixaLineWriter, ADestinationThatFailsIsRememberedAndTheRestDropped)
{
    std::ostringstream taken;
    std::ostream refusing(taken.rdbuf());
    refusing.setstate(std::ios::badbit);
    ProvixaLineWriter writer(refusing, true);
    std::ostream out(&writer);
    EXPECT_FALSE(ProvixaLineWriter::Broken(out));
    out << "one\n";
    // The writer's own stream stays good: a stream shared by threads never changes state
    // under another; the failure is asked of the writer.
    EXPECT_TRUE(out.good());
    EXPECT_TRUE(writer.Failed());
    EXPECT_TRUE(ProvixaLineWriter::Broken(out));
    EXPECT_EQ(writer.FailureReason(), "the stream refused it");
    out << "two\n";
    EXPECT_FALSE(writer.Finish());
    EXPECT_EQ(taken.str(), "");
}

TEST(ProvixaLineWriter, ALongLineGoesOutAsItGrowsAndOtherLinesWaitForItsEnd)
{
    std::ostringstream destination;
    ProvixaLineWriter writer(destination, false);
    std::ostream out(&writer);
    // A JSON list: one line of many objects.
    const std::string object = "{\"class\":\"Bnt_Cardholder\"},";
    out << "[";
    std::size_t written = 1;
    while (written < 2 * ProvixaLineWriter::kChunkBytes)
    {
        out << object;
        written += object.size();
    }
    EXPECT_GE(destination.str().size(), ProvixaLineWriter::kChunkBytes);
    std::thread note([&writer]() { writer.WriteLine("driver server received procedure 5 SetPanelClock"); });
    note.join();
    out << "{}]\n";
    EXPECT_TRUE(writer.Finish());
    const std::string text = destination.str();
    EXPECT_EQ(text.size(), written + 4 + 49);
    EXPECT_EQ(text.find('\n'), written + 3);
    EXPECT_EQ(text.substr(written + 4), "driver server received procedure 5 SetPanelClock\n");
}

TEST(ProvixaLineWriter, ALineLeftOpenIsEndedBeforeAnotherWritersTextAtTheFinish)
{
    std::ostringstream destination;
    ProvixaLineWriter writer(destination, false);
    std::ostream out(&writer);
    // One thread's long line is going out unfinished; another's whole line waits for it, and a
    // third thread leaves a line of its own open.
    const std::string longLine(ProvixaLineWriter::kChunkBytes + 10, 'x');
    out << longLine;
    std::thread note([&writer]() { writer.WriteLine("driver server received procedure 5 SetPanelClock"); });
    note.join();
    std::thread open([&writer]() {
        std::ostream own(&writer);
        own << "Handed in: ";
    });
    open.join();
    EXPECT_TRUE(writer.Finish());
    EXPECT_EQ(destination.str(), longLine + "\ndriver server received procedure 5 SetPanelClock\nHanded in: ");
}
