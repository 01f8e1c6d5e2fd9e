#include "mappers/records/CWmipReaderRequestMapper.h"

#include "framework/CWmipMessages.h"
#include "mappers/records/helpers/CWmipAccessRules.h"

#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"
#include "platform/com/WbemConstants.h"

using Operation = brontel::UserTranOperation::UserTransactionOperation;

namespace {

constexpr const wchar_t* kSourceFile = L"wpReaderRequestMapper.cpp";
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

void CWmipReaderRequestMapper::BeforeWriteInstance(Operation operation, IWbemClassObject* instance)
{
    WMIHelper::PutNumber(instance, L"Type", kReaderRequestType);
    if (operation == Operation::Delete)
        return;
    CBntDatabase& database = *GetDatabase();
    CWmipRecordChecks::RequireGivenRow(kSourceFile, database, instance, L"PersonID", L"EMP", L"ID");
    CWmipRecordChecks::RequireGivenRow(kSourceFile, database, instance, L"PanelID", L"ACCESSPANE", L"PANELID");
    // A reader is named by its panel and its number on that panel.
    LONG readerId = 0;
    LONG panelId = 0;
    if (SUCCEEDED(WMIHelper::GetNumber(instance, L"ReaderID", readerId)) &&
        (FAILED(WMIHelper::GetNumber(instance, L"PanelID", panelId)) ||
         !CWmipRecordChecks::HasRow(database, L"READER", {{L"PANELID", panelId}, {L"READERID", readerId}})))
        CWmipRecordChecks::ThrowNamed(kSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER, CWmipMessages::kInvalidProperty,
                                      L"ReaderID");
    // A request names only a person and a reader the caller may see.
    CWmipAccessRules::RequireReachablePerson(*GetDatabaseUser(), *RequireUser(),
                                             CWmipAccessRules::NumberOr(instance, L"PersonID", 0), L"PersonID");
    if (SUCCEEDED(WMIHelper::GetNumber(instance, L"ReaderID", readerId)))
        CWmipAccessRules::RequireVisible(*this, L"Bnt_Reader", {{L"PanelID", panelId}, {L"ReaderID", readerId}},
                                         L"ReaderID");
    else
        CWmipAccessRules::RequireVisible(*this, L"Bnt_Panel",
                                         {{L"ID", CWmipAccessRules::NumberOr(instance, L"PanelID", 0)}}, L"PanelID");
}
