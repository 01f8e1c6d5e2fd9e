#include "provider/CWmipHardwareEventProcessor.h"

#include <iterator>
#include <map>
#include <optional>
#include <vector>

#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipSegmentSourceFilter.h"
#include "framework/IWmipUserEntry.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CException.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemObjectSink.h"
#include "platform/wmi/WbemClassObject.h"
#include "provider/CWmipAccessEventMapper.h"
#include "provider/CWmipEventAudience.h"
#include "provider/CWmipEventSubscriber.h"
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
constexpr wchar_t kHardwareEventProcessorSource[] = L"wpevproc";

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

// A record an event names besides its panel: the event's property that holds its key (inside the
// embedded object the property holds, under embeddedKey, when that is set), its class and the
// key's name there. A subscriber that may not see it is served what the event carries when the
// record is missing: an alarm without values, no area.
struct NamedRecord
{
    const wchar_t* property;
    const wchar_t* embeddedKey;
    const wchar_t* className;
    const wchar_t* key;
};
constexpr NamedRecord kNamedRecords[] = {
    {L"Alarm", L"ID", L"Bnt_AlarmDefinition", L"ID"},
    {L"AreaEnteredID", nullptr, L"Bnt_Area", L"ID"},
    {L"AreaExitedID", nullptr, L"Bnt_Area", L"ID"},
};

ComPtr<IWbemClassObject> Embedded(IWbemClassObject* object, const wchar_t* property)
{
    _variant_t value;
    ComPtr<IWbemClassObject> embedded;
    if (SUCCEEDED(object->Get(property, 0, &value, nullptr, nullptr)) && value.vt == VT_UNKNOWN &&
        value.punkVal != nullptr)
        value.punkVal->QueryInterface(IWbemClassObject::kIID, reinterpret_cast<void**>(&embedded));
    return embedded;
}

// The named record as an instance of its class holding only its key, which the class's segment
// sources judge by its stored row; null when the event names none.
ComPtr<IWbemClassObject> KeyInstance(IWbemClassObject* event, const NamedRecord& record)
{
    const ComPtr<IWbemClassObject> embedded =
        record.embeddedKey != nullptr ? Embedded(event, record.property) : nullptr;
    IWbemClassObject* holder = record.embeddedKey != nullptr ? embedded.Get() : event;
    LONG key = 0;
    ComPtr<IWbemClassObject> recordClass;
    ComPtr<IWbemClassObject> instance;
    if (holder == nullptr ||
        FAILED(
            WMIHelper::GetNumber(holder, record.embeddedKey != nullptr ? record.embeddedKey : record.property, key)) ||
        FAILED(CreateWbemClass(record.className, nullptr, &recordClass)) ||
        FAILED(recordClass->Put(record.key, 0, nullptr, CIM_SINT32)) ||
        FAILED(recordClass->SpawnInstance(0, &instance)) ||
        FAILED(WMIHelper::PutNumber(instance.Get(), record.key, key)))
        return nullptr;
    return instance;
}

// True when the user may see the record by its class's segment sources; a failed read counts as
// not (logged).
bool MaySee(const CAcsUser& user, const NamedRecord& record, IWbemClassObject& instance)
{
    const CWMITypeInfo* type = CWmipMapperRegistry::Instance()->GetTypeInfo(record.className, true);
    try
    {
        return type != nullptr && CWmipSegmentSourceFilter::Admits(user, *type, instance, user.GetDatabase());
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kHardwareEventProcessorSource, __LINE__,
                               L"Unable to read whether a subscriber may see a record of an event.", WBEM_E_FAILED, &e);
        return false;
    }
}

