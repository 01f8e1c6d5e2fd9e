-- Provixa demo installation: three operators, two segments, two panels with two readers each,
-- a few cardholders, visitors and badges. Load after schema.sql.
--
-- Demo logons (change them before any real use):
--   sa        password "sa-demo"        the system administrator (USERID -1)
--   operator  password "operator-demo"  an operator of both segments
--   porter    password "porter-demo"    the operator's rights in segment 1 (Headquarters) only
-- Hashes are PBKDF2-HMAC-SHA256, 100000 iterations, 16-byte salt, 32-byte hash.

BEGIN;

-- Segments: -1 is all segments (a group of every unit).
INSERT INTO SEGMENT (SEGMENTID, NAME, TYPE) VALUES
    (-1, 'All Segments', 1),
    (1, 'Headquarters', 0),
    (2, 'Warehouse', 0);
INSERT INTO SEGMENT_GROUP_MEMBER (SEGMENTID, SEGMENTID_MEMBER) VALUES (-1, 1), (-1, 2);

-- Permission groups of the operator: system (1), cardholder (2), monitoring (3).
INSERT INTO USER_PERM (USER_PERMID, NAME, SEGMENTID, TYPE, DEVICES_ARE_EXCLUDED) VALUES
    (1, 'Demo system operators', -1, 1, 0),
    (2, 'Demo card operators', -1, 2, 0),
    (3, 'Demo monitoring operators', -1, 3, 0);
INSERT INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES
    (1, 0x10000000),   -- view panels
    (1, 0x10000003),   -- view readers
    (1, 0x1000000E),   -- view system users
    (1, 0x100000D0),   -- use the provider
    (2, 0x20000003),   -- view cardholders
    (2, 0x20000057),   -- view cardholders (second right)
    (2, 0x20000023),   -- view visitors
    (3, 0x10000014);   -- view monitoring zones
INSERT INTO USER_PTZ_PRIORITY (USER_PERMID, PRIORITY) VALUES (3, 50);

INSERT INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, MZID, LOGONPWD, ISENABLED,
                   SYSTEM_USER_PERMID, MONITOR_USER_PERMID, CARD_USER_PERMID, REPORT_USER_PERMID,
                   USER_PERM_UDFID, CREATED, LASTCHANGED, NOTES, IS_AUTO_CREATED_USER, BNT_DBID) VALUES
    (-1, 'sa', 'System', 'Administrator', -1, 0,
     'pbkdf2-sha256$100000$6f6e32a45cfca567205b9abfb0e3733f$97c584a5afc63327648388f1aa1ce0d281dd8c7f13e407b672ff3ff97b1e55d0',
     1, 0, 0, 0, 0, 0, '2024-01-01 00:00:00', '2024-01-01 00:00:00', 'Demo administrator', 0, 1),
    (1, 'operator', 'Olive', 'Operator', 1, 1,
     'pbkdf2-sha256$100000$bf45dc6ba281a578abe6a2035320ac1d$d8aa0ac6cd0b5d537b7b8aa8f6371cf29977949f9cbfe9711e0d9f6676c08bad',
     1, 1, 3, 2, 0, 0, '2024-01-01 00:00:00', '2024-01-01 00:00:00', 'Demo operator', 0, 1),
    (3, 'porter', 'Paula', 'Porter', 1, 1,
     'pbkdf2-sha256$100000$1cfeeebe9f11c363a24ccd2fa6320b34$ae2a828cdbe3c0a08e0014a963e9d95831805b9e134e7f36b1795ed4002146f0',
     1, 1, 3, 2, 0, 0, '2024-01-01 00:00:00', '2024-01-01 00:00:00', 'Demo Headquarters operator', 0, 1);
-- The operator holds the Warehouse as a secondary segment; the porter holds no second segment.
INSERT INTO USER_SEGMENT_LINK (USERID, SEGMENTID) VALUES (1, 2);

-- The operators' Windows accounts on this machine (local accounts directory).
INSERT INTO BNT_DIRECTORY (BNT_DIRECTORYID, DIR_NAME, DIR_TYPE, DIR_HOSTNAME, DIR_PORT, DIR_USESSL) VALUES
    (1, 'Local accounts', 3, 'localhost', 0, 0);
INSERT INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID) VALUES
    (1, 1, 1, 'S-1-5-21-1004336348-1177238915-682003330-1001'),
    (8, 3, 1, 'S-1-5-21-1004336348-1177238915-682003330-1008');

-- Stored configuration parameters, seconds.
INSERT INTO CONFIG_VALUE (CONFIGID, NUMBERVALUE) VALUES
    (33, 300),   -- user-cache entry lifetime
    (34, 60),    -- panel-segment cache span
    (37, 60),    -- linkage-server re-registration interval
    (39, 300);   -- class-cache span

-- System options kept as configuration rows: segments in use, database server type
-- (0 = standalone, so no replication), cardholder, visitor and badge-type segmentation.
INSERT INTO CONFIG_VALUE (CONFIGID, NUMBERVALUE) VALUES
    (1001, 1), (1002, 0), (1003, 1), (1004, 1), (1005, 1);

-- Hardware.
INSERT INTO WORLDTZ (WORLDTZID, DisplayName, GMTOFFSET, DST, StandardMonth, StandardDay, StandardWeek,
                     DaylightMonth, DaylightDay, DaylightWeek, Bias, StandardBias, DaylightBias,
                     StandardHour, DaylightHour, StandardMinute, DaylightMinute, StandardSecond,
                     DaylightSecond, WINDOWS_TZID) VALUES
    (1, '(UTC) Coordinated Universal Time', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'UTC');
INSERT INTO PANELTYPE (PANELTYPEID, NAME, PANELCLASS) VALUES (15, 'Access panel', 1);
INSERT INTO ACCESSPANE (PANELID, NAME, SEGMENTID, ONLINE1, PANELTZ, DAYLIGHTSAVE, HOSTNUM, TERMINALNA,
                        PRIMARYIP, COMPUTERNAME, PANELTYPE) VALUES
    (1, 'Lobby panel', 1, 1, 1, 0, 'localhost', 'localhost', 0, 'localhost', 15),
    (2, 'Dock panel', 2, 1, 1, 0, 'localhost', 'localhost', 0, 'localhost', 15);
INSERT INTO READER (PANELID, READERID, READERDESC, FRIENDLY_NAME, CTRLTYPE, TIMEATT,
                    AUX1NAME, AUX2NAME, OUT1NAME, OUT2NAME) VALUES
    (1, 0, 'Lobby entry', 'Lobby entry', 1, 0, 'Lobby door contact', 'Lobby REX', 'Lobby strike', 'Lobby sounder'),
    (1, 1, 'Lobby exit', 'Lobby exit', 1, 0, 'Lobby exit contact', 'Lobby exit REX', 'Lobby exit strike', 'Lobby exit sounder'),
    (2, 0, 'Dock entry', 'Dock entry', 1, 0, 'Dock door contact', 'Dock REX', 'Dock strike', 'Dock sounder'),
    (2, 1, 'Dock exit', 'Dock exit', 1, 0, 'Dock exit contact', 'Dock exit REX', 'Dock exit strike', 'Dock exit sounder');
INSERT INTO MONZONE (MZID, SEGMENTID, MZDESCR) VALUES (1, 1, 'Headquarters monitoring');
INSERT INTO MONDEVLINK (MZID, PANELID, DEVICEID, INPUTOUTPUTID, ENTIREDEVICE) VALUES (1, 1, 0, 0, 1);

