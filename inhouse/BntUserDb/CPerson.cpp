#include "inhouse/BntUserDb/CPerson.h"

#include <algorithm>
#include <string>
#include <vector>

#include "inhouse/BntCore/CUserAction.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CLoginQuery.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntPanelModel/CBadgeType.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"

using brontel::utility::CWMIDebugLog;

namespace {

constexpr wchar_t kPersonSource[] = L"CPerson";

// Lists of segment units are bound one value per placeholder; an installation has far fewer.
constexpr std::size_t kMaxSegmentUnits = 500;

CBntDatabase* DatabaseOf(const CAcsUser* user)
{
    return user != nullptr ? user->GetDatabase() : nullptr;
}

// "?, ?, ..." for count values.
std::string Placeholders(std::size_t count)
{
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
    {
        text += i == 0 ? "?" : ", ?";
    }
    return text;
}

// The units a set of segments stands for: each unit itself and the member units of each group.
std::set<LONG> UnitsOf(CBntDatabase& database, const std::set<LONG>& segments)
{
    std::set<LONG> units;
    for (const LONG segment : segments)
    {
        const auto type = CLoginQuery::FirstRow(database, "SELECT TYPE FROM SEGMENT WHERE SEGMENTID = ?", {segment});
        if (!type || CLoginQuery::Integer(*type, 0) == 0)
        {
            units.insert(segment);
            continue;
        }
        for (const auto& row : CLoginQuery::Rows(
                 database, "SELECT SEGMENTID_MEMBER FROM SEGMENT_GROUP_MEMBER WHERE SEGMENTID = ?", {segment}))
        {
            units.insert(static_cast<LONG>(CLoginQuery::Integer(row, 0)));
        }
    }
    return units;
}

}  // namespace

CPerson::CPerson(LONG personId, LPCWSTR, LONG, LONG) : m_id(personId) {}

bool CPerson::Read(const CAcsUser* databaseUser, LONG)
{
    m_read = false;
    m_segments.clear();
    CBntDatabase* database = DatabaseOf(databaseUser);
    if (database == nullptr)
    {
        return false;
    }
    const auto row = CLoginQuery::FirstRow(
        *database, "SELECT SEGMENTID, VISITOR, SSNO, ALLOWEDVISITORS FROM EMP WHERE ID = ?", {m_id});
    if (!row)
    {
        return false;
    }
    m_read = true;
    m_primarySegmentId = static_cast<LONG>(CLoginQuery::Integer(*row, 0, -1));
    m_visitor = CLoginQuery::Integer(*row, 1) != 0;
    m_numberText = (*row)[2].IsNull() ? CString() : (*row)[2].AsText();
    m_allowsVisitors = CLoginQuery::Integer(*row, 3) != 0;
    m_segments.insert(m_primarySegmentId);
    return true;
}

bool CPerson::ReadSegmentAssignments(const CAcsUser* databaseUser)
{
    CBntDatabase* database = DatabaseOf(databaseUser);
    if (database == nullptr)
    {
        return false;
    }
    for (const LONGLONG segment :
         CLoginQuery::Integers(*database, "SELECT SEGMENTID FROM EMP_SEGMENT_LINK WHERE EMPID = ?", {m_id}))
    {
        m_segments.insert(static_cast<LONG>(segment));
    }
    return true;
}

void CPerson::RemoveSegmentAssignment(LONG segmentId, bool)
{
    m_segments.erase(segmentId);
}

void CPerson::AssignSegment(LONG segmentId)
{
    m_segments.insert(segmentId);
}

bool CPerson::PermissionGranted(const CAcsUser* user, const CUserAction& action, bool) const
{
    if (user == nullptr || !user->IsLoggedIn())
    {
        return false;
    }
    DWORD permission = 0;
    switch (action.GetActionType())
    {
    case CUserAction::kModify:
    case CUserAction::kChangeAccounts:
        permission = m_visitor ? kModifyVisitorPermission : kModifyCardholderPermission;
        break;
    case CUserAction::kDelete:
        permission = m_visitor ? kDeleteVisitorPermission : kDeleteCardholderPermission;
        break;
    default:
        return false;
    }
    if (!m_read)
    {
        return true;
    }
    if (!user->HasPermission(permission))
    {
        return false;
    }
    return IsInUsersSegments(user);
}

bool CPerson::IsInUsersSegments(const CAcsUser* user) const
{
    if (user == nullptr)
    {
        return false;
    }
    const CBntAcsSystemOptions& options = user->GetSystemOptions();
    const bool segmented =
        m_visitor ? options.IsVisitorSegmentationEnabled() : options.IsCardholderSegmentationEnabled();
    return !segmented || user->HasSegmentAccess(m_primarySegmentId, kWriteSegmentAccess);
}

bool CPerson::ObjectCanBeAssigned(const CBadgeType& type, const CAcsUser* user) const
{
    return type.HasSegmentAccess(m_primarySegmentId, user) ||
           std::any_of(m_segments.begin(), m_segments.end(),
                       [&](LONG segment) { return type.HasSegmentAccess(segment, user); });
}

