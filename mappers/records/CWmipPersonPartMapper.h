// CWmipPersonPartMapper: the base of the mappers of records that belong to one person (accounts,
// multimedia objects, secondary segments): the person-kind view rule of a row, and the after-write
// step that marks the owning person as changed (EMP.LASTCHANGED) and, where the mapper asks for
// it and the installation replicates, records the person as modified.
//
// Built per request through a derived mapper; the caller owns it. One request on one thread.
#pragma once

#include "framework/CWmipDynamicClassMapper.h"

class CWmipPersonPartMapper : public CWmipDynamicClassMapper
{
public:
    // S_OK when the caller may view the class (the view id) and, while an enumeration stands on
    // a row, the kind of that row's person (EMP.VISITOR): cardholders need 0x20000003 and
    // 0x20000057, visitors 0x20000023; 0x80041003 otherwise. Throws the identity failure.
    HRESULT CanView() override;
    // After an add or a delete, inside the write's transaction: the person of PersonID gets
    // LASTCHANGED now and, when the mapper replicates its person, a replication entry of a
    // modified person where the server type is not 0. Nothing when the caller cannot be had.
    // Throws CWMIException 0x80041001 when the person row cannot be written.
    void AfterWriteInstance(brontel::UserTranOperation::UserTransactionOperation operation,
                            IWbemClassObject* instance) override;

    // Records the person of PersonID in the replication entry.
    void SetupReplTransaction(CBntCardholderTrans& transaction,
                              brontel::UserTranOperation::UserTransactionOperation operation,
                              IWbemClassObject* instance) override;

protected:
    // mapperName names the mapper in the log; replicatePerson: whether AfterWriteInstance
    // records the person as modified for the replicator.
    CWmipPersonPartMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                          const wchar_t* className, const wchar_t* mapperName, bool replicatePerson);

    // The audit text of the person of PersonID: resource 20702 with the id and the person's
    // name from EMP (with the middle name when asked); the name is empty without a row.
    CString FormatPersonAuditText(IWbemClassObject* instance, bool withMiddleName);

private:
    // Set at construction.
    const CString m_logPrefix;
    const bool m_replicatePerson;
};