-- Access control.
INSERT INTO TIMEZONE (TZID, DESCRIPT, SEGMENTID) VALUES (1, 'Always', -1), (2, 'Business hours', -1);
INSERT INTO TZINTERVAL (TZID, INTERVAL, STARTTIME, ENDTIME, MONDAY, TUESDAY, WEDNESDAY, THURSDAY, FRIDAY,
                        SATURDAY, SUNDAY, TYPE1, TYPE2, TYPE3, TYPE4, TYPE5, TYPE6, TYPE7, TYPE8) VALUES
    (2, 1, '1899-12-30 08:00:00', '1899-12-30 18:00:00', 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
INSERT INTO ACCESSLVL (ACCESSLVID, DESCRIPT, SEGMENTID, AVAILABLE_FOR_REQUEST, COMMAND, DOWNLOAD, FIRST_CARD_UNLOCK) VALUES
    (1, 'Lobby all hours', 1, 1, 0, 1, 0),
    (2, 'Dock business hours', 2, 0, 0, 1, 0);
INSERT INTO ACCLVLINK (ACCESSLVID, PANELID, READERID, TZID) VALUES
    (1, 1, 0, 1), (1, 1, 1, 1), (2, 2, 0, 2), (2, 2, 1, 2);
INSERT INTO ACCESSGRP (ACCESSGPID, DESCRIPT, SEGMENTID) VALUES (1, 'Staff', 1);
INSERT INTO ACCGPLINK (ACCESSGPID, ACCESSLVID) VALUES (1, 1), (1, 2);
-- The porter manages only the Headquarters level: its links stay within its segment.
INSERT INTO USERS_ACCESSLEVEL_LINK (USERID, ACCESSLVID, HAS_AAM_VIEWONLY_ACCESS) VALUES
    (1, 1, 0), (1, 2, 1), (3, 1, 0);

-- Persons: cardholders (VISITOR 0) and visitors (VISITOR 1).
INSERT INTO EMP (ID, LASTNAME, FIRSTNAME, MIDNAME, SSNO, ALLOWEDVISITORS, LASTCHANGED, SEGMENTID, VISITOR, GUARD) VALUES
    (1, 'Adler', 'Ada', '', 'E-1001', 1, '2024-01-02 09:00:00', 1, 0, 0),
    (2, 'Brandt', 'Bruno', '', 'E-1002', 0, '2024-01-02 09:05:00', 1, 0, 1),
    (3, 'Castell', 'Clara', '', 'E-1003', 1, '2024-01-02 09:10:00', 2, 0, 0),
    (4, 'Dorn', 'Dina', '', '', 0, '2024-01-03 10:00:00', 1, 1, 0),
    (5, 'Ebert', 'Emil', '', '', 0, '2024-01-03 10:05:00', 2, 1, 0);
INSERT INTO UDFEMP (ID) VALUES (1), (2), (3);
INSERT INTO VISITOR_UDF (ID) VALUES (4), (5);
INSERT INTO EMP_SEGMENT_LINK (EMPID, SEGMENTID) VALUES (3, 1);
INSERT INTO CARDHOLDER_ACCOUNT (CARDHOLDER_ACCOUNTID, EMPID, BNT_DIRECTORYID, ACCOUNTID) VALUES
    (1, 1, 1, 'S-1-5-21-1004336348-1177238915-682003330-1002');

-- Badges.
INSERT INTO BADGSTAT (ID, NAME) VALUES (1, 'Active'), (2, 'Lost'), (3, 'Returned');
INSERT INTO BADGETYP (ID, NAME, BADGE_CLASS, DISPOSABLE, DEFGROUP, SEGMENTID) VALUES
    (1, 'Employee', 1, 0, 1, -1),
    (2, 'Visitor', 2, 1, 0, -1);
INSERT INTO BADGE (BADGEKEY, ID, ISSUECODE, TYPE, STATUS, EMPID, ACTIVATE, DEACTIVATE, USELIMIT, LASTCHANGED) VALUES
    (1, 100001, 0, 1, 1, 1, '2024-01-02 00:00:00', '2030-12-31 23:59:59', NULL, '2024-01-02 09:00:00'),
    (2, 100002, 0, 1, 1, 2, '2024-01-02 00:00:00', '2030-12-31 23:59:59', NULL, '2024-01-02 09:05:00'),
    (3, 100003, 1, 1, 2, 3, '2024-01-02 00:00:00', '2030-12-31 23:59:59', NULL, '2024-01-02 09:10:00'),
    (4, 100004, 0, 2, 1, 4, '2024-01-03 00:00:00', '2024-01-03 23:59:59', 10, '2024-01-03 10:00:00');
INSERT INTO BADGELINK (BADGEKEY, ACCLVLID, ACTIVATE, DEACTIVATE) VALUES
    (1, 1, NULL, NULL), (1, 2, NULL, NULL), (2, 1, NULL, NULL);

-- Visits.
INSERT INTO VISIT_EVENT_SIGN_IN_LOCATION (ID, NAME, SEGMENTID, WORLDTZID) VALUES (1, 'Main reception', 1, 1);
INSERT INTO VISIT_EVENT (VISIT_EVENTID, NAME, EMPID, SOURCE_BNT_DBID, SCHEDULED_TIMEIN, SCHEDULED_TIMEOUT,
                         LASTCHANGED_UTC, VISIT_EVENT_SIGN_IN_LOCATIONID) VALUES
    (1, 'Supplier meeting', 1, 1, '2024-01-03 10:00:00', '2024-01-03 12:00:00', '2024-01-03 09:00:00', 1);
INSERT INTO VISIT (VISITID, VISIT_EVENTID, EMPID, VISITORID, TIMEIN_UTC, LASTCHANGED_UTC) VALUES
    (1, 1, 1, 4, '2024-01-03 10:02:00', '2024-01-03 10:02:00');

-- Calendar. Interval times are times of day on the zero date (1899-12-30); HDATE is the first
-- day of a holiday and EXTEND the number of days it lasts.
INSERT INTO TIMEZONE (TZID, DESCRIPT, SEGMENTID) VALUES
    (3, 'Warehouse night shift', 2),
    (4, 'Headquarters weekend cleaning', 1);
INSERT INTO TZINTERVAL (TZID, INTERVAL, STARTTIME, ENDTIME, MONDAY, TUESDAY, WEDNESDAY, THURSDAY, FRIDAY,
                        SATURDAY, SUNDAY, TYPE1, TYPE2, TYPE3, TYPE4, TYPE5, TYPE6, TYPE7, TYPE8) VALUES
    (1, 1, '1899-12-30 00:00:00', '1899-12-30 23:59:00', 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1),
    (3, 1, '1899-12-30 22:00:00', '1899-12-30 23:59:00', 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0),
    (3, 2, '1899-12-30 00:00:00', '1899-12-30 06:00:00', 0, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0),
    (4, 1, '1899-12-30 06:00:00', '1899-12-30 10:00:00', 0, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0);
INSERT INTO HOLIDAY_TYPE (ID, SEGMENTID, NAME) VALUES
    (1, -1, 'Public holidays'),
    (2, 1, 'Headquarters closures'),
    (3, 2, 'Warehouse stocktaking');
INSERT INTO HOLIDAYS (HOLIDAYID, SEGMENTID, DESCRIPT, HDATE, EXTEND) VALUES
    (1, -1, 'New Year''s Day', '2025-01-01 00:00:00', 1),
    (2, -1, 'Labour Day', '2025-05-01 00:00:00', 1),
    (3, -1, 'Christmas', '2025-12-25 00:00:00', 2),
    (4, 1, 'Headquarters winter closure', '2025-12-29 00:00:00', 3),
    (5, 2, 'Midyear stocktake', '2025-06-30 00:00:00', 1);
INSERT INTO HOLIDAY_LNK (HOLIDAYID, HTYPE_ID) VALUES
    (1, 1), (2, 1), (3, 1), (3, 2), (4, 2), (5, 3);
-- World time zones: offsets and biases in minutes (bias = -offset); a transition is the day of
-- week (0 Sunday) in the week of the month (5 the last) at the given time.
INSERT INTO WORLDTZ (WORLDTZID, DisplayName, GMTOFFSET, DST, StandardMonth, StandardDay, StandardWeek,
                     DaylightMonth, DaylightDay, DaylightWeek, Bias, StandardBias, DaylightBias,
                     StandardHour, DaylightHour, StandardMinute, DaylightMinute, StandardSecond,
                     DaylightSecond, WINDOWS_TZID) VALUES
    (2, '(UTC-05:00) Eastern Time (US & Canada)', -300, 1, 11, 0, 1, 3, 0, 2, 300, 0, -60,
     2, 2, 0, 0, 0, 0, 'Eastern Standard Time'),
    (3, '(UTC+01:00) Amsterdam, Berlin, Rome, Stockholm, Vienna', 60, 1, 10, 0, 5, 3, 0, 5, -60, 0, -60,
     3, 2, 0, 0, 0, 0, 'W. Europe Standard Time'),
    (4, '(UTC+09:00) Osaka, Sapporo, Tokyo', 540, 0, 0, 0, 0, 0, 0, 0, -540, 0, 0,
     0, 0, 0, 0, 0, 0, 'Tokyo Standard Time');

-- Event catalogue: event types, the subtype definitions of each type (EVID is the subtype code
-- within its type), the parameters some subtypes carry and which subtype supports which.
INSERT INTO EVENTYPE (EVTYPEID, EVTDESCR) VALUES
    (0, 'Access Granted'),
    (1, 'Access Denied'),
    (2, 'Duress'),
    (4, 'System'),
    (7, 'Fire'),
    (11, 'Video');
INSERT INTO EVENT (EVENTID, EVTYPEID, EVID, EVDESCR, SUPPORT_PARAMS, CATEGORY) VALUES
    (1, 0, 0, 'Access Granted', 0, 1),
    (2, 0, 2, 'Access Granted - No Entry Made', 0, 1),
    (3, 1, 0, 'Access Denied: Invalid Badge', 0, 1),
    (4, 1, 1, 'Access Denied: Outside Time Zone', 0, 1),
    (5, 2, 0, 'Granted Under Duress', 0, 1),
    (6, 4, 5, 'Door Forced Open', 0, 2),
    (7, 4, 6, 'Door Held Open', 0, 2),
    (8, 4, 78, 'Function Execution', 0, 2),
    (9, 7, 1, 'Fire Alarm', 1, 3),
    (10, 7, 2, 'Fire Trouble', 1, 3),
    (11, 11, 1, 'Motion Detected', 0, 4);
INSERT INTO EVENT_PARAM (EVENT_PARAMID, PARAMVALUE, DESCRIPTION) VALUES
    (1, 1, 'Smoke detector'),
    (2, 2, 'Heat detector'),
    (3, 3, 'Manual pull station'),
    (4, 10, 'Ground fault'),
    (5, 11, 'Low battery');
INSERT INTO EVENT_TO_EVENT_PARAM_LINK (EVENTID, EVENT_PARAMID) VALUES
    (9, 1), (9, 2), (9, 3), (10, 4), (10, 5);
-- Alarm definitions and the events that raise them: panel, reader, input (INPUTDEVID), event
-- type and subtype code, and the event parameter (0 for events without one).
INSERT INTO ALARM (ALID, ALPRIORITY, ALDESCR, SEGMENTID) VALUES
    (1, 20, 'Door forced open', -1),
    (2, 50, 'Door held open', -1),
    (3, 1, 'Duress', -1),
    (4, 1, 'Fire', -1);
INSERT INTO EVTALMLINK (PANELID, DEVICEID, INPUTDEVID, EVTYPEID, EVID, ALID, EVENT_PARAMID) VALUES
    (1, 0, 0, 4, 5, 1, 0),
    (1, 0, 0, 4, 6, 2, 0),
    (2, 0, 0, 4, 5, 1, 0),
    (1, 1, 0, 2, 0, 3, 0),
    (2, 0, 1, 7, 1, 4, 1),
    (2, 0, 1, 7, 1, 4, 3);

-- Catalogue of the user-defined-field tables (display names of the classes that carry them).
INSERT INTO DDTBL (ID, NAME, TBLNAME) VALUES
    (1, 'Person', 'EMP'),
    (2, 'Cardholder', 'UDFEMP'),
    (3, 'Badge', 'BADGE'),
    (5, 'Access Level', 'ACCESSLVL'),
    (6, 'Multimedia Object', 'MMOBJS'),
    (7, 'Badge Type', 'BADGETYP'),
    (8, 'Badge Status', 'BADGSTAT'),
    (100100, 'Visitor', 'VISITOR_UDF'),
    (100101, 'Visit', 'VISIT'),
    (100105, 'Visit Event', 'VISIT_EVENT');

-- ID generator: the next value each counter hands out.
INSERT INTO NEXTID (TYPE, NEXTVAL) VALUES
    (1, 100005),     -- badge ID
    (2, 6),          -- person
    (3, 2),          -- access group
    (4, 3),          -- panel
    (11, 1),         -- precision access group
    (15, 2),         -- system user
    (23, 2),         -- visit
    (25, 5),         -- badge key
    (36, 1),         -- guard tour
    (40, 1),         -- area
    (41, 2),         -- cardholder account
    (53, 1),         -- elevator terminal
    (54, 1),         -- logical device
    (55, 1),         -- logical sub-device
    (83, 1),         -- authentication mode
    (84, 1),         -- visit self-service station
    (85, 1),         -- access request
    (318, 2),        -- visit event
    (32768, 3),      -- access level
    (32775, 2),      -- intrusion devices, readers
    (32780, 4),      -- badge status
    (32781, 3),      -- badge type
    (32803, 2);      -- user account

-- Record mappers: the person layout and user-defined fields, photos, directory accounts,
-- segment units and a segment group, mobile verification settings.
ALTER TABLE UDFEMP ADD COLUMN DEPARTMENT TEXT;
ALTER TABLE UDFEMP ADD COLUMN THREATLEVEL INTEGER;
ALTER TABLE VISITOR_UDF ADD COLUMN COMPANY TEXT;
UPDATE UDFEMP SET DEPARTMENT = 'Engineering', THREATLEVEL = 3 WHERE ID = 1;
UPDATE UDFEMP SET DEPARTMENT = 'Security', THREATLEVEL = 5 WHERE ID = 2;
UPDATE UDFEMP SET DEPARTMENT = 'Logistics', THREATLEVEL = 1 WHERE ID = 3;
UPDATE VISITOR_UDF SET COMPANY = 'Dorn Supplies' WHERE ID = 4;
UPDATE VISITOR_UDF SET COMPANY = 'Ebert Freight' WHERE ID = 5;
-- Fields (CIMTYPE 8 text, 3 sint32, 101 datetime); layouts 1 (cardholders) and 9 (visitors).
INSERT INTO DDFLD (DDFLDID, FLDNAME, CIMTYPE, MAXLEN, REQUIRED) VALUES
    (1, 'LASTNAME', 8, 64, 1),
    (2, 'FIRSTNAME', 8, 64, 0),
    (3, 'MIDNAME', 8, 64, 0),
    (4, 'SSNO', 8, 32, 0),
    (5, 'ALLOWEDVISITORS', 3, 0, 0),
    (6, 'LASTCHANGED', 101, 0, 0),
    (7, 'DEPARTMENT', 8, 64, 0),
    (8, 'THREATLEVEL', 3, 0, 0),
    (9, 'COMPANY', 8, 64, 0);
INSERT INTO UDFOBJS (UDFOBJSID, TBLID, DDFLDID, DBOBJTYPE, LFIELD, LABEL) VALUES
    (1, 1, 1, 1, 1, 'Last name'),
    (2, 1, 2, 1, 2, 'First name'),
    (3, 1, 3, 1, 3, 'Middle name'),
    (4, 1, 4, 1, 4, 'Employee number'),
    (5, 1, 5, 1, 5, 'Allowed visitors'),
    (6, 1, 6, 1, 6, 'Last changed'),
    (7, 2, 7, 1, 7, 'Department'),
    (8, 2, 8, 1, 8, 'Threat level clearance'),
    (9, 1, 1, 9, 1, 'Last name'),
    (10, 1, 2, 9, 2, 'First name'),
    (11, 1, 3, 9, 3, 'Middle name'),
    (12, 1, 4, 9, 4, 'Document number'),
    (13, 1, 6, 9, 5, 'Last changed'),
    (14, 100100, 9, 9, 6, 'Company');
-- Photos (object 1, data type 0) of a cardholder and a visitor: tiny PNG headers.
INSERT INTO MMOBJS (EMPID, OBJECT, TYPE, BNT_BLOB, LASTCHANGED) VALUES
    (1, 1, 0, X'89504E470D0A1A0A0000000D49484452', '2024-01-02 09:00:00'),
    (4, 1, 0, X'89504E470D0A1A0A0000000D49484452', '2024-01-03 10:00:00'),
    (4, 513, 13, X'255044462D312E340A', '2024-01-03 10:00:00');
-- The accounts the local-accounts directory holds, and an LDAP directory with one account.
-- Three local accounts sign on to the bus with a password: the operator as "olive" ("olive-demo"),
-- the porter as "porter" ("porter-demo") and cardholder 1 as "aadler" ("ada-demo").
INSERT INTO BNT_DIRECTORY (BNT_DIRECTORYID, DIR_NAME, DIR_TYPE, DIR_HOSTNAME, DIR_PORT, DIR_USESSL,
                           DIR_ACCOUNTCLASS, DIR_ACCOUNTIDATTR, DIR_ACCOUNTUSERNAMEATTR,
                           DIR_ACCOUNTDISPLAYNAMEATTR, DIR_STARTNODE, DIR_ISTEMPLATE) VALUES
    (2, 'Corporate LDAP', 0, 'ldap.example.com', 636, 1, 'person', 'uid', 'uid', 'cn', 'dc=example,dc=com', 0),
    (3, 'LDAP template', 0, '', 389, 0, 'person', 'uid', 'uid', 'cn', '', 1);
INSERT INTO BNT_DIRECTORY_ACCOUNT (BNT_DIRECTORYID, ACCOUNTID, USERNAME, DISPLAYNAME, PASSWORD_HASH) VALUES
    (1, 'S-1-5-21-1004336348-1177238915-682003330-1001', 'olive', 'Olive Operator',
     'pbkdf2-sha256$100000$360911ffb1835cdb47bb2df45a948dc2$3b20654009353b9e873f83daed11278773977bc6e59a66e9141ab2d07bdfbabe'),
    (1, 'S-1-5-21-1004336348-1177238915-682003330-1002', 'aadler', 'Ada Adler',
     'pbkdf2-sha256$100000$5a17c0de9b3e4f21a6d8e0c2b4f61937$e07a956e1b05253bd147a2152e9696c260d418261bb9d7f88e656156811fed3d'),
    (1, 'S-1-5-21-1004336348-1177238915-682003330-1003', 'bbrandt', 'Bruno Brandt', NULL),
    (1, 'S-1-5-21-1004336348-1177238915-682003330-1008', 'porter', 'Paula Porter',
     'pbkdf2-sha256$100000$6d82f1aa2be593c85745a0b414bf903f$9582f3922f17964e057ccd5e9cbcbe9eb70fd9124ff75f555a6a8df23bf16d14'),
    (2, 'cclara', 'cclara', 'Clara Castell', NULL),
    (2, 'ddorn', 'ddorn', 'Dina Dorn', NULL);
-- Segment units with their limits, the all-segments unit, and the group Campus of both units.
INSERT INTO SEGMENT (SEGMENTID, NAME, TYPE) VALUES (10, 'Campus', 1);
INSERT INTO SEGMENT_GROUP_MEMBER (SEGMENTID, SEGMENTID_MEMBER) VALUES (10, 1), (10, 2);
INSERT INTO SEGMENT_UNIT (SEGMENTID, MAX_BADGE_NUMBER_LENGTH, MAX_ACCESS_LEVELS, MAX_TEMPORARY_ACCESS_LEVELS,
                          MAX_STANDARD_ACCESS_LEVELS, DYNAMIC_OPTION, HIDDEN) VALUES
    (-1, 12, 32, 8, 32, 0, 1),
    (1, 10, 16, 4, 16, 0, 0),
    (2, 10, 8, 2, 8, 0, 0);
-- Mobile verification: the system's threat level setting and the cardholder field holding a
-- cardholder's clearance.
INSERT INTO CONFIG_VALUE (CONFIGID, NUMBERVALUE, TEXTVALUE) VALUES (1010, 2, NULL), (1011, NULL, 'THREATLEVEL');

COMMIT;

-- Bus sign-on: the local accounts directory takes manual single sign-on (its password accounts are
-- in BNT_DIRECTORY_ACCOUNT). Credentials travel in plain text: configuration value 241 is absent
-- (0); a row (241, 1) asks bus clients to encrypt them.
BEGIN;
INSERT INTO BNT_DIRECTORY_SSO (BNT_DIRECTORYID, USE_MANUAL_SSO) VALUES (1, 1);
COMMIT;

-- Hardware commands: the demo operators may command and query panels, readers and their
-- inputs and outputs; the panel types of intrusion and elevator dispatching panels.
INSERT INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES
    (1, 0x30000010),   -- reader outputs
    (1, 0x30000011),   -- device status
    (1, 0x30000012),   -- panel control
    (1, 0x30000015),   -- mask reader inputs
    (1, 0x3000001A),   -- unmask reader inputs
    (1, 0x3000001E);   -- panel downloads
INSERT INTO PANELTYPE (PANELTYPEID, NAME, PANELCLASS) VALUES
    (30, 'Intrusion panel', 7),
    (31, 'Small intrusion panel', 7),
    (50, 'Elevator dispatching panel', 20);
INSERT INTO ACCESSPANE (PANELID, NAME, SEGMENTID, ONLINE1, PANELTZ, DAYLIGHTSAVE, HOSTNUM, TERMINALNA,
                        PRIMARYIP, COMPUTERNAME, PANELTYPE) VALUES
    (3, 'Vault intrusion panel', 1, 1, 1, 0, NULL, 'localhost', 0, 'localhost', 30),
    (4, 'Kiosk intrusion panel', 1, 1, 1, 0, NULL, 'localhost', 0, 'localhost', 31),
    (5, 'Tower elevator panel', 1, 1, 1, 0, NULL, 'localhost', 0, 'localhost', 50);
INSERT INTO ALARMPANEL (NAME, ALARMPID, PANELID, CTRLTYPE) VALUES
    ('Lobby alarm board', 65, 1, 0),
    ('Lobby extension board', 193, 1, 0);

-- Hardware events: alarm definition details, an audio clip and the areas of the lobby readers.
BEGIN;
INSERT INTO AUDIO (AUDIOID, AUDIOTYPE, NAME, PLAYLENGTH) VALUES
    (1, 0, 'Siren', 4);
UPDATE ALARM SET NOTIFTYPE = 136, AUDIONOTIFID = 1, AUDNOTREPEATFREQ = 10 WHERE ALID = 1;
UPDATE ALARM SET NOTIFTYPE = 128 WHERE ALID = 2;
UPDATE ALARM SET NOTIFTYPE = 136, ACKPASSWORD = 'duress' WHERE ALID = 3;
UPDATE ALARM SET NOTIFTYPE = 8200 WHERE ALID = 4;
INSERT INTO AREAAPB (AREAAPBID, NAME, AREAAPB_TYPE) VALUES
    (1, 'Outside', 0),
    (2, 'Lobby', 0);
UPDATE READER SET AREAENTER = 2, AREALEAVE = 1 WHERE PANELID = 1 AND READERID = 0;
UPDATE READER SET AREAENTER = 1, AREALEAVE = 2 WHERE PANELID = 1 AND READERID = 1;
-- The linkage server runs on this workstation.
INSERT INTO WRKSTATION (ID, NAME, BNT_DBID) VALUES (1, 'localhost', 0);
INSERT INTO LINKAGE_SERVER (LINKAGE_SERVERID, BNT_DBID, WRKSTATIONID) VALUES (1, 0, 1);
COMMIT;

-- Logged events: the event history of the demo panels, and the operators' right to view it.
-- The card numbers are the demo badges' IDs (badge 100001 of Ada Adler, ...), so the events of
-- a badge are found by its ID; 9999 is a card the installation does not know (access denied).
INSERT INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES (1, 0x30000000);
INSERT INTO EVENTS (SERIALNUM, EVENT_TIME_UTC, MACHINE, DEVID, INPUTDEVID, EVENTTYPE, EVENTID, EVENT_TEXT, CARDNUM,
                    CARD_EXTENDED_ID, ISSUECODE, ASSETID, EMPID) VALUES
    (101, '2026-12-07 07:00:00', 1, 1, 0, 0, 0, '', 100001, '', 0, 0, 1),
    (102, '2026-12-07 07:05:00', 1, 1, 0, 0, 2, '', 100002, '', 0, 0, 2),
    (103, '2026-12-07 07:10:00', 2, 1, 0, 1, 0, '', 9999, '', 0, 0, 0),
    (104, '2026-12-07 07:15:00', 1, 1, 0, 2, 0, '', 100003, '', 1, 0, 3),
    (105, '2026-12-07 07:20:00', 2, 2, 0, 4, 5, '', 0, '', 0, 0, 0);

-- Business-event subscriptions of bus clients: the operator's active durable subscription 1 (it
-- expires seven days after its last update) and disabled subscription 2; new ids are drawn from 3.
BEGIN;
INSERT INTO NEXTID (TYPE, NEXTVAL) VALUES (329, 3);
INSERT INTO BUSINESS_EVENT_SUBSCRIPTION (BUSINESS_EVENT_SUBSCRIPTIONID, USER_ID, NAME, DESCRIPTION, EVENT_FILTER,
    IS_DURABLE, DESTINATION_NAME, ROUTING_KEY, MESSAGE_BROKER_HOSTNAME, MESSAGE_BROKER_PORT,
    REQUIRES_SECURE_CONNECTION, CREATED_DATE, LAST_UPDATED_DATE, DISABLED_DATE) VALUES
    (1, 1, '5b1f0f7e-3c1d-4a8e-9d2b-7c4e1a6f9b30', 'Lobby door alarms', 'EventType = 4', 1, 'amq.topic',
     'c2a8e4d1-7f3b-4e69-8a15-0d9b6c3e2f47', 'broker.demo.local', 5671, 1,
     '2026-12-01 08:00:00', '2026-12-06 10:00:00', NULL),
    (2, 1, 'e8d4b2a6-1c9f-4d3e-b7a0-5f2c8e1d6b94', 'Old visitor sign-ins', '', 0, 'amq.topic',
     '0f6c3a9e-8b2d-4c71-9e45-a3d7b1f0c286', 'broker.demo.local', 5671, 1,
     '2026-11-20 09:30:00', '2026-11-22 17:45:00', '2026-11-22 17:45:00');
