#include "tools/provixa/ProvixaSoftwareEvents.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <mutex>
#include <string>
#include <utility>

#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemServiceNamespace.h"
#include "provider/CWmipSoftwareEventProcessor.h"
#include "provider/CWmipSoftwareEventProvider.h"
#include "tools/provixa/ProvixaHost.h"
#include "tools/provixa/ProvixaOutput.h"
#include "tools/provixa/ProvixaSoftwareEventProviderShell.h"
#include "tools/provixa/ProvixaText.h"

struct ProvixaSoftwareEvents::Outcomes
{
    // What became of an event: indicated, or dropped with its reason in the log or not.
    struct Outcome
    {
        bool indicated = false;
        bool errorLogged = false;
    };
    std::mutex lock;
    std::condition_variable reported;
    std::map<LONG, Outcome> reports;
};

namespace {
constexpr wchar_t kSoftwareEventsLoadingUser[] = L"NT AUTHORITY\\SYSTEM";
constexpr wchar_t kSoftwareEventsLocale[] = L"MS_409";

// A whole decimal number of the type's range.
template <class Number>
bool ParseDecimal(const std::string& text, Number* value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

// The file's bytes, at most limit of them; false with *error when it cannot be read (the
// system's reason) or is longer.
bool ReadTextFile(const std::string& path, std::size_t limit, std::string* text, std::string* error)
{
    errno = 0;
    std::ifstream file(path, std::ios::binary);
    if (!file)
    {
        *error = ProvixaText::FileFailure(errno);
        return false;
    }
    text->clear();
    char chunk[4096];
    while (file.read(chunk, sizeof chunk) || file.gcount() > 0)
    {
        text->append(chunk, static_cast<std::size_t>(file.gcount()));
        if (text->size() > limit)
        {
            *error = "it holds more than " + std::to_string(limit) + " bytes";
            return false;
        }
    }
    if (file.bad())
        *error = ProvixaText::FileFailure(errno, "it cannot be read");
    return !file.bad();
}
}  // namespace

ProvixaSoftwareEvents::ProvixaSoftwareEvents(WbemServiceNamespace& services, std::ostream& out, std::ostream& err,
                                             std::shared_ptr<ProvixaPendingRecords> pending)
    : m_services(services), m_out(out), m_err(err), m_outcomes(std::make_shared<Outcomes>()),
      m_pending(std::move(pending))
{
}

ProvixaSoftwareEvents::~ProvixaSoftwareEvents()
{
    if (m_shell != nullptr && m_shell->Provider().GetProcessor() != nullptr)
        m_shell->Provider().GetProcessor()->SetOutcomeObserver({});
}

bool ProvixaSoftwareEvents::Handles(ProvixaCommandLine::Command command)
{
    return command == ProvixaCommandLine::Command::SwEvent;
}

HRESULT ProvixaSoftwareEvents::EnsureProvider()
{
    if (m_shell != nullptr)
        return WBEM_S_NO_ERROR;
    ComPtr<ProvixaSoftwareEventProviderShell> shell = ProvixaSoftwareEventProviderShell::Create();
    const HRESULT hr = m_services.RegisterEventProvider(
        ProvixaSoftwareEventProviderShell::kProviderId, static_cast<IWbemProviderInit*>(shell.Get()),
        ProvixaSoftwareEventProviderShell::kEventClass, kSoftwareEventsLoadingUser, kSoftwareEventsLocale, nullptr);
    if (FAILED(hr))
    {
        m_err << ProvixaOutput::Error(hr, nullptr) << " while loading the software event provider\n";
        return hr;
    }
    m_shell = std::move(shell);
    if (CWmipSoftwareEventProcessor* processor = m_shell->Provider().GetProcessor())
        processor->SetOutcomeObserver(
            [outcomes = m_outcomes, pending = m_pending](LONG eventId, bool indicated, bool errorLogged) {
                // Counted as processed before the waiting command is woken: a "wait" right after it
                // would otherwise still find this event pending.
                pending->Finished();
                {
                    const std::lock_guard<std::mutex> guard(outcomes->lock);
                    outcomes->reports[eventId] = Outcomes::Outcome{indicated, errorLogged};
                }
                outcomes->reported.notify_all();
            });
    return WBEM_S_NO_ERROR;
}

int ProvixaSoftwareEvents::Run(const ProvixaCommandLine& commandLine)
{
    SHORT type = 0;
    SHORT transaction = 0;
    LONG flags = 0;
    const std::vector<std::string>& operands = commandLine.operands;
    if (!ParseDecimal(operands.at(0), &type) || !ParseDecimal(operands.at(1), &transaction) ||
        !ParseDecimal(operands.at(2), &flags))
    {
        m_err << "provixa: swevent takes TYPE, TRANSACTION and FLAGS as decimal numbers\n";
        return ProvixaHost::kUsageError;
    }
    if (FAILED(EnsureProvider()))
        return ProvixaHost::kRequestFailed;
    std::string text;
    std::string error;
    if (!ReadTextFile(operands.at(3), kMaxTextBytes, &text, &error))
    {
        m_err << "provixa: cannot read " << operands.at(3) << ": " << error << "\n";
        return ProvixaHost::kRequestFailed;
    }
    const LONG eventId = m_nextEventId++;
    const std::wstring wide = ProvixaText::FromUtf8(text);
    // The provider always answers 0; its processor says whether the event became a WMI event.
    m_pending->HandingIn();
    m_shell->Provider().ReceiveSoftwareEvent(eventId, type, transaction, flags, wide.c_str());
    std::optional<Outcomes::Outcome> outcome;
    {
        std::unique_lock<std::mutex> guard(m_outcomes->lock);
        m_outcomes->reported.wait_for(guard, std::chrono::milliseconds(kOutcomeWaitMs),
                                      [&] { return m_outcomes->reports.count(eventId) != 0; });
        if (const auto found = m_outcomes->reports.find(eventId); found != m_outcomes->reports.end())
        {
            outcome = found->second;
            m_outcomes->reports.erase(found);
        }
    }
    const std::string described = "software event " + std::to_string(eventId) + " (type " + std::to_string(type) +
                                  ", transaction " + std::to_string(transaction) + ", flags " + std::to_string(flags) +
                                  ", " + std::to_string(wide.size()) + " characters)";
    // The log is named only where the provider wrote the cause there.
    if (!outcome)
    {
        m_err << "provixa: " << described << " was not processed in time\n";
        return ProvixaHost::kRequestFailed;
    }
    if (!outcome->indicated)
    {
        m_err << "provixa: " << described
              << " was dropped by the provider: it takes record types 1 to 8, transactions 1 to 3 and XML with the "
                 "record's data"
              << (outcome->errorLogged ? "; " + std::string(ProvixaOutput::kLogNamesCause) : std::string()) << "\n";
        return ProvixaHost::kRequestFailed;
    }
    ProvixaOutput::Notes(commandLine.json, m_out, m_err) << "Handed in: " << described << "\n";
    return ProvixaHost::kSuccess;
}
