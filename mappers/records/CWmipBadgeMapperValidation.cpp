// CWmipBadgeMapper: the badge rules of an add or a modify (ValidateBadge). They run inside the
// write's transaction, which holds the database's write lock from its first statement: the
// counts of active badges, of ID and issue code and of owners are therefore taken against the
// rows as they stand when the write is made, and two concurrent writes cannot both pass them.
#include "framework/CWmipMessages.h"
#include "common/AccessCodes.h"
#include "mappers/records/CWmipBadgeMapper.h"

#include <memory>

#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipObjectPath.h"
#include "framework/IWmipUserEntry.h"
#include "framework/WMIHelper.h"
#include "framework/WmipHostServices.h"
#include "inhouse/BntCommon/CBntBadgeKey.h"
#include "inhouse/BntCore/CBntIDGenerator.h"
#include "inhouse/BntCore/CUserAction.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntCoreDb/CRowCountSet.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntPanelModel/CBadgeType.h"
#include "inhouse/BntResources/BntResourceStrings.h"
#include "inhouse/BntUserDb/CPerson.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CException.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

constexpr const wchar_t* kBadgeMapperValidationSourceFile = L"wpBadgeMapper.cpp";
constexpr UINT kZeroBadgeIdResource = 20902;
constexpr LONG kActiveStatus = 1;
constexpr LONG kManualMode = 3;
constexpr LONG kPersonIdMode = 5;
constexpr LONG kBadgeTypeCheck = 6;
constexpr LONG kStoredNullUseLimit = 255;

[[noreturn]] void RefuseBadge(int line, const wchar_t* message)
{
    throw CWMIException(kBadgeMapperValidationSourceFile, line, WBEM_E_FAILED, message);
}

// The stored BADGE row of a modify.
struct StoredBadge
{
    LONG type = 0;
    LONGLONG id = 0;
    LONG issueCode = 0;
    LONG status = 0;
    LONG prints = 0;
    std::optional<LONG> useLimit;
};

std::optional<StoredBadge> ReadStoredBadge(CBntDatabase* database, LONG badgeKey)
{
    CDynamicRecordset row(database);
    row.SetTable(L"BADGE");
    for (const wchar_t* column : {L"TYPE", L"ID", L"ISSUECODE", L"STATUS", L"PRINTS", L"USELIMIT"})
        row.AddColumnToSet(column, L"BADGE");
    row.AddFilterLong(L"BADGE.BADGEKEY", badgeKey);
    row.OpenForwardOnly();
    if (row.IsEOF())
        return std::nullopt;
    StoredBadge stored;
    stored.type = row.IsFieldNull(0) ? 0 : row.GetLong(0);
    stored.id = row.IsFieldNull(1) ? 0 : row.GetLongLong(1);
    stored.issueCode = row.IsFieldNull(2) ? 0 : row.GetLong(2);
    stored.status = row.IsFieldNull(3) ? 0 : row.GetLong(3);
    stored.prints = row.IsFieldNull(4) ? 0 : row.GetLong(4);
    if (!row.IsFieldNull(5))
        stored.useLimit = row.GetLong(5);
    return stored;
}

// The BADGE rows the filters select, other than the badge itself.
class BadgeCount
{
public:
    BadgeCount(CBntDatabase* database, LONG badgeKey) : m_database(database), m_rows(database)
    {
        m_rows.SetTable(L"BADGE");
        m_rows.AddColumnToSet(L"BADGEKEY", L"BADGE");
        m_rows.AddFilterLong(L"BADGE.BADGEKEY", badgeKey, CMultiFilterRecordset::NotEqual);
    }
    CDynamicRecordset& Rows() { return m_rows; }
    LONG Count()
    {
        CRowCountSet count(m_database);
        count.SetRecordset(m_rows);
        return count.GetRowCount();
    }

private:
    CBntDatabase* m_database;
    CDynamicRecordset m_rows;
};

}  // namespace

