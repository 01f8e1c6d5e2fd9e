-- Provixa installation database (SQLite).
--
-- Conventions:
--   integers INTEGER, texts TEXT, date-times TEXT 'YYYY-MM-DD HH:MM:SS', booleans INTEGER 0/1,
--   byte data BLOB. NOT NULL marks only columns a value is always required for.
--   Foreign keys are declared on link tables only, with ON DELETE CASCADE; every connection
--   enforces them, so a record's links go with it; ordinary records keep their join
--   columns undeclared because 0 and -1 stand for "none" and "all segments" there.
--
-- Tables of our own (not named by the object model), listed here for their readers:
--   USER_PERM_GRANT       permission ids granted by a permission group (USER_PERMID, PERMISSIONID);
--                         it replaces the group's packed permission bytes.
--   CONFIG_VALUE          numeric/text configuration parameters read by number; rows 1001-1005
--                         hold the system options (segments in use, server type, cardholder,
--                         visitor and badge-type segmentation)
--                         (CONFIGID = the configuration type: 33 user-cache entry lifetime,
--                         34 panel-segment cache span, 37 linkage-server re-registration
--                         interval, 39 class-cache span; all seconds).
--   NEXTID                the ID generator: one counter per ID type (TYPE), NEXTVAL the next value
--                         handed out; drawn and incremented in one statement.
--   USER_TRANSACTION_LOG  the audit log written for every operator action
--                         (operation, object kind, text).
--   REPL_TRANSACTION_LOG  the replication log of cardholder/badge changes (new and old badge
--                         block), written only when the database server type is not 0.
--   The columns of the user-defined-field layout (DDTBL, DDFLD, UDFOBJS) and of BDGREQFLDLINK
--   beyond TBLID, DBOBJTYPE, TBLNAME and LFIELD are ours too.
--
-- Passwords (USERS.LOGONPWD) hold "pbkdf2-sha256$ITER$SALT_HEX$HASH_HEX".

------------------------------------------------------------------------------------------------
-- System users, permission groups, segments, accounts, configuration, ID generator, logs
------------------------------------------------------------------------------------------------

-- SEGMENTID -1 stands for all segments and is served as a group.
CREATE TABLE SEGMENT (
    SEGMENTID INTEGER PRIMARY KEY,
    NAME      TEXT,
    TYPE      INTEGER NOT NULL DEFAULT 0   -- 0 segment unit, 1 segment group
);

CREATE TABLE USER_PERM (
    USER_PERMID          INTEGER PRIMARY KEY,
    NAME                 TEXT,
    SEGMENTID            INTEGER NOT NULL DEFAULT -1,
    TYPE                 INTEGER,              -- 1 system, 2 cardholder, 3 monitoring
    DEVICES_ARE_EXCLUDED INTEGER
);

CREATE TABLE USER_PERM_GRANT (
    USER_PERMID  INTEGER NOT NULL REFERENCES USER_PERM(USER_PERMID) ON DELETE CASCADE,
    PERMISSIONID INTEGER NOT NULL,
    PRIMARY KEY (USER_PERMID, PERMISSIONID)
);

