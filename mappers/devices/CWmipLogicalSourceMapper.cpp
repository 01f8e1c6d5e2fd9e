#include "mappers/devices/CWmipLogicalSourceMapper.h"

#include "common/AccessCodes.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipPropertyRefusal.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntAccessSets/CAccessPanelSet.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntPanelModel/CBntAcDBTrigger.h"
#include "inhouse/BntResources/BntResourceStrings.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/devices/CWmipLogicalDeviceRules.h"
#include "platform/com/WbemConstants.h"

using brontel::utility::CWMIException;
using Rules = CWmipLogicalDeviceRules;

namespace {

constexpr wchar_t kLogicalSourceMapperSource[] = L"WmipLogicalSourceMapper";
constexpr LONG kPanelIdType = 4;
constexpr int kSourceChanged = 211;
constexpr CWmipLogicalMapper::Key kLogicalSourceMapperKeys[] = {{L"ID", CWmipLogicalMapper::kSourceWord}};
constexpr CWmipLogicalMapper::Rows kLogicalSourceMapperRows{L"ACCESSPANE.PANELTYPE", CMultiFilterRecordset::Equal,
                                                            Rules::kLogicalSourcePanelType};
constexpr CWmipLogicalMapper::Traits kLogicalSourceMapperTraits{kLogicalSourceMapperSource, AuditObject::kLogicalSource,
                                                                kSourceChanged, kLogicalSourceMapperRows,
                                                                kLogicalSourceMapperKeys};
// The server type on which logical sources cannot be written, and the text that says so.
constexpr LONG kRefusingServerType = 2;
constexpr UINT kServerTypeText = 11349;
// Segment access needed to place a source in a segment.
constexpr wchar_t kWorkstation[] = L"WORKSTATION";

// A flag stored as 0 or 1; a missing one is refused (the rules check it before any write).
LONG Flag(const wchar_t* property, IWbemClassObject* instance)
{
    int value = FALSE;
    if (FAILED(WMIHelper::GetBool(instance, property, value)))
        CWmipPropertyRefusal::ThrowNamed(kLogicalSourceMapperSource, __LINE__, WBEM_E_ILLEGAL_NULL,
                                         CWmipMessages::kRequiredProperty, property);
    return value ? 1 : 0;
}

}  // namespace

CWmipLogicalSourceMapper::CWmipLogicalSourceMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services, kWMIClassName, kLogicalSourceMapperTraits)
{
}

HRESULT CWmipLogicalSourceMapper::PutInstance(IWbemClassObject* instance, LONG flags, CString& path)
{
    LONG id = 0;
    WriteInTransaction(instance, flags, [&](CBntDatabase& database, bool modify) {
        id = modify ? Modify(instance, database) : Create(instance, database);
    });
    path.Format(L"Bnt_LogicalSource.ID=%ld", id);
    return S_OK;
}

void CWmipLogicalSourceMapper::RemoveDependents(IWbemClassObject* instance)
{
    const LONG id = Rules::Number(instance, L"ID").value_or(0);
    if (!Rules::PanelExists(GetDatabase(), id))
        return;
    CBntAcDBTrigger triggers(GetDatabase());
    triggers.AccessPanelDelete(id);
    triggers.DeleteVexletDevices(id);
}

LONG CWmipLogicalSourceMapper::NoticeSegment(IWbemClassObject* instance)
{
    return Rules::Number(instance, L"SegmentID").value_or(0);
}

