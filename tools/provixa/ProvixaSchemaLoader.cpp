#include "tools/provixa/ProvixaSchemaLoader.h"

#include "framework/CWMITypeInfo.h"
#include "framework/CWmipClassMapper.h"
#include "framework/CWmipManagerClassDefinitions.h"
#include "framework/CWmipMapperRegistry.h"
#include "platform/com/BstrOwner.h"
#include "platform/com/ComError.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemQualifierSet.h"
#include "platform/wmi/WbemCall.h"
#include "platform/wmi/WbemClassObject.h"
#include "platform/wmi/WbemName.h"
#include "platform/wmi/WbemRepository.h"
#include "platform/wmi/WbemSecurityEventClasses.h"

#include <map>
#include <memory>
#include <set>

namespace {
// Throws a failed step so that the class being copied fails as a whole.
void ThrowOnFailure(HRESULT hr)
{
    if (FAILED(hr))
        throw _com_error(hr);
}

// Copies every qualifier of one set into another. The registry keeps integer qualifiers as
// VT_INT, which WMI carries as VT_I4.
void CopyQualifiers(IWbemQualifierSet* source, IWbemQualifierSet* target)
{
    ThrowOnFailure(source->BeginEnumeration(0));
    for (;;)
    {
        BstrOwner name;
        _variant_t value;
        LONG flavor = 0;
        const HRESULT hr = source->Next(0, name.Receive(), &value, &flavor);
        if (hr == WBEM_S_NO_MORE_DATA)
            break;
        ThrowOnFailure(hr);
        if (value.vt == VT_INT)
            value = _variant_t(static_cast<LONG>(value.intVal));
        ThrowOnFailure(target->Put(name.Get(), &value, flavor & ~WBEM_FLAVOR_MASK_ORIGIN));
    }
    source->EndEnumeration();
}

// Copies the properties the target does not have yet (with their defaults) and the qualifiers
// of every property of the source.
void CopyProperties(IWbemClassObject* source, IWbemClassObject* target)
{
    ThrowOnFailure(source->BeginEnumeration(WBEM_FLAG_NONSYSTEM_ONLY));
    for (;;)
    {
        BstrOwner name;
        _variant_t value;
        CIMTYPE type = CIM_EMPTY;
        const HRESULT hr = source->Next(0, name.Receive(), &value, &type, nullptr);
        if (hr == WBEM_S_NO_MORE_DATA)
            break;
        ThrowOnFailure(hr);
        if (FAILED(target->Get(name.Get(), 0, nullptr, nullptr, nullptr)))
            ThrowOnFailure(target->Put(name.Get(), 0, value.vt == VT_EMPTY ? nullptr : &value, type));
        ComPtr<IWbemQualifierSet> from;
        ComPtr<IWbemQualifierSet> to;
        ThrowOnFailure(source->GetPropertyQualifierSet(name.Get(), &from));
        ThrowOnFailure(target->GetPropertyQualifierSet(name.Get(), &to));
        CopyQualifiers(from.Get(), to.Get());
    }
    source->EndEnumeration();
}

// A property that the class declares without "key" does not key its instances, even when its
// superclass declares it as a key (the alarm inputs and outputs are keyed by ID alone).
void KeepDeclaredKeys(IWbemClassObject* source, const CWMITypeInfo& typeInfo, IWbemClassObject* target)
{
    ThrowOnFailure(source->BeginEnumeration(WBEM_FLAG_NONSYSTEM_ONLY));
    for (;;)
    {
        BstrOwner name;
        const HRESULT hr = source->Next(0, name.Receive(), nullptr, nullptr, nullptr);
        if (hr == WBEM_S_NO_MORE_DATA)
            break;
        ThrowOnFailure(hr);
        if (typeInfo.IsPropertyAKeyProperty(name.Get()))
            continue;
        ComPtr<IWbemQualifierSet> qualifiers;
        ThrowOnFailure(target->GetPropertyQualifierSet(name.Get(), &qualifiers));
        _variant_t key;
        if (SUCCEEDED(qualifiers->Get(L"key", 0, &key, nullptr)) && key.vt == VT_BOOL && key.boolVal != VARIANT_FALSE)
        {
            _variant_t plain(false);
            ThrowOnFailure(qualifiers->Put(L"key", &plain, 0));
        }
    }
    source->EndEnumeration();
}

// The repository keeps the value lists the schema declares, never one the running system fills
// (a user's permission groups, the user-defined lists): those are each caller's own, built per
// request, and a copy taken while the host starts would list every record to every caller.
void KeepDeclaredValueLists(const CWMITypeInfo& typeInfo, IWbemClassObject* target)
{
    ThrowOnFailure(target->BeginEnumeration(WBEM_FLAG_NONSYSTEM_ONLY));
    std::vector<BstrOwner> names;
    for (;;)
    {
        BstrOwner name;
        const HRESULT hr = target->Next(0, name.Receive(), nullptr, nullptr, nullptr);
        if (hr == WBEM_S_NO_MORE_DATA)
            break;
        ThrowOnFailure(hr);
        if (!typeInfo.HasDeclaredValueList(name.Get()))
            names.push_back(std::move(name));
    }
    target->EndEnumeration();
    for (const BstrOwner& name : names)
    {
        ComPtr<IWbemQualifierSet> qualifiers;
        ThrowOnFailure(target->GetPropertyQualifierSet(name.Get(), &qualifiers));
        qualifiers->Delete(L"ValueMap");
        qualifiers->Delete(L"Values");
    }
}

// A "__PARAMETERS" class of this implementation holding the source signature's parameters
// with their qualifiers ("ID" numbering included) as registered.
ComPtr<IWbemClassObject> CopySignature(IWbemClassObject* source)
{
    ComPtr<IWbemClassObject> copy;
    if (source == nullptr)
        return copy;
    ThrowOnFailure(CreateWbemClass(L"__PARAMETERS", nullptr, &copy));
    CopyProperties(source, copy.Get());
    return copy;
}

void CopyMethods(IWbemClassObject* source, IWbemClassObject* target)
{
    ThrowOnFailure(source->BeginMethodEnumeration(0));
    for (;;)
    {
        BstrOwner name;
        ComPtr<IWbemClassObject> in;
        ComPtr<IWbemClassObject> out;
        const HRESULT hr = source->NextMethod(0, name.Receive(), &in, &out);
        if (hr == WBEM_S_NO_MORE_DATA)
            break;
        ThrowOnFailure(hr);
        const ComPtr<IWbemClassObject> inCopy = CopySignature(in.Get());
        const ComPtr<IWbemClassObject> outCopy = CopySignature(out.Get());
        ThrowOnFailure(target->PutMethod(name.Get(), 0, inCopy.Get(), outCopy.Get()));
        ComPtr<IWbemQualifierSet> from;
        ComPtr<IWbemQualifierSet> to;
        ThrowOnFailure(source->GetMethodQualifierSet(name.Get(), &from));
        ThrowOnFailure(target->GetMethodQualifierSet(name.Get(), &to));
        CopyQualifiers(from.Get(), to.Get());
    }
    source->EndMethodEnumeration();
}

void PutClassQualifier(IWbemClassObject* target, LPCWSTR name, _variant_t value)
{
    ComPtr<IWbemQualifierSet> qualifiers;
    ThrowOnFailure(target->GetQualifierSet(&qualifiers));
    ThrowOnFailure(qualifiers->Put(name, &value, 0));
}

// Copies the classes of the registry into the repository, each after its superclass.
class SchemaCopy
{
public:
    SchemaCopy(WbemRepository& repository, CWmipMapperRegistry& registry)
        : m_repository(repository), m_registry(registry)
    {
    }

