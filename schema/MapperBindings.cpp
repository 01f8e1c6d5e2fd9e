#include "schema/MapperBindings.h"

#include <string_view>
#include <vector>

#include "mappers/devices/CWmipAlarmDefinitionMapper.h"
#include "mappers/devices/CWmipAlarmInputMapper.h"
#include "mappers/devices/CWmipAlarmOutputMapper.h"
#include "mappers/devices/CWmipAlarmPanelMapper.h"
#include "mappers/devices/CWmipAreaMapper.h"
#include "mappers/devices/CWmipCameraMapper.h"
#include "mappers/devices/CWmipAuthenticationModeMapper.h"
#include "mappers/devices/CWmipCameraGroupCameraLinkMapper.h"
#include "mappers/devices/CWmipCameraGroupMapper.h"
#include "mappers/devices/CWmipPTZPresetMapper.h"
#include "mappers/devices/CWmipVideoLayoutMapper.h"
#include "mappers/devices/CWmipVideoLayoutSourceMapper.h"
#include "mappers/devices/CWmipVideoTemplateMapper.h"
#include "mappers/devices/CWmipWorkStationMapper.h"
#include "mappers/devices/CWmipElevatorTerminal.h"
#include "mappers/devices/CWmipIncomingEventExMapper.h"
#include "mappers/devices/CWmipIntrusionArea.h"
#include "mappers/devices/CWmipIntrusionDoor.h"
#include "mappers/devices/CWmipIntrusionOffBoardRelay.h"
#include "mappers/devices/CWmipIntrusionOnBoardRelay.h"
#include "mappers/devices/CWmipIntrusionZone.h"
#include "mappers/devices/CWmipIntrusionZoneOutput.h"
#include "mappers/devices/CWmipReaderMapper.h"
#include "mappers/devices/CWmipVideoRecorderMapper.h"
#include "mappers/devices/CWmipRequestableReaderMapper.h"
#include "mappers/devices/CWmipLogicalDeviceMapper.h"
#include "mappers/devices/CWmipLogicalSourceMapper.h"
#include "mappers/devices/CWmipLogicalSubDeviceMapper.h"
#include "mappers/devices/CWmipLogicalUserAccountMapper.h"
#include "mappers/devices/CWmipPanelMapper.h"
#include "mappers/devices/CWmipReaderInput1Mapper.h"
#include "mappers/devices/CWmipReaderInput2Mapper.h"
#include "mappers/devices/CWmipReaderOutput1Mapper.h"
#include "mappers/devices/CWmipReaderOutput2Mapper.h"
#include "mappers/records/CWmipHolidayMapper.h"
#include "mappers/records/CWmipHolidayTypeLinkMapper.h"
#include "mappers/records/CWmipHolidayTypeMapper.h"
#include "mappers/records/CWmipTimezoneIntervalMapper.h"
#include "mappers/records/CWmipTimezoneMapper.h"
#include "mappers/records/CWmipWorldTimezoneMapper.h"
#include "provider/CWmipEventAlarmLinkMapper.h"
#include "provider/CWmipEventParameterMapper.h"
#include "provider/CWmipEventSubtypeDefinitionMapper.h"
#include "provider/CWmipEventSubtypeParameterLinkMapper.h"
#include "provider/CWmipEventTypeMapper.h"