COMMIT;

-- The provider's administrator and the user-defined lists:
--   admin     password "admin-demo"     every right of every permission group type, every field
BEGIN;

INSERT INTO DDTBL (ID, NAME, TBLNAME, ISLIST) VALUES
    (200, 'Department', 'DEPARTMENT', 1),
    (201, 'Job Title', 'JOBTITLE', 1);
INSERT INTO DEPARTMENT (ID, NAME, SEGMENTID) VALUES
    (1, 'Security', -1),
    (2, 'Facilities', 1),
    (3, 'Logistics', 2);
INSERT INTO JOBTITLE (ID, NAME) VALUES
    (1, 'Guard'),
    (2, 'Engineer');

-- Permission groups of the administrator (system 1, cardholder 2, monitoring 3), each granting
-- every permission id of all three ranges (the low twelve bits of every id the classes ask
-- for): a group of one type may hold ids of another range, as the operator's monitoring group
-- does, and the administrator covers every group it hands out.
INSERT INTO USER_PERM (USER_PERMID, NAME, SEGMENTID, TYPE, DEVICES_ARE_EXCLUDED) VALUES
    (90, 'Demo system administrators', -1, 1, 0),
    (91, 'Demo card administrators', -1, 2, 0),
    (92, 'Demo monitoring administrators', -1, 3, 0);
