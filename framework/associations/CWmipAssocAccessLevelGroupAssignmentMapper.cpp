#include "framework/associations/CWmipAssocAccessLevelGroupAssignmentMapper.h"

#include "inhouse/BntLogin/CAcsUser.h"

CWmipAssocAccessLevelGroupAssignmentMapper::CWmipAssocAccessLevelGroupAssignmentMapper(const CAcsUser* user,
                                                                                       IWbemContext* context,
                                                                                       IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    AddJoin(L"ACCGPLINK", L"ACCESSGPID", L"ACCESSGRP", L"ACCESSGPID");
    AddJoin(L"ACCGPLINK", L"ACCESSLVID", L"ACCESSLVL", L"ACCESSLVID");
}
