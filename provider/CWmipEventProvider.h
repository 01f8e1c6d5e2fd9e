// CWmipEventProvider: what the hardware and the software event providers share: the
// identifier and kind they register with the linkage server under, the query bookkeeping that
// WMI's NewQuery and CancelQuery reach, the audience of those queries (each event reaches only
// the callers that may see it), the namespace services, and ProvideEvents, which starts the
// provider's processor thread on WMI's sink and keeps the sink once it runs.
//
// Owned by the derived provider. Thread-safe: the bookkeeping and the audience guard themselves
// and m_lock guards
// the sink and the thread's start. The identifier and kind are answered here, not by the
// derived class, so the bookkeeping's last unregistration can read them while it is destroyed.
#pragma once

#include <memory>

#include "platform/com/Unknown.h"
#include "platform/mfc/CString.h"
#include "platform/win32/ThreadSafety.h"
#include "platform/win32/WinTypes.h"
#include "provider/IWmipEventProviderInfo.h"

class CWmipEventAudience;
class CWmipEventProviderImpl;
class IWbemObjectSink;
class IWbemServices;

class CWmipEventProvider : public IWmipEventProviderInfo
{
public:
    CWmipEventProvider(const CWmipEventProvider&) = delete;
    CWmipEventProvider& operator=(const CWmipEventProvider&) = delete;

    CString GetEventProviderID() final;
    EventProviderType GetEventProviderType() final;

    // Keeps the sink and starts the processor thread. 0 (also when a sink is held already);
    // 0x80041001 before Initialize or when the thread cannot be started (nothing kept then).
    virtual HRESULT ProvideEvents(IWbemObjectSink* sink, LONG flags);
    // Forwarded to the query bookkeeping: 0. A new query also records its caller in the
    // audience, and a cancelled one forgets it.
    virtual HRESULT NewQuery(ULONG queryId, LPWSTR language, LPWSTR query);
    virtual HRESULT CancelQuery(ULONG queryId);

protected:
    // The query bookkeeping; source names the provider in the log, name (L"Hardware",
    // L"Software") in its lines.
    CWmipEventProvider(const CString& providerId, EventProviderType type, const wchar_t* source, const wchar_t* name);
    // Release.
    virtual ~CWmipEventProvider();

    // Whether Initialize has made the processor.
    virtual bool HasProcessor() const = 0;
    // Starts the processor thread on the sink: true when it runs, false (the processor keeps
    // no sink) when it cannot be started.
    virtual bool StartProcessor(IWbemObjectSink* sink) REQUIRES(m_lock) = 0;
    // Deletes the query bookkeeping and lets the sink and the services go. Safe to call twice;
    // the derived provider stops its processor first.
    void Release();

    // Members in destruction order; the identifier outlives the bookkeeping that reads it.
    const CString m_providerId;
    const EventProviderType m_type;
    const wchar_t* const m_source;
    const CString m_name;
    std::unique_ptr<CWmipEventProviderImpl> m_queries;
    // The accounts of the queries; shared with the processor, which reads them for each
    // event's descriptor and may outlive the provider.
    const std::shared_ptr<CWmipEventAudience> m_audience;
    ComPtr<IWbemServices> m_services;

    CheckedMutex m_lock;
    // Set once the processor runs.
    ComPtr<IWbemObjectSink> m_sink GUARDED_BY(m_lock);
};
