// CWmipAssocAccessLevelGroupAssignmentMapper: the mapper of Bnt_AccessLevelGroupAssignment, the
// access levels an access group gathers: one instance per ACCGPLINK row, AccessGroup pointing at
// the group (ACCESSGRP) and AccessLevel at the level (ACCESSLVL). A row shows only when the
// caller may see both. Read-only (the association base's permissions).
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "framework/associations/CWmipAssociationMapper.h"
#include "framework/CWmipMapperSkeleton.h"

class CWmipAssocAccessLevelGroupAssignmentMapper
    : public CWmipMapperSkeleton<CWmipAssocAccessLevelGroupAssignmentMapper, CWmipAssociationMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_AccessLevelGroupAssignment";

    CWmipAssocAccessLevelGroupAssignmentMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
