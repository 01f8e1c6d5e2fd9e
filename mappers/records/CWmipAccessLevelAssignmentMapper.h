// CWmipAccessLevelAssignmentMapper: the mapper of Bnt_AccessLevelAssignment, one access level
// assigned to one badge (BADGELINK), optionally between an activate and a deactivate date. Its
// own put checks the caller, the badge, the level, the dates and the per-badge limits of the
// level's segment and writes the link, all in one transaction, then tells the communication
// server to download the badge; deleting an assignment stamps the badge and sends the same
// notice. Modifications are not supported.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"
#include "mappers/records/CWmipBadgeAssignmentMapper.h"
#include "mappers/records/helpers/CWmipAccessRules.h"

class CWmipAccessLevelAssignmentMapper
    : public CWmipMapperSkeleton<CWmipAccessLevelAssignmentMapper, CWmipBadgeAssignmentMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_AccessLevelAssignment";

    // The mapper on the database of user (the pooled connection, which must outlive the mapper).
    CWmipAccessLevelAssignmentMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Passes with permission 0x20000002 or when the caller manages the instance's level with
    // full rights; throws CWMIException 0x80041001 otherwise.
    void CanAdd(IWbemClassObject* instance) override;
    // Creates the assignment: S_OK with path set to its object path (keys AccessLevelID and
    // BadgeKey). Every refusal throws CWMIException and writes nothing: 0x80041028 a missing
    // key, 0x80041008 an unknown badge or level or a date that cannot be read, 0x80041001 a
    // broken rule or limit.
    HRESULT PutInstance(IWbemClassObject* instance, LONG flags, CString& path) override;

private:
    // The assignment's date (null when absent); throws 0x80041008 naming the property for a
    // text that is not a date.
    COleDateTime ReadDate(IWbemClassObject* instance, const wchar_t* property);
    // The checks and the write of PutInstance inside its transaction; the badge written.
    CWmipAccessRules::Badge Assign(IWbemClassObject* instance, const CAcsUser& user);
};
