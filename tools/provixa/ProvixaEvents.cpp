#include "tools/provixa/ProvixaEvents.h"

#include <array>
#include <charconv>
#include <condition_variable>
#include <mutex>
#include <span>

#include "platform/win32/ThreadSafety.h"
#include "platform/com/BstrOwner.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemErrorInfo.h"
#include "platform/wmi/WbemName.h"
#include "platform/wmi/WbemObjectSinkBase.h"
#include "platform/wmi/WbemSecurityEventClasses.h"
#include "platform/wmi/WbemServiceNamespace.h"
#include "hardware/BntMessage.h"
#include "provider/CWmipHardwareEventProcessor.h"
#include "provider/CWmipHardwareEventProvider.h"
#include "tools/provixa/ProvixaEventProviderShell.h"
#include "tools/provixa/ProvixaHost.h"
#include "tools/provixa/ProvixaOutput.h"
#include "tools/provixa/ProvixaText.h"

using bnt::utility::BntMessage;

struct ProvixaEvents::Inbox
{
    CheckedMutex lock;
    // The texts of the events not printed yet.
    std::vector<std::string> arrived GUARDED_BY(lock);
};

namespace {
constexpr wchar_t kLoadingUser[] = L"NT AUTHORITY\\SYSTEM";
constexpr wchar_t kLocale[] = L"MS_409";

constexpr char kHardwareEventsRefused[] =
    "this account may not watch these events: it needs the permission to use the provider and, while "
    "segments are in use, view access to the segment of every panel the query selects (narrow it, e.g. "
    "WHERE PanelID = 1)";
constexpr char kRecordChangesRefused[] =
    "this account may not watch these record changes: it needs the permission to use the provider, view "
    "permission on each class the query names and, while those records are segmented, access to every segment";

// A consumer's sink: keeps the text of each event for the host's thread to print.
class WatchSink final : public WbemObjectSinkBase<WatchSink>
{
public:
    WatchSink(std::shared_ptr<ProvixaEvents::Inbox> inbox, int number, bool json)
        : m_inbox(std::move(inbox)), m_number(number), m_json(json)
    {
    }

    HRESULT Indicate(LONG count, IWbemClassObject** objects) override
    {
        const HRESULT checked = CheckObjects(count, objects);
        if (FAILED(checked))
            return checked;
        for (LONG i = 0; i < count; ++i)
        {
            // As JSON each event is one object on its own line, so the output stays JSON.
            std::string text =
                m_json
                    ? "{\"watch\":" + std::to_string(m_number) + ",\"event\":" + ProvixaOutput::Json(objects[i]) + "}\n"
                    : "Event (watch " + std::to_string(m_number) + "):\n" + ProvixaOutput::Text(objects[i]);
            const CheckedMutexLock guard(m_inbox->lock);
            m_inbox->arrived.push_back(std::move(text));
        }
        return WBEM_S_NO_ERROR;
    }
    HRESULT SetStatus(LONG, HRESULT, BSTR, IWbemClassObject*) override { return WBEM_S_NO_ERROR; }

private:
    friend class RefCounted<WatchSink, IWbemObjectSink>;
    ~WatchSink() = default;

