#include "mappers/records/CWmipBadgeMapper.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>

#include "common/AccessCodes.h"
#include "common/Crypto.h"
#include "framework/CWmideFieldSet.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipObjectPath.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCommon/CBntCardholderTrans.h"
#include "inhouse/BntCore/CBntIDGenerator.h"
#include "inhouse/BntCore/CUserAction.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDBValue.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntCoreDb/CRowCountSet.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/CSegmentUnit.h"
#include "inhouse/BntPanelModel/CBadgeType.h"
#include "inhouse/BntPanelModel/CBadgeTypeContainer.h"
#include "inhouse/BntResources/BntResourceStrings.h"
#include "inhouse/BntUserDb/CPerson.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/records/helpers/CWmipAccessRules.h"
#include "mappers/records/helpers/CWmipBadgeRecord.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"
#include "platform/com/CimTypes.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CException.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;
using Operation = brontel::UserTranOperation::UserTransactionOperation;

namespace {

constexpr const wchar_t* kBadgeMapperSourceFile = L"wpBadgeMapper.cpp";
constexpr UINT kBadgeChangeAuditResource = 20733;
// The badge layout of the user-defined-field tables.
constexpr LONG kBadgeLayoutTable = 3;
// Badges are stored outside every segment: they belong to the segments of their owner.
constexpr LONG kBadgeSegment = -1;
// A level of every segment.
constexpr LONG kMaxUseLimit = 255;
// Counter of the negative badge IDs.
constexpr LONG kNegativeBadgeIdType = 24;
// Badge ID modes.
constexpr LONG kModePersonNumber = 2;
constexpr LONG kModeManual = 3;
constexpr LONG kModePersonId = 5;
constexpr LONG kGeneratedModes[] = {1, 4, 7};
// Actions of the badge type's and the person's permission checks.
constexpr LONG kBadgeTypeAction = 6;
constexpr LONG kPersonAction = 7;

CString ColumnOf(const CString& property)
{
    if (property.CompareNoCase(L"PERSONID") == 0)
        return L"BADGE.EMPID";
    return L"BADGE." + property;
}

void PutText(VARIANT& value, const CString& text)
{
    VariantClear(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(text);
}

// The person's number text as a badge ID: a decimal 32-bit number, nothing else.
std::optional<LONG> NumberTextAsId(const CString& text)
{
    const std::string narrow = WMIHelper::ConvertToStdString(text);
    LONG number = 0;
    const auto [end, error] = std::from_chars(narrow.data(), narrow.data() + narrow.size(), number);
    if (narrow.empty() || error != std::errc() || end != narrow.data() + narrow.size())
        return std::nullopt;
    return number;
}

// What the audit and replication values name of a badge (0 where the instance has none).
struct BadgeValues
{
    LONG badgeKey = 0;
    LONGLONG id = 0;
    LONG issueCode = 0;
    LONG personId = 0;
};

BadgeValues BadgeValuesOf(IWbemClassObject* instance)
{
    BadgeValues values;
    WMIHelper::GetNumber(instance, L"BADGEKEY", values.badgeKey);
    WMIHelper::GetNumber64(instance, L"ID", values.id);
    WMIHelper::GetNumber(instance, L"ISSUECODE", values.issueCode);
    WMIHelper::GetNumber(instance, L"PERSONID", values.personId);
    return values;
}

}  // namespace

CWmipBadgeMapper::CWmipBadgeMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(Permission::kViewBadges, Permission::kAddBadges, Permission::kModifyBadges,
                   Permission::kDeleteBadges);
    static constexpr ColumnHook kHooks[] = {
        {L"BADGE", L"PIN", Reader<&CWmipBadgeMapper::ReadPin>, true},
    };
    SetColumnHooks(kHooks);
    SetTransactionObject(AuditObject::kBadge);
    SetReplTransactionObject(ReplicationObject::kBadge);
}

CWmipBadgeMapper::~CWmipBadgeMapper() = default;

