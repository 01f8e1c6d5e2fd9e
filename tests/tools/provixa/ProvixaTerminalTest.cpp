// The password prompt on a terminal: the built program runs on a pseudo-terminal, the test types
// as a person would (Ctrl-C, Ctrl-Z, Ctrl-D) once the prompt shows, and reads the terminal's
// settings after each way out: echo is back on every one, and the shell goes on after a Ctrl-C.
#include "tests/tools/provixa/ProvixaProgramTest.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sched.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {
using provixa_program::Contains;

// What the test does at the prompt.
enum class WayOut
{
    Interrupt,    // Ctrl-C
    Terminate,    // SIGTERM
    StopThenEnd,  // Ctrl-Z, then SIGCONT and Ctrl-D
    EndOfInput,   // Ctrl-D
};

// The program on a pseudo-terminal of its own, run as a job of a session (its stop must not be
// discarded as an orphaned group's): a leader process holds the terminal, puts the program in the
// foreground and reports each change of the program's state through a pipe. The test holds both
// ends of the terminal, so its settings can be read after the program ended.
class TerminalRun
{
public:
    TerminalRun(const std::filesystem::path& home, const std::vector<std::string>& args)
    {
        int reports[2] = {-1, -1};
        EXPECT_EQ(openpty(&m_master, &m_slave, nullptr, nullptr, nullptr), 0);
        EXPECT_EQ(pipe(reports), 0);
        m_leader = fork();
        if (m_leader == 0)
        {
            close(reports[0]);
            setsid();
            ioctl(m_slave, TIOCSCTTY, 0);
            const pid_t program = fork();
            if (program == 0)
            {
                setpgid(0, 0);
                std::signal(SIGTTOU, SIG_IGN);
                tcsetpgrp(m_slave, getpid());
                std::signal(SIGTTOU, SIG_DFL);
                dup2(m_slave, STDIN_FILENO);
                dup2(m_slave, STDOUT_FILENO);
                dup2(m_slave, STDERR_FILENO);
                close(m_master);
                unsetenv("PROVIXA_PASSWORD");
                setenv("PROVIXA_HOME", home.c_str(), 1);
                std::vector<char*> argv{const_cast<char*>(PROVIXA_BINARY)};
                for (const std::string& arg : args)
                    argv.push_back(const_cast<char*>(arg.c_str()));
                argv.push_back(nullptr);
                execv(PROVIXA_BINARY, argv.data());
                _exit(127);
            }
            setpgid(program, program);
            int report[2] = {program, 0};
            if (write(reports[1], report, sizeof report) != sizeof report)
                _exit(1);
            do
            {
                if (waitpid(program, &report[1], WUNTRACED | WCONTINUED) != program ||
                    write(reports[1], report, sizeof report) != sizeof report)
                    _exit(1);
            } while (!WIFEXITED(report[1]) && !WIFSIGNALED(report[1]));
            _exit(0);
        }
        close(reports[1]);
        m_reports = reports[0];
        int first[2] = {0, 0};
        EXPECT_EQ(read(m_reports, first, sizeof first), ssize_t(sizeof first));
        m_program = first[0];
    }
    ~TerminalRun()
    {
        if (m_program > 0 && !m_ended)
            kill(m_program, SIGKILL);
        if (m_leader > 0)
            waitpid(m_leader, nullptr, 0);
        close(m_reports);
        close(m_master);
        close(m_slave);
    }
    TerminalRun(const TerminalRun&) = delete;
    TerminalRun& operator=(const TerminalRun&) = delete;

    // Reads what the program shows until `text` stands in it; false when the program ended
    // (or showed nothing for 20 seconds) first.
    bool WaitFor(const std::string& text)
    {
        while (!Contains(m_screen, text))
        {
            pollfd ready{m_master, POLLIN, 0};
            if (poll(&ready, 1, 20000) <= 0)
                return false;
            char buffer[512];
            const ssize_t got = read(m_master, buffer, sizeof buffer);
            if (got <= 0)
                return false;
            m_screen.append(buffer, static_cast<std::size_t>(got));
        }
        return true;
    }

    void Type(const std::string& keys) const
    {
        ASSERT_EQ(write(m_master, keys.data(), keys.size()), ssize_t(keys.size()));
    }

    bool Echoes() const
    {
        termios now{};
        EXPECT_EQ(tcgetattr(m_slave, &now), 0);
        return (now.c_lflag & ECHO) != 0;
    }

