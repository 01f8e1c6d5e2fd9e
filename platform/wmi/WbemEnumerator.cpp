#include "platform/wmi/WbemEnumerator.h"

#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemObjectSink.h"
#include "platform/wmi/WbemCall.h"

#include <algorithm>

ComPtr<WbemEnumerator> WbemEnumerator::Create(ObjectList objects)
{
    return MakeComObject<WbemEnumerator>(std::make_shared<const ObjectList>(std::move(objects)), 0);
}

WbemEnumerator::WbemEnumerator(std::shared_ptr<const ObjectList> objects, std::size_t position)
    : m_objects(std::move(objects)), m_position(position)
{
}

HRESULT WbemEnumerator::QueryInterface(REFIID iid, void** object)
{
    return QueryOnlyInterface<IEnumWbemClassObject>(this, iid, object);
}

WbemEnumerator::ObjectList WbemEnumerator::Take(ULONG count)
{
    const CheckedMutexLock guard(m_lock);
    const std::size_t available = m_objects->size() - m_position;
    const std::size_t taken = std::min<std::size_t>(available, count);
    const auto first = m_objects->begin() + static_cast<std::ptrdiff_t>(m_position);
    ObjectList result(first, first + static_cast<std::ptrdiff_t>(taken));
    m_position += taken;
    return result;
}

HRESULT WbemEnumerator::Reset()
{
    const CheckedMutexLock guard(m_lock);
    m_position = 0;
    return WBEM_S_NO_ERROR;
}

HRESULT WbemEnumerator::Next(LONG timeout, ULONG count, IWbemClassObject** objects, ULONG* returned)
{
    if (returned == nullptr || (objects == nullptr && count > 0) || (timeout < 0 && timeout != WBEM_INFINITE))
        return WBEM_E_INVALID_PARAMETER;
    *returned = 0;
    return WbemCall::Run([&]() -> HRESULT {
        ObjectList taken = Take(count);
        for (std::size_t i = 0; i < taken.size(); ++i)
            objects[i] = taken[i].Detach();
        *returned = static_cast<ULONG>(taken.size());
        return taken.size() == count ? WBEM_S_NO_ERROR : WBEM_S_FALSE;
    });
}

HRESULT WbemEnumerator::NextAsync(ULONG count, IWbemObjectSink* sink)
{
    if (sink == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return WbemCall::Run([&]() -> HRESULT {
        ObjectList taken = Take(count);
        for (const ComPtr<IWbemClassObject>& object : taken)
        {
            IWbemClassObject* one = object.Get();
            sink->Indicate(1, &one);
        }
        sink->SetStatus(WBEM_STATUS_COMPLETE, taken.size() == count ? WBEM_S_NO_ERROR : WBEM_S_FALSE, nullptr, nullptr);
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemEnumerator::Clone(IEnumWbemClassObject** copy)
{
    if (copy == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *copy = nullptr;
    return WbemCall::Run([&]() -> HRESULT {
        std::size_t position = 0;
        {
            const CheckedMutexLock guard(m_lock);
            position = m_position;
        }
        *copy = MakeComObject<WbemEnumerator>(m_objects, position).Detach();
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemEnumerator::Skip(LONG timeout, ULONG count)
{
    if (timeout < 0 && timeout != WBEM_INFINITE)
        return WBEM_E_INVALID_PARAMETER;
    const CheckedMutexLock guard(m_lock);
    const std::size_t available = m_objects->size() - m_position;
    const std::size_t skipped = std::min<std::size_t>(available, count);
    m_position += skipped;
    return skipped == count ? WBEM_S_NO_ERROR : WBEM_S_FALSE;
}