namespace {

// The visibility of the person row named personTable: its kind decides whether segments apply
// to it. False for no row (an outer join that found none).
CString VisiblePersonCondition(const CAcsUser& user, const CString& personTable, std::vector<CDBValue>& values)
{
    // A kind whose segmentation is off is seen whole. The options are the installation's, so the
    // text takes them as plain terms: a kind segmented is no term at all, which leaves the
    // segment test alone for the engine to answer by an index.
    const CBntAcsSystemOptions& options = user.GetSystemOptions();
    CString condition;
    if (!options.IsCardholderSegmentationEnabled())
        condition += personTable + L".VISITOR = 0 OR ";
    if (!options.IsVisitorSegmentationEnabled())
        condition += personTable + L".VISITOR = 1 OR ";
    condition += personTable + L".SEGMENTID IN (";
    bool first = true;
    for (const LONG segment : user.GetSegmentIDs())
    {
        condition += first ? L"?" : L", ?";
        values.emplace_back(segment);
        first = false;
    }
    if (first)
    {
        condition += L"NULL";
    }
    return condition + L")";
}

bool PersonFilterApplies(const CAcsUser& user)
{
    const CBntAcsSystemOptions& options = user.GetSystemOptions();
    return !user.IsAllSegmentsUser() &&
           (options.IsCardholderSegmentationEnabled() || options.IsVisitorSegmentationEnabled());
}

}  // namespace

void CPerson::AddVisiblePersonFilter(const CAcsUser& user, CMultiFilterRecordset& recordset,
                                     const CString& personColumn)
{
    if (!PersonFilterApplies(user))
    {
        return;
    }
    // The one person the row names, found by its key.
    std::vector<CDBValue> values;
    const CString person = L"VISIBLEPERSON";
    const CString condition = VisiblePersonCondition(user, person, values);
    recordset.AppendFilter(CString(L"EXISTS (SELECT 1 FROM ") + kPersonTable + L" " + person + L" WHERE " + person +
                               L".ID = " + personColumn + L" AND (" + condition + L"))",
                           values);
}

void CPerson::AddVisiblePersonRowFilter(const CAcsUser& user, CMultiFilterRecordset& recordset,
                                        const CString& personTable)
{
    if (!PersonFilterApplies(user))
    {
        return;
    }
    std::vector<CDBValue> values;
    const CString condition = VisiblePersonCondition(user, personTable, values);
    recordset.AppendFilter(condition, values);
}

bool CPerson::DetermineRemovedSegmentUnitIDs(std::set<LONG>& removedUnits, const std::set<LONG>& removedSegments,
                                             const CAcsUser* databaseUser) const
{
    removedUnits.clear();
    CBntDatabase* database = DatabaseOf(databaseUser);
    if (database == nullptr)
    {
        return false;
    }
    try
    {
        const std::set<LONG> kept = UnitsOf(*database, m_segments);
        for (const LONG unit : UnitsOf(*database, removedSegments))
        {
            if (kept.count(unit) == 0)
            {
                removedUnits.insert(unit);
            }
        }
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kPersonSource, __LINE__, L"Unable to determine the removed segment units.", 0, &e);
        removedUnits.clear();
        return false;
    }
    return true;
}

void CPerson::DeleteInvalidAccess(LONG personId, const CAcsUser* databaseUser, const std::set<LONG>& removedUnits,
                                  bool accessLevels, bool precisionGroups)
{
    CBntDatabase* database = DatabaseOf(databaseUser);
    if (database == nullptr)
    {
        throw CDBException(CDBException::kRetRefused, L"08003", 0, L"The connection has no database.");
    }
    if (removedUnits.empty())
    {
        return;
    }
    if (removedUnits.size() > kMaxSegmentUnits)
    {
        throw CDBException(CDBException::kRetRefused, L"54000", 0, L"Too many segment units.");
    }
    std::vector<CDBValue> values{CDBValue(personId)};
    for (const LONG unit : removedUnits)
    {
        values.emplace_back(unit);
    }
    const std::string units = Placeholders(removedUnits.size());
    if (accessLevels)
    {
        database->ExecuteSQL(CString(("DELETE FROM BADGELINK WHERE BADGEKEY IN (SELECT BADGEKEY FROM BADGE WHERE "
                                      "EMPID = ?) AND ACCLVLID IN (SELECT ACCESSLVID FROM ACCESSLVL WHERE SEGMENTID "
                                      "IN (" +
                                      units + "))")
                                         .c_str()),
                             values);
    }
    if (precisionGroups)
    {
        database->ExecuteSQL(CString(("DELETE FROM BDGPRECLINK WHERE BADGEKEY IN (SELECT BADGEKEY FROM BADGE WHERE "
                                      "EMPID = ?) AND PRECGRPID IN (SELECT PRECGRPID FROM PRECACGRP WHERE SEGMENTID "
                                      "IN (" +
                                      units + "))")
                                         .c_str()),
                             values);
    }
}
