// CWmipSoftwareEventProcessor: the worker thread of the software event provider: reads each
// software event (header block, then text block) from its in-process pipe, lets the
// intrinsic event mapper build the WMI event object and indicates it to the sink. A stop
// packet (a header of zeros) ends the thread.
//
// Owned by the software event provider through LWorkerThread::Ptr: a thread that does not stop
// keeps the object (its pipe, mapper and sink) until it ends. The mapper
// and the sink are set before the thread starts; afterwards only the thread uses the sink and
// MapEvent, while the provider's access check uses the mapper between Lock and Unlock.
// Submit may be called from any thread: the pipe keeps each packet's two blocks together.
#pragma once

#include <atomic>
#include <memory>
#include <utility>
#include <vector>

#include "platform/com/Unknown.h"
#include "provider/EventOutcomeObserver.h"
#include "provider/LWorkerThread.h"
#include "provider/SoftwareEventPacket.h"

class CLocalNamedPipe;
class CWmipEventAudience;
class CWmipIntrinsicEventMapper;
class IWbemContext;
class IWbemObjectSink;
class IWbemServices;

class CWmipSoftwareEventProcessor : public LWorkerThread
{
public:
    // Characters of the text buffer before the first long text arrives.
    static constexpr std::size_t kInitialTextCapacity = 1500;

    // audience: the accounts of the provider's queries, which each event's descriptor names.
    explicit CWmipSoftwareEventProcessor(std::shared_ptr<const CWmipEventAudience> audience);
    // Waits for the thread (see JoinBeforeDestruction), then releases the sink, deletes the
    // pipe and the mapper.
    ~CWmipSoftwareEventProcessor() override;

    // Creates the intrinsic event mapper with the context and the services. 0.
    HRESULT CreateMapper(IWbemServices* services, IWbemContext* context);
    // Keeps the sink (with its own reference) and starts the thread. TRUE; FALSE when the
    // thread cannot be started (the sink is let go again).
    BOOL StartProcessing(IWbemObjectSink* sink);
    // Writes the packet into the pipe: its header and its text as one unit. TRUE when both
    // blocks were queued.
    BOOL Submit(const SoftwareEventPacket& packet);

    // The mapper; null before CreateMapper.
    CWmipIntrinsicEventMapper* GetMapper() const { return m_mapper.get(); }
    // 1 while OnRun runs.
    int IsProcessing() const { return m_running.load(); }
    // The characters the text buffer holds now (it only grows).
    std::size_t GetTextCapacity() const { return m_textCapacity.load(); }

    // The thread: reads packets until the stop packet.
    UINT OnRun() override;
    // Writes the stop packet and polls for the end of the thread: TRUE when it ended, FALSE
    // (logged) when it is still running after the last poll.
    BOOL Stop() override;
    // One packet: the mapper builds the event, which goes to the sink carrying the descriptor
    // of the consumers that may read it, in one form per group of them that may see the same
    // records its instances join values from (the others' values null); every failure is logged
    // and the packet (or the form) dropped. The outcome observer, when set, learns whether every
    // form was indicated.
    void ProcessEvent(const SoftwareEventPacket& packet);

    // Told of each packet's end with the packet's event id (see EventOutcomeObserver).
    void SetOutcomeObserver(EventOutcomeObserver::Function observer) { m_outcomes.Set(std::move(observer)); }

private:
    // One pass of OnRun: false when the stop packet was read.
    bool ReadAndProcess(std::vector<char16_t>& text);

    // Members in destruction order: the mapper and the sink go before the pipe.
    const std::unique_ptr<CLocalNamedPipe> m_pipe;
    ComPtr<IWbemObjectSink> m_sink;
    std::unique_ptr<CWmipIntrinsicEventMapper> m_mapper;
    const std::shared_ptr<const CWmipEventAudience> m_audience;
    std::atomic<int> m_running{0};
    std::atomic<std::size_t> m_textCapacity{kInitialTextCapacity};
    EventOutcomeObserver m_outcomes;
};
