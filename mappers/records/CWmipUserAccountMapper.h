// CWmipUserAccountMapper: the mapper of Bnt_UserAccount (USER_ACCOUNT), the directory accounts of
// the system users. A caller may write an account only of a user it may manage
// (CWmipUserRules::CanManageUser), never its own. Under the bus front end accounts are read-only.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipUserAccountMapper : public CWmipMapperSkeleton<CWmipUserAccountMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_UserAccount";

    // The mapper on the database of user (the pooled connection, which must outlive the mapper).
    // Its permission ids depend on the door, which it keeps first.
    CWmipUserAccountMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services, Door door);

    // Refuses (CWMIException 0x80041001) an add, modify or delete for a user the caller may not
    // manage.
    void BeforeWriteInstance(brontel::UserTranOperation::UserTransactionOperation operation,
                             IWbemClassObject* instance) override;
};