CREATE TABLE USER_PERM_REPORT (
    USER_PERM_REPORTID INTEGER PRIMARY KEY,
    NAME               TEXT NOT NULL,
    SEGMENTID          INTEGER NOT NULL DEFAULT -1,
    BNT_DBID           INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE USER_PERM_UDF (
    USER_PERM_UDFID INTEGER PRIMARY KEY,
    NAME            TEXT,
    SEGMENTID       INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE USER_PERM_DEVICE_GROUP_LINK (
    USER_PERMID   INTEGER NOT NULL REFERENCES USER_PERM(USER_PERMID) ON DELETE CASCADE,
    DEVICEGROUPID INTEGER NOT NULL,
    PRIMARY KEY (USER_PERMID, DEVICEGROUPID)
);

-- USERID -1 is the system administrator, who passes every permission-group comparison.
CREATE TABLE USERS (
    USERID               INTEGER PRIMARY KEY,
    LOGONID              TEXT,
    FIRSTNAME            TEXT NOT NULL,
    LASTNAME             TEXT NOT NULL,
    SEGMENTID            INTEGER NOT NULL DEFAULT -1,
    MZID                 INTEGER,
    LOGONPWD             TEXT,
    ISENABLED            INTEGER NOT NULL,
    SYSTEM_USER_PERMID   INTEGER NOT NULL DEFAULT 0,
    MONITOR_USER_PERMID  INTEGER NOT NULL DEFAULT 0,
    CARD_USER_PERMID     INTEGER NOT NULL DEFAULT 0,
    REPORT_USER_PERMID   INTEGER NOT NULL DEFAULT 0,
    USER_PERM_UDFID      INTEGER NOT NULL DEFAULT 0,
    CREATED              TEXT,
    LASTCHANGED          TEXT,
    NOTES                TEXT,
    IS_AUTO_CREATED_USER INTEGER,
    BNT_DBID             INTEGER NOT NULL
);
CREATE UNIQUE INDEX USERS_LOGONID ON USERS (LOGONID COLLATE NOCASE);

CREATE TABLE USER_SEGMENT_LINK (
    USERID    INTEGER NOT NULL REFERENCES USERS(USERID) ON DELETE CASCADE,
    SEGMENTID INTEGER NOT NULL REFERENCES SEGMENT(SEGMENTID) ON DELETE CASCADE,
    PRIMARY KEY (USERID, SEGMENTID)
);

CREATE TABLE BNT_DIRECTORY (
    BNT_DIRECTORYID            INTEGER PRIMARY KEY,
    DIR_NAME                   TEXT NOT NULL,
    DIR_TYPE                   INTEGER NOT NULL,   -- 0 LDAP, 1 Active Directory, 2 NT 4 domain, 3 local accounts
    DIR_HOSTNAME               TEXT NOT NULL,
    DIR_PORT                   INTEGER NOT NULL,
    DIR_USESSL                 INTEGER NOT NULL,
    DIR_ACCOUNTCLASS           TEXT,
    DIR_ACCOUNTCATEGORY        TEXT,
    DIR_ACCOUNTIDATTR          TEXT,
    DIR_ACCOUNTUSERNAMEATTR    TEXT,
    DIR_ACCOUNTDISPLAYNAMEATTR TEXT,
    DIR_STARTNODE              TEXT,
    DIR_ISTEMPLATE             INTEGER NOT NULL DEFAULT 0
);

-- A system user's account in a directory (the Windows account a caller is identified by).
CREATE TABLE USER_ACCOUNT (
    USER_ACCOUNTID  INTEGER PRIMARY KEY,
    USERID          INTEGER NOT NULL REFERENCES USERS(USERID) ON DELETE CASCADE,
    BNT_DIRECTORYID INTEGER NOT NULL REFERENCES BNT_DIRECTORY(BNT_DIRECTORYID) ON DELETE CASCADE,
    ACCOUNTID       TEXT NOT NULL
);
CREATE UNIQUE INDEX USER_ACCOUNT_ACCOUNT ON USER_ACCOUNT (BNT_DIRECTORYID, ACCOUNTID COLLATE NOCASE);
-- A caller is looked up by its account alone, whatever its directory.
CREATE INDEX USER_ACCOUNT_ACCOUNTID ON USER_ACCOUNT (ACCOUNTID COLLATE NOCASE);

CREATE TABLE CONFIG_VALUE (
    CONFIGID    INTEGER PRIMARY KEY,
    NUMBERVALUE INTEGER,
    TEXTVALUE   TEXT
);

CREATE TABLE NEXTID (
    TYPE    INTEGER PRIMARY KEY,
    NEXTVAL INTEGER NOT NULL
);

CREATE TABLE USER_TRANSACTION_LOG (
    USER_TRANSACTION_LOGID INTEGER PRIMARY KEY AUTOINCREMENT,
    TRANS_TIME             TEXT NOT NULL,
    USERID                 INTEGER NOT NULL,
    OPERATION              INTEGER NOT NULL,   -- 4 add, 6 modify, 7 delete, others per action
    OBJECT_TYPE            INTEGER NOT NULL,
    DESCRIPTION            TEXT NOT NULL,
    BNT_DBID               INTEGER
);

CREATE TABLE REPL_TRANSACTION_LOG (
    REPL_TRANSACTION_LOGID INTEGER PRIMARY KEY AUTOINCREMENT,
    TRANS_TIME             TEXT NOT NULL,
    USERID                 INTEGER NOT NULL,
    ACTION                 INTEGER NOT NULL,   -- 1 added, 2 deleted, 3 modified
    OBJECT_TYPE            INTEGER NOT NULL,
    OPERATION              INTEGER NOT NULL DEFAULT 0,
    RECORDID               INTEGER,
    EMPID                  INTEGER,
    BADGEKEY               INTEGER,
    BADGEID                INTEGER,
    ISSUECODE              INTEGER,
    OLD_BADGEKEY           INTEGER,
    OLD_BADGEID            INTEGER,
    OLD_ISSUECODE          INTEGER
);

------------------------------------------------------------------------------------------------
-- Schema of the input and output classes
------------------------------------------------------------------------------------------------

CREATE TABLE ALARMINPUT (
    NAME         TEXT,
    ALARMINPUTID INTEGER,
    PANELID      INTEGER,
    ALARMPID     INTEGER,
    INPUTID      INTEGER,
    PRIMARY KEY (ALARMINPUTID)
);

CREATE TABLE RELAYOUTPT (
    NAME         TEXT,
    RELAYOUTPTID INTEGER,
    PANELID      INTEGER,
    ALARMPID     INTEGER,
    OUTPUTID     INTEGER,
    PULSEDURAT   INTEGER,
    PRIMARY KEY (RELAYOUTPTID)
);


------------------------------------------------------------------------------------------------
-- Schema of the intrusion classes
------------------------------------------------------------------------------------------------

CREATE TABLE ACCOUNT_AREA (
    ACCOUNT_AREAID INTEGER,
    PANELID        INTEGER,
    AREANUM        INTEGER,
    AREATYPE       INTEGER,
    NAME           TEXT,
    PRIMARY KEY (ACCOUNT_AREAID)
);

CREATE TABLE INTRUSION_DEVICE (
    INTRUSION_DEVICEID INTEGER,
    DEVICEID           INTEGER,
    PANELID            INTEGER,
    NAME               TEXT,
    DEVTYPE            INTEGER,
    ZONE_OUTPUT        INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (INTRUSION_DEVICEID, DEVICEID, PANELID)
);


------------------------------------------------------------------------------------------------
-- Schema of the video classes
------------------------------------------------------------------------------------------------

CREATE TABLE CCTVDEVICE (
    NAME             TEXT,
    CCTVDEVICEID     INTEGER,
    PANELID          INTEGER,
    CAMERATYPEID     INTEGER,
    CHANNEL          INTEGER,
    VIDEO_STANDARD   TEXT,
    IP_ADDRESS       INTEGER,
    PORT             INTEGER,
    RESOLUTIONX      INTEGER,
    RESOLUTIONY      INTEGER,
    MOTIONBITRATE    INTEGER,
    NONMOTIONBITRATE INTEGER,
    FRAMERATE        INTEGER,
    TYPENAME         TEXT,
    PRIMARY KEY (CCTVDEVICEID, PANELID)
);

CREATE TABLE PTZ_PRESET (
    PTZ_PRESETID  INTEGER,
    PANELID       INTEGER,
    CHANNEL       INTEGER,
    NAME          TEXT,
    PRESET_TYPE   INTEGER,
    PAN           REAL,
    TILT          REAL,
    ZOOM          REAL,
    CAMERA_PRESET INTEGER,
    DURATION      INTEGER,
    FOCUS         REAL,
    IRIS          REAL,
    PRIMARY KEY (PTZ_PRESETID)
);

CREATE TABLE VIDEO_LAYOUT (
    VIDEO_LAYOUTID   INTEGER,
    NAME             TEXT,
    VIDEO_TEMPLATEID INTEGER,
    USERID           INTEGER,
    WRKSTATIONID     INTEGER,
    PRIMARY KEY (VIDEO_LAYOUTID, VIDEO_TEMPLATEID, USERID, WRKSTATIONID)
);

CREATE TABLE VIDEO_SOURCE (
    VIDEO_SOURCEID INTEGER,
    PANELID        INTEGER,
    CCTVDEVICEID   INTEGER,
    VIDEO_LAYOUTID INTEGER,
    LAYOUT_CELLID  INTEGER,
    PRIMARY KEY (VIDEO_SOURCEID, PANELID, CCTVDEVICEID, VIDEO_LAYOUTID, LAYOUT_CELLID)
);

CREATE TABLE VIDEO_TEMPLATE (
    VIDEO_TEMPLATEID INTEGER,
    NAME             TEXT,
    TEMPLATE_XML     TEXT,
    PRIMARY KEY (VIDEO_TEMPLATEID)
);


------------------------------------------------------------------------------------------------
-- Schema of the elevator terminal and workstation classes
------------------------------------------------------------------------------------------------

CREATE TABLE ELEVATOR_KEYPAD_TERMINAL (
    TERMINALID INTEGER,
    PANELID    INTEGER,
    IPADDRESS  INTEGER,
    NAME       TEXT,
    PRIMARY KEY (TERMINALID, PANELID, IPADDRESS)
);

CREATE TABLE WRKSTATION (
    ID       INTEGER,
    NAME     TEXT,
    BNT_DBID INTEGER,
    PRIMARY KEY (ID, BNT_DBID)
);


------------------------------------------------------------------------------------------------
-- Schema of access groups and access levels
------------------------------------------------------------------------------------------------

CREATE TABLE ACCESSGRP (
    ACCESSGPID INTEGER,
    DESCRIPT   TEXT,
    SEGMENTID  INTEGER,
    PRIMARY KEY (ACCESSGPID)
);

CREATE TABLE BADGELINK (
    ACCLVLID   INTEGER REFERENCES ACCESSLVL(ACCESSLVID) ON DELETE CASCADE,
    BADGEKEY   INTEGER REFERENCES BADGE(BADGEKEY) ON DELETE CASCADE,
    ACTIVATE   TEXT,
    DEACTIVATE TEXT,
    PRIMARY KEY (ACCLVLID, BADGEKEY)
);

CREATE TABLE ACCESSLVL (
    ACCESSLVID            INTEGER,
    DESCRIPT              TEXT NOT NULL,
    SEGMENTID             INTEGER NOT NULL DEFAULT 0,
    AVAILABLE_FOR_REQUEST INTEGER NOT NULL DEFAULT 0,
    COMMAND               INTEGER,
    DOWNLOAD              INTEGER,
    FIRST_CARD_UNLOCK     INTEGER,
    PRIMARY KEY (ACCESSLVID)
);

CREATE TABLE ACCLVLINK (
    ACCESSLVID INTEGER,
    PANELID    INTEGER,
    READERID   INTEGER,
    TZID       INTEGER,
    PRIMARY KEY (ACCESSLVID, PANELID, READERID)
);

-- ACCGPLINK: the access levels of an access group.
CREATE TABLE ACCGPLINK (
    ACCESSGPID INTEGER REFERENCES ACCESSGRP(ACCESSGPID) ON DELETE CASCADE,
    ACCESSLVID INTEGER REFERENCES ACCESSLVL(ACCESSLVID) ON DELETE CASCADE,
    PRIMARY KEY (ACCESSGPID, ACCESSLVID)
);

-- USERS_ACCESSLEVEL_LINK: the access levels a system user manages (view-only when HAS_AAM_VIEWONLY_ACCESS is 1).
CREATE TABLE USERS_ACCESSLEVEL_LINK (
    USERID                  INTEGER REFERENCES USERS(USERID) ON DELETE CASCADE,
    ACCESSLVID              INTEGER REFERENCES ACCESSLVL(ACCESSLVID) ON DELETE CASCADE,
    HAS_AAM_VIEWONLY_ACCESS INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (USERID, ACCESSLVID)
);


------------------------------------------------------------------------------------------------
-- Schema of access requests
------------------------------------------------------------------------------------------------

CREATE TABLE ACCESS_REQUEST (
    ID               INTEGER,
    TYPE             INTEGER,
    EMPID            INTEGER NOT NULL,
    ACCESSLVID       INTEGER,
    END_DATE         TEXT,
    START_DATE       TEXT,
    SUBMITTED_DATE   TEXT,
    SUBMITTED_USERID INTEGER,
    DENIED_DATE      TEXT,
    ONHOLD_DATE      TEXT,
    APPROVED_DATE    TEXT,
    APPROVED_USERID  INTEGER,
    DENIED_USERID    INTEGER,
    ONHOLD_USERID    INTEGER,
    SUBMITTED_NOTE   TEXT,
    APPROVED_NOTE    TEXT,
    DENIED_NOTE      TEXT,
    ONHOLD_NOTE      TEXT,
    SERIALNUM        INTEGER,
    READERID         INTEGER NOT NULL DEFAULT 0,   -- 0 for a request that names no reader
    PANELID          INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (ID)
);


------------------------------------------------------------------------------------------------
-- Schema of accounts and directories
------------------------------------------------------------------------------------------------

CREATE TABLE CARDHOLDER_ACCOUNT (
    CARDHOLDER_ACCOUNTID INTEGER,
    EMPID                INTEGER NOT NULL REFERENCES EMP(ID) ON DELETE CASCADE,
    BNT_DIRECTORYID      INTEGER NOT NULL REFERENCES BNT_DIRECTORY(BNT_DIRECTORYID) ON DELETE CASCADE,
    ACCOUNTID            TEXT NOT NULL,
    PRIMARY KEY (CARDHOLDER_ACCOUNTID)
);
CREATE INDEX CARDHOLDER_ACCOUNT_ACCOUNTID ON CARDHOLDER_ACCOUNT (ACCOUNTID COLLATE NOCASE);


------------------------------------------------------------------------------------------------
-- Schema of alarm panels, alarm definitions, areas and camera groups
------------------------------------------------------------------------------------------------

CREATE TABLE ALARM (
    ALID       INTEGER,
    ALPRIORITY INTEGER,
    ALDESCR    TEXT,
    SEGMENTID  INTEGER,
    TXTID      INTEGER,
    PRIMARY KEY (ALID)
);

CREATE TABLE TEXTOBJ (
    NAME    TEXT,
    TXTDATA TEXT,
    TXTID   INTEGER,
    PRIMARY KEY (TXTID)
);

CREATE TABLE ALARMPANEL (
    NAME     TEXT,
    ALARMPID INTEGER,
    PANELID  INTEGER,
    CTRLTYPE INTEGER,
    PRIMARY KEY (ALARMPID, PANELID)
);

CREATE TABLE AREAAPB (
    AREAAPBID    INTEGER,
    NAME         TEXT,
    AREAAPB_TYPE INTEGER,
    PRIMARY KEY (AREAAPBID)
);

CREATE TABLE PIV_AUTHENTICATION_MODE (
    PIV_AUTHENTICATION_MODEID INTEGER,
    NAME                      TEXT,
    BNT_DBID                  INTEGER,
    PRIMARY KEY (PIV_AUTHENTICATION_MODEID)
);

CREATE TABLE DEVICE_GROUP_LINK (
    DEVICEGROUPID INTEGER REFERENCES DEVICE_GROUP(DEVICEGROUPID) ON DELETE CASCADE,
    PANELID       INTEGER,
    DEVICEID      INTEGER,
    PRIMARY KEY (DEVICEGROUPID, PANELID, DEVICEID)
);

CREATE TABLE DEVICE_GROUP (
    DEVICEGROUPID INTEGER,
    NAME          TEXT,
    SEGMENTID     INTEGER NOT NULL DEFAULT -1,
    TYPE          INTEGER,
    PRIMARY KEY (DEVICEGROUPID)
);


------------------------------------------------------------------------------------------------
-- Schema of badges, badge owners, badge types and badge statuses
------------------------------------------------------------------------------------------------

CREATE TABLE BADGE (
    BADGEKEY           INTEGER,
    ID                 INTEGER,
    ISSUECODE          INTEGER NOT NULL DEFAULT 0,
    TYPE               INTEGER,
    STATUS             INTEGER NOT NULL DEFAULT 1,
    EMPID              INTEGER,
    ACTIVATE           TEXT,
    DEACTIVATE         TEXT,
    USELIMIT           INTEGER,
    PIN                BLOB,
    PRINTS             INTEGER NOT NULL DEFAULT 0,
    APBEXEMPT          INTEGER NOT NULL DEFAULT 0,
    EXTEND_STRIKE_HELD INTEGER NOT NULL DEFAULT 0,
    DEADBOLT_OVERRIDE  INTEGER NOT NULL DEFAULT 0,
    PASSAGE_MODE       INTEGER NOT NULL DEFAULT 0,
    DEFAULT_DOOR       INTEGER NOT NULL DEFAULT 1,
    LASTCHANGED        TEXT,
    SEGMENTID          INTEGER NOT NULL DEFAULT -1,
    PRIMARY KEY (BADGEKEY)
);

CREATE TABLE BADGSTAT (
    ID   INTEGER,
    NAME TEXT NOT NULL,
    PRIMARY KEY (ID)
);

-- BADGETYP.DEFAULT_PRINT_SERVICE: the print service a badge of the type is printed on when the
-- caller names none (empty or NULL: none).
CREATE TABLE BADGETYP (
    ID                    INTEGER,
    NAME                  TEXT,
    BADGE_CLASS           INTEGER,
    DISPOSABLE            INTEGER,
    DEFGROUP              INTEGER,
    SEGMENTID             INTEGER,
    DEFAULT_PRINT_SERVICE TEXT,
    PRIMARY KEY (ID)
);

-- BDGREQFLDLINK: person fields a badge type requires to hold a value.
CREATE TABLE BDGREQFLDLINK (
    BADGETYPEID INTEGER REFERENCES BADGETYP(ID) ON DELETE CASCADE,
    DDFLDID     INTEGER REFERENCES DDFLD(DDFLDID) ON DELETE CASCADE,
    PRIMARY KEY (BADGETYPEID, DDFLDID)
);


------------------------------------------------------------------------------------------------
-- Schema of badge detail records
------------------------------------------------------------------------------------------------

CREATE TABLE BADGE_FIPS201 (
    BADGEKEY         INTEGER REFERENCES BADGE(BADGEKEY) ON DELETE CASCADE,
    FASCN            BLOB,
    TWIC_PRIVACY_KEY BLOB,
    TPK_ALGORITHM_ID INTEGER,
    GUID             TEXT,
    CREDENTIAL_TYPE  INTEGER,
    PRIMARY KEY (BADGEKEY)
);

CREATE TABLE LASTLOCATION (
    PANELID            INTEGER,
    READERID           INTEGER,
    CARDNUM            INTEGER,
    EVENT_TIME_UTC     TEXT,
    EVENTTYPE          INTEGER,
    EMPID              INTEGER,
    EVENTID            INTEGER,
    ACCESS_FLAG        INTEGER,
    IS_FROMREPLICATION INTEGER,
    BNT_DBID_SRC       INTEGER,
    PRIMARY KEY (CARDNUM, ACCESS_FLAG, BNT_DBID_SRC)
);

CREATE TABLE BADGEPROPS (
    BADGEKEY                 INTEGER REFERENCES BADGE(BADGEKEY) ON DELETE CASCADE,
    CARD_INTERFACE           INTEGER,
    CARD_TECHNOLOGY          INTEGER,
    SERIAL_NUMBER            TEXT NOT NULL,
    DEVICE_TYPE              TEXT,
    ATR                      TEXT,
    ISSUING_CMS_ID           INTEGER NOT NULL,
    ISREG_WITH_ACTIVIDENTITY INTEGER,
    PRIMARY KEY (BADGEKEY, CARD_INTERFACE, CARD_TECHNOLOGY)
);


------------------------------------------------------------------------------------------------
-- Schema of cardholders and multimedia owners
------------------------------------------------------------------------------------------------

CREATE TABLE EMP (
    ID              INTEGER,
    LASTNAME        TEXT,
    FIRSTNAME       TEXT,
    MIDNAME         TEXT,
    SSNO            TEXT,
    ALLOWEDVISITORS INTEGER,
    LASTCHANGED     TEXT,
    SEGMENTID       INTEGER NOT NULL DEFAULT -1,
    VISITOR         INTEGER NOT NULL DEFAULT 0,
    ASSET_GROUPID   INTEGER,
    GUARD           INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (ID)
);

-- UDFEMP: cardholders' user-defined fields; columns are added per installation.
CREATE TABLE UDFEMP (
    ID INTEGER REFERENCES EMP(ID) ON DELETE CASCADE,
    PRIMARY KEY (ID)
);


------------------------------------------------------------------------------------------------
-- Schema of the event configuration classes
------------------------------------------------------------------------------------------------

CREATE TABLE EVTALMLINK (
    PANELID       INTEGER,
    DEVICEID      INTEGER,
    INPUTDEVID    INTEGER,
    EVTYPEID      INTEGER,
    EVID          INTEGER,
    ALID          INTEGER,
    EVENT_PARAMID INTEGER,
    PRIMARY KEY (PANELID, DEVICEID, INPUTDEVID, EVTYPEID, EVID, EVENT_PARAMID)
);

CREATE TABLE EVENT_PARAM (
    EVENT_PARAMID INTEGER,
    PARAMVALUE    INTEGER,
    DESCRIPTION   TEXT,
    PRIMARY KEY (EVENT_PARAMID)
);

CREATE TABLE EVENT (
    EVENTID        INTEGER,
    EVTYPEID       INTEGER,
    EVID           INTEGER,
    EVDESCR        TEXT,
    SUPPORT_PARAMS INTEGER,
    CATEGORY       INTEGER,
    PRIMARY KEY (EVENTID)
);

CREATE TABLE EVENT_TO_EVENT_PARAM_LINK (
    EVENTID       INTEGER REFERENCES EVENT(EVENTID) ON DELETE CASCADE,
    EVENT_PARAMID INTEGER REFERENCES EVENT_PARAM(EVENT_PARAMID) ON DELETE CASCADE,
    PRIMARY KEY (EVENTID, EVENT_PARAMID)
);

CREATE TABLE EVENTYPE (
    EVTYPEID INTEGER,
    EVTDESCR TEXT,
    PRIMARY KEY (EVTYPEID)
);


------------------------------------------------------------------------------------------------
-- Holiday and time-zone classes
------------------------------------------------------------------------------------------------

CREATE TABLE HOLIDAYS (
    HOLIDAYID INTEGER,
    SEGMENTID INTEGER,
    DESCRIPT  TEXT,
    HDATE     TEXT,
    EXTEND    INTEGER,
    PRIMARY KEY (HOLIDAYID)
);

CREATE TABLE HOLIDAY_LNK (
    HOLIDAYID INTEGER REFERENCES HOLIDAYS(HOLIDAYID) ON DELETE CASCADE,
    HTYPE_ID  INTEGER REFERENCES HOLIDAY_TYPE(ID) ON DELETE CASCADE,
    PRIMARY KEY (HOLIDAYID, HTYPE_ID)
);

CREATE TABLE HOLIDAY_TYPE (
    ID        INTEGER,
    SEGMENTID INTEGER,
    NAME      TEXT,
    PRIMARY KEY (ID)
);

CREATE TABLE TZINTERVAL (
    INTERVAL  INTEGER,
    TZID      INTEGER,
    STARTTIME TEXT,
    ENDTIME   TEXT,
    MONDAY    INTEGER,
    TUESDAY   INTEGER,
    WEDNESDAY INTEGER,
    THURSDAY  INTEGER,
    FRIDAY    INTEGER,
    SATURDAY  INTEGER,
    SUNDAY    INTEGER,
    TYPE1     INTEGER,
    TYPE2     INTEGER,
    TYPE3     INTEGER,
    TYPE4     INTEGER,
    TYPE5     INTEGER,
    TYPE6     INTEGER,
    TYPE7     INTEGER,
    TYPE8     INTEGER,
    PRIMARY KEY (INTERVAL, TZID)
);

CREATE TABLE TIMEZONE (
    DESCRIPT  TEXT,
    TZID      INTEGER,
    SEGMENTID INTEGER,
    PRIMARY KEY (DESCRIPT, TZID, SEGMENTID)
);

CREATE TABLE WORLDTZ (
    WORLDTZID      INTEGER,
    DisplayName    TEXT,
    GMTOFFSET      INTEGER,
    DST            INTEGER,
    StandardMonth  INTEGER,
    StandardDay    INTEGER,
    StandardWeek   INTEGER,
    DaylightMonth  INTEGER,
    DaylightDay    INTEGER,
    DaylightWeek   INTEGER,
    Bias           INTEGER,
    StandardBias   INTEGER,
    DaylightBias   INTEGER,
    StandardHour   INTEGER,
    DaylightHour   INTEGER,
    StandardMinute INTEGER,
    DaylightMinute INTEGER,
    StandardSecond INTEGER,
    DaylightSecond INTEGER,
    WINDOWS_TZID   TEXT,
    PRIMARY KEY (WORLDTZID)
);


------------------------------------------------------------------------------------------------
-- Logical source, device and incoming-event classes
------------------------------------------------------------------------------------------------

CREATE TABLE VEXLET_DEVICE (
    VEXLET_DEVICEID INTEGER NOT NULL,
    PANELID         INTEGER NOT NULL,
    NAME            TEXT NOT NULL,
    SUB_DEVICEID    INTEGER,
    PRIMARY KEY (VEXLET_DEVICEID, PANELID, SUB_DEVICEID)
);


------------------------------------------------------------------------------------------------
-- Monitoring-zone classes
------------------------------------------------------------------------------------------------

CREATE TABLE MONDEVLINK (
    MZID          INTEGER NOT NULL,
    PANELID       INTEGER NOT NULL,
    DEVICEID      INTEGER NOT NULL,
    INPUTOUTPUTID INTEGER NOT NULL,
    ENTIREDEVICE  INTEGER NOT NULL,
    PRIMARY KEY (MZID, PANELID, DEVICEID, INPUTOUTPUTID)
);

CREATE TABLE MONZONE (
    MZID      INTEGER,
    SEGMENTID INTEGER,
    MZDESCR   TEXT,
    PRIMARY KEY (MZID, SEGMENTID, MZDESCR)
);


------------------------------------------------------------------------------------------------
-- Panel, reader, reader-request and video-recorder classes
------------------------------------------------------------------------------------------------

CREATE TABLE ACCESSPANE (
    TERMINALNA   TEXT,
    PANELID      INTEGER,
    NAME         TEXT NOT NULL,
    SEGMENTID    INTEGER NOT NULL DEFAULT 0,
    ONLINE1      INTEGER NOT NULL,
    PANELTZ      INTEGER NOT NULL,
    DAYLIGHTSAVE INTEGER NOT NULL,
    HOSTNUM      TEXT,
    HOSTNUM2     TEXT,
    PRIMARYIP    INTEGER,
    COMPUTERNAME TEXT,
    PANELTYPE    INTEGER,
    PRIMARY KEY (PANELID)
);

CREATE TABLE PANELTYPE (
    NAME        TEXT,
    PANELTYPEID INTEGER,
    PANELCLASS  INTEGER,
    PRIMARY KEY (PANELTYPEID)
);

CREATE TABLE READER (
    READERID      INTEGER,
    PANELID       INTEGER,
    AUX1NAME      TEXT,
    AUX2NAME      TEXT,
    OUT1NAME      TEXT,
    OUT2NAME      TEXT,
    READERDESC    TEXT,
    FRIENDLY_NAME TEXT,
    CTRLTYPE      INTEGER,
    TIMEATT       INTEGER,
    PRIMARY KEY (READERID, PANELID)
);

CREATE TABLE ACCESSPANE_CONNECTION (
    HTTP_PORT  INTEGER,
    HTTPS_PORT INTEGER,
    PANELID    INTEGER,
    PRIMARY KEY (PANELID)
);


------------------------------------------------------------------------------------------------
-- Segment classes
------------------------------------------------------------------------------------------------

CREATE TABLE EMP_SEGMENT_LINK (
    EMPID     INTEGER REFERENCES EMP(ID) ON DELETE CASCADE,
    SEGMENTID INTEGER REFERENCES SEGMENT(SEGMENTID) ON DELETE CASCADE,
    PRIMARY KEY (EMPID, SEGMENTID)
);

-- SEGMENT_GROUP_MEMBER: the segment units a segment group gathers.
CREATE TABLE SEGMENT_GROUP_MEMBER (
    SEGMENTID        INTEGER REFERENCES SEGMENT(SEGMENTID) ON DELETE CASCADE,
    SEGMENTID_MEMBER INTEGER REFERENCES SEGMENT(SEGMENTID) ON DELETE CASCADE,
    PRIMARY KEY (SEGMENTID, SEGMENTID_MEMBER)
);


------------------------------------------------------------------------------------------------
-- System-user and permission-group classes
------------------------------------------------------------------------------------------------

-- USER_PTZ_PRIORITY: camera-control priority of a monitoring permission group.
CREATE TABLE USER_PTZ_PRIORITY (
    USER_PERMID INTEGER REFERENCES USER_PERM(USER_PERMID) ON DELETE CASCADE,
    PRIORITY    INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (USER_PERMID)
);


------------------------------------------------------------------------------------------------
-- Person, visitor, multimedia-object and logical-system-account classes
------------------------------------------------------------------------------------------------

CREATE TABLE LOGICAL_USER_ACCOUNT (
    EMPID             INTEGER REFERENCES EMP(ID) ON DELETE CASCADE,
    LOGICAL_SYSTEM    INTEGER NOT NULL,
    LOGICAL_SYSTEM_ID INTEGER NOT NULL,
    USERNAME          TEXT NOT NULL,
    PRIMARY KEY (EMPID, LOGICAL_SYSTEM)
);

CREATE TABLE MMOBJS (
    EMPID       INTEGER REFERENCES EMP(ID) ON DELETE CASCADE,
    OBJECT      INTEGER,
    TYPE        INTEGER,
    BNT_BLOB    BLOB,
    LASTCHANGED TEXT,
    PRIMARY KEY (EMPID, OBJECT, TYPE)
);

-- VISITOR_UDF: visitors' user-defined fields; columns are added per installation.
CREATE TABLE VISITOR_UDF (
    ID INTEGER REFERENCES EMP(ID) ON DELETE CASCADE,
    PRIMARY KEY (ID)
);


------------------------------------------------------------------------------------------------
-- Visit classes
------------------------------------------------------------------------------------------------

-- VISIT_EMAIL_LINK: a visit's own recipients, gone with the visit.
CREATE TABLE VISIT_EMAIL_LINK (
    EMAILID         INTEGER,
    VISITID         INTEGER REFERENCES VISIT(VISITID) ON DELETE CASCADE,
    ADDRESS         TEXT,
    HOST            INTEGER,
    VISITOR         INTEGER,
    EMPID           INTEGER,
    BNT_DIRECTORYID INTEGER,
    ACCOUNTID       TEXT,
    SEGMENTID       INTEGER,
    PRIMARY KEY (EMAILID, VISITID)
);

CREATE TABLE VISIT_EVENT (
    VISIT_EVENTID                  INTEGER,
    NAME                           TEXT NOT NULL,
    EMPID                          INTEGER NOT NULL,
    DELEGATE_EMPID                 INTEGER,
    SOURCE_BNT_DBID                INTEGER NOT NULL,
    SCHEDULED_TIMEIN               TEXT,
    SCHEDULED_TIMEOUT              TEXT,
    LASTCHANGED_UTC                TEXT,
    VISIT_EVENT_SIGN_IN_LOCATIONID INTEGER,
    LAST_CHANGED                   TEXT,
    PRIMARY KEY (VISIT_EVENTID)
);

-- VISIT: a visit goes with its event and with its visitor; a host that still has visits
-- cannot be deleted.
CREATE TABLE VISIT (
    VISITID                     INTEGER,
    VISIT_EVENTID               INTEGER REFERENCES VISIT_EVENT(VISIT_EVENTID) ON DELETE CASCADE,
    EMPID                       INTEGER REFERENCES EMP(ID),
    VISITORID                   INTEGER REFERENCES EMP(ID) ON DELETE CASCADE,
    SCHEDULED_TIMEIN            TEXT,
    SCHEDULED_TIMEOUT           TEXT,
    TIMEIN                      TEXT,
    TIMEOUT                     TEXT,
    LASTCHANGED                 TEXT,
    TIMEIN_UTC                  TEXT,
    TIMEOUT_UTC                 TEXT,
    LASTCHANGED_UTC             TEXT,
    EMAIL_INCLUDE_DEF_RECIPENTS INTEGER NOT NULL DEFAULT 0,
    EMAIL_INCLUDE_HOST          INTEGER NOT NULL DEFAULT 0,
    EMAIL_INCLUDE_VISITOR       INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (VISITID)
);

CREATE TABLE VISIT_SELF_SERVICE_STATION (
    ID                             INTEGER,
    NAME                           TEXT,
    UNIQUE_IDENTIFIER              TEXT,
    VISIT_EVENT_SIGN_IN_LOCATIONID INTEGER,
    PRIMARY KEY (ID)
);

CREATE TABLE VISIT_EVENT_SIGN_IN_LOCATION (
    ID        INTEGER,
    NAME      TEXT,
    SEGMENTID INTEGER,
    WORLDTZID INTEGER,
    PRIMARY KEY (ID)
);


------------------------------------------------------------------------------------------------
-- Guard-tour, logged-event, Portavere and precision-access classes
------------------------------------------------------------------------------------------------

CREATE TABLE TOUR (
    TOUR_ID   INTEGER,
    TOUR_NAME TEXT,
    PRIMARY KEY (TOUR_ID)
);

CREATE TABLE EVENTS (
    SERIALNUM        INTEGER,
    EVENT_TIME_UTC   TEXT,
    MACHINE          INTEGER,
    DEVID            INTEGER,
    INPUTDEVID       INTEGER,
    EVENTTYPE        INTEGER,
    EVENTID          INTEGER,
    EVENT_TEXT       TEXT,
    CARDNUM          INTEGER,
    CARD_EXTENDED_ID TEXT,
    ISSUECODE        INTEGER,
    ASSETID          INTEGER,
    EMPID            INTEGER,
    PRIMARY KEY (SERIALNUM, MACHINE)
);

CREATE TABLE BDGPRECLINK (
    PRECGRPID INTEGER REFERENCES PRECACGRP(PRECGRPID) ON DELETE CASCADE,
    BADGEKEY  INTEGER REFERENCES BADGE(BADGEKEY) ON DELETE CASCADE,
    PRIMARY KEY (PRECGRPID, BADGEKEY)
);

CREATE TABLE PRECACGRP (
    PRECGRPID INTEGER,
    NAME      TEXT,
    PRECTYPE  INTEGER,
    SEGMENTID INTEGER,
    PRIMARY KEY (PRECGRPID)
);


------------------------------------------------------------------------------------------------
-- User-defined-field layout
------------------------------------------------------------------------------------------------

-- DDTBL: user-defined-field table catalogue: ID is a class's UDFTableId, NAME its display name, TBLNAME the table holding its fields.
-- ISLIST 1 marks a user-defined list: TBLNAME is the list table (ID, NAME and optionally SEGMENTID), served as the class Bnt_<TBLNAME>.
CREATE TABLE DDTBL (
    ID      INTEGER,
    NAME    TEXT NOT NULL,
    TBLNAME TEXT NOT NULL,
    ISLIST  INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (ID)
);

-- DDFLD: field dictionary: one row per user-defined field; its table is the DDTBL row of the layout (UDFOBJS.TBLID).
-- POSSIBLE_VALUES and POSSIBLE_LABELS: a value list separated by '|'; LISTID: the DDTBL list whose rows give the values.
CREATE TABLE DDFLD (
    DDFLDID         INTEGER,
    FLDNAME         TEXT NOT NULL,
    CIMTYPE         INTEGER NOT NULL,
    MAXLEN          INTEGER NOT NULL DEFAULT 0,
    REQUIRED        INTEGER NOT NULL DEFAULT 0,
    ISUNIQUE        INTEGER NOT NULL DEFAULT 0,
    POSSIBLE_VALUES TEXT,
    POSSIBLE_LABELS TEXT,
    LISTID          INTEGER REFERENCES DDTBL(ID) ON DELETE SET NULL,
    PRIMARY KEY (DDFLDID)
);

-- UDFOBJS: layout of the user-defined fields a class shows: TBLID names the DDTBL row, DBOBJTYPE 1 cardholder / 9 visitor layout, LFIELD the order.
-- USER_PERM_UDFID: the field permission group that alone may use the field (0: every group).
CREATE TABLE UDFOBJS (
    UDFOBJSID       INTEGER,
    TBLID           INTEGER NOT NULL REFERENCES DDTBL(ID) ON DELETE CASCADE,
    DDFLDID         INTEGER NOT NULL REFERENCES DDFLD(DDFLDID) ON DELETE CASCADE,
    DBOBJTYPE       INTEGER NOT NULL DEFAULT 1,
    LFIELD          INTEGER NOT NULL DEFAULT 0,
    LABEL           TEXT,
    USER_PERM_UDFID INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (UDFOBJSID)
);


------------------------------------------------------------------------------------------------
-- Message-bus front end
------------------------------------------------------------------------------------------------

-- BUSINESS_EVENT_SUBSCRIPTION: business-event subscriptions of bus clients; dates are UTC, DISABLED_DATE is NULL while active.
CREATE TABLE BUSINESS_EVENT_SUBSCRIPTION (
    BUSINESS_EVENT_SUBSCRIPTIONID INTEGER,
    USER_ID                       INTEGER NOT NULL REFERENCES USERS(USERID) ON DELETE CASCADE,
    NAME                          TEXT,
    DESCRIPTION                   TEXT,
    EVENT_FILTER                  TEXT,
    IS_DURABLE                    INTEGER NOT NULL DEFAULT 0,
    DESTINATION_NAME              TEXT,
    ROUTING_KEY                   TEXT,
    MESSAGE_BROKER_HOSTNAME       TEXT,
    MESSAGE_BROKER_PORT           INTEGER,
    REQUIRES_SECURE_CONNECTION    INTEGER NOT NULL DEFAULT 0,
    CREATED_DATE                  TEXT,
    LAST_UPDATED_DATE             TEXT,
    DISABLED_DATE                 TEXT,
    PRIMARY KEY (BUSINESS_EVENT_SUBSCRIPTIONID)
);

------------------------------------------------------------------------------------------------
-- Directory sign-on of bus clients: which directories take manual single sign-on (their accounts
-- are in BNT_DIRECTORY_ACCOUNT, with the record mappers' block).
------------------------------------------------------------------------------------------------

CREATE TABLE BNT_DIRECTORY_SSO (
    BNT_DIRECTORYID INTEGER PRIMARY KEY REFERENCES BNT_DIRECTORY(BNT_DIRECTORYID) ON DELETE CASCADE,
    USE_MANUAL_SSO  INTEGER NOT NULL DEFAULT 0
);

------------------------------------------------------------------------------------------------
-- Hardware events: alarm definition details, audio clips, reader areas, link texts
------------------------------------------------------------------------------------------------

-- ALARM: notification flags (bit 3 must acknowledge, bit 7 active, bits 12-13 display mode),
-- audio and instruction links, passwords and acknowledge rules of an alarm definition.
ALTER TABLE ALARM ADD COLUMN NOTIFTYPE INTEGER NOT NULL DEFAULT 0;
ALTER TABLE ALARM ADD COLUMN AUDIONOTIFID INTEGER NOT NULL DEFAULT 0;
ALTER TABLE ALARM ADD COLUMN AUDNOTREPEATFREQ INTEGER NOT NULL DEFAULT 0;
ALTER TABLE ALARM ADD COLUMN TEXTINSTRID INTEGER NOT NULL DEFAULT 0;
ALTER TABLE ALARM ADD COLUMN AUDIOINSTRID INTEGER NOT NULL DEFAULT 0;
ALTER TABLE ALARM ADD COLUMN CCTVCONTROLID INTEGER NOT NULL DEFAULT 0;
ALTER TABLE ALARM ADD COLUMN VIEWPASSWORD TEXT;
ALTER TABLE ALARM ADD COLUMN ACKPASSWORD TEXT;
ALTER TABLE ALARM ADD COLUMN ACKACTIONTIMELIMIT INTEGER;
ALTER TABLE ALARM ADD COLUMN ACKFAILURETIMEOUT INTEGER NOT NULL DEFAULT 0;
ALTER TABLE ALARM ADD COLUMN ACKFAILUREACTION INTEGER NOT NULL DEFAULT 0;

-- AUDIO: audio clips; AUDIOTYPE 0 is a notification clip, PLAYLENGTH in seconds.
CREATE TABLE AUDIO (
    AUDIOID    INTEGER,
    AUDIOTYPE  INTEGER NOT NULL DEFAULT 0,
    NAME       TEXT,
    PLAYLENGTH INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (AUDIOID)
);

-- READER: the areas a granted access at the reader enters and leaves.
ALTER TABLE READER ADD COLUMN AREAENTER INTEGER;
ALTER TABLE READER ADD COLUMN AREALEAVE INTEGER;

-- EVTALMLINK: the event text a link is bound to (0: any text).
ALTER TABLE EVTALMLINK ADD COLUMN TEXTID INTEGER NOT NULL DEFAULT 0;

-- LINKAGE_SERVER: the linkage server of each database and the workstation it runs on.
CREATE TABLE LINKAGE_SERVER (
    LINKAGE_SERVERID INTEGER,
    BNT_DBID         INTEGER NOT NULL DEFAULT 0,
    WRKSTATIONID     INTEGER NOT NULL,
    PRIMARY KEY (LINKAGE_SERVERID)
);


------------------------------------------------------------------------------------------------
-- Record mappers: segment units, directory accounts, one link per directory account
------------------------------------------------------------------------------------------------

-- SEGMENT_UNIT: limits and options of a segment unit, compared as numbers (a limit of 0 takes
-- nothing); a unit written without limits takes every badge number (19 digits) and 32767 levels
-- of each kind. DYNAMIC_OPTION 0 is a
-- static segment (any other value: membership is derived, never assigned by hand); HIDDEN 1
-- keeps the unit out of selection lists. The unit of segment -1 is the system-wide unit.
CREATE TABLE SEGMENT_UNIT (
    SEGMENTID                   INTEGER PRIMARY KEY REFERENCES SEGMENT(SEGMENTID) ON DELETE CASCADE,
    MAX_BADGE_NUMBER_LENGTH     INTEGER NOT NULL DEFAULT 19,
    MAX_ACCESS_LEVELS           INTEGER NOT NULL DEFAULT 32767,
    MAX_TEMPORARY_ACCESS_LEVELS INTEGER NOT NULL DEFAULT 32767,
    MAX_STANDARD_ACCESS_LEVELS  INTEGER NOT NULL DEFAULT 32767,
    DYNAMIC_OPTION              INTEGER NOT NULL DEFAULT 0,
    HIDDEN                      INTEGER NOT NULL DEFAULT 0
);

-- BNT_DIRECTORY_ACCOUNT: the accounts a directory holds, kept in the installation database (no
-- directory server is reached): the account's identifier (a SID for Windows directories), user
-- name (unique in its directory, ignoring case), display name, and the salted hash of the password
-- it signs on with (pbkdf2-sha256$ITERATIONS$SALT_HEX$HASH_HEX; NULL: no password sign-on).
CREATE TABLE BNT_DIRECTORY_ACCOUNT (
    BNT_DIRECTORYID INTEGER NOT NULL REFERENCES BNT_DIRECTORY(BNT_DIRECTORYID) ON DELETE CASCADE,
    ACCOUNTID       TEXT NOT NULL,
    USERNAME        TEXT,
    DISPLAYNAME     TEXT,
    PASSWORD_HASH   TEXT,
    PRIMARY KEY (BNT_DIRECTORYID, ACCOUNTID)
);
CREATE UNIQUE INDEX BNT_DIRECTORY_ACCOUNT_NAME ON BNT_DIRECTORY_ACCOUNT (BNT_DIRECTORYID, USERNAME COLLATE NOCASE);

-- A directory account is linked to one person at most.
CREATE UNIQUE INDEX CARDHOLDER_ACCOUNT_LINK ON CARDHOLDER_ACCOUNT (BNT_DIRECTORYID, ACCOUNTID COLLATE NOCASE);

-- Access levels, assignments, requests, users and monitoring zones: the download flags of lock
-- hardware, the number of access level records a segment unit may hold, the dates of a group's levels.
ALTER TABLE ACCESSPANE ADD COLUMN DOWNLOAD_REQUIRED INTEGER NOT NULL DEFAULT 0;
ALTER TABLE READER ADD COLUMN REQUIRE_DOWNLOAD INTEGER NOT NULL DEFAULT 0;
ALTER TABLE SEGMENT_UNIT ADD COLUMN MAX_ACCESS_LEVEL_RECORDS INTEGER NOT NULL DEFAULT 32767;
ALTER TABLE ACCGPLINK ADD COLUMN ACTIVATE TEXT;
ALTER TABLE ACCGPLINK ADD COLUMN DEACTIVATE TEXT;

------------------------------------------------------------------------------------------------
-- User-defined lists of the demo installation and the per-field rights of field permission groups
------------------------------------------------------------------------------------------------

-- DEPARTMENT, JOBTITLE: user-defined lists (DDTBL rows with ISLIST 1), served as Bnt_DEPARTMENT and Bnt_JOBTITLE.
CREATE TABLE DEPARTMENT (
    ID        INTEGER,
    NAME      TEXT,
    SEGMENTID INTEGER,
    PRIMARY KEY (ID)
);

CREATE TABLE JOBTITLE (
    ID   INTEGER,
    NAME TEXT,
    PRIMARY KEY (ID)
);

-- USER_PERM_UDF_FIELD: the view and edit right of a field permission group on one user-defined field (DDFLD);
-- a field without a row is visible and editable for the group.
CREATE TABLE USER_PERM_UDF_FIELD (
    USER_PERM_UDFID INTEGER NOT NULL REFERENCES USER_PERM_UDF(USER_PERM_UDFID) ON DELETE CASCADE,
    DDFLDID         INTEGER NOT NULL REFERENCES DDFLD(DDFLDID) ON DELETE CASCADE,
    CANVIEW         INTEGER NOT NULL DEFAULT 1,
    CANEDIT         INTEGER NOT NULL DEFAULT 1,
    PRIMARY KEY (USER_PERM_UDFID, DDFLDID)
);

------------------------------------------------------------------------------------------------
-- Badges: badge ID settings of the badge types and their badge ID ranges
------------------------------------------------------------------------------------------------

-- BADGETYP_IDCONFIG: the badge ID settings of a badge type. ID_MODE 0 leaves the system-wide
-- settings (configuration values 1601-1603) in force; 2 the person's number (EMP.SSNO), 3 entered
-- by hand, 5 the person's id, 1/4/7 generated from BADGEID_RANGE. NEGATIVE_ID 1 draws negative
-- IDs; VALID_DAYS (0: none) gives a new badge's deactivate date.
CREATE TABLE BADGETYP_IDCONFIG (
    BADGETYPEID       INTEGER PRIMARY KEY REFERENCES BADGETYP(ID) ON DELETE CASCADE,
    ID_MODE           INTEGER NOT NULL DEFAULT 0,
    MANUAL_ID         INTEGER NOT NULL DEFAULT 1,
    DEFAULT_ISSUECODE INTEGER NOT NULL DEFAULT 0,
    NEGATIVE_ID       INTEGER NOT NULL DEFAULT 0,
    VALID_DAYS        INTEGER NOT NULL DEFAULT 0
);

-- BADGEID_RANGE: the badge IDs a badge type may use, RANGE_START to RANGE_END inclusive; a type
-- without ranges may use any ID. NEXT_ID is the next ID the generator tries in the range.
CREATE TABLE BADGEID_RANGE (
    BADGEID_RANGEID INTEGER PRIMARY KEY,
    BADGETYPEID     INTEGER NOT NULL REFERENCES BADGETYP(ID) ON DELETE CASCADE,
    RANGE_START     INTEGER NOT NULL,
    RANGE_END       INTEGER NOT NULL,
    NEXT_ID         INTEGER NOT NULL
);


-- Device mappers II: the reader a two-reader door's slave reader belongs to.
ALTER TABLE READER ADD COLUMN SLAVEID INTEGER;
-- Device mappers II: the allowed floor lists of the elevator keypad terminals.
CREATE TABLE ELEVATOR_FLOOR_LIST (
    FLOOR_LISTID INTEGER,
    NAME         TEXT,
    PRIMARY KEY (FLOOR_LISTID)
);
CREATE TABLE ELEVATOR_FLOOR_LIST_FLOOR (
    FLOOR_LISTID INTEGER,
    FLOOR        INTEGER,
    PRIMARY KEY (FLOOR_LISTID, FLOOR)
);
-- Device mappers II: the area of each badge per segment, as anti-passback places it.
CREATE TABLE APB_BADGE_LOCATION (
    BADGEID            INTEGER NOT NULL,
    SEGMENTID          INTEGER NOT NULL,
    AREAAPBID          INTEGER NOT NULL,
    PANELID            INTEGER,
    READERID           INTEGER,
    MOVED_UTC          TEXT,
    MOVED_BY           INTEGER,
    IS_FROMREPLICATION INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (BADGEID, SEGMENTID)
);
-- Device mappers II: the panel an area belongs to (0: global) and its segment.
ALTER TABLE AREAAPB ADD COLUMN PANELID INTEGER NOT NULL DEFAULT 0;
ALTER TABLE AREAAPB ADD COLUMN SEGMENTID INTEGER NOT NULL DEFAULT 0;
-- Device mappers II: the login and connection key of a recorder's own software.
ALTER TABLE ACCESSPANE ADD COLUMN LOGIN_USER TEXT;
ALTER TABLE ACCESSPANE ADD COLUMN LOGIN_PASSWORD TEXT;
ALTER TABLE ACCESSPANE_CONNECTION ADD COLUMN CONNECTION_KEY BLOB;


------------------------------------------------------------------------------------------------
-- Record mappers: the visit notice outbox and the mobile verification decision log
------------------------------------------------------------------------------------------------

-- EMAIL_OUTBOX: visit notices queued for the installation's mail service, one row per recipient
-- (an address, a person, or the default recipients of a segment). Nothing here sends mail.
CREATE TABLE EMAIL_OUTBOX (
    EMAIL_OUTBOXID INTEGER PRIMARY KEY AUTOINCREMENT,
    VISITID        INTEGER,
    ADDRESS        TEXT,
    EMPID          INTEGER,
    SEGMENTID      INTEGER,
    BODY           TEXT NOT NULL,
    QUEUED_UTC     TEXT NOT NULL
);

-- PORTAVERE_TRANSACTION: the grant (GRANTED 1) and deny (0) decisions of mobile verification.
CREATE TABLE PORTAVERE_TRANSACTION (
    PORTAVERE_TRANSACTIONID INTEGER PRIMARY KEY AUTOINCREMENT,
    GRANTED                 INTEGER NOT NULL,
    CURRENT_LEVEL           INTEGER NOT NULL,
    SYSTEM_LEVEL            INTEGER NOT NULL,
    CARDHOLDER_NAME         TEXT,
    SSNO                    TEXT,
    READER_NAME             TEXT,
    GATE_NAME               TEXT,
    USERID                  INTEGER,
    LOGGED_UTC              TEXT NOT NULL
);

------------------------------------------------------------------------------------------------
-- A restricted caller's reads: every row a visibility condition looks up (a record's owner, a
-- joined record, a device's panel) is found by an index, so that a keyed get costs the same
-- whatever the number of owners and an enumeration costs per row it reads.
------------------------------------------------------------------------------------------------
-- A person's badges (a person's badge links; the badges a person's visibility decides). The type
-- rides along so that a count of the badges of known types, a restricted caller's too, reads this
-- narrow index instead of every badge row.
CREATE INDEX BADGE_EMPID_TYPE ON BADGE (EMPID, TYPE);
-- A panel's readers, intrusion devices, cameras and monitoring-zone links, which a device class
-- joins from its panel.
CREATE INDEX READER_PANELID ON READER (PANELID);
CREATE INDEX INTRUSION_DEVICE_PANELID ON INTRUSION_DEVICE (PANELID);
CREATE INDEX CCTVDEVICE_PANELID ON CCTVDEVICE (PANELID);
CREATE INDEX MONDEVLINK_PANELID ON MONDEVLINK (PANELID);
-- A reader's level links.
CREATE INDEX ACCLVLINK_READER ON ACCLVLINK (PANELID, READERID);
-- A timezone by its number (its key leads with its description).
CREATE INDEX TIMEZONE_TZID ON TIMEZONE (TZID);
-- The records of one owner as the mappers ask for them, where the owner's column does not lead
-- the table's key: a badge's level links, a person's and a level's and a reader's access
-- requests, a person's accounts, visits and visit events, a visit's and a person's e-mail recipients, a
-- sign-in location's stations, a user's accounts, a timezone's intervals, a holiday type's
-- holidays, an alarm's event links, and a panel's inputs, relays, alarm panels, device group
-- links, elevator terminals, areas and video devices.
CREATE INDEX BADGELINK_BADGEKEY ON BADGELINK (BADGEKEY);
CREATE INDEX ACCESS_REQUEST_EMPID ON ACCESS_REQUEST (EMPID);
CREATE INDEX ACCESS_REQUEST_ACCESSLVID ON ACCESS_REQUEST (ACCESSLVID);
CREATE INDEX ACCESS_REQUEST_PANELID ON ACCESS_REQUEST (PANELID);
CREATE INDEX CARDHOLDER_ACCOUNT_EMPID ON CARDHOLDER_ACCOUNT (EMPID);
CREATE INDEX VISIT_EVENT_EMPID ON VISIT_EVENT (EMPID);
CREATE INDEX VISIT_EMPID ON VISIT (EMPID);
CREATE INDEX VISIT_VISITORID ON VISIT (VISITORID);
CREATE INDEX VISIT_EMAIL_LINK_VISITID ON VISIT_EMAIL_LINK (VISITID);
CREATE INDEX VISIT_EMAIL_LINK_EMPID ON VISIT_EMAIL_LINK (EMPID);
CREATE INDEX VISIT_SELF_SERVICE_STATION_LOCATION ON VISIT_SELF_SERVICE_STATION (VISIT_EVENT_SIGN_IN_LOCATIONID);
CREATE INDEX USER_ACCOUNT_USERID ON USER_ACCOUNT (USERID);
CREATE INDEX TZINTERVAL_TZID ON TZINTERVAL (TZID);
CREATE INDEX HOLIDAY_LNK_HTYPE_ID ON HOLIDAY_LNK (HTYPE_ID);
CREATE INDEX EVTALMLINK_ALID ON EVTALMLINK (ALID);
CREATE INDEX ALARMINPUT_PANELID ON ALARMINPUT (PANELID);
CREATE INDEX RELAYOUTPT_PANELID ON RELAYOUTPT (PANELID);
CREATE INDEX ALARMPANEL_PANELID ON ALARMPANEL (PANELID);
CREATE INDEX DEVICE_GROUP_LINK_PANELID ON DEVICE_GROUP_LINK (PANELID);
CREATE INDEX ELEVATOR_KEYPAD_TERMINAL_PANELID ON ELEVATOR_KEYPAD_TERMINAL (PANELID);
CREATE INDEX ACCOUNT_AREA_PANELID ON ACCOUNT_AREA (PANELID);
CREATE INDEX VEXLET_DEVICE_PANELID ON VEXLET_DEVICE (PANELID);

-- The rights stamp: one value that every write of a table a user's rights or identity come from
-- sets anew in the write's own transaction: the user row and its accounts, the directories the
-- accounts are looked up through with every flag a sign-in reads (their type, whether they are a
-- template, their manual sign-on in BNT_DIRECTORY_SSO) and the directory accounts sessions sign
-- in with, secondary segments, segments, the units of segment groups and their limits,
-- permission groups and their grants, field permissions, and the system options (the
-- CONFIG_VALUE numbers CBntAcsSystemOptions reads). A logged-in user keeps the value it read
-- before its rights, so one keyed read per request tells whether they may have changed since. A
-- fresh random value, as the list stamp's below: a count would turn into a REAL at its top and
-- stop changing. A missing row counts as changed, and a login puts it back.
------------------------------------------------------------------------------------------------
CREATE TABLE RIGHTS_STAMP (
    STAMPID INTEGER PRIMARY KEY,
    STAMP   INTEGER NOT NULL
);
INSERT INTO RIGHTS_STAMP (STAMPID, STAMP) VALUES (1, 0);

CREATE TRIGGER USERS_I_RIGHTS AFTER INSERT ON USERS
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER USERS_U_RIGHTS AFTER UPDATE ON USERS
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER USERS_D_RIGHTS AFTER DELETE ON USERS
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER USER_ACCOUNT_I_RIGHTS AFTER INSERT ON USER_ACCOUNT
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER USER_ACCOUNT_U_RIGHTS AFTER UPDATE ON USER_ACCOUNT
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER USER_ACCOUNT_D_RIGHTS AFTER DELETE ON USER_ACCOUNT
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER BNT_DIRECTORY_I_RIGHTS AFTER INSERT ON BNT_DIRECTORY
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER BNT_DIRECTORY_U_RIGHTS AFTER UPDATE ON BNT_DIRECTORY
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER BNT_DIRECTORY_D_RIGHTS AFTER DELETE ON BNT_DIRECTORY
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER BNT_DIRECTORY_ACCOUNT_I_RIGHTS AFTER INSERT ON BNT_DIRECTORY_ACCOUNT
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER BNT_DIRECTORY_ACCOUNT_U_RIGHTS AFTER UPDATE ON BNT_DIRECTORY_ACCOUNT
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER BNT_DIRECTORY_ACCOUNT_D_RIGHTS AFTER DELETE ON BNT_DIRECTORY_ACCOUNT
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER BNT_DIRECTORY_SSO_I_RIGHTS AFTER INSERT ON BNT_DIRECTORY_SSO
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER BNT_DIRECTORY_SSO_U_RIGHTS AFTER UPDATE ON BNT_DIRECTORY_SSO
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER BNT_DIRECTORY_SSO_D_RIGHTS AFTER DELETE ON BNT_DIRECTORY_SSO
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER USER_SEGMENT_LINK_I_RIGHTS AFTER INSERT ON USER_SEGMENT_LINK
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER USER_SEGMENT_LINK_U_RIGHTS AFTER UPDATE ON USER_SEGMENT_LINK
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER USER_SEGMENT_LINK_D_RIGHTS AFTER DELETE ON USER_SEGMENT_LINK
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER SEGMENT_I_RIGHTS AFTER INSERT ON SEGMENT
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER SEGMENT_U_RIGHTS AFTER UPDATE ON SEGMENT
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER SEGMENT_D_RIGHTS AFTER DELETE ON SEGMENT
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER SEGMENT_GROUP_MEMBER_I_RIGHTS AFTER INSERT ON SEGMENT_GROUP_MEMBER
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER SEGMENT_GROUP_MEMBER_U_RIGHTS AFTER UPDATE ON SEGMENT_GROUP_MEMBER
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER SEGMENT_GROUP_MEMBER_D_RIGHTS AFTER DELETE ON SEGMENT_GROUP_MEMBER
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER SEGMENT_UNIT_I_RIGHTS AFTER INSERT ON SEGMENT_UNIT
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER SEGMENT_UNIT_U_RIGHTS AFTER UPDATE ON SEGMENT_UNIT
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER SEGMENT_UNIT_D_RIGHTS AFTER DELETE ON SEGMENT_UNIT
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER USER_PERM_I_RIGHTS AFTER INSERT ON USER_PERM
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER USER_PERM_U_RIGHTS AFTER UPDATE ON USER_PERM
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER USER_PERM_D_RIGHTS AFTER DELETE ON USER_PERM
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER USER_PERM_GRANT_I_RIGHTS AFTER INSERT ON USER_PERM_GRANT
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER USER_PERM_GRANT_U_RIGHTS AFTER UPDATE ON USER_PERM_GRANT
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER USER_PERM_GRANT_D_RIGHTS AFTER DELETE ON USER_PERM_GRANT
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER USER_PERM_UDF_FIELD_I_RIGHTS AFTER INSERT ON USER_PERM_UDF_FIELD
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER USER_PERM_UDF_FIELD_U_RIGHTS AFTER UPDATE ON USER_PERM_UDF_FIELD
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER USER_PERM_UDF_FIELD_D_RIGHTS AFTER DELETE ON USER_PERM_UDF_FIELD
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER CONFIG_VALUE_I_RIGHTS AFTER INSERT ON CONFIG_VALUE
    WHEN NEW.CONFIGID IN (1001, 1002, 1003, 1004, 1005, 1006, 1007, 1608)
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER CONFIG_VALUE_U_RIGHTS AFTER UPDATE ON CONFIG_VALUE
    WHEN OLD.CONFIGID IN (1001, 1002, 1003, 1004, 1005, 1006, 1007, 1608)
      OR NEW.CONFIGID IN (1001, 1002, 1003, 1004, 1005, 1006, 1007, 1608)
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;
CREATE TRIGGER CONFIG_VALUE_D_RIGHTS AFTER DELETE ON CONFIG_VALUE
    WHEN OLD.CONFIGID IN (1001, 1002, 1003, 1004, 1005, 1006, 1007, 1608)
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;

-- The list stamp (row 2 of the same table): every write of a table or an option a class
-- definition is built or shaped from sets it anew in the write's own transaction, so that a
-- definition kept by the class cache serves again only while one keyed read finds the value it
-- was made under. Those are: every table that can serve a value list (a table with an ID and a
-- NAME column: the badge types of Bnt_Badge.TYPE, the lists the user-defined-field layout names
-- through DDFLD.LISTID), the layout itself (DDTBL, DDFLD, UDFOBJS), and the options a
-- definition reads (CBntAcsSystemOptions::kListStampOptionIds: the segmentation switches, which
-- add a person's segment property and filter the lists, and the PIN options, which give
-- Bnt_Badge.PIN its qualifiers). A fresh random value rather than a count: a rolled-back write
-- must never bring back a value a definition was made under, from rows that then never were. A
-- database without the row keeps nothing. A list table an installation adds sets the stamp once
-- it carries the same three triggers (TABLE_I_LISTS, _U_LISTS, _D_LISTS), which `provixa init`
-- gives it; until then no definition read from it is kept (CDefinitionStamps::SetsListStamp).
INSERT INTO RIGHTS_STAMP (STAMPID, STAMP) VALUES (2, 0);
CREATE TRIGGER BADGETYP_I_LISTS AFTER INSERT ON BADGETYP
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER BADGETYP_U_LISTS AFTER UPDATE ON BADGETYP
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER BADGETYP_D_LISTS AFTER DELETE ON BADGETYP
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER BADGSTAT_I_LISTS AFTER INSERT ON BADGSTAT
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER BADGSTAT_U_LISTS AFTER UPDATE ON BADGSTAT
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER BADGSTAT_D_LISTS AFTER DELETE ON BADGSTAT
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER DEPARTMENT_I_LISTS AFTER INSERT ON DEPARTMENT
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER DEPARTMENT_U_LISTS AFTER UPDATE ON DEPARTMENT
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER DEPARTMENT_D_LISTS AFTER DELETE ON DEPARTMENT
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER JOBTITLE_I_LISTS AFTER INSERT ON JOBTITLE
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER JOBTITLE_U_LISTS AFTER UPDATE ON JOBTITLE
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER JOBTITLE_D_LISTS AFTER DELETE ON JOBTITLE
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER HOLIDAY_TYPE_I_LISTS AFTER INSERT ON HOLIDAY_TYPE
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER HOLIDAY_TYPE_U_LISTS AFTER UPDATE ON HOLIDAY_TYPE
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER HOLIDAY_TYPE_D_LISTS AFTER DELETE ON HOLIDAY_TYPE
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER VISIT_EVENT_SIGN_IN_LOCATION_I_LISTS AFTER INSERT ON VISIT_EVENT_SIGN_IN_LOCATION
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER VISIT_EVENT_SIGN_IN_LOCATION_U_LISTS AFTER UPDATE ON VISIT_EVENT_SIGN_IN_LOCATION
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER VISIT_EVENT_SIGN_IN_LOCATION_D_LISTS AFTER DELETE ON VISIT_EVENT_SIGN_IN_LOCATION
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER VISIT_SELF_SERVICE_STATION_I_LISTS AFTER INSERT ON VISIT_SELF_SERVICE_STATION
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER VISIT_SELF_SERVICE_STATION_U_LISTS AFTER UPDATE ON VISIT_SELF_SERVICE_STATION
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER VISIT_SELF_SERVICE_STATION_D_LISTS AFTER DELETE ON VISIT_SELF_SERVICE_STATION
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER WRKSTATION_I_LISTS AFTER INSERT ON WRKSTATION
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER WRKSTATION_U_LISTS AFTER UPDATE ON WRKSTATION
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER WRKSTATION_D_LISTS AFTER DELETE ON WRKSTATION
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER DDTBL_I_LISTS AFTER INSERT ON DDTBL
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER DDTBL_U_LISTS AFTER UPDATE ON DDTBL
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER DDTBL_D_LISTS AFTER DELETE ON DDTBL
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER DDFLD_I_LISTS AFTER INSERT ON DDFLD
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER DDFLD_U_LISTS AFTER UPDATE ON DDFLD
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER DDFLD_D_LISTS AFTER DELETE ON DDFLD
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER UDFOBJS_I_LISTS AFTER INSERT ON UDFOBJS
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER UDFOBJS_U_LISTS AFTER UPDATE ON UDFOBJS
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER UDFOBJS_D_LISTS AFTER DELETE ON UDFOBJS
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER CONFIG_VALUE_I_LISTS AFTER INSERT ON CONFIG_VALUE
    WHEN NEW.CONFIGID IN (1001, 1003, 1004, 1005, 1605, 1606, 1607)
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER CONFIG_VALUE_U_LISTS AFTER UPDATE ON CONFIG_VALUE
    WHEN OLD.CONFIGID IN (1001, 1003, 1004, 1005, 1605, 1606, 1607)
      OR NEW.CONFIGID IN (1001, 1003, 1004, 1005, 1605, 1606, 1607)
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
CREATE TRIGGER CONFIG_VALUE_D_LISTS AFTER DELETE ON CONFIG_VALUE
    WHEN OLD.CONFIGID IN (1001, 1003, 1004, 1005, 1605, 1606, 1607)
    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;
