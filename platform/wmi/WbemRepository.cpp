#include "platform/wmi/WbemRepository.h"

#include <algorithm>

#include "platform/com/ComError.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemCall.h"
#include "platform/wmi/WbemName.h"

namespace {
// Throws the failure of a call made while the system classes are built: they are fixed, so
// only short memory can fail them.
void Check(HRESULT hr)
{
    if (FAILED(hr))
        throw _com_error(hr);
}
}  // namespace

WbemRepository::WbemRepository(std::wstring server, std::wstring ns)
    : m_server(std::move(server)), m_namespace(std::move(ns))
{
    // Nobody else sees the repository yet; the lock keeps the contract of AddSystemClass.
    const CheckedMutexLock guard(m_lock);
    AddSystemClass(L"__SystemClass", nullptr, {}, true);
    AddSystemClass(L"__NotifyStatus", L"__SystemClass", {{L"StatusCode", CIM_UINT32}}, false);
    AddSystemClass(L"__ExtendedStatus", L"__NotifyStatus",
                   {{L"Description", CIM_STRING},
                    {L"Operation", CIM_STRING},
                    {L"ParameterInfo", CIM_STRING},
                    {L"ProviderName", CIM_STRING}},
                   false);
    AddSystemClass(L"__IndicationRelated", L"__SystemClass", {}, true);
    AddSystemClass(L"__Event", L"__IndicationRelated",
                   {{L"SECURITY_DESCRIPTOR", CIM_UINT8 | CIM_FLAG_ARRAY}, {L"TIME_CREATED", CIM_UINT64}}, true);
    AddSystemClass(L"__ExtrinsicEvent", L"__Event", {}, true);
    AddSystemClass(L"__InstanceOperationEvent", L"__Event", {{L"TargetInstance", CIM_OBJECT}}, true);
    AddSystemClass(L"__InstanceCreationEvent", L"__InstanceOperationEvent", {}, false);
    AddSystemClass(L"__InstanceModificationEvent", L"__InstanceOperationEvent", {{L"PreviousInstance", CIM_OBJECT}},
                   false);
    AddSystemClass(L"__InstanceDeletionEvent", L"__InstanceOperationEvent", {}, false);
}

void WbemRepository::AddSystemClass(const wchar_t* name, const wchar_t* superclass,
                                    std::initializer_list<std::pair<const wchar_t*, CIMTYPE>> properties, bool abstract)
{
    ComPtr<IWbemClassObject> created;
    Check(CreateWbemClass(name, superclass == nullptr ? nullptr : Find(superclass), &created));
    for (const auto& [property, type] : properties)
        Check(created->Put(property, 0, nullptr, type));
    if (abstract)
    {
        _variant_t yes(true);
        Check(WbemClassObject::FromInterface(created)->Qualifiers()->Put(L"abstract", &yes, 0));
    }
    ComPtr<WbemClassObject> stored(WbemClassObject::FromInterface(created));
    stored->SetLocation(m_server, m_namespace);
    m_index.emplace(WbemName::Upper(name), m_classes.size());
    m_classes.push_back(std::move(stored));
}

WbemClassObject* WbemRepository::Find(std::wstring_view className) const
{
    const auto found = m_index.find(WbemName::Upper(className));
    return found == m_index.end() ? nullptr : m_classes[found->second].Get();
}

HRESULT WbemRepository::CopyOf(WbemClassObject& stored, WbemClassObject** copy)
{
    IWbemClassObject* clone = nullptr;
    const HRESULT hr = stored.Clone(&clone);
    if (FAILED(hr))
        return hr;
    *copy = WbemClassObject::FromInterface(clone);
    return WBEM_S_NO_ERROR;
}

