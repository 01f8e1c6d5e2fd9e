// CCorvessaNamespace: the bus front end's in-process IWbemServices, through which the mappers
// fetch class definitions.
//
// Only GetObject works: it answers copies of the class definitions that the registered type
// descriptions keep. It holds no data and counts no references: the front end's instance
// lives as long as the application object, the framework's for the whole process, and
// Release never destroys it. GetObject keeps no state and takes no lock; what it copies is
// read under the registry's rules (filled at load, only read afterwards).
#pragma once

#include "platform/wmi/IWbemServices.h"

class CCorvessaNamespace final : public IWbemServices
{
public:
    CCorvessaNamespace() = default;
    CCorvessaNamespace(const CCorvessaNamespace&) : IWbemServices() {}
    CCorvessaNamespace& operator=(const CCorvessaNamespace&) { return *this; }
    ~CCorvessaNamespace() = default;

    // S_OK for IUnknown and IWbemServices; E_NOINTERFACE (and a null *object) otherwise;
    // E_POINTER for a null object.
    HRESULT QueryInterface(REFIID iid, void** object) override;
    // Count nothing; both answer 1.
    ULONG AddRef() override;
    ULONG Release() override;

    // A new class object (one reference for the caller) in *object: an empty object named
    // by the path for a null path, "Bnt_Element" or a name the registry does not know, else
    // a copy of the registered class's definition (name matched without regard to case).
    // WBEM_S_NO_ERROR; WBEM_E_INVALID_PARAMETER for a null object; WBEM_E_OUT_OF_MEMORY
    // (*object null) when the copy cannot be made. Flags, context and call result are ignored.
    HRESULT GetObject(const BSTR objectPath, LONG flags, IWbemContext* context, IWbemClassObject** object,
                      IWbemCallResult** callResult) override;

    // Not offered: every out-pointer given is set to null and WBEM_E_NOT_SUPPORTED answered.
    HRESULT OpenNamespace(const BSTR ns, LONG flags, IWbemContext* context, IWbemServices** workingNamespace,
                          IWbemCallResult** result) override;
    HRESULT CancelAsyncCall(IWbemObjectSink* sink) override;
    HRESULT QueryObjectSink(LONG flags, IWbemObjectSink** responseHandler) override;
    HRESULT GetObjectAsync(const BSTR objectPath, LONG flags, IWbemContext* context,
                           IWbemObjectSink* responseHandler) override;
    HRESULT PutClass(IWbemClassObject* object, LONG flags, IWbemContext* context,
                     IWbemCallResult** callResult) override;
    HRESULT PutClassAsync(IWbemClassObject* object, LONG flags, IWbemContext* context,
                          IWbemObjectSink* responseHandler) override;
    HRESULT DeleteClass(const BSTR className, LONG flags, IWbemContext* context,
                        IWbemCallResult** callResult) override;
    HRESULT DeleteClassAsync(const BSTR className, LONG flags, IWbemContext* context,
                             IWbemObjectSink* responseHandler) override;
    HRESULT CreateClassEnum(const BSTR superclass, LONG flags, IWbemContext* context,
                            IEnumWbemClassObject** enumerator) override;
    HRESULT CreateClassEnumAsync(const BSTR superclass, LONG flags, IWbemContext* context,
                                 IWbemObjectSink* responseHandler) override;
    HRESULT PutInstance(IWbemClassObject* instance, LONG flags, IWbemContext* context,
                        IWbemCallResult** callResult) override;
    HRESULT PutInstanceAsync(IWbemClassObject* instance, LONG flags, IWbemContext* context,
                             IWbemObjectSink* responseHandler) override;
    HRESULT DeleteInstance(const BSTR objectPath, LONG flags, IWbemContext* context,
                           IWbemCallResult** callResult) override;
    HRESULT DeleteInstanceAsync(const BSTR objectPath, LONG flags, IWbemContext* context,
                                IWbemObjectSink* responseHandler) override;
    HRESULT CreateInstanceEnum(const BSTR filter, LONG flags, IWbemContext* context,
                               IEnumWbemClassObject** enumerator) override;
    HRESULT CreateInstanceEnumAsync(const BSTR filter, LONG flags, IWbemContext* context,
                                    IWbemObjectSink* responseHandler) override;
    HRESULT ExecQuery(const BSTR queryLanguage, const BSTR query, LONG flags, IWbemContext* context,
                      IEnumWbemClassObject** enumerator) override;
    HRESULT ExecQueryAsync(const BSTR queryLanguage, const BSTR query, LONG flags, IWbemContext* context,
                           IWbemObjectSink* responseHandler) override;
    HRESULT ExecNotificationQuery(const BSTR queryLanguage, const BSTR query, LONG flags, IWbemContext* context,
                                  IEnumWbemClassObject** enumerator) override;
    HRESULT ExecNotificationQueryAsync(const BSTR queryLanguage, const BSTR query, LONG flags,
                                       IWbemContext* context, IWbemObjectSink* responseHandler) override;
    HRESULT ExecMethod(const BSTR objectPath, const BSTR methodName, LONG flags, IWbemContext* context,
                       IWbemClassObject* inParams, IWbemClassObject** outParams,
                       IWbemCallResult** callResult) override;
    HRESULT ExecMethodAsync(const BSTR objectPath, const BSTR methodName, LONG flags, IWbemContext* context,
                            IWbemClassObject* inParams, IWbemObjectSink* responseHandler) override;
};
