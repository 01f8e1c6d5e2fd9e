#include "provider/CEventAlarmLinkCache.h"

#include <algorithm>
#include <set>

#include "hardware/AcsDeviceKey.h"
#include "hardware/LAcsAccessPanel.h"
#include "inhouse/BntAccessSets/CEventParamSet.h"
#include "inhouse/BntAccessSets/LAcsAlarmRecSet.h"
#include "inhouse/BntAccessSets/LAcsEventAlarmLinkRecSet.h"
#include "inhouse/BntAccessSets/LAudioSet.h"
#include "inhouse/BntUtility/CLogger.h"
#include "inhouse/BntUtility/CResult.h"
#include "provider/CWmipStoredRows.h"

namespace {
constexpr wchar_t kErrorLog[] = L"BrontelError.log";
constexpr wchar_t kEventAlarmLinkCacheSource[] = L"EventToAlarmLink";
constexpr DWORD kCaughtResult = 0x20010001;
constexpr LONG kNotificationAudio = 0;

// The line each handler reports with the source name above: fixed numbers that name the
// handler in the error log, whatever line of this file it stands on.
constexpr int kClearLinksHandler = 99;
constexpr int kClearEventParamsHandler = 126;
constexpr int kClearAlarmsHandler = 152;
constexpr int kLoadAlarmsHandler = 349;
constexpr int kGetAlarmIDForKeyHandler = 439;
constexpr int kFindAlarmIDHandler = 597;
constexpr int kGetEventDevicePairsHandler = 644;
constexpr int kGetAlarmHandler = 727;
constexpr int kLoadEventParamsHandler = 832;
constexpr int kGetEventParamHandler = 875;

CString TrimmedRight(CString text)
{
    text.TrimRight();
    return text;
}
}  // namespace

CEventAlarmLinkCache::~CEventAlarmLinkCache()
{
    Clear();
}

void CEventAlarmLinkCache::LogCaught(int line)
{
    CLogger::LogError(kErrorLog, CResult(kCaughtResult), kEventAlarmLinkCacheSource, line, false);
}

void CEventAlarmLinkCache::Load(CBntDatabase* database)
{
    LoadLinks(database);
    LoadAlarms(database);
    LoadEventParams(database);
}

void CEventAlarmLinkCache::Clear()
{
    ClearLinks();
    ClearAlarms();
    ClearEventParams();
}

void CEventAlarmLinkCache::ClearLinks()
{
    try
    {
        const CheckedMutexLock guard(m_linksLock);
        m_links.clear();
        m_reverseIndex.clear();
        m_hasTextLinks = false;
    }
    catch (...)
    {
        LogCaught(kClearLinksHandler);
    }
}

void CEventAlarmLinkCache::ClearAlarms()
{
    try
    {
        const CheckedMutexLock guard(m_alarmsLock);
        m_alarms.clear();
    }
    catch (...)
    {
        LogCaught(kClearAlarmsHandler);
    }
}

void CEventAlarmLinkCache::ClearEventParams()
{
    try
    {
        const CheckedMutexLock guard(m_paramsLock);
        m_params.clear();
    }
    catch (...)
    {
        LogCaught(kClearEventParamsHandler);
    }
}

void CEventAlarmLinkCache::LoadLinks(CBntDatabase* database)
{
    ClearLinks();
    LAcsEventAlarmLinkRecSet links(database);
    links.OpenForwardOnly();
    CWmipStoredRows::ForEach(
        links, L"EVTALMLINK", {L"PANELID", L"DEVICEID", L"INPUTDEVID", L"EVTYPEID", L"EVID", L"EVENT_PARAMID"}, [&] {
            const LONG eventKey = CAlarmKey::MakeEventKey(links.GetEventTypeID(), links.GetEventID());
            const LONG paramId = links.GetEventParamID();
            const auto deviceKey = static_cast<LONGLONG>(
                AcsDeviceKey(links.GetAccessPanelID(), links.GetAuxDevID(), links.GetAlarmInputID()).GetKey());
            const LONG textId = links.GetTextID();
            const LONG alarmId = links.GetAlarmID();
            AddLink(eventKey, paramId, deviceKey, textId, alarmId);
        });
}

