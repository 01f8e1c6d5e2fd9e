// CountingSink: the object sink of the benchmarks. Counts the objects indicated to it and keeps
// the last one and the final statuses, so that a measurement pays for the provider's work and
// hardly anything for a client's.
//
// Reference counted (MakeComObject). Not thread-safe: the instance provider calls the sink on
// the requesting thread, before the request returns.
#pragma once

#include "platform/com/Unknown.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemObjectSink.h"

class CountingSink final : public RefCounted<CountingSink, IWbemObjectSink>
{
public:
    CountingSink() = default;

    // S_OK with the sink for IUnknown and IWbemObjectSink; E_NOINTERFACE otherwise; E_POINTER
    // for a null out-pointer.
    HRESULT QueryInterface(REFIID iid, void** object) override;
    // Counts the objects and keeps the last one; WBEM_E_INVALID_PARAMETER for a negative count
    // or a null array with objects, S_OK otherwise.
    HRESULT Indicate(LONG count, IWbemClassObject** objects) override;
    // Counts a final status (WBEM_STATUS_COMPLETE) and keeps its result; progress is ignored.
    HRESULT SetStatus(LONG flags, HRESULT result, BSTR param, IWbemClassObject* statusObject) override;

    // Forgets every count and the last object, for the next request.
    void Reset();
    long long Objects() const { return m_objects; }
    int FinalStatuses() const { return m_finalStatuses; }
    // The result of the last final status; S_OK before any.
    HRESULT LastResult() const { return m_lastResult; }
    // The last object indicated; null when none was since the last Reset.
    IWbemClassObject* LastObject() const { return m_lastObject.Get(); }

private:
    friend class RefCounted<CountingSink, IWbemObjectSink>;
    ~CountingSink() = default;

    long long m_objects = 0;
    int m_finalStatuses = 0;
    HRESULT m_lastResult = S_OK;
    ComPtr<IWbemClassObject> m_lastObject;
};
