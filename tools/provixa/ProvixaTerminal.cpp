#include "tools/provixa/ProvixaTerminal.h"

#include <cerrno>
#include <csignal>
#include <iterator>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <string_view>
#include <termios.h>
#include <unistd.h>

namespace {
// Where a prompt is shown: the terminal itself, where it is seen at once whatever the error
// stream is (a file, or a writer that holds a line until it ends); else the stream given.
class PromptOutput
{
public:
    explicit PromptOutput(std::ostream& fallback)
        : m_fallback(fallback), m_terminal(::open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC))
    {
    }
    ~PromptOutput()
    {
        if (m_terminal >= 0)
            ::close(m_terminal);
    }
    PromptOutput(const PromptOutput&) = delete;
    PromptOutput& operator=(const PromptOutput&) = delete;

    void Write(std::string_view text)
    {
        if (m_terminal < 0)
        {
            m_fallback << text << std::flush;
            return;
        }
        while (!text.empty())
        {
            const ssize_t written = ::write(m_terminal, text.data(), text.size());
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return;
            text.remove_prefix(static_cast<std::size_t>(written));
        }
    }

private:
    std::ostream& m_fallback;
    const int m_terminal;
};

// The terminal's settings while a prompt waits, for the signal handlers: a handler reaches only
// static storage. One prompt at a time, on the host's one thread.
termios g_saved{};
termios g_quiet{};
volatile sig_atomic_t g_interrupted = 0;
volatile sig_atomic_t g_giveUpOnInterrupt = 0;
// The pipe a given-up answer's handler wakes the wait through (-1 without one).
volatile sig_atomic_t g_wakeRead = -1;
volatile sig_atomic_t g_wakeWrite = -1;

// The signals that end the process, and those that stop and continue it, while a prompt waits.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGQUIT, SIGHUP};

// Gives the terminal back, then ends the process by the signal as it would have ended without
// the handler (its exit status stays the signal's); in the shell a Ctrl-C gives up the answer
// instead, as a Ctrl-D does, and the read it interrupts returns.
void OnEndingSignal(int signal)
{
    if (signal == SIGINT && g_giveUpOnInterrupt != 0)
    {
        const int savedErrno = errno;
        g_interrupted = 1;
        // A full pipe has woken the wait already.
        [[maybe_unused]] const ssize_t woken = g_wakeWrite >= 0 ? ::write(g_wakeWrite, "x", 1) : 0;
        errno = savedErrno;
        return;
    }
    tcsetattr(STDIN_FILENO, TCSANOW, &g_saved);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// A stop gives the terminal back as it was while the process waits; it stops as it would have.
void OnStop(int)
{
    const int savedErrno = errno;
    tcsetattr(STDIN_FILENO, TCSANOW, &g_saved);
    std::signal(SIGTSTP, SIG_DFL);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &stop, nullptr);
    std::raise(SIGTSTP);
    // Continued: the next stop is handled again (SIGCONT turned echo off again).
    struct sigaction again = {};
    again.sa_handler = OnStop;
    again.sa_flags = SA_RESTART;
    sigemptyset(&again.sa_mask);
    sigaction(SIGTSTP, &again, nullptr);
    errno = savedErrno;
}

// Continued after a stop: the prompt still waits, so what is typed is hidden again.
void OnContinue(int)
{
    const int savedErrno = errno;
    tcsetattr(STDIN_FILENO, TCSANOW, &g_quiet);
    errno = savedErrno;
}

// Turns the echo of standard input off for its lifetime when standard input is a terminal, and
// gives the terminal back as it was on every way out: the end of the prompt, a signal that ends
// the process, a stop (echo off again when continued). Signals the process ignored (a background
// job's SIGINT) stay ignored; the previous handling of each comes back with the terminal.
class EchoOff
{
public:
    explicit EchoOff(bool giveUpOnInterrupt)
    {
        if (tcgetattr(STDIN_FILENO, &g_saved) != 0)
            return;
        g_quiet = g_saved;
        g_quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        g_interrupted = 0;
        int wake[2] = {-1, -1};
        // Without the pipe a Ctrl-C cannot wake the wait: it then ends the process, as outside
        // the shell.
        g_giveUpOnInterrupt = giveUpOnInterrupt && pipe2(wake, O_CLOEXEC | O_NONBLOCK) == 0 ? 1 : 0;
        g_wakeRead = wake[0];
        g_wakeWrite = wake[1];
        for (const int signal : kEndingSignals)
            Install(signal, OnEndingSignal, 0);
        Install(SIGTSTP, OnStop, SA_RESTART);
        Install(SIGCONT, OnContinue, SA_RESTART);
        m_active = tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_quiet) == 0;
    }
    ~EchoOff()
    {
        if (m_active)
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_saved);
        for (std::size_t i = 0; i < m_count; ++i)
            sigaction(m_signals[i], &m_previous[i], nullptr);
        for (const int end : {static_cast<int>(g_wakeRead), static_cast<int>(g_wakeWrite)})
        {
            if (end >= 0)
                ::close(end);
        }
        g_wakeRead = -1;
        g_wakeWrite = -1;
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    void Install(int signal, void (*handler)(int), int flags)
    {
        struct sigaction previous = {};
        if (sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN)
            return;
        struct sigaction action = {};
        action.sa_handler = handler;
        action.sa_flags = flags;
        sigemptyset(&action.sa_mask);
        if (sigaction(signal, &action, nullptr) != 0)
            return;
        m_signals[m_count] = signal;
        m_previous[m_count] = previous;
        ++m_count;
    }

    static constexpr std::size_t kMaxSignals = std::size(kEndingSignals) + 2;
    int m_signals[kMaxSignals] = {};
    struct sigaction m_previous[kMaxSignals] = {};
    std::size_t m_count = 0;
    bool m_active = false;
};

// Waits until a line (or the end of input) can be read from the terminal, or, in the shell, a
// Ctrl-C gave the answer up: the handler may run on any of the process's threads, so it wakes
// this wait through a pipe rather than by interrupting a read. False when the answer was given up.
bool WaitForLine(std::istream& in)
{
    if (g_giveUpOnInterrupt == 0 || in.rdbuf()->in_avail() > 0)
        return true;
    while (g_interrupted == 0)
    {
        pollfd waits[2] = {{STDIN_FILENO, POLLIN, 0}, {g_wakeRead, POLLIN, 0}};
        const int polled = poll(waits, 2, -1);
        // Any other failure is the read's to report.
        if ((polled > 0 && waits[0].revents != 0) || (polled < 0 && errno != EINTR))
            return g_interrupted == 0;
    }
    return false;
}
}  // namespace

bool ProvixaTerminal::Interactive()
{
    return isatty(STDIN_FILENO) == 1;
}

bool ProvixaTerminal::AskHidden(const std::string& text, std::istream& in, std::ostream& prompt, std::string* answer,
                                bool interruptGivesUp)
{
    PromptOutput shown(prompt);
    bool read = false;
    {
        // The prompt comes once echo is off: what is typed after it is never shown.
        const EchoOff quiet(interruptGivesUp);
        shown.Write(text);
        read = WaitForLine(in) && std::getline(in, *answer) && g_interrupted == 0;
    }
    // The typed line end was not echoed.
    shown.Write("\n");
    // A Ctrl-D (or the shell's Ctrl-C) at the prompt ends the answer, not the input: the terminal is read again
    // afterwards (the C library keeps an end of input until it is cleared).
    if (!read && Interactive())
    {
        in.clear();
        std::clearerr(stdin);
    }
    if (read && !answer->empty() && answer->back() == '\r')
        answer->pop_back();
    return read;
}
