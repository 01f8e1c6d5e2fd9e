// CWmipAssocDirectoryAccountMapper: the mapper of the association Bnt_DirectoryAccount between a
// directory and the accounts of it that are linked to persons (one instance per
// CARDHOLDER_ACCOUNT row). Viewing needs the rights to view directories and accounts. Read-only.
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "framework/associations/CWmipAssociationMapper.h"
#include "framework/CWmipMapperSkeleton.h"

class CWmipAssocDirectoryAccountMapper
    : public CWmipMapperSkeleton<CWmipAssocDirectoryAccountMapper, CWmipAssociationMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_DirectoryAccount";

    CWmipAssocDirectoryAccountMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // S_OK when the caller holds 0x100000BB and 0x20000049; 0x80041003 otherwise.
    HRESULT CanView() override;
};
