// AccessCodes: the permission ids the mappers and the provider check, the operation and object
// kind numbers of the audit records and the object kinds of the replication entries, each
// declared once. The numbers are the installation's: its permission table, audit log and
// replication log store them, so they never change.
//
// Constants only; safe from any thread.
#pragma once

#include "platform/win32/WinTypes.h"

namespace Permission {

// The right to use the data-integration service at all.
constexpr DWORD kUseProvider = 0x100000D0;

// Viewing device and configuration classes.
constexpr DWORD kViewPanels = 0x10000000;
constexpr DWORD kViewReaders = 0x10000003;
constexpr DWORD kModifyReaders = 0x10000005;
constexpr DWORD kViewEventConfiguration = 0x10000017;
constexpr DWORD kViewAuthenticationModes = 0x1000002A;
constexpr DWORD kViewCameraGroups = 0x10000035;
constexpr DWORD kViewAreas = 0x10000042;
constexpr DWORD kViewVideoDevices = 0x1000006D;
constexpr DWORD kViewLogicalDevices = 0x1000010C;
constexpr DWORD kAddLogicalDevices = 0x1000010D;
constexpr DWORD kModifyLogicalDevices = 0x1000010E;
constexpr DWORD kDeleteLogicalDevices = 0x1000010F;
constexpr DWORD kViewElevatorTerminals = 0x10000131;
constexpr DWORD kViewIntrusionZones = 0x100000EA;
constexpr DWORD kViewIntrusionOnBoardRelays = 0x100000ED;
constexpr DWORD kViewIntrusionOffBoardRelays = 0x100000EE;
constexpr DWORD kViewIntrusionDoors = 0x100000F0;
constexpr DWORD kViewIntrusionAreas = 0x100000F2;
constexpr DWORD kViewLogicalUserAccounts = 0x20000055;
constexpr DWORD kWriteLogicalUserAccounts = 0x20000056;

// Records: access levels and their assignments, system users, the calendar, monitoring
// zones, permission groups, directories, badges, visits and accounts.
constexpr DWORD kViewAccessLevels = 0x1000000B;
// Adding access levels; also writing access requests.
constexpr DWORD kAddAccessLevels = 0x1000000C;
constexpr DWORD kModifyAccessLevels = 0x1000000D;
constexpr DWORD kDeleteAccessLevels = 0x1000001E;
constexpr DWORD kViewUsers = 0x1000000E;
constexpr DWORD kAddUsers = 0x1000000F;
constexpr DWORD kModifyUsers = 0x10000010;
constexpr DWORD kDeleteUsers = 0x1000001D;
// Holidays and access time zones.
constexpr DWORD kViewCalendar = 0x10000011;
constexpr DWORD kViewMonitoringZones = 0x10000014;
constexpr DWORD kChangeMonitoringZones = 0x10000016;
constexpr DWORD kViewPermissionGroups = 0x10000031;
constexpr DWORD kViewDirectories = 0x100000BB;
constexpr DWORD kViewAccessLevelAssignments = 0x20000000;
// Assigning any access level, not only those the user manages.
constexpr DWORD kAssignAccessLevels = 0x20000002;
// Seeing cardholders takes both of the first two; seeing visitors the third.
constexpr DWORD kViewCardholders = 0x20000003;
constexpr DWORD kViewCardholdersSecond = 0x20000057;
constexpr DWORD kViewVisitors = 0x20000023;
constexpr DWORD kAddCardholders = 0x20000004;
constexpr DWORD kModifyCardholders = 0x20000005;
constexpr DWORD kDeleteCardholders = 0x20000009;
constexpr DWORD kAddVisitors = 0x20000024;
constexpr DWORD kModifyVisitors = 0x20000025;
constexpr DWORD kDeleteVisitors = 0x20000026;
constexpr DWORD kViewBadges = 0x20000006;
constexpr DWORD kAddBadges = 0x20000007;
constexpr DWORD kModifyBadges = 0x20000008;
constexpr DWORD kDeleteBadges = 0x2000000A;
constexpr DWORD kViewVisits = 0x20000027;
constexpr DWORD kAddVisits = 0x20000028;
constexpr DWORD kModifyVisits = 0x20000029;
constexpr DWORD kDeleteVisits = 0x2000002A;
// Signing a visit's visitors in and out.
constexpr DWORD kSignVisits = 0x2000004B;
// Self-service stations; viewing them is also what viewing sign-in locations needs.
constexpr DWORD kViewVisitStations = 0x2000005E;
constexpr DWORD kAddVisitStations = 0x2000005F;
constexpr DWORD kDeleteVisitStations = 0x20000061;
constexpr DWORD kViewAccounts = 0x20000049;
// Adding, modifying and deleting accounts.
constexpr DWORD kChangeAccounts = 0x2000004A;
constexpr DWORD kViewBadgeStatuses = 0x10000026;
constexpr DWORD kAddBadgeStatuses = 0x10000027;
constexpr DWORD kModifyBadgeStatuses = 0x10000028;
constexpr DWORD kDeleteBadgeStatuses = 0x10000029;
constexpr DWORD kViewBadgeTypes = 0x20000013;
// Changing the ID, issue code or type of a badge that has been printed.
constexpr DWORD kEditPrintedBadges = 0x2000001A;
// A person's secondary segments; changing covers adding and deleting.
constexpr DWORD kViewSecondarySegments = 0x20000045;
constexpr DWORD kChangeSecondarySegments = 0x20000046;
constexpr DWORD kViewGuardTours = 0x100000B4;
constexpr DWORD kLaunchGuardTours = 0x100000BA;
// The users who manage each access level.
constexpr DWORD kViewLevelManagers = 0x1000013E;
// The event history.
constexpr DWORD kViewLoggedEvents = 0x30000000;

// Device commands.
constexpr DWORD kControlOutputs = 0x30000010;
// Hardware status of every device, and the mode of readers and intrusion doors.
constexpr DWORD kControlDevices = 0x30000011;
// Opening doors, and the connection, clock and status of panels.
constexpr DWORD kControlDoorsAndPanels = 0x30000012;
constexpr DWORD kMaskInputs = 0x30000015;
constexpr DWORD kUnmaskInputs = 0x3000001A;
constexpr DWORD kDownloadPanels = 0x3000001E;
// Live video; also what viewing PTZ presets needs.
constexpr DWORD kViewLiveVideo = 0x30000026;
// Arming an intrusion area and taking a zone out of bypass share one permission, as do
// disarming and bypassing.
constexpr DWORD kArmAreasUnbypassZones = 0x3000002B;
constexpr DWORD kDisarmAreasBypassZones = 0x3000002C;
constexpr DWORD kSilenceAreas = 0x3000002D;
constexpr DWORD kViewRecordedVideo = 0x3000002E;
constexpr DWORD kExportVideo = 0x30000030;
constexpr DWORD kSearchVideo = 0x30000031;
constexpr DWORD kControlElevatorTerminals = 0x30000036;
constexpr DWORD kTransmitAudio = 0x30000038;

}  // namespace Permission

