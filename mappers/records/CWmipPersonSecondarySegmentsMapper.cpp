#include "mappers/records/CWmipPersonSecondarySegmentsMapper.h"

#include "common/AccessCodes.h"
#include "framework/CWmipMessages.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/CSegmentationUtility.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/records/helpers/CWmipPersonRecord.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"
#include "platform/com/WbemConstants.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;
using Operation = brontel::UserTranOperation::UserTransactionOperation;

namespace {

constexpr const wchar_t* kPersonSecondarySegmentsMapperSourceFile = L"wpPersonSecondarySegmentsMapper.cpp";
// Segment access types: to read a segment's records, and to write them.

}  // namespace

CWmipPersonSecondarySegmentsMapper::CWmipPersonSecondarySegmentsMapper(const CAcsUser* user, IWbemContext* context,
                                                                       IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services, kWMIClassName, L"CWmipPersonSecondarySegmentsMapper", false)
{
    SetPermissions(Permission::kViewSecondarySegments, Permission::kChangeSecondarySegments, 0,
                   Permission::kChangeSecondarySegments);
    SetTransactionObject(AuditObject::kPersonSecondarySegment);
    SetReplTransactionObject(ReplicationObject::kPerson);
}

HRESULT CWmipPersonSecondarySegmentsMapper::CanView()
{
    return CWmipDynamicClassMapper::CanView();
}

void CWmipPersonSecondarySegmentsMapper::CanAdd(IWbemClassObject* instance)
{
    CWmipPersonPartMapper::CanAdd(instance);
    if (instance != nullptr)
        CheckSecondarySegment(true, instance);
}

void CWmipPersonSecondarySegmentsMapper::CanDelete(IWbemClassObject* instance)
{
    CWmipPersonPartMapper::CanDelete(instance);
    if (instance != nullptr)
        CheckSecondarySegment(false, instance);
}

void CWmipPersonSecondarySegmentsMapper::CheckSecondarySegment(bool isAdd, IWbemClassObject* instance)
{
    const CAcsUser* user = RequireUser();
    const LONG personId =
        CWmipRecordChecks::RequireNumber(kPersonSecondarySegmentsMapperSourceFile, instance, L"PersonID");
    const LONG segmentId =
        CWmipRecordChecks::RequireNumber(kPersonSecondarySegmentsMapperSourceFile, instance, L"SegmentID");
    try
    {
        const CWmipPersonRecord::Row person =
            CWmipPersonRecord::ReadNamed(kPersonSecondarySegmentsMapperSourceFile, *GetDatabase(), personId);
        const CBntAcsSystemOptions& options = user->GetSystemOptions();
        if (options.GetSegment(segmentId) == nullptr)
            CWmipRecordChecks::ThrowNamed(kPersonSecondarySegmentsMapperSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                          CWmipMessages::kInvalidProperty, L"SegmentID");
        if (!person.visitor && !options.IsCardholderSegmentationEnabled())
            throw CWMIException(kPersonSecondarySegmentsMapperSourceFile, __LINE__, WBEM_E_FAILED,
                                CWmipMessages::kCardholderSegmentationOff);
        if (person.visitor && !options.IsVisitorSegmentationEnabled())
            throw CWMIException(kPersonSecondarySegmentsMapperSourceFile, __LINE__, WBEM_E_FAILED,
                                CWmipMessages::kVisitorSegmentationOff);
        if (!user->HasSegmentAccess(person.segmentId, CAcsUser::kWriteSegmentAccess) ||
            !user->HasSegmentAccess(segmentId, CAcsUser::kReadSegmentAccess))
            throw CWMIException(kPersonSecondarySegmentsMapperSourceFile, __LINE__, WBEM_E_ACCESS_DENIED,
                                CWmipMessages::kSegmentAccessDenied);
        if (!isAdd)
            return;

        CDynamicRecordset links(GetDatabase());
        links.SetTable(L"EMP_SEGMENT_LINK");
        links.AddColumnToSet(L"EMPID", L"EMP_SEGMENT_LINK");
        links.AddFilterLong(L"EMP_SEGMENT_LINK.EMPID", personId);
        links.AddFilterLong(L"EMP_SEGMENT_LINK.SEGMENTID", segmentId);
        links.OpenForwardOnly();
        if (segmentId == person.segmentId || !links.IsEOF())
            throw CWMIException(kPersonSecondarySegmentsMapperSourceFile, __LINE__, WBEM_E_FAILED,
                                CWmipMessages::kSegmentAlreadyAssigned);

        const CSegmentUnit* unit = options.GetSegmentUnit(segmentId);
        if (unit == nullptr)
            unit = options.GetHiddenSegmentUnit(segmentId);
        if (segmentId == -1 || (unit != nullptr && unit->GetDynamicSegmentOption() != 0) ||
            !options.GetSegmentationUtility().ShouldDisplaySegmentInSelectionUI(segmentId))
            throw CWMIException(kPersonSecondarySegmentsMapperSourceFile, __LINE__, WBEM_E_FAILED,
                                CWmipMessages::kSegmentRulesRefused);
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kPersonSecondarySegmentsMapperSourceFile, __LINE__, L"CheckSecondarySegment failed.", 0,
                               &e);
        throw CWMIException(kPersonSecondarySegmentsMapperSourceFile, __LINE__, WBEM_E_FAILED);
    }
}

void CWmipPersonSecondarySegmentsMapper::LogTransaction(Operation /*operation*/, IWbemClassObject* instance)
{
    CWmipPersonPartMapper::LogTransaction(Operation::Modify, instance);
}

CString CWmipPersonSecondarySegmentsMapper::GetTransactionValues(Operation /*operation*/, IWbemClassObject* instance)
{
    return FormatPersonAuditText(instance, true);
}
