#include "hardware/LAcsAccessPanel.h"

#include "hardware/LAcsDeviceModel.h"

LAcsAccessPanel::LAcsAccessPanel(LONG panelId, LONG panelType, LONG third)
    : m_panelId(panelId), m_panelType(panelType), m_third(third)
{
    LAcsDeviceModel::Instance().SetPanelType(GetDeviceKey().GetKey(), m_panelType);
}

LAcsAccessPanel::~LAcsAccessPanel()
{
    LAcsDeviceModel::Instance().RemovePanelType(GetDeviceKey().GetKey());
}

LONG LAcsAccessPanel::GetDeviceKind(const AcsDeviceKey& key) const
{
    return LAcsDeviceModel::Instance().DeviceKind(key.GetKey(), m_eventSourceType, m_panelType, m_third);
}