namespace AuditOperation {

// The record writes (brontel::UserTranOperation); a modify is also the audit of the toggle,
// mode and bypass commands.
constexpr LONG kAdd = 4;
constexpr LONG kModify = 6;
constexpr LONG kDelete = 7;
constexpr LONG kOpenDoor = 8;
constexpr LONG kConnection = 12;
constexpr LONG kSetClock = 14;
constexpr LONG kMask = 16;
constexpr LONG kDownload = 20;
// Activating an output; also arming an area.
constexpr LONG kActivate = 22;
// Deactivating an output; also disarming an area.
constexpr LONG kDeactivate = 23;
constexpr LONG kUnmask = 24;
constexpr LONG kPulse = 26;
constexpr LONG kResetUseLimit = 34;
// Assigning an access group to a badge.
constexpr LONG kAssignAccessGroup = 41;
constexpr LONG kUpdateHardwareStatus = 46;
// Reading a device's status; also handing out a recorder's authentication data.
constexpr LONG kReadStatus = 64;
constexpr LONG kSilence = 144;

}  // namespace AuditOperation

namespace AuditObject {

// The object kinds of the audit rows (brontel::UserTranObject). Stored rows carry these numbers,
// so they never change; a class audits under the kind its records are filed as.
// A request to assign an access group to a badge (filed apart from the badge's own kind).
constexpr LONG kAccessGroupAssignment = 1;
constexpr LONG kAccessLevel = 2;
constexpr LONG kInput = 7;
constexpr LONG kOutput = 9;
// Badges, with their card credential data.
constexpr LONG kBadge = 10;
constexpr LONG kCardholder = 13;
// A badge's access level or group assignments.
constexpr LONG kAccessAssignment = 14;
constexpr LONG kCamera = 15;
// Monitoring zones; a change of a zone's device links is audited as a change of the zone.
constexpr LONG kMonitoringZone = 22;
// A person's multimedia objects.
constexpr LONG kMultimediaObject = 23;
constexpr LONG kReader = 25;
// Access panels, recorders among them.
constexpr LONG kPanel = 33;
constexpr LONG kVisit = 34;
constexpr LONG kPersonSecondarySegment = 43;
// System users; also their logical accounts and a badge's card properties.
constexpr LONG kUser = 48;
constexpr LONG kBadgeStatus = 53;
constexpr LONG kVisitor = 55;
// A person's account links.
constexpr LONG kPersonAccount = 58;
constexpr LONG kAlarmPanel = 76;
constexpr LONG kIntrusionZone = 118;
constexpr LONG kIntrusionOnBoardRelay = 119;
// Off-board relays; also the status of zone outputs.
constexpr LONG kIntrusionOffBoardRelay = 120;
constexpr LONG kIntrusionDoor = 121;
constexpr LONG kIntrusionArea = 122;
constexpr LONG kLogicalSource = 132;
constexpr LONG kElevatorTerminal = 146;
constexpr LONG kLogicalDevice = 147;
constexpr LONG kLogicalSubDevice = 148;
// A visit's event rows.
constexpr LONG kVisitEvent = 156;
constexpr LONG kAccessRequest = 171;

}  // namespace AuditObject

namespace ReplicationObject {

// The object kinds of the replication entries (CBntCardholderTrans). Stored rows carry these
// numbers, so they never change. A change of a record that belongs to a person (a multimedia
// object, an account link, a secondary segment) is replicated as a change of the person.
// Cardholders and visitors; also the persons behind logical system accounts.
constexpr LONG kPerson = 1;
// Badges, with their card properties and credential data.
constexpr LONG kBadge = 2;
// A person's multimedia objects.
constexpr LONG kMultimediaObject = 4;
// A badge's access level or group assignments.
constexpr LONG kAccessAssignment = 8;
constexpr LONG kVisit = 16;
// A person's account links.
constexpr LONG kPersonAccount = 512;
// System users, with their secondary segments.
constexpr LONG kUser = 1024;
// A visit's event rows.
constexpr LONG kVisitEvent = 0x10000;
// Monitoring zones, replicated by their table's id as hardware records.
constexpr LONG kMonitoringZoneTable = 3240000;

}  // namespace ReplicationObject
