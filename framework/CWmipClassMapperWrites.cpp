// The writes of CWmipClassMapper: WriteInstance, PutInstance and DeleteInstance (through
// CWmipInstanceWriter), a mapper's own put (OpenOwnPut, in CWmipWriteFrame), and PutProperty for
// the mappers that build class definitions. What the writer asks back of the mapper is in
// CWmipClassMapperWriteRules.cpp, which calls nothing here.
#include "framework/CWmipClassMapper.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipPropertyRefusal.h"

#include "framework/CWmipInstanceWriter.h"
#include "framework/CWmipObjectPath.h"
#include "framework/CWmipWriteFrame.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/CimTypes.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemQualifierSet.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

// Qualifiers of a class definition that travel on to instances and derived classes.
constexpr LONG kPropagated = WBEM_FLAVOR_FLAG_PROPAGATE_TO_INSTANCE | WBEM_FLAVOR_FLAG_PROPAGATE_TO_DERIVED_CLASS;

HRESULT PutQualifier(IWbemQualifierSet* qualifiers, const wchar_t* name, _variant_t value)
{
    return qualifiers->Put(name, &value, kPropagated);
}

}  // namespace

HRESULT CWmipClassMapper::WriteInstance(IWbemClassObject* instance, LONG flags, CString& path)
{
    // Every value's form first, on every road into the write (each door, a method's own put).
    CheckValueForms(instance);
    // A class that takes no write of this kind says so next, whatever the write names.
    const bool update = (flags & WBEM_FLAG_UPDATE_ONLY) != 0;
    const bool addable = !update && GetAddPermission() != 0;
    const bool modifiable = (flags & WBEM_FLAG_CREATE_ONLY) == 0 && GetModifyPermission() != 0;
    if (!addable && !modifiable)
    {
        if (update)
            CanModify(nullptr);
        else
            CanAdd(nullptr);
    }
    return PutInstance(instance, flags, path);
}

void CWmipClassMapper::OpenOwnPut(IWbemClassObject* instance, LONG flags, OwnPutOpening opening,
                                  const std::function<void(CBntDatabase& database)>& write)
{
    if (instance == nullptr)
        throw CWMIException(kClassMapperLogSource, __LINE__, WBEM_E_INVALID_PARAMETER);
    const bool create = (flags & WBEM_FLAG_UPDATE_ONLY) == 0;
    CWmipWriteFrame::Run(
        *this,
        [&] {
            if (!create)
                CanModify(nullptr);
            else
                CanAdd(opening == OwnPutOpening::kPermissionWithInstance ? instance : nullptr);
            CString offending;
            if (opening == OwnPutOpening::kPermissionThenGenerated && create &&
                FAILED(ValidateValuesForGeneratedProperties(instance, true, offending)))
                CWmipPropertyRefusal::ThrowNamed(kClassMapperLogSource, __LINE__, WBEM_E_FAILED,
                                                 CWmipMessages::kNotEditableProperty, offending);
        },
        instance, nullptr,
        [&](CBntDatabase& database) {
            CWMIDebugLog::LogInfo(kClassMapperLogSource, __LINE__, L"Passed preliminary authorization checks.");
            RequireUser();
            write(database);
            return S_OK;
        });
}

void CWmipClassMapper::PassOwnPutChecks(IWbemClassObject* instance)
{
    CanAdd(instance);
    CWMIDebugLog::LogInfo(kClassMapperLogSource, __LINE__, L"Passed all authorization checks.");
}

HRESULT CWmipClassMapper::PutInstance(IWbemClassObject* instance, LONG flags, CString& path)
{
    return CWmipInstanceWriter(*this).Put(instance, flags, path);
}

HRESULT CWmipClassMapper::DeleteInstance(CWmipObjectPath* path)
{
    return CWmipInstanceWriter(*this).Delete(path);
}

HRESULT CWmipClassMapper::PutProperty(IWbemClassObject* classObject, const wchar_t* name, LONG cimType, int flags,
                                      int maxlen, const wchar_t* displayName, const wchar_t* refClass, LONG fieldId,
                                      const wchar_t* defaultValue)
{
    if (classObject == nullptr || name == nullptr || *name == L'\0')
        return WBEM_E_INVALID_PARAMETER;
    const bool reference = refClass != nullptr && *refClass != L'\0';
    HRESULT hr = classObject->Put(name, 0, nullptr, reference ? CIM_REFERENCE : cimType);
    if (FAILED(hr))
        return hr;
    ComPtr<IWbemQualifierSet> qualifiers;
    hr = classObject->GetPropertyQualifierSet(name, &qualifiers);
    if (FAILED(hr))
        return hr;
    if (qualifiers == nullptr)
        return WBEM_E_FAILED;

    struct FlagQualifier
    {
        int bits;
        const wchar_t* name;
    };
    static constexpr FlagQualifier kFlags[] = {
        {kPropertyNotNull, L"not_null"},
        {kPropertyKey, L"key"},
        {kPropertyOptional, L"optional"},
        {kPropertyRead, L"read"},
        {kPropertyRead | kPropertyNoEdit, L"noedit"},
        {kPropertyWeak, L"weak"},
        {kPropertyUnique, L"Unique"},
        {kPropertyEncrypted, L"EncryptedTextField"},
    };
    for (const FlagQualifier& flag : kFlags)
    {
        if ((flags & flag.bits) == flag.bits && SUCCEEDED(hr))
            hr = PutQualifier(qualifiers.Get(), flag.name, _variant_t(true));
    }
    if (SUCCEEDED(hr) && maxlen > 0)
        hr = PutQualifier(qualifiers.Get(), L"maxlen", _variant_t(static_cast<LONG>(maxlen)));
    if (SUCCEEDED(hr) && displayName != nullptr && *displayName != L'\0')
        hr = PutQualifier(qualifiers.Get(), L"DisplayName", _variant_t(displayName));
    if (SUCCEEDED(hr) && reference)
        hr = PutQualifier(qualifiers.Get(), L"CIMTYPE",
                          _variant_t(static_cast<const wchar_t*>(CString(L"ref:") + refClass)));
    if (SUCCEEDED(hr) && fieldId > 0)
        hr = PutQualifier(qualifiers.Get(), L"FieldID", _variant_t(fieldId));
    if (SUCCEEDED(hr) && defaultValue != nullptr && *defaultValue != L'\0')
        hr = PutQualifier(qualifiers.Get(), L"DefaultValue", _variant_t(defaultValue));
    return hr;
}