void CWmipBadgeMapper::ValidateBadge(int flag, IWbemClassObject* instance)
{
    const bool add = flag == kValidateAdd;
    try
    {
        const CAcsUser* user = RequireUser();
        CPerson& person = GetPerson(instance);
        CBadgeType& type = GetBadgeType(instance);
        LONG status = 0;
        LONG badgeKey = 0;
        LONGLONG id = 0;
        LONG issueCode = 0;
        LONG useLimit = -1;
        WMIHelper::GetNumber(instance, L"STATUS", status);
        WMIHelper::GetNumber(instance, L"BADGEKEY", badgeKey);
        WMIHelper::GetNumber64(instance, L"ID", id);
        if (FAILED(WMIHelper::GetNumber(instance, L"ISSUECODE", issueCode)))
            issueCode = 0;
        if (FAILED(WMIHelper::GetNumber(instance, L"USELIMIT", useLimit)))
            useLimit = -1;

        if (add && !m_idGenerated && !IsManualBadgeIdAllowed(type))
            RefuseBadge(__LINE__, CWmipMessages::kBadgeIdGenerated);
        // The visitor rule tells the person's kind: a person beyond the caller's segments meets the
        // segment refusal below instead, as a cardholder there does.
        if (person.IsInUsersSegments(user) && person.IsVisitor() && type.GetClass() != CBadgeType::kVisitorClass)
            throw CWMIException(kBadgeMapperValidationSourceFile, __LINE__, WBEM_E_ACCESS_DENIED,
                                CWmipMessages::kBadgeTypeNotForVisitor);
        if (!type.PermissionGranted(user, CUserAction(kBadgeTypeCheck, false)))
            throw CWMIException(kBadgeMapperValidationSourceFile, __LINE__, WBEM_E_ACCESS_DENIED,
                                CWmipMessages::kAccessDenied);
        if (!CallerReachesPerson(person))
            throw CWMIException(kBadgeMapperValidationSourceFile, __LINE__, WBEM_E_ACCESS_DENIED,
                                CWmipMessages::kSegmentAccessDenied);
        if (user->GetSystemOptions().IsCardholderSegmentationEnabled() && !person.ObjectCanBeAssigned(type, user))
            throw CWMIException(kBadgeMapperValidationSourceFile, __LINE__, WBEM_E_ACCESS_DENIED,
                                CWmipMessages::kSegmentAccessDenied);

        bool typeChanged = false;
        bool statusChanged = false;
        if (!add)
            CompareWithStoredBadge(instance, badgeKey, id, issueCode, useLimit, status, typeChanged, statusChanged);

        if (GetBadgeIdMode(type) != kPersonIdMode && (add || typeChanged) &&
            !CBntIDGenerator(GetDatabaseUser()).IsValidBadgeID(id, type.GetID(), nullptr))
            RefuseBadge(__LINE__, CWmipMessages::kBadgeIdInvalidForType);
        if ((add || typeChanged || statusChanged) && status == kActiveStatus)
            CheckRequiredPersonFields(person.GetID(), person.IsVisitor(), type.GetID());
        CheckCounts(add, statusChanged, status, badgeKey, id, issueCode, person.GetID());
        if (id != m_storedId)
            CheckDigits(type, id);
        if (id == 0)
        {
            CString text;
            brontel::resources::LoadResourceString(kZeroBadgeIdResource, text);
            RefuseBadge(__LINE__, text);
        }
        CheckDates(instance);
        CheckPin(instance);
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kBadgeMapperValidationSourceFile, __LINE__, L"Unable to check the badge.", 0, &e);
        throw CWMIException(kBadgeMapperValidationSourceFile, __LINE__, WBEM_E_FAILED);
    }
    catch (const CWMIException&)
    {
        throw;
    }
    catch (const CException&)
    {
        throw CWMIException(kBadgeMapperValidationSourceFile, __LINE__, WBEM_E_FAILED);
    }
}

