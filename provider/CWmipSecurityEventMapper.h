// CWmipSecurityEventMapper: the base of the eight hardware event mappers: writes what every
// hardware event carries (type, subtype, panel, device, segment, serial number, description,
// texts) and the embedded alarm, from three caches it builds once: the event definitions, the
// panels' segments and the event-to-alarm links.
//
// Owned by the hardware event processor. HandlesEvent and MapEvent run only on its thread;
// ProcessClause also runs on WMI threads during the access check and reads only its
// arguments.
#pragma once

#include <memory>

#include "provider/CWmipEventMapper.h"

class CEventAlarmLinkCache;
class CWmipEventTableCache;
class CWmipPanelSegmentCache;

class CWmipSecurityEventMapper : public CWmipEventMapper
{
public:
    // Builds the event table cache and the panel segment cache, and the link cache when a
    // database connection can be had (a failure while loading it is logged; construction
    // completes).
    CWmipSecurityEventMapper(IWbemContext* context, IWbemServices* services, const wchar_t* className);
    // Deletes the link cache, the panel segment cache and the event table cache.
    ~CWmipSecurityEventMapper() override;

    // The base's answer unless it leaves the property alone; then "PanelID", "DeviceID" and
    // "SegmentID" become their columns (kept) and every other property is dropped.
    ProcessClauseResult ProcessClause(CString& property, int& wqlOperator, CString& literal, CString& extra) override;
    // The base's event with the common properties and, when the message names an alarm, the
    // "Alarm" object. The base's failure code at once.
    HRESULT MapEvent(IWbemClassObject** event, const bnt::utility::BntMessageEx& message) override;

    // The link cache; null when it could not be built.
    CEventAlarmLinkCache* GetLinkCache() const { return m_linkCache.get(); }

private:
    // The "Alarm" object of the message (null when it cannot be spawned).
    ComPtr<IWbemClassObject> BuildAlarm(const bnt::utility::BntMessageEx& message, LONG eventId,
                                        const CString& description);

    // Destroyed in reverse order: the link cache first.
    std::unique_ptr<CWmipEventTableCache> m_eventTable;
    std::unique_ptr<CWmipPanelSegmentCache> m_panelSegments;
    std::unique_ptr<CEventAlarmLinkCache> m_linkCache;
};
