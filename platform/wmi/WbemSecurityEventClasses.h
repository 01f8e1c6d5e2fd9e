// WbemSecurityEventClasses: the event classes the installation's WMI repository holds for the
// hardware event provider: Bnt_SecurityEvent (an extrinsic event) with its eight subclasses,
// and Bnt_Alarm, the alarm object a security event embeds. The library does not declare them;
// the host and the tests put them into the stand-in's repository.
//
// Static data only (a constant table); thread-safe as the repository is.
#pragma once

#include "platform/win32/WinTypes.h"

class WbemRepository;

class WbemSecurityEventClasses
{
public:
    WbemSecurityEventClasses() = delete;

    // The class every hardware event class derives from.
    static constexpr wchar_t kRootClass[] = L"Bnt_SecurityEvent";

    // Stores every class of the table in a repository that holds none of them yet,
    // superclasses first. WBEM_S_NO_ERROR; the repository's first failure otherwise.
    static HRESULT AddTo(WbemRepository& repository);
};
