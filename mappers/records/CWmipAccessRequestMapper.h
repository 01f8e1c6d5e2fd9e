// CWmipAccessRequestMapper: the mapper of the abstract class Bnt_AccessRequest (ACCESS_REQUEST)
// and the base of the concrete request classes. It derives a request's Status from the stage
// stamps of its row and runs the stage changes: every put stamps the submitted stage, and the
// methods Approve, Deny and Hold stamp theirs. A stage change reads the stored row and stamps it
// in one transaction, so two concurrent changes cannot both pass the transition rule; it needs a
// caller who may act on the request (CanChangeStage).
//
// Built per request by a factory (of the concrete class); the caller owns it. One request on one
// thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipAccessRequestMapper : public CWmipMapperSkeleton<CWmipAccessRequestMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_AccessRequest";

    // Request stages, as the Status property numbers them.
    enum Stage : LONG
    {
        Submitted = 0,
        Approved = 1,
        OnHold = 2,
        Denied = 3
    };

    // The mapper of Bnt_AccessRequest on the database of user (the pooled connection, which must
    // outlive the mapper). Hooks ACCESS_REQUEST.SUBMITTED_USERID (ReadSubmittedUser).
    CWmipAccessRequestMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // The Status of a request from its stage user ids: denied wins over approved, which wins
    // over on hold (a positive user id); submitted otherwise.
    static LONG DeriveStatus(LONG approvedBy, LONG deniedBy, LONG onHoldBy);

    // A concrete request class is a Bnt_AccessRequest; the abstract class answers as declared.
    CString GetSuperclassName() override;
    bool HasSuperclass() override;
    bool IsAbstractClass() override;
    // A concrete request class: CanViewAsManager (setting the manager flag). The abstract class:
    // the permission check.
    HRESULT CanView() override;
    // A comparison on Status is dropped from the SQL (the status is derived); the query's
    // in-memory check still applies it to every instance.
    ProcessClauseResult ProcessClause(CString& property, int& wqlOperator, CString& literal, CString& extra) override;
    // Approve, Deny and Hold (names without regard to case): S_OK, or throws CWMIException
    // (0x80041002 no such request, 0x80041003 a caller who may not act on it, 0x80041016 a
    // transition that is not allowed). Any other name answers 0x80041055.
    HRESULT ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG flags, IWbemContext* context,
                          IWbemClassObject* inParams, IWbemObjectSink* sink) override;
    // Every put stamps the submitted stage.
    void AfterWriteInstance(brontel::UserTranOperation::UserTransactionOperation operation,
                            IWbemClassObject* instance) override;

protected:
    // The mapper of a concrete request class (its own class name), with the same column hook.
    CWmipAccessRequestMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                             const wchar_t* className);

    // Returns when the caller may change the stage of the stored request; throws CWMIException
    // 0x80041003 otherwise. The base allows every caller who passes CanView.
    virtual void CanChangeStage(IWbemClassObject* instance);
    // The view rule of the concrete request classes, which level managers narrow: S_OK for user
    // -1 (manager flag false), for a caller who manages some level with full rights (manager flag
    // true) and for a holder of 0x20000002; 0x80041003 otherwise.
    HRESULT CanViewAsManager();
    // Whether the caller manages the level (any level when levelId is 0) with full rights.
    bool ManagesWithFullRights(const CAcsUser& user, LONG levelId);
    // The recordset, when the view rule (CanViewAsManager, asked anew) finds the caller (not
    // user -1) a manager whose view the derived class narrows; null otherwise.
    CDynamicRecordset* ManagerRecordset(CMultiFilterRecordset* recordset);
    // The filters on the joined USERS_ACCESSLEVEL_LINK: the caller's levels with full rights.
    void AddManagerFilters(CMultiFilterRecordset& recordset);

    // The user id that sees and acts on every request.
    static constexpr LONG kAllRightsUser = -1;

    // Set by the view rule of a concrete class: the caller manages at least one level with full
    // rights.
    bool m_isManager = false;

private:
    // The column hooks of every request class.
    static const ColumnHook kColumnHooks[1];

    // Set at construction: a concrete request class rather than Bnt_AccessRequest.
    const bool m_concrete;

    // The submitted user column fills SubmittedByUserID and Status. Throws CWMIException
    // WBEM_E_ILLEGAL_NULL for a row without ID.
    HRESULT ReadSubmittedUser(IWbemClassObject& instance, const CMultiFilterRecordset& row, const CString& column);

    // Stamps the stage on the stored request (parameters may be null). S_OK or throws.
    HRESULT ChangeStage(IWbemClassObject* instance, IWbemClassObject* parameters, Stage stage);
};
