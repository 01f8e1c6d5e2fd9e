// CWmipVisitMapper: the mapper of Bnt_Visit, one visit of a visitor to a host cardholder (VISIT)
// with its event row (VISIT_EVENT): scheduled times (local, in the event row), actual sign-in and
// sign-out times (UTC), e-mail recipients and notices. It keeps the event row in step with the
// visit inside the write's transaction (created while an add is staged, changed before a modify
// is written, deleted after the visit), checks hosts, visitors, segments and times, and offers
// the WMI methods SignVisitIn and SignVisitOut. Notices are queued in the installation's outbox
// (CBntEmailManager); badge changes are announced to the communication server after they are
// committed.
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "framework/CWmipMapperSkeleton.h"
#include "framework/CWmipUDFClassMapper.h"

class CBadgeType;
class CBntAcsDBMgrVisit;
class CPerson;
class CVisit;

class CWmipVisitMapper : public CWmipMapperSkeleton<CWmipVisitMapper, CWmipUDFClassMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_Visit";
    static constexpr const wchar_t* kSignVisitInMethod = L"SignVisitIn";
    static constexpr const wchar_t* kSignVisitOutMethod = L"SignVisitOut";

    // Hooks the event columns SCHEDULED_TIMEIN, SCHEDULED_TIMEOUT (ReadScheduledTime) and
    // VISIT_EVENT_SIGN_IN_LOCATIONID (ReadSignInLocation).
    CWmipVisitMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipVisitMapper() override;

    // A plain comparison on a property becomes its column (GetTableDotColumn) and is kept.
    ProcessClauseResult ProcessClause(CString& property, int& wqlOperator, CString& literal, CString& extra) override;
    // The layout's definition (table 100101), then the visit's own properties; TIMEIN, TIMEOUT
    // and LASTCHANGED are added "noedit" when the layout lacks them; SIGNINLOCATIONID only under
    // the bus front end; the two methods.
    HRESULT CreateClass(IWbemClassObject** classObject, BOOL system) override;
    // The layout's reads only (the door is the process's own).
    DefinitionReuse GetBuiltClassReuse() override;
    // True for exactly "SignVisitIn" and "SignVisitOut" (the class's definition carries them).
    bool IsMethodSupported(const wchar_t* methodName) override;
    bool IsUseUTC() override;
    // SignVisitIn and SignVisitOut (CWmipVisitMapperMethods.cpp).
    HRESULT ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG flags, IWbemContext* context,
                          IWbemClassObject* inParams, IWbemObjectSink* sink) override;
    // The mapping of the class's properties; EMAIL_LIST and VISIT_KEY have no column.
    CString GetTableDotColumn(const CString& property) override;
    // VISIT joined with its event, its host (EMP) and its visitor (EMP_VISITOR): the VISIT
    // columns without the local-time ones, the event's scheduled times and sign-in location.
    void SetupInstanceRecordset(CDynamicRecordset* recordset) override;
    // VISIT columns under their property names (3); the rest as the framework decides.
    WMIHelper::ProcessMethod GetPropertyProcessMethod(const CString& column, const CString& table) override;
    CString GetPropertyName(const CString& column, const CString& table) override;
    // SCHEDULED_TIMEIN/OUT: today at the default sign-in/out time of day, in UTC; VISIT_EVENTID:
    // the id of the event row AddVisitEvent writes; VISIT_KEY: the visit's key text.
    HRESULT GetDefaultValue(IWbemClassObject* instance, const CString& property, VARIANT& value) override;
    // LASTCHANGED becomes now (UTC); the rest: the layout's checks.
    // LASTCHANGED is stamped by the system on every write.
    bool IsSystemStamped(const CString& property) override;
    HRESULT IsValidValue(IWbemClassObject* instance, const CString& property, VARIANT& value) override;
    // The framework's check, and on a create a VISIT_EVENTID of the client's is refused: the
    // event row is the visit's own and is made with it.
    HRESULT ValidateValuesForGeneratedProperties(IWbemClassObject* instance, bool create,
                                                 CString& propertyName) override;
    CString GetSuperclassName() override;
    bool HasSuperclass() override;
    bool IsAbstractClass() override;
    // The permission, then with an instance the segment checks and ValidateVisit.
    void CanAdd(IWbemClassObject* instance) override;
    void CanModify(IWbemClassObject* instance) override;
    // The framework's check; 0x80041003 for a caller short of all segments under cardholder
    // segmentation.
    void CanViewAll() override;
    // Resource 20528 with VISITORID and the visitor's and host's names.
    CString GetTransactionValues(brontel::UserTranOperation::UserTransactionOperation operation,
                                 IWbemClassObject* instance) override;
    void SetupReplTransaction(CBntCardholderTrans& transaction,
                              brontel::UserTranOperation::UserTransactionOperation operation,
                              IWbemClassObject* instance) override;
    // Modify: UpdateVisitEvent. Delete: the visitor's badges end when no other visit of theirs
    // is active, and the delete notice. A database failure is thrown and rolls the write back.
    void BeforeWriteInstance(brontel::UserTranOperation::UserTransactionOperation operation,
                             IWbemClassObject* instance) override;
    // Delete: the event row goes. Add and modify: the e-mail recipients are saved, then the
    // notice. A database failure is thrown and rolls the write back.
    void AfterWriteInstance(brontel::UserTranOperation::UserTransactionOperation operation,
                            IWbemClassObject* instance) override;
    void FilterUDFLayoutRecordset(CMultiFilterRecordset& recordset) override;

    // The pieces of an EMAIL_LIST text: split at ';', trimmed, empty pieces dropped.
    static std::vector<CString> SplitEmailList(const CString& list);

