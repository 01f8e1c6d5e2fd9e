#include "mappers/devices/CWmipIncomingEventExMapper.h"

#include <cmath>
#include <limits>

#include "framework/CWmipMapper.h"
#include "framework/CWmipAfterCommit.h"
#include "framework/WMIHelper.h"
#include "hardware/LAAPProxy.h"
#include "hardware/LAcsAccessPanel.h"
#include "inhouse/BntAccessSets/AccessPanelTypeJoinSet.h"
#include "inhouse/BntAccessSets/CAccessPanelSet.h"
#include "inhouse/BntAccessSets/CReaderSmallSet.h"
#include "inhouse/BntAccessSets/CUserDevicePermission.h"
#include "inhouse/BntAccessSets/CVexletDeviceSet.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "mappers/devices/BntComServerUtilities.h"
#include "mappers/devices/CWmipDeviceMethod.h"
#include "mappers/devices/CWmipLogicalDeviceRules.h"
#include "platform/com/WbemConstants.h"
#include "hardware/BntMessage.h"

using bnt::utility::BntMessage;
using brontel::utility::CWMIDebugLog;

namespace {

constexpr wchar_t kIncomingEventExMapperSource[] = L"WmipIncomingEventExMapper";
constexpr wchar_t kSendIncomingEvent[] = L"SendIncomingEvent";
constexpr wchar_t kAcknowledgeAlarm[] = L"AcknowledgeAlarm";
// The whole panel, for the device right of an acknowledgement.
constexpr LONG kWholePanel = -1;
// OLE automation day of 1970-01-01.
constexpr double kUnixEpochDay = 25569.0;
constexpr double kSecondsPerDay = 86400.0;

void Info(const CString& text)
{
    CWMIDebugLog::LogInfo(kIncomingEventExMapperSource, __LINE__, text);
}

// The seconds since 1970 of a valid UTC date-time; none before 1970 or beyond 32 bits.
std::optional<DWORD> UnixSeconds(const COleDateTime& utc)
{
    if (utc.GetStatus() != COleDateTime::valid)
        return std::nullopt;
    const double seconds = std::round((static_cast<DATE>(utc) - kUnixEpochDay) * kSecondsPerDay);
    if (seconds < 0 || seconds > static_cast<double>(std::numeric_limits<DWORD>::max()))
        return std::nullopt;
    return static_cast<DWORD>(seconds);
}

// The whole days since 30 December 1899 of a valid UTC date-time (its OLE automation date,
// truncated), as the communication server matches an alarm by them; none beyond 32 bits.
std::optional<LONG> OleDays(const COleDateTime& utc)
{
    if (utc.GetStatus() != COleDateTime::valid)
        return std::nullopt;
    const double days = std::trunc(static_cast<DATE>(utc));
    if (days < static_cast<double>(std::numeric_limits<LONG>::min()) ||
        days > static_cast<double>(std::numeric_limits<LONG>::max()))
        return std::nullopt;
    return static_cast<LONG>(days);
}

// Whether the caller may access the segment of the panel. A panel that is not there, or holds no
// segment, is of none: only a caller that reaches every segment may name it.
bool MayAccessPanel(const CAcsUser& caller, CBntDatabase* database, LONG panelId)
{
    CDynamicRecordset panel(database);
    panel.SetTable(L"ACCESSPANE");
    panel.AddColumnToSet(L"SEGMENTID");
    panel.AddFilterLong(L"PANELID", panelId);
    panel.OpenForwardOnly();
    const LONG segmentId =
        panel.IsEOF() || panel.IsFieldNull(L"SEGMENTID") ? CAcsUser::kAllSegments : panel.GetLong(L"SEGMENTID");
    return caller.HasSegmentAccess(segmentId, CAcsUser::kWriteSegmentAccess);
}

CString TrimmedRight(IWbemClassObject* inParams, const wchar_t* name)
{
    CString value;
    WMIHelper::GetString(inParams, name, value);
    value.TrimRight();
    return value;
}

}  // namespace

