// IWbemServices: one WMI namespace: objects, classes, instances, queries and methods.
//
// Object paths, class names and queries are BSTRs from the caller; out-pointers receive new
// references. The asynchronous forms report through the sink (Indicate, then SetStatus).
#pragma once

#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"

class IEnumWbemClassObject;
class IWbemCallResult;
class IWbemClassObject;
class IWbemContext;
class IWbemObjectSink;

class IWbemServices : public IUnknown
{
public:
    static constexpr IID kIID = {0x9556DC99, 0x828C, 0x11CF, {0xA3, 0x7E, 0x00, 0xAA, 0x00, 0x32, 0x40, 0xC7}};

    virtual HRESULT OpenNamespace(const BSTR ns, LONG flags, IWbemContext* context, IWbemServices** workingNamespace,
                                  IWbemCallResult** result) = 0;
    virtual HRESULT CancelAsyncCall(IWbemObjectSink* sink) = 0;
    virtual HRESULT QueryObjectSink(LONG flags, IWbemObjectSink** responseHandler) = 0;
    virtual HRESULT GetObject(const BSTR objectPath, LONG flags, IWbemContext* context, IWbemClassObject** object,
                              IWbemCallResult** callResult) = 0;
    virtual HRESULT GetObjectAsync(const BSTR objectPath, LONG flags, IWbemContext* context,
                                   IWbemObjectSink* responseHandler) = 0;
    virtual HRESULT PutClass(IWbemClassObject* object, LONG flags, IWbemContext* context,
                             IWbemCallResult** callResult) = 0;
    virtual HRESULT PutClassAsync(IWbemClassObject* object, LONG flags, IWbemContext* context,
                                  IWbemObjectSink* responseHandler) = 0;
    virtual HRESULT DeleteClass(const BSTR className, LONG flags, IWbemContext* context,
                                IWbemCallResult** callResult) = 0;
    virtual HRESULT DeleteClassAsync(const BSTR className, LONG flags, IWbemContext* context,
                                     IWbemObjectSink* responseHandler) = 0;
    virtual HRESULT CreateClassEnum(const BSTR superclass, LONG flags, IWbemContext* context,
                                    IEnumWbemClassObject** enumerator) = 0;
    virtual HRESULT CreateClassEnumAsync(const BSTR superclass, LONG flags, IWbemContext* context,
                                         IWbemObjectSink* responseHandler) = 0;
    virtual HRESULT PutInstance(IWbemClassObject* instance, LONG flags, IWbemContext* context,
                                IWbemCallResult** callResult) = 0;
    virtual HRESULT PutInstanceAsync(IWbemClassObject* instance, LONG flags, IWbemContext* context,
                                     IWbemObjectSink* responseHandler) = 0;
    virtual HRESULT DeleteInstance(const BSTR objectPath, LONG flags, IWbemContext* context,
                                   IWbemCallResult** callResult) = 0;
    virtual HRESULT DeleteInstanceAsync(const BSTR objectPath, LONG flags, IWbemContext* context,
                                        IWbemObjectSink* responseHandler) = 0;
    virtual HRESULT CreateInstanceEnum(const BSTR filter, LONG flags, IWbemContext* context,
                                       IEnumWbemClassObject** enumerator) = 0;
    virtual HRESULT CreateInstanceEnumAsync(const BSTR filter, LONG flags, IWbemContext* context,
                                            IWbemObjectSink* responseHandler) = 0;
    virtual HRESULT ExecQuery(const BSTR queryLanguage, const BSTR query, LONG flags, IWbemContext* context,
                              IEnumWbemClassObject** enumerator) = 0;
    virtual HRESULT ExecQueryAsync(const BSTR queryLanguage, const BSTR query, LONG flags, IWbemContext* context,
                                   IWbemObjectSink* responseHandler) = 0;
    virtual HRESULT ExecNotificationQuery(const BSTR queryLanguage, const BSTR query, LONG flags, IWbemContext* context,
                                          IEnumWbemClassObject** enumerator) = 0;
    virtual HRESULT ExecNotificationQueryAsync(const BSTR queryLanguage, const BSTR query, LONG flags,
                                               IWbemContext* context, IWbemObjectSink* responseHandler) = 0;
    virtual HRESULT ExecMethod(const BSTR objectPath, const BSTR methodName, LONG flags, IWbemContext* context,
                               IWbemClassObject* inParams, IWbemClassObject** outParams,
                               IWbemCallResult** callResult) = 0;
    virtual HRESULT ExecMethodAsync(const BSTR objectPath, const BSTR methodName, LONG flags, IWbemContext* context,
                                    IWbemClassObject* inParams, IWbemObjectSink* responseHandler) = 0;

protected:
    ~IWbemServices() = default;
};