void CWmipLogicalSourceMapper::Validate(IWbemClassObject* instance, bool create)
{
    CAcsUser* user = RequireUser();
    const CBntAcsSystemOptions& options = user->GetSystemOptions();
    if (options.ServerType() == kRefusingServerType)
    {
        CString format;
        brontel::resources::LoadResourceString(kServerTypeText, format);
        CString serverType;
        serverType.Format(L"type %ld", options.ServerType());
        CString text;
        text.FormatMessage(format, serverType.GetString());
        throw CWMIException(kLogicalSourceMapperSource, __LINE__, WBEM_E_FAILED, text);
    }
    if (options.SegmentsInUse())
    {
        const LONG segmentId = Rules::Number(instance, L"SegmentID").value_or(0);
        const CSegment* segment = options.GetSegment(segmentId);
        if (segment == nullptr || segment->GetType() != 0)
            CWmipPropertyRefusal::ThrowNamed(kLogicalSourceMapperSource, __LINE__, WBEM_E_INVALID_PARAMETER,
                                             CWmipMessages::kInvalidProperty, L"SegmentID");
        if (!user->HasSegmentAccess(segmentId, CAcsUser::kWriteSegmentAccess))
            throw CWMIException(kLogicalSourceMapperSource, __LINE__, WBEM_E_ACCESS_DENIED,
                                CWmipMessages::kSegmentAccessDenied);
        if (segment->IsStandardAllSegmentsSegment())
            CWmipPropertyRefusal::ThrowNamed(kLogicalSourceMapperSource, __LINE__, WBEM_E_INVALID_PARAMETER,
                                             CWmipMessages::kInvalidProperty, L"SegmentID");
    }
    const LONG timezone = CWmipPropertyRefusal::RequireNumber(kLogicalSourceMapperSource, instance, L"WorldTimezoneID");
    if (!Rules::WorldTimezoneExists(GetDatabase(), timezone))
        CWmipPropertyRefusal::ThrowNamed(kLogicalSourceMapperSource, __LINE__, WBEM_E_INVALID_PARAMETER,
                                         CWmipMessages::kInvalidProperty, L"WorldTimezoneID");
    Flag(L"IsOnline", instance);
    Flag(L"IsDaylightSaving", instance);
    const CString name = Rules::RequiredName(kLogicalSourceMapperSource, instance);
    CAccessPanelSet sameName(GetDatabase());
    sameName.SetNameFilter(name);
    if (!create)
        sameName.SetPanelIDFilter(Rules::Number(instance, L"ID").value_or(0), false);
    sameName.Open();
    if (!sameName.IsEOF())
        CWmipPropertyRefusal::ThrowNamed(kLogicalSourceMapperSource, __LINE__, WBEM_E_FAILED,
                                         CWmipMessages::kNotUniqueProperty, L"Name");
}

LONG CWmipLogicalSourceMapper::Create(IWbemClassObject* instance, CBntDatabase& database)
{
    const LONG id = AddWithNewId(instance, kPanelIdType);
    database.ExecuteSQL(
        L"INSERT INTO ACCESSPANE (PANELID, NAME, SEGMENTID, ONLINE1, PANELTZ, DAYLIGHTSAVE, TERMINALNA, "
        L"PANELTYPE) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
        {CDBValue(id), CDBValue(Rules::RequiredName(kLogicalSourceMapperSource, instance)),
         CDBValue(Rules::Number(instance, L"SegmentID").value_or(0)), CDBValue(Flag(L"IsOnline", instance)),
         CDBValue(CWmipPropertyRefusal::RequireNumber(kLogicalSourceMapperSource, instance, L"WorldTimezoneID")),
         CDBValue(Flag(L"IsDaylightSaving", instance)), CDBValue(kWorkstation),
         CDBValue(Rules::kLogicalSourcePanelType)});
    return id;
}

LONG CWmipLogicalSourceMapper::Modify(IWbemClassObject* instance, CBntDatabase& database)
{
    CanModify(instance);
    const LONG id = CWmipPropertyRefusal::RequireNumber(kLogicalSourceMapperSource, instance, L"ID");
    CAccessPanelSet stored(&database);
    stored.SetPanelIDFilter(id);
    stored.SetPanelTypeFilter(Rules::kLogicalSourcePanelType);
    stored.Open();
    if (stored.IsEOF())
        throw CWMIException(kLogicalSourceMapperSource, __LINE__, WBEM_E_NOT_FOUND, CWmipMessages::kNotFound);
    if (Rules::Number(instance, L"SegmentID").value_or(0) != stored.GetSegmentID())
        CWmipPropertyRefusal::ThrowNamed(kLogicalSourceMapperSource, __LINE__, WBEM_E_FAILED,
                                         CWmipMessages::kNotEditableProperty, L"SegmentID");
    database.ExecuteSQL(
        L"UPDATE ACCESSPANE SET NAME = ?, ONLINE1 = ?, PANELTZ = ?, DAYLIGHTSAVE = ? WHERE PANELID = ?",
        {CDBValue(Rules::RequiredName(kLogicalSourceMapperSource, instance)), CDBValue(Flag(L"IsOnline", instance)),
         CDBValue(CWmipPropertyRefusal::RequireNumber(kLogicalSourceMapperSource, instance, L"WorldTimezoneID")),
         CDBValue(Flag(L"IsDaylightSaving", instance)), CDBValue(id)});
    return id;
}
