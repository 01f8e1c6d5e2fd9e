#include "mappers/records/CWmipReaderRequestMapper.h"

#include "framework/CWmipMessages.h"
#include "mappers/records/helpers/CWmipAccessRules.h"

#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"
#include "platform/com/WbemConstants.h"

using Operation = brontel::UserTranOperation::UserTransactionOperation;

namespace {

constexpr LONG kReaderRequestType = 0;

}  // namespace

CWmipReaderRequestMapper::CWmipReaderRequestMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services, kWMIClassName)
{
    AddForeignKeyPropertyMapping(L"ID", L"ID", L"ACCESS_REQUEST");
    AddJoin(L"ACCESSPANE", L"PANELID", L"ACCESS_REQUEST", L"PANELID");
    AddJoin(L"ACCESS_REQUEST", L"READERID", L"READER", L"READERID");
    AddJoin(L"ACCESS_REQUEST", L"PANELID", L"READER", L"PANELID");
}

void CWmipReaderRequestMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    CDynamicRecordset* dynamic = ManagerRecordset(recordset);
    if (dynamic == nullptr)
        return;
    dynamic->AddJoin(L"ACCESS_REQUEST", L"PANELID", L"ACCLVLINK", L"PANELID");
    dynamic->AddJoin(L"ACCESS_REQUEST", L"READERID", L"ACCLVLINK", L"READERID");
    dynamic->AddJoin(L"USERS_ACCESSLEVEL_LINK", L"ACCESSLVID", L"ACCLVLINK", L"ACCESSLVID");
    AddManagerFilters(*dynamic);
    // A reader that several managed levels link would otherwise repeat its requests.
    dynamic->SetDistinct(true);
}

void CWmipReaderRequestMapper::BeforeWriteInstance(Operation /*operation*/, IWbemClassObject* instance)
{
    WMIHelper::PutNumber(instance, L"Type", kReaderRequestType);
}
