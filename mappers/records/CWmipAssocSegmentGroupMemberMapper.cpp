#include "mappers/records/CWmipAssocSegmentGroupMemberMapper.h"

#include "framework/CWMITypeInfo.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CSegmentIDSet.h"
#include "mappers/records/CWmipSegmentGroupMapper.h"

CWmipAssocSegmentGroupMemberMapper::CWmipAssocSegmentGroupMemberMapper(const CAcsUser* user, IWbemContext* context,
                                                                       IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    AddJoin(L"SEGMENT_GROUP_MEMBER", L"SEGMENTID_MEMBER", L"SEGMENT", L"SEGMENTID");
}

BOOL CWmipAssocSegmentGroupMemberMapper::WMIStoresClassDefinition()
{
    return FALSE;
}

bool CWmipAssocSegmentGroupMemberMapper::IsAbstractClass()
{
    return false;
}

bool CWmipAssocSegmentGroupMemberMapper::HasSuperclass()
{
    return false;
}

CString CWmipAssocSegmentGroupMemberMapper::GetSuperclassName()
{
    return CString();
}

void CWmipAssocSegmentGroupMemberMapper::FilterInstanceRecordsetBySegment(CMultiFilterRecordset* recordset)
{
    const CSegmentIDSet segments(RequireUser());
    if (auto* dynamic = dynamic_cast<CDynamicRecordset*>(recordset))
        dynamic->AddAliasToColumn(L"SEGMENTID", L"SEGMENT", L"SEGMENTID_UNIT");
    segments.AddSegmentFilterForSegmentTable(recordset);
    // And the declared ends: a member row of a group the caller cannot see stays hidden.
    CWmipMapperSkeleton::FilterInstanceRecordsetBySegment(recordset);
}

ProcessClauseResult CWmipAssocSegmentGroupMemberMapper::ProcessClause(CString& property, int& wqlOperator,
                                                                      CString& literal, CString& extra)
{
    if (const CWMITypeInfo* typeInfo = GetTypeInfo())
    {
        for (const auto& [reference, referencedClass] : typeInfo->GetReferenceProperties())
        {
            if (auto* group = dynamic_cast<CWmipSegmentGroupMapper*>(GetReferencedClassMapper(reference)))
                group->SetAssociation();
        }
    }
    return CWmipAssociationMapper::ProcessClause(property, wqlOperator, literal, extra);
}