void CWmipBadgeMapper::CompareWithStoredBadge(IWbemClassObject* instance, LONG badgeKey, LONGLONG id, LONG issueCode,
                                              LONG useLimit, LONG status, bool& typeChanged, bool& statusChanged)
{
    const std::optional<StoredBadge> stored = ReadStoredBadge(GetDatabase(), badgeKey);
    if (!stored)
        throw CWMIException(kBadgeMapperValidationSourceFile, __LINE__, WBEM_E_FAILED);
    m_storedId = stored->id;
    m_storedIssueCode = stored->issueCode;
    const LONG storedUseLimit = stored->useLimit.value_or(kStoredNullUseLimit);
    CString line;
    line.Format(L"Determine if use limits differ: old use limit [%d], new use limit [%d]", storedUseLimit, useLimit);
    CWMIDebugLog::LogInfo(kBadgeMapperValidationSourceFile, __LINE__, line);
    if (storedUseLimit != useLimit)
    {
        m_storedUseLimit = storedUseLimit;
        line.Format(L"Use limits differ, setting old use limit value [%d]", m_storedUseLimit);
        CWMIDebugLog::LogInfo(kBadgeMapperValidationSourceFile, __LINE__, line);
    }
    statusChanged = status != stored->status;
    const LONG newType = GetBadgeType(instance).GetID();
    if (newType == stored->type && id == stored->id && issueCode == stored->issueCode)
        return;
    CBadgeType storedType(stored->type);
    if (storedType.Read(GetDatabaseUser(), -1) != S_OK)
        throw CWMIException(kBadgeMapperValidationSourceFile, __LINE__, WBEM_E_FAILED);
    const CAcsUser* user = RequireUser();
    if (stored->prints > 0 &&
        !(user->HasPermission(Permission::kEditPrintedBadges) && GetBadgeIdMode(storedType) == kManualMode))
        RefuseBadge(__LINE__, CWmipMessages::kBadgePrinted);
    if (id != stored->id && !IsManualBadgeIdAllowed(storedType))
        RefuseBadge(__LINE__, CWmipMessages::kBadgeIdChangeDenied);
    if (newType != stored->type)
    {
        if (user->GetSystemOptions().IsBadgeTypeSegmentationEnabled())
        {
            storedType.ReadSegmentAssignments(GetDatabaseUser());
            if (!storedType.CanAccessSameSegmentUnits(GetBadgeType(instance), user))
                throw CWMIException(kBadgeMapperValidationSourceFile, __LINE__, WBEM_E_ACCESS_DENIED,
                                    CWmipMessages::kBadgeTypeSegmentsDiffer);
        }
        typeChanged = true;
    }
}

void CWmipBadgeMapper::CheckRequiredPersonFields(LONG personId, bool visitor, LONG badgeType)
{
    const wchar_t* className = visitor ? L"Bnt_Visitor" : L"Bnt_Cardholder";
    // As the database user, on this mapper's connection: the person is read whole, whatever the
    // caller may see of it, so that every field the badge type requires can be checked. The
    // entry and the nested mapper go before this function returns.
    std::unique_ptr<IWmipUserEntry> databaseEntry =
        WmipHostServices::WrapPooledUser(const_cast<CAcsUser*>(GetDatabaseUser()));
    if (databaseEntry == nullptr)
        throw CWMIException(kBadgeMapperValidationSourceFile, __LINE__, WBEM_E_FAILED);
    std::unique_ptr<CWmipClassMapper> mapper(
        CWmipMapperRegistry::GetMapper(GetDatabaseUser(), GetContext(), GetServices(), className, GetDoor()));
    if (mapper == nullptr)
        throw CWMIException(kBadgeMapperValidationSourceFile, __LINE__, WBEM_E_INVALID_CLASS);
    mapper->SetUserEntry(databaseEntry.get());
    CWmipObjectPath path(className);
    path.AddKey(L"ID", personId);
    ComPtr<IWbemClassObject> person;
    person.Attach(mapper->GetCurrentInstance(&path));
    if (person == nullptr)
        CWmipRecordChecks::ThrowNamed(kBadgeMapperValidationSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                      CWmipMessages::kInvalidProperty, L"PERSONID");
    auto* personMapper = dynamic_cast<CWmipUDFClassMapper*>(mapper.get());
    if (personMapper == nullptr)
        throw CWMIException(kBadgeMapperValidationSourceFile, __LINE__, WBEM_E_FAILED);
    personMapper->CheckBadgeTypeRequiredFields(person.Get(), badgeType);
}

