#include "provider/CEventAlarmLinkCache.h"

#include <algorithm>

#include "hardware/AcsDeviceKey.h"
#include "hardware/LAcsAccessPanel.h"
#include "inhouse/BntAccessSets/CEventParamSet.h"
#include "inhouse/BntAccessSets/LAcsAlarmRecSet.h"
#include "inhouse/BntAccessSets/LAcsEventAlarmLinkRecSet.h"
#include "inhouse/BntAccessSets/LAudioSet.h"
#include "inhouse/BntUtility/CLogger.h"
#include "inhouse/BntUtility/CResult.h"

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
    for (; !links.IsEOF(); links.MoveNext())
    {
        AddLink(CAlarmKey::MakeEventKey(links.GetEventTypeID(), links.GetEventID()), links.GetEventParamID(),
                static_cast<LONGLONG>(
                    AcsDeviceKey(links.GetAccessPanelID(), links.GetAuxDevID(), links.GetAlarmInputID()).GetKey()),
                links.GetTextID(), links.GetAlarmID());
    }
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
        for (; !clips.IsEOF(); clips.MoveNext())
        {
            playLengths.emplace(clips.GetAudioInstrID(), clips.GetSecAudioPlayLength());
        }
    }
    bool reuse = false;
    {
        const CheckedMutexLock guard(m_alarmsLock);
        reuse = !m_alarms.empty();
    }

    LAcsAlarmRecSet rows(database);
    rows.OpenForwardOnly();
    for (; !rows.IsEOF(); rows.MoveNext())
    {
        const LONG id = rows.GetID();
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
        target->SetPriority(rows.GetPriority());
        target->SetName(TrimmedRight(rows.GetName()));
        target->SetNotifType(rows.GetNotifType());
        const LONG audioId = rows.GetAudioNotifID();
        target->SetAudioNotifID(audioId);
        const LONG repeat = rows.GetAudNotRepeatFreq();
        if (audioId != 0 && repeat > 0)
        {
            const auto clip = playLengths.find(audioId);
            target->SetAudioRepeatInterval(repeat + (clip != playLengths.end() ? std::max<LONG>(clip->second, 1) : 1));
        }
        target->SetTextInstrID(rows.GetTextInstrID());
        target->SetAudioInstrID(rows.GetAudioInstrID());
        target->SetCCTVControlID(rows.GetCCTVControlID());
        target->SetAckFailureTimeout(rows.GetAckFailureTimeout());
        target->SetAckFailureAction(rows.GetAckFailureAction());
        if (!rows.IsViewPasswordNull())
        {
            target->SetViewPassword(TrimmedRight(rows.GetViewPassword()));
        }
        if (!rows.IsAckPasswordNull())
        {
            target->SetAckPassword(TrimmedRight(rows.GetAckPassword()));
        }
        if (!rows.IsAckActionTimeLimitNull())
        {
            target->SetAckActionTimeLimit(rows.GetAckActionTimeLimit());
        }
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
    param.SetDescription(TrimmedRight(params.GetDESC()));
    param.SetID(params.GetID());
    param.SetValue(params.GetVAL());
}

void CEventAlarmLinkCache::LoadEventParams(CBntDatabase* database)
{
    CEventParamSet params(database);
    params.OpenForwardOnly();
    for (; !params.IsEOF(); params.MoveNext())
    {
        const LONG id = params.GetID();
        LAcsEventParam* existing = GetEventParam(id, nullptr);
        if (existing != nullptr)
        {
            FillParam(*existing, params);
            continue;
        }
        auto created = std::make_unique<LAcsEventParam>();
        FillParam(*created, params);
        try
        {
            const CheckedMutexLock guard(m_paramsLock);
            m_params.emplace(id, std::move(created));
        }
        catch (...)
        {
            LogCaught(kLoadEventParamsHandler);
        }
    }
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
