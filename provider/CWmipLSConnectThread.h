// CWmipLSConnectThread: keeps this computer's event providers registered with the linkage
// server: it holds the providers that have active event queries, announces each to the
// linkage server when it is registered, repeats the registrations at the configured interval
// (stored value 37, seconds) and unregisters them all when it stops.
//
// One per process, created and started by CWmipApp::GetLSConnectThread and stopped (Kill) and
// deleted by the application object. Thread-safe: Register and Unregister run on WMI threads
// while the thread's passes run on its own. Lock order: the callers' own locks, then
// m_registrationLock (held across every exchange with the linkage server), then m_setupLock,
// then the proxy's call mutex.
#pragma once

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>

#include "platform/win32/ThreadSafety.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"
#include "provider/LWorkerThread.h"

class ClslRPCServerProxy;
class IWmipEventProviderInfo;

class CWmipLSConnectThread : public LWorkerThread
{
public:
    // The computer name (upper-cased) is read here; no proxy yet.
    CWmipLSConnectThread();
    // Deletes the proxy and forgets the registrations.
    ~CWmipLSConnectThread() override;

    // Records the provider and announces it, unless one with its identifier is recorded
    // already. A null provider or a failure (logged) changes nothing else.
    void Register(IWmipEventProviderInfo* provider);
    // Announces the unregistration and forgets the provider, when one with its identifier is
    // recorded.
    void Unregister(IWmipEventProviderInfo* provider);

    // The passes: register every recorded provider, wait the interval or for the stop, and
    // at the end unregister them all. 0.
    UINT OnRun() override;
    // Signals the stop and polls for the end of the thread; TRUE always (a thread still
    // running after the last poll is logged and left for Kill to detach).
    BOOL Stop() override;

    // The computer name sent with every registration.
    const CString& GetComputerName() const { return m_computerName; }
    // The number of recorded providers.
    std::size_t GetRegistrationCount();
    // Milliseconds between passes: the interval in force (the installation's default before
    // the first setup and for an interval of 0 or below, so the passes never spin), bounded so
    // the product cannot overflow.
    DWORD GetPassIntervalMs() const;

private:
    void ReadComputerName();
    // Creates the proxy aimed at the linkage server's host unless there is one; a failure is
    // logged and leaves no proxy (the next registration tries again). The proxy; null when
    // there is none.
    ClslRPCServerProxy* SetupLinkageServerRPC();
    void SendRegistration(IWmipEventProviderInfo* provider, bool registerFlag);
    void RegisterAll(bool registerFlag);
    // Waits the pass interval; true when the stop was signalled (and consumes it).
    bool WaitForStopSignal();

    CString m_computerName;

    // The stop event: auto-reset.
    CheckedMutex m_stopLock;
    std::condition_variable m_stopSignal;
    bool m_stopSignalled GUARDED_BY(m_stopLock) = false;

    CheckedMutex m_registrationLock;
    std::map<CString, IWmipEventProviderInfo*> m_registrations GUARDED_BY(m_registrationLock);

    CheckedMutex m_setupLock;
    // Lives until the destructor once made.
    std::unique_ptr<ClslRPCServerProxy> m_proxy GUARDED_BY(m_setupLock);
    CString m_linkageServerHost GUARDED_BY(m_setupLock);
    // Seconds; 0 until the first setup.
    std::atomic<LONG> m_interval{0};
};
