#include "schema/MapperBindings.h"

#include <array>
#include <string_view>
#include <vector>

#include "framework/associations/CWmipAssocAccessLevelGroupAssignmentMapper.h"
#include "framework/associations/CWmipAssocCardholderBadgeMapper.h"
#include "framework/associations/CWmipAssocCardholderMultimediaObjectMapper.h"
#include "framework/associations/CWmipAssocReaderEntersAreaMapper.h"
#include "framework/associations/CWmipAssocReaderExitsAreaMapper.h"
#include "framework/associations/CWmipAssocVisitorBadgeMapper.h"
#include "framework/associations/CWmipAssocVisitorMultimediaObjectMapper.h"
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

// Every bound mapper joins GetMapper's name chain unless it is reached only through its
// registered factory.
template <typename Mapper>
MapperBinding Bind(const wchar_t* mapperClass)
{
    return MapperBinding{mapperClass, Mapper::GetWMIClassName(), &Mapper::CreateMapper, true};
}

template <typename Mapper>
MapperBinding BindOutsideChain(const wchar_t* mapperClass)
{
    return MapperBinding{mapperClass, Mapper::GetWMIClassName(), &Mapper::CreateMapper, false};
}

// The mapper factories that exist, by mapper class text.
const std::vector<MapperBinding>& BoundMappers()
{
    static const std::vector<MapperBinding> bindings = {
        Bind<CWmipAccountMapper>(L"CWmipAccountMapper"),
        Bind<CWmipAccessGroupMapper>(L"CWmipAccessGroupMapper"),
        Bind<CWmipAccessLevelAssignmentMapper>(L"CWmipAccessLevelAssignmentMapper"),
        Bind<CWmipAccessLevelManagedMapper>(L"CWmipAccessLevelManagedMapper"),
        Bind<CWmipAccessLevelMapper>(L"CWmipAccessLevelMapper"),
        Bind<CWmipAccessLevelReaderAssignmentMapper>(L"CWmipAccessLevelReaderAssignmentMapper"),
        Bind<CWmipAccessLevelRequestMapper>(L"CWmipAccessLevelRequestMapper"),
        Bind<CWmipAccessLevelUserMapper>(L"CWmipAccessLevelUserMapper"),
        Bind<CWmipAlarmDefinitionMapper>(L"CWmipAlarmDefinitionMapper"),
        Bind<CWmipAlarmInputMapper>(L"CWmipAlarmInputMapper"),
        Bind<CWmipAlarmOutputMapper>(L"CWmipAlarmOutputMapper"),
        Bind<CWmipAlarmPanelMapper>(L"CWmipAlarmPanelMapper"),
        Bind<CWmipAreaMapper>(L"CWmipAreaMapper"),
        Bind<WmipMonitoringZoneCameraLinkMapper>(L"WmipMonitoringZoneCameraLinkMapper"),
        Bind<WmipMonitoringZoneDeviceLinkMapper>(L"WmipMonitoringZoneDeviceLinkMapper"),
        Bind<CWmipMonitoringZoneMapper>(L"CWmipMonitoringZoneMapper"),
        Bind<WmipMonitoringZoneRecorderLinkMapper>(L"WmipMonitoringZoneRecorderLinkMapper"),
        Bind<CWmipPermissionDeviceGroupLinkMapper>(L"CWmipPermissionDeviceGroupLinkMapper"),
        Bind<CWmipPrecisionAccessGroupAssignmentMapper>(L"CWmipPrecisionAccessGroupAssignmentMapper"),
        Bind<CWmipPrecisionAccessGroupMapper>(L"CWmipPrecisionAccessGroupMapper"),
        Bind<CWmipUserAccountMapper>(L"CWmipUserAccountMapper"),
        Bind<CWmipUserFieldPermissionGroupMapper>(L"CWmipUserFieldPermissionGroupMapper"),
        Bind<CWmipUserMapper>(L"CWmipUserMapper"),
        Bind<CWmipUserPermissionGroupMapper>(L"CWmipUserPermissionGroupMapper"),
        Bind<CWmipUserReportPermissionGroupMapper>(L"CWmipUserReportPermissionGroupMapper"),
        Bind<CWmipUserSecondarySegmentMapper>(L"CWmipUserSecondarySegmentMapper"),
        Bind<CWmipAssocAccessLevelGroupAssignmentMapper>(L"CWmipAssocAccessLevelGroupAssignmentMapper"),
        Bind<CWmipAssocCardholderAccountMapper>(L"CWmipAssocCardholderAccountMapper"),
        Bind<CWmipAssocCardholderBadgeMapper>(L"CWmipAssocCardholderBadgeMapper"),
        Bind<CWmipAssocCardholderMultimediaObjectMapper>(L"CWmipAssocCardholderMultimediaObjectMapper"),
        Bind<CWmipAssocDirectoryAccountMapper>(L"CWmipAssocDirectoryAccountMapper"),
        Bind<CWmipAssocPersonAccountMapper>(L"CWmipAssocPersonAccountMapper"),
        Bind<CWmipAssocReaderEntersAreaMapper>(L"CWmipAssocReaderEntersAreaMapper"),
        Bind<CWmipAssocReaderExitsAreaMapper>(L"CWmipAssocReaderExitsAreaMapper"),
        Bind<CWmipAssocSegmentGroupMemberMapper>(L"CWmipAssocSegmentGroupMemberMapper"),
        Bind<CWmipAssocVisitorAccountMapper>(L"CWmipAssocVisitorAccountMapper"),
        Bind<CWmipAssocVisitorBadgeMapper>(L"CWmipAssocVisitorBadgeMapper"),
        Bind<CWmipAssocVisitorMultimediaObjectMapper>(L"CWmipAssocVisitorMultimediaObjectMapper"),
        Bind<CWmipAuthenticationModeMapper>(L"CWmipAuthenticationModeMapper"),
        Bind<CWmipBadgeFIPS201>(L"CWmipBadgeFIPS201"),
        Bind<CWmipBadgeLastLocationMapper>(L"CWmipBadgeLastLocationMapper"),
        Bind<CWmipBadgeMapper>(L"CWmipBadgeMapper"),
        Bind<CWmipBadgePropertiesMapper>(L"CWmipBadgePropertiesMapper"),
        Bind<CWmipBadgeStatusMapper>(L"CWmipBadgeStatusMapper"),
        Bind<CWmipBadgeTWICPrivacyKey>(L"CWmipBadgeTWICPrivacyKey"),
        Bind<CWmipBadgeTypeMapper>(L"CWmipBadgeTypeMapper"),
        Bind<CWmipCameraGroupCameraLinkMapper>(L"CWmipCameraGroupCameraLinkMapper"),
        Bind<CWmipCameraGroupMapper>(L"CWmipCameraGroupMapper"),
        Bind<CWmipCameraMapper>(L"CWmipCameraMapper"),
        Bind<CWmipCardholderMapper>(L"CWmipCardholderMapper"),
        Bind<CWmipDirectoryMapper>(L"CWmipDirectoryMapper"),
        Bind<CWmipElevatorTerminal>(L"CWmipElevatorTerminal"),
        Bind<CWmipEventAlarmLinkMapper>(L"CWmipEventAlarmLinkMapper"),
        Bind<CWmipEventParameterMapper>(L"CWmipEventParameterMapper"),
        Bind<CWmipEventSubtypeDefinitionMapper>(L"CWmipEventSubtypeDefinitionMapper"),
        BindOutsideChain<CWmipEventSubtypeParameterLinkMapper>(L"CWmipEventSubtypeParameterLinkMapper"),
        Bind<CWmipEventTypeMapper>(L"CWmipEventTypeMapper"),
        Bind<CWmipGuardTourMapper>(L"CWmipGuardTourMapper"),
        Bind<CWmipHolidayMapper>(L"CWmipHolidayMapper"),
        Bind<CWmipHolidayTypeLinkMapper>(L"CWmipHolidayTypeLinkMapper"),
        Bind<CWmipHolidayTypeMapper>(L"CWmipHolidayTypeMapper"),
        Bind<CWmipIncomingEventExMapper>(L"CWmipIncomingEventExMapper"),
        Bind<CWmipIntrusionArea>(L"CWmipIntrusionArea"),
        Bind<CWmipIntrusionDoor>(L"CWmipIntrusionDoor"),
        Bind<CWmipIntrusionOffBoardRelay>(L"CWmipIntrusionOffBoardRelay"),
        Bind<CWmipIntrusionOnBoardRelay>(L"CWmipIntrusionOnBoardRelay"),
        Bind<CWmipIntrusionZone>(L"CWmipIntrusionZone"),
        Bind<CWmipIntrusionZoneOutput>(L"CWmipIntrusionZoneOutput"),
        Bind<CWmipLoggedEventMapper>(L"CWmipLoggedEventMapper"),
        Bind<CWmipLogicalDeviceMapper>(L"CWmipLogicalDeviceMapper"),
        Bind<CWmipLogicalSourceMapper>(L"CWmipLogicalSourceMapper"),
        Bind<CWmipLogicalSubDeviceMapper>(L"CWmipLogicalSubDeviceMapper"),
        Bind<CWmipLogicalUserAccountMapper>(L"CWmipLogicalUserAccountMapper"),
        Bind<CWmipMultimediaObjectMapper>(L"CWmipMultimediaObjectMapper"),
        Bind<CWmipPanelMapper>(L"CWmipPanelMapper"),
        Bind<CWmipPersonMapper>(L"CWmipPersonMapper"),
        Bind<CWmipPersonSecondarySegmentsMapper>(L"CWmipPersonSecondarySegmentsMapper"),
        BindOutsideChain<CWmipPTZPresetMapper>(L"CWmipPTZPresetMapper"),
        Bind<CWmipPortavereMapper>(L"CWmipPortavereMapper"),
        Bind<CWmipReaderInput1Mapper>(L"CWmipReaderInput1Mapper"),
        Bind<CWmipReaderInput2Mapper>(L"CWmipReaderInput2Mapper"),
        Bind<CWmipReaderMapper>(L"CWmipReaderMapper"),
        Bind<CWmipReaderRequestMapper>(L"CWmipReaderRequestMapper"),
        Bind<CWmipReaderOutput1Mapper>(L"CWmipReaderOutput1Mapper"),
        Bind<CWmipReaderOutput2Mapper>(L"CWmipReaderOutput2Mapper"),
        Bind<CWmipRequestableReaderMapper>(L"CWmipRequestableReaderMapper"),
        Bind<CWmipSegmentGroupMapper>(L"CWmipSegmentGroupMapper"),
        Bind<CWmipSegmentMapper>(L"CWmipSegmentMapper"),
        Bind<CWmipSegmentUnitMapper>(L"CWmipSegmentUnitMapper"),
        Bind<CWmipTimezoneIntervalMapper>(L"CWmipTimezoneIntervalMapper"),
        Bind<CWmipTimezoneMapper>(L"CWmipTimezoneMapper"),
        BindOutsideChain<CWmipVideoLayoutMapper>(L"CWmipVideoLayoutMapper"),
        BindOutsideChain<CWmipVideoLayoutSourceMapper>(L"CWmipVideoLayoutSourceMapper"),
        BindOutsideChain<CWmipVideoRecorderMapper>(L"CWmipVideoRecorderMapper"),
        BindOutsideChain<CWmipVideoTemplateMapper>(L"CWmipVideoTemplateMapper"),
        Bind<CWmipVisitEmailRecipientMapper>(L"CWmipVisitEmailRecipientMapper"),
        Bind<CWmipVisitEventMapper>(L"CWmipVisitEventMapper"),
        Bind<CWmipVisitMapper>(L"CWmipVisitMapper"),
        Bind<CWmipVisitSelfServiceStation>(L"CWmipVisitSelfServiceStation"),
        Bind<CWmipVisitSignInLocation>(L"CWmipVisitSignInLocation"),
        Bind<CWmipVisitorMapper>(L"CWmipVisitorMapper"),
        BindOutsideChain<CWmipWorkStationMapper>(L"CWmipWorkStationMapper"),
        Bind<CWmipWorldTimezoneMapper>(L"CWmipWorldTimezoneMapper"),
    };
    return bindings;
}

