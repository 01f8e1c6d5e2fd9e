#include "hardware/CWimpHardwareStatusCache.h"

int CWimpHardwareStatusCache::GetPanelStatus(LONG panelId)
{
    const CheckedMutexLock guard(m_lock);
    Walking();
    return m_panels[panelId].status;
}

int CWimpHardwareStatusCache::GetReaderStatus(LONG panelId, LONG readerId)
{
    const CheckedMutexLock guard(m_lock);
    Walking();
    return m_panels[panelId].readerStatus[readerId];
}

int CWimpHardwareStatusCache::GetReaderMode(LONG panelId, LONG readerId)
{
    const CheckedMutexLock guard(m_lock);
    Walking();
    return m_panels[panelId].readerMode[readerId];
}

int CWimpHardwareStatusCache::GetDeviceStatus(LONG panelId, LONG deviceKey)
{
    const CheckedMutexLock guard(m_lock);
    Walking();
    return m_panels[panelId].devices[deviceKey].status;
}

int CWimpHardwareStatusCache::GetInputStatus(LONG panelId, LONG deviceKey, LONG subItemId)
{
    const CheckedMutexLock guard(m_lock);
    Walking();
    return SubItem(panelId, deviceKey, subItemId);
}

int CWimpHardwareStatusCache::GetOutputStatus(LONG panelId, LONG deviceKey, LONG subItemId)
{
    const CheckedMutexLock guard(m_lock);
    Walking();
    return SubItem(panelId, deviceKey, subItemId);
}

void CWimpHardwareStatusCache::SetPanelStatus(LONG panelId, int value)
{
    const CheckedMutexLock guard(m_lock);
    Walking();
    m_panels[panelId].status = value;
}

void CWimpHardwareStatusCache::SetReaderStatus(LONG panelId, LONG readerId, int value)
{
    const CheckedMutexLock guard(m_lock);
    Walking();
    m_panels[panelId].readerStatus[readerId] = value;
}

void CWimpHardwareStatusCache::SetReaderMode(LONG panelId, LONG readerId, int value)
{
    const CheckedMutexLock guard(m_lock);
    Walking();
    m_panels[panelId].readerMode[readerId] = value;
}

void CWimpHardwareStatusCache::SetDeviceStatus(LONG panelId, LONG deviceKey, int value)
{
    const CheckedMutexLock guard(m_lock);
    Walking();
    m_panels[panelId].devices[deviceKey].status = value;
}

void CWimpHardwareStatusCache::SetInputStatus(LONG panelId, LONG deviceKey, LONG subItemId, int value)
{
    const CheckedMutexLock guard(m_lock);
    Walking();
    SubItem(panelId, deviceKey, subItemId) = value;
}

void CWimpHardwareStatusCache::SetOutputStatus(LONG panelId, LONG deviceKey, LONG subItemId, int value)
{
    const CheckedMutexLock guard(m_lock);
    Walking();
    SubItem(panelId, deviceKey, subItemId) = value;
}

int& CWimpHardwareStatusCache::SubItem(LONG panelId, LONG deviceKey, LONG subItemId)
{
    return m_panels[panelId].devices[deviceKey].subItems[subItemId];
}

bool CWimpHardwareStatusCache::IsLockFree()
{
    return m_lock.IsFree();
}