void CEventAlarmLinkCache::AddLink(LONG eventKey, LONG paramId, LONGLONG deviceKey, LONG textId, LONG alarmId)
{
    const CheckedMutexLock guard(m_linksLock);
    m_links.emplace(CAlarmKey(textId, paramId, eventKey, deviceKey), alarmId);
    if (textId > 0)
    {
        m_hasTextLinks = true;
    }
    if (m_keepReverseIndex)
    {
        m_reverseIndex[alarmId].push_back(EventDevicePair_t{eventKey, deviceKey, paramId, textId});
    }
}

LONG CEventAlarmLinkCache::GetAlarmIDForKey(LONG eventKey, LONG paramId, LONGLONG deviceKey, LONG textId)
{
    try
    {
        const CheckedMutexLock guard(m_linksLock);
        return m_links.Lookup(CAlarmKey(textId, paramId, eventKey, deviceKey));
    }
    catch (...)
    {
        LogCaught(kGetAlarmIDForKeyHandler);
    }
    return 0;
}

LONG CEventAlarmLinkCache::FindAlarmID(LONG eventKey, LONG paramId, LONGLONG deviceKey, LONG textId,
                                       bool* parameterMatched)
{
    if (parameterMatched != nullptr)
    {
        *parameterMatched = false;
    }
    try
    {
        const CheckedMutexLock guard(m_linksLock);
        AcsDeviceKey normalized(static_cast<ULONGLONG>(deviceKey));
        {
            const LAcsAccessPanel panel(normalized.GetPanelId(), 0, 0);
            normalized.Normalize(panel.GetEventSourceType(), panel.GetPanelType(), panel.GetThirdValue());
        }
        const auto device = static_cast<LONGLONG>(normalized.GetKey());
        struct Candidate
        {
            LONG textId;
            LONG paramId;
            LONGLONG deviceKey;
        };
        // The exact device before any device; within one device scope the parameter before
        // none, and the text before none.
        std::vector<Candidate> candidates;
        const bool withParam = paramId > 0;
        const bool withText = textId > 0;
        if (withParam && withText)
        {
            candidates = {{textId, paramId, device}, {0, paramId, device}, {textId, 0, device}, {0, 0, device},
                          {textId, paramId, 0},      {0, paramId, 0},      {textId, 0, 0}};
        }
        else if (withParam)
        {
            candidates = {{0, paramId, device}, {0, 0, device}, {0, paramId, 0}};
        }
        else if (withText)
        {
            candidates = {{textId, 0, device}, {0, 0, device}, {textId, 0, 0}};
        }
        else
        {
            candidates = {{0, 0, device}};
        }
        for (const Candidate& candidate : candidates)
        {
            const LONG alarmId =
                m_links.Lookup(CAlarmKey(candidate.textId, candidate.paramId, eventKey, candidate.deviceKey));
            if (alarmId != 0)
            {
                if (parameterMatched != nullptr)
                {
                    *parameterMatched = candidate.paramId > 0;
                }
                return alarmId;
            }
        }
        return m_links.Lookup(CAlarmKey(0, 0, eventKey, 0));
    }
    catch (...)
    {
        LogCaught(kFindAlarmIDHandler);
    }
    return 0;
}

LONG CEventAlarmLinkCache::FindAlarmIDForEvent(const EventDevicePair_t& pair, bool* parameterMatched)
{
    return FindAlarmID(pair.eventKey, pair.paramId, pair.deviceKey, pair.textId, parameterMatched);
}

