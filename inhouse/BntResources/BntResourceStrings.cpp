#include "inhouse/BntResources/BntResourceStrings.h"

#include <algorithm>
#include <iterator>

namespace brontel::resources {

namespace {

struct ResourceString
{
    UINT id;
    LPCWSTR text;
};

// Sorted by id for the binary search below.
constexpr ResourceString kStrings[] = {
    {10063, L"approved"},
    {10064, L"denied"},
    {10065, L"put on hold"},
    {10066, L"submitted"},
    {10185, L"Fluxmere: reader mode of %1 changed."},
    {10186, L"Fluxmere: firmware download to panel %1 requested."},
    {10187, L"Fluxmere: connection command sent to panel %1."},
    {10188, L"Fluxmere: database download to panel %1 requested."},
    {10189, L"Fluxmere: hardware status of panel %1 updated."},
    {10191, L"Fluxmere: clock of panel %1 set."},
    {10193, L"Fluxmere: hardware status of panel %1 read."},
    {10194, L"Fluxmere: firmware download to reader %1 requested."},
    {10195, L"Fluxmere: hardware status of reader %1 read."},
    {10196, L"Fluxmere: reader output %1 activated."},
    {10197, L"Fluxmere: reader output %1 deactivated."},
    {10198, L"Fluxmere: reader output %1 pulsed."},
    {10217, L"Fluxmere: hardware status of reader output %1 read."},
    {10218, L"Fluxmere: reader input %1 masked."},
    {10219, L"Fluxmere: reader input %1 unmasked."},
    {10220, L"Fluxmere: hardware status of reader input %1 read."},
    {10221, L"Fluxmere: alarm input %1 masked."},
    {10222, L"Fluxmere: alarm input %1 unmasked."},
    {10223, L"Fluxmere: hardware status of alarm input %1 read."},
    {10224, L"Fluxmere: alarm output %1 activated."},
    {10225, L"Fluxmere: alarm output %1 deactivated."},
    {10226, L"Fluxmere: alarm output %1 pulsed."},
    {10227, L"Fluxmere: hardware status of %1 read."},
    {10228, L"Fluxmere: %1 activated."},
    {10229, L"Fluxmere: %1 deactivated."},
    {10230, L"Fluxmere: %1 toggled."},
    {10231, L"Fluxmere: hardware status of output %1 read."},
    {10232, L"Fluxmere: zone %1 bypassed."},
    {10233, L"Fluxmere: bypass of zone %1 removed."},
    {10234, L"Fluxmere: hardware status of zone %1 read."},
    {10235, L"Fluxmere: door %1 opened."},
    {10236, L"Fluxmere: mode of door %1 set."},
    {10237, L"Fluxmere: hardware status of door %1 read."},
    {10238, L"Fluxmere: intrusion area %1 disarmed."},
    {10239, L"Fluxmere: intrusion area %1 armed."},
    {10240, L"Fluxmere: alarms of intrusion area %1 silenced."},
    {10241, L"Fluxmere: hardware status of intrusion area %1 read."},
    {10270, L"Fluxmere: elevator terminal %1 set to mode 1."},
    {10271, L"Fluxmere: elevator terminal %1 set to mode 2."},
    {10272, L"Fluxmere: elevator terminal %1 set to mode 3."},
    {10273, L"Fluxmere: elevator terminal %1 set to mode 4."},
    {10274, L"Fluxmere: allowed floors of elevator terminal %1 set."},
    {10275, L"Fluxmere: hardware status of elevator terminal %1 read."},
    {11349, L"This operation is not available on a %1 database server."},
    {11678, L"The directory could not be searched."},
    {11683, L"The specified directory does not exist."},
    {11755, L"The directory account is linked to more than one person."},
    {11818, L"Fluxmere: door of reader %1 opened."},
    {12873, L"Access request of person %1!ld! %2 by user %3!ld!."},
    {20528, L"Visit of visitor %1!ld! (%2) hosted by %3."},
    {20702, L"Person %1!ld!: %2"},
    {20704, L"Badge %1 (issue code %2!ld!) of person %3!ld! (%4)"},
    {20705, L"Access of badge %1 (issue code %2!ld!) of person %3!ld! (%4) changed"},
    {20733, L"Badge %1 (issue code %2!ld!) replaces badge %3 (issue code %4!ld!) of person %5!ld! (%6)"},
    {20902, L"A badge ID of 0 is not allowed."},
    {20924, L"Visit of %1 and %2"},
    {20931, L"Visit event %1!ld!: %2"},
    {21415, L"Visit %1 is scheduled for %2."},
    {21416, L"Visit %1 was changed."},
    {21417, L"Visit %1 was cancelled."},
    {21418, L"The visitor of visit %1 signed in at %2."},
    {21419, L"The visitor of visit %1 signed out at %2."},
    {23391, L"%1 (%2!ld!)"},
};

static_assert(std::is_sorted(std::begin(kStrings), std::end(kStrings),
                             [](const ResourceString& a, const ResourceString& b) { return a.id < b.id; }),
              "resource strings must be sorted by id");

}  // namespace

LPCWSTR FindResourceString(UINT id)
{
    const auto found = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                                        [](const ResourceString& entry, UINT key) { return entry.id < key; });
    return found != std::end(kStrings) && found->id == id ? found->text : nullptr;
}

BOOL LoadResourceString(UINT id, CString& text)
{
    const LPCWSTR found = FindResourceString(id);
    if (found == nullptr)
    {
        text.Empty();
        return FALSE;
    }
    text = found;
    return TRUE;
}

}  // namespace brontel::resources
