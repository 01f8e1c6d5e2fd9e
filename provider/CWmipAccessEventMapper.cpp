#include "provider/CWmipAccessEventMapper.h"

#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/com/CimTypes.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CException.h"
#include "platform/wmi/IWbemClassObject.h"
#include "provider/CWmipPooledConnection.h"
#include "provider/HardwareEventRules.h"

using bnt::utility::BntMessage;
using bnt::utility::BntMessageEx;
using brontel::utility::CWMIDebugLog;

namespace {
constexpr wchar_t kAccessEventMapperSource[] = L"wpAccessEventMapper";
constexpr LONG kUnset = -1;
constexpr LONG kAccessGranted = 2;
constexpr LONG kAccessOther = 3;
constexpr std::size_t kAssetMaxChars = 32;

// The event types and subtypes whose records are access events, as the record's one-byte type
// reads them: the access types 0 to 3 with any subtype, and the secondary access type but for
// its subtypes 4 and 5 (the other-security mapper's).
bool IsAccessEventType(BYTE eventType, SHORT eventSubtype)
{
    if (eventType == kEventTypeAccessSecondary)
        return eventSubtype != 4 && eventSubtype != 5;
    return eventType >= kEventTypeAccessGranted && eventType <= kEventTypeAccessOther;
}

enum AccessDataType : LONGLONG
{
    kNoCardData = 0,
    kFacilityData = 1,
    kCardData = 2,
    kAssetData = 20,
    kUserCommandData = 28,
};

// The values an access event carries, as far as the record gives them.
struct AccessValues
{
    bool readableCard = false;
    bool cardholderEntered = false;
    bool duress = false;
    LONG accessResult = kAccessOther;
    LONGLONG cardNumber = kUnset;
    LONG facilityCode = kUnset;
    LONG issueCode = kUnset;
    LONG areaEntered = kUnset;
    LONG areaExited = kUnset;
    LONG elevatorFloor = kUnset;
    CString extendedId;
    CString assetId;
};

// Granted accesses: type 0, type 2 with subtype 0 or 2, type 3 with subtype 4 or 5.
bool IsGranted(LONGLONG type, LONGLONG subtype)
{
    return type == kEventTypeAccessGranted || (type == kEventTypeDuress && (subtype == 0 || subtype == 2)) ||
           (type == kEventTypeAccessOther && (subtype == 4 || subtype == 5));
}

// A granted access that did not lead through the door: type 0 with subtype 2 or 3, type 2 with
// subtype 2.
bool IsGrantedWithoutEntry(LONGLONG type, LONGLONG subtype)
{
    return (type == kEventTypeAccessGranted && (subtype == 2 || subtype == 3)) ||
           (type == kEventTypeDuress && subtype == 2);
}

void WriteValues(IWbemClassObject* event, const AccessValues& values)
{
    WMIHelper::PutBool(event, L"IsReadableCard", values.readableCard);
    WMIHelper::PutBool(event, L"CardholderEntered", values.cardholderEntered);
    WMIHelper::PutBool(event, L"Duress", values.duress);
    WMIHelper::PutNumber(event, L"AccessResult", values.accessResult);
    if (values.cardNumber != kUnset)
    {
        WMIHelper::PutNumber64(event, L"CardNumber", values.cardNumber);
    }
    if (!values.extendedId.IsEmpty())
    {
        WMIHelper::PutString(event, L"ExtendedID", values.extendedId, CIM_STRING);
    }
    const std::pair<const wchar_t*, LONG> numbers[] = {
        {L"FacilityCode", values.facilityCode},   {L"IssueCode", values.issueCode},
        {L"AreaEnteredID", values.areaEntered},   {L"AreaExitedID", values.areaExited},
        {L"ElevatorFloor", values.elevatorFloor},
    };
    for (const auto& [name, value] : numbers)
    {
        if (value != kUnset)
        {
            WMIHelper::PutNumber(event, name, value);
        }
    }
    if (!values.assetId.IsEmpty())
    {
        WMIHelper::PutString(event, L"AssetID", values.assetId, CIM_STRING);
    }
}
}  // namespace

