// CWmipReaderRequestMapper: the mapper of Bnt_ReaderRequest, the requests for access at one
// reader (ACCESS_REQUEST joined to its READER and panel, TYPE 0). A caller who manages levels with
// full rights (USERS_ACCESSLEVEL_LINK) sees the requests for the readers those levels link; a
// caller who manages none needs permission 0x20000002 and then sees all; user -1 sees all.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "mappers/records/CWmipAccessRequestMapper.h"

class CWmipReaderRequestMapper : public CWmipMapperSkeleton<CWmipReaderRequestMapper, CWmipAccessRequestMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_ReaderRequest";

    // The mapper on the database of user (the pooled connection, which must outlive the mapper).
    CWmipReaderRequestMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // A manager sees only the requests for the readers of the levels he manages with full rights.
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;
    // Every write is of a reader request (Type 0).
    void BeforeWriteInstance(brontel::UserTranOperation::UserTransactionOperation operation,
                             IWbemClassObject* instance) override;
};