CWmipIncomingEventExMapper::CWmipIncomingEventExMapper(const CAcsUser* user, IWbemContext* context,
                                                       IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services), m_user(user)
{
}

HRESULT CWmipIncomingEventExMapper::ExecuteMethod(CWmipObjectPath*, const wchar_t* methodName, LONG, IWbemContext*,
                                                  IWbemClassObject* inParams, IWbemObjectSink* sink)
{
    if (methodName == nullptr)
        return WBEM_E_INVALID_METHOD;
    if (CString(kSendIncomingEvent).CompareNoCase(methodName) == 0)
        return SendIncomingEvent(inParams, sink);
    if (CString(kAcknowledgeAlarm).CompareNoCase(methodName) == 0)
        return AcknowledgeAlarm(inParams, sink);
    return WBEM_E_INVALID_METHOD;
}

bool CWmipIncomingEventExMapper::FillRecord(IWbemClassObject* inParams, bool grant, bool deny, BntMessage& record) const
{
    CString time;
    WMIHelper::GetString(inParams, L"Time", time);
    if (!time.IsEmpty())
    {
        // The record carries whole seconds since 1970 in 32 bits; a time it cannot carry is
        // refused rather than cut.
        const std::optional<DWORD> seconds = UnixSeconds(WMIHelper::ToDateTimeUTC(time, GetDoor()));
        if (!seconds)
        {
            Info(L"SendIncomingEvent: Time " + time + L" is invalid.");
            return false;
        }
        record.Set(BntMessage::Time, *seconds);
    }
    CString extendedId;
    WMIHelper::GetString(inParams, L"ExtendedID", extendedId);
    // A longer identifier would be cut silently by the record's field.
    if (static_cast<std::size_t>(extendedId.GetLength()) > BntMessage::kExtendedIdMaxChars)
    {
        Info(L"SendIncomingEvent: ExtendedID is longer than the event record allows.");
        return false;
    }
    if (!extendedId.IsEmpty())
        record.SetExtendedID(
            std::wstring_view(extendedId.GetString(), static_cast<std::size_t>(extendedId.GetLength())));
    LONGLONG badgeId = -1;
    WMIHelper::GetNumber64(inParams, L"BadgeID", badgeId);
    record.Set(BntMessage::DataType, badgeId > 0 ? 2 : 0);
    record.WriteU64(BntMessage::kDataOffset, badgeId > 0 ? static_cast<ULONGLONG>(badgeId) : 0);
    record.Set(BntMessage::EventType, grant ? kAccessGranted : deny ? kAccessDenied : kOtherEvent);
    record.Set(BntMessage::EventSubtype, deny ? kAccessDeniedSubtype : 0);
    CString description;
    WMIHelper::GetString(inParams, L"Description", description);
    record.SetText(grant || deny ? CString() : description);
    return true;
}

HRESULT CWmipIncomingEventExMapper::SendIncomingEvent(IWbemClassObject* inParams, IWbemObjectSink*)
{
    // A static method without a permission step of its own: its look-ups and its log row are
    // written in the write frame, and the event is handed over after that frame's commit.
    HandOver handOver;
    return CWmipAfterCommit::RunMethod(
        kIncomingEventExMapperSource, *this, nullptr, kSendIncomingEvent, inParams,
        CWmipWriteFrame::MethodRows::Written, [](IWbemClassObject*) {},
        [&](IWbemClassObject*, CBntDatabase&) { return CheckIncomingEvent(inParams, handOver); },
        [&] { return HandOverEvent(handOver); });
}