void CWmipBadgeMapper::CheckCounts(bool add, bool statusChanged, LONG status, LONG badgeKey, LONGLONG id,
                                   LONG issueCode, LONG personId)
{
    const LONG maxActive = RequireUser()->GetMaxActiveBadgesPerPerson();
    const bool activating = (add || statusChanged) && status == kActiveStatus;
    if (activating)
    {
        BadgeCount active(GetDatabase(), badgeKey);
        active.Rows().AddFilterLong(L"BADGE.EMPID", personId);
        active.Rows().AddFilterLong(L"BADGE.STATUS", kActiveStatus);
        if (active.Count() >= maxActive)
            RefuseBadge(__LINE__, CWmipMessages::kActiveBadgesLimit);
    }
    if (add || id != m_storedId || issueCode != m_storedIssueCode)
    {
        BadgeCount same(GetDatabase(), badgeKey);
        same.Rows().AddFilterLong(L"BADGE.ISSUECODE", issueCode);
        same.Rows().AddFilterLongLong(L"BADGE.ID", id);
        if (same.Count() > 0)
            RefuseBadge(__LINE__, CWmipMessages::kBadgeExists);
    }
    if (add || id != m_storedId)
    {
        BadgeCount owners(GetDatabase(), badgeKey);
        owners.Rows().AddFilterLongLong(L"BADGE.ID", id);
        owners.Rows().AddFilterLong(L"BADGE.EMPID", personId, CMultiFilterRecordset::NotEqual);
        if (owners.Count() > 0)
            RefuseBadge(__LINE__, CWmipMessages::kBadgeIdOtherOwner);
    }
    if (activating && maxActive > 1)
    {
        BadgeCount activeId(GetDatabase(), badgeKey);
        activeId.Rows().AddFilterLongLong(L"BADGE.ID", id);
        activeId.Rows().AddFilterLong(L"BADGE.STATUS", kActiveStatus);
        if (activeId.Count() > 0)
            RefuseBadge(__LINE__, CWmipMessages::kActiveBadgeIdTaken);
    }
}

void CWmipBadgeMapper::CheckDigits(CBadgeType& type, LONGLONG id)
{
    const CAcsUser* user = RequireUser();
    std::vector<LONG> segments;
    if (user->GetSystemOptions().IsBadgeTypeSegmentationEnabled())
    {
        if (!type.AreSegmentsRead())
            type.ReadSegmentAssignments(GetDatabaseUser());
        segments.push_back(type.GetPrimarySegmentID());
        for (const LONG segment : type.GetSegmentAssignments())
        {
            if (segment != type.GetPrimarySegmentID())
                segments.push_back(segment);
        }
    }
    if (user->GetMaxBadgeNumberLength(segments) < CBntBadgeKey::GetNumDigits(id))
        RefuseBadge(__LINE__, CWmipMessages::kBadgeIdTooLong);
}

void CWmipBadgeMapper::CheckDates(IWbemClassObject* instance) const
{
    CString activateText;
    CString deactivateText;
    if (FAILED(WMIHelper::GetString(instance, L"ACTIVATE", activateText)) ||
        FAILED(WMIHelper::GetString(instance, L"DEACTIVATE", deactivateText)))
        return;
    const COleDateTime activate = WMIHelper::ToDateTimeUTC(activateText, GetDoor());
    const COleDateTime deactivate = WMIHelper::ToDateTimeUTC(deactivateText, GetDoor());
    if (activate.GetStatus() == COleDateTime::valid && deactivate.GetStatus() == COleDateTime::valid &&
        !(static_cast<DATE>(deactivate) > static_cast<DATE>(activate)))
        RefuseBadge(__LINE__, CWmipMessages::kBadgeDateOrder);
}

void CWmipBadgeMapper::CheckPin(IWbemClassObject* instance)
{
    CString pin;
    if (SUCCEEDED(WMIHelper::GetString(instance, L"PIN", pin)) && !pin.IsEmpty() && !WMIHelper::IsValidPINCode(pin))
        RefuseBadge(__LINE__, CWmipMessages::kInvalidPin);
}