ProcessClauseResult CWmipBadgeMapper::ProcessClause(CString& property, int& wqlOperator, CString& literal,
                                                    CString& extra)
{
    if (property.CompareNoCase(L"PERSONID") == 0)
    {
        property = L"BADGE.EMPID";
        return ProcessClauseKeep;
    }
    if (property.CompareNoCase(L"PIN") == 0)
        return ProcessClauseDrop;
    const CString original = property;
    const ProcessClauseResult result = CWmipClassMapper::ProcessClause(property, wqlOperator, literal, extra);
    if (result != ProcessClausePlain)
        return result;
    property = ColumnOf(original);
    return ProcessClauseKeep;
}

bool CWmipBadgeMapper::HasPerPropertyPermissions()
{
    return true;
}

CString CWmipBadgeMapper::GetTableDotColumn(const CString& property)
{
    return ColumnOf(property);
}

CString CWmipBadgeMapper::GetPropertyName(const CString& column, const CString& table)
{
    if (table.CompareNoCase(L"BADGE") == 0 && column.CompareNoCase(L"EMPID") == 0)
        return L"PERSONID";
    return CWmipUDFClassMapper::GetPropertyName(column, table);
}

void CWmipBadgeMapper::SetupInstanceRecordset(CDynamicRecordset* recordset)
{
    if (recordset == nullptr)
        return;
    recordset->SetupJoin(L"BADGE", L"TYPE", L"BADGETYP", L"ID");
    recordset->AddAllColumnsToSet(L"BADGE");
}

HRESULT CWmipBadgeMapper::ReadPin(IWbemClassObject& instance, const CMultiFilterRecordset& row,
                                  const CString& /*column*/)
{
    if (row.IsFieldNull(L"BADGE.TYPE"))
        return S_OK;
    const LONG typeId = row.GetLong(L"BADGE.TYPE");
    CBadgeTypeContainer& types = CBadgeTypeContainer::Instance();
    std::optional<CBadgeType> type = types.Find(typeId);
    if (!type && types.Read(GetDatabaseUser(), -1, true))
        type = types.Find(typeId);
    if (!type || type->GetClass() != CBadgeType::kShownPinClass || row.IsFieldNull(L"BADGE.PIN"))
        return S_OK;
    const std::vector<BYTE> cipher = row.GetBytes(L"BADGE.PIN");
    CString pin;
    if (!brontel::crypto::Crypto().DecryptPinString(cipher, pin))
        pin.Empty();
    return WMIHelper::PutString(&instance, L"PIN", pin, CIM_STRING);
}

CBadgeType& CWmipBadgeMapper::GetBadgeType(IWbemClassObject* instance)
{
    if (m_badgeType)
        return *m_badgeType;
    const LONG typeId = CWmipRecordChecks::RequireNumber(kBadgeMapperSourceFile, instance, L"TYPE");
    auto type = std::make_unique<CBadgeType>(typeId);
    const HRESULT hr = type->Read(GetDatabaseUser(), -1);
    if (hr == CBadgeType::kNotFound)
        CWmipRecordChecks::ThrowNamed(kBadgeMapperSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                      CWmipMessages::kInvalidProperty, L"TYPE");
    if (hr != S_OK)
        throw CWMIException(kBadgeMapperSourceFile, __LINE__, WBEM_E_FAILED);
    type->ReadSegmentAssignments(GetDatabaseUser());
    m_badgeType = std::move(type);
    return *m_badgeType;
}

CPerson& CWmipBadgeMapper::GetPerson(IWbemClassObject* instance)
{
    if (m_person)
        return *m_person;
    const LONG personId = CWmipRecordChecks::RequireNumber(kBadgeMapperSourceFile, instance, L"PERSONID");
    auto person = std::make_unique<CPerson>(personId, nullptr, -9999, 101);
    if (!person->Read(GetDatabaseUser(), -1))
        CWmipRecordChecks::ThrowNamed(kBadgeMapperSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                      CWmipMessages::kInvalidProperty, L"PERSONID");
    person->ReadSegmentAssignments(GetDatabaseUser());
    m_person = std::move(person);
    return *m_person;
}

bool CWmipBadgeMapper::CallerReachesPerson(const CPerson& person)
{
    return person.PermissionGranted(RequireUser(), CUserAction(kPersonAction, false), false);
}