private:
    // The scheduled time of the event column as stored (nothing for NULL).
    HRESULT ReadScheduledTime(IWbemClassObject& instance, const CMultiFilterRecordset& row, const CString& column);
    // SIGNINLOCATIONID under the bus front end only (null for NULL).
    HRESULT ReadSignInLocation(IWbemClassObject& instance, const CMultiFilterRecordset& row, const CString& column);

    // The event row (CWmipVisitMapperEvents.cpp). AddVisitEvent: the event row of an add, its id
    // into eventId (VT_I4). Throws CWMIException.
    void AddVisitEvent(IWbemClassObject* instance, VARIANT& eventId);
    // The instance's VISIT_EVENTID, else the stored visit's. Throws CDBException.
    LONG GetVisitEventID(IWbemClassObject* instance);
    void UpdateVisitEvent(IWbemClassObject* instance);
    void DeleteVisitEvent(IWbemClassObject* instance);
    // The audit entry (resource 20931) of a change to the event row; throws when it is not written.
    void AuditVisitEvent(CAcsUser* user, CBntDatabase* database,
                         brontel::UserTranOperation::UserTransactionOperation operation, LONG eventId,
                         const CString& name);
    // The replication entry (a CBntCardholderTrans action) of a change to the event row.
    void ReplicateVisitEvent(LONG action, LONG eventId);
    void CheckVisitSegments(IWbemClassObject* instance);
    void ValidateVisit(bool modifying, IWbemClassObject* instance);
    // Reads the visitor; throws CWMIException: 0x80041008 naming VISITORID for an id above 0 of
    // no person, 0x80041001 for a person who is a cardholder.
    void ReadVisitor(CPerson& visitor);
    // The visit the instance names by ID, CARDHOLDERID and VISITORID (0 when absent).
    static CVisit VisitOf(IWbemClassObject* instance);
    // The text a notice shows for a stored time: "Invalid DateTime" when there is none.
    static CString NoticeTime(const CString& stored);
    // The text of a string resource (empty for an unknown id).
    static CString ResourceText(UINT id);
    // The unsigned decimal key of a visit id above 0; empty otherwise.
    static CString BuildVisitKey(LONG visitId);
    // Today at the time of day, local, converted to UTC, as the mode's date-time text.
    CString DefaultScheduledTime(LONG secondsOfDay);

    // The visit manager on the mapper's connection, with the installation's visit defaults.
    std::unique_ptr<CBntAcsDBMgrVisit> SetupVisitManager();
    // Queues the notice of resource for the visit's recipients; a failure is logged.
    void SendNotice(CBntAcsDBMgrVisit& manager, CVisit& visit, UINT resource, const CString& first,
                    const CString& second);
    // The visit badge update decision for the visitor; the badges it changed (none when it was
    // not accepted) are added to announce.
    static void RunBadgeUpdate(CBntAcsDBMgrVisit& manager, LONG visitorId, std::vector<LONGLONG>& announce);

    // The method handlers (CWmipVisitMapperMethods.cpp).
    // Each on the visit the path names, read in the write frame as the caller.
    HRESULT SignVisitIn(CWmipObjectPath* path, IWbemClassObject* inParams);
    HRESULT SignVisitOut(CWmipObjectPath* path, IWbemClassObject* inParams);
    // The write frame of both: the visit the path names, the caller's right to sign visits
    // (CheckMethodCaller), then `body`, whose every throw answers as a failed method.
    HRESULT RunSigning(CWmipObjectPath* path, const wchar_t* method, IWbemClassObject* inParams,
                       const std::function<void(IWbemClassObject* visit, CAcsUser* user)>& body);
    // The visitor is read with its segments.
    void SignInWithNewBadge(LONG badgeTypeId, const CString& printerName, CAcsUser* user, CVisit& visit,
                            const CPerson& visitor, CBntAcsDBMgrVisit& manager);
    void SignInWithExistingBadge(LONGLONG badgeId, CAcsUser* user, CVisit& visit, const CPerson& visitor,
                                 CBntAcsDBMgrVisit& manager);
    // Reads the type and refuses one that is not a visitor type, one the user may not assign,
    // and, under visitor segmentation, one of no segment of the visitor (read with its segments).
    void CheckVisitBadgeType(CBadgeType& type, CAcsUser* user, const CPerson& visitor);
    LONG GetBadgeTypeOfBadge(LONGLONG badgeId);
    // Permission 0x2000004B and the caller: the refusals are thrown.
    CAcsUser* CheckMethodCaller(IWbemClassObject* instance);

    // Badges a delete signed out, announced once the write is done.
    std::vector<LONGLONG> m_badgesToAnnounce;
};
