#include "provider/CWmipSoftwareEventProcessor.h"
#include "framework/WMIHelper.h"
#include "provider/CWmipEventAudience.h"

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntUtility/CWMIException.h"

#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CException.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemObjectSink.h"
#include "provider/CLocalNamedPipe.h"
#include "provider/CWmipIntrinsicEventMapper.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {
constexpr wchar_t kSoftwareEventProcessorSource[] = L"wpSoftwareEventProcessor";
}  // namespace

CWmipSoftwareEventProcessor::CWmipSoftwareEventProcessor(std::shared_ptr<const CWmipEventAudience> audience)
    : m_pipe(std::make_unique<CLocalNamedPipe>()), m_audience(std::move(audience))
{
}

CWmipSoftwareEventProcessor::~CWmipSoftwareEventProcessor()
{
    // The thread reads the pipe and builds events with the mapper until it ends.
    JoinBeforeDestruction();
    m_sink = nullptr;
    m_mapper.reset();
}

HRESULT CWmipSoftwareEventProcessor::CreateMapper(IWbemServices* services, IWbemContext* context)
{
    m_mapper = std::make_unique<CWmipIntrinsicEventMapper>(context, services);
    return S_OK;
}

BOOL CWmipSoftwareEventProcessor::StartProcessing(IWbemObjectSink* sink)
{
    m_sink = ComPtr<IWbemObjectSink>(sink);
    if (!Start(kPriorityNormal, 0, 0, nullptr))
    {
        m_sink = nullptr;
        return FALSE;
    }
    return TRUE;
}

BOOL CWmipSoftwareEventProcessor::Submit(const SoftwareEventPacket& packet)
{
    const auto header = packet.EncodeHeader();
    const LONG written = m_pipe->WriteUnit(header.data(), static_cast<LONG>(header.size()), packet.Text.data(),
                                           static_cast<LONG>(packet.TextLength));
    return static_cast<DWORD>(written) == packet.TotalSize ? TRUE : FALSE;
}

UINT CWmipSoftwareEventProcessor::OnRun()
{
    CWMIDebugLog::LogInfo(kSoftwareEventProcessorSource, __LINE__, L"Software event processor thread starting...");
    m_running.store(1);
    std::vector<char16_t> text(m_textCapacity.load());
    bool running = true;
    while (running)
    {
        try
        {
            running = ReadAndProcess(text);
        }
        catch (const CException& e)
        {
            CWMIDebugLog::LogError(kSoftwareEventProcessorSource, __LINE__, L"Error in software event processor thread",
                                   E_FAIL, &e);
        }
        catch (...)
        {
            CWMIDebugLog::LogError(kSoftwareEventProcessorSource, __LINE__,
                                   L"Unspecified error in software event processor thread", E_FAIL);
        }
    }
    m_running.store(0);
    CWMIDebugLog::LogInfo(kSoftwareEventProcessorSource, __LINE__, L"Ending software event processor thread");
    return 0;
}

bool CWmipSoftwareEventProcessor::ReadAndProcess(std::vector<char16_t>& text)
{
    std::array<BYTE, SoftwareEventPacket::kHeaderSize> header{};
    const LONG read = m_pipe->Read(header.data(), static_cast<LONG>(header.size()));
    const auto decoded =
        read == static_cast<LONG>(header.size()) ? SoftwareEventPacket::DecodeHeader(header) : std::nullopt;
    if (!decoded)
    {
        CWMIDebugLog::LogError(kSoftwareEventProcessorSource, __LINE__,
                               L"Software event processor received non-standard data packet");
        return true;
    }
    SoftwareEventPacket packet = *decoded;
    if (packet.IsStop())
        return false;

    // The buffer grows by doubling and is reused, so steady traffic allocates nothing here.
    std::size_t capacity = text.size();
    while (packet.TextLength > capacity)
        capacity *= 2;
    if (capacity != text.size())
    {
        text = std::vector<char16_t>(capacity);
        m_textCapacity.store(capacity);
    }
    std::fill(text.begin(), text.end(), u'\0');

    const LONG textRead = m_pipe->Read(text.data(), static_cast<LONG>(packet.TextLength));
    if (textRead != static_cast<LONG>(packet.TextLength))
    {
        CWMIDebugLog::LogError(kSoftwareEventProcessorSource, __LINE__, L"Error reading from event queue");
        return true;
    }
    packet.Text = std::u16string_view(text.data(), packet.TextLength / 2);
    ProcessEvent(packet);
    return true;
}

