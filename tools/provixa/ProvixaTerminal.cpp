#include "tools/provixa/ProvixaTerminal.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
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

// Turns the echo of standard input off for its lifetime when standard input is a terminal.
class EchoOff
{
public:
    EchoOff()
    {
        if (tcgetattr(STDIN_FILENO, &m_saved) != 0)
            return;
        termios quiet = m_saved;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        m_active = tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff()
    {
        if (m_active)
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &m_saved);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    termios m_saved{};
    bool m_active = false;
};
}  // namespace

bool ProvixaTerminal::Interactive()
{
    return isatty(STDIN_FILENO) == 1;
}

bool ProvixaTerminal::AskHidden(const std::string& text, std::istream& in, std::ostream& prompt, std::string* answer)
{
    PromptOutput shown(prompt);
    bool read = false;
    {
        // The prompt comes once echo is off: what is typed after it is never shown.
        const EchoOff quiet;
        shown.Write(text);
        read = static_cast<bool>(std::getline(in, *answer));
    }
    // The typed line end was not echoed.
    shown.Write("\n");
    // A Ctrl-D at the prompt ends the answer, not the input: the terminal is read again
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
