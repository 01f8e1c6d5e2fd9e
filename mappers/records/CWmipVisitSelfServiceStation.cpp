#include "mappers/records/CWmipVisitSelfServiceStation.h"

#include "common/AccessCodes.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"

namespace {
constexpr const wchar_t* kVisitSelfServiceStationSourceFile = L"wpVisitSelfServiceStation.cpp";
}  // namespace

// Adding a station is tested against its add id like every other class: a station lets
// visitors sign themselves in, so registering one is not left open to every caller.
CWmipVisitSelfServiceStation::CWmipVisitSelfServiceStation(const CAcsUser* user, IWbemContext* context,
                                                           IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(Permission::kViewVisitStations, Permission::kAddVisitStations, 0, Permission::kDeleteVisitStations);
}

void CWmipVisitSelfServiceStation::BeforeWriteInstance(brontel::UserTranOperation::UserTransactionOperation operation,
                                                       IWbemClassObject* instance)
{
    if (operation != brontel::UserTranOperation::Delete)
        CWmipRecordChecks::RequireGivenRow(kVisitSelfServiceStationSourceFile, *GetDatabase(), instance,
                                           L"VisitSignInLocationID", L"VISIT_EVENT_SIGN_IN_LOCATION", L"ID");
}
