// ClslRPCServerProxy: the client of the linkage server of one host. The binding is made
// lazily on the first call after the host was set (endpoint table, ACS.INI binding order) and
// kept until the host changes or the proxy is destroyed; every call is serialised by the
// proxy's call mutex. The outcome of the last registration call is kept as the last status:
// the server's answer when the call completed, otherwise the RPC failure
// (RPC_S_SERVER_UNAVAILABLE when no server answers).
//
// Owned by its caller (the linkage-server connect thread, or a guard tour handler for one
// call). Thread-safe.
#pragma once

#include <memory>
#include <mutex>
#include <span>

#include "platform/win32/ThreadSafety.h"
#include "hardware/IClslLinkageServer.h"
#include "platform/mfc/CString.h"

class ClslRPCServerProxy
{
public:
    // No host, no binding, last status 0.
    ClslRPCServerProxy();
    // Aimed at the linkage server of host.
    explicit ClslRPCServerProxy(const CString& host);
    virtual ~ClslRPCServerProxy();
    ClslRPCServerProxy(const ClslRPCServerProxy&) = delete;
    ClslRPCServerProxy& operator=(const ClslRPCServerProxy&) = delete;

    // Takes the host (upper-cased) as the server info; a different one drops the binding.
    void SetHostName(const CString& host);
    // The server info's host; empty when none was set.
    CString GetHostName();

    // Procedures 7 and 8: (provider identifier, computer name, register flag 1 or 0). Without
    // a binding nothing is sent. The outcome goes to the last status.
    void RegisterHardwareEventProvider(const CString& providerId, const CString& computerName, BYTE registerFlag);
    void RegisterSoftwareEventProvider(const CString& providerId, const CString& computerName, BYTE registerFlag);
    // The outcome of the last registration call (0 before any).
    LONG GetLastStatus();

    // Procedure 1: launches the tour for the badge at the monitoring station; *result (when
    // given) receives the server's result word once the call completed. TRUE when the call
    // completed, FALSE otherwise.
    BOOL LaunchTour(LONG tourId, LONG unnamed1, LONGLONG badgeId, LONG unnamed2, LONG monitoringStationId,
                    LONG* result);

private:
    using Procedure = RPC_STATUS (IClslLinkageServer::*)(std::span<BYTE>, LONG*);

    // One call under the mutex; RPC_S_OK with *answer set when it completed.
    RPC_STATUS Invoke(Procedure procedure, std::span<BYTE> block, LONG* answer) REQUIRES(m_lock);
    void Register(Procedure procedure, const CString& providerId, const CString& computerName, BYTE registerFlag);
    // The server of the current host, bound on first use; null when none answers. The caller
    // holds m_lock.
    IClslLinkageServer* ServerLocked() REQUIRES(m_lock);

    CheckedMutex m_lock;
    CString m_host GUARDED_BY(m_lock);
    std::shared_ptr<IClslLinkageServer> m_server GUARDED_BY(m_lock);
    LONG m_lastStatus GUARDED_BY(m_lock) = 0;
};