CWmipAccessEventMapper::CWmipAccessEventMapper(IWbemContext* context, IWbemServices* services)
    : CWmipSecurityEventMapper(context, services, kClassName)
{
}

BOOL CWmipAccessEventMapper::HandlesEvent(const BntMessageEx& message)
{
    return IsAccessEventType(static_cast<BYTE>(message.Get(BntMessage::EventType)),
                             static_cast<SHORT>(message.Get(BntMessage::EventSubtype)))
               ? TRUE
               : FALSE;
}

HRESULT CWmipAccessEventMapper::MapEvent(IWbemClassObject** event, const BntMessageEx& message)
{
    const HRESULT hr = CWmipSecurityEventMapper::MapEvent(event, message);
    if (FAILED(hr))
    {
        return hr;
    }
    AccessValues values;
    const LONGLONG type = message.Get(BntMessage::EventType);
    const LONGLONG subtype = message.Get(BntMessage::EventSubtype);
    switch (message.Get(BntMessage::DataType))
    {
    case kNoCardData:
        WriteValues(*event, values);
        return hr;
    case kFacilityData:
        values.readableCard = true;
        values.facilityCode = static_cast<LONG>(message.ReadU32(56));
        values.issueCode = static_cast<LONG>(message.ReadU32(60));
        WriteValues(*event, values);
        return hr;
    case kAssetData:
        values.readableCard = true;
        values.cardNumber = static_cast<LONGLONG>(message.ReadU64(56));
        values.assetId = message.ReadNarrow(64, kAssetMaxChars).Left(static_cast<int>(kAssetMaxChars));
        break;
    case kCardData:
    case kUserCommandData:
        values.readableCard = true;
        values.cardNumber = static_cast<LONGLONG>(message.ReadU64(56));
        values.issueCode = static_cast<LONG>(message.ReadU32(64));
        values.extendedId = message.GetExtendedID();
        break;
    default:
        CWMIDebugLog::LogError(kAccessEventMapperSource, __LINE__, L"Unknown BntMessage data type");
        (*event)->Release();
        *event = nullptr;
        return WBEM_E_FAILED;
    }
    if (IsGranted(type, subtype))
    {
        values.accessResult = kAccessGranted;
        ReadAreas(static_cast<LONG>(message.Get(BntMessage::PanelID)),
                  static_cast<LONG>(message.Get(BntMessage::DeviceID)), values.areaEntered, values.areaExited);
    }
    values.duress = type == kEventTypeDuress;
    values.cardholderEntered = values.accessResult == kAccessGranted && !IsGrantedWithoutEntry(type, subtype);
    if (const auto floor = message.Get(BntMessage::Detail2); floor != 0)
    {
        values.elevatorFloor = static_cast<LONG>(floor);
    }
    WriteValues(*event, values);
    return hr;
}

void CWmipAccessEventMapper::ReadAreas(LONG panelId, LONG readerId, LONG& entered, LONG& exited)
{
    try
    {
        const CWmipPooledConnection connection(GetConnectionManager());
        if (connection.GetDatabase() == nullptr)
        {
            return;
        }
        CDynamicRecordset reader(connection.GetDatabase());
        reader.SetTable(L"READER");
        reader.AddFilterInt(L"PANELID", panelId);
        reader.AddFilterInt(L"READERID", readerId);
        reader.AddColumnToSet(L"AREAENTER");
        reader.AddColumnToSet(L"AREALEAVE");
        reader.OpenForwardOnly();
        if (reader.IsEOF())
        {
            CWMIDebugLog::LogError(kAccessEventMapperSource, __LINE__,
                                   L"Invalid panel/reader combination in BntMessage");
            return;
        }
        // A reader without configured areas leaves them unknown rather than area 0.
        if (!reader.IsFieldNull(0))
        {
            entered = reader.GetLong(0);
        }
        if (!reader.IsFieldNull(1))
        {
            exited = reader.GetLong(1);
        }
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kAccessEventMapperSource, __LINE__, L"Error getting area IDs", E_FAIL, &e);
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kAccessEventMapperSource, __LINE__, L"Error getting area IDs", E_FAIL);
    }
}
