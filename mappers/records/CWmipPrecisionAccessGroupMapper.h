// CWmipPrecisionAccessGroupMapper: the read-only mapper of Bnt_PrecisionAccessGroup, the precision
// access groups (PRECACGRP). Viewing needs permission 0x1000000B; adding, modifying and deleting
// are not supported.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipPrecisionAccessGroupMapper : public CWmipMapperSkeleton<CWmipPrecisionAccessGroupMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_PrecisionAccessGroup";

    // The mapper on the database of user (the pooled connection, which must outlive the mapper).
    CWmipPrecisionAccessGroupMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
