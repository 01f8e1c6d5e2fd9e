// CWmipSoftwareEventProvider: the exported software event provider. An outside COM shell
// constructs it and forwards the WMI calls (Initialize, ProvideEvents, NewQuery, CancelQuery,
// AccessCheck); the installation's services hand it software events (ReceiveSoftwareEvent:
// a few numbers and a UTF-16 XML text), which its processor thread turns into WMI instance
// creation, modification and deletion events.
//
// Owned by the shell. Thread-safe: WMI and the event source call on their own threads; the
// pipe and the query bookkeeping guard themselves, Initialize is called once by WMI before
// events are asked for, and m_lock guards the sink and the thread's start. The processor is
// stopped whenever it was started, before it is deleted (Delete or the destructor); one whose
// thread does not stop is left to that thread, which deletes it when it ends.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"
#include "provider/CWmipEventProvider.h"
#include "provider/LWorkerThread.h"

class CWmipSoftwareEventProcessor;
class CWmipUserCacheEntry;
class IWbemContext;
class IWbemProviderInitSink;
class IWbemServices;

class CWmipSoftwareEventProvider : public CWmipEventProvider
{
public:
    // The query bookkeeping; no processor until Initialize.
    explicit CWmipSoftwareEventProvider(const CString& providerId);
    // Delete.
    ~CWmipSoftwareEventProvider() override;
    CWmipSoftwareEventProvider(const CWmipSoftwareEventProvider&) = delete;
    CWmipSoftwareEventProvider& operator=(const CWmipSoftwareEventProvider&) = delete;

    // Queues the event for the processor: a packet of the numbers and the text (a null text
    // travels as an empty one). Always 0: an event that cannot be queued (before Initialize, a
    // text longer than SoftwareEventPacket::kMaxTextLength bytes) is logged and dropped.
    virtual HRESULT ReceiveSoftwareEvent(LONG eventId, SHORT eventType, SHORT transactionType, LONG flags,
                                         LPCWSTR text);
    // Keeps the services, creates the processor with its mapper and reports success to the
    // init sink. 0.
    virtual HRESULT Initialize(LPWSTR user, LONG flags, LPWSTR ns, LPWSTR locale, IWbemServices* services,
                               IWbemContext* context, IWbemProviderInitSink* initSink);
    // May the consumer with this SID (the impersonated caller when none) subscribe to the
    // query? 0; 0x80041003 for an account without the permission to use the service or
    // without view permission on a class the query names with TargetInstance/PreviousInstance
    // ISA (six record classes when it names none, those without a mapper skipped), and for
    // an account the user cache refuses with 0x80041003; 0x80041001 for any other failure
    // (another failure of the user cache, a query that is not a SELECT, no database
    // connection, a named class without a mapper).
    virtual HRESULT AccessCheck(LPCWSTR language, LPCWSTR query, LONG sidLength, const BYTE* sid);
    // Stops (when started) and deletes the processor, deletes the query bookkeeping and lets
    // the sink and the services go. Safe to call twice.
    void Delete();

    // The processor; null before Initialize and after Delete.
    CWmipSoftwareEventProcessor* GetProcessor() const { return m_processor.get(); }

private:
    bool HasProcessor() const override { return m_processor != nullptr; }
    bool StartProcessor(IWbemObjectSink* sink) override REQUIRES(m_lock);
    // Steps of the access check after the caller's checks; throws on failure.
    HRESULT CheckQueryClasses(LPCWSTR query, CWmipUserCacheEntry* entry);

    LWorkerThread::Ptr<CWmipSoftwareEventProcessor> m_processor;
};