WITH RECURSIVE LOWBITS(N) AS (SELECT 0 UNION ALL SELECT N + 1 FROM LOWBITS WHERE N < 4095)
INSERT INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID)
    SELECT GROUPS.ID, RANGES.BASE + N FROM LOWBITS,
        (SELECT 90 AS ID UNION ALL SELECT 91 UNION ALL SELECT 92) AS GROUPS,
        (SELECT 0x10000000 AS BASE UNION ALL SELECT 0x20000000 UNION ALL SELECT 0x30000000) AS RANGES;

-- USER_PERM_UDFID -1: every user-defined field without a permission list.
INSERT INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, MZID, LOGONPWD, ISENABLED,
                   SYSTEM_USER_PERMID, MONITOR_USER_PERMID, CARD_USER_PERMID, REPORT_USER_PERMID,
                   USER_PERM_UDFID, CREATED, LASTCHANGED, NOTES, IS_AUTO_CREATED_USER, BNT_DBID) VALUES
    (90, 'admin', 'Adrian', 'Admin', -1, 0,
     'pbkdf2-sha256$100000$5a1d7e0c93b24f6a8e21c7d04b9f3a61$017c30857b420166b1464154f0db60498e7ecfa2bf22464dee448be4e0f0840c',
     1, 90, 92, 91, 0, -1, '2024-01-01 00:00:00', '2024-01-01 00:00:00', 'Demo provider administrator', 0, 1);
