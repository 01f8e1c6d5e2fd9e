#include "mappers/devices/CWmipAreaMapper.h"
#include "common/AccessCodes.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipWriteFrame.h"

#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMapper.h"
#include "framework/CWmipRowLookup.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntAccessSets/CUserDevicePermission.h"
#include "inhouse/BntAccessSets/GlobalAPBUtil.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUserDb/CPerson.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CException.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

constexpr wchar_t kAreaMapperSource[] = L"WmipAreaMapper";
constexpr wchar_t kMoveBadge[] = L"MoveBadge";
// The answer to a badge, reader or area that does not exist.
constexpr HRESULT kInvalidMoveParameter = static_cast<HRESULT>(0x80040526);

}  // namespace

CWmipAreaMapper::CWmipAreaMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(Permission::kViewAreas, 0, 0, 0);
    static constexpr ColumnHook kHooks[] = {
        {L"AREAAPB", L"AREAAPB_TYPE", Reader<&CWmipAreaMapper::ReadAreaType>},
    };
    SetColumnHooks(kHooks);
}

LONG CWmipAreaMapper::AreaTypeOf(LONG areaType, LONG panelId)
{
    switch (areaType)
    {
    case 0:
        return panelId != 0 ? kPanelArea : kGlobalArea;
    case 1:
        return kAreaType1;
    case 2:
        return kAreaType2;
    default:
        return kOtherArea;
    }
}

HRESULT CWmipAreaMapper::ExecuteMethod(CWmipObjectPath*, const wchar_t* methodName, LONG, IWbemContext*,
                                       IWbemClassObject* inParams, IWbemObjectSink* sink)
{
    // A static method with no permission step of its own: its look-ups and the move run in the
    // write frame, so what they find stays so until the move is written.
    if (methodName != nullptr && CString(kMoveBadge).CompareNoCase(methodName) == 0)
        return CWmipWriteFrame::RunMethod(
            *this, nullptr, kMoveBadge, inParams, [](IWbemClassObject*) {},
            [&](IWbemClassObject*, CBntDatabase&) { return MoveBadge(inParams, sink); });
    return WBEM_E_INVALID_METHOD;
}

void CWmipAreaMapper::SetupInstanceRecordset(CDynamicRecordset* recordset)
{
    CWmipDynamicClassMapper::SetupInstanceRecordset(recordset);
    recordset->AddColumnToSet(L"PANELID", L"AREAAPB");
}

HRESULT CWmipAreaMapper::ReadAreaType(IWbemClassObject& instance, const CMultiFilterRecordset& row,
                                      const CString& /*column*/)
{
    const LONG areaType = AreaTypeOf(row.GetLong(L"AREAAPB_TYPE"), row.GetLong(L"PANELID"));
    return WMIHelper::PutNumber(&instance, L"AreaType", areaType);
}

