#include "provider/CWmipSecurityEventMapper.h"

#include "framework/WMIHelper.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "provider/CWmipPanelSegmentCache.h"
#include "platform/com/CimTypes.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CException.h"
#include "platform/wmi/IWbemClassObject.h"
#include "provider/CEventAlarmLinkCache.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipEventTableCache.h"
#include "provider/CWmipPooledConnection.h"

using bnt::utility::BntMessage;
using bnt::utility::BntMessageEx;
using brontel::utility::CWMIDebugLog;

namespace {
constexpr wchar_t kSecurityEventMapperSource[] = L"wpSecurityEventMapper";

// The columns the access check may filter hardware event queries on.
struct ClauseColumn
{
    const wchar_t* property;
    const wchar_t* column;
};
constexpr ClauseColumn kClauseColumns[] = {
    {L"PanelID", L"ACCESSPANE.PANELID"},
    {L"DeviceID", L"READER.READERID"},
    {L"SegmentID", L"ACCESSPANE.SEGMENTID"},
};

LONG Field(const BntMessage& message, const bnt::utility::BntMessageField& field)
{
    return static_cast<LONG>(message.Get(field));
}
}  // namespace

CWmipSecurityEventMapper::CWmipSecurityEventMapper(IWbemContext* context, IWbemServices* services,
                                                   const wchar_t* className)
    : CWmipEventMapper(context, services, className), m_eventTable(std::make_unique<CWmipEventTableCache>()),
      m_panelSegments(std::make_unique<CWmipPanelSegmentCache>())
{
    try
    {
        const CWmipPooledConnection connection(CWmipApp::GetConnectionManager());
        if (connection.Get() != nullptr)
        {
            m_linkCache = std::make_unique<CEventAlarmLinkCache>();
            m_linkCache->Load(connection.GetDatabase());
        }
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kSecurityEventMapperSource, __LINE__, L"Error loading EventToAlarmLinks cache", E_FAIL,
                               &e);
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kSecurityEventMapperSource, __LINE__,
                               L"Unspecified error loading EventToAlramsLinks cache", E_FAIL);
    }
}

CWmipSecurityEventMapper::~CWmipSecurityEventMapper() = default;

ProcessClauseResult CWmipSecurityEventMapper::ProcessClause(CString& property, int& wqlOperator, CString& literal,
                                                            CString& extra)
{
    const ProcessClauseResult result = CWmipMapper::ProcessClause(property, wqlOperator, literal, extra);
    if (result != ProcessClausePlain)
    {
        return result;
    }
    for (const ClauseColumn& column : kClauseColumns)
    {
        if (property.CompareNoCase(column.property) == 0)
        {
            property = column.column;
            return ProcessClauseKeep;
        }
    }
    return ProcessClauseDrop;
}

HRESULT CWmipSecurityEventMapper::MapEvent(IWbemClassObject** event, const BntMessageEx& message)
{
    const HRESULT hr = CWmipEventMapper::MapEvent(event, message);
    if (FAILED(hr))
    {
        return hr;
    }
    const auto type = static_cast<SHORT>(message.Get(BntMessage::EventType));
    const auto subtype = static_cast<SHORT>(message.Get(BntMessage::EventSubtype));
    const CString description = m_eventTable->GetDescription(type, subtype);
    const LONG eventId = m_eventTable->GetEventID(type, subtype);
    const LONG segment = m_panelSegments->GetSegmentID(Field(message, BntMessage::PanelID));

    IWbemClassObject* object = *event;
    WMIHelper::PutString(object, L"Description", description, CIM_STRING);
    WMIHelper::PutNumber(object, L"ID", eventId);
    WMIHelper::PutNumber(object, L"PanelID", Field(message, BntMessage::PanelID));
    WMIHelper::PutNumber(object, L"DeviceID", Field(message, BntMessage::DeviceID));
    WMIHelper::PutNumber(object, L"SecondaryDeviceID", Field(message, BntMessage::InputID));
    WMIHelper::PutNumber(object, L"SegmentID", segment);
    WMIHelper::PutNumber(object, L"SerialNumber", Field(message, BntMessage::SerialNumber));
    WMIHelper::PutNumber(object, L"Type", Field(message, BntMessage::EventType));
    WMIHelper::PutNumber(object, L"SubType", Field(message, BntMessage::EventSubtype));
    WMIHelper::PutString(object, L"EventText", message.GetText(), CIM_STRING);
    WMIHelper::PutString(object, L"CommServerHostName", message.GetHostName(), CIM_STRING);
    if (message.GetAlarmID() != 0)
    {
        const ComPtr<IWbemClassObject> alarm = BuildAlarm(message, eventId, description);
        WMIHelper::PutObject(object, L"Alarm", alarm.Get());
    }
    return hr;
}

ComPtr<IWbemClassObject> CWmipSecurityEventMapper::BuildAlarm(const BntMessageEx& message, LONG eventId,
                                                              const CString& description)
{
    ComPtr<IWbemClassObject> alarmClass;
    if (FAILED(GetObject(L"Bnt_Alarm", &alarmClass, 1, 0)) || alarmClass == nullptr)
    {
        return nullptr;
    }
    ComPtr<IWbemClassObject> alarm;
    if (FAILED(alarmClass->SpawnInstance(0, &alarm)))
    {
        return nullptr;
    }
    const LAcsAlarm* definition = m_linkCache != nullptr ? m_linkCache->GetAlarm(message.GetAlarmID()) : nullptr;
    if (definition == nullptr)
    {
        CString text;
        text.FormatMessage(L"Event came in without corresponding Alarm. AlarmID:%1!d! EID:%2!d! Description:%3 "
                           L"EventText:%4",
                           static_cast<int>(message.GetAlarmID()), static_cast<int>(eventId), description.GetString(),
                           message.GetText().GetString());
        CWMIDebugLog::LogError(kSecurityEventMapperSource, __LINE__, text);
        return alarm;
    }
    CString parameterText;
    if (message.Get(BntMessage::HasParameter) != 0)
    {
        const LAcsEventParam* parameter =
            m_linkCache->GetEventParam(static_cast<LONG>(message.Get(BntMessage::ParameterValue)), nullptr);
        if (parameter != nullptr)
        {
            parameterText = parameter->GetDescription();
        }
    }
    const WORD flags = definition->GetNotifType();
    WMIHelper::PutString(alarm.Get(), L"EventParamDescription", parameterText, CIM_STRING);
    WMIHelper::PutNumber(alarm.Get(), L"ID", definition->GetID());
    WMIHelper::PutString(alarm.Get(), L"Description", definition->GetName(), CIM_STRING);
    WMIHelper::PutNumber(alarm.Get(), L"Priority", definition->GetPriority());
    WMIHelper::PutBool(alarm.Get(), L"IsActive", (flags & LAcsAlarm::kActive) != 0);
    WMIHelper::PutBool(alarm.Get(), L"MustAcknowledge", (flags & LAcsAlarm::kMustAcknowledge) != 0);
    return alarm;
}