    const std::shared_ptr<ProvixaEvents::Inbox> m_inbox;
    const int m_number;
    const bool m_json;
};

// A decimal or 0x hexadecimal number that fits 64 bits (signed or unsigned); false otherwise.
bool ParseNumber(const std::string& text, LONGLONG* value)
{
    const bool negative = !text.empty() && text[0] == '-';
    std::string_view digits(text);
    if (negative)
        digits.remove_prefix(1);
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
    {
        digits.remove_prefix(2);
        base = 16;
    }
    ULONGLONG magnitude = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        return false;
    if (negative && magnitude > (1ULL << 63))
        return false;
    *value = negative ? static_cast<LONGLONG>(0 - magnitude) : static_cast<LONGLONG>(magnitude);
    return true;
}

// The bytes of a hexadecimal text (an even number of digits, at most maxBytes bytes).
bool ParseHex(const std::string& text, std::size_t maxBytes, std::vector<BYTE>* bytes)
{
    if (text.size() % 2 != 0 || text.size() / 2 > maxBytes)
        return false;
    bytes->clear();
    for (std::size_t i = 0; i < text.size(); i += 2)
    {
        BYTE byte = 0;
        const auto [end, error] = std::from_chars(text.data() + i, text.data() + i + 2, byte, 16);
        if (error != std::errc() || end != text.data() + i + 2)
            return false;
        bytes->push_back(byte);
    }
    return true;
}

// "U32@56" and the like: the width in bytes and the offset; false for any other name. An offset
// whose field would end past the record is refused with *error.
bool ParseRawField(const std::string& name, std::size_t* width, std::size_t* offset, std::string* error)
{
    const std::size_t at = name.find('@');
    if (at == std::string::npos)
        return false;
    const std::string kind = name.substr(0, at);
    if (kind == "U8" || kind == "u8")
        *width = 1;
    else if (kind == "U16" || kind == "u16")
        *width = 2;
    else if (kind == "U32" || kind == "u32")
        *width = 4;
    else if (kind == "U64" || kind == "u64")
        *width = 8;
    else
        return false;
    const char* first = name.data() + at + 1;
    const char* last = name.data() + name.size();
    const auto [end, status] = std::from_chars(first, last, *offset);
    if (first == last || status != std::errc() || end != last)
        return false;
    if (*offset > BntMessage::kRecordSize || *width > BntMessage::kRecordSize - *offset)
        *error = name + " lies beyond the " + std::to_string(BntMessage::kRecordSize) + "-byte record (offsets 0 to " +
                 std::to_string(BntMessage::kRecordSize - *width) + " for " + std::to_string(*width) + " bytes)";
    return true;
}

// Whether the number fits a field of `width` bytes, signed or not.
bool FitsWidth(LONGLONG number, std::size_t width, bool isSigned)
{
    if (width >= 8)
        return true;
    const int bits = static_cast<int>(width * 8);
    const LONGLONG lowest = isSigned ? -(1LL << (bits - 1)) : 0;
    const LONGLONG highest = isSigned ? (1LL << (bits - 1)) - 1 : (1LL << bits) - 1;
    return number >= lowest && number <= highest;
}

// What a hwevent command hands in.
struct HandedRecord
{
    BntMessage message;
    std::vector<BYTE> raw;  // the Record=HEX bytes; empty when the record is built from fields
    std::wstring text;
    std::wstring hostName;
    LONG alarmId = 0;
};

bool BuildRecord(const ProvixaCommandLine& commandLine, HandedRecord* record, std::string* error)
{
    bool fieldsSet = false;
    for (const auto& [name, value] : commandLine.assignments)
    {
        LONGLONG number = 0;
        std::size_t width = 0;
        std::size_t offset = 0;
        if (name == "Text")
        {
            record->text = ProvixaText::FromUtf8(value);
        }
        else if (name == "HostName")
        {
            record->hostName = ProvixaText::FromUtf8(value);
        }
        else if (name == "Record")
        {
            if (!ParseHex(value, ProvixaEvents::kMaxRecordBytes, &record->raw))
            {
                *error = "Record takes an even number of hexadecimal digits, at most " +
                         std::to_string(ProvixaEvents::kMaxRecordBytes) + " bytes";
                return false;
            }
        }
        else if (!ParseNumber(value, &number))
        {
            *error = "not a number: " + name + "=" + value;
            return false;
        }
        else if (name == "AlarmID")
        {
            record->alarmId = static_cast<LONG>(number);
        }
        else if (ParseRawField(name, &width, &offset, error))
        {
            if (!error->empty())
                return false;
            // A raw field takes any bit pattern of its width, so a negative value is allowed.
            if (!FitsWidth(number, width, false) && !FitsWidth(number, width, true))
            {
                *error =
                    name + "=" + value + " does not fit " + std::to_string(width) + " byte" + (width == 1 ? "" : "s");
                return false;
            }
            std::array<BYTE, 8> bytes{};
            for (std::size_t i = 0; i < width; ++i)
                bytes[i] = static_cast<BYTE>(static_cast<ULONGLONG>(number) >> (8 * i));
            record->message.WriteBytes(offset, std::span<const BYTE>(bytes.data(), width));
            fieldsSet = true;
        }
        else if (const auto* field = BntMessage::FindField(ProvixaText::FromUtf8(name)))
        {
            if (!FitsWidth(number, field->width, field->isSigned))
            {
                *error = name + "=" + value + " does not fit the field (" + std::to_string(field->width) + " bytes, " +
                         (field->isSigned ? "signed" : "unsigned") + ")";
                return false;
            }
            record->message.Set(*field, number);
            fieldsSet = true;
        }
        else
        {
            *error = "unknown record field " + name;
            return false;
        }
    }
    if (!record->raw.empty() && fieldsSet)
    {
        *error = "Record cannot be combined with record fields";
        return false;
    }
    // HasText follows the text unless the record was given whole.
    if (record->raw.empty())
        record->message.SetText(CString(record->text.c_str()));
    return true;
}
}  // namespace

