#include "mappers/records/CWmipAccessRequestMapper.h"

#include "common/AccessCodes.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipObjectPath.h"
#include "framework/CWmipWriteFrame.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUserDb/CPerson.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/records/helpers/CWmipAccessRules.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;
using Operation = brontel::UserTranOperation::UserTransactionOperation;

namespace {

constexpr const wchar_t* kAccessRequestMapperSourceFile = L"wpAccessRequestMapper.cpp";
constexpr const wchar_t* kRequestAuditText = L"Access request of person %1!d!: %2 by user %3!d!";

// One stage: its columns, its audit word and the stages from which it may be reached.
struct StageColumns
{
    CWmipAccessRequestMapper::Stage stage;
    const wchar_t* userColumn;
    const wchar_t* noteColumn;
    const wchar_t* noteProperty;  // the property that shows noteColumn
    const wchar_t* dateColumn;
    const wchar_t* actionWord;
    const wchar_t* refusal;  // null: no transition check
    bool fromOnHold;         // whether an on-hold request may take this stage
};
constexpr StageColumns kStages[] = {
    {CWmipAccessRequestMapper::Submitted, L"SUBMITTED_USERID", L"SUBMITTED_NOTE", L"SubmittedNote", L"SUBMITTED_DATE",
     L"submitted", nullptr, true},
    {CWmipAccessRequestMapper::Approved, L"APPROVED_USERID", L"APPROVED_NOTE", L"ApprovedNote", L"APPROVED_DATE",
     L"approved", CWmipMessages::kApproveSettledRequest, true},
    {CWmipAccessRequestMapper::OnHold, L"ONHOLD_USERID", L"ONHOLD_NOTE", L"OnHoldNote", L"ONHOLD_DATE", L"put on hold",
     CWmipMessages::kHoldSettledRequest, false},
    {CWmipAccessRequestMapper::Denied, L"DENIED_USERID", L"DENIED_NOTE", L"DeniedNote", L"DENIED_DATE", L"denied",
     CWmipMessages::kDenySettledRequest, true},
};

// The methods, in lookup order.
struct StageMethod
{
    const wchar_t* name;
    CWmipAccessRequestMapper::Stage stage;
};
constexpr StageMethod kMethods[] = {
    {L"Approve", CWmipAccessRequestMapper::Approved},
    {L"Deny", CWmipAccessRequestMapper::Denied},
    {L"Hold", CWmipAccessRequestMapper::OnHold},
};

const StageColumns& ColumnsOf(CWmipAccessRequestMapper::Stage stage)
{
    for (const StageColumns& columns : kStages)
        if (columns.stage == stage)
            return columns;
    throw CWMIException(kAccessRequestMapperSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER);
}

LONG RowNumber(const CMultiFilterRecordset& row, const wchar_t* column)
{
    return row.IsFieldNull(column) ? 0 : row.GetLong(column);
}

bool MayEnter(const StageColumns& target, LONG current)
{
    if (target.refusal == nullptr)
        return true;
    if (current == CWmipAccessRequestMapper::Submitted)
        return true;
    return current == CWmipAccessRequestMapper::OnHold && target.fromOnHold;
}

}  // namespace

constinit const CWmipAccessRequestMapper::ColumnHook CWmipAccessRequestMapper::kColumnHooks[1] = {
    {L"ACCESS_REQUEST", L"SUBMITTED_USERID", Reader<&CWmipAccessRequestMapper::ReadSubmittedUser>},
};

CWmipAccessRequestMapper::CWmipAccessRequestMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services, kWMIClassName), m_concrete(false)
{
    SetPermissions(Permission::kViewAccessLevels, Permission::kAddAccessLevels, Permission::kAddAccessLevels, 0);
    SetColumnHooks(kColumnHooks);
    SetTransactionObject(AuditObject::kAccessRequest);
}

CWmipAccessRequestMapper::CWmipAccessRequestMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                                                   const wchar_t* className)
    : CWmipMapperSkeleton(user, context, services, className), m_concrete(true)
{
    SetPermissions(Permission::kViewAccessLevels, Permission::kAddAccessLevels, Permission::kAddAccessLevels, 0);
    SetColumnHooks(kColumnHooks);
    SetTransactionObject(AuditObject::kAccessRequest);
}

CString CWmipAccessRequestMapper::GetSuperclassName()
{
    return m_concrete ? CString(kWMIClassName) : CWmipMapperSkeleton::GetSuperclassName();
}

