// CWmipVisitSelfServiceStation: the mapper of Bnt_VisitSelfServiceStation, the self-service
// sign-in stations of the installation (VISIT_SELF_SERVICE_STATION). Stations are viewed with
// 0x2000005E, added with 0x2000005F and deleted with 0x20000061; they cannot be modified. A
// station's sign-in location must exist.
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipVisitSelfServiceStation : public CWmipMapperSkeleton<CWmipVisitSelfServiceStation>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_VisitSelfServiceStation";

    CWmipVisitSelfServiceStation(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // An added station's VisitSignInLocationID must name a sign-in location: 0x80041008 naming
    // the property otherwise.
    void BeforeWriteInstance(brontel::UserTranOperation::UserTransactionOperation operation,
                             IWbemClassObject* instance) override;
};
