// CWmipAccessLevelUserMapper: the mapper of the association Bnt_AccessLevelUser between the system
// users and the access levels they manage (USERS_ACCESSLEVEL_LINK). Viewing needs permission
// 0x1000013E; writes are not supported.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/associations/CWmipAssociationMapper.h"
#include "framework/CWmipMapperSkeleton.h"

class CWmipAccessLevelUserMapper : public CWmipMapperSkeleton<CWmipAccessLevelUserMapper, CWmipAssociationMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_AccessLevelUser";

    // The mapper on the database of user (the pooled connection, which must outlive the mapper).
    CWmipAccessLevelUserMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // S_OK when the caller holds 0x1000013E; 0x80041003 otherwise.
    HRESULT CanView() override;
};
