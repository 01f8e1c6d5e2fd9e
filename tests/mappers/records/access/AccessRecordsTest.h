// AccessRecordsTest: the base of the end-to-end tests of the access mappers. On the door's demo
// installation it adds, once per program, callers of its own and a segment whose unit has small per-badge limits; each
// test runs with the simulated configuration servers registered, so the notices the mappers send can be awaited and
// read.
#pragma once

#include "simulation/SimulatedInstallation.h"
#include "tests/e2e/DoorTest.h"
#include "tests/support/TestCallers.h"

#include <optional>
#include <string>
#include <vector>

namespace access_test {
// The callers of these tests, of support::TestCallers.
struct AccessCallers
{
    static constexpr const wchar_t* kLevelClerk = support::callers::kLevelClerk;
    static constexpr const wchar_t* kLevelViewer = support::callers::kLevelViewer;
    static constexpr const wchar_t* kLevelManager = support::callers::kLevelManager;
    static constexpr const wchar_t* kHeadquartersChief = support::callers::kHeadquartersChief;
    static constexpr const wchar_t* kUserManager = support::callers::kUserManager;
};

// One configuration message as the communication server received it.
struct Notice
{
    LONG code = 0;
    LONG action = 0;
    LONG level = 0;
    LONG value = 0;
    LONG badgeKey = 0;
    LONGLONG badgeId = 0;
};

class AccessRecordsTest : public e2e::DoorTest
{
public:
    static void SetUpTestSuite();

protected:
    void SetUp() override;
    // Removes the access requests the test wrote: the request views list every one.
    void TearDown() override;

    static void ExecSql(const std::string& sql);
    static std::string Scalar(const std::string& sql);
    // The notices the communication server has received so far, waiting until there are at
    // least count of them (fails the test when they do not come).
    std::vector<Notice> CommNotices(std::size_t count);
    // An access level of the segment (written straight to the database); answers its id.
    long NewLevel(const std::string& name, long segment);
    // An active (or not) badge of person 1 with the id; answers its key.
    long NewBadge(long long badgeId, bool active = true);

    // The highest access request id before the test.
    std::string m_lastRequest;
    std::optional<support::SimulatedInstallation> m_servers{std::in_place, std::vector<std::wstring>{L"localhost"}};
};
}  // namespace access_test
