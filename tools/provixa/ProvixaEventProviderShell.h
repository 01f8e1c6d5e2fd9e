// ProvixaEventProviderShell: the COM shell of the host's hardware event provider
// (CWmipHardwareEventProvider); the host hands it records through Provider() as the
// communication server would. See ProvixaEventProviderShellOf.
#pragma once

#include "provider/CWmipHardwareEventProvider.h"
#include "tools/provixa/ProvixaEventProviderShellOf.h"

struct ProvixaHardwareEventShellTraits
{
    using Provider = CWmipHardwareEventProvider;
    // The identifier the host's hardware event provider registers under.
    static constexpr wchar_t kProviderId[] = L"BntHardwareEventProvider";
};

using ProvixaEventProviderShell = ProvixaEventProviderShellOf<ProvixaHardwareEventShellTraits>;
