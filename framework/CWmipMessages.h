// CWmipMessages: the texts the provider and the mappers report with a refused or failed
// request, each written once, and the text a failure carries when it was raised without one
// of its own (so that no refusal reaches the caller without a reason).
//
// Constants and pure functions; any thread.
#pragma once

#include <string>

#include "platform/com/CimTypes.h"
#include "platform/win32/WinTypes.h"

class CWmipMessages
{
public:
    static constexpr const wchar_t* kNoConnection =
        L"The system was unable to open a database connection to service this request.";
    static constexpr const wchar_t* kNoIdentity = L"The system was unable to retrieve the client's identity.";
    static constexpr const wchar_t* kAccessDenied =
        L"The client does not have sufficient user permissions to perform the requested operation.";
    static constexpr const wchar_t* kNotFound = L"The requested instance could not be retrieved or does not exist.";
    static constexpr const wchar_t* kNotSupported = L"The requested operation is not supported by this class.";
    static constexpr const wchar_t* kInvalidClass = L"The class is not served by this provider.";
    static constexpr const wchar_t* kInvalidParameter =
        L"A required argument is missing, or the provider has not been initialized.";
    static constexpr const wchar_t* kInvalidObjectPath =
        L"The object path cannot be parsed or does not name exactly the keys of its class.";
    static constexpr const wchar_t* kInvalidQuery = L"The query is not valid WQL: ";
    // A WHERE clause the parser or the SQL translation refused, followed by what it said.
    static constexpr const wchar_t* kWhereNotParsed = L"The WHERE clause could not be parsed: ";
    static constexpr const wchar_t* kWhereNotTranslated = L"The WHERE clause could not be translated: ";
    // A select list or WHERE clause naming a property its class lacks: the property, then the
    // class.
    static constexpr const wchar_t* kSelectUnknownProperty =
        L"The select list names %s, which is not a property of class %s.";
    static constexpr const wchar_t* kWhereUnknownProperty =
        L"The WHERE clause could not be translated: property %s is not a property of class %s";
    static constexpr const wchar_t* kQueryWithoutMapper = L"No mapper is attached to the query.";
    static constexpr const wchar_t* kSelectOnly = L"Only WQL SELECT queries are supported.";
    static constexpr const wchar_t* kMethodNotImplemented = L"The class has no method of that name.";
    static constexpr const wchar_t* kDatabaseRefused =
        L"The database could not read the instances of the class (the query may be too complex).";
    // A failure without a text of its own: kFailed only when the request wrote its reason to the
    // provider log, kRequestFailed otherwise.
    static constexpr const wchar_t* kFailed = L"The request failed; the provider log holds the details.";
    static constexpr const wchar_t* kRequestFailed = L"The request failed.";
    static constexpr const wchar_t* kSegmentAccessDenied =
        L"The client does not have sufficient segment access to perform the requested operation.";
    // A system account (Local System, Network Service) that no user account stands for.
    static constexpr const wchar_t* kNoProviderAccess = L"The client does not have access to use Fluxmere.";
    static constexpr const wchar_t* kAccountNotLinked =
        L"The client does not have access to use Fluxmere. The user account has not been linked.";
    static constexpr const wchar_t* kNoProviderPermission =
        L"The client does not have sufficient user permissions to perform the requested operation. The user does "
        L"not have permission to use Fluxmere.";

    // The refusals of one property of a written instance; "%s" is the property's name.
    static constexpr const wchar_t* kRequiredProperty =
        L"The required property %s had no value and no default was provided.";
    static constexpr const wchar_t* kInvalidProperty = L"The property %s did not exist or contained an invalid value.";
    static constexpr const wchar_t* kNotEditableProperty =
        L"The property %s is not editable, but a value was specified that was different from the current value.";
    static constexpr const wchar_t* kNotUniqueProperty = L"The property %s contained an non-unique value.";
    static constexpr const wchar_t* kNoGeneratedId =
        L"The operation cannot be completed because the system was unable to generate an ID for the property %s.";

