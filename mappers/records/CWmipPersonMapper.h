// CWmipPersonMapper: the mapper of the abstract class Bnt_Person and the base of the cardholder
// and visitor mappers. Persons are rows of EMP, told apart by EMP.VISITOR (0 cardholder, 1
// visitor); their user-defined fields live in UDFEMP (cardholders) or VISITOR_UDF (visitors).
// Every rule that persons share lives here, chosen by the person kind (GetPersonType: -1 any
// person, 1 cardholder, 2 visitor): the split of EMP by kind, the mapping of properties to
// columns, segment rules, defaults and value checks, the per-person write check, the audit
// values and the delete cascade (badges, then accounts, then a visitor's visit events), which
// runs inside the delete's transaction so that a failure of any part fails the delete and
// leaves the person whole.
//
// Bnt_Person itself is read-only (add, modify and delete not supported). Built per request by
// its factory; the caller owns it. One request on one thread.
#pragma once

#include "framework/CWmipMapperSkeleton.h"
#include "framework/CWmipUDFClassMapper.h"

class CBntAcsSystemOptions;

class CWmipPersonMapper : public CWmipMapperSkeleton<CWmipPersonMapper, CWmipUDFClassMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_Person";
    // Person kinds of GetPersonType.
    static constexpr int kAnyPerson = -1;
    static constexpr int kCardholder = 1;
    static constexpr int kVisitor = 2;

    // Bnt_Person on the database of user (the pooled connection, which must outlive the mapper).
    CWmipPersonMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // -1: any person.
    virtual int GetPersonType();
    // The layout's object type of the kind: 1 for cardholders, 9 for visitors, 0 otherwise.
    int GetUDFObjectType();

    // ID, PRIMARYSEGMENTID, the EMP columns and the kind's layout fields become their columns
    // (ProcessClauseKeep); IsGrant, which no column holds, is decided in memory
    // (ProcessClauseDrop); a field the caller may not access and any other property are left to
    // the framework's check, which refuses them.
    ProcessClauseResult ProcessClause(CString& property, int& wqlOperator, CString& literal, CString& extra) override;
    // The layout's definition with ID as key; cardholders and visitors add PRIMARYSEGMENTID
    // ("not_null") when their kind's segmentation is enabled, cardholders IsGrant outside the
    // bus front end. The first failing HRESULT otherwise.
    HRESULT CreateClass(IWbemClassObject** classObject, BOOL system) override;
    // The layout's reads and the segmentation options, which both stamps cover.
    DefinitionReuse GetBuiltClassReuse() override;
    // ID and PRIMARYSEGMENTID are EMP.ID and EMP.SEGMENTID; the EMP properties EMP.<name>; any
    // other property the kind's user-defined table.
    CString GetTableDotColumn(const CString& property) override;
    // EMP.SEGMENTID is read into PRIMARYSEGMENTID; the rest as the framework reads it.
    CString GetPropertyName(const CString& column, const CString& table) override;
    // EMP alone (any person), or EMP joined with the kind's user-defined table (its ID left
    // out: the key is EMP.ID).
    void SetupInstanceRecordset(CDynamicRecordset* recordset) override;
    // Only rows of the kind (EMP.VISITOR), and only the kinds the caller may see.
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;
    // EMP.ALLOWEDVISITORS is read only for cardholders.
    WMIHelper::ProcessMethod GetPropertyProcessMethod(const CString& column, const CString& table) override;
    // PRIMARYSEGMENTID defaults to the caller's one segment when it can reach only one.
    HRESULT GetDefaultValue(IWbemClassObject* instance, const CString& property, VARIANT& value) override;
    // LASTCHANGED becomes the time of the write; PRIMARYSEGMENTID must be a 32-bit integer
    // (0x80041008) naming a segment the caller may write to (0x80041003); others: the layout's
    // checks.
    // LASTCHANGED is stamped by the system on every write.
    bool IsSystemStamped(const CString& property) override;
    HRESULT IsValidValue(IWbemClassObject* instance, const CString& property, VARIANT& value) override;
    // A new EMP row gets VISITOR of its kind, ASSET_GROUPID 0, GUARD 0, and for a visitor
    // ALLOWEDVISITORS 0.
    void AddAdditionalFields(CWmideFieldSet& fieldSet) override;
    // Bnt_Element for Bnt_Person, Bnt_Person for cardholders and visitors.
    CString GetSuperclassName() override;
    bool HasSuperclass() override;
    // Only Bnt_Person is abstract.
    bool IsAbstractClass() override;
    // Cardholders and visitors: the Bnt_Person definition built by a person mapper on this
    // mapper's connection, as the system; Bnt_Person: the framework's fetch of Bnt_Element.
    HRESULT GetSuperclassDefinition(IWbemClassObject** parent, BOOL system) override;
    // The framework's check of the modify or delete id, then, with an instance, the per-person
    // check (CheckPersonWriteAccess).
    void CanModify(IWbemClassObject* instance) override;
    void CanDelete(IWbemClassObject* instance) override;
    // The framework's check, then: an all-segments caller passes; otherwise 0x80041003 where
    // the kind's (or any kind's, for any person) segmentation is enabled.
    void CanViewAll() override;
    // Resource 20702 with the instance's ID and "LASTNAME, FIRSTNAME".
    CString GetTransactionValues(brontel::UserTranOperation::UserTransactionOperation operation,
                                 IWbemClassObject* instance) override;
    void SetupReplTransaction(CBntCardholderTrans& transaction,
                              brontel::UserTranOperation::UserTransactionOperation operation,
                              IWbemClassObject* instance) override;
    // Inside the write's transaction: a delete first deletes the person's badges and accounts
    // through their mappers (on this mapper's connection, authorization bypassed) and a
    // visitor's single-visit events; a modify that changes the primary segment removes the
    // access the lost segment units carried. Any failure is thrown and rolls the write back.
    void BeforeWriteInstance(brontel::UserTranOperation::UserTransactionOperation operation,
                             IWbemClassObject* instance) override;
    // Any person: the cardholder layout's EMP fields; cardholders and visitors: their layout.
    void FilterUDFLayoutRecordset(CMultiFilterRecordset& recordset) override;

    // The per-person check of a modify (isModify) or a delete: nothing without an instance;
    // 0x80041028 without ID; 0x80041003 when CPerson refuses the caller; on a modify, the
    // required fields of the badge types of the person's active badges. A database failure is
    // 0x80041001.
    virtual void CheckPersonWriteAccess(bool isModify, IWbemClassObject* instance);

protected:
    // The mapper of a derived class (its own class name).
    CWmipPersonMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services, const wchar_t* className);

private:
    // The kind's user-defined table (UDFEMP, VISITOR_UDF); empty for any person.
    CString GetUDFTableName();
    // True when segmentation applies to the kind (any person: either kind).
    bool IsSegmentationEnabled(const CBntAcsSystemOptions& options);
    // The layout field of the property, or null.
    const LayoutField* FindLayoutField(const CString& property);
    void DeleteDependents(LONG personId);
    void DeleteThroughMapper(const wchar_t* className, const wchar_t* table, const wchar_t* keyColumn,
                             const wchar_t* keyProperty, LONG personId, const wchar_t* failureMessage);
    void ChangePrimarySegment(IWbemClassObject* instance);
};