INSERT INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID) VALUES
    (90, 90, 1, 'S-1-5-21-1004336348-1177238915-682003330-1090');
UPDATE NEXTID SET NEXTVAL = 91 WHERE TYPE IN (15, 32803);

COMMIT;

-- Badges: the badge layout, badge ID settings, badges of several types and statuses, and the
-- card operators' badge rights.
BEGIN;
INSERT INTO CONFIG_VALUE (CONFIGID, NUMBERVALUE) VALUES
    (1601, 1),   -- system-wide badge ID mode: generated
    (1602, 1),   -- badge IDs may be entered by hand
    (1603, 0),   -- default issue code
    (1604, 2),   -- active badges per person
    (1605, 4),   -- PIN length kind (6, 9, else 4 digits)
    (1606, 1),   -- PINs may be edited
    (1607, 0);   -- PINs need not be unique
INSERT INTO DDFLD (DDFLDID, FLDNAME, CIMTYPE, MAXLEN, REQUIRED, LISTID) VALUES
    (101, 'ISSUECODE', 3, 0, 0, NULL),
    (102, 'TYPE', 3, 0, 1, 7),
    (103, 'STATUS', 3, 0, 0, 8),
    (104, 'ACTIVATE', 101, 0, 0, NULL),
    (105, 'DEACTIVATE', 101, 0, 0, NULL),
    (106, 'USELIMIT', 3, 0, 0, NULL),
    (107, 'PIN', 8, 9, 0, NULL),
    (108, 'PRINTS', 3, 0, 0, NULL),
    (109, 'APBEXEMPT', 3, 0, 0, NULL),
    (110, 'EXTEND_STRIKE_HELD', 3, 0, 0, NULL),
    (111, 'DEADBOLT_OVERRIDE', 3, 0, 0, NULL),
    (112, 'PASSAGE_MODE', 3, 0, 0, NULL),
    (113, 'DEFAULT_DOOR', 3, 0, 0, NULL),
    (114, 'LASTCHANGED', 101, 0, 0, NULL);
