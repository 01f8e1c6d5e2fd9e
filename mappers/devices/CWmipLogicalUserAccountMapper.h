// CWmipLogicalUserAccountMapper: the mapper of Bnt_LogicalSystemAccount, the accounts that the
// logical systems hold for persons (LOGICAL_USER_ACCOUNT), written through the framework's
// staging with an audit text naming the person and a replication entry for the person.
// Viewing needs 0x20000055, writing 0x20000056; audit object 48, replication object 1.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipLogicalUserAccountMapper : public CWmipMapperSkeleton<CWmipLogicalUserAccountMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_LogicalSystemAccount";

    CWmipLogicalUserAccountMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // The person's id and name ("LASTNAME, FIRSTNAME"; empty when there is no such person).
    CString GetTransactionValues(brontel::UserTranOperation::UserTransactionOperation operation,
                                 IWbemClassObject* instance) override;
    // The replication entry (object 1) is the account's person's.
    void SetupReplTransaction(CBntCardholderTrans& transaction,
                              brontel::UserTranOperation::UserTransactionOperation operation,
                              IWbemClassObject* instance) override;
};
