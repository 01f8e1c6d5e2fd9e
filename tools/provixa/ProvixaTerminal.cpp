#include "tools/provixa/ProvixaTerminal.h"

#include <termios.h>
#include <unistd.h>

namespace {
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
    prompt << text << std::flush;
    bool read = false;
    {
        const EchoOff quiet;
        read = static_cast<bool>(std::getline(in, *answer));
    }
    // The typed line end was not echoed.
    prompt << "\n" << std::flush;
    if (read && !answer->empty() && answer->back() == '\r')
        answer->pop_back();
    return read;
}
