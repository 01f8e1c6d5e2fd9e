// CWmipUserSecondarySegmentMapper: the mapper of Bnt_UserSecondarySegment (USER_SEGMENT_LINK), the
// segments a system user sees beside its primary segment. A link is added or deleted only by a
// caller with write access to both the user's primary segment and the segment, so no caller
// reaches a segment it does not already reach; an added segment must pass the segmentation rules. Every change is
// audited as a change of the user and stamps its LASTCHANGED. Links are not modified.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipUserSecondarySegmentMapper : public CWmipMapperSkeleton<CWmipUserSecondarySegmentMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_UserSecondarySegment";

    // The mapper on the database of user (the pooled connection, which must outlive the mapper).
    CWmipUserSecondarySegmentMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // The base checks (0x1000000F, 0x1000001D), then with an instance the assignment rules.
    // Throws CWMIException: 0x80041028 a missing key, 0x80041008 an unknown user or segment,
    // 0x80041003 no segment access, 0x80041001 a broken rule.
    void CanAdd(IWbemClassObject* instance) override;
    void CanDelete(IWbemClassObject* instance) override;
    // Audited as a modification of the user (object kind 48; replication kind 1024).
    void LogTransaction(brontel::UserTranOperation::UserTransactionOperation operation,
                        IWbemClassObject* instance) override;
    CString GetTransactionValues(brontel::UserTranOperation::UserTransactionOperation operation,
                                 IWbemClassObject* instance) override;
    void SetupReplTransaction(CBntCardholderTrans& transaction,
                              brontel::UserTranOperation::UserTransactionOperation operation,
                              IWbemClassObject* instance) override;
    // Stamps the user's LASTCHANGED.
    void AfterWriteInstance(brontel::UserTranOperation::UserTransactionOperation operation,
                            IWbemClassObject* instance) override;

private:
    void CheckSegmentAssignment(bool adding, IWbemClassObject* instance);
};