void CWmipSoftwareEventProcessor::ProcessEvent(const SoftwareEventPacket& packet)
{
    EventOutcomeObserver::Report outcome(m_outcomes, packet.EventId);
    CWMIDebugLog::LogInfo(kSoftwareEventProcessorSource, __LINE__, L"Software event retrieved from queue");
    if (m_mapper == nullptr || !m_mapper->HandlesEvent(packet))
    {
        CString message;
        message.Format(L"Software event of type %d is not handled; dropped", packet.EventType);
        CWMIDebugLog::LogInfo(kSoftwareEventProcessorSource, __LINE__, message);
        return;
    }
    ComPtr<IWbemClassObject> event;
    HRESULT hr = m_mapper->MapEvent(&event, packet);
    if (FAILED(hr))
    {
        CWMIDebugLog::LogError(kSoftwareEventProcessorSource, __LINE__, L"Error while creating WMI software event", hr);
        return;
    }
    if (m_sink == nullptr)
    {
        CWMIDebugLog::LogError(kSoftwareEventProcessorSource, __LINE__, L"Error while sending software event to WMI",
                               WBEM_E_FAILED);
        return;
    }
    // The event reaches only the consumers that may read its record; each group of them gets it
    // without the values of the joined records it may not see, as its reads serve them.
    std::vector<CWmipIntrinsicEventMapper::JoinedRecord> joined;
    try
    {
        joined = m_mapper->FindJoinedRecords(*event.Get());
    }
    catch (const CWMIException& e)
    {
        CWMIDebugLog::LogError(kSoftwareEventProcessorSource, __LINE__, L"Error while creating WMI software event",
                               e.GetHResult());
        return;
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kSoftwareEventProcessorSource, __LINE__, L"Error while creating WMI software event",
                               WBEM_E_FAILED, &e);
        return;
    }
    std::map<unsigned, std::vector<BYTE>> forms = m_audience->DescriptorsBy(
        [&](IWmipUserEntry& consumer) -> std::optional<unsigned> {
            if (!m_mapper->MayRead(consumer, *event.Get()))
                return std::nullopt;
            return joined.empty() ? 0 : m_mapper->HiddenJoinedRecords(consumer, joined);
        },
        kSoftwareEventProcessorSource);
    // With no consumer to grant, the event still goes to WMI, granting nobody.
    if (forms.empty())
        forms.emplace(0,
                      m_audience->DescriptorFor([](IWmipUserEntry&) { return false; }, kSoftwareEventProcessorSource));
    bool sent = true;
    for (const auto& [hidden, descriptor] : forms)
    {
        const ComPtr<IWbemClassObject> form =
            hidden == 0 ? event : CWmipIntrinsicEventMapper::Conceal(*event.Get(), joined, hidden);
        hr = form != nullptr ? WMIHelper::PutByteArray(form.Get(), L"SECURITY_DESCRIPTOR", descriptor) : WBEM_E_FAILED;
        if (FAILED(hr))
        {
            CWMIDebugLog::LogError(kSoftwareEventProcessorSource, __LINE__, L"Error while creating WMI software event",
                                   hr);
            sent = false;
            continue;
        }
        IWbemClassObject* objects[] = {form.Get()};
        hr = m_sink->Indicate(1, objects);
        if (SUCCEEDED(hr))
            CWMIDebugLog::LogInfo(kSoftwareEventProcessorSource, __LINE__, L"Software event sent to WMI.");
        else
        {
            CWMIDebugLog::LogError(kSoftwareEventProcessorSource, __LINE__,
                                   L"Error while sending software event to WMI", hr);
            sent = false;
        }
    }
    if (sent)
        outcome.Indicated();
}

BOOL CWmipSoftwareEventProcessor::Stop()
{
    const std::array<BYTE, SoftwareEventPacket::kHeaderSize> stop{};
    m_pipe->Write(stop.data(), static_cast<LONG>(stop.size()));
    const BOOL stopped = WaitForStopped();
    if (!stopped)
        CWMIDebugLog::LogError(kSoftwareEventProcessorSource, __LINE__,
                               L"Gave up trying to stop software event processor thread");
    return stopped;
}
