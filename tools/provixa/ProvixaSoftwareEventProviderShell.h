// ProvixaSoftwareEventProviderShell: the COM shell of the host's software event provider
// (CWmipSoftwareEventProvider), loaded as the event provider of the instance operation events;
// the host hands it software events through Provider() as the installation's services would.
// See ProvixaEventProviderShellOf.
#pragma once

#include "provider/CWmipSoftwareEventProvider.h"
#include "tools/provixa/ProvixaEventProviderShellOf.h"

struct ProvixaSoftwareEventShellTraits
{
    using Provider = CWmipSoftwareEventProvider;
    // The identifier the host's software event provider registers under.
    static constexpr wchar_t kProviderId[] = L"BntSoftwareEventProvider";
    // The event class it serves, with its subclasses.
    static constexpr wchar_t kEventClass[] = L"__InstanceOperationEvent";
};

using ProvixaSoftwareEventProviderShell = ProvixaEventProviderShellOf<ProvixaSoftwareEventShellTraits>;