HRESULT CWmipIncomingEventExMapper::CheckIncomingEvent(IWbemClassObject* inParams, HandOver& handOver)
{
    try
    {
        int grant = FALSE;
        int deny = FALSE;
        WMIHelper::GetBool(inParams, L"IsAccessGrant", grant);
        WMIHelper::GetBool(inParams, L"IsAccessDeny", deny);
        if (grant && deny)
        {
            Info(L"SendIncomingEvent: IsAccessGrant and IsAccessDeny are mutually exclusive.");
            return WBEM_E_INVALID_PARAMETER;
        }
        CString source;
        WMIHelper::GetString(inParams, L"Source", source);
        // A missing source ends the method as a plain failure; its reason is neither logged nor
        // returned.
        if (source.IsEmpty())
            return WBEM_E_FAILED;
        source.TrimRight();
        const CString device = TrimmedRight(inParams, L"Device");
        const CString subDevice = TrimmedRight(inParams, L"SubDevice");
        Info(L"Source: " + source);
        if (!device.IsEmpty())
            Info(L"Device: " + device);
        if (!subDevice.IsEmpty())
            Info(L"Sub-Device: " + subDevice);

        const CAcsUser* caller = RequireUser();
        // The frame's connection: the user's the mapper was built with.
        CBntDatabase* database = GetDatabase();
        BntMessage& record = handOver.record;
        // An access panel's event leaves the record's serial number 0 (its server numbers the
        // event as it logs it); a logical source's carries the number of its log row.
        bool controllerBased = false;
        CAccessPanelSet sources(database);
        sources.SetPanelTypeFilter(CWmipLogicalDeviceRules::kLogicalSourcePanelType);
        sources.SetNameFilter(source);
        sources.Open();
        // The source is looked up as the caller: one of a segment it cannot access is one that is
        // not there, and the event goes on as for any other name.
        if (!sources.IsEOF() && MayAccessPanel(*caller, database, sources.GetPanelID()))
        {
            const LONG panelId = sources.GetPanelID();
            LONG deviceId = 0;
            LONG subDeviceId = 0;
            if (!device.IsEmpty())
            {
                CVexletDeviceSet devices(database);
                devices.SetPanelIDFilter(panelId);
                devices.SetNameFilter(device);
                devices.Open();
                if (devices.IsEOF())
                {
                    Info(L"Logical Device " + device + L" is invalid.");
                    return WBEM_E_INVALID_PARAMETER;
                }
                deviceId = devices.GetVexletDeviceID();
                if (!subDevice.IsEmpty())
                {
                    CVexletDeviceSet subDevices(database);
                    subDevices.SetPanelIDFilter(panelId);
                    subDevices.SetVexletDeviceIDFilter(deviceId);
                    subDevices.SetNameFilter(subDevice);
                    subDevices.Open();
                    if (subDevices.IsEOF())
                    {
                        Info(L"Logical Sub-Device " + subDevice + L" is invalid.");
                        return WBEM_E_INVALID_PARAMETER;
                    }
                    subDeviceId = subDevices.GetSubDeviceID();
                }
            }
            if (!FillRecord(inParams, grant, deny, record))
                return WBEM_E_INVALID_PARAMETER;
            record.Set(BntMessage::PanelID, panelId);
            record.Set(BntMessage::DeviceID, deviceId);
            record.Set(BntMessage::InputID, subDeviceId);
        }
        else
        {
            if (!grant && !deny)
            {
                Info(L"Logical Source " + source + L" is invalid.");
                return WBEM_E_INVALID_PARAMETER;
            }
            AccessPanelTypeJoinSet panels(database);
            panels.SetPanelClassFilter(LAcsAccessPanel::kAccessPanelClass);
            panels.SetNameFilter(source);
            panels.Open();
            if (panels.IsEOF() || !MayAccessPanel(*caller, database, panels.GetPanelID()))
            {
                Info(L"Access Panel " + source + L" is invalid.");
                return WBEM_E_INVALID_PARAMETER;
            }
            const LONG panelId = panels.GetPanelID();
            if (device.IsEmpty())
            {
                Info(L"Invalid or missing reader device.");
                return WBEM_E_INVALID_PARAMETER;
            }
            CReaderSmallSet readers(database);
            readers.OpenForPanelAndName(panelId, device);
            if (readers.IsEOF())
            {
                Info(L"Reader " + device + L" is invalid.");
                return WBEM_E_INVALID_PARAMETER;
            }
            if (!FillRecord(inParams, grant, deny, record))
                return WBEM_E_INVALID_PARAMETER;
            record.Set(BntMessage::PanelID, panelId);
            record.Set(BntMessage::DeviceID, readers.GetReaderID());
            controllerBased = true;
        }
        // The row is written under the write lock, before the hand-over: the number is then this
        // event's alone, and nothing the database does after the server took the event can
        // leave it unlogged or fail the call.
        handOver.serialNumber =
            BntComServerUtilities::GetEventSerialNumber(database, static_cast<LONG>(record.Get(BntMessage::PanelID)));
        if (!controllerBased)
            record.Set(BntMessage::SerialNumber, handOver.serialNumber);
        BntComServerUtilities::LogEvent(*database, record, handOver.serialNumber);
        return S_OK;
    }
    catch (...)
    {
        // A missing source and every other failure end as a plain failure, its reason logged.
        CWmipDeviceMethod::LogCaught(kIncomingEventExMapperSource, __LINE__, L"SendIncomingEvent failed.");
        return WBEM_E_FAILED;
    }
}

