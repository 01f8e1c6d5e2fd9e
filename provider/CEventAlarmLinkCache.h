// CEventAlarmLinkCache: what the installation's alarm configuration says about hardware
// events, in memory: the links from events to alarm definitions, the alarm definitions and
// the event parameters. It answers which alarm an event on a device raises (from the most
// specific link to the most general), what an alarm definition holds, and what an event
// parameter holds.
//
// Owned by a security event mapper (loaded once when the mapper is built). Thread-safe: three
// independent locks guard the links (with the has-text flag and the reverse index), the
// alarms and the parameters; no operation holds two of them. Pointers handed out stay valid
// until the next Clear, reload or destruction.
#pragma once

#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/win32/ThreadSafety.h"
#include "platform/win32/WinTypes.h"
#include "provider/CAlarmKey.h"
#include "provider/LAcsAlarm.h"
#include "provider/LAcsEventParam.h"

class CBntDatabase;
class CEventParamSet;

class CEventAlarmLinkCache
{
public:
    CEventAlarmLinkCache() = default;
    // Clear.
    virtual ~CEventAlarmLinkCache();
    CEventAlarmLinkCache(const CEventAlarmLinkCache&) = delete;
    CEventAlarmLinkCache& operator=(const CEventAlarmLinkCache&) = delete;

    // LoadLinks, LoadAlarms, LoadEventParams on the database, in that order. A row whose
    // values cannot be read (of the links, alarms, clips or parameters) is passed over with a
    // log line naming its table and key: its link, alarm or parameter is unknown, and a clip
    // passed over counts as missing. A reload updates the alarms and parameters it finds in
    // place and drops the others. Any other failure of the links, or any failure outside the
    // reading and storing of one row, is thrown to the caller (what was loaded until then stays).
    void Load(CBntDatabase* database);
    void Clear();

    // Records a link; the alarm id stored first for a key stays.
    void AddLink(LONG eventKey, LONG paramId, LONGLONG deviceKey, LONG textId, LONG alarmId);
    // The alarm of the event on the device: the most specific link present with a non-zero
    // alarm (see the .cpp for the order), the input id of the device cleared first when the
    // device kind takes none; 0 when no link matches. *parameterMatched (when given) tells
    // whether the link that matched names the parameter.
    LONG FindAlarmID(LONG eventKey, LONG paramId, LONGLONG deviceKey, LONG textId, bool* parameterMatched = nullptr);
    LONG FindAlarmIDForEvent(const EventDevicePair_t& pair, bool* parameterMatched = nullptr);
    // The alarm id of exactly this key; 0 when absent.
    LONG GetAlarmIDForKey(LONG eventKey, LONG paramId, LONGLONG deviceKey, LONG textId);

    // The alarm definition; null when absent. Valid until Clear, a reload or destruction.
    LAcsAlarm* GetAlarm(LONG alarmId);
    // The event parameter; when absent and a database is given, read from it and kept. Null
    // when not found. Valid until Clear, a reload or destruction.
    LAcsEventParam* GetEventParam(LONG paramId, CBntDatabase* database);

    // The reverse index (alarm id -> its links) is kept only when set before the links load.
    void SetKeepReverseIndex(bool keep) { m_keepReverseIndex = keep; }
    bool HasTextLinks();
    // Empties pairs; false when the reverse index is off; else appends the links of the alarm
    // and answers whether there were any.
    bool GetEventDevicePairs(LONG alarmId, std::list<EventDevicePair_t>& pairs);
    // The panels the alarms' links name (panel id -> panel id); a link for any device makes
    // the answer exactly {-1: -1}. Nothing with the reverse index off.
    void CollectPanelsForAlarms(const std::list<LONG>& alarmIds, std::map<SHORT, SHORT>& panels);

private:
    void LoadLinks(CBntDatabase* database);
    void LoadAlarms(CBntDatabase* database);
    void LoadEventParams(CBntDatabase* database);
    void ClearLinks();
    void ClearAlarms();
    void ClearEventParams();
    // Fills the parameter from the current row of the set.
    static void FillParam(LAcsEventParam& param, const CEventParamSet& params);
    // Logs a caught failure to the installation's error log.
    static void LogCaught(int line);

    bool m_keepReverseIndex = false;

    CheckedMutex m_linksLock;
    CAlarmKeyMap m_links GUARDED_BY(m_linksLock);
    bool m_hasTextLinks GUARDED_BY(m_linksLock) = false;
    std::map<LONG, std::vector<EventDevicePair_t>> m_reverseIndex GUARDED_BY(m_linksLock);

    CheckedMutex m_alarmsLock;
    std::map<LONG, std::unique_ptr<LAcsAlarm>> m_alarms GUARDED_BY(m_alarmsLock);

    CheckedMutex m_paramsLock;
    std::map<LONG, std::unique_ptr<LAcsEventParam>> m_params GUARDED_BY(m_paramsLock);
};
