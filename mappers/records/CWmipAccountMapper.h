// CWmipAccountMapper: the mapper of Bnt_Account, the links of persons to directory accounts
// (CARDHOLDER_ACCOUNT). A link is created by finding the account in its directory and linking
// it (DirectoryDBManager), never modified, and deleted through the framework. Both writes need
// the right to change the person's accounts; a link and its audit and the person's change stamp
// are one transaction, in which the link's checks are made, so one account is linked once even
// when two requests link it at the same time.
//
// Built per request by its factory, or by the person delete cascade; the caller owns it. One
// request on one thread.
#pragma once

#include "framework/CWmipMapperSkeleton.h"
#include "mappers/records/CWmipPersonPartMapper.h"

class CWmipAccountMapper : public CWmipMapperSkeleton<CWmipAccountMapper, CWmipPersonPartMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_Account";

    CWmipAccountMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Creates the link (flags: an update-only put is refused as not supported, 0x8004100C):
    // the preliminary checks, the generated ID must be empty (0x80041001), DirectoryID,
    // PersonID and AccountID must be given (0x80041028) and valid (0x80041008, AccountID at
    // most 128 characters); then, in one transaction: the person-account check, the directory
    // (0x80041008 naming DirectoryID), the account in it (0x80041001), the person (0x80041008
    // naming PersonID), the link (0x80041001 "This account is already linked to an existing
    // person." when it exists), the new ID into the instance, the audit and AfterWriteInstance.
    // S_OK with path "Bnt_Account.ID=<key>"; every refusal leaves nothing written.
    HRESULT PutInstance(IWbemClassObject* instance, LONG flags, CString& path) override;
    // The framework's recordset plus EMP.VISITOR.
    void SetupInstanceRecordset(CDynamicRecordset* recordset) override;
    // Only accounts of the person kinds the caller may see.
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;
    // The framework's check, then, with an instance, CheckPersonAccountAccess.
    void CanAdd(IWbemClassObject* instance) override;
    void CanDelete(IWbemClassObject* instance) override;
    // Resource 20702 with PersonID and the person's "LASTNAME, FIRSTNAME".
    CString GetTransactionValues(brontel::UserTranOperation::UserTransactionOperation operation,
                                 IWbemClassObject* instance) override;
    // PersonID and the link's ID.
    void SetupReplTransaction(CBntCardholderTrans& transaction,
                              brontel::UserTranOperation::UserTransactionOperation operation,
                              IWbemClassObject* instance) override;

    // Nothing without an instance; 0x80041028 without PersonID; 0x80041003 when CPerson refuses
    // the caller the change of the person's accounts; 0x80041001 for a database failure.
    virtual void CheckPersonAccountAccess(IWbemClassObject* instance);

private:
    // The link inside its transaction (steps after the preliminary checks).
    LONG Link(IWbemClassObject* instance, LONG directoryId, LONG personId, const CString& accountId);
};