HRESULT CWmipIncomingEventExMapper::HandOverEvent(const HandOver& handOver)
{
    try
    {
        CBntDatabase* sender = m_user != nullptr ? m_user->GetDatabase() : nullptr;
        if (BntComServerUtilities::SendLoggedEvent(sender, handOver.record, handOver.serialNumber))
            return S_OK;
        Info(L"SendIncomingEvent. Failed to send the event.");
        return WBEM_E_FAILED;
    }
    catch (...)
    {
        CWmipDeviceMethod::LogCaught(kIncomingEventExMapperSource, __LINE__, L"SendIncomingEvent failed.");
        return WBEM_E_FAILED;
    }
}

HRESULT CWmipIncomingEventExMapper::AcknowledgeAlarm(IWbemClassObject* inParams, IWbemObjectSink* sink)
{
    // As SendIncomingEvent: the panel and the caller's rights are read in the write frame, and
    // the communication servers are asked after its commit.
    Acknowledgement acknowledgement;
    return CWmipAfterCommit::RunMethod(
        kIncomingEventExMapperSource, *this, nullptr, kAcknowledgeAlarm, inParams, CWmipWriteFrame::MethodRows::None,
        [](IWbemClassObject*) {},
        [&](IWbemClassObject*, CBntDatabase&) { return CheckAcknowledgement(inParams, acknowledgement); },
        [&] { return Acknowledge(acknowledgement, sink); });
}

