// CWmipHardwareEventProcessor: the worker thread of the hardware event provider: pops queued
// hardware messages, filters them, asks its eight event mappers in a fixed order which one
// handles each, lets that mapper build the WMI event object, gives it the security descriptor
// of the subscribers that may see its segment and indicates it to the sink.
//
// Owned by the hardware event provider through LWorkerThread::Ptr: a thread that does not stop
// keeps the object until it ends. The queue and the audience are shared with the provider. The mappers and the sink are
// set before the thread starts; afterwards only the thread uses them. The running flag and the stop request are atomics
// shared with the owner.
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <utility>

#include "platform/com/Unknown.h"
#include "provider/BntMessageEx.h"
#include "provider/EventOutcomeObserver.h"
#include "provider/LWorkerThread.h"
#include "provider/ThreadSafeQueue.h"

class CWmipAccessEventMapper;
class CWmipEventAudience;
class CWmipEventMapper;
class IWbemClassObject;
class IWbemContext;
class IWbemObjectSink;
class IWbemServices;

class CWmipHardwareEventProcessor : public LWorkerThread
{
public:
    static constexpr std::size_t kMapperCount = 8;

    CWmipHardwareEventProcessor(std::shared_ptr<ThreadSafeQueue<bnt::utility::BntMessageEx>> queue,
                                std::shared_ptr<const CWmipEventAudience> audience);
    // Releases the sink and deletes the mappers in creation order.
    ~CWmipHardwareEventProcessor() override;

    // Creates the eight mappers (access, other security, intercom, fire, video, transmitter,
    // status change, function execution), each with the context and the services. Before Start.
    void CreateMappers(IWbemContext* context, IWbemServices* services);
    // Keeps the sink (with a reference of its own) for the events. Before Start.
    void SetSink(IWbemObjectSink* sink);
    // The access event mapper (null before CreateMappers); its ProcessClause keeps no state.
    CWmipAccessEventMapper* GetAccessMapper() const;

    // 1 while OnRun is in its loop.
    int IsProcessing() const { return m_running.load(); }

    // The thread: pops and dispatches until a stop is requested.
    UINT OnRun() override;
    // Requests the stop (never through the queue's contents) and polls for the end of the
    // thread; TRUE when it ended, FALSE when it is still running after the last poll.
    BOOL Stop() override;

    // One message: the first mapper in the asking order that handles it builds the event,
    // which is indicated to the sink (Indicate); a message no mapper handles is logged. True
    // when the sink took the event.
    bool Dispatch(const bnt::utility::BntMessageEx& message);

    // Told of the end of each record the thread pops, with the record's serial number (see
    // EventOutcomeObserver).
    void SetOutcomeObserver(EventOutcomeObserver::Function observer) { m_outcomes.Set(std::move(observer)); }

private:
    // Indicates the event to each subscriber that may see its panel's segment, in one form per
    // set of its named records they may not see, each form without those: true when every form
    // reached the sink.
    bool Indicate(IWbemClassObject* event);
    // True when the filter lets the message through; logs an invalid message type.
    static bool PassesFilter(const bnt::utility::BntMessageEx& message);

    // Set at construction.
    const std::shared_ptr<ThreadSafeQueue<bnt::utility::BntMessageEx>> m_queue;
    const std::shared_ptr<const CWmipEventAudience> m_audience;

    // Set before the thread starts; used by the thread only afterwards.
    ComPtr<IWbemObjectSink> m_sink;
    std::array<std::unique_ptr<CWmipEventMapper>, kMapperCount> m_mappers;

    std::atomic<int> m_running{0};
    std::atomic<bool> m_stopRequested{false};
    EventOutcomeObserver m_outcomes;
};