LONG CWmipBadgeMapper::GetBadgeIdMode(const CBadgeType& type)
{
    return type.GetBadgeIDMode() > 0 ? type.GetBadgeIDMode() : RequireUser()->GetBadgeIDMode();
}

bool CWmipBadgeMapper::IsManualBadgeIdAllowed(const CBadgeType& type)
{
    return type.GetBadgeIDMode() > 0 ? type.IsManualBadgeIDAllowed() : RequireUser()->IsManualBadgeIDAllowed();
}

LONG CWmipBadgeMapper::GetDefaultIssueCode(IWbemClassObject* instance)
{
    const CBadgeType& type = GetBadgeType(instance);
    return type.GetBadgeIDMode() > 0 ? type.GetDefaultIssueCode() : RequireUser()->GetDefaultIssueCode();
}

LONGLONG CWmipBadgeMapper::GenerateBadgeId(CBadgeType& type)
{
    if (type.GetClass() == CBadgeType::kShownPinClass)
        return -1;
    const LONG mode = GetBadgeIdMode(type);
    const bool generatedMode =
        std::find(std::begin(kGeneratedModes), std::end(kGeneratedModes), mode) != std::end(kGeneratedModes);
    if (!generatedMode && !type.ShouldHaveNegativeBadgeId())
        return -1;
    if (!type.GetIDConfig().AreRangesRead() && !type.GetIDConfig().ReadRanges(GetDatabase(), type.GetID()))
        return -1;
    const CBntIDGenerator generator(GetDatabaseUser());
    if (!type.ShouldHaveNegativeBadgeId())
        return generator.GetNextBadgeID(type.GetIDConfig(), -1);
    const LONG drawn = generator.GetNextID(kNegativeBadgeIdType, -1);
    if (drawn <= 0)
        return -1;
    return -static_cast<LONGLONG>(drawn);
}

LONGLONG CWmipBadgeMapper::DefaultBadgeId(IWbemClassObject* instance)
{
    CBadgeType& type = GetBadgeType(instance);
    const LONG mode = GetBadgeIdMode(type);
    if (mode == kModeManual)
        CWmipRecordChecks::ThrowNamed(kBadgeMapperSourceFile, __LINE__, WBEM_E_ILLEGAL_NULL,
                                      CWmipMessages::kRequiredProperty, L"ID");
    LONGLONG id = -1;
    if (mode == kModePersonNumber)
    {
        // The number of a person beyond the caller's segments is not read: the segment refusal
        // that the badge's checks give such a person comes first.
        const CPerson& person = GetPerson(instance);
        if (!CallerReachesPerson(person))
            throw CWMIException(kBadgeMapperSourceFile, __LINE__, WBEM_E_ACCESS_DENIED,
                                CWmipMessages::kSegmentAccessDenied);
        // A number text that is no number, or does not fit, gives no ID rather than a stray one.
        const std::optional<LONG> number = NumberTextAsId(person.GetNumberText());
        id = number ? *number : -1;
    }
    else if (mode == kModePersonId)
    {
        id = GetPerson(instance).GetID();
    }
    else
    {
        id = GenerateBadgeId(type);
    }
    if (id == -1)
        CWmipRecordChecks::ThrowNamed(kBadgeMapperSourceFile, __LINE__, WBEM_E_UNEXPECTED,
                                      CWmipMessages::kNoGeneratedId, L"ID");
    return id;
}

