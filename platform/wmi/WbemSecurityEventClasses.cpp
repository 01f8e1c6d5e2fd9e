#include "platform/wmi/WbemSecurityEventClasses.h"

#include "platform/com/CimTypes.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemClassObject.h"
#include "platform/wmi/WbemRepository.h"

#include <initializer_list>

namespace {
struct PropertyDefinition
{
    const wchar_t* name;
    CIMTYPE type;
};

struct ClassDefinition
{
    const wchar_t* name;
    const wchar_t* superclass;
    std::initializer_list<PropertyDefinition> properties;
};

// Superclasses come before their subclasses.
const ClassDefinition kClasses[] = {
    {L"Bnt_Alarm",
     nullptr,
     {{L"ID", CIM_SINT32},
      {L"Description", CIM_STRING},
      {L"Priority", CIM_SINT32},
      {L"IsActive", CIM_BOOLEAN},
      {L"MustAcknowledge", CIM_BOOLEAN},
      {L"EventParamDescription", CIM_STRING}}},
    {WbemSecurityEventClasses::kRootClass,
     L"__ExtrinsicEvent",
     {{L"Time", CIM_DATETIME},
      {L"Description", CIM_STRING},
      {L"ID", CIM_SINT32},
      {L"PanelID", CIM_SINT32},
      {L"DeviceID", CIM_SINT32},
      {L"SecondaryDeviceID", CIM_SINT32},
      {L"SegmentID", CIM_SINT32},
      {L"SerialNumber", CIM_SINT32},
      {L"Type", CIM_SINT32},
      {L"SubType", CIM_SINT32},
      {L"EventText", CIM_STRING},
      {L"CommServerHostName", CIM_STRING},
      {L"Alarm", CIM_OBJECT}}},
    {L"Bnt_AccessEvent",
     WbemSecurityEventClasses::kRootClass,
     {{L"IsReadableCard", CIM_BOOLEAN},
      {L"CardholderEntered", CIM_BOOLEAN},
      {L"Duress", CIM_BOOLEAN},
      {L"AccessResult", CIM_SINT32},
      {L"CardNumber", CIM_SINT64},
      {L"ExtendedID", CIM_STRING},
      {L"FacilityCode", CIM_SINT32},
      {L"IssueCode", CIM_SINT32},
      {L"AreaEnteredID", CIM_SINT32},
      {L"AreaExitedID", CIM_SINT32},
      {L"ElevatorFloor", CIM_SINT32},
      {L"AssetID", CIM_STRING}}},
    {L"Bnt_IntercomEvent",
     WbemSecurityEventClasses::kRootClass,
     {{L"IntercomData", CIM_SINT32}, {L"LineNumber", CIM_SINT32}}},
    {L"Bnt_FireEvent", WbemSecurityEventClasses::kRootClass, {{L"TroubleCode", CIM_SINT32}}},
    {L"Bnt_VideoEvent",
     WbemSecurityEventClasses::kRootClass,
     {{L"Channel", CIM_SINT32}, {L"StartTime", CIM_DATETIME}, {L"EndTime", CIM_DATETIME}}},
    {L"Bnt_TransmitterEvent",
     WbemSecurityEventClasses::kRootClass,
     {{L"TransmitterID", CIM_SINT32},
      {L"TransmitterBaseID", CIM_SINT32},
      {L"TransmitterInputID", CIM_SINT32},
      {L"VerifiedAlarm", CIM_BOOLEAN}}},
    {L"Bnt_StatusChangeEvent",
     WbemSecurityEventClasses::kRootClass,
     {{L"NewStatus", CIM_SINT32}, {L"OldStatus", CIM_SINT32}, {L"CommunicationStatus", CIM_SINT32}}},
    {L"Bnt_FunctionExecEvent",
     WbemSecurityEventClasses::kRootClass,
     {{L"FunctionID", CIM_SINT32}, {L"FunctionInputArguments", CIM_SINT32}, {L"InitiatingEventID", CIM_SINT32}}},
    {L"Bnt_OtherSecurityEvent", WbemSecurityEventClasses::kRootClass, {}},
};
}  // namespace

HRESULT WbemSecurityEventClasses::AddTo(WbemRepository& repository)
{
    for (const ClassDefinition& definition : kClasses)
    {
        ComPtr<WbemClassObject> superclass;
        if (definition.superclass != nullptr)
        {
            const HRESULT hr = repository.GetClass(definition.superclass, &superclass);
            if (FAILED(hr))
                return hr;
        }
        ComPtr<IWbemClassObject> created;
        HRESULT hr = CreateWbemClass(definition.name, superclass.Get(), &created);
        if (FAILED(hr))
            return hr;
        for (const PropertyDefinition& property : definition.properties)
        {
            hr = created->Put(property.name, 0, nullptr, property.type);
            if (FAILED(hr))
                return hr;
        }
        hr = repository.PutClass(created.Get(), WBEM_FLAG_CREATE_OR_UPDATE);
        if (FAILED(hr))
            return hr;
    }
    return WBEM_S_NO_ERROR;
}
