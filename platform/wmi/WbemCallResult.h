// WbemCallResult: the IWbemCallResult of a synchronous call of the WMI service stand-in. The
// call has ended when the object is made, so every answer is ready at once and timeouts are
// never waited for.
//
// Owned through its reference count (atomic); immutable after construction, so any thread
// may read it.
#pragma once

#include "platform/com/Unknown.h"
#include "platform/wmi/IWbemCallResult.h"
#include "platform/wmi/IWbemClassObject.h"

#include <string>

class WbemCallResult final : public RefCounted<WbemCallResult, IWbemCallResult>
{
public:
    // The result of a call that ended with `status`, produced `resultObject` (may be null)
    // and, for a put, the object path `resultText` (empty for none).
    static ComPtr<WbemCallResult> Create(HRESULT status, IWbemClassObject* resultObject, std::wstring resultText);

    // Use Create; public only for MakeComObject.
    WbemCallResult(HRESULT status, IWbemClassObject* resultObject, std::wstring resultText);

    HRESULT QueryInterface(REFIID iid, void** object) override;
    // A new reference to the object the call produced. WBEM_S_NO_ERROR; the call's failure
    // when it failed; WBEM_E_NOT_FOUND when it produced none; WBEM_E_INVALID_PARAMETER for a
    // null out-pointer.
    HRESULT GetResultObject(LONG timeout, IWbemClassObject** resultObject) override;
    // A new BSTR with the object path a put wrote. As GetResultObject for failures.
    HRESULT GetResultString(LONG timeout, BSTR* resultString) override;
    // No call of this service opens a namespace: WBEM_E_NOT_SUPPORTED (*services null).
    HRESULT GetResultServices(LONG timeout, IWbemServices** services) override;
    // WBEM_S_NO_ERROR with *status set to the call's final HRESULT; WBEM_E_INVALID_PARAMETER
    // for a null out-pointer.
    HRESULT GetCallStatus(LONG timeout, LONG* status) override;

private:
    friend class RefCounted<WbemCallResult, IWbemCallResult>;
    ~WbemCallResult() = default;

    // Set at construction.
    const HRESULT m_status;
    const ComPtr<IWbemClassObject> m_resultObject;
    const std::wstring m_resultText;
};
