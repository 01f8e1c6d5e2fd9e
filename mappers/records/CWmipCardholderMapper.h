// CWmipCardholderMapper: the mapper of Bnt_Cardholder, the persons of EMP with VISITOR 0 and
// their user-defined fields in UDFEMP. The person rules are CWmipPersonMapper's; a cardholder adds
// its view rule (two rights), the computed IsGrant of mobile verification, and its audit kind.
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include <optional>

#include "mappers/records/CWmipPersonMapper.h"

class CWmipCardholderMapper : public CWmipMapperSkeleton<CWmipCardholderMapper, CWmipPersonMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_Cardholder";

    CWmipCardholderMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // 1: cardholders.
    int GetPersonType() override;
    // The framework's instance; outside the bus front end IsGrant is then filled: whether the
    // cardholder's threat level clearance reaches the system's setting. 0x80041001 when that
    // cannot be judged.
    HRESULT CreateInstance(IWbemClassObject** instance) override;
    // EMP.ALLOWEDVISITORS is a boolean; the rest as the layout says.
    LONG GetPropertyType(const CString& column, const CString& table) override;
    // Both view rights: 0x20000003 and 0x20000057.
    HRESULT CanView() override;

private:
    HRESULT FillIsGrant(IWbemClassObject* instance);

    // The mobile verification settings, read once per mapper: the property holding a
    // cardholder's threat level and the system's setting.
    std::optional<CString> m_threatLevelProperty;
    LONG m_systemSetting = 0;
};