HRESULT CWmipBadgeMapper::GetDefaultValue(IWbemClassObject* instance, const CString& property, VARIANT& value)
{
    if (property.CompareNoCase(L"ID") == 0)
    {
        const LONGLONG id = DefaultBadgeId(instance);
        PutText(value, CWmipBadgeRecord::IdText(id));
        m_idGenerated = true;
        return S_OK;
    }
    if (property.CompareNoCase(L"ISSUECODE") == 0)
    {
        VariantClear(&value);
        value.vt = VT_I4;
        value.lVal = GetDefaultIssueCode(instance);
        return S_OK;
    }
    if (property.CompareNoCase(L"ACTIVATE") == 0 || property.CompareNoCase(L"DEACTIVATE") == 0)
    {
        COleDateTime activate = COleDateTime::GetCurrentTime();
        COleDateTime deactivate = activate;
        GetBadgeType(instance).CalculateDates(activate, deactivate);
        const bool isActivate = property.CompareNoCase(L"ACTIVATE") == 0;
        const COleDateTime date = isActivate ? activate : deactivate;
        if (date.GetStatus() != COleDateTime::valid)
            return WBEM_E_NOT_FOUND;
        CString text;
        WMIHelper::DateTimeToString(text, IsUseUTC() ? date : WMIHelper::LocalToUtc(date), 0, GetDoor());
        PutText(value, text);
        return S_OK;
    }
    return CWmipUDFClassMapper::GetDefaultValue(instance, property, value);
}

HRESULT CWmipBadgeMapper::IsValidValue(IWbemClassObject* instance, const CString& property, VARIANT& value)
{
    if (property.CompareNoCase(L"LASTCHANGED") == 0)
    {
        const COleDateTime now = COleDateTime::GetCurrentTime();
        CString text;
        WMIHelper::DateTimeToString(text, IsUseUTC() ? now : WMIHelper::LocalToUtc(now), 0, GetDoor());
        PutText(value, text);
        return S_OK;
    }
    const bool useLimit = property.CompareNoCase(L"USELIMIT") == 0;
    const bool issueCode = property.CompareNoCase(L"ISSUECODE") == 0;
    if ((useLimit || issueCode) && !IsEmptyValue(value))
    {
        _variant_t number;
        const bool read = SUCCEEDED(VariantChangeType(&number, &value, 0, VT_I4));
        if (!read || number.lVal < 0 || (useLimit && number.lVal > kMaxUseLimit))
            CWmipRecordChecks::ThrowNamed(kBadgeMapperSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                          CWmipMessages::kInvalidProperty, property);
    }
    if (property.CompareNoCase(L"TYPE") == 0 && !IsEmptyValue(value))
    {
        // The value list of TYPE holds the badge types the caller reads (badge type segmentation
        // decides, not the list table's segment column); whether the caller may give a badge of
        // the type is the badge rules' to say, in their order.
        _variant_t number;
        if (FAILED(VariantChangeType(&number, &value, 0, VT_I4)) ||
            !CallerCanSee(L"Bnt_BadgeType", {{L"ID", number.lVal}}))
            return WBEM_E_INVALID_PARAMETER;
        return CWmipClassMapper::IsValidValue(instance, property, value);
    }
    return CWmipUDFClassMapper::IsValidValue(instance, property, value);
}

HRESULT CWmipBadgeMapper::ValidateValuesForGeneratedProperties(IWbemClassObject* instance, bool create,
                                                               CString& propertyName)
{
    ComPtr<IWbemClassObject> withoutId;
    if (instance == nullptr || FAILED(instance->Clone(&withoutId)) || withoutId == nullptr)
        return CWmipUDFClassMapper::ValidateValuesForGeneratedProperties(instance, create, propertyName);
    _variant_t empty;
    withoutId->Put(L"ID", 0, &empty, 0);
    return CWmipUDFClassMapper::ValidateValuesForGeneratedProperties(withoutId.Get(), create, propertyName);
}

void CWmipBadgeMapper::AddAdditionalFields(CWmideFieldSet& fieldSet)
{
    if (fieldSet.GetTableName().CompareNoCase(L"BADGE") != 0)
        return;
    fieldSet.AddIntUnit(L"SEGMENTID", kBadgeSegment);
    if (!fieldSet.HasUnit(L"PASSAGE_MODE"))
        fieldSet.AddIntUnit(L"PASSAGE_MODE", 0);
}

CString CWmipBadgeMapper::GetSuperclassName()
{
    return L"Bnt_Element";
}

bool CWmipBadgeMapper::HasSuperclass()
{
    return true;
}

bool CWmipBadgeMapper::IsAbstractClass()
{
    return false;
}

void CWmipBadgeMapper::CanAdd(IWbemClassObject* instance)
{
    CWmipUDFClassMapper::CanAdd(instance);
    if (instance != nullptr)
        ValidateBadge(kValidateAdd, instance);
}

