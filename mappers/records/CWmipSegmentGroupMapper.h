// CWmipSegmentGroupMapper: the mapper of Bnt_SegmentGroup, the segment groups (SEGMENT rows of
// TYPE 1) and the all-segments row -1. Read-only; the caller sees only the groups it may reach.
// Serving as the group end of Bnt_SegmentGroupMember (the association flag), it reads the group
// from SEGMENT_GROUP_MEMBER.SEGMENTID rather than from the member's SEGMENT row.
//
// Built per request by its factory or by the association mapper, which owns it then. One
// request on one thread.
#pragma once

#include "mappers/records/CWmipSegmentMapper.h"

class CWmipSegmentGroupMapper : public CWmipMapperSkeleton<CWmipSegmentGroupMapper, CWmipSegmentMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_SegmentGroup";

    CWmipSegmentGroupMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // TYPE 1, or the row -1 whatever its TYPE.
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;
    // The base translation; as the group end of an association the column becomes
    // SEGMENT_GROUP_MEMBER.SEGMENTID.
    ProcessClauseResult ProcessClause(CString& property, int& wqlOperator, CString& literal, CString& extra) override;
    // Adds SEGMENT_GROUP_MEMBER.SEGMENTID and sets the association flag.
    void SetupAssociationRecordset(CDynamicRecordset* recordset) override;
    // As the group end of an association: Bnt_SegmentGroup.ID=<SEGMENT_GROUP_MEMBER.SEGMENTID>
    // (WBEM_E_FAILED when the row holds none); otherwise the base's path.
    HRESULT GetObjectPath(CMultiFilterRecordset& recordset, CString& path) override;

    // Marks the mapper as the group end of a Bnt_SegmentGroupMember request; stays set.
    void SetAssociation() { m_association = true; }

private:
    bool m_association = false;
};
