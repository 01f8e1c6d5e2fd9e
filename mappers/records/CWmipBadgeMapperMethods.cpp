// CWmipBadgeMapper: the per-user class definition with its methods, and the method AddBadge.
#include "mappers/records/CWmipBadgeMapper.h"

#include <map>
#include <memory>

#include "framework/objects/CCorvessaMethodDescriptor.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipMethodSignatures.h"
#include "framework/CWmipObjectPath.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/records/helpers/CWmipMethodOutput.h"
#include "platform/com/CimTypes.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemObjectSink.h"
#include "platform/wmi/WbemClassObject.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

constexpr const wchar_t* kBadgeMapperMethodsSourceFile = L"wpBadgeMapper.cpp";
// Flavour of the qualifiers the definition carries.
constexpr LONG kQualifierFlavor = 3;
constexpr LONG kPinKindSix = 6;
constexpr LONG kPinKindNine = 9;
constexpr int kDefaultPinLength = 4;
// The log line of a failed AddBadge, followed by its reason.
constexpr wchar_t kAddBadgeFailed[] = L"CWmipBadgeMapper::AddBadge failed.";

// Whether the caller's TYPE list is its own (the badge types of its segments) rather than the
// one built with the definition.
bool ShapesTypeList(const CAcsUser& user)
{
    return !user.IsAllSegmentsUser() && user.GetSystemOptions().IsBadgeTypeSegmentationEnabled();
}

// "DefaultValue" qualifiers of a new badge.
constexpr struct
{
    const wchar_t* property;
    const wchar_t* value;
} kDefaults[] = {
    {L"STATUS", L"1"},
    {L"PRINTS", L"0"},
    {L"APBEXEMPT", L"0"},
    {L"EXTEND_STRIKE_HELD", L"0"},
    {L"DEADBOLT_OVERRIDE", L"0"},
    {L"PASSAGE_MODE", L"0"},
    {L"DEFAULT_DOOR", L"1"},
};

HRESULT PutQualifier(IWbemClassObject* classObject, const wchar_t* property, const wchar_t* name,
                     const _variant_t& value)
{
    ComPtr<IWbemQualifierSet> qualifiers;
    HRESULT hr = classObject->GetPropertyQualifierSet(property, &qualifiers);
    if (FAILED(hr))
        return hr;
    _variant_t copy(value);
    return qualifiers->Put(name, &copy, kQualifierFlavor);
}

HRESULT PutMethodQualifier(IWbemClassObject* classObject, const wchar_t* method, const wchar_t* name)
{
    ComPtr<IWbemQualifierSet> qualifiers;
    HRESULT hr = classObject->GetMethodQualifierSet(method, &qualifiers);
    if (FAILED(hr))
        return hr;
    _variant_t yes(true);
    return qualifiers->Put(name, &yes, kQualifierFlavor);
}

// The shared builder makes the "__PARAMETERS" signatures of the definition's own kind: the bus
// builds this definition on its own class object, which takes no signature of another kind.
HRESULT AddMethods(IWbemClassObject* classObject)
{
    CCorvessaMethodDescriptor addBadge(L"AddBadge");
    addBadge.AddParameter(true, L"BadgeIn", CIM_OBJECT);
    addBadge.AddParameter(false, L"BadgeOut", CIM_OBJECT);
    CCorvessaMethodDescriptor assignLevels(L"AssignAccessLevel");
    assignLevels.AddParameter(true, L"LevelIn", CIM_UINT32 | CIM_FLAG_ARRAY);
    const std::map<CString, CCorvessaMethodDescriptor> methods{{addBadge.GetMethodName(), addBadge},
                                                               {assignLevels.GetMethodName(), assignLevels}};
    const HRESULT hr = CWmipMethodSignatures::AddTo(methods, classObject);
    if (FAILED(hr))
        return hr;
    return PutMethodQualifier(classObject, L"AddBadge", L"static");
}

}  // namespace

