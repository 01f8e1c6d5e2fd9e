// Declarations of the persons, visitors, multimedia objects and logical-system accounts, one
// registration table per mapper source, each in declaration order.
//
// Constant-initialised, read-only tables (see SchemaDeclaration.h).
#include "schema/DeclarationTables.h"

namespace {

constinit const SchemaDeclaration kLogicalSystemAccountDeclarations[] = {
    DeclareClass(L"Bnt_LogicalSystemAccount"),
    DeclareBelongsTo(L"Bnt_LogicalSystemAccount", L"PersonID", L"Bnt_Person", L"ID"),
    DeclareProperty(L"Bnt_LogicalSystemAccount", L"PersonID", CIM_SINT32, L"LOGICAL_USER_ACCOUNT", L"EMPID", 1, 0,
                    kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_LogicalSystemAccount", L"PersonID", L"read", 1),
    DeclareProperty(L"Bnt_LogicalSystemAccount", L"LogicalSystemType", CIM_SINT32, L"LOGICAL_USER_ACCOUNT",
                    L"LOGICAL_SYSTEM", 1, 0, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_LogicalSystemAccount", L"LogicalSystemType", L"read", 1),
    DeclarePropertyAttribute(L"Bnt_LogicalSystemAccount", L"LogicalSystemType", L"not_null", 1),
    DeclarePropertyValues(L"Bnt_LogicalSystemAccount", L"LogicalSystemType", L"POSSIBLE_VALUES", L"1",
                          L"ActivIdentity"),
    DeclareProperty(L"Bnt_LogicalSystemAccount", L"LogicalSystemID", CIM_SINT32, L"LOGICAL_USER_ACCOUNT",
                    L"LOGICAL_SYSTEM_ID", 0, 0, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_LogicalSystemAccount", L"LogicalSystemID", L"not_null", 1),
    DeclareProperty(L"Bnt_LogicalSystemAccount", L"UserName", CIM_STRING, L"LOGICAL_USER_ACCOUNT", L"USERNAME", 0, 128,
                    kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_LogicalSystemAccount", L"UserName", L"not_null", 1),
    DeclareNamedRecord(L"Bnt_LogicalSystemAccount", L"PersonID", L"Bnt_Person", L"ID"),
    DeclareNoRecord(L"Bnt_LogicalSystemAccount", L"LogicalSystemID",
                    L"the number of the outside logical system the account belongs to"),
};

constinit const SchemaDeclaration kMultimediaObjectDeclarations[] = {
    DeclareClass(L"Bnt_MultimediaObject"),
    DeclareSoftwareEvent(L"Bnt_MultimediaObject", SoftwareEventMultimediaObject),
    DeclareBelongsTo(L"Bnt_MultimediaObject", L"PersonID", L"Bnt_Person", L"ID"),
    DeclareClassAttribute(L"Bnt_MultimediaObject", L"UDFTableId", 6),
    DeclareClassWidePropertyAttribute(L"Bnt_MultimediaObject", L"read", 1),
    DeclareProperty(L"Bnt_MultimediaObject", L"PersonID", CIM_SINT32, L"MMOBJS", L"EMPID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_MultimediaObject", L"ObjectType", CIM_SINT32, L"MMOBJS", L"OBJECT", 1, 0, kNoIdType, 0),
    DeclarePropertyValues(L"Bnt_MultimediaObject", L"ObjectType", L"POSSIBLE_VALUES", L"1,8,16,32,64,513",
                          L"Photo,Signature,Hand Geometry,Fingerprint (Bioscrypt),Iris (Iridian),Visitor Document"),
    DeclareProperty(L"Bnt_MultimediaObject", L"DataType", CIM_SINT32, L"MMOBJS", L"TYPE", 1, 0, kNoIdType, 0),
    DeclarePropertyValues(L"Bnt_MultimediaObject", L"DataType", L"POSSIBLE_VALUES", L"0,1,2,3,4,5,13",
                          L"Normal Image,Normal Image with Chromakey Mask,Thumbnail Image,Fingerprint Template,"
                          L"Handprint Template,Iris Template,PDF Document"),
    DeclareProperty(L"Bnt_MultimediaObject", L"Data", CIM_UINT8 | CIM_FLAG_ARRAY, L"MMOBJS", L"BNT_BLOB", 0, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_MultimediaObject", L"LastChanged", CIM_DATETIME, L"MMOBJS", L"LASTCHANGED", 0, 0, kNoIdType,
                    0),
    DeclarePropertyAttribute(L"Bnt_MultimediaObject", L"LastChanged", L"noedit", 1),
    DeclareNamedRecord(L"Bnt_MultimediaObject", L"PersonID", L"Bnt_Person", L"ID",
                       NamedRecordRoad::kMapperSegmentRefusal),
};

constinit const SchemaDeclaration kPersonDeclarations[] = {
    DeclareClass(L"Bnt_Person", L"", true),
    DeclareOwnSegment(L"Bnt_Person", L"EMP", L"SEGMENTID", SegmentOptionPersons),
    DeclareClassAttribute(L"Bnt_Person", L"UDFTableId", 1),
    DeclareProperty(L"Bnt_Person", L"ID", CIM_SINT32, L"EMP", L"ID", 1, 0, 2, 0),
};

constinit const SchemaDeclaration kVisitorDeclarations[] = {
    DeclareClass(L"Bnt_Visitor", L"", true),
    DeclareSoftwareEvent(L"Bnt_Visitor", SoftwareEventVisitor),
    DeclareOwnSegment(L"Bnt_Visitor", L"EMP", L"SEGMENTID", SegmentOptionVisitors),
    DeclareClassAttribute(L"Bnt_Visitor", L"UDFTableId", 100100),
    DeclareProperty(L"Bnt_Visitor", L"ID", CIM_SINT32, L"EMP", L"ID", 1, 0, 2, 0),
};

}  // namespace

constinit const SchemaDeclarationTable kLogicalSystemAccountTable{kLogicalSystemAccountDeclarations};
constinit const SchemaDeclarationTable kMultimediaObjectTable{kMultimediaObjectDeclarations};
constinit const SchemaDeclarationTable kPersonTable{kPersonDeclarations};
constinit const SchemaDeclarationTable kVisitorTable{kVisitorDeclarations};
