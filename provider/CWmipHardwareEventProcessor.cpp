#include "provider/CWmipHardwareEventProcessor.h"

#include "framework/WMIHelper.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CException.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemObjectSink.h"
#include "provider/CWmipAccessEventMapper.h"
#include "provider/CWmipEventAudience.h"
#include "provider/CWmipFireEventMapper.h"
#include "provider/CWmipFuncExecEventMapper.h"
#include "provider/CWmipIntercomEventMapper.h"
#include "provider/CWmipOtherSecurityEventMapper.h"
#include "provider/CWmipStatusChangeEventMapper.h"
#include "provider/CWmipTransmitterEventMapper.h"
#include "provider/CWmipVideoEventMapper.h"
#include "provider/HardwareEventRules.h"

using bnt::utility::BntMessage;
using bnt::utility::BntMessageEx;
using brontel::utility::CWMIDebugLog;

namespace {
constexpr wchar_t kSource[] = L"wpevproc";

// Creation order of the mappers, and the order in which they are asked (the first that
// handles a message wins).
enum MapperSlot : std::size_t
{
    kAccess,
    kOtherSecurity,
    kIntercom,
    kFire,
    kVideo,
    kTransmitter,
    kStatusChange,
    kFunctionExecution,
};
constexpr MapperSlot kAskingOrder[] = {kAccess,       kIntercom,          kFire,         kVideo, kTransmitter,
                                       kStatusChange, kFunctionExecution, kOtherSecurity};
}  // namespace

CWmipHardwareEventProcessor::CWmipHardwareEventProcessor(std::shared_ptr<ThreadSafeQueue<BntMessageEx>> queue,
                                                         std::shared_ptr<const CWmipEventAudience> audience)
    : m_queue(std::move(queue)), m_audience(std::move(audience))
{
}

CWmipHardwareEventProcessor::~CWmipHardwareEventProcessor()
{
    // The thread pops the queue and uses the mappers and the sink until it ends.
    JoinBeforeDestruction();
    m_sink = nullptr;
    for (auto& mapper : m_mappers)
    {
        mapper.reset();
    }
}

void CWmipHardwareEventProcessor::CreateMappers(IWbemContext* context, IWbemServices* services)
{
    m_mappers[kAccess] = std::make_unique<CWmipAccessEventMapper>(context, services);
    m_mappers[kOtherSecurity] = std::make_unique<CWmipOtherSecurityEventMapper>(context, services);
    m_mappers[kIntercom] = std::make_unique<CWmipIntercomEventMapper>(context, services);
    m_mappers[kFire] = std::make_unique<CWmipFireEventMapper>(context, services);
    m_mappers[kVideo] = std::make_unique<CWmipVideoEventMapper>(context, services);
    m_mappers[kTransmitter] = std::make_unique<CWmipTransmitterEventMapper>(context, services);
    m_mappers[kStatusChange] = std::make_unique<CWmipStatusChangeEventMapper>(context, services);
    m_mappers[kFunctionExecution] = std::make_unique<CWmipFuncExecEventMapper>(context, services);
}

void CWmipHardwareEventProcessor::SetSink(IWbemObjectSink* sink)
{
    m_sink = ComPtr<IWbemObjectSink>(sink);
}

CWmipAccessEventMapper* CWmipHardwareEventProcessor::GetAccessMapper() const
{
    return static_cast<CWmipAccessEventMapper*>(m_mappers[kAccess].get());
}

