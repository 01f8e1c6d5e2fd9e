// CWmipBadgeStatusMapper: the mapper of Bnt_BadgeStatus, the badge statuses of BADGSTAT. The
// system statuses 0 and 1 cannot be changed or deleted, names are unique, a status in use by a
// badge cannot be deleted, and an enterprise region changes none. A written status drops the
// caller's cached Bnt_Badge definition, which lists the statuses.
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipBadgeStatusMapper : public CWmipMapperSkeleton<CWmipBadgeStatusMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_BadgeStatus";

    CWmipBadgeStatusMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // ID: the next ID of BADGSTAT (VT_I4); others the base.
    HRESULT GetDefaultValue(IWbemClassObject* instance, const CString& property, VARIANT& value) override;
    // The permission check, then with an instance the status rules (0x80041001 with their
    // messages).
    void CanAdd(IWbemClassObject* instance) override;
    void CanModify(IWbemClassObject* instance) override;
    void CanDelete(IWbemClassObject* instance) override;
    // "Name (NAME)".
    CString GetTransactionValues(brontel::UserTranOperation::UserTransactionOperation operation,
                                 IWbemClassObject* instance) override;
    // Drops the caller's cached Bnt_Badge definition.
    void AfterWriteInstance(brontel::UserTranOperation::UserTransactionOperation operation,
                            IWbemClassObject* instance) override;

private:
    void CheckWrite(bool modify, IWbemClassObject* instance);
};
