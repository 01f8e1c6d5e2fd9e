// Declarations of the badges, their owner links, badge statuses and badge types, one
// registration table per mapper source, each in declaration order.
//
// Constant-initialised, read-only tables (see SchemaDeclaration.h).
#include "schema/DeclarationTables.h"

namespace {

constinit const SchemaDeclaration kCardholderBadgeDeclarations[] = {
    DeclareClass(L"Bnt_CardholderBadge", L"Bnt_BadgeOwner"),
    DeclareBelongsTo(L"Bnt_CardholderBadge", L"Person", L"Bnt_Cardholder", L"ID"),
    DeclareBelongsTo(L"Bnt_CardholderBadge", L"Badge", L"Bnt_Badge", L"BADGEKEY"),
    DeclareClassWidePropertyAttribute(L"Bnt_CardholderBadge", L"noedit", 1),
    DeclareReferenceProperty(L"Bnt_CardholderBadge", L"Person", L"Bnt_Cardholder"),
    DeclareReferenceProperty(L"Bnt_CardholderBadge", L"Badge", L"Bnt_Badge"),
};

constinit const SchemaDeclaration kVisitorBadgeDeclarations[] = {
    DeclareClass(L"Bnt_VisitorBadge", L"Bnt_BadgeOwner"),
    DeclareBelongsTo(L"Bnt_VisitorBadge", L"Person", L"Bnt_Visitor", L"ID"),
    DeclareBelongsTo(L"Bnt_VisitorBadge", L"Badge", L"Bnt_Badge", L"BADGEKEY"),
    DeclareClassWidePropertyAttribute(L"Bnt_VisitorBadge", L"noedit", 1),
    DeclareReferenceProperty(L"Bnt_VisitorBadge", L"Person", L"Bnt_Visitor"),
    DeclareReferenceProperty(L"Bnt_VisitorBadge", L"Badge", L"Bnt_Badge"),
};

constinit const SchemaDeclaration kBadgeDeclarations[] = {
    DeclareClass(L"Bnt_Badge", L"", true),
    DeclareSoftwareEvent(L"Bnt_Badge", SoftwareEventBadge),
    DeclareBelongsTo(L"Bnt_Badge", L"BADGE.EMPID", L"Bnt_Person", L"ID"),
    DeclareClassAttribute(L"Bnt_Badge", L"UDFTableId", 3),
    DeclareProperty(L"Bnt_Badge", L"BADGEKEY", CIM_SINT32, L"BADGE", L"BADGEKEY", 1, 0, 25, 0),
    DeclareProperty(L"Bnt_Badge", L"ID", CIM_SINT64, L"BADGE", L"ID", 0, 0, 1, 0),
    DeclareMethod(L"Bnt_Badge", L"AddBadge"),
    DeclareObjectParameter(L"Bnt_Badge", L"AddBadge", true, L"BadgeIn", L"Bnt_Badge"),
    DeclareMethodParameter(L"Bnt_Badge", L"AddBadge", false, L"BadgeOut", CIM_OBJECT),
    DeclareMethod(L"Bnt_Badge", L"AssignAccessLevel"),
    DeclareMethodParameter(L"Bnt_Badge", L"AssignAccessLevel", true, L"LevelIn", CIM_SINT32 | CIM_FLAG_ARRAY),
    DeclareNamedRecordParameter(L"Bnt_Badge", L"AssignAccessLevel", L"LevelIn", L"Bnt_AccessLevel", L"ID",
                                NamedRecordRoad::kMapper),
    DeclareNamedRecord(L"Bnt_Badge", L"PERSONID", L"Bnt_Person", L"ID", NamedRecordRoad::kMapperSegmentRefusal),
    DeclareNoRecord(L"Bnt_Badge", L"BADGEKEY", L"the badge's own key"),
    DeclareNoRecord(L"Bnt_Badge", L"ID", L"the badge's number, unique among badges: the badge's own"),
};

constinit const SchemaDeclaration kBadgeStatusDeclarations[] = {
    DeclareClass(L"Bnt_BadgeStatus"),
    DeclareNotSegmented(L"Bnt_BadgeStatus", L"The badge states are the installation's fixed catalogue."),
    DeclareClassAttribute(L"Bnt_BadgeStatus", L"UDFTableId", 8),
    DeclareProperty(L"Bnt_BadgeStatus", L"ID", CIM_SINT32, L"BADGSTAT", L"ID", 1, 0, 32780, 0),
    DeclarePropertyAttribute(L"Bnt_BadgeStatus", L"ID", L"noedit", 1),
    DeclareProperty(L"Bnt_BadgeStatus", L"Name", CIM_STRING, L"BADGSTAT", L"NAME", 0, 32, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_BadgeStatus", L"Name", L"not_null", 1),
};

constinit const SchemaDeclaration kBadgeTypeDeclarations[] = {
    DeclareClass(L"Bnt_BadgeType"),
    DeclareOwnSegment(L"Bnt_BadgeType", L"BADGETYP", L"SEGMENTID", SegmentOptionBadgeTypes),
    DeclareClassAttribute(L"Bnt_BadgeType", L"UDFTableId", 7),
    DeclareClassWidePropertyAttribute(L"Bnt_BadgeType", L"noedit", 1),
    DeclareProperty(L"Bnt_BadgeType", L"ID", CIM_SINT32, L"BADGETYP", L"ID", 1, 0, 32781, 0),
    DeclareProperty(L"Bnt_BadgeType", L"Name", CIM_STRING, L"BADGETYP", L"NAME", 0, 64, kNoIdType, 0),
    DeclareProperty(L"Bnt_BadgeType", L"BadgeTypeClass", CIM_SINT32, L"BADGETYP", L"BADGE_CLASS", 0, 0, kNoIdType, 0),
    DeclarePropertyValues(L"Bnt_BadgeType", L"BadgeTypeClass", L"POSSIBLE_VALUES", L"0,1,2,3,4",
                          L"Standard,Temporary,Visitor,Guest,Special Purpose"),
    DeclareProperty(L"Bnt_BadgeType", L"IsDisposable", CIM_BOOLEAN, L"BADGETYP", L"DISPOSABLE", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_BadgeType", L"DefaultAccessGroup", CIM_SINT32, L"BADGETYP", L"DEFGROUP", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_BadgeType", L"SegmentID", CIM_SINT32, L"BADGETYP", L"SEGMENTID", 0, 0, kNoIdType, 4),
    DeclareNamedRecord(L"Bnt_BadgeType", L"DefaultAccessGroup", L"Bnt_AccessGroup", L"ID"),
    DeclareNamedRecord(L"Bnt_BadgeType", L"SegmentID", L"Bnt_Segment", L"ID"),
};

}  // namespace

constinit const SchemaDeclarationTable kCardholderBadgeTable{kCardholderBadgeDeclarations};
constinit const SchemaDeclarationTable kVisitorBadgeTable{kVisitorBadgeDeclarations};
constinit const SchemaDeclarationTable kBadgeTable{kBadgeDeclarations};
constinit const SchemaDeclarationTable kBadgeStatusTable{kBadgeStatusDeclarations};
constinit const SchemaDeclarationTable kBadgeTypeTable{kBadgeTypeDeclarations};