ProvixaEvents::ProvixaEvents(WbemServiceNamespace& services, std::ostream& out, std::ostream& err)
    : m_services(services), m_out(out), m_err(err), m_inbox(std::make_shared<Inbox>()),
      m_pending(std::make_shared<ProvixaPendingRecords>())
{
}

ProvixaEvents::~ProvixaEvents()
{
    for (const ComPtr<IWbemObjectSink>& watch : m_watches)
        m_services.CancelAsyncCall(watch.Get());
    PrintArrived();
}

bool ProvixaEvents::Handles(ProvixaCommandLine::Command command)
{
    return command == ProvixaCommandLine::Command::Watch || command == ProvixaCommandLine::Command::HwEvent ||
           command == ProvixaCommandLine::Command::Wait;
}

int ProvixaEvents::Run(const ProvixaCommandLine& commandLine)
{
    PrintArrived();
    const HRESULT hr = EnsureProvider();
    if (FAILED(hr))
    {
        m_err << ProvixaOutput::Error(hr, nullptr) << " while loading the hardware event provider\n";
        return ProvixaHost::kRequestFailed;
    }
    switch (commandLine.command)
    {
    case ProvixaCommandLine::Command::Watch:
        return Watch(commandLine);
    case ProvixaCommandLine::Command::HwEvent:
        return HandIn(commandLine);
    default:
        return Wait(commandLine);
    }
}

HRESULT ProvixaEvents::EnsureProvider()
{
    if (m_shell != nullptr)
        return WBEM_S_NO_ERROR;
    // The event classes are in the repository from the start (ProvixaSchemaLoader).
    ComPtr<ProvixaEventProviderShell> shell = ProvixaEventProviderShell::Create();
    const HRESULT hr = m_services.RegisterEventProvider(
        ProvixaEventProviderShell::kProviderId, static_cast<IWbemProviderInit*>(shell.Get()),
        WbemSecurityEventClasses::kRootClass, kLoadingUser, kLocale, nullptr);
    if (FAILED(hr))
        return hr;
    m_shell = std::move(shell);
    if (CWmipHardwareEventProcessor* processor = m_shell->Provider().GetProcessor())
        processor->SetOutcomeObserver([pending = m_pending](LONG, bool, bool) { pending->Finished(); });
    return WBEM_S_NO_ERROR;
}

int ProvixaEvents::Watch(const ProvixaCommandLine& commandLine)
{
    const int number = static_cast<int>(m_watches.size()) + 1;
    const ComPtr<IWbemObjectSink> sink = MakeComObject<WatchSink>(m_inbox, number, commandLine.json);
    const std::string& query = commandLine.operands.at(0);
    const BstrOwner language = BstrOwner::Copy(L"WQL");
    const BstrOwner text = BstrOwner::Copy(ProvixaText::FromUtf8(query).c_str());
    const HRESULT hr = m_services.ExecNotificationQueryAsync(language.Get(), text.Get(), 0, nullptr, sink.Get());
    if (FAILED(hr))
    {
        const ComPtr<IWbemClassObject> status = WbemErrorInfo::Take();
        m_err << ProvixaOutput::Error(hr, status.Get());
        // The providers' access checks answer with a code alone; what they check is known.
        if (hr == WBEM_E_ACCESS_DENIED && ProvixaOutput::Reason(status.Get()).empty())
            m_err << ": "
                  << (WbemName::Upper(ProvixaText::FromUtf8(query)).find(L"__INSTANCE") != std::wstring::npos
                          ? kRecordChangesRefused
                          : kHardwareEventsRefused);
        m_err << "\n";
        return ProvixaHost::kRequestFailed;
    }
    m_watches.push_back(sink);
    ProvixaOutput::Notes(commandLine.json, m_out, m_err) << "Watching (watch " << number << "): " << query << "\n";
    return ProvixaHost::kSuccess;
}