    HRESULT CopyAll(std::wstring* failedClass)
    {
        for (const CString& name : m_registry.GetTypeNames())
        {
            const HRESULT hr = Copy(name);
            if (FAILED(hr))
            {
                *failedClass = m_failedClass;
                return hr;
            }
        }
        return WBEM_S_NO_ERROR;
    }

private:
    // The declarations leave the superclass of a class the provider builds per caller empty:
    // its mapper names it (Bnt_Badge below Bnt_Element, Bnt_Cardholder below Bnt_Person).
    static CString SuperclassOf(CWMITypeInfo& typeInfo)
    {
        if (!typeInfo.IsDynamic() || !typeInfo.GetTypeConstructor())
            return typeInfo.GetParentTypeName();
        const std::unique_ptr<CWmipClassMapper> mapper(
            MapperFactory::AsClassMapper(typeInfo.GetTypeConstructor()(nullptr, nullptr, nullptr, Door::kWmi)));
        return mapper != nullptr ? mapper->GetSuperclassName() : typeInfo.GetParentTypeName();
    }

    HRESULT Copy(const CString& name)
    {
        const std::wstring key = WbemName::Upper(static_cast<LPCWSTR>(name));
        if (m_done.count(key) != 0)
            return WBEM_S_NO_ERROR;
        m_failedClass = static_cast<LPCWSTR>(name);
        // A superclass chain that comes back to a class being copied cannot be built.
        if (!m_inProgress.insert(key).second)
            return WBEM_E_CIRCULAR_REFERENCE;
        CWMITypeInfo* typeInfo = m_registry.GetTypeInfo(name, true);
        if (typeInfo == nullptr)
            return WBEM_E_INVALID_CLASS;
        const CString superclass = SuperclassOf(*typeInfo);
        ComPtr<WbemClassObject> parent;
        if (!superclass.IsEmpty())
        {
            if (m_registry.GetTypeInfo(superclass, true) == nullptr)
                return WBEM_E_INVALID_SUPERCLASS;
            const HRESULT hr = Copy(superclass);
            if (FAILED(hr))
                return hr;
            m_failedClass = static_cast<LPCWSTR>(name);
            ThrowOnFailure(m_repository.GetClass(static_cast<LPCWSTR>(superclass), &parent));
        }
        const HRESULT hr = WbemCall::Run([&]() -> HRESULT {
            ComPtr<IWbemClassObject> created;
            ThrowOnFailure(CreateWbemClass(name, parent.Get(), &created));
            const std::shared_ptr<CCorvessaClassObject> held = typeInfo->GetTypeInformation();
            IWbemClassObject* definition = held.get();
            ComPtr<IWbemQualifierSet> from;
            ComPtr<IWbemQualifierSet> to;
            ThrowOnFailure(definition->GetQualifierSet(&from));
            ThrowOnFailure(created->GetQualifierSet(&to));
            CopyQualifiers(from.Get(), to.Get());
            CopyProperties(definition, created.Get());
            KeepDeclaredKeys(definition, *typeInfo, created.Get());
            CopyMethods(definition, created.Get());
            KeepDeclaredValueLists(*typeInfo, created.Get());
            PutClassQualifier(created.Get(), L"Dynamic", _variant_t(true));
            PutClassQualifier(created.Get(), L"Provider", _variant_t(ProvixaSchemaLoader::kProviderName));
            if (m_registry.IsClassAbstract(name))
                PutClassQualifier(created.Get(), L"abstract", _variant_t(true));
            // The provider builds these definitions per caller (user-defined fields, rights).
            if (typeInfo->IsDynamic())
                PutClassQualifier(created.Get(), L"ClassProvider", _variant_t(true));
            return m_repository.PutClass(created.Get(), WBEM_FLAG_CREATE_ONLY);
        });
        if (FAILED(hr))
            return hr;
        m_inProgress.erase(key);
        m_done.insert(key);
        return WBEM_S_NO_ERROR;
    }

    WbemRepository& m_repository;
    CWmipMapperRegistry& m_registry;
    std::set<std::wstring> m_done;
    std::set<std::wstring> m_inProgress;
    std::wstring m_failedClass;
};
}  // namespace

HRESULT ProvixaSchemaLoader::Load(WbemRepository& repository, std::wstring* failedClass)
{
    if (failedClass == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    failedClass->clear();
    return WbemCall::Run([&]() -> HRESULT {
        SchemaCopy copy(repository, *CWmipMapperRegistry::Instance());
        const HRESULT hr = copy.CopyAll(failedClass);
        if (FAILED(hr))
            return hr;
        // The manager classes are not declared: WMI keeps their definitions itself, as it
        // keeps the hardware event classes that the event provider serves.
        const HRESULT managers = CWmipManagerClassDefinitions::AddTo(repository);
        return FAILED(managers) ? managers : WbemSecurityEventClasses::AddTo(repository);
    });
}
