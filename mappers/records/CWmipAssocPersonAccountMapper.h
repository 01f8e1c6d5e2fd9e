// CWmipAssocPersonAccountMapper: the mapper of the association Bnt_PersonAccount between a
// person and the person's directory accounts (one instance per CARDHOLDER_ACCOUNT row), and the
// base of the cardholder and visitor forms, which narrow the person end to their kind
// (EMP.VISITOR 0 or 1) and need the rights to view accounts and persons of that kind. Only the
// person kinds the caller may see are listed. Read-only.
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "framework/associations/CWmipAssocPersonMapper.h"
#include "framework/CWmipMapperSkeleton.h"

class CWmipAssocPersonAccountMapper : public CWmipMapperSkeleton<CWmipAssocPersonAccountMapper, CWmipAssocPersonMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_PersonAccount";

    CWmipAssocPersonAccountMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Bnt_PersonAccount: the association's check. The cardholder form needs 0x20000049,
    // 0x20000003 and 0x20000057, the visitor form 0x20000049 and 0x20000023; 0x80041003 when
    // one is missing.
    HRESULT CanView() override;

protected:
    // The form of a derived class (its own class name) for the persons whose EMP.VISITOR is
    // visitor (0 or 1).
    CWmipAssocPersonAccountMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                                  const wchar_t* className, int visitor);
};
