#include "tools/provixa/ProvixaSoftwareEvents.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemServiceNamespace.h"
#include "provider/CWmipSoftwareEventProvider.h"
#include "tools/provixa/ProvixaHost.h"
#include "tools/provixa/ProvixaOutput.h"
#include "tools/provixa/ProvixaSoftwareEventProviderShell.h"
#include "tools/provixa/ProvixaText.h"

namespace {
constexpr wchar_t kLoadingUser[] = L"NT AUTHORITY\\SYSTEM";
constexpr wchar_t kLocale[] = L"MS_409";

// A whole decimal number of the type's range.
template <class Number>
bool ParseDecimal(const std::string& text, Number* value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

// The file's bytes, at most limit of them; false when it cannot be read or is longer.
bool ReadTextFile(const std::string& path, std::size_t limit, std::string* text)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    text->clear();
    char chunk[4096];
    while (file.read(chunk, sizeof chunk) || file.gcount() > 0)
    {
        text->append(chunk, static_cast<std::size_t>(file.gcount()));
        if (text->size() > limit)
            return false;
    }
    return !file.bad();
}
}  // namespace

ProvixaSoftwareEvents::ProvixaSoftwareEvents(WbemServiceNamespace& services, std::ostream& out, std::ostream& err)
    : m_services(services), m_out(out), m_err(err)
{
}

ProvixaSoftwareEvents::~ProvixaSoftwareEvents() = default;

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
        ProvixaSoftwareEventProviderShell::kEventClass, kLoadingUser, kLocale, nullptr);
    if (FAILED(hr))
    {
        m_err << ProvixaOutput::Error(hr, nullptr) << " while loading the software event provider\n";
        return hr;
    }
    m_shell = std::move(shell);
    return WBEM_S_NO_ERROR;
}

int ProvixaSoftwareEvents::Run(const ProvixaCommandLine& commandLine)
{
    if (FAILED(EnsureProvider()))
        return ProvixaHost::kRequestFailed;
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
    std::string text;
    if (!ReadTextFile(operands.at(3), kMaxTextBytes, &text))
    {
        m_err << "provixa: cannot read " << operands.at(3) << " (at most " << kMaxTextBytes << " bytes)\n";
        return ProvixaHost::kUsageError;
    }
    const LONG eventId = m_nextEventId++;
    const std::wstring wide = ProvixaText::FromUtf8(text);
    // The provider always answers 0; a dropped event shows in the provider's log.
    m_shell->Provider().ReceiveSoftwareEvent(eventId, type, transaction, flags, wide.c_str());
    ProvixaOutput::Notes(commandLine.json, m_out, m_err)
        << "Handed in: software event " << eventId << " (type " << type << ", transaction " << transaction << ", flags "
        << flags << ", " << wide.size() << " characters)\n";
    return ProvixaHost::kSuccess;
}
