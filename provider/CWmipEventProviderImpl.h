// CWmipEventProviderImpl: the event queries that WMI consumers have registered with one event
// provider, tied to the provider's registration with the linkage server: the first query
// registers the provider, the cancellation that leaves no query unregisters it.
//
// Owned by its event provider (the owner it is given must outlive it). Thread-safe: WMI calls
// NewQuery and CancelQuery on its own threads; m_lock makes the registration step atomic with
// the change of the query map. Lock order: m_lock, then the connect thread's own locks.
#pragma once

#include <map>
#include <mutex>

#include "platform/win32/ThreadSafety.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CWmipLSConnectThread;
class IWmipEventProviderInfo;

class CWmipEventProviderImpl
{
public:
    // Keeps the owner and its identifier and takes the connect thread of the application
    // (which creates and starts it on first use; null without one).
    CWmipEventProviderImpl(IWmipEventProviderInfo* owner, const CString& providerId);
    // Unregisters the owner when a connect thread is known.
    virtual ~CWmipEventProviderImpl();
    CWmipEventProviderImpl(const CWmipEventProviderImpl&) = delete;
    CWmipEventProviderImpl& operator=(const CWmipEventProviderImpl&) = delete;

    // Records the query (a known id gets the new text); the first query registers the owner.
    // Always 0: a failure to register is logged.
    HRESULT NewQuery(ULONG queryId, LPCWSTR language, LPCWSTR query);
    // Forgets the query; when none is left the owner is unregistered (also when the id was
    // unknown). Always 0.
    HRESULT CancelQuery(ULONG queryId);

    const CString& GetProviderID() const { return m_providerId; }
    // The number of active queries.
    std::size_t GetQueryCount() const;

private:
    // Set at construction.
    IWmipEventProviderInfo* const m_owner;
    const CString m_providerId;
    CWmipLSConnectThread* const m_connectThread;

    mutable CheckedMutex m_lock;
    std::map<ULONG, CString> m_queries GUARDED_BY(m_lock);
};