void CEventAlarmLinkCache::LoadAlarms(CBntDatabase* database)
{
    std::map<LONG, LONG> playLengths;
    {
        LAudioSet clips(database);
        clips.SetAudioTypeFilter(kNotificationAudio);
        clips.OpenForwardOnly();
        CWmipStoredRows::ForEach(clips, L"AUDIO", {L"AUDIOID"}, [&] {
            const LONG clipId = clips.GetAudioInstrID();
            const LONG playLength = clips.GetSecAudioPlayLength();
            playLengths.emplace(clipId, playLength);
        });
    }
    bool reuse = false;
    {
        const CheckedMutexLock guard(m_alarmsLock);
        reuse = !m_alarms.empty();
    }

    std::set<LONG> loaded;
    LAcsAlarmRecSet rows(database);
    rows.OpenForwardOnly();
    CWmipStoredRows::ForEach(rows, L"ALARM", {L"ALID"}, [&] {
        // The whole row is read before a reused alarm changes.
        const LONG id = rows.GetID();
        const SHORT priority = rows.GetPriority();
        const CString name = TrimmedRight(rows.GetName());
        const WORD notifType = rows.GetNotifType();
        const LONG audioId = rows.GetAudioNotifID();
        const LONG repeat = rows.GetAudNotRepeatFreq();
        const LONG textInstrId = rows.GetTextInstrID();
        const LONG audioInstrId = rows.GetAudioInstrID();
        const LONG cctvControlId = rows.GetCCTVControlID();
        const LONG ackFailureTimeout = rows.GetAckFailureTimeout();
        const LONG ackFailureAction = rows.GetAckFailureAction();
        const bool hasViewPassword = !rows.IsViewPasswordNull();
        const CString viewPassword = hasViewPassword ? TrimmedRight(rows.GetViewPassword()) : CString();
        const bool hasAckPassword = !rows.IsAckPasswordNull();
        const CString ackPassword = hasAckPassword ? TrimmedRight(rows.GetAckPassword()) : CString();
        const bool hasAckActionTimeLimit = !rows.IsAckActionTimeLimitNull();
        const LONG ackActionTimeLimit = hasAckActionTimeLimit ? rows.GetAckActionTimeLimit() : 0;

        LAcsAlarm* target = reuse ? GetAlarm(id) : nullptr;
        std::unique_ptr<LAcsAlarm> created;
        if (target != nullptr)
        {
            target->SetAudioRepeatInterval(0);
            target->SetViewPassword(CString());
            target->SetAckPassword(CString());
            target->SetAckActionTimeLimit(0);
        }
        else
        {
            created = std::make_unique<LAcsAlarm>();
            target = created.get();
        }
        target->SetID(id);
        target->SetPriority(priority);
        target->SetName(name);
        target->SetNotifType(notifType);
        target->SetAudioNotifID(audioId);
        if (audioId != 0 && repeat > 0)
        {
            const auto clip = playLengths.find(audioId);
            target->SetAudioRepeatInterval(repeat + (clip != playLengths.end() ? std::max<LONG>(clip->second, 1) : 1));
        }
        target->SetTextInstrID(textInstrId);
        target->SetAudioInstrID(audioInstrId);
        target->SetCCTVControlID(cctvControlId);
        target->SetAckFailureTimeout(ackFailureTimeout);
        target->SetAckFailureAction(ackFailureAction);
        if (hasViewPassword)
        {
            target->SetViewPassword(viewPassword);
        }
        if (hasAckPassword)
        {
            target->SetAckPassword(ackPassword);
        }
        if (hasAckActionTimeLimit)
        {
            target->SetAckActionTimeLimit(ackActionTimeLimit);
        }
        loaded.insert(id);
        if (created != nullptr)
        {
            try
            {
                const CheckedMutexLock guard(m_alarmsLock);
                m_alarms.emplace(id, std::move(created));
            }
            catch (...)
            {
                LogCaught(kLoadAlarmsHandler);
            }
        }
    });
    if (reuse)
    {
        // An alarm kept from the last load whose row is gone or can no longer be read is unknown
        // now, as it would be to a cache loaded afresh.
        const CheckedMutexLock guard(m_alarmsLock);
        std::erase_if(m_alarms, [&](const auto& alarm) { return !loaded.contains(alarm.first); });
    }
}

LAcsAlarm* CEventAlarmLinkCache::GetAlarm(LONG alarmId)
{
    try
    {
        const CheckedMutexLock guard(m_alarmsLock);
        const auto found = m_alarms.find(alarmId);
        return found != m_alarms.end() ? found->second.get() : nullptr;
    }
    catch (...)
    {
        LogCaught(kGetAlarmHandler);
    }
    return nullptr;
}

