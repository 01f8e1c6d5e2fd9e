// CWmipAccessLevelRequestMapper: the mapper of Bnt_AccessLevelRequest, the requests for an access
// level (ACCESS_REQUEST joined to ACCESSLVL). A caller who manages levels with full rights
// (USERS_ACCESSLEVEL_LINK) sees and acts on the requests of those levels only; a caller who
// manages none needs permission 0x20000002 and then sees all; user -1 sees and acts on all.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "mappers/records/CWmipAccessRequestMapper.h"

class CWmipAccessLevelRequestMapper
    : public CWmipMapperSkeleton<CWmipAccessLevelRequestMapper, CWmipAccessRequestMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_AccessLevelRequest";

    // The mapper on the database of user (the pooled connection, which must outlive the mapper).
    CWmipAccessLevelRequestMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // A manager sees only the requests of the levels he manages with full rights.
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;
    // Every write is of an access level request (Type 1).
    void BeforeWriteInstance(brontel::UserTranOperation::UserTransactionOperation operation,
                             IWbemClassObject* instance) override;

protected:
    // The caller must be able to see the request: user -1, a manager of its level with full
    // rights, or a holder of 0x20000002 who manages no level.
    void CanChangeStage(IWbemClassObject* instance) override;
};