// The mappers of the classes no declaration names (WMI keeps their definitions): only the name
// chain builds them.
const std::vector<MapperBinding>& UndeclaredMappers()
{
    static const std::vector<MapperBinding> bindings = {
        Bind<CWmipFluxmereManagerMapper>(L"CWmipFluxmereManagerMapper"),
        Bind<CWmipVexletManagerMapper>(L"CWmipVexletManagerMapper"),
    };
    return bindings;
}

// Every mapper class that the declarations name and no factory serves yet.
constexpr std::array<const wchar_t*, 0> kUnboundMappers{};

const MapperBinding* FindBinding(const wchar_t* mapperClass)
{
    if (mapperClass == nullptr)
    {
        return nullptr;
    }
    for (const MapperBinding& binding : BoundMappers())
    {
        if (std::wstring_view(binding.mapperClass) == mapperClass)
        {
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

MapperFactory MapperBindings::FindFactoryServing(const wchar_t* wmiClass, const wchar_t* mapperClass)
{
    const MapperBinding* binding = FindBinding(mapperClass);
    if (binding == nullptr || wmiClass == nullptr || std::wstring_view(binding->wmiClass) != wmiClass)
    {
        return MapperFactory();
    }
    return binding->factory;
}

bool MapperBindings::IsBound(const wchar_t* mapperClass)
{
    return FindBinding(mapperClass) != nullptr;
}

std::span<const wchar_t* const> MapperBindings::GetBoundMapperNames()
{
    static const std::vector<const wchar_t*> names = [] {
        std::vector<const wchar_t*> result;
        for (const MapperBinding& binding : BoundMappers())
        {
            result.push_back(binding.mapperClass);
        }
        return result;
    }();
    return names;
}

void MapperBindings::AddBoundMappersToChain()
{
    CWmipMapperRegistry::Instance()->SetPermissionGroupRefresh(&CWmipUserMapper::RefreshAvailablePermissionGroups);
    for (const MapperBinding& binding : BoundMappers())
    {
        // A class the registry refused (an id it does not declare) is served by no mapper.
        if (binding.inNameChain && !CWmipMapperRegistry::Instance()->IsClassRefused(binding.wmiClass))
        {
            CWmipMapperRegistry::AddToMapperChain(binding.wmiClass, binding.factory);
        }
    }
    for (const MapperBinding& binding : UndeclaredMappers())
    {
        CWmipMapperRegistry::AddToMapperChain(binding.wmiClass, binding.factory);
    }
}

std::span<const wchar_t* const> MapperBindings::GetUnboundMapperNames()
{
    return kUnboundMappers;
}
