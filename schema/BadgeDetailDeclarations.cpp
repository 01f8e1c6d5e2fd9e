// Declarations of the records that hang on a badge: credential data, last location and card
// properties, one registration table per mapper source, each in declaration order.
//
// Constant-initialised, read-only tables (see SchemaDeclaration.h).
#include "schema/DeclarationTables.h"

namespace {

constinit const SchemaDeclaration kBadgeFIPS201Declarations[] = {
    DeclareClass(L"Bnt_BadgeFIPS201"),
    DeclareBelongsTo(L"Bnt_BadgeFIPS201", L"BADGEKEY", L"Bnt_Badge", L"BADGEKEY"),
    DeclareProperty(L"Bnt_BadgeFIPS201", L"BADGEKEY", CIM_SINT32, L"BADGE_FIPS201", L"BADGEKEY", 1, 0, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_BadgeFIPS201", L"BADGEKEY", L"read", 1),
    DeclareProperty(L"Bnt_BadgeFIPS201", L"FASCN", CIM_STRING, L"BADGE_FIPS201", L"FASCN", 0, 50, kNoIdType, 0),
    DeclareProperty(L"Bnt_BadgeFIPS201", L"TWICPrivacyKey", CIM_UINT8 | CIM_FLAG_ARRAY, L"BADGE_FIPS201",
                    L"TWIC_PRIVACY_KEY", 0, 32, kNoIdType, 0),
    DeclareProperty(L"Bnt_BadgeFIPS201", L"TPKAlgorithmId", CIM_SINT32, L"BADGE_FIPS201", L"TPK_ALGORITHM_ID", 0, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_BadgeFIPS201", L"GUID", CIM_STRING, L"BADGE_FIPS201", L"GUID", 0, 32, kNoIdType, 0),
    DeclareProperty(L"Bnt_BadgeFIPS201", L"CredentialType", CIM_SINT32, L"BADGE_FIPS201", L"CREDENTIAL_TYPE", 0, 0,
                    kNoIdType, 0),
    DeclarePropertyValues(L"Bnt_BadgeFIPS201", L"CredentialType", L"POSSIBLE_VALUES", L"0,1,2,3,4,5",
                          L"Unknown,PIV,TWIC,CAC EP,CAC,PIV-I/CIV"),
    DeclareNamedRecord(L"Bnt_BadgeFIPS201", L"BADGEKEY", L"Bnt_Badge", L"BADGEKEY", NamedRecordRoad::kMapper),
    DeclareNoRecord(L"Bnt_BadgeFIPS201", L"TWICPrivacyKey", L"a key value of the card itself, no id of a record"),
    DeclareNoRecord(L"Bnt_BadgeFIPS201", L"TPKAlgorithmId", L"the number of the card's key algorithm, no record"),
};

constinit const SchemaDeclaration kBadgeLastLocationDeclarations[] = {
    DeclareClass(L"Bnt_BadgeLastLocation"),
    DeclareBelongsTo(L"Bnt_BadgeLastLocation", L"PersonID", L"Bnt_Person", L"ID"),
    DeclareBelongsTo(L"Bnt_BadgeLastLocation", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareClassWidePropertyAttribute(L"Bnt_BadgeLastLocation", L"noedit", 1),
    DeclareProperty(L"Bnt_BadgeLastLocation", L"PanelID", CIM_SINT32, L"LASTLOCATION", L"PANELID", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_BadgeLastLocation", L"ReaderID", CIM_SINT32, L"LASTLOCATION", L"READERID", 0, 0, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_BadgeLastLocation", L"BadgeID", CIM_SINT64, L"LASTLOCATION", L"CARDNUM", 1, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_BadgeLastLocation", L"EventTime", CIM_DATETIME, L"LASTLOCATION", L"EVENT_TIME_UTC", 0, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_BadgeLastLocation", L"EventType", CIM_SINT32, L"LASTLOCATION", L"EVENTTYPE", 0, 0, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_BadgeLastLocation", L"PersonID", CIM_SINT32, L"LASTLOCATION", L"EMPID", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_BadgeLastLocation", L"EventID", CIM_SINT32, L"LASTLOCATION", L"EVENTID", 0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_BadgeLastLocation", L"AccessFlag", CIM_SINT32, L"LASTLOCATION", L"ACCESS_FLAG", 1, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_BadgeLastLocation", L"IsFromReplication", CIM_SINT32, L"LASTLOCATION", L"IS_FROMREPLICATION",
                    0, 0, kNoIdType, 0),
    DeclareProperty(L"Bnt_BadgeLastLocation", L"DatabaseID", CIM_SINT32, L"LASTLOCATION", L"BNT_DBID_SRC", 1, 0,
                    kNoIdType, 0),
    DeclareNamedRecord(L"Bnt_BadgeLastLocation", L"PanelID", L"Bnt_Panel", L"ID"),
    DeclareNamedRecord(L"Bnt_BadgeLastLocation", L"PanelID,ReaderID", L"Bnt_Reader", L"PanelID,ReaderID"),
    DeclareNamedRecord(L"Bnt_BadgeLastLocation", L"BadgeID", L"Bnt_Badge", L"ID"),
    DeclareNamedRecord(L"Bnt_BadgeLastLocation", L"PersonID", L"Bnt_Person", L"ID"),
    DeclareNoRecord(L"Bnt_BadgeLastLocation", L"EventID",
                    L"the logged event's number as the communication server gave it; the location is never written"),
    DeclareNoRecord(L"Bnt_BadgeLastLocation", L"DatabaseID",
                    L"the number of the installation database the location came from"),
};

constinit const SchemaDeclaration kBadgePropertiesDeclarations[] = {
    DeclareClass(L"Bnt_BadgeProperties"),
    DeclareBelongsTo(L"Bnt_BadgeProperties", L"BADGEKEY", L"Bnt_Badge", L"BADGEKEY"),
    DeclareProperty(L"Bnt_BadgeProperties", L"BADGEKEY", CIM_SINT32, L"BADGEPROPS", L"BADGEKEY", 1, 0, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_BadgeProperties", L"BADGEKEY", L"read", 1),
    DeclareProperty(L"Bnt_BadgeProperties", L"CardInterface", CIM_SINT32, L"BADGEPROPS", L"CARD_INTERFACE", 1, 0,
                    kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_BadgeProperties", L"CardInterface", L"read", 1),
    DeclareProperty(L"Bnt_BadgeProperties", L"CardTechnology", CIM_SINT32, L"BADGEPROPS", L"CARD_TECHNOLOGY", 1, 0,
                    kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_BadgeProperties", L"CardTechnology", L"read", 1),
    DeclareProperty(L"Bnt_BadgeProperties", L"SerialNumber", CIM_STRING, L"BADGEPROPS", L"SERIAL_NUMBER", 0, 64,
                    kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_BadgeProperties", L"SerialNumber", L"not_null", 1),
    DeclareProperty(L"Bnt_BadgeProperties", L"DeviceType", CIM_STRING, L"BADGEPROPS", L"DEVICE_TYPE", 0, 64, kNoIdType,
                    0),
    DeclareProperty(L"Bnt_BadgeProperties", L"ATR", CIM_STRING, L"BADGEPROPS", L"ATR", 0, 64, kNoIdType, 0),
    DeclareProperty(L"Bnt_BadgeProperties", L"IssuingCmsID", CIM_SINT32, L"BADGEPROPS", L"ISSUING_CMS_ID", 0, 0,
                    kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_BadgeProperties", L"IssuingCmsID", L"not_null", 1),
    DeclareProperty(L"Bnt_BadgeProperties", L"IsRegisteredWithActivIdentity", CIM_BOOLEAN, L"BADGEPROPS",
                    L"ISREG_WITH_ACTIVIDENTITY", 0, 0, kNoIdType, 0),
    DeclarePropertyAttribute(L"Bnt_BadgeProperties", L"IsRegisteredWithActivIdentity", L"noedit", 1),
    DeclareNamedRecord(L"Bnt_BadgeProperties", L"BADGEKEY", L"Bnt_Badge", L"BADGEKEY", NamedRecordRoad::kMapper),
    DeclareNoRecord(L"Bnt_BadgeProperties", L"IssuingCmsID",
                    L"the number of the card management system that issued the card, outside this installation"),
};

constinit const SchemaDeclaration kBadgeTWICPrivacyKeyDeclarations[] = {
    DeclareClass(L"Bnt_BadgeTWICPrivacyKey"),
    DeclareBelongsTo(L"Bnt_BadgeTWICPrivacyKey", L"BADGEKEY", L"Bnt_Badge", L"BADGEKEY"),
    DeclareProperty(L"Bnt_BadgeTWICPrivacyKey", L"BADGEKEY", CIM_SINT32, L"BADGE_FIPS201", L"BADGEKEY", 1, 0, kNoIdType,
                    0),
    DeclarePropertyAttribute(L"Bnt_BadgeTWICPrivacyKey", L"BADGEKEY", L"read", 1),
    DeclareProperty(L"Bnt_BadgeTWICPrivacyKey", L"FASCN", CIM_UINT8 | CIM_FLAG_ARRAY, L"BADGE_FIPS201", L"FASCN", 0, 0,
                    kNoIdType, 0),
    DeclareProperty(L"Bnt_BadgeTWICPrivacyKey", L"TWICPrivacyKey", CIM_UINT8 | CIM_FLAG_ARRAY, L"BADGE_FIPS201",
                    L"TWIC_PRIVACY_KEY", 0, 0, kNoIdType, 0),
    DeclareNamedRecord(L"Bnt_BadgeTWICPrivacyKey", L"BADGEKEY", L"Bnt_Badge", L"BADGEKEY", NamedRecordRoad::kMapper),
    DeclareNoRecord(L"Bnt_BadgeTWICPrivacyKey", L"TWICPrivacyKey",
                    L"a key value of the card itself, no id of a record"),
    DeclareHiddenFromBus(L"Bnt_BadgeTWICPrivacyKey", L"the card's privacy key is kept off the message bus"),
};

}  // namespace

constinit const SchemaDeclarationTable kBadgeFIPS201Table{kBadgeFIPS201Declarations};
constinit const SchemaDeclarationTable kBadgeLastLocationTable{kBadgeLastLocationDeclarations};
constinit const SchemaDeclarationTable kBadgePropertiesTable{kBadgePropertiesDeclarations};
constinit const SchemaDeclarationTable kBadgeTWICPrivacyKeyTable{kBadgeTWICPrivacyKeyDeclarations};
