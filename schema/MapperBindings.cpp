#include "schema/MapperBindings.h"

#include <string_view>
#include <vector>

#include "framework/associations/CWmipAssocAccessLevelGroupAssignmentMapper.h"
#include "framework/associations/CWmipAssocCardholderBadgeMapper.h"
#include "framework/associations/CWmipAssocCardholderMultimediaObjectMapper.h"
#include "framework/associations/CWmipAssocReaderEntersAreaMapper.h"
#include "framework/associations/CWmipAssocReaderExitsAreaMapper.h"
#include "framework/associations/CWmipAssocVisitorBadgeMapper.h"
#include "framework/associations/CWmipAssocVisitorMultimediaObjectMapper.h"
#include "framework/CWmipListItemMapper.h"
#include "framework/CWmipManagerClassDefinitions.h"
#include "framework/objects/CCorvessaClassObject.h"
#include "mappers/devices/CWmipAlarmDefinitionMapper.h"
#include "mappers/devices/CWmipAlarmInputMapper.h"
#include "mappers/devices/CWmipAlarmOutputMapper.h"
#include "mappers/devices/CWmipAlarmPanelMapper.h"
#include "mappers/devices/CWmipAreaMapper.h"
#include "mappers/devices/CWmipAuthenticationModeMapper.h"
#include "mappers/devices/CWmipCameraGroupCameraLinkMapper.h"
#include "mappers/devices/CWmipCameraGroupMapper.h"
#include "mappers/devices/CWmipCameraMapper.h"
#include "mappers/devices/CWmipElevatorTerminal.h"
#include "mappers/devices/CWmipIncomingEventExMapper.h"
#include "mappers/devices/CWmipIntrusionArea.h"
#include "mappers/devices/CWmipIntrusionDoor.h"
#include "mappers/devices/CWmipIntrusionOffBoardRelay.h"
#include "mappers/devices/CWmipIntrusionOnBoardRelay.h"
#include "mappers/devices/CWmipIntrusionZone.h"
#include "mappers/devices/CWmipIntrusionZoneOutput.h"
#include "mappers/devices/CWmipLogicalDeviceMapper.h"
#include "mappers/devices/CWmipLogicalSourceMapper.h"
#include "mappers/devices/CWmipLogicalSubDeviceMapper.h"
#include "mappers/devices/CWmipLogicalUserAccountMapper.h"
#include "mappers/devices/CWmipPTZPresetMapper.h"
#include "mappers/devices/CWmipReaderMapper.h"
#include "mappers/devices/CWmipRequestableReaderMapper.h"
#include "mappers/devices/CWmipVideoLayoutMapper.h"
#include "mappers/devices/CWmipVideoLayoutSourceMapper.h"
#include "mappers/devices/CWmipVideoRecorderMapper.h"
#include "mappers/devices/CWmipVideoTemplateMapper.h"
#include "mappers/devices/CWmipWorkStationMapper.h"
#include "mappers/devices/CWmipPanelMapper.h"
#include "mappers/devices/CWmipReaderInput1Mapper.h"
#include "mappers/devices/CWmipReaderInput2Mapper.h"
#include "mappers/devices/CWmipReaderOutput1Mapper.h"
#include "mappers/devices/CWmipReaderOutput2Mapper.h"
#include "mappers/records/CWmipAccountMapper.h"
#include "mappers/records/CWmipAccessLevelUserMapper.h"
#include "mappers/records/CWmipPrecisionAccessGroupAssignmentMapper.h"
#include "mappers/records/WmipMonitoringZoneCameraLinkMapper.h"
#include "mappers/records/WmipMonitoringZoneRecorderLinkMapper.h"
#include "mappers/records/WmipMonitoringZoneDeviceLinkMapper.h"
#include "mappers/records/CWmipMonitoringZoneMapper.h"
#include "mappers/records/CWmipPrecisionAccessGroupMapper.h"
#include "mappers/records/CWmipReaderRequestMapper.h"
#include "mappers/records/CWmipUserSecondarySegmentMapper.h"
#include "mappers/records/CWmipPermissionDeviceGroupLinkMapper.h"
#include "mappers/records/CWmipUserReportPermissionGroupMapper.h"
#include "mappers/records/CWmipUserFieldPermissionGroupMapper.h"
#include "mappers/records/CWmipUserPermissionGroupMapper.h"
#include "mappers/records/CWmipUserAccountMapper.h"
#include "mappers/records/CWmipUserMapper.h"
#include "mappers/records/CWmipAccessGroupMapper.h"
#include "mappers/records/CWmipAccessLevelAssignmentMapper.h"
#include "mappers/records/CWmipAccessLevelRequestMapper.h"
#include "mappers/records/CWmipAccessLevelReaderAssignmentMapper.h"
#include "mappers/records/CWmipAccessLevelManagedMapper.h"
#include "mappers/records/CWmipAccessLevelMapper.h"
#include "mappers/records/CWmipAssocCardholderAccountMapper.h"
#include "mappers/records/CWmipAssocDirectoryAccountMapper.h"
#include "mappers/records/CWmipAssocPersonAccountMapper.h"
#include "mappers/records/CWmipAssocSegmentGroupMemberMapper.h"
#include "mappers/records/CWmipAssocVisitorAccountMapper.h"
#include "mappers/records/CWmipBadgeFIPS201.h"
#include "mappers/records/CWmipBadgeLastLocationMapper.h"
#include "mappers/records/CWmipBadgeMapper.h"
#include "mappers/records/CWmipBadgePropertiesMapper.h"
#include "mappers/records/CWmipBadgeStatusMapper.h"
#include "mappers/records/CWmipBadgeTWICPrivacyKey.h"
#include "mappers/records/CWmipBadgeTypeMapper.h"
#include "mappers/records/CWmipCardholderMapper.h"
#include "mappers/records/CWmipDirectoryMapper.h"
#include "mappers/records/CWmipFluxmereManagerMapper.h"
#include "mappers/records/CWmipGuardTourMapper.h"
#include "mappers/records/CWmipHolidayMapper.h"
#include "mappers/records/CWmipHolidayTypeLinkMapper.h"
#include "mappers/records/CWmipHolidayTypeMapper.h"
#include "mappers/records/CWmipMultimediaObjectMapper.h"
#include "mappers/records/CWmipPersonMapper.h"
#include "mappers/records/CWmipPersonSecondarySegmentsMapper.h"
#include "mappers/records/CWmipPortavereMapper.h"
#include "mappers/records/CWmipSegmentGroupMapper.h"
#include "mappers/records/CWmipSegmentMapper.h"
#include "mappers/records/CWmipSegmentUnitMapper.h"
#include "mappers/records/CWmipTimezoneIntervalMapper.h"
#include "mappers/records/CWmipTimezoneMapper.h"
#include "mappers/records/CWmipVexletManagerMapper.h"
#include "mappers/records/CWmipVisitEmailRecipientMapper.h"
#include "mappers/records/CWmipVisitEventMapper.h"
#include "mappers/records/CWmipVisitMapper.h"
#include "mappers/records/CWmipVisitSelfServiceStation.h"
#include "mappers/records/CWmipVisitSignInLocation.h"
#include "mappers/records/CWmipVisitorMapper.h"
#include "mappers/records/CWmipWorldTimezoneMapper.h"
#include "mappers/records/CWmipEventAlarmLinkMapper.h"
#include "mappers/records/CWmipEventParameterMapper.h"
#include "mappers/records/CWmipEventSubtypeDefinitionMapper.h"
#include "mappers/records/CWmipEventSubtypeParameterLinkMapper.h"
#include "mappers/records/CWmipEventTypeMapper.h"
#include "mappers/records/CWmipLoggedEventMapper.h"

