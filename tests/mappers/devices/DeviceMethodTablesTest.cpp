// The device mappers' method tables: Dispatch takes the first row whose name matches without
// regard to case and checks that row's permission, so every row must be reachable, guarded by
// a permission the check knows, and audited under a real operation and object kind.
#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "mappers/devices/CWmipAlarmInputMapper.h"
#include "mappers/devices/CWmipAlarmOutputMapper.h"
#include "mappers/devices/CWmipAlarmPanelMapper.h"
#include "mappers/devices/CWmipCameraMapper.h"
#include "mappers/devices/CWmipElevatorTerminal.h"
#include "mappers/devices/CWmipIntrusionArea.h"
#include "mappers/devices/CWmipIntrusionDoor.h"
#include "mappers/devices/CWmipIntrusionOffBoardRelay.h"
#include "mappers/devices/CWmipIntrusionOnBoardRelay.h"
#include "mappers/devices/CWmipIntrusionZone.h"
#include "mappers/devices/CWmipIntrusionZoneOutput.h"
#include "mappers/devices/CWmipPanelMapper.h"
#include "mappers/devices/CWmipReaderInput1Mapper.h"
#include "mappers/devices/CWmipReaderMapper.h"
#include "mappers/devices/CWmipReaderOutput1Mapper.h"
#include "mappers/devices/CWmipVideoRecorderMapper.h"

namespace {

struct TableProblem
{
    std::wstring table;
    std::wstring what;
};

template <class Owner>
void CheckTable(const wchar_t* table, std::span<const MapperMethodEntry<Owner>> rows,
                std::vector<TableProblem>& problems)
{
    if (rows.empty())
        problems.push_back({table, L"has no rows"});
    for (std::size_t i = 0; i < rows.size(); ++i)
    {
        const MapperMethodEntry<Owner>& row = rows[i];
        const std::wstring name = row.name != nullptr ? row.name : L"(null)";
        if (row.name == nullptr || row.handler == nullptr)
            problems.push_back({table, name + L" has no name or no step"});
        // Permission 0 answers "not supported" for everyone; the skip id is never checked.
        if (row.permission == 0 || row.permission == CWmipClassMapper::kNoPermissionCheck)
            problems.push_back({table, name + L" is not guarded by a permission"});
        if (row.audit.operation <= 0 || row.audit.objectKind <= 0)
            problems.push_back({table, name + L" has no audit operation or object kind"});
        for (std::size_t j = 0; j < i; ++j)
        {
            if (row.name != nullptr && rows[j].name != nullptr && CString(rows[j].name).CompareNoCase(row.name) == 0)
                problems.push_back({table, name + L" is shadowed by an earlier row"});
        }
    }
}

TEST(DeviceMethodTables, EveryRowIsReachableGuardedAndAudited)
{
    std::vector<TableProblem> problems;
    CheckTable(L"Bnt_AlarmInput", CWmipAlarmInputMapper::kMethods, problems);
    CheckTable(L"Bnt_AlarmOutput", CWmipAlarmOutputMapper::kMethods, problems);
    CheckTable(L"Bnt_AlarmPanel", CWmipAlarmPanelMapper::kMethods, problems);
    CheckTable(L"Bnt_Camera", CWmipCameraMapper::kMethods, problems);
    CheckTable(L"Bnt_ElevatorTerminal", CWmipElevatorTerminal::kMethods, problems);
    CheckTable(L"Bnt_IntrusionArea", CWmipIntrusionArea::kMethods, problems);
    CheckTable(L"Bnt_IntrusionDoor", CWmipIntrusionDoor::kMethods, problems);
    CheckTable(L"Bnt_OffBoardRelay", CWmipIntrusionOffBoardRelay::kMethods, problems);
    CheckTable(L"Bnt_OnBoardRelay", CWmipIntrusionOnBoardRelay::kMethods, problems);
    CheckTable(L"Bnt_IntrusionZone", CWmipIntrusionZone::kMethods, problems);
    CheckTable(L"Bnt_IntrusionZoneOutput", CWmipIntrusionZoneOutput::kMethods, problems);
    CheckTable(L"Bnt_Panel", CWmipPanelMapper::kMethods, problems);
    CheckTable(L"Bnt_Reader", CWmipReaderMapper::kMethods, problems);
    CheckTable(L"reader inputs", CWmipReaderInput1Mapper::kMethods, problems);
    CheckTable(L"reader outputs", CWmipReaderOutput1Mapper::kMethods, problems);
    CheckTable(L"Bnt_VideoRecorder", CWmipVideoRecorderMapper::kMethods, problems);
    for (const TableProblem& problem : problems)
        ADD_FAILURE() << std::string(problem.table.begin(), problem.table.end()) << ": "
                      << std::string(problem.what.begin(), problem.what.end());
}

TEST(DeviceMethodTables, EveryHardwareStatusNeedsTheDeviceControlRightExceptTheCameras)
{
    // Viewing cameras is what reading their status needs; every other device's status is
    // guarded by the device control right.
    const auto statusPermission = [](auto rows) {
        for (const auto& row : rows)
        {
            if (CString(row.name).CompareNoCase(L"GetHardwareStatus") == 0)
                return row.permission;
        }
        return DWORD{0};
    };
    EXPECT_EQ(statusPermission(CWmipCameraMapper::kMethods), 0x1000006Du);
    for (const DWORD permission :
         {statusPermission(CWmipAlarmInputMapper::kMethods), statusPermission(CWmipAlarmOutputMapper::kMethods),
          statusPermission(CWmipAlarmPanelMapper::kMethods), statusPermission(CWmipElevatorTerminal::kMethods),
          statusPermission(CWmipIntrusionArea::kMethods), statusPermission(CWmipIntrusionDoor::kMethods),
          statusPermission(CWmipIntrusionOffBoardRelay::kMethods), statusPermission(CWmipIntrusionZone::kMethods),
          statusPermission(CWmipReaderMapper::kMethods), statusPermission(CWmipReaderInput1Mapper::kMethods),
          statusPermission(CWmipReaderOutput1Mapper::kMethods)})
        EXPECT_EQ(permission, 0x30000011u);
    EXPECT_EQ(statusPermission(CWmipPanelMapper::kMethods), 0x30000012u);
}

}  // namespace