HRESULT WbemRepository::PutClass(IWbemClassObject* classObject, LONG flags)
{
    WbemClassObject* source = WbemClassObject::FromInterface(classObject);
    if (source == nullptr || !source->IsClass())
        return WBEM_E_INVALID_PARAMETER;
    return WbemCall::Run([&]() -> HRESULT {
        const std::wstring name = source->ClassName();
        if (name.empty())
            return WBEM_E_INCOMPLETE_CLASS;
        if (WbemName::IsSystemName(name))
            return WBEM_E_INVALID_OPERATION;
        const std::wstring superclass = source->SuperclassName();
        ComPtr<WbemClassObject> copy;
        HRESULT hr = CopyOf(*source, &copy);
        if (FAILED(hr))
            return hr;
        copy->SetLocation(m_server, m_namespace);

        const CheckedMutexLock guard(m_lock);
        if (!superclass.empty() && Find(superclass) == nullptr)
            return WBEM_E_INVALID_SUPERCLASS;
        const auto existing = m_index.find(WbemName::Upper(name));
        if (existing == m_index.end())
        {
            if ((flags & WBEM_FLAG_UPDATE_ONLY) != 0)
                return WBEM_E_NOT_FOUND;
            // Room is made before the index names the new slot, so the push cannot throw;
            // doubling keeps the cost of adding a class constant.
            if (m_classes.size() == m_classes.capacity())
                m_classes.reserve(std::max<std::size_t>(16, m_classes.size() * 2));
            m_index.emplace(WbemName::Upper(name), m_classes.size());
            m_classes.push_back(std::move(copy));
            return WBEM_S_NO_ERROR;
        }
        if ((flags & WBEM_FLAG_CREATE_ONLY) != 0)
            return WBEM_E_ALREADY_EXISTS;
        for (const ComPtr<WbemClassObject>& stored : m_classes)
        {
            if (WbemName::Equal(stored->SuperclassName(), name))
                return WBEM_E_CLASS_HAS_CHILDREN;
        }
        m_classes[existing->second] = std::move(copy);
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemRepository::GetClass(std::wstring_view className, WbemClassObject** copy) const
{
    if (copy == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *copy = nullptr;
    return WbemCall::Run([&]() -> HRESULT {
        const CheckedMutexLock guard(m_lock);
        WbemClassObject* stored = Find(className);
        return stored == nullptr ? WBEM_E_NOT_FOUND : CopyOf(*stored, copy);
    });
}

HRESULT WbemRepository::EnumerateClasses(std::wstring_view superclass, bool deep,
                                         std::vector<ComPtr<WbemClassObject>>* classes) const
{
    if (classes == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    classes->clear();
    return WbemCall::Run([&]() -> HRESULT {
        const CheckedMutexLock guard(m_lock);
        const std::wstring ancestor(superclass);
        if (!ancestor.empty() && Find(ancestor) == nullptr)
            return WBEM_E_INVALID_CLASS;
        std::vector<ComPtr<WbemClassObject>> result;
        for (const ComPtr<WbemClassObject>& stored : m_classes)
        {
            bool below = false;
            if (!deep)
                below = WbemName::Equal(stored->SuperclassName(), ancestor);
            else
                below = ancestor.empty() || (!WbemName::Equal(stored->ClassName(), ancestor) &&
                                             stored->InheritsFrom(ancestor.c_str()) == WBEM_S_NO_ERROR);
            if (!below)
                continue;
            ComPtr<WbemClassObject> copy;
            const HRESULT hr = CopyOf(*stored, &copy);
            if (FAILED(hr))
                return hr;
            result.push_back(std::move(copy));
        }
        *classes = std::move(result);
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemRepository::GetInstanceProvider(std::wstring_view className, std::wstring* provider) const
{
    if (provider == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return WbemCall::Run([&]() -> HRESULT {
        const CheckedMutexLock guard(m_lock);
        WbemClassObject* stored = Find(className);
        if (stored == nullptr)
            return WBEM_E_NOT_FOUND;
        provider->clear();
        if (!stored->Qualifiers()->IsTrue(L"Dynamic"))
            return WBEM_S_NO_ERROR;
        _variant_t name;
        if (FAILED(stored->Qualifiers()->Get(L"Provider", 0, &name, nullptr)) || name.vt != VT_BSTR ||
            name.bstrVal == nullptr || SysStringLen(name.bstrVal) == 0)
            return WBEM_E_INVALID_PROVIDER_REGISTRATION;
        provider->assign(name.bstrVal, SysStringLen(name.bstrVal));
        return WBEM_S_NO_ERROR;
    });
}

ComPtr<IWbemClassObject> WbemRepository::NewRefusal(HRESULT status, std::wstring_view description) const
{
    ComPtr<WbemClassObject> statusClass;
    ComPtr<IWbemClassObject> refusal;
    if (FAILED(GetClass(L"__ExtendedStatus", &statusClass)) || FAILED(statusClass->SpawnInstance(0, &refusal)))
        return nullptr;
    const std::wstring text(description);
    _variant_t code(static_cast<LONG>(status));
    _variant_t reason(text.c_str());
    if (FAILED(refusal->Put(L"StatusCode", 0, &code, 0)) || FAILED(refusal->Put(L"Description", 0, &reason, 0)))
        return nullptr;
    return refusal;
}
