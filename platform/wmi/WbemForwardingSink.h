// WbemForwardingSink: the IWbemObjectSink that the WMI service stand-in hands a provider (or
// fills itself) for one request. It passes the reports on to the request's own sink, names
// every object of this implementation with the service's server and namespace (so __PATH is
// complete, as the service's objects are), and guarantees the request's sink exactly one
// final status: the first WBEM_STATUS_COMPLETE goes through, anything after it is refused.
// When the provider's call fails without reporting, the service ends the request with Finish.
//
// Owned through its reference count (atomic): the service and the provider share it; the
// request's sink is released as soon as the final status has gone through. Thread-safe:
// deliveries are serialised by m_lock, which is held while the request's sink is called, so
// that sink must not call back into this one.
#pragma once

#include "platform/win32/ThreadSafety.h"
#include "platform/com/Unknown.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemObjectSink.h"
#include "platform/wmi/WbemObjectSinkBase.h"

#include <mutex>
#include <string>

class WbemForwardingSink final : public WbemObjectSinkBase<WbemForwardingSink>
{
public:
    // A sink reporting to `target` (not null) for a request of namespace `ns` on `server`.
    static ComPtr<WbemForwardingSink> Create(IWbemObjectSink* target, std::wstring server, std::wstring ns);

    // Use Create; public only for MakeComObject.
    WbemForwardingSink(IWbemObjectSink* target, std::wstring server, std::wstring ns);

    // Passes the objects on and answers the target's HRESULT. WBEM_E_INVALID_PARAMETER for a
    // negative count, a null array or a null object; WBEM_E_INVALID_OPERATION after the
    // final status (nothing passed on).
    HRESULT Indicate(LONG count, IWbemClassObject** objects) override;
    // Passes progress statuses on while the request runs, and the first final status; a
    // later final status is refused with WBEM_E_INVALID_OPERATION.
    HRESULT SetStatus(LONG flags, HRESULT result, BSTR param, IWbemClassObject* statusObject) override;

    // Ends the request with `result` (and the status object, may be null) unless its final
    // status has already gone through. True when this call reported it.
    bool Finish(HRESULT result, IWbemClassObject* statusObject);
    // True once the final status has gone through.
    bool IsComplete() const;

private:
    friend class RefCounted<WbemForwardingSink, IWbemObjectSink>;
    ~WbemForwardingSink() = default;

    // Set at construction.
    const std::wstring m_server;
    const std::wstring m_namespace;

    mutable CheckedMutex m_lock;
    // Null once the final status has gone through.
    ComPtr<IWbemObjectSink> m_target GUARDED_BY(m_lock);
};