bool CWmipAccessRequestMapper::HasSuperclass()
{
    return m_concrete || CWmipMapperSkeleton::HasSuperclass();
}

HRESULT CWmipAccessRequestMapper::CanView()
{
    return m_concrete ? CanViewAsManager() : CWmipMapperSkeleton::CanView();
}

LONG CWmipAccessRequestMapper::DeriveStatus(LONG approvedBy, LONG deniedBy, LONG onHoldBy)
{
    if (deniedBy != 0)
        return Denied;
    if (approvedBy != 0)
        return Approved;
    if (onHoldBy > 0)
        return OnHold;
    return Submitted;
}

bool CWmipAccessRequestMapper::IsAbstractClass()
{
    return !m_concrete;
}

ProcessClauseResult CWmipAccessRequestMapper::ProcessClause(CString& property, int& wqlOperator, CString& literal,
                                                            CString& extra)
{
    if (property.CompareNoCase(L"Status") == 0)
        return ProcessClauseDrop;
    return CWmipMapperSkeleton::ProcessClause(property, wqlOperator, literal, extra);
}

HRESULT CWmipAccessRequestMapper::ReadSubmittedUser(IWbemClassObject& instance, const CMultiFilterRecordset& row,
                                                    const CString& /*column*/)
{
    if (row.IsFieldNull(L"ID"))
        CWmipRecordChecks::ThrowNamed(kAccessRequestMapperSourceFile, __LINE__, WBEM_E_ILLEGAL_NULL,
                                      CWmipMessages::kRequiredProperty, L"ID");
    WMIHelper::PutNumber(&instance, L"SubmittedByUserID", RowNumber(row, L"SUBMITTED_USERID"));
    return WMIHelper::PutNumber(&instance, L"Status",
                                DeriveStatus(RowNumber(row, L"APPROVED_USERID"), RowNumber(row, L"DENIED_USERID"),
                                             RowNumber(row, L"ONHOLD_USERID")));
}

HRESULT CWmipAccessRequestMapper::ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG, IWbemContext*,
                                                IWbemClassObject* inParams, IWbemObjectSink*)
{
    const CString name(methodName != nullptr ? methodName : L"");
    for (const StageMethod& method : kMethods)
    {
        if (path != nullptr && name.CompareNoCase(method.name) == 0)
            return CWmipWriteFrame::RunMethod(
                *this, path, method.name, inParams, [&](IWbemClassObject* instance) { CanChangeStage(instance); },
                [&](IWbemClassObject* instance, CBntDatabase&) {
                    return ChangeStage(instance, inParams, method.stage);
                });
    }
    CWmipAccessRules::RequireInstance(*this, path);
    return WBEM_E_METHOD_NOT_IMPLEMENTED;
}

void CWmipAccessRequestMapper::CanChangeStage(IWbemClassObject*)
{
    if (CanView() != S_OK)
        throw CWMIException(kAccessRequestMapperSourceFile, __LINE__, WBEM_E_ACCESS_DENIED,
                            CWmipMessages::kAccessDenied);
}

bool CWmipAccessRequestMapper::ManagesWithFullRights(const CAcsUser& user, LONG levelId)
{
    CBntDatabase& database = *GetDatabase();
    const LONGLONG userId = user.GetUserID();
    if (levelId == 0)
        return CWmipRecordChecks::HasRow(database, L"USERS_ACCESSLEVEL_LINK",
                                         {{L"USERID", userId}, {L"HAS_AAM_VIEWONLY_ACCESS", 0}});
    return CWmipRecordChecks::HasRow(database, L"USERS_ACCESSLEVEL_LINK",
                                     {{L"USERID", userId}, {L"HAS_AAM_VIEWONLY_ACCESS", 0}, {L"ACCESSLVID", levelId}});
}

HRESULT CWmipAccessRequestMapper::CanViewAsManager()
{
    m_isManager = false;
    const CAcsUser* user = RequireUser();
    if (user->GetUserID() == kAllRightsUser)
        return S_OK;
    m_isManager = ManagesWithFullRights(*user, 0);
    return m_isManager || user->HasPermission(Permission::kAssignAccessLevels) ? S_OK : WBEM_E_ACCESS_DENIED;
}