INSERT INTO UDFOBJS (UDFOBJSID, TBLID, DDFLDID, DBOBJTYPE, LFIELD, LABEL) VALUES
    (101, 3, 101, 3, 1, 'Issue code'),
    (102, 3, 102, 3, 2, 'Badge type'),
    (103, 3, 103, 3, 3, 'Status'),
    (104, 3, 104, 3, 4, 'Activate'),
    (105, 3, 105, 3, 5, 'Deactivate'),
    (106, 3, 106, 3, 6, 'Use limit'),
    (107, 3, 107, 3, 7, 'PIN'),
    (108, 3, 108, 3, 8, 'Prints'),
    (109, 3, 109, 3, 9, 'Anti-passback exempt'),
    (110, 3, 110, 3, 10, 'Extended strike held'),
    (111, 3, 111, 3, 11, 'Deadbolt override'),
    (112, 3, 112, 3, 12, 'Passage mode'),
    (113, 3, 113, 3, 13, 'Default door'),
    (114, 3, 114, 3, 14, 'Last changed');
INSERT INTO BADGSTAT (ID, NAME) VALUES (0, 'Inactive');
INSERT INTO BADGETYP (ID, NAME, BADGE_CLASS, DISPOSABLE, DEFGROUP, SEGMENTID) VALUES
    (3, 'Contractor', 3, 0, 0, -1),
    (4, 'Temporary', 1, 0, 1, -1);
INSERT INTO BADGETYP_IDCONFIG (BADGETYPEID, ID_MODE, MANUAL_ID, DEFAULT_ISSUECODE, NEGATIVE_ID, VALID_DAYS) VALUES
    (2, 5, 0, 0, 0, 1),
    (3, 3, 1, 1, 0, 0),
    (4, 4, 0, 0, 0, 30);
INSERT INTO BADGEID_RANGE (BADGEID_RANGEID, BADGETYPEID, RANGE_START, RANGE_END, NEXT_ID) VALUES
    (1, 4, 200000, 299999, 200001);
INSERT INTO BADGE (BADGEKEY, ID, ISSUECODE, TYPE, STATUS, EMPID, ACTIVATE, DEACTIVATE, USELIMIT, PIN, PRINTS,
                   LASTCHANGED) VALUES
    (5, 300001, 1, 3, 1, 3, '2024-02-01 00:00:00', NULL, NULL, NULL, 1, '2024-02-01 08:00:00'),
    (6, 200000, 0, 4, 3, 1, '2024-02-01 00:00:00', '2024-03-02 00:00:00', 5, NULL, 0, '2024-02-01 08:05:00');
INSERT INTO BADGE_FIPS201 (BADGEKEY, FASCN, TWIC_PRIVACY_KEY, TPK_ALGORITHM_ID, GUID, CREDENTIAL_TYPE) VALUES
    (5, X'0AFF', NULL, 0, NULL, 1);
INSERT INTO NEXTID (TYPE, NEXTVAL) VALUES (24, 1);
UPDATE NEXTID SET NEXTVAL = 7 WHERE TYPE = 25;
UPDATE NEXTID SET NEXTVAL = 300002 WHERE TYPE = 1;
UPDATE NEXTID SET NEXTVAL = 5 WHERE TYPE = 32781;
INSERT OR IGNORE INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES
    (2, 0x20000006),   -- view badges
    (2, 0x20000007),   -- add badges
    (2, 0x20000008),   -- modify badges
    (2, 0x2000000A),   -- delete badges
    (2, 0x20000005),   -- modify cardholders (a badge changes its owner)
    (2, 0x20000013),   -- view badge types
    (2, 0x10000026);   -- view badge statuses
COMMIT;

-- Access levels, assignments and requests: the operator may view, add, change and delete levels
-- and assign them to badges; a level held by no badge; access level requests in each stage
-- (submitted, approved, on hold, denied).
BEGIN;
INSERT INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES
    (1, 0x1000000B),   -- view access levels
    (1, 0x1000000C),   -- add access levels, write access requests
    (1, 0x1000000D),   -- change access levels
    (1, 0x1000001E),   -- delete access levels
    (1, 0x10000031),   -- view permission groups
    (2, 0x20000000),   -- view access level assignments
    (2, 0x20000002);   -- assign access levels
INSERT INTO ACCESSLVL (ACCESSLVID, DESCRIPT, SEGMENTID, AVAILABLE_FOR_REQUEST, COMMAND, DOWNLOAD, FIRST_CARD_UNLOCK) VALUES
    (3, 'Night shift', 1, 1, 0, 1, 0);
INSERT INTO ACCESS_REQUEST (ID, TYPE, EMPID, ACCESSLVID, SUBMITTED_DATE, SUBMITTED_USERID, SUBMITTED_NOTE,
                            APPROVED_DATE, APPROVED_USERID, ONHOLD_DATE, ONHOLD_USERID, DENIED_DATE, DENIED_USERID,
                            READERID, PANELID) VALUES
    (1, 1, 2, 1, '2024-02-01 09:00:00', 1, 'Needs the lobby', NULL, NULL, NULL, NULL, NULL, NULL, 0, 0),
    (2, 1, 1, 1, '2024-02-01 09:10:00', 1, NULL, '2024-02-01 10:00:00', 1, NULL, NULL, NULL, NULL, 0, 0),
    (3, 1, 3, 1, '2024-02-01 09:20:00', 1, NULL, NULL, NULL, '2024-02-01 10:05:00', 1, NULL, NULL, 0, 0),
    (4, 1, 2, 2, '2024-02-01 09:30:00', 1, NULL, NULL, NULL, NULL, NULL, '2024-02-01 10:10:00', 1, 0, 0);
