// Declarations of the visits, visit events, e-mail recipients, sign-in locations and self-
// service stations, one registration table per mapper source, each in declaration order.
//
// Constant-initialised, read-only tables (see SchemaDeclaration.h).
#include "schema/DeclarationTables.h"

namespace {

constinit const SchemaDeclaration kVisitEmailRecipientDeclarations[] = {
    DeclareClass(L"Bnt_VisitEmailRecipient"),
    DeclareOwnSegment(L"Bnt_VisitEmailRecipient", L"VISIT_EMAIL_LINK", L"SEGMENTID", SegmentOptionSegments),
    DeclareBelongsTo(L"Bnt_VisitEmailRecipient", L"VisitID", L"Bnt_Visit", L"ID"),
    DeclareBelongsToWhenNamed(L"Bnt_VisitEmailRecipient", L"PersonID", L"Bnt_Person", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_VisitEmailRecipient", L"noedit", 1),
    DeclareProperty(L"Bnt_VisitEmailRecipient", L"RecipientNumber", CIM_SINT32, L"VISIT_EMAIL_LINK", L"EMAILID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_VisitEmailRecipient", L"VisitID", CIM_SINT32, L"VISIT_EMAIL_LINK", L"VISITID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_VisitEmailRecipient", L"EmailAddress", CIM_STRING, L"VISIT_EMAIL_LINK", L"ADDRESS", 0, 255,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_VisitEmailRecipient", L"IncludeHost", CIM_BOOLEAN, L"VISIT_EMAIL_LINK", L"HOST", 0, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_VisitEmailRecipient", L"IncludeVisitor", CIM_BOOLEAN, L"VISIT_EMAIL_LINK", L"VISITOR", 0, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_VisitEmailRecipient", L"PersonID", CIM_SINT32, L"VISIT_EMAIL_LINK", L"EMPID", 0, 0, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_VisitEmailRecipient", L"DirectoryID", CIM_SINT32, L"VISIT_EMAIL_LINK", L"BNT_DIRECTORYID", 0,
                    0, kNoIdType, 0),
    DeclareProperty(L"Bnt_VisitEmailRecipient", L"AccountID", CIM_STRING, L"VISIT_EMAIL_LINK", L"ACCOUNTID", 0, 128,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_VisitEmailRecipient", L"SegmentID", CIM_SINT32, L"VISIT_EMAIL_LINK", L"SEGMENTID", 0, 0,
                    kNoIdType, 0),
    DeclareDynamicProperty(L"Bnt_VisitEmailRecipient", L"IncludeDefaultRecipients", CIM_BOOLEAN, 0),
    DeclareNamedRecord(L"Bnt_VisitEmailRecipient", L"PersonID", L"Bnt_Person", L"ID"),
    DeclareNamedRecord(L"Bnt_VisitEmailRecipient", L"VisitID", L"Bnt_Visit", L"ID"),
    DeclareNamedRecord(L"Bnt_VisitEmailRecipient", L"DirectoryID", L"Bnt_Directory", L"ID"),
    DeclareNamedRecord(L"Bnt_VisitEmailRecipient", L"SegmentID", L"Bnt_Segment", L"ID"),
};

constinit const SchemaDeclaration kVisitEventDeclarations[] = {
    DeclareClass(L"Bnt_VisitEvent"),
    DeclareSoftwareEvent(L"Bnt_VisitEvent", SoftwareEventVisitEvent),
    DeclareBelongsTo(L"Bnt_VisitEvent", L"CardholderID", L"Bnt_Cardholder", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_VisitEvent", L"noedit", 1),
    DeclareClassAttribute(L"Bnt_VisitEvent", L"UDFTableId", 100105),
    DeclareProperty(L"Bnt_VisitEvent", L"ID", CIM_SINT32, L"VISIT_EVENT", L"VISIT_EVENTID", 1, 0, 318, 0),
    DeclareProperty(L"Bnt_VisitEvent", L"Name", CIM_STRING, L"VISIT_EVENT", L"NAME", 0, 255, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_VisitEvent", L"Name", L"not_null", 1),
    DeclareProperty(L"Bnt_VisitEvent", L"CardholderID", CIM_SINT32, L"VISIT_EVENT", L"EMPID", 0, 0, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_VisitEvent", L"CardholderID", L"not_null", 1),
    DeclareProperty(L"Bnt_VisitEvent", L"DelegateID", CIM_SINT32, L"VISIT_EVENT", L"DELEGATE_EMPID", 0, 0, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_VisitEvent", L"DatabaseID", CIM_SINT32, L"VISIT_EVENT", L"SOURCE_BNT_DBID", 0, 0, kNoIdType,
                    0),
    DeclarePropertyAttribute(L"Bnt_VisitEvent", L"DatabaseID", L"not_null", 1),
    DeclareProperty(L"Bnt_VisitEvent", L"Scheduled_TimeIn", CIM_DATETIME, L"VISIT_EVENT", L"SCHEDULED_TIMEIN", 0, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_VisitEvent", L"Scheduled_TimeOut", CIM_DATETIME, L"VISIT_EVENT", L"SCHEDULED_TIMEOUT", 0, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_VisitEvent", L"LastChanged", CIM_DATETIME, L"VISIT_EVENT", L"LASTCHANGED_UTC", 0, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_VisitEvent", L"SignInLocationID", CIM_SINT32, L"VISIT_EVENT",
                    L"VISIT_EVENT_SIGN_IN_LOCATIONID", 0, 0, kNoIdType, 0),
    DeclareNamedRecord(L"Bnt_VisitEvent", L"CardholderID", L"Bnt_Person", L"ID"),
    DeclareNamedRecord(L"Bnt_VisitEvent", L"DelegateID", L"Bnt_Person", L"ID"),
    DeclareNoRecord(L"Bnt_VisitEvent", L"DatabaseID", L"the number of the installation database the event came from"),
    DeclareNamedRecord(L"Bnt_VisitEvent", L"SignInLocationID", L"Bnt_VisitSignInLocation", L"ID"),
};

constinit const SchemaDeclaration kVisitDeclarations[] = {
    DeclareClass(L"Bnt_Visit", L"", true),
    DeclareSoftwareEvent(L"Bnt_Visit", SoftwareEventVisit),
    DeclareBelongsTo(L"Bnt_Visit", L"VISIT.EMPID", L"Bnt_Cardholder", L"ID"),
    DeclareBelongsTo(L"Bnt_Visit", L"VISIT.VISITORID", L"Bnt_Visitor", L"ID"),
    DeclareClassAttribute(L"Bnt_Visit", L"UDFTableId", 100101),
    DeclareProperty(L"Bnt_Visit", L"ID", CIM_SINT32, L"VISIT", L"VISITID", 1, 0, 23, 0),
    DeclareNamedRecord(L"Bnt_Visit", L"CARDHOLDERID", L"Bnt_Person", L"ID"),
    DeclareNamedRecord(L"Bnt_Visit", L"VISITORID", L"Bnt_Person", L"ID"),
};

constinit const SchemaDeclaration kVisitSelfServiceStationDeclarations[] = {
    DeclareClass(L"Bnt_VisitSelfServiceStation"),
    DeclareBelongsTo(L"Bnt_VisitSelfServiceStation", L"VisitSignInLocationID", L"Bnt_VisitSignInLocation", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_VisitSelfServiceStation", L"read", 1),
    DeclareProperty(L"Bnt_VisitSelfServiceStation", L"ID", CIM_SINT32, L"VISIT_SELF_SERVICE_STATION", L"ID", 1, 0, 84,
                    0),
    DeclareProperty(L"Bnt_VisitSelfServiceStation", L"Name", CIM_STRING, L"VISIT_SELF_SERVICE_STATION", L"NAME", 0, 255,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_VisitSelfServiceStation", L"UniqueIdentifier", CIM_STRING, L"VISIT_SELF_SERVICE_STATION",
                    L"UNIQUE_IDENTIFIER", 0, 255, kNoIdType, 0),
    DeclareProperty(L"Bnt_VisitSelfServiceStation", L"VisitSignInLocationID", CIM_SINT32, L"VISIT_SELF_SERVICE_STATION",
                    L"VISIT_EVENT_SIGN_IN_LOCATIONID", 0, 0, kNoIdType, 0),
    DeclareNamedRecord(L"Bnt_VisitSelfServiceStation", L"VisitSignInLocationID", L"Bnt_VisitSignInLocation", L"ID"),
};

constinit const SchemaDeclaration kVisitSignInLocationDeclarations[] = {
    DeclareClass(L"Bnt_VisitSignInLocation"),
    DeclareOwnSegment(L"Bnt_VisitSignInLocation", L"VISIT_EVENT_SIGN_IN_LOCATION", L"SEGMENTID", SegmentOptionSegments),
    DeclareClassWidePropertyAttribute(L"Bnt_VisitSignInLocation", L"noedit", 1),
    DeclareProperty(L"Bnt_VisitSignInLocation", L"ID", CIM_SINT32, L"VISIT_EVENT_SIGN_IN_LOCATION", L"ID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_VisitSignInLocation", L"Name", CIM_STRING, L"VISIT_EVENT_SIGN_IN_LOCATION", L"NAME", 0, 255,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_VisitSignInLocation", L"SegmentID", CIM_SINT32, L"VISIT_EVENT_SIGN_IN_LOCATION", L"SEGMENTID",
                    0, 0, kNoIdType, 1),
    DeclareProperty(L"Bnt_VisitSignInLocation", L"WorldTimezoneID", CIM_SINT32, L"VISIT_EVENT_SIGN_IN_LOCATION",
                    L"WORLDTZID", 0, 0, kNoIdType, 0),
    DeclareNamedRecord(L"Bnt_VisitSignInLocation", L"SegmentID", L"Bnt_Segment", L"ID"),
    DeclareNamedRecord(L"Bnt_VisitSignInLocation", L"WorldTimezoneID", L"Bnt_WorldTimezone", L"ID"),
};

}  // namespace

constinit const SchemaDeclarationTable kVisitEmailRecipientTable{kVisitEmailRecipientDeclarations};
constinit const SchemaDeclarationTable kVisitEventTable{kVisitEventDeclarations};
constinit const SchemaDeclarationTable kVisitTable{kVisitDeclarations};
constinit const SchemaDeclarationTable kVisitSelfServiceStationTable{kVisitSelfServiceStationDeclarations};
constinit const SchemaDeclarationTable kVisitSignInLocationTable{kVisitSignInLocationDeclarations};