    // A request that would evaluate a value never served: "%s" is the property, then where it
    // stood ("a WHERE clause or filter", "an order").
    static constexpr const wchar_t* kWithheldValue =
        L"The property %s is never served, so it cannot be evaluated: it may not appear in %s.";
    // A literal compared with a date-time property that is no date-time: the literal, the
    // property, then the form the caller's door reads.
    static constexpr const wchar_t* kNotADate = L"The value %s compared with %s is not a date-time: write it as %s.";

    // What is wrong with a refused value, said after kInvalidProperty ("%d" the length, then the
    // limit; "%s" the date-time form of the caller's door), and the date-time forms of the
    // doors: DMTF on the WMI door, ISO 8601 on the bus.
    static constexpr const wchar_t* kValueTooLong = L"It holds %d characters; it takes at most %d.";
    static constexpr const wchar_t* kValueHoldsNul = L"It holds a NUL character.";
    static constexpr const wchar_t* kValueNotADate = L"It names no real date-time: write it as %s.";
    static constexpr const wchar_t* kDmtfDateForm = L"yyyymmddHHMMSS.mmmmmmsUUU (20260131083000.000000+000)";
    static constexpr const wchar_t* kIsoDateForm = L"yyyy-mm-ddTHH:MM:SS+hh:mm (2026-01-31T08:30:00+00:00)";
    // A literal compared with a number property that is no number: the literal, the property.
    static constexpr const wchar_t* kNotANumber = L"The value %s compared with %s is not a number.";
    // A literal compared with a boolean property that is no boolean: the literal, the property.
    static constexpr const wchar_t* kNotABoolean =
        L"The value %s compared with %s is not a boolean: write TRUE or FALSE.";
    // ISA on a property that holds no embedded object: the property.
    static constexpr const wchar_t* kNotAnObject = L"%s holds no embedded object, so ISA cannot compare its class.";
    // An embedded object parameter given an instance of another class: the parameter, the class
    // it takes and the one given.
    static constexpr const wchar_t* kObjectParameterClass = L"The parameter %s takes an instance of %s, not of %s.";

    // A row whose stored value its property cannot take: the value as stored, the property, the
    // row's object path, then why (the database's reason, or one of those below).
    static constexpr const wchar_t* kStoredValueUnservable =
        L"The stored value %s of property %s of %s cannot be served: %s";
    // "%s" is the property's CIM type ("sint32", "uint32", "real32").
    static constexpr const wchar_t* kStoredValueOutOfRange = L"It lies outside the values of the type %s.";
    static constexpr const wchar_t* kStoredTextNotUtf8 = L"The text is not valid UTF-8.";
    static constexpr const wchar_t* kStoredDateOutOfRange =
        L"It lies outside the years 100 to 9999, the date-times every road of this system takes.";

    // The refusals of a badge's access levels and of a person's or user's secondary segments.
    static constexpr const wchar_t* kNoSegmentUnit = L"Cannot find the segment that this Access Level belongs to.";
    static constexpr const wchar_t* kBadgeIdTooLong =
        L"The number of digits in the badge ID specified exceeds the maximum allowed.";
    static constexpr const wchar_t* kLevelsLimit = L"The max number of access levels for this badge has been reached.";
    static constexpr const wchar_t* kStandardLevelsLimit =
        L"The max number of standard access levels for this badge has been reached.";
    static constexpr const wchar_t* kTemporaryLevelsLimit =
        L"The max number of temporary access levels for this badge has been reached.";
    static constexpr const wchar_t* kDisposableBadge =
        L"Access level assignments can only be made to badges that are not disposable.";
    static constexpr const wchar_t* kLevelsNotAssigned = L"Unable to assign access levels to the specified badgeKey.";
    // "%ld" the level's id, then the badge's key.
    static constexpr const wchar_t* kReaderOverlap =
        L"The level %ld cannot be assigned to the badge %ld due to Onity/ILS reader assignment overlap of the access "
        L"levels.";
    static constexpr const wchar_t* kSegmentAlreadyAssigned = L"This segment is already assigned.";
    static constexpr const wchar_t* kSegmentRulesRefused = L"Cannot assign this segment based on segmentation rules.";