namespace {

// The mapper factories of the declared classes.
const std::vector<MapperBinding>& BoundMappers()
{
    static const std::vector<MapperBinding> bindings = {
        Bind<CWmipAccountMapper>(),
        Bind<CWmipAccessGroupMapper>(),
        Bind<CWmipAccessLevelAssignmentMapper>(),
        Bind<CWmipAccessLevelManagedMapper>(),
        Bind<CWmipAccessLevelMapper>(),
        Bind<CWmipAccessLevelReaderAssignmentMapper>(),
        Bind<CWmipAccessLevelRequestMapper>(),
        Bind<CWmipAccessLevelUserMapper>(),
        Bind<CWmipAlarmDefinitionMapper>(),
        Bind<CWmipAlarmInputMapper>(),
        Bind<CWmipAlarmOutputMapper>(),
        Bind<CWmipAlarmPanelMapper>(),
        Bind<CWmipAreaMapper>(),
        Bind<WmipMonitoringZoneCameraLinkMapper>(),
        Bind<WmipMonitoringZoneDeviceLinkMapper>(),
        Bind<CWmipMonitoringZoneMapper>(),
        Bind<WmipMonitoringZoneRecorderLinkMapper>(),
        Bind<CWmipPermissionDeviceGroupLinkMapper>(),
        Bind<CWmipPrecisionAccessGroupAssignmentMapper>(),
        Bind<CWmipPrecisionAccessGroupMapper>(),
        Bind<CWmipUserAccountMapper>(),
        Bind<CWmipUserFieldPermissionGroupMapper>(),
        Bind<CWmipUserMapper>(),
        Bind<CWmipUserPermissionGroupMapper>(),
        Bind<CWmipUserReportPermissionGroupMapper>(),
        Bind<CWmipUserSecondarySegmentMapper>(),
        Bind<CWmipAssocAccessLevelGroupAssignmentMapper>(),
        Bind<CWmipAssocCardholderAccountMapper>(),
        Bind<CWmipAssocCardholderBadgeMapper>(),
        Bind<CWmipAssocCardholderMultimediaObjectMapper>(),
        Bind<CWmipAssocDirectoryAccountMapper>(),
        Bind<CWmipAssocPersonAccountMapper>(),
        Bind<CWmipAssocReaderEntersAreaMapper>(),
        Bind<CWmipAssocReaderExitsAreaMapper>(),
        Bind<CWmipAssocSegmentGroupMemberMapper>(),
        Bind<CWmipAssocVisitorAccountMapper>(),
        Bind<CWmipAssocVisitorBadgeMapper>(),
        Bind<CWmipAssocVisitorMultimediaObjectMapper>(),
        Bind<CWmipAuthenticationModeMapper>(),
        Bind<CWmipBadgeFIPS201>(),
        Bind<CWmipBadgeLastLocationMapper>(),
        Bind<CWmipBadgeMapper>(),
        Bind<CWmipBadgePropertiesMapper>(),
        Bind<CWmipBadgeStatusMapper>(),
        Bind<CWmipBadgeTWICPrivacyKey>(),
        Bind<CWmipBadgeTypeMapper>(),
        Bind<CWmipCameraGroupCameraLinkMapper>(),
        Bind<CWmipCameraGroupMapper>(),
        Bind<CWmipCameraMapper>(),
        Bind<CWmipCardholderMapper>(),
        Bind<CWmipDirectoryMapper>(),
        Bind<CWmipElevatorTerminal>(),
        Bind<CWmipEventAlarmLinkMapper>(),
        Bind<CWmipEventParameterMapper>(),
        Bind<CWmipEventSubtypeDefinitionMapper>(),
        BindOutsideChain<CWmipEventSubtypeParameterLinkMapper>(),
        Bind<CWmipEventTypeMapper>(),
        Bind<CWmipGuardTourMapper>(),
        Bind<CWmipHolidayMapper>(),
        Bind<CWmipHolidayTypeLinkMapper>(),
        Bind<CWmipHolidayTypeMapper>(),
        Bind<CWmipIncomingEventExMapper>(),
        Bind<CWmipIntrusionArea>(),
        Bind<CWmipIntrusionDoor>(),
        Bind<CWmipIntrusionOffBoardRelay>(),
        Bind<CWmipIntrusionOnBoardRelay>(),
        Bind<CWmipIntrusionZone>(),
        Bind<CWmipIntrusionZoneOutput>(),
        Bind<CWmipLoggedEventMapper>(),
        Bind<CWmipLogicalDeviceMapper>(),
        Bind<CWmipLogicalSourceMapper>(),
        Bind<CWmipLogicalSubDeviceMapper>(),
        Bind<CWmipLogicalUserAccountMapper>(),
        Bind<CWmipMultimediaObjectMapper>(),
        Bind<CWmipPanelMapper>(),
        Bind<CWmipPersonMapper>(),
        Bind<CWmipPersonSecondarySegmentsMapper>(),
        BindOutsideChain<CWmipPTZPresetMapper>(),
        Bind<CWmipPortavereMapper>(),
        Bind<CWmipReaderInput1Mapper>(),
        Bind<CWmipReaderInput2Mapper>(),
        Bind<CWmipReaderMapper>(),
        Bind<CWmipReaderRequestMapper>(),
        Bind<CWmipReaderOutput1Mapper>(),
        Bind<CWmipReaderOutput2Mapper>(),
        Bind<CWmipRequestableReaderMapper>(),
        Bind<CWmipSegmentGroupMapper>(),
        Bind<CWmipSegmentMapper>(),
        Bind<CWmipSegmentUnitMapper>(),
        Bind<CWmipTimezoneIntervalMapper>(),
        Bind<CWmipTimezoneMapper>(),
        BindOutsideChain<CWmipVideoLayoutMapper>(),
        BindOutsideChain<CWmipVideoLayoutSourceMapper>(),
        BindOutsideChain<CWmipVideoRecorderMapper>(),
        BindOutsideChain<CWmipVideoTemplateMapper>(),
        Bind<CWmipVisitEmailRecipientMapper>(),
        Bind<CWmipVisitEventMapper>(),
        Bind<CWmipVisitMapper>(),
        Bind<CWmipVisitSelfServiceStation>(),
        Bind<CWmipVisitSignInLocation>(),
        Bind<CWmipVisitorMapper>(),
        BindOutsideChain<CWmipWorkStationMapper>(),
        Bind<CWmipWorldTimezoneMapper>(),
    };
    return bindings;
}

// The mappers of the classes no declaration names (WMI keeps their definitions): only the name
// chain builds them.
const std::vector<MapperBinding>& UndeclaredMappers()
{
    static const std::vector<MapperBinding> bindings = {
        Bind<CWmipFluxmereManagerMapper>(),
        Bind<CWmipVexletManagerMapper>(),
    };
    return bindings;
}

}  // namespace

std::span<const MapperBinding> MapperBindings::GetBound()
{
    return BoundMappers();
}

std::span<const MapperBinding> MapperBindings::GetUndeclared()
{
    return UndeclaredMappers();
}

MapperFactory MapperBindings::FindFactoryServing(std::span<const MapperBinding> bindings, const wchar_t* wmiClass)
{
    if (wmiClass == nullptr)
    {
        return MapperFactory();
    }
    for (const MapperBinding& binding : bindings)
    {
        if (std::wstring_view(binding.wmiClass) == wmiClass)
        {
            return binding.factory;
        }
    }
    return MapperFactory();
}

void MapperBindings::InstallInRegistry()
{
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    registry->SetPermissionGroupRefresh(&CWmipUserMapper::RefreshAvailablePermissionGroups);
    registry->SetListMapperFactory(&CWmipListItemMapper::FactoryFor);
    registry->SetUndeclaredClassDefinitions(&CWmipManagerClassDefinitions::BuildForBus);
}
