#include "mappers/records/CWmipVisitEventMapper.h"

#include "common/AccessCodes.h"
#include "framework/CWmipMessages.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/records/helpers/CWmipPropertyColumns.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"
#include "platform/com/WbemConstants.h"

using brontel::utility::CWMIException;

namespace {
constexpr wchar_t kVisitEventMapperSourceFile[] = L"CWmipVisitEventMapper.cpp";

constexpr PropertyColumn kVisitEventColumns[] = {
    {L"ID", L"VISIT_EVENT.VISIT_EVENTID"},
    {L"CardholderID", L"VISIT_EVENT.EMPID"},
    {L"DelegateID", L"VISIT_EVENT.DELEGATE_EMPID"},
    {L"DatabaseID", L"VISIT_EVENT.SOURCE_BNT_DBID"},
    {L"SignInLocationID", L"VISIT_EVENT.VISIT_EVENT_SIGN_IN_LOCATIONID"},
    {L"LastChanged", L"VISIT_EVENT.LASTCHANGED_UTC"},
    {L"Scheduled_TimeIn", L"VISIT_EVENT.SCHEDULED_TIMEIN"},
    {L"Scheduled_TimeOut", L"VISIT_EVENT.SCHEDULED_TIMEOUT"},
};
}  // namespace

CWmipVisitEventMapper::CWmipVisitEventMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    AddJoin(L"VISIT_EVENT", L"EMPID", L"EMP", L"ID");
    SetPermissions(Permission::kViewVisits, 0, 0, 0);
}

ProcessClauseResult CWmipVisitEventMapper::ProcessClause(CString& property, int& wqlOperator, CString& literal,
                                                         CString& extra)
{
    const ProcessClauseResult result = CWmipMapperSkeleton::ProcessClause(property, wqlOperator, literal, extra);
    if (result != ProcessClausePlain)
        return result;
    property = GetTableDotColumn(property);
    return ProcessClauseKeep;
}

bool CWmipVisitEventMapper::IsUseUTC()
{
    return true;
}

CString CWmipVisitEventMapper::GetTableDotColumn(const CString& property)
{
    return CWmipPropertyColumns::Find(kVisitEventColumns, property, L"VISIT_EVENT");
}

void CWmipVisitEventMapper::SetupInstanceRecordset(CDynamicRecordset* recordset)
{
    CWmipMapperSkeleton::SetupInstanceRecordset(recordset);
    if (recordset != nullptr)
        recordset->RemoveColumnFromSet(L"LAST_CHANGED", L"VISIT_EVENT");
}

void CWmipVisitEventMapper::CanViewAll()
{
    CWmipMapperSkeleton::CanViewAll();
    const CAcsUser* user = RequireUser();
    if (!user->IsAllSegmentsUser() && user->GetSystemOptions().IsCardholderSegmentationEnabled())
        throw CWMIException(kVisitEventMapperSourceFile, __LINE__, WBEM_E_ACCESS_DENIED,
                            CWmipMessages::kSegmentAccessDenied);
}
