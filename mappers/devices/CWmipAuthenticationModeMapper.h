// CWmipAuthenticationModeMapper: the mapper of Bnt_AuthenticationMode, the authentication modes of the caller's own
// database (BNT_DBID); viewing needs 0x1000002A. Served by the framework from the schema registrations; the class
// cannot be written and has no methods.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipAuthenticationModeMapper : public CWmipMapperSkeleton<CWmipAuthenticationModeMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_AuthenticationMode";

    CWmipAuthenticationModeMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Only the rows of the caller's database.
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;

private:
    // The user the mapper was built for; its database id chooses the rows.
    const CAcsUser* const m_user;
};
