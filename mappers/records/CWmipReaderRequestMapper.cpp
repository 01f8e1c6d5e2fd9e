#include "mappers/records/CWmipReaderRequestMapper.h"

#include "mappers/records/CWmipAccessRules.h"

#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"

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

void CWmipReaderRequestMapper::BeforeWriteInstance(Operation, IWbemClassObject* instance)
{
    // A request names only a person and a reader the caller may see.
    CWmipAccessRules::RequireReachablePerson(*GetDatabaseUser(), *RequireUser(),
                                             CWmipAccessRules::NumberOr(instance, L"PersonID", 0), L"PersonID");
    CWmipAccessRules::RequireVisible(*this, L"Bnt_Reader",
                                     {{L"PanelID", CWmipAccessRules::NumberOr(instance, L"PanelID", 0)},
                                      {L"ReaderID", CWmipAccessRules::NumberOr(instance, L"ReaderID", 0)}},
                                     L"ReaderID");
    WMIHelper::PutNumber(instance, L"Type", kReaderRequestType);
}
