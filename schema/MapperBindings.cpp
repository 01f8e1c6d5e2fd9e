#include "schema/MapperBindings.h"

#include <string_view>
#include <vector>

#include "framework/CWmipAssocCardholderMultimediaObjectMapper.h"
#include "framework/CWmipAssocVisitorMultimediaObjectMapper.h"
#include "mappers/devices/CWmipPanelMapper.h"
#include "mappers/devices/CWmipReaderInput1Mapper.h"
#include "mappers/devices/CWmipReaderInput2Mapper.h"
#include "mappers/devices/CWmipReaderOutput1Mapper.h"
#include "mappers/devices/CWmipReaderOutput2Mapper.h"
#include "mappers/records/CWmipAccountMapper.h"
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
#include "provider/CWmipEventAlarmLinkMapper.h"
#include "provider/CWmipEventParameterMapper.h"
#include "provider/CWmipEventSubtypeDefinitionMapper.h"
#include "provider/CWmipEventSubtypeParameterLinkMapper.h"
#include "provider/CWmipEventTypeMapper.h"

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
        Bind<CWmipAssocCardholderAccountMapper>(L"CWmipAssocCardholderAccountMapper"),
        Bind<CWmipAssocCardholderMultimediaObjectMapper>(L"CWmipAssocCardholderMultimediaObjectMapper"),
        Bind<CWmipAssocDirectoryAccountMapper>(L"CWmipAssocDirectoryAccountMapper"),
        Bind<CWmipAssocPersonAccountMapper>(L"CWmipAssocPersonAccountMapper"),
        Bind<CWmipAssocSegmentGroupMemberMapper>(L"CWmipAssocSegmentGroupMemberMapper"),
        Bind<CWmipAssocVisitorAccountMapper>(L"CWmipAssocVisitorAccountMapper"),
        Bind<CWmipAssocVisitorMultimediaObjectMapper>(L"CWmipAssocVisitorMultimediaObjectMapper"),
        Bind<CWmipBadgeFIPS201>(L"CWmipBadgeFIPS201"),
        Bind<CWmipBadgeLastLocationMapper>(L"CWmipBadgeLastLocationMapper"),
        Bind<CWmipBadgeMapper>(L"CWmipBadgeMapper"),
        Bind<CWmipBadgePropertiesMapper>(L"CWmipBadgePropertiesMapper"),
        Bind<CWmipBadgeStatusMapper>(L"CWmipBadgeStatusMapper"),
        Bind<CWmipBadgeTWICPrivacyKey>(L"CWmipBadgeTWICPrivacyKey"),
        Bind<CWmipBadgeTypeMapper>(L"CWmipBadgeTypeMapper"),
        Bind<CWmipCardholderMapper>(L"CWmipCardholderMapper"),
        Bind<CWmipDirectoryMapper>(L"CWmipDirectoryMapper"),
        Bind<CWmipEventAlarmLinkMapper>(L"CWmipEventAlarmLinkMapper"),
        Bind<CWmipEventParameterMapper>(L"CWmipEventParameterMapper"),
        Bind<CWmipEventSubtypeDefinitionMapper>(L"CWmipEventSubtypeDefinitionMapper"),
        BindOutsideChain<CWmipEventSubtypeParameterLinkMapper>(L"CWmipEventSubtypeParameterLinkMapper"),
        Bind<CWmipEventTypeMapper>(L"CWmipEventTypeMapper"),
        Bind<CWmipGuardTourMapper>(L"CWmipGuardTourMapper"),
        Bind<CWmipHolidayMapper>(L"CWmipHolidayMapper"),
        Bind<CWmipHolidayTypeLinkMapper>(L"CWmipHolidayTypeLinkMapper"),
        Bind<CWmipHolidayTypeMapper>(L"CWmipHolidayTypeMapper"),
        Bind<CWmipMultimediaObjectMapper>(L"CWmipMultimediaObjectMapper"),
        Bind<CWmipPanelMapper>(L"CWmipPanelMapper"),
        Bind<CWmipPersonMapper>(L"CWmipPersonMapper"),
        Bind<CWmipPersonSecondarySegmentsMapper>(L"CWmipPersonSecondarySegmentsMapper"),
        Bind<CWmipPortavereMapper>(L"CWmipPortavereMapper"),
        Bind<CWmipReaderInput1Mapper>(L"CWmipReaderInput1Mapper"),
        Bind<CWmipReaderInput2Mapper>(L"CWmipReaderInput2Mapper"),
        Bind<CWmipReaderOutput1Mapper>(L"CWmipReaderOutput1Mapper"),
        Bind<CWmipReaderOutput2Mapper>(L"CWmipReaderOutput2Mapper"),
        Bind<CWmipSegmentGroupMapper>(L"CWmipSegmentGroupMapper"),
        Bind<CWmipSegmentMapper>(L"CWmipSegmentMapper"),
        Bind<CWmipSegmentUnitMapper>(L"CWmipSegmentUnitMapper"),
        Bind<CWmipTimezoneIntervalMapper>(L"CWmipTimezoneIntervalMapper"),
        Bind<CWmipTimezoneMapper>(L"CWmipTimezoneMapper"),
        Bind<CWmipVisitEmailRecipientMapper>(L"CWmipVisitEmailRecipientMapper"),
        Bind<CWmipVisitEventMapper>(L"CWmipVisitEventMapper"),
        Bind<CWmipVisitMapper>(L"CWmipVisitMapper"),
        Bind<CWmipVisitSelfServiceStation>(L"CWmipVisitSelfServiceStation"),
        Bind<CWmipVisitSignInLocation>(L"CWmipVisitSignInLocation"),
        Bind<CWmipVisitorMapper>(L"CWmipVisitorMapper"),
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
constexpr const wchar_t* kUnboundMappers[] = {
    L"CWmipAlarmInputMapper",
    L"CWmipAlarmOutputMapper",
    L"CWmipCameraMapper",
    L"CWmipElevatorTerminal",
    L"CWmipIntrusionArea",
    L"CWmipIntrusionDoor",
    L"CWmipIntrusionOffBoardRelay",
    L"CWmipIntrusionOnBoardRelay",
    L"CWmipIntrusionZone",
    L"CWmipIntrusionZoneOutput",
    L"CWmipPTZPresetMapper",
    L"CWmipVideoLayoutMapper",
    L"CWmipVideoLayoutSourceMapper",
    L"CWmipVideoTemplateMapper",
    L"CWmipWorkStationMapper",
    L"CWmipAccessGroupMapper",
    L"CWmipAccessLevelAssignmentMapper",
    L"CWmipAccessLevelManagedMapper",
    L"CWmipAccessLevelMapper",
    L"CWmipAccessLevelReaderAssignmentMapper",
    L"CWmipAccessLevelRequestMapper",
    L"CWmipAccessLevelUserMapper",
    L"CWmipAlarmDefinitionMapper",
    L"CWmipAlarmPanelMapper",
    L"CWmipAreaMapper",
    L"CWmipAssocAccessLevelGroupAssignmentMapper",
    L"CWmipAssocCardholderBadgeMapper",
    L"CWmipAssocVisitorBadgeMapper",
    L"CWmipAssocReaderEntersAreaMapper",
    L"CWmipAssocReaderExitsAreaMapper",
    L"CWmipAuthenticationModeMapper",
    L"CWmipCameraGroupCameraLinkMapper",
    L"CWmipCameraGroupMapper",
    L"CWmipIncomingEventExMapper",
    L"CWmipLoggedEventMapper",
    L"CWmipLogicalDeviceMapper",
    L"CWmipLogicalSourceMapper",
    L"CWmipLogicalSubDeviceMapper",
    L"CWmipLogicalUserAccountMapper",
    L"WmipMonitoringZoneCameraLinkMapper",
    L"WmipMonitoringZoneDeviceLinkMapper",
    L"CWmipMonitoringZoneMapper",
    L"WmipMonitoringZoneRecorderLinkMapper",
    L"CWmipPermissionDeviceGroupLinkMapper",
    L"CWmipPrecisionAccessGroupAssignmentMapper",
    L"CWmipPrecisionAccessGroupMapper",
    L"CWmipReaderMapper",
    L"CWmipRequestableReaderMapper",
    L"CWmipReaderRequestMapper",
    L"CWmipUserAccountMapper",
    L"CWmipUserFieldPermissionGroupMapper",
    L"CWmipUserMapper",
    L"CWmipUserPermissionGroupMapper",
    L"CWmipUserReportPermissionGroupMapper",
    L"CWmipUserSecondarySegmentMapper",
    L"CWmipVideoRecorderMapper",
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

void MapperBindings::AddBoundMappersToChain()
{
    for (const MapperBinding& binding : BoundMappers()) {
        if (binding.inNameChain) {
            CWmipMapperRegistry::AddToMapperChain(binding.wmiClass, binding.factory);
        }
    }
    for (const MapperBinding& binding : UndeclaredMappers()) {
        CWmipMapperRegistry::AddToMapperChain(binding.wmiClass, binding.factory);
    }
}

std::span<const wchar_t* const> MapperBindings::GetUnboundMapperNames()
{
    return kUnboundMappers;
}
