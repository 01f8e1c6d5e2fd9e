#include "bus/CCorvessaNamespace.h"

#include "bus/CCorvessaClassObject.h"
#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMapperRegistry.h"
#include "platform/com/ComError.h"
#include "platform/com/WbemConstants.h"

#include <cwchar>
#include <memory>
#include <new>

namespace
{
// The operations the in-process namespace does not offer report that plainly: answering
// success would leave the caller with out-pointers nothing was written to, or waiting on a
// sink that is never called.
template <class... Out>
HRESULT NotSupported(Out*... out)
{
    ((out != nullptr ? (void)(*out = nullptr) : (void)0), ...);
    return WBEM_E_NOT_SUPPORTED;
}
} // namespace

HRESULT CCorvessaNamespace::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (iid != IUnknown::kIID && iid != IWbemServices::kIID)
        return E_NOINTERFACE;
    *object = static_cast<IWbemServices*>(this);
    return S_OK;
}

ULONG CCorvessaNamespace::AddRef()
{
    return 1;
}

ULONG CCorvessaNamespace::Release()
{
    return 1;
}

HRESULT CCorvessaNamespace::GetObject(const BSTR objectPath, LONG, IWbemContext*, IWbemClassObject** object,
                                      IWbemCallResult**)
{
    if (object == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *object = nullptr;
    try
    {
        std::unique_ptr<CCorvessaClassObject> result;
        if (objectPath == nullptr || std::wcscmp(objectPath, L"Bnt_Element") == 0)
        {
            result = std::make_unique<CCorvessaClassObject>(objectPath == nullptr ? CString() : CString(objectPath));
        }
        else
        {
            CWMITypeInfo* typeInfo = CWmipMapperRegistry::Instance()->GetTypeInfo(CString(objectPath));
            if (typeInfo != nullptr)
                result = std::make_unique<CCorvessaClassObject>(*typeInfo->GetTypeInformation());
            else
                result = std::make_unique<CCorvessaClassObject>(CString(objectPath));
        }
        *object = result.release();
        return WBEM_S_NO_ERROR;
    }
    catch (const std::bad_alloc&)
    {
        return WBEM_E_OUT_OF_MEMORY;
    }
    catch (const _com_error& error)
    {
        return error.Error();
    }
}

HRESULT CCorvessaNamespace::OpenNamespace(const BSTR, LONG, IWbemContext*, IWbemServices** workingNamespace,
                                          IWbemCallResult** result)
{
    return NotSupported(workingNamespace, result);
}

HRESULT CCorvessaNamespace::CancelAsyncCall(IWbemObjectSink*)
{
    return NotSupported();
}

HRESULT CCorvessaNamespace::QueryObjectSink(LONG, IWbemObjectSink** responseHandler)
{
    return NotSupported(responseHandler);
}

HRESULT CCorvessaNamespace::GetObjectAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
{
    return NotSupported();
}

HRESULT CCorvessaNamespace::PutClass(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult** callResult)
{
    return NotSupported(callResult);
}

HRESULT CCorvessaNamespace::PutClassAsync(IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*)
{
    return NotSupported();
}

HRESULT CCorvessaNamespace::DeleteClass(const BSTR, LONG, IWbemContext*, IWbemCallResult** callResult)
{
    return NotSupported(callResult);
}

HRESULT CCorvessaNamespace::DeleteClassAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
{
    return NotSupported();
}

HRESULT CCorvessaNamespace::CreateClassEnum(const BSTR, LONG, IWbemContext*, IEnumWbemClassObject** enumerator)
{
    return NotSupported(enumerator);
}

HRESULT CCorvessaNamespace::CreateClassEnumAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
{
    return NotSupported();
}

HRESULT CCorvessaNamespace::PutInstance(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult** callResult)
{
    return NotSupported(callResult);
}

HRESULT CCorvessaNamespace::PutInstanceAsync(IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*)
{
    return NotSupported();
}

HRESULT CCorvessaNamespace::DeleteInstance(const BSTR, LONG, IWbemContext*, IWbemCallResult** callResult)
{
    return NotSupported(callResult);
}

HRESULT CCorvessaNamespace::DeleteInstanceAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
{
    return NotSupported();
}

HRESULT CCorvessaNamespace::CreateInstanceEnum(const BSTR, LONG, IWbemContext*, IEnumWbemClassObject** enumerator)
{
    return NotSupported(enumerator);
}

HRESULT CCorvessaNamespace::CreateInstanceEnumAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
{
    return NotSupported();
}

HRESULT CCorvessaNamespace::ExecQuery(const BSTR, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject** enumerator)
{
    return NotSupported(enumerator);
}

HRESULT CCorvessaNamespace::ExecQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
{
    return NotSupported();
}

HRESULT CCorvessaNamespace::ExecNotificationQuery(const BSTR, const BSTR, LONG, IWbemContext*,
                                                  IEnumWbemClassObject** enumerator)
{
    return NotSupported(enumerator);
}

HRESULT CCorvessaNamespace::ExecNotificationQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
{
    return NotSupported();
}

HRESULT CCorvessaNamespace::ExecMethod(const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*,
                                       IWbemClassObject** outParams, IWbemCallResult** callResult)
{
    return NotSupported(outParams, callResult);
}

HRESULT CCorvessaNamespace::ExecMethodAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*,
                                            IWbemObjectSink*)
{
    return NotSupported();
}
