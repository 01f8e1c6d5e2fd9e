#include "tools/provixa/ProvixaBatchInterruption.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <unistd.h>

#include "tools/provixa/ProvixaFailureLines.h"
#include "tools/provixa/ProvixaHost.h"

namespace {
// The longest text before or after the line number.
constexpr std::size_t kTextBytes = 512;

// One line the handler writes: the text before the line number and the text after it.
struct Template
{
    char before[kTextBytes] = {};
    std::size_t beforeSize = 0;
    char after[kTextBytes] = {};
    std::size_t afterSize = 0;
};

// The handler reaches only static storage: the texts are laid out before it is installed and
// only read while it is, and the line it names is published through lock-free atomics.
struct Interruption
{
    Template whileRunning;
    Template afterRun;
    Template beforeFirst;
    std::atomic<std::size_t> line{0};
    std::atomic<bool> running{false};
};
Interruption g_interruption;
static_assert(std::atomic<std::size_t>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

void Copy(const std::string& text, char (&into)[kTextBytes], std::size_t* size)
{
    *size = std::min(text.size(), kTextBytes);
    std::memcpy(into, text.data(), *size);
}

// Lays out the failure line `text` ('#' standing for the line number) in the form of the run.
void Lay(Template& into, const std::string& text, bool json)
{
    const std::string formed =
        json ? ProvixaFailureLines::Convert(text,
                                            [](HRESULT status) {
                                                return ProvixaHost::FailureKey(ProvixaCommandLine::FailureForm::WmiJson,
                                                                               status);
                                            })
             : text;
    const std::size_t mark = formed.find('#');
    Copy(mark == std::string::npos ? formed + "\n" : formed.substr(0, mark), into.before, &into.beforeSize);
    Copy(mark == std::string::npos ? std::string() : formed.substr(mark + 1) + "\n", into.after, &into.afterSize);
}

// Async-signal-safe: formats into its own buffer and writes it whole, then ends the process by
// the signal (the handler was reset to the default on entry).
extern "C" void ReportInterruption(int signal)
{
    const std::size_t line = g_interruption.line.load();
    const Template& text = line == 0                       ? g_interruption.beforeFirst
                           : g_interruption.running.load() ? g_interruption.whileRunning
                                                           : g_interruption.afterRun;
    char buffer[2 * kTextBytes + 24];
    std::size_t size = 0;
    std::memcpy(buffer, text.before, text.beforeSize);
    size += text.beforeSize;
    char digits[24];
    std::size_t count = 0;
    for (std::size_t rest = line; rest != 0; rest /= 10)
        digits[count++] = static_cast<char>('0' + rest % 10);
    while (count > 0)
        buffer[size++] = digits[--count];
    std::memcpy(buffer + size, text.after, text.afterSize);
    size += text.afterSize;
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, buffer, size);
    ::raise(signal);
}
}  // namespace

ProvixaBatchInterruption::ProvixaBatchInterruption(bool json)
{
    Lay(g_interruption.whileRunning, "provixa: line #: interrupted while it ran", json);
    Lay(g_interruption.afterRun, "provixa: line #: interrupted after it ran, before the next line", json);
    Lay(g_interruption.beforeFirst, "provixa: interrupted before the first line ran", json);
    g_interruption.line = 0;
    g_interruption.running = false;
    struct sigaction current = {};
    if (::sigaction(SIGINT, nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
        return;
    struct sigaction handling = {};
    handling.sa_handler = ReportInterruption;
    sigemptyset(&handling.sa_mask);
    handling.sa_flags = SA_RESETHAND;
    m_installed = ::sigaction(SIGINT, &handling, &m_previous) == 0;
}

ProvixaBatchInterruption::~ProvixaBatchInterruption()
{
    if (m_installed)
        ::sigaction(SIGINT, &m_previous, nullptr);
}

void ProvixaBatchInterruption::Reached(std::size_t line, bool running)
{
    g_interruption.line = line;
    g_interruption.running = running;
}