namespace {

struct MapperBinding {
    const wchar_t* mapperClass;
    MapperFactory factory;
};

// The mapper factories that exist, by mapper class text.
const std::vector<MapperBinding>& BoundMappers()
{
    static const std::vector<MapperBinding> bindings = {
        {L"CWmipEventAlarmLinkMapper", &CWmipEventAlarmLinkMapper::CreateMapper},
        {L"CWmipEventParameterMapper", &CWmipEventParameterMapper::CreateMapper},
        {L"CWmipEventSubtypeDefinitionMapper", &CWmipEventSubtypeDefinitionMapper::CreateMapper},
        {L"CWmipEventSubtypeParameterLinkMapper", &CWmipEventSubtypeParameterLinkMapper::CreateMapper},
        {L"CWmipEventTypeMapper", &CWmipEventTypeMapper::CreateMapper},
        {L"CWmipHolidayMapper", &CWmipHolidayMapper::CreateMapper},
        {L"CWmipHolidayTypeLinkMapper", &CWmipHolidayTypeLinkMapper::CreateMapper},
        {L"CWmipHolidayTypeMapper", &CWmipHolidayTypeMapper::CreateMapper},
        {L"CWmipTimezoneIntervalMapper", &CWmipTimezoneIntervalMapper::CreateMapper},
        {L"CWmipTimezoneMapper", &CWmipTimezoneMapper::CreateMapper},
        {L"CWmipWorldTimezoneMapper", &CWmipWorldTimezoneMapper::CreateMapper},
        {L"CWmipPanelMapper", &CWmipPanelMapper::CreateMapper},
        {L"CWmipReaderInput1Mapper", &CWmipReaderInput1Mapper::CreateMapper},
        {L"CWmipReaderInput2Mapper", &CWmipReaderInput2Mapper::CreateMapper},
        {L"CWmipReaderOutput1Mapper", &CWmipReaderOutput1Mapper::CreateMapper},
        {L"CWmipReaderOutput2Mapper", &CWmipReaderOutput2Mapper::CreateMapper},
        {L"CWmipReaderMapper", &CWmipReaderMapper::CreateMapper},
        {L"CWmipAreaMapper", &CWmipAreaMapper::CreateMapper},
        {L"CWmipVideoRecorderMapper", &CWmipVideoRecorderMapper::CreateMapper},
        {L"CWmipLogicalSourceMapper", &CWmipLogicalSourceMapper::CreateMapper},
        {L"CWmipLogicalDeviceMapper", &CWmipLogicalDeviceMapper::CreateMapper},
        {L"CWmipLogicalSubDeviceMapper", &CWmipLogicalSubDeviceMapper::CreateMapper},
        {L"CWmipLogicalUserAccountMapper", &CWmipLogicalUserAccountMapper::CreateMapper},
        {L"CWmipRequestableReaderMapper", &CWmipRequestableReaderMapper::CreateMapper},
        {L"CWmipIncomingEventExMapper", &CWmipIncomingEventExMapper::CreateMapper},
        {L"CWmipPTZPresetMapper", &CWmipPTZPresetMapper::CreateMapper},
        {L"CWmipVideoLayoutMapper", &CWmipVideoLayoutMapper::CreateMapper},
        {L"CWmipVideoLayoutSourceMapper", &CWmipVideoLayoutSourceMapper::CreateMapper},
        {L"CWmipVideoTemplateMapper", &CWmipVideoTemplateMapper::CreateMapper},
        {L"CWmipWorkStationMapper", &CWmipWorkStationMapper::CreateMapper},
        {L"CWmipCameraGroupMapper", &CWmipCameraGroupMapper::CreateMapper},
        {L"CWmipCameraGroupCameraLinkMapper", &CWmipCameraGroupCameraLinkMapper::CreateMapper},
        {L"CWmipAuthenticationModeMapper", &CWmipAuthenticationModeMapper::CreateMapper},
        {L"CWmipCameraMapper", &CWmipCameraMapper::CreateMapper},
        {L"CWmipElevatorTerminal", &CWmipElevatorTerminal::CreateMapper},
        {L"CWmipAlarmPanelMapper", &CWmipAlarmPanelMapper::CreateMapper},
        {L"CWmipAlarmInputMapper", &CWmipAlarmInputMapper::CreateMapper},
        {L"CWmipAlarmOutputMapper", &CWmipAlarmOutputMapper::CreateMapper},
        {L"CWmipAlarmDefinitionMapper", &CWmipAlarmDefinitionMapper::CreateMapper},
        {L"CWmipIntrusionArea", &CWmipIntrusionArea::CreateMapper},
        {L"CWmipIntrusionDoor", &CWmipIntrusionDoor::CreateMapper},
        {L"CWmipIntrusionOffBoardRelay", &CWmipIntrusionOffBoardRelay::CreateMapper},
        {L"CWmipIntrusionOnBoardRelay", &CWmipIntrusionOnBoardRelay::CreateMapper},
        {L"CWmipIntrusionZone", &CWmipIntrusionZone::CreateMapper},
        {L"CWmipIntrusionZoneOutput", &CWmipIntrusionZoneOutput::CreateMapper},
    };
    return bindings;
}

// Every mapper class that the declarations name and no factory serves yet.
constexpr const wchar_t* kUnboundMappers[] = {
    L"CWmipAccessGroupMapper",
    L"CWmipAccessLevelAssignmentMapper",
    L"CWmipAccessLevelManagedMapper",
    L"CWmipAccessLevelMapper",
    L"CWmipAccessLevelReaderAssignmentMapper",
    L"CWmipAccessLevelRequestMapper",
    L"CWmipAccessLevelUserMapper",
    L"CWmipAccountMapper",
    L"CWmipDirectoryMapper",
    L"CWmipAssocPersonAccountMapper",
    L"CWmipAssocCardholderAccountMapper",
    L"CWmipAssocVisitorAccountMapper",
    L"CWmipAssocDirectoryAccountMapper",
    L"CWmipAssocAccessLevelGroupAssignmentMapper",
    L"CWmipAssocCardholderBadgeMapper",
    L"CWmipAssocVisitorBadgeMapper",
    L"CWmipAssocCardholderMultimediaObjectMapper",
    L"CWmipAssocVisitorMultimediaObjectMapper",
    L"CWmipAssocReaderEntersAreaMapper",
    L"CWmipAssocReaderExitsAreaMapper",
    L"CWmipBadgeFIPS201",
    L"CWmipBadgeLastLocationMapper",
    L"CWmipBadgeMapper",
    L"CWmipBadgePropertiesMapper",
    L"CWmipBadgeStatusMapper",
    L"CWmipBadgeTWICPrivacyKey",
    L"CWmipBadgeTypeMapper",
    L"CWmipCardholderMapper",
    L"CWmipGuardTourMapper",
    L"CWmipLoggedEventMapper",
    L"CWmipPortavereMapper",
    L"WmipMonitoringZoneCameraLinkMapper",
    L"WmipMonitoringZoneDeviceLinkMapper",
    L"CWmipMonitoringZoneMapper",
    L"WmipMonitoringZoneRecorderLinkMapper",
    L"CWmipMultimediaObjectMapper",
    L"CWmipPermissionDeviceGroupLinkMapper",
    L"CWmipPersonMapper",
    L"CWmipPersonSecondarySegmentsMapper",
    L"CWmipPrecisionAccessGroupAssignmentMapper",
    L"CWmipPrecisionAccessGroupMapper",
    L"CWmipReaderRequestMapper",
    L"CWmipSegmentMapper",
    L"CWmipSegmentUnitMapper",
    L"CWmipSegmentGroupMapper",
    L"CWmipAssocSegmentGroupMemberMapper",
    L"CWmipUserAccountMapper",
    L"CWmipUserFieldPermissionGroupMapper",
    L"CWmipUserMapper",
    L"CWmipUserPermissionGroupMapper",
    L"CWmipUserReportPermissionGroupMapper",
    L"CWmipUserSecondarySegmentMapper",
    L"CWmipVisitEmailRecipientMapper",
    L"CWmipVisitEventMapper",
    L"CWmipVisitMapper",
    L"CWmipVisitorMapper",
    L"CWmipVisitSelfServiceStation",
    L"CWmipVisitSignInLocation",
};

const MapperBinding* FindBinding(const wchar_t* mapperClass)
{
    if (mapperClass == nullptr) {
        return nullptr;
    }
    for (const MapperBinding& binding : BoundMappers()) {
        if (std::wstring_view(binding.mapperClass) == mapperClass) {
            return &binding;
        }
    }
    return nullptr;
}

}  // namespace

MapperFactory MapperBindings::FindFactory(const wchar_t* mapperClass)
{
    const MapperBinding* binding = FindBinding(mapperClass);
    return binding != nullptr ? binding->factory : MapperFactory();
}

bool MapperBindings::IsBound(const wchar_t* mapperClass)
{
    return FindBinding(mapperClass) != nullptr;
}

std::span<const wchar_t* const> MapperBindings::GetBoundMapperNames()
{
    static const std::vector<const wchar_t*> names = [] {
        std::vector<const wchar_t*> result;
        for (const MapperBinding& binding : BoundMappers()) {
            result.push_back(binding.mapperClass);
        }
        return result;
    }();
    return names;
}

std::span<const wchar_t* const> MapperBindings::GetUnboundMapperNames()
{
    return kUnboundMappers;
}
