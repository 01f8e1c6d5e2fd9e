// AccessRecordsTest: the base of the end-to-end tests of the access mappers. On the door's demo
// installation it adds, once per program, callers of its own (each linked to a Windows SID) and a
// segment whose unit has small per-badge limits; each test runs with the simulated configuration
// servers registered, so the notices the mappers send can be awaited and read.
#pragma once

#include "tests/e2e/DoorTest.h"
#include "tests/support/SimulatedInstallation.h"

#include <optional>
#include <string>
#include <vector>

namespace access_test {
struct AccessCallers
{
    // Every access level, assignment and user right; manages no level.
    static constexpr wchar_t kLevelClerk[] = L"S-1-5-21-1004336348-1177238915-682003330-3101";
    // May use the provider and view levels; nothing else, manages no level.
    static constexpr wchar_t kLevelViewer[] = L"S-1-5-21-1004336348-1177238915-682003330-3102";
    // May view levels and assignments but holds no right to assign: assigns only the levels it
    // manages (USERS_ACCESSLEVEL_LINK), and only those it manages with more than view rights.
    static constexpr wchar_t kLevelManager[] = L"S-1-5-21-1004336348-1177238915-682003330-3103";
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

    static void ExecSql(const std::string& sql);
    static std::string Scalar(const std::string& sql);
    // The notices the communication server has received so far, waiting until there are at
    // least count of them (fails the test when they do not come).
    std::vector<Notice> CommNotices(std::size_t count);
    // An access level of the segment (written straight to the database); answers its id.
    long NewLevel(const std::string& name, long segment);
    // An active (or not) badge of person 1 with the id; answers its key.
    long NewBadge(long long badgeId, bool active = true);

    std::optional<support::SimulatedInstallation> m_servers{std::in_place, std::vector<std::wstring>{L"localhost"}};
};
}  // namespace access_test