HRESULT CWmipBadgeMapper::CreateClass(IWbemClassObject** classObject, BOOL system)
{
    if (classObject == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    ComPtr<IWbemClassObject> created;
    HRESULT hr = CWmipUDFClassMapper::CreateClass(&created, system);
    if (FAILED(hr))
        return hr;
    hr = PutProperty(created.Get(), L"BADGEKEY", CIM_SINT32, kPropertyKey | kPropertyRead | kPropertyNoEdit, 0, nullptr,
                     nullptr, 0, nullptr);
    if (SUCCEEDED(hr))
        hr = PutProperty(created.Get(), L"PERSONID", CIM_SINT32, kPropertyNotNull | kPropertyRead, 0, nullptr, nullptr,
                         0, nullptr);
    if (SUCCEEDED(hr))
        hr = PutQualifier(created.Get(), L"PERSONID", L"propagated", _variant_t(L"Bnt_Person.ID"));
    for (const auto& entry : kDefaults)
    {
        _variant_t present;
        if (SUCCEEDED(hr) && SUCCEEDED(created->Get(entry.property, 0, &present, nullptr, nullptr)))
            hr = PutQualifier(created.Get(), entry.property, L"DefaultValue", _variant_t(entry.value));
    }
    _variant_t pin;
    if (SUCCEEDED(hr) && !system && SUCCEEDED(created->Get(L"PIN", 0, &pin, nullptr, nullptr)))
    {
        // The PIN qualifiers follow the installation's options, which the list stamp covers.
        const CAcsUser* user = RequireUser();
        const LONG kind = user->GetPinLengthKind();
        const int maxlen = kind == kPinKindSix ? 6 : kind == kPinKindNine ? 9 : kDefaultPinLength;
        hr = PutQualifier(created.Get(), L"PIN", L"maxlen", _variant_t(static_cast<LONG>(maxlen)));
        if (SUCCEEDED(hr) && !user->IsPinEditable())
            hr = PutQualifier(created.Get(), L"PIN", L"noedit", _variant_t(true));
        if (SUCCEEDED(hr) && user->ArePinsUnique())
            hr = PutQualifier(created.Get(), L"PIN", L"Unique", _variant_t(true));
    }
    if (SUCCEEDED(hr))
        hr = AddMethods(created.Get());
    if (FAILED(hr))
        return hr;
    *classObject = created.Detach();
    return S_OK;
}

CWmipMapper::DefinitionReuse CWmipBadgeMapper::GetBuiltClassReuse()
{
    return CWmipUDFClassMapper::GetBuiltClassReuse();
}

HRESULT CWmipBadgeMapper::ProcessClassPermissions(IWbemClassObject* classObject)
{
    HRESULT hr = CWmipUDFClassMapper::ProcessClassPermissions(classObject);
    if (FAILED(hr) || classObject == nullptr)
        return hr;
    CAcsUser* user = RequireUser();
    if (!ShapesTypeList(*user))
        return hr;
    ComPtr<IWbemQualifierSet> qualifiers;
    if (FAILED(classObject->GetPropertyQualifierSet(L"TYPE", &qualifiers)) || qualifiers == nullptr)
        return hr;
    qualifiers->Delete(L"ValueMap");
    qualifiers->Delete(L"Values");
    CString extra;
    return PutListValueQualifiers(classObject, L"TYPE", L"BADGETYP", extra, user, 0);
}

CWmipMapper::DefinitionReuse CWmipBadgeMapper::GetShapedClassReuse()
{
    CAcsUser* user = nullptr;
    if (FAILED(GetUser(&user)) || user == nullptr || !ShapesTypeList(*user))
        return DefinitionReuse::Never;
    return DefinitionReuse::WhileRightsAndListsSame;
}

HRESULT CWmipBadgeMapper::ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG, IWbemContext*,
                                        IWbemClassObject* inParams, IWbemObjectSink* sink)
{
    const CString name(methodName != nullptr ? methodName : L"");
    if (name.CompareNoCase(L"AddBadge") == 0)
        return AddBadge(inParams, sink);
    if (path == nullptr)
        throw CWMIException(kBadgeMapperMethodsSourceFile, __LINE__, WBEM_E_NOT_FOUND, CWmipMessages::kNotFound);
    if (name.CompareNoCase(L"AssignAccessLevel") == 0)
        return AssignAccessLevel(path, inParams, sink);
    ComPtr<IWbemClassObject> instance;
    instance.Attach(GetCurrentInstance(path));
    if (instance == nullptr)
        throw CWMIException(kBadgeMapperMethodsSourceFile, __LINE__, WBEM_E_NOT_FOUND, CWmipMessages::kNotFound);
    return WBEM_E_METHOD_NOT_IMPLEMENTED;
}

HRESULT CWmipBadgeMapper::AddBadge(IWbemClassObject* inParams, IWbemObjectSink* sink)
{
    try
    {
        if (inParams == nullptr)
            return S_OK;
        _variant_t badgeIn;
        HRESULT hr = inParams->Get(L"BadgeIn", 0, &badgeIn, nullptr, nullptr);
        if (FAILED(hr))
            return hr;
        if (badgeIn.vt != VT_UNKNOWN || badgeIn.punkVal == nullptr)
            return S_OK;
        ComPtr<IWbemClassObject> badge;
        hr = badgeIn.punkVal->QueryInterface(IWbemClassObject::kIID, reinterpret_cast<void**>(&badge));
        if (FAILED(hr) || badge == nullptr)
            return FAILED(hr) ? hr : WBEM_E_INVALID_PARAMETER;
        // The embedded badge is written as a put of it is, checks and named records included.
        CString written;
        hr = WriteInstance(badge.Get(), WBEM_FLAG_CREATE_ONLY, written);
        if (FAILED(hr))
            return hr;
        const std::unique_ptr<CWmipObjectPath> path = CWmipObjectPath::CreateFromPath(written);
        ComPtr<IWbemClassObject> stored;
        if (path != nullptr)
            stored.Attach(GetCurrentInstance(path.get()));
        if (stored == nullptr)
            throw CWMIException(kBadgeMapperMethodsSourceFile, __LINE__, WBEM_E_NOT_FOUND, CWmipMessages::kNotFound);
        if (sink == nullptr)
            return S_OK;
        // The stored badge is what a read of it serves: a caller who may add badges but not
        // view them gets the answer without it.
        const bool viewer = SUCCEEDED(CanView());
        return CWmipMethodOutput::Indicate(*this, GetClassName(), L"AddBadge", sink, [&](IWbemClassObject* output) {
            return viewer ? WMIHelper::PutObject(output, L"BadgeOut", stored.Get()) : S_OK;
        });
    }
    catch (const CWMIException& e)
    {
        // The caller hears the refusal's code alone, as from the other record and device
        // methods; the log keeps why.
        CWMIDebugLog::LogError(kBadgeMapperMethodsSourceFile, __LINE__, kAddBadgeFailed, e.GetHResult(), nullptr, &e);
        return e.GetHResult();
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kBadgeMapperMethodsSourceFile, __LINE__, kAddBadgeFailed, WBEM_E_FAILED, &e);
        return WBEM_E_FAILED;
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kBadgeMapperMethodsSourceFile, __LINE__,
                               CString(kAddBadgeFailed) + L" The cause is unknown.", WBEM_E_FAILED);
        return WBEM_E_FAILED;
    }
}