void CEventAlarmLinkCache::FillParam(LAcsEventParam& param, const CEventParamSet& params)
{
    // The whole row is read before the parameter changes.
    const CString description = TrimmedRight(params.GetDESC());
    const LONG id = params.GetID();
    const LONG value = params.GetVAL();
    param.SetDescription(description);
    param.SetID(id);
    param.SetValue(value);
}

void CEventAlarmLinkCache::LoadEventParams(CBntDatabase* database)
{
    std::set<LONG> loaded;
    CEventParamSet params(database);
    params.OpenForwardOnly();
    CWmipStoredRows::ForEach(params, L"EVENT_PARAM", {L"EVENT_PARAMID"}, [&] {
        const LONG id = params.GetID();
        LAcsEventParam* existing = GetEventParam(id, nullptr);
        if (existing != nullptr)
        {
            FillParam(*existing, params);
            loaded.insert(id);
            return;
        }
        auto created = std::make_unique<LAcsEventParam>();
        FillParam(*created, params);
        loaded.insert(id);
        try
        {
            const CheckedMutexLock guard(m_paramsLock);
            m_params.emplace(id, std::move(created));
        }
        catch (...)
        {
            LogCaught(kLoadEventParamsHandler);
        }
    });
    // As with the alarms: a parameter kept from before whose row is gone or unreadable is unknown.
    const CheckedMutexLock guard(m_paramsLock);
    std::erase_if(m_params, [&](const auto& param) { return !loaded.contains(param.first); });
}

LAcsEventParam* CEventAlarmLinkCache::GetEventParam(LONG paramId, CBntDatabase* database)
{
    try
    {
        const CheckedMutexLock guard(m_paramsLock);
        const auto found = m_params.find(paramId);
        if (found != m_params.end())
        {
            return found->second.get();
        }
        if (database == nullptr)
        {
            return nullptr;
        }
        CEventParamSet params(database);
        params.SetParamIDFilter(paramId);
        params.Open();
        if (params.IsEOF() || params.GetID() != paramId)
        {
            return nullptr;
        }
        auto created = std::make_unique<LAcsEventParam>();
        FillParam(*created, params);
        return m_params.emplace(paramId, std::move(created)).first->second.get();
    }
    catch (...)
    {
        LogCaught(kGetEventParamHandler);
    }
    return nullptr;
}

bool CEventAlarmLinkCache::HasTextLinks()
{
    const CheckedMutexLock guard(m_linksLock);
    return m_hasTextLinks;
}

bool CEventAlarmLinkCache::GetEventDevicePairs(LONG alarmId, std::list<EventDevicePair_t>& pairs)
{
    pairs.clear();
    if (!m_keepReverseIndex)
    {
        return false;
    }
    try
    {
        const CheckedMutexLock guard(m_linksLock);
        const auto found = m_reverseIndex.find(alarmId);
        if (found != m_reverseIndex.end())
        {
            pairs.insert(pairs.end(), found->second.begin(), found->second.end());
        }
    }
    catch (...)
    {
        LogCaught(kGetEventDevicePairsHandler);
    }
    return !pairs.empty();
}

void CEventAlarmLinkCache::CollectPanelsForAlarms(const std::list<LONG>& alarmIds, std::map<SHORT, SHORT>& panels)
{
    if (!m_keepReverseIndex)
    {
        return;
    }
    const CheckedMutexLock guard(m_linksLock);
    for (const LONG alarmId : alarmIds)
    {
        const auto found = m_reverseIndex.find(alarmId);
        if (found == m_reverseIndex.end())
        {
            continue;
        }
        for (const EventDevicePair_t& pair : found->second)
        {
            if (pair.deviceKey == 0)
            {
                panels.clear();
                panels[-1] = -1;
                return;
            }
            const auto panel = static_cast<SHORT>(AcsDeviceKey(static_cast<ULONGLONG>(pair.deviceKey)).GetPanelId());
            panels[panel] = panel;
        }
    }
}
