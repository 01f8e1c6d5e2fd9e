#include "hardware/LAcsDeviceModel.h"

#include "hardware/AcsDeviceKey.h"

std::unique_ptr<CRITICAL_SECTION> InitDeviceModelLock()
{
    auto lock = std::make_unique<CRITICAL_SECTION>();
    InitializeCriticalSection(lock.get());
    return lock;
}

LAcsDeviceModel::LAcsDeviceModel() : m_panelTypeLock(InitDeviceModelLock()), m_deviceKindLock(InitDeviceModelLock()) {}

LAcsDeviceModel::~LAcsDeviceModel()
{
    DeleteCriticalSection(m_deviceKindLock.get());
    DeleteCriticalSection(m_panelTypeLock.get());
}

LAcsDeviceModel& LAcsDeviceModel::Instance()
{
    static LAcsDeviceModel model;
    return model;
}

bool LAcsDeviceModel::FindPanelType(ULONGLONG panelKey, LONG* panelType)
{
    const CriticalSectionLock lock(*m_panelTypeLock);
    const auto found = m_panelTypes.find(panelKey);
    if (found == m_panelTypes.end())
        return false;
    *panelType = found->second;
    return true;
}

void LAcsDeviceModel::SetPanelType(ULONGLONG panelKey, LONG panelType)
{
    const CriticalSectionLock lock(*m_panelTypeLock);
    m_panelTypes[panelKey] = panelType;
}

void LAcsDeviceModel::RemovePanelType(ULONGLONG panelKey)
{
    const CriticalSectionLock lock(*m_panelTypeLock);
    m_panelTypes.erase(panelKey);
}

LONG LAcsDeviceModel::DeviceKind(ULONGLONG deviceKey, LONG eventSourceType, LONG panelType, LONG third)
{
    const auto key = std::make_tuple(deviceKey, eventSourceType, panelType, third);
    const CriticalSectionLock lock(*m_deviceKindLock);
    const auto found = m_deviceKinds.find(key);
    if (found != m_deviceKinds.end())
        return found->second;
    const LONG kind = AcsDeviceKey(deviceKey).GetDeviceKind(eventSourceType, panelType, third);
    m_deviceKinds.emplace(key, kind);
    return kind;
}