int ProvixaEvents::HandIn(const ProvixaCommandLine& commandLine)
{
    HandedRecord record;
    std::string error;
    if (!BuildRecord(commandLine, &record, &error))
    {
        m_err << "provixa: " << error << "\n";
        return ProvixaHost::kUsageError;
    }
    const bool raw = !record.raw.empty();
    const std::span<const BYTE> bytes = raw ? std::span<const BYTE>(record.raw) : record.message.Record();
    const std::string size = std::to_string(BntMessage::kRecordSize);
    const std::string holds =
        "the record holds " + std::to_string(bytes.size()) + (bytes.size() == 1 ? " byte" : " bytes");
    // The provider reads the first record of a longer buffer and drops the rest unseen: a hwevent
    // hands in one record, so the bytes beyond it are refused rather than lost.
    if (bytes.size() > BntMessage::kRecordSize)
    {
        m_err << "provixa: " << holds << "; a hwevent hands in one " << size
              << "-byte record: give each record a hwevent of its own\n";
        return ProvixaHost::kRequestFailed;
    }
    const HRESULT hr = HandToProvider(bytes, record.text, record.hostName, record.alarmId);
    if (FAILED(hr))
    {
        m_err << ProvixaOutput::Error(hr, WbemErrorInfo::Take().Get());
        if (bytes.size() < BntMessage::kRecordSize)
            m_err << ": " << holds << "; the provider takes only whole " << size << "-byte records";
        m_err << "\n";
        return ProvixaHost::kRequestFailed;
    }
    const BntMessage handed(bytes.first<BntMessage::kRecordSize>(), CString(record.text.c_str()));
    ProvixaOutput::Notes(commandLine.json, m_out, m_err)
        << "Handed in: " << ProvixaText::ToUtf8(handed.ToString().GetString()) << "\n";
    return ProvixaHost::kSuccess;
}

void ProvixaEvents::Relay(std::span<const BYTE> record, const std::wstring& text)
{
    if (m_shell != nullptr)
        HandToProvider(record, text, L"", 0);
}

HRESULT ProvixaEvents::HandToProvider(std::span<const BYTE> record, const std::wstring& text,
                                      const std::wstring& hostName, LONG alarmId)
{
    m_pending->HandingIn();
    const HRESULT hr = m_shell->Provider().ReceiveHardwareEvent(static_cast<DWORD>(record.size()), record.data(),
                                                                text.c_str(), hostName.c_str(), alarmId);
    if (FAILED(hr))
        m_pending->Refused();
    return hr;
}

int ProvixaEvents::Wait(const ProvixaCommandLine& commandLine)
{
    LONGLONG milliseconds = kDefaultWaitMs;
    if (!commandLine.operands.empty() &&
        (!ParseNumber(commandLine.operands[0], &milliseconds) || milliseconds < 0 || milliseconds > kMaxWaitMs))
    {
        m_err << "provixa: wait takes a number of milliseconds from 0 to " << kMaxWaitMs << "\n";
        return ProvixaHost::kUsageError;
    }
    const std::uint64_t unfinished = m_pending->WaitForAll(std::chrono::milliseconds(milliseconds));
    PrintArrived();
    if (unfinished != 0)
        m_err << "provixa: warning: after " << milliseconds << " ms " << unfinished
              << " of the records handed in are not processed yet; a later wait or the end of the batch prints "
                 "their events\n";
    return ProvixaHost::kSuccess;
}

void ProvixaEvents::PrintArrived()
{
    std::vector<std::string> arrived;
    {
        const CheckedMutexLock guard(m_inbox->lock);
        arrived.swap(m_inbox->arrived);
    }
    for (const std::string& text : arrived)
        m_out << text;
    m_out.flush();
}