UPDATE NEXTID SET NEXTVAL = 4 WHERE TYPE = 32768;
INSERT OR IGNORE INTO NEXTID (TYPE, NEXTVAL) VALUES (85, 5);
COMMIT;

-- Device mappers II: the annex panel with a reader of each kind, an alarm board and an
-- elevator alarm panel with their inputs and outputs, and a camera; the vault's intrusion
-- areas, doors, relays and zones; a tower elevator terminal; a video recorder; a logical
-- source with a device and a sub-device; and the operators' rights to command them.
BEGIN;
INSERT INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES
    (1, 0x1000002A),   -- view authentication modes
    (1, 0x10000035),   -- view camera groups
    (1, 0x10000042),   -- view anti-passback areas
    (1, 0x1000006D),   -- view cameras and recorders
    (1, 0x100000EA),   -- view intrusion zones
    (1, 0x100000ED),   -- view on-board relays
    (1, 0x100000EE),   -- view off-board relays
    (1, 0x100000F0),   -- view intrusion doors
    (1, 0x100000F2),   -- view intrusion areas
    (1, 0x1000010C),   -- view logical sources and devices
    (1, 0x1000010D),   -- add logical sources and devices
    (1, 0x1000010E),   -- modify logical sources and devices
    (1, 0x1000010F),   -- delete logical sources and devices
    (1, 0x10000131),   -- view elevator terminals
    (1, 0x3000002B),   -- arm areas, remove zone bypasses
    (1, 0x3000002C),   -- disarm areas, bypass zones
    (1, 0x3000002D),   -- silence areas
    (1, 0x30000036);   -- elevator terminal modes and floors
INSERT INTO PANELTYPE (PANELTYPEID, NAME, PANELCLASS) VALUES
    (36, 'BNVR', 0),
    (39, 'Logical source', 0);
INSERT INTO ACCESSPANE (PANELID, NAME, SEGMENTID, ONLINE1, PANELTZ, DAYLIGHTSAVE, HOSTNUM, TERMINALNA,
                        PRIMARYIP, COMPUTERNAME, PANELTYPE) VALUES
    (6, 'Annex panel', 1, 1, 1, 0, 'localhost', 'localhost', 0, 'localhost', 15),
    (7, 'Annex recorder', 1, 1, 1, 0, NULL, 'localhost', 0, 'localhost', 36),
    (8, 'Building management', 1, 1, 1, 0, NULL, 'WORKSTATION', 0, 'localhost', 39);
INSERT INTO READER (PANELID, READERID, READERDESC, FRIENDLY_NAME, CTRLTYPE, TIMEATT, SLAVEID) VALUES
    (6, 0, 'Annex entry', 'Annex entry', 1, 0, NULL),
    (6, 1, 'Annex onboard in', 'Annex onboard in', 20, 0, 2),
    (6, 2, 'Annex onboard out', 'Annex onboard out', 21, 0, 1),
    (6, 3, 'Annex slave', 'Annex slave', 30, 0, NULL);
INSERT INTO ALARMPANEL (NAME, ALARMPID, PANELID, CTRLTYPE) VALUES
    ('Annex alarm board', 66, 6, 0),
    ('Annex elevator board', 67, 6, 40);
INSERT INTO ALARMINPUT (NAME, ALARMINPUTID, PANELID, ALARMPID, INPUTID) VALUES
    ('Annex window', 1, 6, 66, 3),
    ('Annex roof hatch', 2, 6, 66, 32),
    ('Annex car alarm', 3, 6, 67, 1);
INSERT INTO RELAYOUTPT (NAME, RELAYOUTPTID, PANELID, ALARMPID, OUTPUTID, PULSEDURAT) VALUES
    ('Annex siren', 1, 6, 66, 17, 5),
    ('Annex car bell', 2, 6, 67, 17, 3);
INSERT INTO CCTVDEVICE (NAME, CCTVDEVICEID, PANELID, CAMERATYPEID, CHANNEL, VIDEO_STANDARD, IP_ADDRESS, PORT,
                        RESOLUTIONX, RESOLUTIONY, MOTIONBITRATE, NONMOTIONBITRATE, FRAMERATE, TYPENAME) VALUES
    ('Annex entrance camera', 1, 6, 1, 1, 'PAL', 0, 80, 1920, 1080, 4096, 1024, 25, 'Fixed dome');
INSERT INTO ACCOUNT_AREA (ACCOUNT_AREAID, PANELID, AREANUM, AREATYPE, NAME) VALUES
    (1, 3, 0, 0, 'Vault'),
    (2, 3, 1, 0, 'Vault antechamber');
INSERT INTO INTRUSION_DEVICE (INTRUSION_DEVICEID, DEVICEID, PANELID, NAME, DEVTYPE, ZONE_OUTPUT) VALUES
    (1, 0, 3, 'Vault door', 4, 0),
    (2, 1, 3, 'Vault siren relay', 3, 0),
    (3, 0, 3, 'Vault strobe relay', 2, 0),
    (4, 0, 3, 'Vault motion zone', 1, 0),
    (5, 1, 3, 'Vault beacon output', 1, 1);
INSERT INTO DEVICE_GROUP (DEVICEGROUPID, NAME, SEGMENTID, TYPE) VALUES
    (1, 'Annex cameras', 1, 3),
    (2, 'Annex readers', 1, 1);
INSERT INTO DEVICE_GROUP_LINK (DEVICEGROUPID, PANELID, DEVICEID) VALUES (1, 6, 1), (2, 6, 0);
UPDATE AREAAPB SET SEGMENTID = 1 WHERE AREAAPBID IN (1, 2);
INSERT INTO AREAAPB (AREAAPBID, NAME, AREAAPB_TYPE, PANELID, SEGMENTID) VALUES
    (3, 'Annex', 0, 6, 1);
INSERT INTO ELEVATOR_KEYPAD_TERMINAL (TERMINALID, PANELID, IPADDRESS, NAME) VALUES
    (1, 5, 2, 'Tower lobby keypad');
INSERT INTO ELEVATOR_FLOOR_LIST (FLOOR_LISTID, NAME) VALUES (1, 'Tower offices');
INSERT INTO ELEVATOR_FLOOR_LIST_FLOOR (FLOOR_LISTID, FLOOR) VALUES (1, 1), (1, 9), (1, 12);
INSERT INTO VEXLET_DEVICE (VEXLET_DEVICEID, PANELID, NAME, SUB_DEVICEID) VALUES
    (1, 8, 'Chiller', 0),
    (1, 8, 'Chiller pump', 1);
-- The recorder's login (its connection key is the recorder's to hand out).
UPDATE ACCESSPANE SET LOGIN_USER = 'ANNEX\nvr', LOGIN_PASSWORD = 'nvr-demo' WHERE PANELID = 7;
INSERT INTO ACCESSPANE_CONNECTION (HTTP_PORT, HTTPS_PORT, PANELID) VALUES (80, 443, 7);
-- The counters pass the rows above.
UPDATE NEXTID SET NEXTVAL = 9 WHERE TYPE = 4;
UPDATE NEXTID SET NEXTVAL = 4 WHERE TYPE = 40;
UPDATE NEXTID SET NEXTVAL = 2 WHERE TYPE IN (53, 54, 55);
COMMIT;

