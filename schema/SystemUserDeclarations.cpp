// Declarations of the system users, their accounts and the permission groups, one registration
// table per mapper source, each in declaration order.
//
// Constant-initialised, read-only tables (see SchemaDeclaration.h).
#include "schema/DeclarationTables.h"

namespace {

// Why a user's permission-group id is declared as naming no record: the user write looks it up.
constexpr wchar_t kPermissionGroupReason[] =
    L"0 names no group; the user write refuses any other that names no group of its own type (CWmipUserRules) or, "
    L"given by the write, one of another segment, as a missing one";

constinit const SchemaDeclaration kUserPermissionDeviceGroupLinkDeclarations[] = {
    DeclareClass(L"Bnt_UserPermissionDeviceGroupLink"),
    DeclareBelongsTo(L"Bnt_UserPermissionDeviceGroupLink", L"UserPermissionGroupID", L"Bnt_UserPermissionGroup", L"ID"),
    DeclareBelongsTo(L"Bnt_UserPermissionDeviceGroupLink", L"DeviceGroupID", L"Bnt_CameraGroup", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_UserPermissionDeviceGroupLink", L"noedit", 1),
    DeclareProperty(L"Bnt_UserPermissionDeviceGroupLink", L"UserPermissionGroupID", CIM_SINT32,
                    L"USER_PERM_DEVICE_GROUP_LINK", L"USER_PERMID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_UserPermissionDeviceGroupLink", L"DeviceGroupID", CIM_SINT32, L"USER_PERM_DEVICE_GROUP_LINK",
                    L"DEVICEGROUPID", 1, 0, kNoIdType, 0),
    DeclareNamedRecord(L"Bnt_UserPermissionDeviceGroupLink", L"UserPermissionGroupID", L"Bnt_UserPermissionGroup",
                       L"ID"),
    DeclareNamedRecord(L"Bnt_UserPermissionDeviceGroupLink", L"DeviceGroupID", L"Bnt_CameraGroup", L"ID"),
};

constinit const SchemaDeclaration kUserAccountDeclarations[] = {
    DeclareClass(L"Bnt_UserAccount"),
    DeclareBelongsTo(L"Bnt_UserAccount", L"UserID", L"Bnt_User", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_UserAccount", L"noedit", 1),
    DeclareProperty(L"Bnt_UserAccount", L"ID", CIM_SINT32, L"USER_ACCOUNT", L"USER_ACCOUNTID", 1, 0, 32803, 0),
    DeclareProperty(L"Bnt_UserAccount", L"UserID", CIM_SINT32, L"USER_ACCOUNT", L"USERID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_UserAccount", L"DirectoryID", CIM_SINT32, L"USER_ACCOUNT", L"BNT_DIRECTORYID", 0, 0,
                    kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_UserAccount", L"DirectoryID", L"not_null", 1),
    DeclareProperty(L"Bnt_UserAccount", L"AccountID", CIM_STRING, L"USER_ACCOUNT", L"ACCOUNTID", 0, 128, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_UserAccount", L"AccountID", L"not_null", 1),
    DeclareNamedRecord(L"Bnt_UserAccount", L"UserID", L"Bnt_User", L"ID", NamedRecordRoad::kMapper),
    DeclareNamedRecord(L"Bnt_UserAccount", L"DirectoryID", L"Bnt_Directory", L"ID"),
};

constinit const SchemaDeclaration kUserFieldPermissionGroupDeclarations[] = {
    DeclareClass(L"Bnt_UserFieldPermissionGroup"),
    DeclareOwnSegment(L"Bnt_UserFieldPermissionGroup", L"USER_PERM_UDF", L"SEGMENTID", SegmentOptionSegments),
    DeclareClassWidePropertyAttribute(L"Bnt_UserFieldPermissionGroup", L"noedit", 1),
    DeclareProperty(L"Bnt_UserFieldPermissionGroup", L"ID", CIM_SINT32, L"USER_PERM_UDF", L"USER_PERM_UDFID", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_UserFieldPermissionGroup", L"Name", CIM_STRING, L"USER_PERM_UDF", L"NAME", 0, 32, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_UserFieldPermissionGroup", L"SegmentID", CIM_SINT32, L"USER_PERM_UDF", L"SEGMENTID", 0, 0,
                    kNoIdType, 1),
    DeclarePropertyAttribute(L"Bnt_UserFieldPermissionGroup", L"SegmentID", L"not_null", 1),
    DeclarePropertyAttribute(L"Bnt_UserFieldPermissionGroup", L"SegmentID", L"DefaultValue", L"0"),
    DeclareNamedRecord(L"Bnt_UserFieldPermissionGroup", L"SegmentID", L"Bnt_Segment", L"ID"),
};

constinit const SchemaDeclaration kUserDeclarations[] = {
    DeclareClass(L"Bnt_User"),
    DeclareOwnSegment(L"Bnt_User", L"USERS", L"SEGMENTID", SegmentOptionSegments),
    DeclareClassWidePropertyAttribute(L"Bnt_User", L"noedit", 1),
    DeclareProperty(L"Bnt_User", L"ID", CIM_SINT32, L"USERS", L"USERID", 1, 0, 15, 0),
    DeclarePropertyAttribute(L"Bnt_User", L"ID", L"noedit", 1),
    DeclareProperty(L"Bnt_User", L"LogonID", CIM_STRING, L"USERS", L"LOGONID", 0, 32, kNoIdType, 0),
    DeclareProperty(L"Bnt_User", L"FirstName", CIM_STRING, L"USERS", L"FIRSTNAME", 0, 64, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_User", L"FirstName", L"not_null", 1),
    DeclareProperty(L"Bnt_User", L"LastName", CIM_STRING, L"USERS", L"LASTNAME", 0, 64, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_User", L"LastName", L"not_null", 1),
    DeclareProperty(L"Bnt_User", L"PrimarySegmentID", CIM_SINT32, L"USERS", L"SEGMENTID", 0, 0, kNoIdType, 1),
    DeclarePropertyAttribute(L"Bnt_User", L"PrimarySegmentID", L"not_null", 1),
    DeclarePropertyAttribute(L"Bnt_User", L"PrimarySegmentID", L"DefaultValue", L"-1"),
    DeclarePropertyAttribute(L"Bnt_User", L"PrimarySegmentID", L"read", 1),
    DeclareProperty(L"Bnt_User", L"MonitoringZoneID", CIM_SINT32, L"USERS", L"MZID", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_User", L"Password", CIM_STRING, L"USERS", L"LOGONPWD", 0, 50, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_User", L"Password", L"read", 1),
    DeclareProperty(L"Bnt_User", L"Enabled", CIM_BOOLEAN, L"USERS", L"ISENABLED", 0, 0, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_User", L"Enabled", L"not_null", 1),
    DeclareProperty(L"Bnt_User", L"SystemPermissionGroupID", CIM_SINT32, L"USERS", L"SYSTEM_USER_PERMID", 0, 0,
                    kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_User", L"SystemPermissionGroupID", L"not_null", 1),
    DeclarePropertyAttribute(L"Bnt_User", L"SystemPermissionGroupID", L"DefaultValue", L"0"),
    DeclareProperty(L"Bnt_User", L"MonitoringPermissionGroupID", CIM_SINT32, L"USERS", L"MONITOR_USER_PERMID", 0, 0,
                    kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_User", L"MonitoringPermissionGroupID", L"not_null", 1),
    DeclarePropertyAttribute(L"Bnt_User", L"MonitoringPermissionGroupID", L"DefaultValue", L"0"),
    DeclareProperty(L"Bnt_User", L"CardPermissionGroupID", CIM_SINT32, L"USERS", L"CARD_USER_PERMID", 0, 0, kNoIdType,
                    0),
    DeclarePropertyAttribute(L"Bnt_User", L"CardPermissionGroupID", L"not_null", 1),
    DeclarePropertyAttribute(L"Bnt_User", L"CardPermissionGroupID", L"DefaultValue", L"0"),
    DeclareProperty(L"Bnt_User", L"ReportPermissionGroupID", CIM_SINT32, L"USERS", L"REPORT_USER_PERMID", 0, 0,
                    kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_User", L"ReportPermissionGroupID", L"not_null", 1),
    DeclarePropertyAttribute(L"Bnt_User", L"ReportPermissionGroupID", L"DefaultValue", L"0"),
    DeclareProperty(L"Bnt_User", L"FieldPermissionID", CIM_SINT32, L"USERS", L"USER_PERM_UDFID", 0, 0, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_User", L"FieldPermissionID", L"not_null", 1),
    DeclarePropertyAttribute(L"Bnt_User", L"FieldPermissionID", L"DefaultValue", L"0"),
    DeclareProperty(L"Bnt_User", L"Created", CIM_DATETIME, L"USERS", L"CREATED", 0, 0, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_User", L"Created", L"noedit", 1),
    DeclareProperty(L"Bnt_User", L"LastChanged", CIM_DATETIME, L"USERS", L"LASTCHANGED", 0, 0, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_User", L"LastChanged", L"noedit", 1),
    DeclareProperty(L"Bnt_User", L"Notes", CIM_STRING, L"USERS", L"NOTES", 0, 2000, kNoIdType, 0),
    DeclareProperty(L"Bnt_User", L"AutomaticallyCreated", CIM_BOOLEAN, L"USERS", L"IS_AUTO_CREATED_USER", 0, 0,
                    kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_User", L"AutomaticallyCreated", L"noedit", 1),
    DeclareProperty(L"Bnt_User", L"DatabaseID", CIM_SINT32, L"USERS", L"BNT_DBID", 0, 0, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_User", L"DatabaseID", L"not_null", 1),
    DeclareNoRecord(
        L"Bnt_User", L"PrimarySegmentID",
        L"the record's own segment: the segment step refuses one the caller cannot reach or that does not exist"),
    DeclareNoRecord(
        L"Bnt_User", L"MonitoringZoneID",
        L"0 names no zone; the user write looks any other up as the caller, a hidden one answered as a missing one"),
    DeclareNoRecord(L"Bnt_User", L"SystemPermissionGroupID", kPermissionGroupReason),
    DeclareNoRecord(L"Bnt_User", L"MonitoringPermissionGroupID", kPermissionGroupReason),
    DeclareNoRecord(L"Bnt_User", L"CardPermissionGroupID", kPermissionGroupReason),
    DeclareNoRecord(L"Bnt_User", L"ReportPermissionGroupID", kPermissionGroupReason),
    DeclareNoRecord(L"Bnt_User", L"FieldPermissionID",
                    L"0 names no group and -1 every field; the user write refuses any other that names no group "
                    L"(CWmipUserRules) or, given by the write, one of another segment, as a missing one"),
    DeclareNoRecord(L"Bnt_User", L"DatabaseID",
                    L"the number of the installation database, checked against the caller's own"),
};

constinit const SchemaDeclaration kUserPermissionGroupDeclarations[] = {
    DeclareClass(L"Bnt_UserPermissionGroup"),
    DeclareOwnSegment(L"Bnt_UserPermissionGroup", L"USER_PERM", L"SEGMENTID", SegmentOptionSegments),
    DeclareClassWidePropertyAttribute(L"Bnt_UserPermissionGroup", L"noedit", 1),
    DeclareProperty(L"Bnt_UserPermissionGroup", L"ID", CIM_SINT32, L"USER_PERM", L"USER_PERMID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_UserPermissionGroup", L"Name", CIM_STRING, L"USER_PERM", L"NAME", 0, 32, kNoIdType, 0),
    DeclareProperty(L"Bnt_UserPermissionGroup", L"SegmentID", CIM_SINT32, L"USER_PERM", L"SEGMENTID", 0, 0, kNoIdType,
                    1),
    DeclarePropertyAttribute(L"Bnt_UserPermissionGroup", L"SegmentID", L"not_null", 1),
    DeclarePropertyAttribute(L"Bnt_UserPermissionGroup", L"SegmentID", L"DefaultValue", L"-1"),
    DeclareProperty(L"Bnt_UserPermissionGroup", L"Type", CIM_SINT32, L"USER_PERM", L"TYPE", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_UserPermissionGroup", L"DevicesExcluded", CIM_BOOLEAN, L"USER_PERM", L"DEVICES_ARE_EXCLUDED",
                    0, 0, kNoIdType, 0),
    DeclareDynamicProperty(L"Bnt_UserPermissionGroup", L"CanSearchVideo", CIM_BOOLEAN, 0),
    DeclareDynamicProperty(L"Bnt_UserPermissionGroup", L"CanViewLiveVideo", CIM_BOOLEAN, 0),
    DeclareDynamicProperty(L"Bnt_UserPermissionGroup", L"CanViewRecordedVideo", CIM_BOOLEAN, 0),
    DeclareDynamicProperty(L"Bnt_UserPermissionGroup", L"PTZPriority", CIM_SINT32, 0),
    DeclareNoRecord(
        L"Bnt_UserPermissionGroup", L"SegmentID",
        L"the record's own segment: the segment step refuses one the caller cannot reach or that does not exist"),
};

constinit const SchemaDeclaration kUserReportPermissionGroupDeclarations[] = {
    DeclareClass(L"Bnt_UserReportPermissionGroup"),
    DeclareOwnSegment(L"Bnt_UserReportPermissionGroup", L"USER_PERM_REPORT", L"SEGMENTID", SegmentOptionSegments),
    DeclareClassWidePropertyAttribute(L"Bnt_UserReportPermissionGroup", L"noedit", 1),
    DeclareProperty(L"Bnt_UserReportPermissionGroup", L"ID", CIM_SINT32, L"USER_PERM_REPORT", L"USER_PERM_REPORTID", 1,
                    0, kNoIdType, 0),
    DeclareProperty(L"Bnt_UserReportPermissionGroup", L"Name", CIM_STRING, L"USER_PERM_REPORT", L"NAME", 0, 255,
                    kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_UserReportPermissionGroup", L"Name", L"not_null", 1),
    DeclareProperty(L"Bnt_UserReportPermissionGroup", L"SegmentID", CIM_SINT32, L"USER_PERM_REPORT", L"SEGMENTID", 0, 0,
                    kNoIdType, 1),
    DeclarePropertyAttribute(L"Bnt_UserReportPermissionGroup", L"SegmentID", L"not_null", 1),
    DeclarePropertyAttribute(L"Bnt_UserReportPermissionGroup", L"SegmentID", L"DefaultValue", L"-1"),
    DeclareProperty(L"Bnt_UserReportPermissionGroup", L"DatabaseID", CIM_SINT32, L"USER_PERM_REPORT", L"BNT_DBID", 0, 0,
                    kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_UserReportPermissionGroup", L"DatabaseID", L"not_null", 1),
    DeclarePropertyAttribute(L"Bnt_UserReportPermissionGroup", L"DatabaseID", L"DefaultValue", L"0"),
    DeclareNamedRecord(L"Bnt_UserReportPermissionGroup", L"SegmentID", L"Bnt_Segment", L"ID"),
    DeclareNoRecord(L"Bnt_UserReportPermissionGroup", L"DatabaseID",
                    L"the number of the installation database the group belongs to"),
};

}  // namespace

constinit const SchemaDeclarationTable kUserPermissionDeviceGroupLinkTable{kUserPermissionDeviceGroupLinkDeclarations};
constinit const SchemaDeclarationTable kUserAccountTable{kUserAccountDeclarations};
constinit const SchemaDeclarationTable kUserFieldPermissionGroupTable{kUserFieldPermissionGroupDeclarations};
constinit const SchemaDeclarationTable kUserTable{kUserDeclarations};
constinit const SchemaDeclarationTable kUserPermissionGroupTable{kUserPermissionGroupDeclarations};
constinit const SchemaDeclarationTable kUserReportPermissionGroupTable{kUserReportPermissionGroupDeclarations};
