// CWimpHardwareStatusCache: the last known status of every panel, reader and device that the
// system has read from the hardware driver server, as plain integers in nested ordered maps
// keyed by panel, reader, device key and sub-item. It knows nothing of the values' meaning.
//
// One per process, created on first use and owned by the application object. Thread-safe:
// request threads of the device mappers read and write it concurrently, so every operation
// holds m_lock for its whole walk.
//
// Every lookup creates the records it walks through: a value never written reads 0.
#pragma once

#include <map>
#include <mutex>

#include "platform/win32/ThreadSafety.h"
#include "platform/win32/WinTypes.h"

class CWimpHardwareStatusCache
{
public:
    CWimpHardwareStatusCache() = default;
    virtual ~CWimpHardwareStatusCache() = default;
    CWimpHardwareStatusCache(const CWimpHardwareStatusCache&) = delete;
    CWimpHardwareStatusCache& operator=(const CWimpHardwareStatusCache&) = delete;

    // Each getter answers the stored value, or 0 for a value never written.
    int GetPanelStatus(LONG panelId);
    int GetReaderStatus(LONG panelId, LONG readerId);
    int GetReaderMode(LONG panelId, LONG readerId);
    int GetDeviceStatus(LONG panelId, LONG deviceKey);
    // The input and output accessors address one and the same sub-item map; the two names
    // only tell the caller families apart.
    int GetInputStatus(LONG panelId, LONG deviceKey, LONG subItemId);
    int GetOutputStatus(LONG panelId, LONG deviceKey, LONG subItemId);

    void SetPanelStatus(LONG panelId, int value);
    void SetReaderStatus(LONG panelId, LONG readerId, int value);
    void SetReaderMode(LONG panelId, LONG readerId, int value);
    void SetDeviceStatus(LONG panelId, LONG deviceKey, int value);
    void SetInputStatus(LONG panelId, LONG deviceKey, LONG subItemId, int value);
    void SetOutputStatus(LONG panelId, LONG deviceKey, LONG subItemId, int value);

protected:
    // Called by every operation with the lock held, right before it walks the maps: a test's
    // seam to see that no other thread could walk them meanwhile.
    virtual void Walking() {}
    // True when the calling thread could take the lock at once (it gives it back at once).
    bool IsLockFree();

private:
    struct DeviceRecord
    {
        int status = 0;
        std::map<LONG, int> subItems;
    };
    struct PanelRecord
    {
        int status = 0;
        std::map<LONG, int> readerStatus;
        std::map<LONG, int> readerMode;
        std::map<LONG, DeviceRecord> devices;
    };

    // The sub-item value, created when missing; the caller holds m_lock.
    int& SubItem(LONG panelId, LONG deviceKey, LONG subItemId) REQUIRES(m_lock);

    // The cache's lock, which can also say whether it is free at this moment.
    class CAPABILITY("mutex") Lock : public CheckedMutex
    {
    public:
        bool IsFree()
        {
            if (!m_native.try_lock())
            {
                return false;
            }
            m_native.unlock();
            return true;
        }
    };

    Lock m_lock;
    std::map<LONG, PanelRecord> m_panels GUARDED_BY(m_lock);
};
