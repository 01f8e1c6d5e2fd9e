// Declarations of the access groups, the access levels and the links that hang on them, one
// registration table per mapper source, each in declaration order.
//
// Constant-initialised, read-only tables (see SchemaDeclaration.h).
#include "schema/DeclarationTables.h"

namespace {

constinit const SchemaDeclaration kAccessGroupDeclarations[] = {
    DeclareClass(L"Bnt_AccessGroup"),
    DeclareOwnSegment(L"Bnt_AccessGroup", L"ACCESSGRP", L"SEGMENTID", SegmentOptionSegments),
    DeclareClassWidePropertyAttribute(L"Bnt_AccessGroup", L"noedit", 1),
    DeclareProperty(L"Bnt_AccessGroup", L"ID", CIM_SINT32, L"ACCESSGRP", L"ACCESSGPID", 1, 0, 3, 0),
    DeclareProperty(L"Bnt_AccessGroup", L"Name", CIM_STRING, L"ACCESSGRP", L"DESCRIPT", 0, 64, kNoIdType, 0),
    DeclareProperty(L"Bnt_AccessGroup", L"SegmentID", CIM_SINT32, L"ACCESSGRP", L"SEGMENTID", 0, 0, kNoIdType, 1),
    DeclareMethod(L"Bnt_AccessGroup", L"AssignGroup"),
    DeclareMethodParameter(L"Bnt_AccessGroup", L"AssignGroup", true, L"BadgeKey", CIM_SINT32),
    DeclareNamedRecordParameter(L"Bnt_AccessGroup", L"AssignGroup", L"BadgeKey", L"Bnt_Badge", L"BADGEKEY",
                                NamedRecordRoad::kMapper),
    DeclareNoRecord(
        L"Bnt_AccessGroup", L"SegmentID",
        L"the record's own segment: the segment step refuses one the caller cannot reach or that does not exist"),
};

constinit const SchemaDeclaration kAccessLevelAssignmentDeclarations[] = {
    DeclareClass(L"Bnt_AccessLevelAssignment"),
    DeclareBelongsTo(L"Bnt_AccessLevelAssignment", L"AccessLevelID", L"Bnt_AccessLevel", L"ID"),
    DeclareBelongsTo(L"Bnt_AccessLevelAssignment", L"BadgeKey", L"Bnt_Badge", L"BADGEKEY"),
    DeclareClassWidePropertyAttribute(L"Bnt_AccessLevelAssignment", L"read", 1),
    DeclareProperty(L"Bnt_AccessLevelAssignment", L"AccessLevelID", CIM_SINT32, L"BADGELINK", L"ACCLVLID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_AccessLevelAssignment", L"BadgeKey", CIM_SINT32, L"BADGELINK", L"BADGEKEY", 1, 0, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_AccessLevelAssignment", L"Activate", CIM_DATETIME, L"BADGELINK", L"ACTIVATE", 0, 0, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_AccessLevelAssignment", L"Deactivate", CIM_DATETIME, L"BADGELINK", L"DEACTIVATE", 0, 0,
                    kNoIdType, 0),
    DeclareNamedRecord(L"Bnt_AccessLevelAssignment", L"AccessLevelID", L"Bnt_AccessLevel", L"ID",
                       NamedRecordRoad::kMapper),
    DeclareNamedRecord(L"Bnt_AccessLevelAssignment", L"BadgeKey", L"Bnt_Badge", L"BADGEKEY", NamedRecordRoad::kMapper),
};

constinit const SchemaDeclaration kAccessLevelManagedDeclarations[] = {
    DeclareClass(L"Bnt_AccessLevelManaged"),
    DeclareOwnSegment(L"Bnt_AccessLevelManaged", L"ACCESSLVL", L"SEGMENTID", SegmentOptionSegments),
    DeclareClassWidePropertyAttribute(L"Bnt_AccessLevelManaged", L"noedit", 1),
    DeclareProperty(L"Bnt_AccessLevelManaged", L"ID", CIM_SINT32, L"ACCESSLVL", L"ACCESSLVID", 1, 0, 32768, 0),
    DeclareProperty(L"Bnt_AccessLevelManaged", L"Name", CIM_STRING, L"ACCESSLVL", L"DESCRIPT", 0, 64, kNoIdType, 0),
    DeclareProperty(L"Bnt_AccessLevelManaged", L"SegmentID", CIM_SINT32, L"ACCESSLVL", L"SEGMENTID", 0, 0, kNoIdType,
                    1),
    DeclareProperty(L"Bnt_AccessLevelManaged", L"AvailableForRequest", CIM_BOOLEAN, L"ACCESSLVL",
                    L"AVAILABLE_FOR_REQUEST", 0, 0, kNoIdType, 0),
    DeclareNoRecord(
        L"Bnt_AccessLevelManaged", L"SegmentID",
        L"the record's own segment: the segment step refuses one the caller cannot reach or that does not exist"),
};

constinit const SchemaDeclaration kAccessLevelDeclarations[] = {
    DeclareClass(L"Bnt_AccessLevel"),
    DeclareOwnSegment(L"Bnt_AccessLevel", L"ACCESSLVL", L"SEGMENTID", SegmentOptionSegments),
    DeclareClassAttribute(L"Bnt_AccessLevel", L"UDFTableId", 5),
    DeclareProperty(L"Bnt_AccessLevel", L"ID", CIM_SINT32, L"ACCESSLVL", L"ACCESSLVID", 1, 0, 32768, 0),
    DeclarePropertyAttribute(L"Bnt_AccessLevel", L"ID", L"noedit", 1),
    DeclareProperty(L"Bnt_AccessLevel", L"Name", CIM_STRING, L"ACCESSLVL", L"DESCRIPT", 0, 64, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_AccessLevel", L"Name", L"not_null", 1),
    DeclareProperty(L"Bnt_AccessLevel", L"SegmentID", CIM_SINT32, L"ACCESSLVL", L"SEGMENTID", 0, 0, kNoIdType, 1),
    DeclarePropertyAttribute(L"Bnt_AccessLevel", L"SegmentID", L"not_null", 1),
    DeclarePropertyAttribute(L"Bnt_AccessLevel", L"SegmentID", L"DefaultValue", L"0"),
    DeclarePropertyAttribute(L"Bnt_AccessLevel", L"SegmentID", L"read", 1),
    DeclareProperty(L"Bnt_AccessLevel", L"HasCommandAuthority", CIM_BOOLEAN, L"ACCESSLVL", L"COMMAND", 0, 0, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_AccessLevel", L"DownloadToIntelligentReaders", CIM_BOOLEAN, L"ACCESSLVL", L"DOWNLOAD", 0, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_AccessLevel", L"FirstCardUnlock", CIM_BOOLEAN, L"ACCESSLVL", L"FIRST_CARD_UNLOCK", 0, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_AccessLevel", L"AvailableForRequest", CIM_BOOLEAN, L"ACCESSLVL", L"AVAILABLE_FOR_REQUEST", 0,
                    0, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_AccessLevel", L"AvailableForRequest", L"not_null", 1),
    DeclarePropertyAttribute(L"Bnt_AccessLevel", L"AvailableForRequest", L"DefaultValue", L"0"),
    DeclareNoRecord(
        L"Bnt_AccessLevel", L"SegmentID",
        L"the record's own segment: the segment step refuses one the caller cannot reach or that does not exist"),
};

constinit const SchemaDeclaration kAccessLevelReaderAssignmentDeclarations[] = {
    DeclareClass(L"Bnt_AccessLevelReaderAssignment"),
    DeclareBelongsTo(L"Bnt_AccessLevelReaderAssignment", L"AccessLevelID", L"Bnt_AccessLevel", L"ID"),
    DeclareBelongsTo(L"Bnt_AccessLevelReaderAssignment", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_AccessLevelReaderAssignment", L"noedit", 1),
    DeclareProperty(L"Bnt_AccessLevelReaderAssignment", L"AccessLevelID", CIM_SINT32, L"ACCLVLINK", L"ACCESSLVID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_AccessLevelReaderAssignment", L"PanelID", CIM_SINT32, L"ACCLVLINK", L"PANELID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_AccessLevelReaderAssignment", L"ReaderID", CIM_SINT32, L"ACCLVLINK", L"READERID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_AccessLevelReaderAssignment", L"TimezoneID", CIM_SINT32, L"ACCLVLINK", L"TZID", 0, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_AccessLevelReaderAssignment", L"AvailableForRequest", CIM_BOOLEAN, L"ACCESSLVL",
                    L"AVAILABLE_FOR_REQUEST", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_AccessLevelReaderAssignment", L"AccessLevelName", CIM_STRING, L"ACCESSLVL", L"DESCRIPT", 0,
                    128, kNoIdType, 0),
    DeclareProperty(L"Bnt_AccessLevelReaderAssignment", L"ReaderName", CIM_STRING, L"READER", L"READERDESC", 0, 128,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_AccessLevelReaderAssignment", L"ReaderFriendlyName", CIM_STRING, L"READER", L"FRIENDLY_NAME",
                    0, 128, kNoIdType, 0),
    DeclareProperty(L"Bnt_AccessLevelReaderAssignment", L"TimezoneName", CIM_STRING, L"TIMEZONE", L"DESCRIPT", 0, 128,
                    kNoIdType, 0),
    DeclareNamedRecord(L"Bnt_AccessLevelReaderAssignment", L"AccessLevelID", L"Bnt_AccessLevel", L"ID"),
    DeclareNamedRecord(L"Bnt_AccessLevelReaderAssignment", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareNamedRecord(L"Bnt_AccessLevelReaderAssignment", L"PanelID,ReaderID", L"Bnt_Reader", L"PanelID,ReaderID"),
    DeclareNamedRecord(L"Bnt_AccessLevelReaderAssignment", L"TimezoneID", L"Bnt_Timezone", L"ID"),
};

constinit const SchemaDeclaration kAccessLevelUserDeclarations[] = {
    DeclareClass(L"Bnt_AccessLevelUser"),
    DeclareBelongsTo(L"Bnt_AccessLevelUser", L"User", L"Bnt_User", L"ID"),
    DeclareBelongsTo(L"Bnt_AccessLevelUser", L"AccessLevel", L"Bnt_AccessLevel", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_AccessLevelUser", L"noedit", 1),
    DeclareReferenceProperty(L"Bnt_AccessLevelUser", L"User", L"Bnt_User"),
    DeclareReferenceProperty(L"Bnt_AccessLevelUser", L"AccessLevel", L"Bnt_AccessLevel"),
};

constinit const SchemaDeclaration kAccessLevelGroupAssignmentDeclarations[] = {
    DeclareClass(L"Bnt_AccessLevelGroupAssignment"),
    DeclareBelongsTo(L"Bnt_AccessLevelGroupAssignment", L"AccessGroup", L"Bnt_AccessGroup", L"ID"),
    DeclareBelongsTo(L"Bnt_AccessLevelGroupAssignment", L"AccessLevel", L"Bnt_AccessLevel", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_AccessLevelGroupAssignment", L"noedit", 1),
    DeclareReferenceProperty(L"Bnt_AccessLevelGroupAssignment", L"AccessGroup", L"Bnt_AccessGroup"),
    DeclareReferenceProperty(L"Bnt_AccessLevelGroupAssignment", L"AccessLevel", L"Bnt_AccessLevel"),
};

}  // namespace

constinit const SchemaDeclarationTable kAccessGroupTable{kAccessGroupDeclarations};
constinit const SchemaDeclarationTable kAccessLevelAssignmentTable{kAccessLevelAssignmentDeclarations};
constinit const SchemaDeclarationTable kAccessLevelManagedTable{kAccessLevelManagedDeclarations};
constinit const SchemaDeclarationTable kAccessLevelTable{kAccessLevelDeclarations};
constinit const SchemaDeclarationTable kAccessLevelReaderAssignmentTable{kAccessLevelReaderAssignmentDeclarations};
constinit const SchemaDeclarationTable kAccessLevelUserTable{kAccessLevelUserDeclarations};
constinit const SchemaDeclarationTable kAccessLevelGroupAssignmentTable{kAccessLevelGroupAssignmentDeclarations};
