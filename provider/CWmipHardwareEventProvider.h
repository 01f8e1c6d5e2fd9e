// CWmipHardwareEventProvider: the exported hardware event provider. An outside COM shell
// constructs it and forwards the WMI calls (Initialize, ProvideEvents, NewQuery, CancelQuery,
// AccessCheck); an outside event source hands it 216-byte event records
// (ReceiveHardwareEvent), which it queues for its processor thread to turn into WMI events.
//
// Owned by the shell. Thread-safe: WMI and the event source call on their own threads; the
// queue and the query bookkeeping guard themselves, Initialize and ProvideEvents are called
// once each by WMI before events are asked for, and m_lock guards the sink, the processor's
// creation and the thread's start. The processor is stopped whenever it was started, before it is deleted; one whose
// thread does not stop is left to that thread, which deletes it when it ends.
#pragma once

#include <memory>

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"
#include "provider/BntMessageEx.h"
#include "provider/CWmipEventProvider.h"
#include "provider/LWorkerThread.h"
#include "provider/ThreadSafeQueue.h"

class CAcsUser;
class CWmipHardwareEventProcessor;
class IWbemContext;
class IWbemProviderInitSink;
class IWbemServices;

class CWmipHardwareEventProvider final : public CWmipEventProvider
{
public:
    // The queue and the query bookkeeping; no processor until Initialize.
    explicit CWmipHardwareEventProvider(const CString& providerId);
    // Stops the processor when it was started, then deletes it, the bookkeeping and the
    // queue.
    ~CWmipHardwareEventProvider();
    CWmipHardwareEventProvider(const CWmipHardwareEventProvider&) = delete;
    CWmipHardwareEventProvider& operator=(const CWmipHardwareEventProvider&) = delete;

    // Keeps the services, creates the processor with its eight mappers (a second call keeps
    // the first processor) and reports success to the init sink. 0.
    virtual HRESULT Initialize(LPWSTR user, LONG flags, LPWSTR ns, LPWSTR locale, IWbemServices* services,
                               IWbemContext* context, IWbemProviderInitSink* initSink);
    // May the consumer with this SID (the impersonated caller when none) subscribe to the
    // query? 0; 0x80041003 for a user without the permission, a query that is not a SELECT,
    // a bad SID or a panel of a segment the user may not see; 0x80041001 for a database
    // failure; the user cache's code when the account is not linked.
    virtual HRESULT AccessCheck(LPCWSTR language, LPCWSTR query, LONG sidLength, const BYTE* sid);
    // Queues a copy of the record (its first 216 bytes) with the text, the communication
    // server's host name and the alarm id (0: none). 0; 0x80004005 for a record shorter than
    // 216 bytes, no bytes or a full queue (nothing queued).
    virtual HRESULT ReceiveHardwareEvent(DWORD size, const BYTE* record, LPCWSTR text, LPCWSTR hostName, LONG alarmId);

    // The number of records waiting for the processor.
    std::size_t GetQueuedCount() const { return m_queue->GetCount(); }
    // The processor; null before Initialize.
    CWmipHardwareEventProcessor* GetProcessor() const { return m_processor.get(); }

private:
    bool HasProcessor() const override { return m_processor != nullptr; }
    bool StartProcessor(IWbemObjectSink* sink) override REQUIRES(m_lock);
    // Steps 4 to 7 of the access check: the query's panels against the user's segments.
    HRESULT CheckQuerySegments(LPCWSTR query, const CAcsUser& user);

    // Members in destruction order: the processor (which uses the queue) goes first.
    // Shared with the processor, which may outlive the provider (see LWorkerThread::Ptr).
    std::shared_ptr<ThreadSafeQueue<bnt::utility::BntMessageEx>> m_queue;
    // Guarded by m_lock while Initialize and ProvideEvents run; set once, then read freely.
    LWorkerThread::Ptr<CWmipHardwareEventProcessor> m_processor;
};
