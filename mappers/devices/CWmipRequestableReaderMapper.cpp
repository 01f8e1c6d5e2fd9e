#include "mappers/devices/CWmipRequestableReaderMapper.h"

#include "common/AccessCodes.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"

namespace {

constexpr int kAvailableForRequest = 1;

}  // namespace

CWmipRequestableReaderMapper::CWmipRequestableReaderMapper(const CAcsUser* user, IWbemContext* context,
                                                           IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    AddJoin(L"ACCESSPANE", L"PANELID", L"READER", L"PANELID");
    AddJoin(L"READER", L"READERID", L"ACCLVLINK", L"READERID");
    AddJoin(L"READER", L"PANELID", L"ACCLVLINK", L"PANELID");
    AddJoin(L"ACCLVLINK", L"ACCESSLVID", L"ACCESSLVL", L"ACCESSLVID");
    SetPermissions(Permission::kViewReaders, 0, 0, 0);
}

void CWmipRequestableReaderMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    recordset->AddFilterInt(L"ACCESSLVL.AVAILABLE_FOR_REQUEST", kAvailableForRequest);
    // Each requestable level's link would otherwise repeat the reader.
    recordset->SetDistinct(true);
}