HRESULT CWmipAreaMapper::MoveBadge(IWbemClassObject* inParams, IWbemObjectSink*)
{
    HRESULT answer = WBEM_E_FAILED;
    try
    {
        LONG areaId = 0;
        LONG panelId = 0;
        LONG readerId = 0;
        LONG segmentId = 0;
        LONGLONG badgeId = 0;
        // The numeric parameters have no default: a missing one is refused rather than read as 0.
        if (FAILED(WMIHelper::GetNumber(inParams, L"AreaID", areaId)) ||
            FAILED(WMIHelper::GetNumber(inParams, L"PanelID", panelId)) ||
            FAILED(WMIHelper::GetNumber(inParams, L"ReaderID", readerId)))
            return WBEM_E_INVALID_PARAMETER;
        if (!CWMITypeInfo::IsSegmentationOptionEnabledInTheSystem(SegmentOptionSegments))
            segmentId = 0;
        else if (FAILED(WMIHelper::GetNumber(inParams, L"SegmentID", segmentId)))
            return WBEM_E_INVALID_PARAMETER;
        WMIHelper::GetNumber64(inParams, L"BadgeID", badgeId);
        CString utcText;
        WMIHelper::GetString(inParams, L"UTCTime", utcText);
        const COleDateTime moved = utcText.IsEmpty() ? WMIHelper::LocalToUtc(COleDateTime::GetCurrentTime())
                                                     : WMIHelper::ToDateTimeUTC(utcText, GetDoor());

        CAcsUser* user = RequireUser();
        CBntDatabase* database = GetDatabase();

        // The badge, reader and area are looked for only among what the caller may see: one it
        // may not is answered as one that does not exist. The reader must stand in the segment
        // given, which is then one the caller holds.
        if (!CWmipRowLookup::HasRow(*database, L"BADGE", [&](CDynamicRecordset& rows) {
                rows.AddFilterLongLong(L"ID", badgeId);
                CPerson::AddVisiblePersonFilter(*user, rows, L"EMPID");
            }))
        {
            CString text;
            text.Format(L"Invalid BadgeID parameter [%I64d] passed into Bnt_Area::MoveBadge method.", badgeId);
            CWMIDebugLog::LogError(kAreaMapperSource, __LINE__, text);
            return kInvalidMoveParameter;
        }
        const bool readerFound = CWmipRowLookup::HasRow(*database, L"ACCESSPANE", [&](CDynamicRecordset& rows) {
            rows.AddJoin(L"ACCESSPANE", L"PANELID", L"READER", L"PANELID");
            rows.AddColumnToSet(L"PANELID", L"ACCESSPANE");
            rows.AddColumnToSet(L"SEGMENTID", L"ACCESSPANE");
            rows.AddColumnToSet(L"READERID", L"READER");
            rows.AddFilterLong(L"ACCESSPANE.PANELID", panelId);
            rows.AddFilterLong(L"READER.READERID", readerId);
            rows.AddFilterLong(L"ACCESSPANE.SEGMENTID", segmentId);
            user->AddSegmentFilter(rows, L"ACCESSPANE");
        });
        if (!readerFound)
        {
            CString text;
            text.Format(L"Invalid PanelID [%ld], ReaderID [%ld], SegmentID [%ld] parameter combination passed into "
                        L"Bnt_Area::MoveBadge method.",
                        panelId, readerId, segmentId);
            CWMIDebugLog::LogError(kAreaMapperSource, __LINE__, text);
            return kInvalidMoveParameter;
        }
        // Moving a badge through a reader is acting on that reader.
        if (!CUserDevicePermission(database, user).IsDevicePermitted(panelId, readerId))
            return WBEM_E_ACCESS_DENIED;
        CDynamicRecordset areas(database);
        areas.SetTable(L"AREAAPB");
        areas.AddFilterLong(L"AREAAPBID", areaId);
        user->AddSegmentFilter(areas, L"AREAAPB");
        areas.OpenForwardOnly();
        if (areas.IsEOF())
        {
            CString text;
            text.Format(L"Area ID [%ld] passed into Bnt_Area::MoveBadge method does not exist.", areaId);
            CWMIDebugLog::LogError(kAreaMapperSource, __LINE__, text);
            return kInvalidMoveParameter;
        }
        const LONG areaSegment = areas.GetLong(L"SEGMENTID");
        if (areaSegment != segmentId)
        {
            CString text;
            text.Format(L"Area Segement ID [%ld] for Area ID [%ld] does not match SegmentID parameter [%ld] passed "
                        L"into Bnt_Area::MoveBadge method.",
                        areaSegment, areaId, segmentId);
            CWMIDebugLog::LogError(kAreaMapperSource, __LINE__, text);
            return WBEM_E_FAILED;
        }
        if (GlobalAPBUtil(database, user, false)
                .MoveBadgeToAreaViaGrant(badgeId, segmentId, areaId, panelId, readerId, moved))
            answer = S_OK;
    }
    catch (CException& e)
    {
        CWMIDebugLog::LogError(kAreaMapperSource, __LINE__, L"An error occurred in CWmipAreaMapper::MoveBadge", 0, &e);
        e.Delete();
        answer = WBEM_E_FAILED;
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kAreaMapperSource, __LINE__, L"An error occurred in CWmipAreaMapper::MoveBadge");
        answer = WBEM_E_FAILED;
    }
    return answer;
}