CDynamicRecordset* CWmipAccessRequestMapper::ManagerRecordset(CMultiFilterRecordset* recordset)
{
    // The view rule is asked here again: a method reads its request without a view check
    // before it, and a manager must still meet only the requests of its own levels.
    if (recordset == nullptr || !m_concrete || CanViewAsManager() != S_OK || !m_isManager ||
        RequireUser()->GetUserID() == kAllRightsUser)
        return nullptr;
    return dynamic_cast<CDynamicRecordset*>(recordset);
}

void CWmipAccessRequestMapper::AddManagerFilters(CMultiFilterRecordset& recordset)
{
    recordset.AddFilterLong(L"USERS_ACCESSLEVEL_LINK.USERID", RequireUser()->GetUserID());
    recordset.AddFilterLong(L"USERS_ACCESSLEVEL_LINK.HAS_AAM_VIEWONLY_ACCESS", 0);
}

HRESULT CWmipAccessRequestMapper::ChangeStage(IWbemClassObject* instance, IWbemClassObject* parameters, Stage stage)
{
    const LONG requestId = CWmipRecordChecks::RequireNumber(kAccessRequestMapperSourceFile, instance, L"ID");
    const StageColumns& columns = ColumnsOf(stage);
    // The note keeps the rules of the property that shows it (its maxlen above all), as a put of
    // that property would: a longer note would leave a request that no put could write back.
    CString note;
    const bool hasNote = parameters != nullptr && SUCCEEDED(WMIHelper::GetString(parameters, L"Note", note));
    if (hasNote && FAILED(CheckValueForm(instance, columns.noteProperty, _variant_t(note.GetString()))))
        CWmipRecordChecks::ThrowNamed(kAccessRequestMapperSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                      CWmipMessages::kInvalidProperty, L"Note");
    CAcsUser* user = RequireUser();
    CBntDatabase* database = GetDatabase();
    try
    {
        // The stored row is read and stamped in the write frame's one transaction: the status
        // that is checked is the one the stamp replaces, whatever another caller did before.
        CDynamicRecordset request(database);
        request.SetTable(L"ACCESS_REQUEST");
        request.AddAllColumnsToSet(L"ACCESS_REQUEST");
        request.AddFilterLong(L"ID", requestId);
        request.Open();
        if (request.IsEOF())
            CWmipRecordChecks::ThrowNamed(kAccessRequestMapperSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                          CWmipMessages::kInvalidProperty, L"ID");
        const LONG current = DeriveStatus(RowNumber(request, L"APPROVED_USERID"), RowNumber(request, L"DENIED_USERID"),
                                          RowNumber(request, L"ONHOLD_USERID"));
        if (!MayEnter(columns, current))
            throw CWMIException(kAccessRequestMapperSourceFile, __LINE__, WBEM_E_INVALID_OPERATION, columns.refusal);
        request.Edit();
        if (hasNote)
            request.SetValue(columns.noteColumn, CDBValue(note));
        request.SetValue(columns.userColumn, CDBValue(user->GetUserID()));
        request.SetDateTime(columns.dateColumn, WMIHelper::LocalToUtc(COleDateTime::GetCurrentTime()));
        LONG type = 0;
        if (SUCCEEDED(WMIHelper::GetNumber(instance, L"Type", type)))
            request.SetValue(L"TYPE", CDBValue(type));
        request.Update();
        const LONG personId = RowNumber(request, L"EMPID");
        request.Close();
        CString text;
        text.FormatMessage(kRequestAuditText, personId, columns.actionWord, user->GetUserID());
        if (!user->LogTransToDB(stage == Submitted ? Operation::Add : Operation::Modify, AuditObject::kAccessRequest,
                                text, database))
            throw CWMIException(kAccessRequestMapperSourceFile, __LINE__, WBEM_E_FAILED,
                                CWmipMessages::kAuditNotWritten);
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kAccessRequestMapperSourceFile, __LINE__,
                               L"CWmipAccessRequestMapper: stage change failed.", 0, &e);
        throw CWMIException(kAccessRequestMapperSourceFile, __LINE__, WBEM_E_FAILED);
    }
    return S_OK;
}

void CWmipAccessRequestMapper::AfterWriteInstance(Operation, IWbemClassObject* instance)
{
    CWMIDebugLog::LogInfo(kAccessRequestMapperSourceFile, __LINE__,
                          L"CWmipAccessRequestMapper::AfterWriteInstance. Begin.");
    ChangeStage(instance, nullptr, Submitted);
}