UINT CWmipHardwareEventProcessor::OnRun()
{
    CWMIDebugLog::LogInfo(kSource, __LINE__, L"Hardware event processor thread starting...");
    m_running.store(1);
    while (true)
    {
        try
        {
            BntMessageEx message;
            if (!m_queue->Pop(message))
            {
                if (m_stopRequested.load())
                {
                    break;
                }
                CWMIDebugLog::LogError(kSource, __LINE__,
                                       L"Hardware event processor received non-standard data packet from the "
                                       L"Monitoring Thread.");
                continue;
            }
            EventOutcomeObserver::Report outcome(m_outcomes, static_cast<LONG>(message.Get(BntMessage::SerialNumber)));
            // Only the owner's stop request ends the thread; a record of another size, a
            // Size of 0 included, is dropped like any malformed record.
            if (const auto size = message.Get(BntMessage::Size); size != static_cast<LONGLONG>(BntMessage::kRecordSize))
            {
                CString text;
                text.Format(L"Hardware event processor dropped a record of invalid size %d", static_cast<int>(size));
                CWMIDebugLog::LogError(kSource, __LINE__, text);
                continue;
            }
            if (PassesFilter(message) && Dispatch(message))
            {
                outcome.Indicated();
            }
        }
        catch (const CException& e)
        {
            CWMIDebugLog::LogError(kSource, __LINE__, L"Error in hardware event processor thread", E_FAIL, &e);
        }
        catch (...)
        {
            CWMIDebugLog::LogError(kSource, __LINE__, L"Unspecified error in hardware event processor thread", E_FAIL);
        }
    }
    m_running.store(0);
    CWMIDebugLog::LogInfo(kSource, __LINE__, L"Ending hardware event processor thread");
    return 0;
}

bool CWmipHardwareEventProcessor::PassesFilter(const BntMessageEx& message)
{
    const LONGLONG type = message.Get(BntMessage::EventType);
    const LONGLONG subtype = message.Get(BntMessage::EventSubtype);
    switch (message.Get(BntMessage::MessageType))
    {
    case BntMessage::kEventMessage:
        return !(type == kEventTypeSuppressed && subtype == 3);
    case BntMessage::kSecondEventMessage:
        return !(type == kEventTypeVideo && subtype == 0);
    case BntMessage::kStatusMessage:
        return true;
    default:
        CWMIDebugLog::LogError(kSource, __LINE__, L"Hardware event processor received invalid message type");
        return false;
    }
}

bool CWmipHardwareEventProcessor::Dispatch(const BntMessageEx& message)
{
    for (const MapperSlot slot : kAskingOrder)
    {
        CWmipEventMapper* mapper = m_mappers[slot].get();
        if (mapper == nullptr || !mapper->HandlesEvent(message))
        {
            continue;
        }
        ComPtr<IWbemClassObject> event;
        HRESULT hr = mapper->MapEvent(&event, message);
        if (FAILED(hr))
        {
            CWMIDebugLog::LogError(kSource, __LINE__, L"Error while creating WMI hardware event", hr);
            return false;
        }
        // An event goes only to the subscribers that may see its panel's segment, whatever
        // their queries name; one of no known segment only to those who see every segment.
        LONG segment = -1;
        if (FAILED(WMIHelper::GetNumber(event.Get(), L"SegmentID", segment)))
        {
            segment = -1;
        }
        hr = WMIHelper::PutByteArray(event.Get(), L"SECURITY_DESCRIPTOR", m_audience->DescriptorFor(segment, kSource));
        if (FAILED(hr) || m_sink == nullptr)
        {
            CWMIDebugLog::LogError(kSource, __LINE__, L"Error while sending hardware event to WMI",
                                   FAILED(hr) ? hr : WBEM_E_FAILED);
            return false;
        }
        IWbemClassObject* objects[] = {event.Get()};
        hr = m_sink->Indicate(1, objects);
        if (SUCCEEDED(hr))
        {
            CWMIDebugLog::LogInfo(kSource, __LINE__, L"Hardware event sent to WMI.");
        }
        else
        {
            CWMIDebugLog::LogError(kSource, __LINE__, L"Error while sending hardware event to WMI", hr);
        }
        return SUCCEEDED(hr);
    }
    CString text;
    text.Format(L"Event %d is not exposed through the hardware event provider",
                static_cast<int>(message.Get(BntMessage::SerialNumber)));
    CWMIDebugLog::LogInfo(kSource, __LINE__, text);
    return false;
}

BOOL CWmipHardwareEventProcessor::Stop()
{
    m_stopRequested.store(true);
    m_queue->Interrupt();
    return WaitForStopped();
}
