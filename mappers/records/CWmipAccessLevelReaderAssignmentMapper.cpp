#include "mappers/records/CWmipAccessLevelReaderAssignmentMapper.h"

#include "common/AccessCodes.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"

CWmipAccessLevelReaderAssignmentMapper::CWmipAccessLevelReaderAssignmentMapper(const CAcsUser* user,
                                                                               IWbemContext* context,
                                                                               IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    AddJoin(L"ACCLVLINK", L"ACCESSLVID", L"ACCESSLVL", L"ACCESSLVID");
    AddJoin(L"ACCLVLINK", L"PANELID", L"READER", L"PANELID");
    AddJoin(L"ACCLVLINK", L"READERID", L"READER", L"READERID");
    AddJoin(L"ACCLVLINK", L"TZID", L"TIMEZONE", L"TZID");
    SetPermissions(Permission::kViewAccessLevels, 0, 0, 0);
}

void CWmipAccessLevelReaderAssignmentMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    if (auto* dynamic = dynamic_cast<CDynamicRecordset*>(recordset))
        dynamic->AddAliasToColumn(L"DESCRIPT", L"TIMEZONE", L"TIMEZONENAME");
    // A link shows only when the caller may see both ends: the level's segment filters it as
    // the class's segment, the reader's is its panel's.
    if (recordset != nullptr)
        RequireUser()->AddLinkedSegmentFilter(*recordset, L"ACCLVLINK.PANELID", L"ACCESSPANE", L"PANELID");
}
