#include "inhouse/BntUtility/LogFileWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "tests/support/ManualClock.h"
#include "tests/support/TemporaryHome.h"

using brontel::utility::LogFileWriter;

namespace {

std::vector<std::string> Lines(const std::filesystem::path& file)
{
    return support::TemporaryHome::ReadLines(file);
}

using Texts = std::vector<std::string>;

class LogFile : public ::testing::Test
{
protected:
    std::filesystem::path Path(const std::string& relative) const { return m_home.Path() / relative; }

    support::TemporaryHome m_home;
};

TEST_F(LogFile, KeepsAppendingWholeLinesToOneFile)
{
    const auto file = Path("Logs/Fluxmere.log");
    LogFileWriter::AppendLine(file.string(), "first");
    LogFileWriter::AppendLine(file.string(), "second");
    EXPECT_EQ(Lines(file), (Texts{"first", "second"}));
}

TEST_F(LogFile, RemovedFileAndFolderAreCreatedAgainForTheNextLine)
{
    const auto file = Path("Logs/Fluxmere.log");
    LogFileWriter::AppendLine(file.string(), "before");
    std::filesystem::remove(file);
    LogFileWriter::AppendLine(file.string(), "after removal");
    EXPECT_EQ(Lines(file), (Texts{"after removal"}));

    std::filesystem::remove_all(Path("Logs"));
    LogFileWriter::AppendLine(file.string(), "after the folder went");
    EXPECT_EQ(Lines(file), (Texts{"after the folder went"}));
}

// The file as it stands, without writing the held lines first.
Texts LinesOnDisk(const std::filesystem::path& file)
{
    std::ifstream in(file);
    Texts lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST_F(LogFile, HeldLinesComeBeforeALineWrittenAtOnce)
{
    const auto file = Path("Logs/Fluxmere.log");
    LogFileWriter::AppendLineLater(file.string(), "held 1");
    LogFileWriter::AppendLineLater(file.string(), "held 2");
    LogFileWriter::AppendLine(file.string(), "at once");
    EXPECT_EQ(LinesOnDisk(file), (Texts{"held 1", "held 2", "at once"}));
}

TEST_F(LogFile, HeldLinesReachTheFileWithoutBeingAsked)
{
    const auto file = Path("Logs/Fluxmere.log");
    LogFileWriter::AppendLineLater(file.string(), "on its own");
    // The writer gives no event for its own flush; the bound only keeps a lost line from
    // hanging the test, however long a loaded machine takes to run the writer.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (LinesOnDisk(file).empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(LinesOnDisk(file), (Texts{"on its own"}));
}

TEST_F(LogFile, ConcurrentHeldLinesAreAllWrittenWholeAndInTheirThreadsOrder)
{
    const auto file = Path("Logs/Fluxmere.log");
    constexpr int kThreads = 8;
    constexpr int kLines = 2000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back([&file, t] {
            for (int i = 0; i < kLines; ++i)
                LogFileWriter::AppendLineLater(file.string(), "t" + std::to_string(t) + " " + std::to_string(i) +
                                                                  std::string(static_cast<std::size_t>(i % 97), 'x'));
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    const Texts lines = Lines(file);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLines));
    std::vector<int> next(kThreads, 0);
    for (const std::string& line : lines)
    {
        const std::size_t blank = line.find(' ');
        ASSERT_NE(blank, std::string::npos) << line;
        const int t = std::stoi(line.substr(1, blank - 1));
        const int i = std::stoi(line.substr(blank + 1));
        ASSERT_EQ(i, next[static_cast<std::size_t>(t)]) << line;
        EXPECT_EQ(std::count(line.begin(), line.end(), 'x'), i % 97) << line;
        ++next[static_cast<std::size_t>(t)];
    }
}

TEST_F(LogFile, TruncatedFileGetsTheNextLineAtItsNewEnd)
{
    const auto file = Path("Fluxmere.log");
    LogFileWriter::AppendLine(file.string(), "old");
    std::ofstream(file, std::ios::trunc).close();
    LogFileWriter::AppendLine(file.string(), "new");
    EXPECT_EQ(Lines(file), (Texts{"new"}));
}

TEST_F(LogFile, AFullFileRollsOverSoTheLogsStayBounded)
{
    const auto file = Path("Logs/Fluxmere.log");
    LogFileWriter::SetMaxFileBytes(20);
    const std::string line(9, 'x');  // ten bytes with its line feed
    for (int i = 0; i < 7; ++i)
        LogFileWriter::AppendLine(file.string(), line);
    LogFileWriter::AppendLine(file.string(), "last");
    LogFileWriter::SetMaxFileBytes(0);
    // Lines 1-2, 3-4 and 5-6 each filled a file; PATH.1 keeps only the latest full one.
    EXPECT_EQ(Lines(file), (Texts{line, "last"}));
    EXPECT_EQ(Lines(file.string() + ".1"), (Texts{line, line}));
    EXPECT_FALSE(std::filesystem::exists(file.string() + ".2"));
}

// The path of an open file is looked at again once a second of the writer's clock has passed
// since the file was opened.
TEST_F(LogFile, RotatedFileIsLeftForTheNewOneWithinASecond)
{
    support::ManualClock clock;
    struct ClockScope
    {
        explicit ClockScope(const IClock* clock) { LogFileWriter::SetClock(clock); }
        ~ClockScope() { LogFileWriter::SetClock(nullptr); }
    } scope(&clock);
    const auto file = Path("Fluxmere.log");
    const auto rotated = Path("Fluxmere.log.1");
    LogFileWriter::AppendLine(file.string(), "one");
    std::filesystem::rename(file, rotated);
    clock.Advance(999);
    LogFileWriter::AppendLine(file.string(), "two");
    clock.Advance(1);
    LogFileWriter::AppendLine(file.string(), "three");
    EXPECT_EQ(Lines(rotated), (Texts{"one", "two"}));
    EXPECT_EQ(Lines(file), (Texts{"three"}));
}

TEST_F(LogFile, ManyFilesEachGetTheirOwnLines)
{
    // More files than are kept open at once.
    constexpr int kFiles = 40;
    for (int round = 0; round < 2; ++round)
    {
        for (int i = 0; i < kFiles; ++i)
        {
            LogFileWriter::AppendLine(Path("many/" + std::to_string(i) + ".log").string(),
                                      "round " + std::to_string(round));
        }
    }
    for (int i = 0; i < kFiles; ++i)
    {
        EXPECT_EQ(Lines(Path("many/" + std::to_string(i) + ".log")), (Texts{"round 0", "round 1"})) << i;
    }
}

TEST_F(LogFile, ConcurrentWritersNeverInterleaveLines)
{
    const auto file = Path("Logs/Fluxmere.log");
    constexpr int kThreads = 4;
    constexpr int kLinesEach = 200;
    const std::string body(300, 'x');
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kLinesEach; ++i)
            {
                LogFileWriter::AppendLine(file.string(), std::to_string(t) + body);
            }
        });
    }
    for (auto& thread : threads)
    {
        thread.join();
    }
    const auto lines = Lines(file);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLinesEach));
    for (const auto& line : lines)
    {
        ASSERT_EQ(line.size(), body.size() + 1);
        EXPECT_EQ(line.substr(1), body);
    }
}

