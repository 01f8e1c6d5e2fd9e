// CWmipSoftwareEventMapper: the base of the software event mappers: whether a mapper handles a
// software event packet and, if so, the WMI event object built from it. The event classes are
// WMI's own, so their definitions come from the repository. A lock lets the access check of
// the provider use a mapper's per-check state on WMI threads.
//
// Owned by the software event processor; HandlesEvent and MapEvent run only on its thread,
// other threads use the mapper only between Lock and Unlock.
#pragma once

#include <mutex>

#include "framework/CWmipMapper.h"
#include "provider/SoftwareEventPacket.h"

class IWmipUserEntry;

class CWmipSoftwareEventMapper : public CWmipMapper
{
public:
    CWmipSoftwareEventMapper(IWbemContext* context, IWbemServices* services, const wchar_t* className);
    ~CWmipSoftwareEventMapper() override;

    // TRUE: the event classes are defined by WMI itself.
    BOOL WMIStoresClassDefinition() override;

    // True when this mapper builds the event for the packet.
    virtual bool HandlesEvent(const SoftwareEventPacket& packet) = 0;
    // The event object into *event (nulled first; the caller releases it). 0 or a failure
    // code; never throws.
    virtual HRESULT MapEvent(IWbemClassObject** event, const SoftwareEventPacket& packet) = 0;
    // True when the consumer may read what the event built by MapEvent tells; false sends it
    // nobody.
    virtual bool MayRead(IWmipUserEntry& consumer, IWbemClassObject& event) = 0;
    // Enters and leaves the mapper's lock.
    virtual void Lock();
    virtual void Unlock();

private:
    std::mutex m_lock;
};
