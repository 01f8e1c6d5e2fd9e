// CWmipBadgeAssignmentMapper: the shared part of the mappers of links that give one badge
// something it opens doors with (an access level, a precision access group), keyed by the link's
// target and the badge's BadgeKey. A write is audited as an access assignment (object kind 14)
// naming the badge and its holder and replicated as kind 8 with the badge's holder and badge
// block; deleting a link stamps the badge and tells the communication server to download it.
//
// Base of per-request mappers; one request on one thread: no lock.
#pragma once

#include "framework/CWmipDynamicClassMapper.h"

class CWmipBadgeAssignmentMapper : public CWmipDynamicClassMapper
{
public:
    // The mapper of className on the database of user (the pooled connection, which must
    // outlive the mapper), with the assignment permissions and object kinds set.
    CWmipBadgeAssignmentMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                               const wchar_t* className);

    // The audit text names the badge and its holder.
    CString GetTransactionValues(brontel::UserTranOperation::UserTransactionOperation operation,
                                 IWbemClassObject* instance) override;
    // The replication entry names the badge's holder and badge block.
    void SetupReplTransaction(CBntCardholderTrans& transaction,
                              brontel::UserTranOperation::UserTransactionOperation operation,
                              IWbemClassObject* instance) override;
    // After a delete: stamps the badge, sends its download notice, then AfterBadgeNotice. A
    // badge that is gone is left alone.
    void AfterWriteInstance(brontel::UserTranOperation::UserTransactionOperation operation,
                            IWbemClassObject* instance) override;

protected:
    // What a link's delete does for the stamped badge after its notice; the base nothing.
    virtual void AfterBadgeNotice(LONG badgeKey);
};
