// Declarations of the cardholder and the links of multimedia objects to cardholders and
// visitors, one registration table per mapper source, each in declaration order.
//
// Constant-initialised, read-only tables (see SchemaDeclaration.h).
#include "schema/DeclarationTables.h"

namespace {

constinit const SchemaDeclaration kCardholderMultimediaObjectDeclarations[] = {
    DeclareClass(L"Bnt_CardholderMultimediaObject", L"Bnt_MultimediaObjectOwner"),
    DeclareBelongsTo(L"Bnt_CardholderMultimediaObject", L"Person", L"Bnt_Cardholder", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_CardholderMultimediaObject", L"noedit", 1),
    DeclareReferenceProperty(L"Bnt_CardholderMultimediaObject", L"Person", L"Bnt_Cardholder"),
    DeclareReferenceProperty(L"Bnt_CardholderMultimediaObject", L"MultimediaObject", L"Bnt_MultimediaObject"),
};

constinit const SchemaDeclaration kVisitorMultimediaObjectDeclarations[] = {
    DeclareClass(L"Bnt_VisitorMultimediaObject", L"Bnt_MultimediaObjectOwner"),
    DeclareBelongsTo(L"Bnt_VisitorMultimediaObject", L"Person", L"Bnt_Visitor", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_VisitorMultimediaObject", L"noedit", 1),
    DeclareReferenceProperty(L"Bnt_VisitorMultimediaObject", L"Person", L"Bnt_Visitor"),
    DeclareReferenceProperty(L"Bnt_VisitorMultimediaObject", L"MultimediaObject", L"Bnt_MultimediaObject"),
};

constinit const SchemaDeclaration kCardholderDeclarations[] = {
    DeclareClass(L"Bnt_Cardholder", L"", true),
    DeclareSoftwareEvent(L"Bnt_Cardholder", SoftwareEventCardholder),
    DeclareOwnSegment(L"Bnt_Cardholder", L"EMP", L"SEGMENTID", SegmentOptionCardholders),
    DeclareClassAttribute(L"Bnt_Cardholder", L"UDFTableId", 2),
    DeclareProperty(L"Bnt_Cardholder", L"ID", CIM_SINT32, L"EMP", L"ID", 1, 0, 2, 0),
    DeclareNoRecord(
        L"Bnt_Cardholder", L"PRIMARYSEGMENTID",
        L"the person's own segment: the person's segment step refuses one the caller cannot write or that does not exist"),
};

}  // namespace

constinit const SchemaDeclarationTable kCardholderMultimediaObjectTable{kCardholderMultimediaObjectDeclarations};
constinit const SchemaDeclarationTable kVisitorMultimediaObjectTable{kVisitorMultimediaObjectDeclarations};
constinit const SchemaDeclarationTable kCardholderTable{kCardholderDeclarations};