HRESULT CWmipIncomingEventExMapper::CheckAcknowledgement(IWbemClassObject* inParams, Acknowledgement& ack)
{
    try
    {
        // Without the caller there is no user id to acknowledge under.
        CAcsUser* user = RequireUser();
        ack.userId = user->GetUserID();
        // The numeric parameters have no default: a missing one is refused rather than sent as 0.
        if (FAILED(WMIHelper::GetNumber(inParams, L"CurrentAckStatus", ack.currentAckStatus)) ||
            FAILED(WMIHelper::GetNumber(inParams, L"SerialNumber", ack.serialNumber)) ||
            FAILED(WMIHelper::GetNumber(inParams, L"PanelID", ack.panelId)) ||
            FAILED(WMIHelper::GetNumber(inParams, L"AlarmID", ack.alarmId)) ||
            FAILED(WMIHelper::GetNumber(inParams, L"AckStatus", ack.ackStatus)))
            return WBEM_E_INVALID_PARAMETER;
        WMIHelper::GetString(inParams, L"CommServerHostName", ack.host);
        ack.notes = TrimmedRight(inParams, L"AckNotes");
        CString alarmTimeText;
        WMIHelper::GetString(inParams, L"AlarmTime", alarmTimeText);
        const std::optional<LONG> alarmTime =
            OleDays(alarmTimeText.IsEmpty() ? WMIHelper::LocalToUtc(COleDateTime::GetCurrentTime())
                                            : WMIHelper::ToDateTimeUTC(alarmTimeText, GetDoor()));
        if (!alarmTime)
            return WBEM_E_INVALID_PARAMETER;
        ack.alarmTime = *alarmTime;

        // The panel is looked up as the caller. For a caller that reaches every segment, one that
        // is not there takes the no-panel-host road. Any other caller may not name a panel it
        // cannot be shown to reach, of another segment or not there at all (a server may still
        // hold alarms of it): neither is named to any server nor acknowledged, and both answer
        // alike, as a server answers for an alarm it does not hold.
        CAccessPanelSet panels(GetDatabase());
        panels.SetPanelIDFilter(ack.panelId);
        panels.Open();
        const bool exists = !panels.IsEOF();
        ack.hidden = !MayAccessPanel(*user, GetDatabase(), ack.panelId);
        if (exists && !ack.hidden &&
            !CUserDevicePermission(user->GetDatabase(), user).IsDevicePermitted(ack.panelId, kWholePanel))
            return WBEM_E_ACCESS_DENIED;
        ack.noPanelHost = true;
        if (exists && !panels.GetTerminalName().IsEmpty() &&
            panels.GetPanelType() != CWmipLogicalDeviceRules::kLogicalSourcePanelType)
        {
            ack.noPanelHost = false;
            if (ack.host.IsEmpty())
                ack.host = panels.GetTerminalName();
        }
        if (!ack.hidden && ack.host.IsEmpty())
        {
            ack.localHosts = BntComServerUtilities::FindAllLocalCommServersForOnlinePanels(GetDatabase());
            if (ack.localHosts.empty())
                Info(L"Unable to find any online comm servers to acknowledge this alarm");
        }
        return S_OK;
    }
    catch (...)
    {
        CWmipDeviceMethod::LogCaught(kIncomingEventExMapperSource, __LINE__, L"AcknowledgeAlarm failed.");
        return WBEM_E_FAILED;
    }
}

HRESULT CWmipIncomingEventExMapper::Acknowledge(const Acknowledgement& ack, IWbemObjectSink* sink)
{
    try
    {
        LONG returnValue = 1;
        LONG simultaneous = 0;
        const auto acknowledge = [&](LAAPProxy& proxy) {
            return proxy.AcknowledgeAlarm(ack.currentAckStatus, ack.serialNumber, ack.panelId, ack.alarmId, ack.userId,
                                          ack.alarmTime, ack.ackStatus, ack.notes, ack.noPanelHost, &simultaneous);
        };
        if (ack.hidden)
        {
            returnValue = 0;
        }
        else if (ack.host.IsEmpty())
        {
            LAAPProxy proxy;
            bool accepted = false;
            for (const CString& candidate : ack.localHosts)
            {
                if (proxy.GetHostName().CompareNoCase(candidate) != 0)
                    proxy.SetHostName(candidate);
                if (acknowledge(proxy))
                {
                    accepted = true;
                    break;
                }
            }
            returnValue = accepted ? 1 : 0;
        }
        else
        {
            LAAPProxy proxy;
            proxy.SetHostName(ack.host);
            returnValue = acknowledge(proxy) ? 1 : 0;
        }
        if (returnValue == 0)
            simultaneous = 0;

        const HRESULT answered =
            CWmipDeviceMethod::AnswerOutput(*this, sink, kAcknowledgeAlarm, [&](IWbemClassObject* output) {
                WMIHelper::PutNumber(output, L"ReturnValue", returnValue);
                WMIHelper::PutNumber(output, L"SimultaneousAckStatus", simultaneous);
            });
        if (answered != S_OK)
        {
            Info(L"Failed to set the SimAckStatus [out] parameter.");
            return WBEM_E_FAILED;
        }
        return S_OK;
    }
    catch (...)
    {
        CWmipDeviceMethod::LogCaught(kIncomingEventExMapperSource, __LINE__, L"AcknowledgeAlarm failed.");
        return WBEM_E_FAILED;
    }
}
