// Declarations of the segments, segment groups and the secondary-segment links of persons and
// users, one registration table per mapper source, each in declaration order.
//
// Constant-initialised, read-only tables (see SchemaDeclaration.h).
#include "schema/DeclarationTables.h"

namespace {

constinit const SchemaDeclaration kPersonSecondarySegmentsDeclarations[] = {
    DeclareClass(L"Bnt_PersonSecondarySegments"),
    DeclareBelongsTo(L"Bnt_PersonSecondarySegments", L"PersonID", L"Bnt_Person", L"ID"),
    DeclareEndNotFollowed(L"Bnt_PersonSecondarySegments", L"SegmentID", L"Bnt_Segment",
                          L"a secondary segment is a value of the person: the link is shown with its person, so its "
                          L"segment's id may be one the caller cannot see; writes keep their own segment refusal "
                          L"for a segment beyond the caller's"),
    DeclareClassWidePropertyAttribute(L"Bnt_PersonSecondarySegments", L"read", 1),
    DeclareProperty(L"Bnt_PersonSecondarySegments", L"PersonID", CIM_SINT32, L"EMP_SEGMENT_LINK", L"EMPID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_PersonSecondarySegments", L"SegmentID", CIM_SINT32, L"EMP_SEGMENT_LINK", L"SEGMENTID", 1, 0,
                    kNoIdType, 0),
    DeclareNamedRecord(L"Bnt_PersonSecondarySegments", L"PersonID", L"Bnt_Person", L"ID",
                       NamedRecordRoad::kMapperSegmentRefusal),
    DeclareNamedRecord(L"Bnt_PersonSecondarySegments", L"SegmentID", L"Bnt_Segment", L"ID",
                       NamedRecordRoad::kMapperSegmentRefusal),
};

constinit const SchemaDeclaration kSegmentDeclarations[] = {
    DeclareClass(L"Bnt_Segment"),
    DeclareOwnSegment(L"Bnt_Segment", L"SEGMENT", L"SEGMENTID", SegmentOptionSegments),
    DeclareClassWidePropertyAttribute(L"Bnt_Segment", L"noedit", 1),
    DeclareProperty(L"Bnt_Segment", L"ID", CIM_SINT32, L"SEGMENT", L"SEGMENTID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_Segment", L"Name", CIM_STRING, L"SEGMENT", L"NAME", 0, 255, kNoIdType, 0),

    DeclareClass(L"Bnt_SegmentUnit"),
    DeclareOwnSegment(L"Bnt_SegmentUnit", L"SEGMENT", L"SEGMENTID", SegmentOptionSegments),
    DeclareClassWidePropertyAttribute(L"Bnt_SegmentUnit", L"noedit", 1),
    DeclareProperty(L"Bnt_SegmentUnit", L"ID", CIM_SINT32, L"SEGMENT", L"SEGMENTID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_SegmentUnit", L"Name", CIM_STRING, L"SEGMENT", L"NAME", 0, 255, kNoIdType, 0),

    DeclareClass(L"Bnt_SegmentGroup"),
    DeclareOwnSegment(L"Bnt_SegmentGroup", L"SEGMENT", L"SEGMENTID", SegmentOptionSegments),
    DeclareClassWidePropertyAttribute(L"Bnt_SegmentGroup", L"noedit", 1),
    DeclareProperty(L"Bnt_SegmentGroup", L"ID", CIM_SINT32, L"SEGMENT", L"SEGMENTID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_SegmentGroup", L"Name", CIM_STRING, L"SEGMENT", L"NAME", 0, 255, kNoIdType, 0),

    DeclareClass(L"Bnt_SegmentGroupMember"),
    // The group end is the link row's own column: the join reads the member's segment row.
    DeclareBelongsTo(L"Bnt_SegmentGroupMember", L"SEGMENT_GROUP_MEMBER.SEGMENTID", L"Bnt_SegmentGroup", L"ID"),
    DeclareBelongsTo(L"Bnt_SegmentGroupMember", L"Member", L"Bnt_SegmentUnit", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_SegmentGroupMember", L"noedit", 1),
    DeclareReferenceProperty(L"Bnt_SegmentGroupMember", L"Group", L"Bnt_SegmentGroup"),
    DeclareReferenceProperty(L"Bnt_SegmentGroupMember", L"Member", L"Bnt_SegmentUnit"),
};

constinit const SchemaDeclaration kUserSecondarySegmentDeclarations[] = {
    DeclareClass(L"Bnt_UserSecondarySegment"),
    DeclareBelongsTo(L"Bnt_UserSecondarySegment", L"UserID", L"Bnt_User", L"ID"),
    DeclareEndNotFollowed(L"Bnt_UserSecondarySegment", L"SegmentID", L"Bnt_Segment",
                          L"a secondary segment is a value of the user: the link is shown with its user, so its "
                          L"segment's id may be one the caller cannot see; writes keep their own segment refusal "
                          L"for a segment beyond the caller's"),
    DeclareClassWidePropertyAttribute(L"Bnt_UserSecondarySegment", L"read", 1),
    DeclareProperty(L"Bnt_UserSecondarySegment", L"UserID", CIM_SINT32, L"USER_SEGMENT_LINK", L"USERID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_UserSecondarySegment", L"SegmentID", CIM_SINT32, L"USER_SEGMENT_LINK", L"SEGMENTID", 1, 0,
                    kNoIdType, 0),
    DeclareNamedRecord(L"Bnt_UserSecondarySegment", L"UserID", L"Bnt_User", L"ID",
                       NamedRecordRoad::kMapperSegmentRefusal),
    DeclareNamedRecord(L"Bnt_UserSecondarySegment", L"SegmentID", L"Bnt_Segment", L"ID",
                       NamedRecordRoad::kMapperSegmentRefusal),
};

}  // namespace

constinit const SchemaDeclarationTable kPersonSecondarySegmentsTable{kPersonSecondarySegmentsDeclarations};
constinit const SchemaDeclarationTable kSegmentTable{kSegmentDeclarations};
constinit const SchemaDeclarationTable kUserSecondarySegmentTable{kUserSecondarySegmentDeclarations};
