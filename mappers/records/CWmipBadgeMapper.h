// CWmipBadgeMapper: the mapper of Bnt_Badge, the badges of cardholders and visitors (BADGE,
// joined with BADGETYP, with the badge's user-defined fields). It derives or generates a new
// badge's ID and defaults from the badge type, refuses writes that break the badge rules (ID
// mode, printed badges, uniqueness of ID and issue code, active badges per person, digits per
// segment, dates, PIN form, segment and user rights) inside the write's transaction, shows the
// PIN of the badge types that carry one, builds a per-user class definition with the methods
// AddBadge and AssignAccessLevel, gives a new badge its type's default access levels and tells
// the communication server of every badge change.
//
// Badges are stored with SEGMENTID -1: a segment-restricted caller sees the badges of the
// persons it may see (the owner's segment), never by the badge's own column.
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "framework/CWmipMapperSkeleton.h"
#include "framework/CWmipUDFClassMapper.h"

class CBadgeType;
class CPerson;
class CSegmentUnit;

class CWmipBadgeMapper : public CWmipMapperSkeleton<CWmipBadgeMapper, CWmipUDFClassMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_Badge";

    // Hooks BADGE.PIN (ReadPin).
    CWmipBadgeMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipBadgeMapper() override;

    // PERSONID is BADGE.EMPID; a condition on PIN is dropped; any other property is its BADGE
    // column.
    ProcessClauseResult ProcessClause(CString& property, int& wqlOperator, CString& literal, CString& extra) override;
    // The user-defined-field base's definition, then BADGEKEY, PERSONID, the defaults, the
    // caller's PIN qualifiers (system 0 only) and the two methods.
    HRESULT CreateClass(IWbemClassObject** classObject, BOOL system) override;
    // The layout's reads and the PIN options (1605 to 1607), which the list stamp covers: the
    // definition is the same for every caller of one field group and segments.
    DefinitionReuse GetBuiltClassReuse() override;
    // After the base: a segment-restricted caller under badge type segmentation sees only the
    // badge types of its segments in TYPE's value list.
    HRESULT ProcessClassPermissions(IWbemClassObject* classObject) override;
    // A caller whose TYPE list the shaping rewrites: while its rights and BADGETYP (the list
    // stamp) stand; any other caller's shaping changes nothing: Never.
    DefinitionReuse GetShapedClassReuse() override;
    bool HasPerPropertyPermissions() override;
    // AddBadge (static) and AssignAccessLevel; any other name 0x80041055.
    HRESULT ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG flags, IWbemContext* context,
                          IWbemClassObject* inParams, IWbemObjectSink* sink) override;
    // BADGE.EMPID for PERSONID, BADGE.<property> otherwise.
    CString GetTableDotColumn(const CString& property) override;
    // BADGE.EMPID is read into PERSONID.
    CString GetPropertyName(const CString& column, const CString& table) override;
    // BADGE joined with BADGETYP, all BADGE columns.
    void SetupInstanceRecordset(CDynamicRecordset* recordset) override;
    // ID (from the badge type's mode), ISSUECODE, ACTIVATE and DEACTIVATE; others the base.
    HRESULT GetDefaultValue(IWbemClassObject* instance, const CString& property, VARIANT& value) override;
    // LASTCHANGED becomes now; USELIMIT 0..255 and ISSUECODE 0 or more (0x80041008).
    HRESULT IsValidValue(IWbemClassObject* instance, const CString& property, VARIANT& value) override;
    // The framework's rule for generated properties, except ID: a badge ID may be entered by
    // hand or changed where the badge type allows it, which ValidateBadge decides.
    HRESULT ValidateValuesForGeneratedProperties(IWbemClassObject* instance, bool create,
                                                 CString& propertyName) override;
    // A new BADGE row gets SEGMENTID -1 and, unless given, PASSAGE_MODE 0.
    void AddAdditionalFields(CWmideFieldSet& fieldSet) override;
    CString GetSuperclassName() override;
    bool HasSuperclass() override;
    bool IsAbstractClass() override;
    // The permission check, then with an instance ValidateBadge.
    void CanAdd(IWbemClassObject* instance) override;
    void CanModify(IWbemClassObject* instance) override;
    // The permission check, then with an instance the badge type's and the owner's rights.
    void CanDelete(IWbemClassObject* instance) override;
    // The base check; a segment-restricted caller under badge type segmentation: 0x80041003.
    void CanViewAll() override;
    CString GetTransactionValues(brontel::UserTranOperation::UserTransactionOperation operation,
                                 IWbemClassObject* instance) override;
    void SetupReplTransaction(CBntCardholderTrans& transaction,
                              brontel::UserTranOperation::UserTransactionOperation operation,
                              IWbemClassObject* instance) override;
    // A modify that changes the ID: the segment units of the badge's access levels must allow
    // the new ID's digits.
    void BeforeWriteInstance(brontel::UserTranOperation::UserTransactionOperation operation,
                             IWbemClassObject* instance) override;
    // Default access levels after an add, then the download notice(s). A notice the
    // communication server does not accept fails the write (0x80041001), which rolls it back.
    void AfterWriteInstance(brontel::UserTranOperation::UserTransactionOperation operation,
                            IWbemClassObject* instance) override;
    // The badge layout (TBLID 3).
    void FilterUDFLayoutRecordset(CMultiFilterRecordset& recordset) override;
    // The four flags are booleans, PIN a string.
    LONG GetPropertyType(const CString& column, const CString& table) override;

