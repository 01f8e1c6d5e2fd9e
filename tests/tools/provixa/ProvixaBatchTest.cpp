// The host's batch command and --simulate: line splitting, reading a batch, a run in which
// the status cache and the simulated servers live from one command to the next, and the caller
// each line names.
#include "tools/provixa/ProvixaBatch.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <sstream>

#include "tests/support/InstallationDatabase.h"
#include "tests/support/TemporaryHome.h"
#include "tests/tools/provixa/ProvixaProgramTest.h"
#include "tools/provixa/ProvixaLinkedAccounts.h"

namespace {

using provixa_program::Outcome;

struct SplitCase
{
    const char* line;
    bool ok;
    std::vector<std::string> words;
};

TEST(ProvixaBatch, SplitsLinesIntoWordsWithQuotes)
{
    const SplitCase cases[] = {
        {"get Bnt_Panel.ID=1", true, {"get", "Bnt_Panel.ID=1"}},
        {"  exec\t\"Bnt_ReaderInput1.PanelID=1,ReaderID=0\"  Mask \r",
         true,
         {"exec", "Bnt_ReaderInput1.PanelID=1,ReaderID=0", "Mask"}},
        {"query 'SELECT * FROM Bnt_Panel WHERE Name = \"x\"'",
         true,
         {"query", "SELECT * FROM Bnt_Panel WHERE Name = \"x\""}},
        {"put C Name=\"a \\\"b\\\" \\\\ c\"", true, {"put", "C", "Name=a \"b\" \\ c"}},
        {"put C Note=''", true, {"put", "C", "Note="}},
        {"", true, {}},
        {"get \"unterminated", false, {}},
        {"get 'unterminated", false, {}},
    };
    for (const SplitCase& c : cases)
    {
        SCOPED_TRACE(c.line);
        std::vector<std::string> words{"stale"};
        std::string error;
        EXPECT_EQ(ProvixaBatch::SplitLine(c.line, &words, &error), c.ok);
        if (c.ok)
            EXPECT_EQ(words, c.words);
        else
            EXPECT_NE(error.find("unterminated quote"), std::string::npos) << error;
    }
}

TEST(ProvixaBatch, ReadsCommandsSkippingBlanksAndCommentsAndKeepsLineNumbers)
{
    std::istringstream input(std::string("\xEF\xBB\xBF# a comment\n\nget A\n   # indented comment\nenum B\nget \"C\n") +
                             "get D\n" + std::string("put E X=1\0Y=2\n", 14) + "get " +
                             std::string(ProvixaBatch::kMaxLineLength - 4, 'y') + "\n" +
                             std::string(ProvixaBatch::kMaxLineLength + 1, 'x') + "\nget F");
    std::size_t lineNumber = 0;
    ProvixaBatch::Command command;
    bool usage = false;
    std::string error;
    std::vector<std::string> seen;
    for (ProvixaBatch::Read read;
         (read = ProvixaBatch::NextCommand(input, &lineNumber, &command, &usage, &error)) != ProvixaBatch::Read::End;)
    {
        std::string words;
        for (const std::string& word : command.words)
            words += " " + word;
        seen.push_back(std::to_string(command.line) +
                       (read == ProvixaBatch::Read::Command ? words : (usage ? " usage: " : " refused: ") + error));
    }
    // A line of the longest length is read whole; one byte more is refused.
    EXPECT_EQ(seen, (std::vector<std::string>{"3 get A", "5 enum B", "6 usage: line 6: unterminated quote at column 5",
                                              "7 get D", "8 refused: line 8 holds a NUL character",
                                              "9 get " + std::string(ProvixaBatch::kMaxLineLength - 4, 'y'),
                                              "10 refused: line 10 is longer than 65536 bytes", "11 get F"}));
}

// An output that keeps, besides everything written, what had been flushed at the last flush.
class FlushedText : public std::stringbuf
{
public:
    std::string flushed;

protected:
    int sync() override
    {
        flushed = str();
        return 0;
    }
};

TEST(ProvixaBatch, EachCommandsOutputLeavesBeforeTheNextCommandRuns)
{
    std::istringstream input("enum A\nfrobnicate\nenum B\nenum C\n");
    FlushedText buffer;
    std::ostream out(&buffer);
    std::ostringstream err;
    ProvixaCommandLine batch;
    batch.command = ProvixaCommandLine::Command::Batch;
    batch.operands = {"-"};
    std::vector<std::string> flushedBefore;
    const int status = ProvixaBatch::Run(
        batch, input,
        [&](const ProvixaCommandLine& one) {
            flushedBefore.push_back(buffer.flushed);
            out << "ran " << one.operands.at(0) << "\n";
            return 0;
        },
        out, err);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(flushedBefore, (std::vector<std::string>{"", "ran A\n", "ran A\nran B\n"}));
    EXPECT_EQ(buffer.flushed, "ran A\nran B\nran C\n");
}

// Standard input that hands out one line per read and notes how many commands had run when
// each line was asked for.
class LineByLine : public std::streambuf
{
public:
    LineByLine(std::vector<std::string> lines, const int& ran) : m_lines(std::move(lines)), m_ran(ran) {}
    std::vector<int> ranBeforeLine;

protected:
    int_type underflow() override
    {
        if (m_next == m_lines.size())
            return traits_type::eof();
        ranBeforeLine.push_back(m_ran);
        std::string& line = m_lines[m_next++];
        setg(line.data(), line.data(), line.data() + line.size());
        return traits_type::to_int_type(line.front());
    }

private:
    std::vector<std::string> m_lines;
    std::size_t m_next = 0;
    const int& m_ran;
};

TEST(ProvixaBatch, EachLineRunsBeforeTheNextIsRead)
{
    int ran = 0;
    LineByLine lines({"enum A\n", "enum B\n", "enum C\n"}, ran);
    std::istream input(&lines);
    std::ostringstream out;
    std::ostringstream err;
    ProvixaCommandLine batch;
    batch.command = ProvixaCommandLine::Command::Batch;
    batch.operands = {"-"};
    EXPECT_EQ(ProvixaBatch::Run(
                  batch, input, [&](const ProvixaCommandLine&) { return ++ran, 0; }, out, err),
              0);
    EXPECT_EQ(lines.ranBeforeLine, (std::vector<int>{0, 1, 2}));
}

class ProvixaBatchRun : public provixa_program::ProvixaProgramTest
{
protected:
    Outcome Batch(const std::string& text, std::vector<std::string> options)
    {
        const std::filesystem::path file = m_root / "commands.txt";
        std::ofstream(file) << text;
        options.push_back("batch");
        options.push_back(file.string());
        return Provixa(options);
    }
};

TEST_F(ProvixaBatchRun, SimulatedPanelCommandsReachTheDriverServerAndTheCacheLivesBetweenCommands)
{
    ASSERT_EQ(Provixa({"init"}).status, 0);
    const Outcome run = Batch("exec Bnt_Panel.ID=1 SetClock\n"
                              "exec Bnt_Panel.ID=1 UpdateHardwareStatus\n"
                              "exec Bnt_Panel.ID=1 GetHardwareStatus\n",
                              {"--as", "operator", "--simulate", "--json"});
    EXPECT_EQ(run.status, 0) << run.err;
    // With --json the servers' calls go to standard error: the output stays JSON.
    EXPECT_NE(run.err.find("driver server received procedure 5 SetPanelClock, 4 bytes: 01 00 00 00\n"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("received procedure 27 GetPanelDeviceStatus"), std::string::npos);
    EXPECT_EQ(run.out.find("received procedure"), std::string::npos) << run.out;
    // Online panel record and online header: status bit 0 and header byte 1 at bit 4.
    EXPECT_NE(run.out.find("\"Status\":17"), std::string::npos) << run.out;
}

TEST_F(ProvixaBatchRun, WithoutSimulationAHardwareCommandFailsAndTheBatchGoesOn)
{
    ASSERT_EQ(Provixa({"init"}).status, 0);
    const Outcome run = Batch("exec Bnt_Panel.ID=1 SetClock\nfrobnicate\ninit\nexec Bnt_Panel.ID=1 GetHardwareStatus\n",
                              {"--as", "operator"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("0x80041001"), std::string::npos) << run.err;
    // A command the server did not take is a plain failure: its reason is in the provider log.
    EXPECT_NE(run.err.find("the provider log holds the details"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("provixa: line 2: unknown command frobnicate"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("provixa: line 3: init, batch and bus cannot run inside a batch"), std::string::npos)
        << run.err;
    EXPECT_NE(run.out.find("Status = 0;"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("received procedure"), std::string::npos);
}

// Reads from the descriptor up to and with the next line end; what was read when it ends first.
std::string ReadLine(int fd)
{
    std::string line;
    for (char c; ::read(fd, &c, 1) == 1;)
    {
        line += c;
        if (c == '\n')
            break;
    }
    return line;
}

// The host keeps one connection for the callers a batch names, yet each line's caller is looked
// up in what other processes committed before the line was read: no read transaction outlives a
// look-up.
TEST_F(ProvixaBatchRun, EachLinesCallerIsLookedUpInWhatOtherProcessesCommittedBeforeIt)
{
    ASSERT_EQ(Provixa({"init"}).status, 0);
    int toHost[2];
    int fromHost[2];
    ASSERT_EQ(pipe(toHost), 0);
    ASSERT_EQ(pipe(fromHost), 0);
    // Everything the child needs is made before it is forked: it only sets up and executes.
    std::vector<std::string> environment = {"PROVIXA_HOME=" + m_home.string()};
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    const char* const argv[] = {PROVIXA_BINARY, "--as", "porter", "--json", "batch", "-", nullptr};
    const std::string errPath = (m_root / "err").string();
    const pid_t child = fork();
    if (child == 0)
    {
        const int errFd = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (errFd < 0 || ::dup2(toHost[0], 0) < 0 || ::dup2(fromHost[1], 1) < 0 || ::dup2(errFd, 2) < 0)
            _exit(127);
        ::close(toHost[1]);
        ::close(fromHost[0]);
        execve(PROVIXA_BINARY, const_cast<char* const*>(argv), envp.data());
        _exit(127);
    }
    ASSERT_GT(child, 0);
    ::close(toHost[0]);
    ::close(fromHost[1]);
    const std::string line = "get Bnt_WorldTimezone.ID=1\n";
    ASSERT_EQ(::write(toHost[1], line.data(), line.size()), static_cast<ssize_t>(line.size()));
    EXPECT_NE(ReadLine(fromHost[0]).find("\"DisplayName\":\"(UTC) Coordinated Universal Time\""), std::string::npos);
    // Another process renames the porter between the two lines.
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open((m_home / "provixa.db").string().c_str(), &raw), SQLITE_OK);
    {
        const std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close);
        ASSERT_EQ(sqlite3_exec(db.get(), "UPDATE USERS SET LOGONID = 'gatekeeper' WHERE LOGONID = 'porter'", nullptr,
                               nullptr, nullptr),
                  SQLITE_OK);
    }
    ASSERT_EQ(::write(toHost[1], line.data(), line.size()), static_cast<ssize_t>(line.size()));
    ::close(toHost[1]);
    EXPECT_EQ(ReadLine(fromHost[0]), "");
    ::close(fromHost[0]);
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_NE(provixa_program::ReadAll(m_root / "err").find("line 2: no Windows account is linked to the user porter"),
              std::string::npos)
        << provixa_program::ReadAll(m_root / "err");
}

// A user with several linked accounts is run as the first linked: the lowest USER_ACCOUNTID,
// whatever order the links were written in.
TEST(ProvixaLinkedAccounts, AUserWithSeveralAccountsRunsAsTheFirstLinked)
{
    const support::TemporaryHome home;
    const std::filesystem::path database = home.Path() / "provixa.db";
    support::InstallationDatabase::CreateDemo(database);
    // The porter's demo link is 8; 12 is written before 5.
    support::InstallationDatabase::Execute(
        database, "INSERT INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID) VALUES "
                  "(12, 3, 1, 'S-1-5-21-1004336348-1177238915-682003330-1012');"
                  "INSERT INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID) VALUES "
                  "(5, 3, 1, 'S-1-5-21-1004336348-1177238915-682003330-1005');");
    ProvixaLinkedAccounts accounts;
    std::wstring sid;
    std::string error;
    ASSERT_TRUE(accounts.Find("Porter", &sid, &error)) << error;
    EXPECT_EQ(sid, L"S-1-5-21-1004336348-1177238915-682003330-1005");
}

TEST_F(ProvixaBatchRun, AnUnreadableBatchFileIsAFailedRequest)
{
    ASSERT_EQ(Provixa({"init"}).status, 0);
    const Outcome run = Provixa({"batch", (m_root / "missing.txt").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot read"), std::string::npos) << run.err;
}

}  // namespace
