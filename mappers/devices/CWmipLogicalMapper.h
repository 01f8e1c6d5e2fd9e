// CWmipLogicalMapper: what the mappers of the logical sources, devices and sub-devices share:
// one set of permissions, the rules checked after the permission check on add and modify, the
// audit object, and the frame of a write that runs its checks, rows and audit in one
// transaction and tells the servers after it commits.
//
// Built per request by a derived mapper's factory. One request on one thread: no lock.
#pragma once

#include <functional>

#include "framework/CWmipDynamicClassMapper.h"

class CBntDatabase;

class CWmipLogicalMapper : public CWmipDynamicClassMapper
{
public:
    ~CWmipLogicalMapper() override;

    // The permission check, then with an instance the class's rules.
    void CanAdd(IWbemClassObject* instance) override;
    void CanModify(IWbemClassObject* instance) override;
    brontel::UserTranObject::UserTransactionObject GetTransactionObject() override;

protected:
    // `source` names the mapper in its exceptions; `auditObject` is its audit object.
    CWmipLogicalMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services, const wchar_t* className,
                       const wchar_t* source, LONG auditObject);

    // The class's rules; `create` tells whether the name may match the instance itself.
    virtual void Validate(IWbemClassObject* instance, bool create) = 0;

    // The start of an add: CanAdd, the refusal of values given for generated properties, then
    // the next id of idType, written into the instance's "ID" and answered.
    LONG AddWithNewId(IWbemClassObject* instance, LONG idType);

    // Refuses a null instance or a missing connection, then runs `write` (told whether the
    // flags ask for a modify), the audit, AfterWriteInstance (the servers' notice) and the
    // commit in one transaction, so two writers cannot both pass the name check and the notice
    // leaves only with a committed write.
    void WriteInTransaction(IWbemClassObject* instance, LONG flags,
                            const std::function<void(CBntDatabase& database, bool modify)>& write);

private:
    const wchar_t* m_source;
    LONG m_auditObject;
};
