#include "bus/CCorvessaObjectSink.h"

#include "platform/com/ComError.h"
#include "platform/com/WbemConstants.h"

#include <new>

HRESULT CCorvessaObjectSink::QueryInterface(REFIID iid, void** object)
{
    return QueryOnlyInterface<IWbemObjectSink>(this, iid, object);
}

ULONG CCorvessaObjectSink::AddRef()
{
    m_refCount.fetch_add(1);
    return 0;
}

ULONG CCorvessaObjectSink::Release()
{
    if (m_refCount.fetch_sub(1) - 1 <= 0)
        delete this;
    return 0;
}

HRESULT CCorvessaObjectSink::Indicate(LONG count, IWbemClassObject** objects)
{
    if (count != 1 || objects == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    const auto* object = dynamic_cast<const CCorvessaClassObject*>(objects[0]);
    if (object == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    try
    {
        m_object = std::make_unique<CCorvessaClassObject>(*object);
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

HRESULT CCorvessaObjectSink::SetStatus(LONG, HRESULT, BSTR, IWbemClassObject*)
{
    return WBEM_S_NO_ERROR;
}