    // Waits for the program's next change of state (a stop, a continuation, its end): its wait
    // status.
    int Wait()
    {
        int report[2] = {0, 0};
        EXPECT_EQ(read(m_reports, report, sizeof report), ssize_t(sizeof report));
        m_ended = m_ended || WIFEXITED(report[1]) || WIFSIGNALED(report[1]);
        return report[1];
    }

    pid_t Program() const { return m_program; }
    const std::string& Screen() const { return m_screen; }

private:
    int m_master = -1;
    int m_slave = -1;
    int m_reports = -1;
    pid_t m_leader = -1;
    pid_t m_program = -1;
    bool m_ended = false;
    std::string m_screen;
};

class ProvixaTerminal : public provixa_program::ProvixaProgramTest
{
};
}  // namespace

TEST_F(ProvixaTerminal, EveryWayOutOfThePasswordPromptGivesTheTerminalBack)
{
    ASSERT_EQ(Provixa({"init"}).status, 0);
    const std::vector<std::string> oneShot = {"bus", "get", "Bnt_Badge", "--size", "0"};
    const struct
    {
        WayOut way;
        int signal;  // the signal that ends the program, 0 for an exit
        int status;  // its exit status otherwise
    } cases[] = {
        {WayOut::Interrupt, SIGINT, 0},
        {WayOut::Terminate, SIGTERM, 0},
        {WayOut::StopThenEnd, 0, 1},
        {WayOut::EndOfInput, 0, 1},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(static_cast<int>(c.way));
        TerminalRun run(m_home, oneShot);
        ASSERT_TRUE(run.WaitFor("Password: ")) << run.Screen();
        EXPECT_FALSE(run.Echoes());
        switch (c.way)
        {
        case WayOut::Interrupt:
            run.Type("\x03");
            break;
        case WayOut::Terminate:
            kill(run.Program(), SIGTERM);
            break;
        case WayOut::StopThenEnd: {
            run.Type("\x1a");
            const int stopped = run.Wait();
            ASSERT_TRUE(WIFSTOPPED(stopped));
            EXPECT_EQ(WSTOPSIG(stopped), SIGTSTP);
            // Stopped, the terminal is the person's again.
            EXPECT_TRUE(run.Echoes());
            kill(run.Program(), SIGCONT);
            EXPECT_TRUE(WIFCONTINUED(run.Wait()));
            // Continued, the prompt hides what is typed again (the handler runs once it is scheduled).
            for (int turn = 0; turn < 1000000 && run.Echoes(); ++turn)
                sched_yield();
            EXPECT_FALSE(run.Echoes());
            run.Type("\x04");
            break;
        }
        case WayOut::EndOfInput:
            run.Type("\x04");
            break;
        }
        const int status = run.Wait();
        if (c.signal != 0)
        {
            ASSERT_TRUE(WIFSIGNALED(status)) << status << "\n" << run.Screen();
            EXPECT_EQ(WTERMSIG(status), c.signal);
        }
        else
        {
            ASSERT_TRUE(WIFEXITED(status)) << status;
            EXPECT_EQ(WEXITSTATUS(status), c.status);
            run.WaitFor("\n");
            EXPECT_TRUE(run.WaitFor("no password given")) << run.Screen();
        }
        EXPECT_TRUE(run.Echoes());
    }
}

// In the shell a Ctrl-C at the password gives up that sign-in as a Ctrl-D does: the shell goes on,
// with the terminal as it was.
TEST_F(ProvixaTerminal, AShellsCtrlCAtThePasswordGivesUpTheSignInAndTheShellGoesOn)
{
    ASSERT_EQ(Provixa({"init"}).status, 0);
    TerminalRun run(m_home, {"bus", "shell"});
    run.Type("login operator\r");
    ASSERT_TRUE(run.WaitFor("Password: ")) << run.Screen();
    EXPECT_FALSE(run.Echoes());
    run.Type("\x03");
    ASSERT_TRUE(run.WaitFor("\"message\":\"no password given\"")) << run.Screen();
    EXPECT_TRUE(run.Echoes());
    run.Type("version\r");
    EXPECT_TRUE(run.WaitFor("\"product_name\"")) << run.Screen();
    run.Type("exit\r");
    const int status = run.Wait();
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_TRUE(run.Echoes());
}
