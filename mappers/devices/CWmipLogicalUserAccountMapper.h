// CWmipLogicalUserAccountMapper: the mapper of Bnt_LogicalSystemAccount, the accounts that the
// logical systems hold for persons (LOGICAL_USER_ACCOUNT), written through the framework's
// staging with an audit text naming the person and a replication entry for the person.
// Viewing needs 0x20000055, writing 0x20000056.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipDynamicClassMapper.h"

class CWmipLogicalUserAccountMapper : public CWmipDynamicClassMapper
{
public:
    CWmipLogicalUserAccountMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipLogicalUserAccountMapper() override;

    // The WMI class the mapper serves: "Bnt_LogicalSystemAccount".
    static const wchar_t* GetWMIClassName();
    // The MapperFactory of the class: a new mapper that the caller owns; never null.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Audit object 48.
    brontel::UserTranObject::UserTransactionObject GetTransactionObject() override;
    // The person's id and name ("LASTNAME, FIRSTNAME"; empty when there is no such person).
    CString GetTransactionValues(brontel::UserTranOperation::UserTransactionOperation operation,
                                 IWbemClassObject* instance) override;
    // Replication object 1, for the account's person.
    LONG GetReplTransactionObject() override;
    void SetupReplTransaction(CBntCardholderTrans& transaction,
                              brontel::UserTranOperation::UserTransactionOperation operation,
                              IWbemClassObject* instance) override;
};