void CWmipBadgeMapper::CanModify(IWbemClassObject* instance)
{
    CWmipUDFClassMapper::CanModify(instance);
    if (instance != nullptr)
        ValidateBadge(kValidateModify, instance);
}

void CWmipBadgeMapper::CanDelete(IWbemClassObject* instance)
{
    CWmipUDFClassMapper::CanDelete(instance);
    if (instance == nullptr)
        return;
    try
    {
        const CAcsUser* user = RequireUser();
        CPerson& person = GetPerson(instance);
        CBadgeType& type = GetBadgeType(instance);
        if (!type.PermissionGranted(user, CUserAction(kBadgeTypeAction, false)) || !CallerReachesPerson(person))
            throw CWMIException(kBadgeMapperSourceFile, __LINE__, WBEM_E_ACCESS_DENIED, CWmipMessages::kAccessDenied);
    }
    catch (const CWMIException&)
    {
        throw;
    }
    catch (const CException&)
    {
        throw CWMIException(kBadgeMapperSourceFile, __LINE__, WBEM_E_FAILED);
    }
}

void CWmipBadgeMapper::CanViewAll()
{
    CWmipUDFClassMapper::CanViewAll();
    const CAcsUser* user = RequireUser();
    if (!user->IsAllSegmentsUser() && user->GetSystemOptions().IsBadgeTypeSegmentationEnabled())
        throw CWMIException(kBadgeMapperSourceFile, __LINE__, WBEM_E_ACCESS_DENIED,
                            CWmipMessages::kSegmentAccessDenied);
}

CString CWmipBadgeMapper::GetTransactionValues(Operation operation, IWbemClassObject* instance)
{
    const auto [badgeKey, id, issueCode, personId] = BadgeValuesOf(instance);
    const CString name = GetDatabase() != nullptr ? CWmipBadgeRecord::OwnerName(*GetDatabase(), personId) : CString();
    if (operation != Operation::Modify)
        return CWmipBadgeRecord::FormatAuditText(id, issueCode, personId, name);
    CString format;
    brontel::resources::LoadResourceString(kBadgeChangeAuditResource, format);
    CString text;
    text.FormatMessage(format, static_cast<const wchar_t*>(CWmipBadgeRecord::IdText(id)), issueCode,
                       static_cast<const wchar_t*>(CWmipBadgeRecord::IdText(m_storedId)), m_storedIssueCode, personId,
                       static_cast<const wchar_t*>(name));
    return text;
}

void CWmipBadgeMapper::SetupReplTransaction(CBntCardholderTrans& transaction, Operation operation,
                                            IWbemClassObject* instance)
{
    const auto [badgeKey, id, issueCode, personId] = BadgeValuesOf(instance);
    transaction.SetPersonID(personId);
    transaction.SetBadge(badgeKey, id, issueCode);
    if (operation == Operation::Modify)
        transaction.SetOldBadge(badgeKey, m_storedId, m_storedIssueCode);
    else
        transaction.SetOldBadge(badgeKey, id, issueCode);
}

const CSegmentUnit* CWmipBadgeMapper::FindSegmentUnit(LONG segmentId)
{
    return CWmipAccessRules::FindSegmentUnit(*RequireUser(), segmentId);
}

