// CWmipEventMapper: the mapper interface of a hardware event class: whether it handles one
// queued hardware message and, if so, the WMI event object built for it. The event classes
// live in the WMI repository, so the class definition is fetched through WMI and kept.
//
// Owned by the hardware event processor; HandlesEvent and MapEvent run only on its thread.
#pragma once

#include "framework/CWmipMapper.h"
#include "platform/com/Unknown.h"
#include "provider/BntMessageEx.h"

class CWmipEventMapper : public CWmipMapper
{
public:
    CWmipEventMapper(IWbemContext* context, IWbemServices* services, const wchar_t* className);
    ~CWmipEventMapper() override = default;

    // TRUE: the repository keeps the class definition.
    BOOL WMIStoresClassDefinition() override;

    // TRUE when this mapper builds the event for the message; the base: FALSE.
    virtual BOOL HandlesEvent(const bnt::utility::BntMessageEx& message);
    // A new instance of the class in *event (nulled first; the caller releases it) with
    // "Time" set from the record. The HRESULT of the class fetch or of the spawn on failure
    // (*event stays null).
    virtual HRESULT MapEvent(IWbemClassObject** event, const bnt::utility::BntMessageEx& message);

private:
    // The class definition, fetched through WMI until a fetch succeeds and kept from then on:
    // a failed fetch is tried again with the next event rather than failing every later one.
    HRESULT EventClass(IWbemClassObject** classObject);

    ComPtr<IWbemClassObject> m_eventClass;
};