    // The failures of a write's audit entry (the framework's text, then the mappers' older one)
    // and of its replication entry.
    static constexpr const wchar_t* kAuditNotRecorded =
        L"The system was unable to record the audit entry of this operation.";
    static constexpr const wchar_t* kAuditNotWritten = L"Unable to write the audit entry.";
    static constexpr const wchar_t* kReplicationNotLogged =
        L"Unable to log a replicator transaction for this operation.";

    // The mappers' own refusals and failures, by the class that reports them.
    // CWmipMultimediaObjectMapper.
    static constexpr const wchar_t* kDuplicateMultimediaObject =
        L"There is already a multimedia object with the same DataType and ObjectType for this person.";
    // CWmipPersonMapper.
    static constexpr const wchar_t* kInvalidValueType = L"The property %s contained an invalid value type.";
    static constexpr const wchar_t* kBadgeNotDeletedWithPerson = L"Unable to delete badge while deleting cardholder.";
    static constexpr const wchar_t* kAccountNotDeletedWithPerson =
        L"Unable to delete account while deleting cardholder.";
    static constexpr const wchar_t* kHostOfVisits =
        L"The cardholder is the host of visits and cannot be deleted until those visits are deleted.";
    // CWmipVisitMapper.
    static constexpr const wchar_t* kHostTakesNoVisits =
        L"Visits can only be assigned to cardholders that are allowed to have visitors.";
    static constexpr const wchar_t* kHostIsVisitor = L"Chosen host is a visitor and must be a cardholder instead.";
    static constexpr const wchar_t* kVisitorIsCardholder =
        L"Chosen visitor is a cardholder and must be a visitor instead.";
    static constexpr const wchar_t* kNoCommonVisitSegment =
        L"Cardholder and visitor do not belong to a common segment and therefore cannot be paired in a visit.";
    static constexpr const wchar_t* kVisitTimeOrder =
        L"The specified visit scheduled time in must come before the scheduled timeout.";
    static constexpr const wchar_t* kVisitTimeInFixed =
        L"Scheduled time in cannot change once a visitor has been signed in.";
    static constexpr const wchar_t* kVisitTimeOutFixed =
        L"Scheduled time out cannot change once a visitor has been signed out.";
    static constexpr const wchar_t* kVisitSegmentPair =
        L"You do not have sufficient permission to add this visit based on the cardholder and visitor segments.";
    static constexpr const wchar_t* kVisitNotRead = L"CVisit::Read failed.";
    static constexpr const wchar_t* kVisitEventNoId = L"Unable to generate a visit event id.";
    static constexpr const wchar_t* kVisitEventNotLogged = L"Unable to log the visit event's transaction.";
    // CWmipPersonSecondarySegmentsMapper.
    static constexpr const wchar_t* kCardholderSegmentationOff = L"Cardholder segmentation is not enabled.";
    static constexpr const wchar_t* kVisitorSegmentationOff = L"Visitor segmentation is not enabled.";
    // WmipMonitoringZoneDeviceLinkMapper.
    static constexpr const wchar_t* kZoneLinksServerType =
        L"Monitoring zone links cannot be edited on a %s database server.";
    static constexpr const wchar_t* kNoZoneSegment = L"Cannot find the segment that this monitoring zone belongs to.";
    static constexpr const wchar_t* kZoneSegmentRefusesDevice =
        L"Cannot assign the monitoring zone to device based on segmentation.";
    static constexpr const wchar_t* kDeviceInZone = L"This device is already included in this monitoring zone.";
    static constexpr const wchar_t* kHardwareTransactionNotRecorded = L"Unable to record the hardware transaction.";
    // CWmipVideoRecorderMapper.
    static constexpr const wchar_t* kConnectionKeyNotImported = L"The connection key could not be imported.";
    static constexpr const wchar_t* kAuthenticationNotEncrypted = L"The authentication data could not be encrypted.";
    // CWmipAccessLevelMapper.
    static constexpr const wchar_t* kAccessLevelNameTaken = L"An Access Level with this name already exists.";
    static constexpr const wchar_t* kAccessLevelsAllowedLimit =
        L"The max number of access levels allowed has already been reached.";