void CWmipBadgeMapper::BeforeWriteInstance(Operation operation, IWbemClassObject* instance)
{
    CWMIDebugLog::LogInfo(kBadgeMapperSourceFile, __LINE__, L"CWmipBadgeMapper::BeforeWriteInstance. Begin.", nullptr,
                          false);
    LONGLONG id = 0;
    if (operation == Operation::Modify && SUCCEEDED(WMIHelper::GetNumber64(instance, L"ID", id)) && id != m_storedId)
    {
        try
        {
            const LONG badgeKey = CWmipRecordChecks::RequireNumber(kBadgeMapperSourceFile, instance, L"BADGEKEY");
            CDynamicRecordset links(GetDatabase());
            links.SetupJoin(L"BADGELINK", L"ACCLVLID", L"ACCESSLVL", L"ACCESSLVID");
            links.AddColumnToSet(L"SEGMENTID", L"ACCESSLVL");
            links.AddFilterLong(L"BADGELINK.BADGEKEY", badgeKey);
            links.OpenForwardOnly();
            for (; !links.IsEOF(); links.MoveNext())
            {
                const CSegmentUnit* unit = FindSegmentUnit(links.GetLong(0));
                if (unit != nullptr &&
                    CWmipAccessRules::BrokenLimit(*unit, id, std::nullopt) != CWmipAccessRules::SegmentLimit::kNone)
                    throw CWMIException(kBadgeMapperSourceFile, __LINE__, WBEM_E_FAILED,
                                        CWmipMessages::kBadgeIdLongerThanLevels);
            }
        }
        catch (const CWMIException& e)
        {
            CWMIDebugLog::LogError(kBadgeMapperSourceFile, __LINE__,
                                   CString(L"Error while checking the access levels. ") + e.GetMessage());
            throw;
        }
        catch (const CException& e)
        {
            CWMIDebugLog::LogError(kBadgeMapperSourceFile, __LINE__, L"Error while checking the access levels.", 0, &e);
            throw CWMIException(kBadgeMapperSourceFile, __LINE__, WBEM_E_FAILED);
        }
    }
    CWMIDebugLog::LogInfo(kBadgeMapperSourceFile, __LINE__, L"CWmipBadgeMapper::BeforeWriteInstance. Done.", nullptr,
                          false);
}

void CWmipBadgeMapper::ForgetLastLocation(LONGLONG id)
{
    // The last location is kept by card number: once no badge holds the number, its row would
    // name nothing, and a badge later given the number would be shown where the old one was.
    GetDatabase()->ExecuteSQL(L"DELETE FROM LASTLOCATION WHERE CARDNUM = ? AND NOT EXISTS "
                              L"(SELECT 1 FROM BADGE WHERE ID = ?)",
                              {CDBValue(id), CDBValue(id)});
}

void CWmipBadgeMapper::AfterWriteInstance(Operation operation, IWbemClassObject* instance)
{
    CWMIDebugLog::LogInfo(kBadgeMapperSourceFile, __LINE__, L"CWmipBadgeMapper::AfterWriteInstance. Begin.");
    LONGLONG id = 0;
    WMIHelper::GetNumber64(instance, L"ID", id);
    if (operation == Operation::Add)
    {
        CWMIDebugLog::LogInfo(kBadgeMapperSourceFile, __LINE__,
                              L"CWmipBadgeMapper::AfterWriteInstance. AssignDefaultAccessLevels.");
        AssignDefaultAccessLevels(instance);
        CWmipBadgeRecord::DownloadBadgeToPanel(id, CWmipBadgeRecord::kAdded, CWmipBadgeRecord::kNoUseLimit);
    }
    else if (operation == Operation::Modify)
    {
        if (id == m_storedId)
        {
            CString line;
            line.Format(L"Badge was modified: sending out old use limit [%d]", m_storedUseLimit);
            CWMIDebugLog::LogInfo(kBadgeMapperSourceFile, __LINE__, line);
            CWmipBadgeRecord::DownloadBadgeToPanel(id, CWmipBadgeRecord::kChanged, m_storedUseLimit);
        }
        else
        {
            ForgetLastLocation(m_storedId);
            CWmipBadgeRecord::DownloadBadgeToPanel(m_storedId, CWmipBadgeRecord::kRemoved,
                                                   CWmipBadgeRecord::kNoUseLimit);
            CWmipBadgeRecord::DownloadBadgeToPanel(id, CWmipBadgeRecord::kAdded, CWmipBadgeRecord::kNoUseLimit);
        }
    }
    else if (operation == Operation::Delete)
    {
        ForgetLastLocation(id);
        CWmipBadgeRecord::DownloadBadgeToPanel(id, CWmipBadgeRecord::kRemoved, CWmipBadgeRecord::kNoUseLimit);
    }
    CWMIDebugLog::LogInfo(kBadgeMapperSourceFile, __LINE__, L"CWmipBadgeMapper::AfterWriteInstance. Done.");
}

