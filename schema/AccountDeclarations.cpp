// Declarations of the directories and the accounts by which persons are known in them, in
// declaration order: one mapper source, one registration table.
//
// Constant-initialised, read-only tables (see SchemaDeclaration.h).
#include "schema/DeclarationTables.h"

namespace {

constinit const SchemaDeclaration kAccountDeclarations[] = {
    DeclareClass(L"Bnt_Account"),
    DeclareSoftwareEvent(L"Bnt_Account", SoftwareEventAccount),
    DeclareBelongsTo(L"Bnt_Account", L"PersonID", L"Bnt_Person", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_Account", L"read", 1),
    DeclareProperty(L"Bnt_Account", L"ID", CIM_SINT32, L"CARDHOLDER_ACCOUNT", L"CARDHOLDER_ACCOUNTID", 1, 0, 41, 0),
    DeclarePropertyAttribute(L"Bnt_Account", L"ID", L"noedit", 1),
    DeclareProperty(L"Bnt_Account", L"PersonID", CIM_SINT32, L"CARDHOLDER_ACCOUNT", L"EMPID", 0, 0, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_Account", L"PersonID", L"not_null", 1),
    DeclareProperty(L"Bnt_Account", L"DirectoryID", CIM_SINT32, L"CARDHOLDER_ACCOUNT", L"BNT_DIRECTORYID", 0, 0,
                    kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_Account", L"DirectoryID", L"not_null", 1),
    DeclareProperty(L"Bnt_Account", L"AccountID", CIM_STRING, L"CARDHOLDER_ACCOUNT", L"ACCOUNTID", 0, 128, kNoIdType,
                    0),
    DeclarePropertyAttribute(L"Bnt_Account", L"AccountID", L"not_null", 1),
    DeclareNamedRecord(L"Bnt_Account", L"PersonID", L"Bnt_Person", L"ID", NamedRecordRoad::kMapperSegmentRefusal),
    DeclareNamedRecord(L"Bnt_Account", L"DirectoryID", L"Bnt_Directory", L"ID", NamedRecordRoad::kMapper),

    DeclareClass(L"Bnt_Directory"),
    DeclareNotSegmented(L"Bnt_Directory", L"A directory of accounts serves the persons and users of every segment."),
    DeclareClassWidePropertyAttribute(L"Bnt_Directory", L"noedit", 1),
    DeclareProperty(L"Bnt_Directory", L"ID", CIM_SINT32, L"BNT_DIRECTORY", L"BNT_DIRECTORYID", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_Directory", L"Name", CIM_STRING, L"BNT_DIRECTORY", L"DIR_NAME", 0, 128, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_Directory", L"Name", L"not_null", 1),
    DeclareProperty(L"Bnt_Directory", L"Type", CIM_SINT32, L"BNT_DIRECTORY", L"DIR_TYPE", 0, 0, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_Directory", L"Type", L"not_null", 1),
    DeclareProperty(L"Bnt_Directory", L"HostName", CIM_STRING, L"BNT_DIRECTORY", L"DIR_HOSTNAME", 0, 128, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_Directory", L"HostName", L"not_null", 1),
    DeclareProperty(L"Bnt_Directory", L"Port", CIM_SINT32, L"BNT_DIRECTORY", L"DIR_PORT", 0, 0, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_Directory", L"Port", L"not_null", 1),
    DeclareProperty(L"Bnt_Directory", L"UseSSL", CIM_BOOLEAN, L"BNT_DIRECTORY", L"DIR_USESSL", 0, 0, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_Directory", L"UseSSL", L"not_null", 1),
    DeclareProperty(L"Bnt_Directory", L"AccountClass", CIM_STRING, L"BNT_DIRECTORY", L"DIR_ACCOUNTCLASS", 0, 128,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_Directory", L"AccountCategory", CIM_STRING, L"BNT_DIRECTORY", L"DIR_ACCOUNTCATEGORY", 0, 128,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_Directory", L"AccountIDAttr", CIM_STRING, L"BNT_DIRECTORY", L"DIR_ACCOUNTIDATTR", 0, 128,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_Directory", L"AccountUserNameAttr", CIM_STRING, L"BNT_DIRECTORY", L"DIR_ACCOUNTUSERNAMEATTR",
                    0, 128, kNoIdType, 0),
    DeclareProperty(L"Bnt_Directory", L"AccountDisplayNameAttr", CIM_STRING, L"BNT_DIRECTORY",
                    L"DIR_ACCOUNTDISPLAYNAMEATTR", 0, 128, kNoIdType, 0),
    DeclareProperty(L"Bnt_Directory", L"StartNode", CIM_STRING, L"BNT_DIRECTORY", L"DIR_STARTNODE", 0, 128, kNoIdType,
                    0),
    DeclarePropertyValues(L"Bnt_Directory", L"Type", L"POSSIBLE_VALUES", L"0,1,2,3",
                          L"LDAP,Microsoft Active Directory,Microsoft Windows NT 4 Domain,Windows Local Accounts"),

    DeclareClass(L"Bnt_PersonAccount"),
    DeclareBelongsTo(L"Bnt_PersonAccount", L"Person", L"Bnt_Person", L"ID"),
    DeclareBelongsTo(L"Bnt_PersonAccount", L"Account", L"Bnt_Account", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_PersonAccount", L"noedit", 1),
    DeclareReferenceProperty(L"Bnt_PersonAccount", L"Person", L"Bnt_Person"),
    DeclareReferenceProperty(L"Bnt_PersonAccount", L"Account", L"Bnt_Account"),

    DeclareClass(L"Bnt_CardholderAccount", L"Bnt_PersonAccount"),
    DeclareBelongsTo(L"Bnt_CardholderAccount", L"Person", L"Bnt_Cardholder", L"ID"),
    DeclareBelongsTo(L"Bnt_CardholderAccount", L"Account", L"Bnt_Account", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_CardholderAccount", L"noedit", 1),
    DeclareReferenceProperty(L"Bnt_CardholderAccount", L"Person", L"Bnt_Cardholder"),
    DeclareReferenceProperty(L"Bnt_CardholderAccount", L"Account", L"Bnt_Account"),

    DeclareClass(L"Bnt_VisitorAccount", L"Bnt_PersonAccount"),
    DeclareBelongsTo(L"Bnt_VisitorAccount", L"Person", L"Bnt_Visitor", L"ID"),
    DeclareBelongsTo(L"Bnt_VisitorAccount", L"Account", L"Bnt_Account", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_VisitorAccount", L"noedit", 1),
    DeclareReferenceProperty(L"Bnt_VisitorAccount", L"Person", L"Bnt_Visitor"),
    DeclareReferenceProperty(L"Bnt_VisitorAccount", L"Account", L"Bnt_Account"),

    DeclareClass(L"Bnt_DirectoryAccount"),
    DeclareBelongsTo(L"Bnt_DirectoryAccount", L"Account", L"Bnt_Account", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_DirectoryAccount", L"noedit", 1),
    DeclareReferenceProperty(L"Bnt_DirectoryAccount", L"Directory", L"Bnt_Directory"),
    DeclareReferenceProperty(L"Bnt_DirectoryAccount", L"Account", L"Bnt_Account"),
};

}  // namespace

constinit const SchemaDeclarationTable kAccountTable{kAccountDeclarations};