    // CWmipAccountMapper.
    static constexpr const wchar_t* kNoDirectoryAccount =
        L"An account with the specified account ID does not exist, or there was a problem connecting to the directory.";
    static constexpr const wchar_t* kAccountAlreadyLinked = L"This account is already linked to an existing person.";
    // CWmipBadgeMapper.
    static constexpr const wchar_t* kBadgeIdLongerThanLevels =
        L"The badge id cannot be changed, because the new badge number length is greater than the Segment setting for "
        L"some of the Access Levels currently assigned to the Badge";
    static constexpr const wchar_t* kBadgeIdGenerated =
        L"The badge type that was specified for this badge is set to automatically generate badge IDs. The add failed "
        L"because a badge ID was manually entered by the client.";
    static constexpr const wchar_t* kBadgeTypeNotForVisitor =
        L"The badge type that was specified for this badge is not a visitor badge, but the person specified is a visitor.";
    static constexpr const wchar_t* kBadgePrinted =
        L"This badge's ID, issue code, and badge type can not be edited because the badge has been printed.";
    static constexpr const wchar_t* kBadgeIdChangeDenied =
        L"The badge ID was changed, but the user was not permitted to change it.";
    static constexpr const wchar_t* kBadgeTypeSegmentsDiffer =
        L"The badge type cannot be modified when the segments of the two badge types are different.";
    static constexpr const wchar_t* kBadgeIdInvalidForType =
        L"The specified badge ID is not valid for a badge with this badge type.";
    static constexpr const wchar_t* kActiveBadgesLimit = L"The person already has the maximum number of active badges.";
    static constexpr const wchar_t* kBadgeExists =
        L"This badge already exists in the system. Please provide another badge ID/issue code combination.";
    static constexpr const wchar_t* kBadgeIdOtherOwner =
        L"An badge with this ID is owned by a different person. Only one person can have badges with a particular "
        L"badge ID.";
    static constexpr const wchar_t* kActiveBadgeIdTaken =
        L"An active badge with this ID and a different issue code already exists. Only one active badge may have a "
        L"particular badge ID.";
    static constexpr const wchar_t* kBadgeDateOrder =
        L"The specified badge activate date must come before the deactivate date.";
    static constexpr const wchar_t* kInvalidPin = L"The specified PIN code is not valid";
    // CWmipBadgeStatusMapper.
    static constexpr const wchar_t* kBadgeStatusRootOnly =
        L"Badge Status items can only be added/modified at the root node.";
    static constexpr const wchar_t* kBadgeStatusSystemField = L"This item is a system field and cannot be changed.";
    static constexpr const wchar_t* kBadgeStatusNameTaken = L"This badge status name already exists.";
    static constexpr const wchar_t* kBadgeStatusDeleteRootOnly =
        L"Badge Status items can only be deleted at the root node.";
    static constexpr const wchar_t* kBadgeStatusSystemNotDeleted =
        L"This badge status is a system field and cannot be deleted.";
    static constexpr const wchar_t* kBadgeStatusInUse =
        L"This status is in use by other badges. Please reassign badges before attempting to "
        L"delete the status since it is required.";
    // CWmipAccessLevelAssignmentMapper.
    static constexpr const wchar_t* kLevelAssignmentExists =
        L"There is already an access level assignment for this access level and badge.";
    static constexpr const wchar_t* kLevelAssignmentDateOrder =
        L"The specified access level assignment activate date must come before the deactivate date.";
    static constexpr const wchar_t* kLevelAlreadyAssigned = L"The specified access level assignment already exists.";
    // CWmipAccessRequestMapper.
    static constexpr const wchar_t* kApproveSettledRequest =
        L"Cannot approve an access request that has already been approved or denied";
    static constexpr const wchar_t* kHoldSettledRequest =
        L"Cannot put on hold an access request that has already been approved or denied or put on hold";
    static constexpr const wchar_t* kDenySettledRequest =
        L"Cannot deny an access request that has already been approved or denied";
    // CWmipAccessRules.
    static constexpr const wchar_t* kInactiveBadge = L"Access level assignments can only be made to active badges.";
    // CWmipAccessGroupMapper.
    static constexpr const wchar_t* kGroupReaderOverlap =
        L"The levels cannot be assigned due to Onity/ILS reader assignment overlap of the "
        L"access levels.";
    // CWmipPrecisionAccessGroupAssignmentMapper.
    static constexpr const wchar_t* kPrecisionGroupAssigned =
        L"There is already a precision access group assignment for this group and badge.";
    // CWmipVisitMapper (SignVisitIn, SignVisitOut).
    static constexpr const wchar_t* kVisitSignedIn = L"The specified visit has already been signed in.";
    static constexpr const wchar_t* kVisitUnreadable = L"Unable to read visit information from DB.";
    static constexpr const wchar_t* kVisitNotSignedIn = L"The visit failed to be signed in properly.";
    static constexpr const wchar_t* kDisposableBadgesOff =
        L"Current cardholder option configuration prohibits creation of dispossible badges.";
    static constexpr const wchar_t* kBadgeTypeNotDisposable =
        L"Specified badge type is not valid for disposable badges.";
    static constexpr const wchar_t* kNoBadgePrinter =
        L"There was no alternative printer specified, and a default printer for this badge type doesn't exist.";
    static constexpr const wchar_t* kVisitBadgeNotFound = L"Unable to locate the specified badge in the DB.";
    static constexpr const wchar_t* kNoBadgeAddPermission = L"The current user doesn't have permissions to add badges.";
    static constexpr const wchar_t* kVisitorBadgesOff =
        L"Current cardholder option configuration prohibits badge assignments to visitors.";
    static constexpr const wchar_t* kVisitBadgeIdTooLong =
        L"The entered badge Id has more digits than this user is allowed.";
    static constexpr const wchar_t* kNotVisitorBadgeType =
        L"The specified visit badge type is not a visitor badge type.";
    static constexpr const wchar_t* kBadgeTypeNotPermitted =
        L"The current user doesn't have permissions to assign badges of the selected type.";
    static constexpr const wchar_t* kBadgeTypeNotForThisVisitor =
        L"The current visitor cannot be assigned the selected badge type.";
    static constexpr const wchar_t* kVisitNotActive =
        L"The specified visit is not active (it has not been signed in or has already been signed out).";
    static constexpr const wchar_t* kVisitorNotSignedOut = L"Cannot sign out specified visitor.";
    // CWmipDeviceMethod.
    static constexpr const wchar_t* kHardwareCommandNotAccepted =
        L"The hardware driver server did not accept the command.";
    // CWmipAlarmPanelMapper.
    static constexpr const wchar_t* kHardwareTypeNotSupported =
        L"The operation is not supported for this hardware type.";
    // CWmipVideoRecorderMapper.
    static constexpr const wchar_t* kNoConnectionKey =
        L"The BNVR connection key associated with the requested instance could not be retrieved.";
    // CWmipInstanceWriter.
    static constexpr const wchar_t* kInstanceAlreadyExists = L"An instance with the specified keys already exists.";
    static constexpr const wchar_t* kInstanceNotWritten =
        L"The system was unable to write the instance to the database.";
    // CWmipWriteFrame::RunMethod.
    static constexpr const wchar_t* kMethodNotWritten =
        L"The system was unable to write the method's changes to the database.";
    static constexpr const wchar_t* kNoTableToWrite = L"The class has no table to write to.";
    static constexpr const wchar_t* kValueNotEncrypted =
        L"The system was unable to encrypt the value of the property %s.";
    static constexpr const wchar_t* kBinaryTooLarge =
        L"The value of the property %s is larger than a binary property may hold (16 MiB).";

    // The text for a failure of `result` raised without a text; for a result without a text of
    // its own, kFailed when the request wrote its reason to the provider log (`reasonLogged`),
    // else kRequestFailed.
    static const wchar_t* ForResult(HRESULT result, bool reasonLogged = false);

    // The numbers an integer CIM type takes, as every refusal of a number names them ("a sint32
    // number from -2147483648 to 2147483647"); empty for a type that is no integer.
    static std::wstring NumberForm(CIMTYPE type);
};
