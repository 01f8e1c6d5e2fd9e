#include "framework/objects/CCorvessaNamespace.h"

#include "framework/objects/CCorvessaClassObject.h"
#include "framework/objects/ICorvessaClassSource.h"
#include "platform/com/ComError.h"
#include "platform/com/WbemConstants.h"

#include <cwchar>
#include <memory>
#include <new>

CCorvessaNamespace& CCorvessaNamespace::Instance()
{
    static CCorvessaNamespace services;
    return services;
}

HRESULT CCorvessaNamespace::QueryInterface(REFIID iid, void** object)
{
    // The namespace lives as long as the process; its AddRef counts nothing.
    return QueryOnlyInterface<IWbemServices>(this, iid, object);
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
            if (ICorvessaClassSource* source = ICorvessaClassSource::Installed(); source != nullptr)
                result = source->NewClassDefinition(CString(objectPath));
            if (result == nullptr)
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