// The file system under the writer, played through its write hook: a write reaches the file up
// to the room left (none left: ENOSPC, as a full disk answers), and the first `cut` bytes only
// when a cut is set (a short write with room to spare). The bytes of every call are kept.
class PlayedDisk
{
public:
    static constexpr std::size_t kNoLimit = static_cast<std::size_t>(-1);

    PlayedDisk()
    {
        // Nothing written before belongs to the calls played here.
        LogFileWriter::Flush();
        LogFileWriter::TestHookWrite(
            [this](int fd, const char* data, std::size_t size) { return Write(fd, data, size); });
    }
    ~PlayedDisk() { LogFileWriter::TestHookWrite({}); }
    PlayedDisk(const PlayedDisk&) = delete;
    PlayedDisk& operator=(const PlayedDisk&) = delete;

    void Set(std::size_t room, std::size_t cut)
    {
        const std::scoped_lock guard(m_lock);
        m_room = room;
        m_cut = cut;
        m_calls.clear();
    }
    Texts Calls() const
    {
        const std::scoped_lock guard(m_lock);
        return m_calls;
    }

private:
    long Write(int fd, const char* data, std::size_t size)
    {
        const std::scoped_lock guard(m_lock);
        m_calls.emplace_back(data, size);
        const std::size_t taken = std::min({size, m_room, m_cut});
        m_cut = kNoLimit;
        if (taken == 0)
        {
            errno = ENOSPC;
            return -1;
        }
        const ssize_t written = ::write(fd, data, taken);
        if (written > 0 && m_room != kNoLimit)
            m_room -= static_cast<std::size_t>(written);
        return written;
    }