void CWmipBadgeMapper::AssignDefaultAccessLevels(IWbemClassObject* instance)
{
    try
    {
        const CAcsUser* user = RequireUser();
        const CBntAcsSystemOptions& options = user->GetSystemOptions();
        CBadgeType& type = GetBadgeType(instance);
        const bool checkType = options.IsBadgeTypeSegmentationEnabled();
        CPerson* person = options.IsCardholderSegmentationEnabled() ? &GetPerson(instance) : nullptr;
        LONG badgeKey = 0;
        WMIHelper::GetNumber(instance, L"BADGEKEY", badgeKey);
        LONGLONG id = 0;
        WMIHelper::GetNumber64(instance, L"ID", id);

        CDynamicRecordset levels(GetDatabase());
        levels.SetupJoin(L"ACCESSLVL", L"ACCESSLVID", L"ACCGPLINK", L"ACCESSLVID");
        levels.AddColumnToSet(L"ACCESSLVID", L"ACCESSLVL");
        levels.AddColumnToSet(L"SEGMENTID", L"ACCESSLVL");
        levels.AddFilterLong(L"ACCGPLINK.ACCESSGPID", type.GetDefaultAccessGroup());
        levels.OpenForwardOnly();
        int added = 0;
        for (; !levels.IsEOF(); levels.MoveNext())
        {
            const LONG level = levels.GetLong(0);
            const LONG segment = levels.GetLong(1);
            const CSegmentUnit* unit = FindSegmentUnit(segment);
            if (unit != nullptr &&
                CWmipAccessRules::BrokenLimit(*unit, id, std::nullopt) != CWmipAccessRules::SegmentLimit::kNone)
                continue;
            // A level of a segment the owner is not assigned to stays with the owners of that segment.
            if (person != nullptr && segment != CAcsUser::kAllSegments &&
                person->GetSegmentAssignments().count(segment) == 0)
                continue;
            if (checkType && !type.HasSegmentAccess(segment, user))
                continue;
            GetDatabase()->ExecuteSQL(L"INSERT OR IGNORE INTO BADGELINK (ACCLVLID, BADGEKEY) VALUES (?, ?)",
                                      {CDBValue(level), CDBValue(badgeKey)});
            ++added;
        }
        if (added > 0 && options.ServerType() != 0)
        {
            CBntCardholderTrans transaction(CBntCardholderTrans::kModified, ReplicationObject::kAccessAssignment,
                                            nullptr);
            transaction.SetTime(COleDateTime::GetCurrentTime());
            transaction.SetUserID(user->GetUserID());
            SetupReplTransaction(transaction, Operation::Add, instance);
            LogReplication(transaction);
        }
    }
    catch (const CWMIException& e)
    {
        CWMIDebugLog::LogError(kBadgeMapperSourceFile, __LINE__,
                               CString(L"Error while assigning default access levels. ") + e.GetMessage());
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kBadgeMapperSourceFile, __LINE__, L"Error while assigning default access levels.", 0,
                               &e);
    }
}

void CWmipBadgeMapper::FilterUDFLayoutRecordset(CMultiFilterRecordset& recordset)
{
    recordset.AddFilterLong(L"UDFOBJS.TBLID", kBadgeLayoutTable);
}

LONG CWmipBadgeMapper::GetPropertyType(const CString& column, const CString& table)
{
    CString line;
    line.Format(L"GetPropertyType for [%s].[%s]", static_cast<const wchar_t*>(table),
                static_cast<const wchar_t*>(column));
    CWMIDebugLog::LogInfo(kBadgeMapperSourceFile, __LINE__, line, nullptr, false);
    if (table.CompareNoCase(L"BADGE") != 0)
        return 0;
    for (const wchar_t* flag : {L"APBEXEMPT", L"EXTEND_STRIKE_HELD", L"PASSAGE_MODE", L"DEADBOLT_OVERRIDE"})
    {
        if (column.CompareNoCase(flag) == 0)
            return CIM_BOOLEAN;
    }
    return column.CompareNoCase(L"PIN") == 0 ? CIM_STRING : 0;
}
