// BntPanelCapabilities: what the installation's panel types can do, by panel type id: the lock
// system and the CASI panel families (which change how device keys are read), and the most
// intrusion objects an intrusion panel type supports. The installation's panel types:
//   15 access panel; 30 intrusion panel (64 zones, 4 onboard relays, 16 offboard relays,
//   8 doors, 8 areas); 31 small intrusion panel (1 zone, 2 onboard relays, no offboard relay,
//   1 door, 4 areas); 40 lock system; 41 CASI panel; 50 elevator dispatching panel.
// Any other id has no capability and supports no intrusion object.
//
// Constant data; safe from any thread.
#pragma once

#include "platform/win32/WinTypes.h"

class BntPanelCapabilities
{
public:
    // The five intrusion counts, in the order GetMaxSupportedIntrusionObjects fills them.
    enum IntrusionObject
    {
        Zones,
        OnboardRelays,
        OffboardRelays,
        Doors,
        Areas,
        IntrusionObjectCount
    };

    BntPanelCapabilities() = delete;

    // True for a panel type of the lock system family.
    static bool IsOnityPanel(LONG panelType);
    // True for a panel type of the CASI family.
    static bool IsCASIPanel(LONG panelType);
    // Fills counts[0..4] (zones, onboard relays, offboard relays, doors, areas) for the panel
    // type; zeros for a type that is not an intrusion panel. Nothing for a null array.
    static void GetMaxSupportedIntrusionObjects(LONG panelType, LONG* counts);
};