    mutable std::mutex m_lock;
    std::size_t m_room = kNoLimit;
    std::size_t m_cut = kNoLimit;
    Texts m_calls;
};

// Each record goes to the file in one write. One the file took only in part (a full disk) is
// not finished by a second append, which another process's record could come before: it is
// ended with a line feed where the file still takes one, and a file that does not end in one
// gets it before the next record, so a cut record never runs into the next.
TEST_F(LogFile, ARecordIsWrittenWholeInOneWriteAndACutOneNeverRunsIntoTheNext)
{
    const struct
    {
        const char* what;
        std::size_t room;  // for the second record
        std::size_t cut;
        Texts secondCalls;
        Texts thirdCalls;
        std::string file;
    } cases[] = {
        {"a full disk", 4, PlayedDisk::kNoLimit, {"second\n", "\n"}, {"\nthird\n"}, "first\nseco\nthird\n"},
        {"a short write", PlayedDisk::kNoLimit, 4, {"second\n", "\n"}, {"third\n"}, "first\nseco\nthird\n"},
        {"no room at all", 0, PlayedDisk::kNoLimit, {"second\n"}, {"third\n"}, "first\nthird\n"},
    };
    int n = 0;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        const std::string name = "cut" + std::to_string(++n) + ".log";
        const auto file = Path(name);
        PlayedDisk disk;
        EXPECT_TRUE(LogFileWriter::AppendLine(file.string(), "first"));
        disk.Set(c.room, c.cut);
        EXPECT_FALSE(LogFileWriter::AppendLine(file.string(), "second"));
        EXPECT_EQ(disk.Calls(), c.secondCalls);
        disk.Set(PlayedDisk::kNoLimit, PlayedDisk::kNoLimit);
        EXPECT_TRUE(LogFileWriter::AppendLine(file.string(), "third"));
        EXPECT_EQ(disk.Calls(), c.thirdCalls);
        EXPECT_EQ(m_home.ReadFile(name), c.file);
    }
    // A record another process left cut is ended before the next one, held lines included.
    const auto shared = Path("shared.log");
    m_home.WriteFile("shared.log", "2026-12-09 12:13:25.333 [30696] INFO other(1): ExecQueryAsync(SELECT");
    LogFileWriter::AppendLineLater(shared.string(), "held");
    EXPECT_TRUE(LogFileWriter::AppendLine(shared.string(), "at once"));
    EXPECT_EQ(Lines(shared),
              (Texts{"2026-12-09 12:13:25.333 [30696] INFO other(1): ExecQueryAsync(SELECT", "held", "at once"}));
}

TEST_F(LogFile, UnopenablePathLosesTheLineQuietly)
{
    // A folder stands where the file should be.
    std::filesystem::create_directories(Path("taken.log"));
    EXPECT_FALSE(LogFileWriter::AppendLine(Path("taken.log").string(), "lost"));
    EXPECT_TRUE(std::filesystem::is_directory(Path("taken.log")));
    LogFileWriter::AppendLine(Path("fine.log").string(), "kept");
    EXPECT_EQ(Lines(Path("fine.log")), (Texts{"kept"}));
}

}  // namespace
