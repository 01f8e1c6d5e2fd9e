// CWmipVisitSignInLocation: the read-only mapper of Bnt_VisitSignInLocation, the places where
// visitors sign in (VISIT_EVENT_SIGN_IN_LOCATION), each in a segment and a world time zone.
// Viewing needs 0x2000005E; adding, modifying and deleting are not supported.
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipVisitSignInLocation : public CWmipMapperSkeleton<CWmipVisitSignInLocation>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_VisitSignInLocation";

    CWmipVisitSignInLocation(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
