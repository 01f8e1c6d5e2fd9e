// CWmipAuthenticationModeMapper: the mapper of Bnt_AuthenticationMode, the authentication modes of the caller's own
// database (BNT_DBID); viewing needs 0x1000002A. Served by the framework from the schema registrations; the class
// cannot be written and has no methods.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipDynamicClassMapper.h"

class CWmipAuthenticationModeMapper : public CWmipDynamicClassMapper
{
public:
    CWmipAuthenticationModeMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipAuthenticationModeMapper() override;

    // The WMI class the mapper serves: "Bnt_AuthenticationMode".
    static const wchar_t* GetWMIClassName();
    // The MapperFactory of the class: a new mapper that the caller owns; never null.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Only the rows of the caller's database.
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;

private:
    // The user the mapper was built for; its database id chooses the rows.
    const CAcsUser* const m_user;
};