// A copy of the event without the named records whose bits withheld sets; null on failure.
ComPtr<IWbemClassObject> Withhold(IWbemClassObject* event, unsigned withheld)
{
    ComPtr<IWbemClassObject> copy;
    if (FAILED(event->Clone(&copy)))
        return nullptr;
    for (std::size_t i = 0; i < std::size(kNamedRecords); ++i)
    {
        if ((withheld & (1u << i)) == 0)
            continue;
        const NamedRecord& record = kNamedRecords[i];
        if (record.embeddedKey == nullptr)
        {
            _variant_t none;
            none.vt = VT_NULL;
            if (FAILED(copy->Put(record.property, 0, &none, 0)))
                return nullptr;
            continue;
        }
        // The embedded object keeps its class and loses every value.
        ComPtr<IWbemClassObject> emptied;
        const ComPtr<IWbemClassObject> embedded = Embedded(copy.Get(), record.property);
        if (embedded == nullptr || FAILED(embedded->Clone(&emptied)) ||
            FAILED(emptied->BeginEnumeration(WBEM_FLAG_NONSYSTEM_ONLY)))
            return nullptr;
        std::vector<CString> names;
        for (BSTR name = nullptr; emptied->Next(0, &name, nullptr, nullptr, nullptr) == WBEM_S_NO_ERROR;)
        {
            names.emplace_back(name);
            SysFreeString(name);
        }
        emptied->EndEnumeration();
        for (const CString& name : names)
        {
            _variant_t none;
            none.vt = VT_NULL;
            if (FAILED(emptied->Put(name, 0, &none, 0)))
                return nullptr;
        }
        if (FAILED(WMIHelper::PutObject(copy.Get(), record.property, emptied.Get())))
            return nullptr;
    }
    return copy;
}
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
    CWMIDebugLog::LogInfo(kHardwareEventProcessorSource, __LINE__, L"Hardware event processor thread starting...");
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
                CWMIDebugLog::LogError(kHardwareEventProcessorSource, __LINE__,
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
                CWMIDebugLog::LogError(kHardwareEventProcessorSource, __LINE__, text);
                continue;
            }
            if (PassesFilter(message) && Dispatch(message))
            {
                outcome.Indicated();
            }
        }
        catch (const CException& e)
        {
            CWMIDebugLog::LogError(kHardwareEventProcessorSource, __LINE__, L"Error in hardware event processor thread",
                                   E_FAIL, &e);
        }
        catch (...)
        {
            CWMIDebugLog::LogError(kHardwareEventProcessorSource, __LINE__,
                                   L"Unspecified error in hardware event processor thread", E_FAIL);
        }
    }
    m_running.store(0);
    CWMIDebugLog::LogInfo(kHardwareEventProcessorSource, __LINE__, L"Ending hardware event processor thread");
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
        CWMIDebugLog::LogError(kHardwareEventProcessorSource, __LINE__,
                               L"Hardware event processor received invalid message type");
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
            CWMIDebugLog::LogError(kHardwareEventProcessorSource, __LINE__, L"Error while creating WMI hardware event",
                                   hr);
            return false;
        }
        return Indicate(event.Get());
    }
    CString text;
    text.Format(L"Event %d is not exposed through the hardware event provider",
                static_cast<int>(message.Get(BntMessage::SerialNumber)));
    CWMIDebugLog::LogInfo(kHardwareEventProcessorSource, __LINE__, text);
    return false;
}

bool CWmipHardwareEventProcessor::Indicate(IWbemClassObject* event)
{
    // An event goes only to the subscribers that may see its panel's segment, whatever their
    // queries name; one of no known segment only to those who see every segment. Each of them
    // gets it without the named records it may not see.
    LONG segment = -1;
    if (FAILED(WMIHelper::GetNumber(event, L"SegmentID", segment)))
    {
        segment = -1;
    }
    std::vector<ComPtr<IWbemClassObject>> named;
    for (const NamedRecord& record : kNamedRecords)
    {
        named.push_back(KeyInstance(event, record));
    }
    std::map<unsigned, std::vector<BYTE>> forms = m_audience->DescriptorsBy(
        [&](IWmipUserEntry& consumer) -> std::optional<unsigned> {
            const CAcsUser& user = *consumer.GetUser();
            if (!CWmipEventSubscriber::MaySeeSegment(user, segment))
                return std::nullopt;
            unsigned withheld = 0;
            for (std::size_t i = 0; i < named.size(); ++i)
            {
                if (named[i] != nullptr && !MaySee(user, kNamedRecords[i], *named[i].Get()))
                    withheld |= 1u << i;
            }
            return withheld;
        },
        kHardwareEventProcessorSource);
    // With no subscriber to grant, the event still goes to WMI, granting nobody.
    if (forms.empty())
    {
        forms.emplace(0,
                      m_audience->DescriptorFor([](IWmipUserEntry&) { return false; }, kHardwareEventProcessorSource));
    }
    bool sent = true;
    for (const auto& [withheld, descriptor] : forms)
    {
        const ComPtr<IWbemClassObject> form =
            withheld == 0 ? ComPtr<IWbemClassObject>(event) : Withhold(event, withheld);
        HRESULT hr =
            form != nullptr ? WMIHelper::PutByteArray(form.Get(), L"SECURITY_DESCRIPTOR", descriptor) : WBEM_E_FAILED;
        if (FAILED(hr) || m_sink == nullptr)
        {
            CWMIDebugLog::LogError(kHardwareEventProcessorSource, __LINE__,
                                   L"Error while sending hardware event to WMI", FAILED(hr) ? hr : WBEM_E_FAILED);
            sent = false;
            continue;
        }
        IWbemClassObject* objects[] = {form.Get()};
        hr = m_sink->Indicate(1, objects);
        if (SUCCEEDED(hr))
        {
            CWMIDebugLog::LogInfo(kHardwareEventProcessorSource, __LINE__, L"Hardware event sent to WMI.");
        }
        else
        {
            CWMIDebugLog::LogError(kHardwareEventProcessorSource, __LINE__,
                                   L"Error while sending hardware event to WMI", hr);
            sent = false;
        }
    }
    return sent;
}

BOOL CWmipHardwareEventProcessor::Stop()
{
    m_stopRequested.store(true);
    m_queue->Interrupt();
    return WaitForStopped();
}
