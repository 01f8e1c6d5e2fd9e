// CWmipAssocSegmentGroupMemberMapper: the mapper of the association Bnt_SegmentGroupMember: one
// instance per SEGMENT_GROUP_MEMBER row, Group pointing at the group, Member at the member unit
// (the member's SEGMENT row, joined on SEGMENTID_MEMBER). Read-only; the caller sees only the
// rows whose member unit it may reach.
//
// Built per request by its factory; the caller owns it and the end mappers it builds. One
// request on one thread.
#pragma once

#include "framework/associations/CWmipAssociationMapper.h"
#include "framework/CWmipMapperSkeleton.h"

class CWmipAssocSegmentGroupMemberMapper
    : public CWmipMapperSkeleton<CWmipAssocSegmentGroupMemberMapper, CWmipAssociationMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_SegmentGroupMember";

    CWmipAssocSegmentGroupMemberMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    BOOL WMIStoresClassDefinition() override;
    bool IsAbstractClass() override;
    bool HasSuperclass() override;
    CString GetSuperclassName() override;
    // The member unit's SEGMENTID (read as SEGMENTID_UNIT) restricted to the caller's segments,
    // and both ends as the class declares them.
    void FilterInstanceRecordsetBySegment(CMultiFilterRecordset* recordset) override;
    // Marks the group end's mapper as serving this association, then the association's
    // translation: a condition on Group compares SEGMENT_GROUP_MEMBER.SEGMENTID.
    ProcessClauseResult ProcessClause(CString& property, int& wqlOperator, CString& literal, CString& extra) override;
};
