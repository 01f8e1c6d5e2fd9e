#include "mappers/records/CWmipSegmentGroupMapper.h"

#include "framework/CWmipObjectPath.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "platform/com/WbemConstants.h"

namespace {

constexpr const wchar_t* kGroupColumn = L"SEGMENT_GROUP_MEMBER.SEGMENTID";

}  // namespace

CWmipSegmentGroupMapper::CWmipSegmentGroupMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
}

void CWmipSegmentGroupMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    if (recordset == nullptr)
        return;
    recordset->AddFilterLong(L"SEGMENT.TYPE", 1);
    recordset->AddFilterLong(L"SEGMENT.SEGMENTID", -1, CMultiFilterRecordset::Equal, CMultiFilterRecordset::OrFilter);
}

ProcessClauseResult CWmipSegmentGroupMapper::ProcessClause(CString& property, int& wqlOperator, CString& literal,
                                                           CString& extra)
{
    const ProcessClauseResult result = CWmipSegmentMapper::ProcessClause(property, wqlOperator, literal, extra);
    if (m_association && result == ProcessClauseKeep)
        property = kGroupColumn;
    return result;
}

void CWmipSegmentGroupMapper::SetupAssociationRecordset(CDynamicRecordset* recordset)
{
    if (recordset != nullptr)
        recordset->AddColumnToSet(L"SEGMENTID", L"SEGMENT_GROUP_MEMBER");
    m_association = true;
}

HRESULT CWmipSegmentGroupMapper::GetObjectPath(CMultiFilterRecordset& recordset, CString& path)
{
    if (!m_association)
        return CWmipSegmentMapper::GetObjectPath(recordset, path);
    if (!recordset.IsOpen() || recordset.IsEOF() || recordset.IsFieldNull(kGroupColumn))
        return WBEM_E_FAILED;
    CWmipObjectPath group(GetClassName());
    group.AddKey(L"ID", recordset.GetLong(kGroupColumn));
    group.GetPath(path);
    return S_OK;
}
