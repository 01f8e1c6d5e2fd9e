// WbemServicesBase: an IWbemServices that offers nothing. Every method sets each out-pointer
// it is given to null and answers WBEM_E_NOT_SUPPORTED: answering success would leave the
// caller with out-pointers nothing was written to, or waiting on a sink that is never called.
// An implementation derives from it, overrides the methods it serves and answers IUnknown
// itself.
//
// Holds no state; ownership and thread-safety are the deriving class's.
#pragma once

#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemServices.h"

class WbemServicesBase : public IWbemServices
{
public:
    HRESULT OpenNamespace(const BSTR, LONG, IWbemContext*, IWbemServices** workingNamespace,
                          IWbemCallResult** result) override
    {
        return Refuse(workingNamespace, result);
    }
    HRESULT CancelAsyncCall(IWbemObjectSink*) override { return Refuse(); }
    HRESULT QueryObjectSink(LONG, IWbemObjectSink** responseHandler) override { return Refuse(responseHandler); }
    HRESULT GetObject(const BSTR, LONG, IWbemContext*, IWbemClassObject** object, IWbemCallResult** callResult) override
    {
        return Refuse(object, callResult);
    }
    HRESULT GetObjectAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override { return Refuse(); }
    HRESULT PutClass(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult** callResult) override
    {
        return Refuse(callResult);
    }
    HRESULT PutClassAsync(IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*) override { return Refuse(); }
    HRESULT DeleteClass(const BSTR, LONG, IWbemContext*, IWbemCallResult** callResult) override
    {
        return Refuse(callResult);
    }
    HRESULT DeleteClassAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override { return Refuse(); }
    HRESULT CreateClassEnum(const BSTR, LONG, IWbemContext*, IEnumWbemClassObject** enumerator) override
    {
        return Refuse(enumerator);
    }
    HRESULT CreateClassEnumAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override { return Refuse(); }
    HRESULT PutInstance(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult** callResult) override
    {
        return Refuse(callResult);
    }
    HRESULT PutInstanceAsync(IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*) override { return Refuse(); }
    HRESULT DeleteInstance(const BSTR, LONG, IWbemContext*, IWbemCallResult** callResult) override
    {
        return Refuse(callResult);
    }
    HRESULT DeleteInstanceAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override { return Refuse(); }
    HRESULT CreateInstanceEnum(const BSTR, LONG, IWbemContext*, IEnumWbemClassObject** enumerator) override
    {
        return Refuse(enumerator);
    }
    HRESULT CreateInstanceEnumAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override { return Refuse(); }
    HRESULT ExecQuery(const BSTR, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject** enumerator) override
    {
        return Refuse(enumerator);
    }
    HRESULT ExecQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override { return Refuse(); }
    HRESULT ExecNotificationQuery(const BSTR, const BSTR, LONG, IWbemContext*,
                                  IEnumWbemClassObject** enumerator) override
    {
        return Refuse(enumerator);
    }
    HRESULT ExecNotificationQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override
    {
        return Refuse();
    }
    HRESULT ExecMethod(const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*, IWbemClassObject** outParams,
                       IWbemCallResult** callResult) override
    {
        return Refuse(outParams, callResult);
    }
    HRESULT ExecMethodAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*, IWbemObjectSink*) override
    {
        return Refuse();
    }

protected:
    WbemServicesBase() = default;
    WbemServicesBase(const WbemServicesBase&) = default;
    WbemServicesBase& operator=(const WbemServicesBase&) = default;
    ~WbemServicesBase() = default;

    // Sets each out-pointer given to null; WBEM_E_NOT_SUPPORTED.
    template <class... Out>
    static HRESULT Refuse(Out**... out)
    {
        ((out != nullptr ? (void)(*out = nullptr) : (void)0), ...);
        return WBEM_E_NOT_SUPPORTED;
    }
};
