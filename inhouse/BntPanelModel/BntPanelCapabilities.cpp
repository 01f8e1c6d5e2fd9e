#include "inhouse/BntPanelModel/BntPanelCapabilities.h"

#include <algorithm>
#include <iterator>

namespace {

struct PanelTypeCapabilities
{
    LONG panelType;
    bool onity;
    bool casi;
    LONG intrusionObjects[BntPanelCapabilities::IntrusionObjectCount];
};

constexpr PanelTypeCapabilities kPanelTypes[] = {
    {15, false, false, {0, 0, 0, 0, 0}}, {30, false, false, {64, 4, 16, 8, 8}}, {31, false, false, {1, 2, 0, 1, 4}},
    {40, true, false, {0, 0, 0, 0, 0}},  {41, false, true, {0, 0, 0, 0, 0}},    {50, false, false, {0, 0, 0, 0, 0}},
};

const PanelTypeCapabilities* Find(LONG panelType)
{
    const auto found =
        std::find_if(std::begin(kPanelTypes), std::end(kPanelTypes),
                     [panelType](const PanelTypeCapabilities& entry) { return entry.panelType == panelType; });
    return found != std::end(kPanelTypes) ? found : nullptr;
}

}  // namespace

bool BntPanelCapabilities::IsOnityPanel(LONG panelType)
{
    const PanelTypeCapabilities* entry = Find(panelType);
    return entry != nullptr && entry->onity;
}

bool BntPanelCapabilities::IsCASIPanel(LONG panelType)
{
    const PanelTypeCapabilities* entry = Find(panelType);
    return entry != nullptr && entry->casi;
}

void BntPanelCapabilities::GetMaxSupportedIntrusionObjects(LONG panelType, LONG* counts)
{
    if (counts == nullptr)
        return;
    const PanelTypeCapabilities* entry = Find(panelType);
    for (int i = 0; i < IntrusionObjectCount; ++i)
        counts[i] = entry != nullptr ? entry->intrusionObjects[i] : 0;
}
