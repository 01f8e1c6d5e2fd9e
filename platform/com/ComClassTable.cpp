#include "platform/com/ComClassTable.h"

#include <algorithm>
#include <tuple>
#include <utility>

bool ComClassTable::GuidLess::operator()(const GUID& left, const GUID& right) const
{
    const auto leftHead = std::tie(left.Data1, left.Data2, left.Data3);
    const auto rightHead = std::tie(right.Data1, right.Data2, right.Data3);
    if (leftHead != rightHead)
        return leftHead < rightHead;
    return std::lexicographical_compare(std::begin(left.Data4), std::end(left.Data4), std::begin(right.Data4),
                                        std::end(right.Data4));
}

ComClassTable& ComClassTable::Instance()
{
    static ComClassTable table;
    return table;
}

void ComClassTable::Register(REFCLSID clsid, Factory factory)
{
    const CheckedMutexLock guard(m_lock);
    if (factory)
        m_factories[clsid] = std::move(factory);
    else
        m_factories.erase(clsid);
}

void ComClassTable::Unregister(REFCLSID clsid)
{
    Register(clsid, Factory());
}

ComPtr<IUnknown> ComClassTable::Create(REFCLSID clsid, bool* registered) const
{
    Factory factory;
    {
        const CheckedMutexLock guard(m_lock);
        const auto found = m_factories.find(clsid);
        if (found != m_factories.end())
            factory = found->second;
    }
    if (registered != nullptr)
        *registered = static_cast<bool>(factory);
    // Made outside the lock: a factory may itself create other classes.
    return factory ? factory() : ComPtr<IUnknown>();
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD clsContext, REFIID iid, LPVOID* object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (outer != nullptr)
        return CLASS_E_NOAGGREGATION;
    if ((clsContext & CLSCTX_ALL) == 0)
        return E_INVALIDARG;
    bool registered = false;
    const ComPtr<IUnknown> created = ComClassTable::Instance().Create(clsid, &registered);
    if (!registered)
        return REGDB_E_CLASSNOTREG;
    if (!created)
        return E_OUTOFMEMORY;
    return created->QueryInterface(iid, object);
}

HRESULT OleRun(IUnknown* object)
{
    return object != nullptr ? S_OK : E_INVALIDARG;
}