-- Visits and guard tours: a visit today and one tomorrow (times of day are local), a second
-- sign-in location with a self-service station, a guard tour, the linkage server of database 1
-- and the operator's rights to view and sign visits and launch tours.
BEGIN;
INSERT INTO VISIT_EVENT_SIGN_IN_LOCATION (ID, NAME, SEGMENTID, WORLDTZID) VALUES (2, 'Dock gate', 2, 1);
INSERT INTO VISIT_SELF_SERVICE_STATION (ID, NAME, UNIQUE_IDENTIFIER, VISIT_EVENT_SIGN_IN_LOCATIONID) VALUES
    (1, 'Lobby kiosk', 'KIOSK-01', 1);
INSERT INTO VISIT_EVENT (VISIT_EVENTID, NAME, EMPID, SOURCE_BNT_DBID, SCHEDULED_TIMEIN, SCHEDULED_TIMEOUT,
                         LASTCHANGED_UTC, VISIT_EVENT_SIGN_IN_LOCATIONID) VALUES
    (2, 'Visit of Castell, Clara and Ebert, Emil', 3, 1,
     datetime('now', 'localtime', 'start of day', '+9 hours'),
     datetime('now', 'localtime', 'start of day', '+17 hours'), datetime('now'), 2),
    (3, 'Visit of Adler, Ada and Dorn, Dina', 1, 1,
     datetime('now', 'localtime', 'start of day', '+1 day', '+10 hours'),
     datetime('now', 'localtime', 'start of day', '+1 day', '+12 hours'), datetime('now'), 1);
INSERT INTO VISIT (VISITID, VISIT_EVENTID, EMPID, VISITORID, LASTCHANGED_UTC, EMAIL_INCLUDE_HOST) VALUES
    (2, 2, 3, 5, datetime('now'), 1),
    (3, 3, 1, 4, datetime('now'), 0);
INSERT INTO VISIT_EMAIL_LINK (EMAILID, VISITID, ADDRESS, HOST, VISITOR, EMPID, SEGMENTID) VALUES
    (1, 2, NULL, 1, 0, 3, -9999),
    (2, 2, 'reception@example.com', 0, 0, NULL, -9999);
INSERT INTO TOUR (TOUR_ID, TOUR_NAME) VALUES (1, 'Night round');
INSERT INTO WRKSTATION (ID, NAME, BNT_DBID) VALUES (2, 'localhost', 1);
INSERT INTO LINKAGE_SERVER (LINKAGE_SERVERID, BNT_DBID, WRKSTATIONID) VALUES (2, 1, 2);
UPDATE NEXTID SET NEXTVAL = 4 WHERE TYPE IN (23, 318);
UPDATE NEXTID SET NEXTVAL = 2 WHERE TYPE IN (36, 84);
INSERT INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES
    (1, 0x100000B4),   -- view guard tours
    (1, 0x100000BA),   -- launch guard tours
    (2, 0x20000027),   -- view visits
    (2, 0x20000028),   -- add visits
    (2, 0x20000029),   -- modify visits
    (2, 0x2000004B),   -- sign visits in and out
    (2, 0x2000005E);   -- view sign-in locations and self-service stations
COMMIT;

-- Reader requests: one for a reader of level 1 (which user 1 manages with full rights), one for a reader of level 2 only.
INSERT INTO ACCESS_REQUEST (ID, TYPE, EMPID, ACCESSLVID, SUBMITTED_DATE, SUBMITTED_USERID, SUBMITTED_NOTE,
                            READERID, PANELID) VALUES
    (5, 0, 2, NULL, '2024-02-02 09:00:00', 1, 'Lobby entry after hours', 0, 1),
    (6, 0, 3, NULL, '2024-02-02 09:30:00', 1, NULL, 0, 2);
UPDATE NEXTID SET NEXTVAL = 7 WHERE TYPE = 85;

-- Enough to walk every road of the system on the demo: the alarm definitions' instruction texts,
-- authentication modes (one of another database), PTZ presets of the annex camera, a badge for the visitor of visit 2 (so
-- signing that visit in and out changes a badge the communication server hears of), and four
-- more cardholders (seven in all, so a page of five has a second page). The recorder's
-- connection key is wrapped with the exchange phrase that `provixa init` writes to registry.ini.
BEGIN;
INSERT INTO TEXTOBJ (TXTID, NAME, TXTDATA) VALUES
    (1, 'Forced door', 'Send the nearest guard; check the door and the camera of the reader.'),
    (2, 'Held door', 'Call the cardholder of the last access; close the door.'),
    (3, 'Duress', 'Do not call back. Notify the police and follow the duress procedure.'),
    (4, 'Fire', 'Call the fire brigade; open the evacuation routes.');
UPDATE ALARM SET TXTID = ALID WHERE ALID IN (1, 2, 3, 4);
INSERT INTO PIV_AUTHENTICATION_MODE (PIV_AUTHENTICATION_MODEID, NAME, BNT_DBID) VALUES
    (1, 'Card only', 1),
    (2, 'Card and PIN', 1),
    (3, 'Card and biometric', 2);
INSERT INTO PTZ_PRESET (PTZ_PRESETID, PANELID, CHANNEL, NAME, PRESET_TYPE, PAN, TILT, ZOOM, CAMERA_PRESET, DURATION,
                        FOCUS, IRIS) VALUES
    (1, 6, 1, 'Entrance door', 0, 10.0, -5.0, 1.0, 1, 0, 0.0, 0.0),
    (2, 6, 1, 'Loading bay', 0, 120.0, -15.0, 2.5, 2, 0, 0.0, 0.0);
INSERT INTO BADGE (BADGEKEY, ID, ISSUECODE, TYPE, STATUS, EMPID, ACTIVATE, DEACTIVATE, USELIMIT, LASTCHANGED) VALUES
    (7, 100005, 0, 2, 0, 5, NULL, NULL, NULL, '2024-01-03 10:05:00');
INSERT INTO EMP (ID, LASTNAME, FIRSTNAME, MIDNAME, SSNO, ALLOWEDVISITORS, LASTCHANGED, SEGMENTID, VISITOR, GUARD) VALUES
    (6, 'Falk', 'Frieda', '', 'E-1006', 0, '2024-01-04 09:00:00', 1, 0, 0),
    (7, 'Gruber', 'Gustav', '', 'E-1007', 0, '2024-01-04 09:05:00', 1, 0, 0),
    (8, 'Hahn', 'Hanna', '', 'E-1008', 1, '2024-01-04 09:10:00', 2, 0, 0),
    (9, 'Imhof', 'Ines', '', 'E-1009', 0, '2024-01-04 09:15:00', 1, 0, 0);
INSERT INTO UDFEMP (ID) VALUES (6), (7), (8), (9);
UPDATE ACCESSPANE_CONNECTION SET CONNECTION_KEY = x'010200000266000002660000F1287B330451909FF4C51C457AB4C70A0507AEE0ECC750B8'
    WHERE PANELID = 7;
UPDATE NEXTID SET NEXTVAL = 10 WHERE TYPE = 2;
UPDATE NEXTID SET NEXTVAL = 8 WHERE TYPE = 25;
COMMIT;