private:
    // Deletes the last location of the card number `id` when no badge holds it any more.
    void ForgetLastLocation(LONGLONG id);
    // Write flags of ValidateBadge.
    static constexpr int kValidateAdd = 0;
    static constexpr int kValidateModify = 1;

    // The PIN, decrypted, for the badge types of class 3 only.
    HRESULT ReadPin(IWbemClassObject& instance, const CMultiFilterRecordset& row, const CString& column);
    // The badge type and the person of the instance, read once per mapper (0x80041028 when the
    // instance lacks TYPE or PERSONID, 0x80041008 when no such record exists).
    CBadgeType& GetBadgeType(IWbemClassObject* instance);
    CPerson& GetPerson(IWbemClassObject* instance);
    // Whether the person lies within the caller's segments (the person check of a badge write).
    bool CallerReachesPerson(const CPerson& person);
    LONG GetBadgeIdMode(const CBadgeType& type);
    bool IsManualBadgeIdAllowed(const CBadgeType& type);
    LONG GetDefaultIssueCode(IWbemClassObject* instance);
    LONGLONG GenerateBadgeId(CBadgeType& type);
    // The ID default of the instance's badge type mode; throws the refusals of the ID default.
    LONGLONG DefaultBadgeId(IWbemClassObject* instance);

    void ValidateBadge(int flag, IWbemClassObject* instance);
    // The rules that compare the instance with the stored badge (modify only).
    void CompareWithStoredBadge(IWbemClassObject* instance, LONG badgeKey, LONGLONG id, LONG issueCode, LONG useLimit,
                                LONG status, bool& typeChanged, bool& statusChanged);
    void CheckCounts(bool add, bool statusChanged, LONG status, LONG badgeKey, LONGLONG id, LONG issueCode,
                     LONG personId);
    void CheckRequiredPersonFields(LONG personId, bool visitor, LONG badgeType);
    void CheckDigits(CBadgeType& type, LONGLONG id);
    void CheckDates(IWbemClassObject* instance) const;
    static void CheckPin(IWbemClassObject* instance);
    // The segment unit that limits a segment's badges (segment unit, else the hidden one).
    const CSegmentUnit* FindSegmentUnit(LONG segmentId);

    // The methods and the work after a write.
    // AddBadge: a refusal or failure answers its code alone (anything but a CWMIException:
    // 0x80041001), its reason in an error line of the log.
    HRESULT AddBadge(IWbemClassObject* inParams, IWbemObjectSink* sink);
    // AssignAccessLevel on the badge the path names, read in the write frame as the caller.
    HRESULT AssignAccessLevel(CWmipObjectPath* path, IWbemClassObject* inParams, IWbemObjectSink* sink);
    void AssignDefaultAccessLevels(IWbemClassObject* instance);

    // Per request, in this order: the cached badge type and person; whether GetDefaultValue
    // produced the ID; the stored ID, issue code and (when it changed) use limit of a modify.
    std::unique_ptr<CBadgeType> m_badgeType;
    std::unique_ptr<CPerson> m_person;
    bool m_idGenerated = false;
    LONGLONG m_storedId = 0;
    LONG m_storedIssueCode = 0;
    LONG m_storedUseLimit = -1;
};
