// IWmipFrameworkHost: what the class-mapping framework and the mappers need of the application
// object that hosts them (the provider's application object, or the bus front end's derived
// from it): the process-wide services and the internal trust counter. The framework finds its host through
// the calling thread's current application object, so it never names the provider's
// application class and the libraries depend one way.
//
// Implemented by the application object; every operation is thread-safe as the application's
// own static accessors are.
#pragma once

#include "platform/win32/WinTypes.h"

#include <memory>

class CAcsUser;
class CfgMessage;
class CWimpHardwareStatusCache;
class CWmipClassCache;
class DBConnectionManager;
class IWmipUserDirectory;
class IWmipUserEntry;

class IWmipFrameworkHost
{
public:
    // The host behind the calling thread's current application object; null when that object
    // is no host (or there is none). Valid while the application object lives.
    static IWmipFrameworkHost* Current();

    // The services; each may be null (not created, or creation failed). Valid while the
    // application object lives.
    virtual CWmipClassCache* GetHostClassCache() = 0;
    virtual DBConnectionManager* GetHostConnectionManager() = 0;
    virtual IWmipUserDirectory* GetHostUserDirectory() = 0;
    virtual CWimpHardwareStatusCache* GetHostHardwareStatusCache() = 0;
    // Hands a copy of the configuration message to the communication server (with the code), or
    // to every server (with the message's own code); inside a database transaction of the
    // calling thread the copy waits for the commit and is discarded by a rollback.
    virtual void UpdateHostCommServer(int code, CfgMessage& message) = 0;
    virtual void SendHostCfgMessage(CfgMessage& message) = 0;
    // A user entry around a pooled connection's user that it does not own, so that a nested
    // lookup can run as that user; owned by the caller, it must not outlive the connection.
    virtual std::unique_ptr<IWmipUserEntry> WrapPooledUser(CAcsUser* pooledUser) = 0;
    // A numeric configuration parameter stored in the database.
    virtual LONG GetHostStoredValue(LONG id) = 0;
    // Non-zero while each request builds its own user entry instead of taking a cached one.
    virtual int IsConnectionPoolingDisabled() = 0;
    // With connection pooling disabled: logs the impersonated client in on an entry of its own
    // for one request (use count 0, owned by the caller), looking the account up through
    // connections, into *entry (untouched on failure). S_OK; WBEM_E_ACCESS_DENIED for an
    // unlinked, unreadable or refused account; WBEM_E_SERVER_TOO_BUSY when no connection was
    // free to look the account up (logged with that cause); the impersonation's failure;
    // WBEM_E_INVALID_PARAMETER for a null entry.
    virtual HRESULT LogInCallerForRequest(DBConnectionManager* connections, std::unique_ptr<IWmipUserEntry>* entry) = 0;
    // Raises (non-zero) or lowers (zero) the internal trust counter; the trust value in force.
    virtual void SetHostTrust(int enable) = 0;
    virtual LONG GetHostTrustValue() = 0;

protected:
    IWmipFrameworkHost() = default;
    ~IWmipFrameworkHost() = default;
    IWmipFrameworkHost(const IWmipFrameworkHost&) = default;
    IWmipFrameworkHost& operator=(const IWmipFrameworkHost&) = default;
};
