#include "provider/CWmipSoftwareEventMapper.h"

CWmipSoftwareEventMapper::CWmipSoftwareEventMapper(IWbemContext* context, IWbemServices* services,
                                                   const wchar_t* className)
    : CWmipMapper(context, services, className)
{
}

CWmipSoftwareEventMapper::~CWmipSoftwareEventMapper() = default;

BOOL CWmipSoftwareEventMapper::WMIStoresClassDefinition()
{
    return TRUE;
}

void CWmipSoftwareEventMapper::Lock()
{
    // Held across the caller's work until Unlock; ClassListLease in the provider pairs them.
    m_lock.lock();
}

void CWmipSoftwareEventMapper::Unlock()
{
    m_lock.unlock();
}
