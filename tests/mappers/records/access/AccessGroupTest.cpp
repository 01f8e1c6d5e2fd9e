// Access groups: AssignGroup gives a badge the group's levels that fit the per-badge limits of
// their segments, counting only the levels it keeps.
#include "tests/mappers/records/access/AccessRecordsTest.h"

#include "framework/CWmipClassMapper.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipObjectPath.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "provider/CWmipApp.h"

#include <memory>
#include <string>

using namespace e2e;

namespace {
class AccessGroups : public access_test::AccessRecordsTest
{
protected:
    // Runs AssignGroup on the group for the badge through the mapper, as the bus front end calls
    // it (any case of the name); the HRESULT, thrown or returned, and the text of a thrown one in
    // `thrown` when given.
    HRESULT AssignGroup(long group, long badge, const wchar_t* method = L"AssignGroup", CString* thrown = nullptr)
    {
        DBConnectionManager* manager = CWmipApp::GetConnectionManager();
        CAcsUser* connection = manager->Connection(0);
        EXPECT_NE(connection, nullptr);
        HRESULT result = E_FAIL;
        {
            const std::unique_ptr<CWmipClassMapper> mapper(
                CWmipMapperRegistry::GetMapper(connection, nullptr, Services(), L"Bnt_AccessGroup", Door::kWmi));
            const std::unique_ptr<CWmipObjectPath> path(
                CWmipObjectPath::CreateFromPath((L"Bnt_AccessGroup.ID=" + std::to_wstring(group)).c_str()));
            // Any object with a BadgeKey property carries the input.
            ComPtr<IWbemClassObject> input =
                NewInstance(L"Bnt_AccessLevelAssignment", {{L"BadgeKey", _variant_t(static_cast<LONG>(badge))}});
            try
            {
                result = mapper->ExecuteMethod(path.get(), method, 0, nullptr, input.Get(), nullptr);
            }
            catch (const brontel::utility::CWMIException& e)
            {
                result = e.GetHResult();
                if (thrown != nullptr)
                    *thrown = e.GetText();
            }
        }
        manager->ReleaseConnection(connection);
        return result;
    }
    // A group of the levels, each temporary or standard; answers its id.
    static long NewGroup(const std::vector<std::pair<long, bool>>& levels)
    {
        const long id = std::stol(Scalar("SELECT COALESCE(MAX(ACCESSGPID), 0) + 1 FROM ACCESSGRP"));
        ExecSql("INSERT INTO ACCESSGRP (ACCESSGPID, DESCRIPT, SEGMENTID) VALUES (" + std::to_string(id) + ", 'Group " +
                std::to_string(id) + "', 3);");
        for (const auto& [level, temporary] : levels)
            ExecSql("INSERT INTO ACCGPLINK (ACCESSGPID, ACCESSLVID, DEACTIVATE) VALUES (" + std::to_string(id) + ", " +
                    std::to_string(level) + ", " + (temporary ? "'2030-01-01 00:00:00'" : "NULL") + ");");
        return id;
    }
    static std::string Held(long badge)
    {
        return Scalar("SELECT COALESCE(GROUP_CONCAT(ACCLVLID, ','), '') FROM (SELECT ACCLVLID FROM BADGELINK "
                      "WHERE BADGEKEY = " +
                      std::to_string(badge) + " ORDER BY ACCLVLID)");
    }
};
}  // namespace

TEST_F(AccessGroups, OnlyKeptLevelsUseUpTheBadgesLimits)
{
    // Segment 3: at most 3 levels per badge, 1 standard, 2 temporary. The badge holds one
    // standard level; the group is standard A, temporary B, temporary C.
    const long held = NewLevel("Quota held", 3);
    const long a = NewLevel("Quota A", 3);
    const long b = NewLevel("Quota B", 3);
    const long c = NewLevel("Quota C", 3);
    const long badge = NewBadge(730001);
    ExecSql("INSERT INTO BADGELINK (BADGEKEY, ACCLVLID) VALUES (" + std::to_string(badge) + ", " +
            std::to_string(held) + ");");
    const long group = NewGroup({{a, false}, {b, true}, {c, true}});

    EXPECT_EQ(AssignGroup(group, badge), S_OK);
    EXPECT_EQ(Held(badge), std::to_string(held) + "," + std::to_string(b) + "," + std::to_string(c))
        << "A is over the standard limit; B and C both fit";
    const std::vector<access_test::Notice> notices = CommNotices(1);
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices.back().badgeId, 730001);
}

TEST_F(AccessGroups, AGroupThatAddsNothingToAnEmptyBadgeWritesNothing)
{
    const long a = NewLevel("Quota only standard 1", 3);
    const long b = NewLevel("Quota only standard 2", 3);
    const long badge = NewBadge(740001);
    const long group = NewGroup({{a, false}, {b, false}});
    EXPECT_EQ(AssignGroup(group, badge, L"assigngroup"), S_OK) << "one standard level fits";
    EXPECT_EQ(Held(badge), std::to_string(a));

    const long full = NewGroup({{NewLevel("Closed 1", 5), false}, {NewLevel("Closed 2", 5), true}});
    const long empty = NewBadge(740002);
    EXPECT_EQ(AssignGroup(full, empty), WBEM_E_FAILED);
    EXPECT_EQ(Held(empty), "");
    EXPECT_EQ(AssignGroup(full, NewBadge(740003, false)), WBEM_E_FAILED) << "an inactive badge";
    EXPECT_EQ(AssignGroup(full, empty, L"Assign"), WBEM_E_METHOD_NOT_IMPLEMENTED);
}

// Only the levels a group adds are weighed against the locks the badge reaches: a level the badge
// holds already, given again by the group, does not overlap with itself; a new level reaching a
// lock the badge reaches is refused, and nothing is written.
TEST_F(AccessGroups, TheLockOverlapWeighsOnlyTheLevelsTheGroupAdds)
{
    // Panel 23 drives Onity locks (panel type 67), which the installation supports (AccessRecordsTest).
    ExecSql(
        "INSERT OR IGNORE INTO ACCESSPANE (PANELID, NAME, SEGMENTID, ONLINE1, PANELTZ, DAYLIGHTSAVE, PANELTYPE) "
        "VALUES (23, 'Onity lock', 1, 1, 1, 0, 67);"
        "INSERT OR IGNORE INTO READER (PANELID, READERID, READERDESC) VALUES (23, 0, 'Lock 0'), (23, 1, 'Lock 1');");
    const long held = NewLevel("Lock 0 by day", 1);
    const long other = NewLevel("Lock 1 by day", 1);
    const long overlapping = NewLevel("Lock 0 by night", 1);
    ExecSql("INSERT INTO ACCLVLINK (ACCESSLVID, PANELID, READERID, TZID) VALUES (" + std::to_string(held) +
            ", 23, 0, 1), (" + std::to_string(other) + ", 23, 1, 1), (" + std::to_string(overlapping) + ", 23, 0, 2);");
    const long badge = NewBadge(750001);
    ExecSql("INSERT INTO BADGELINK (BADGEKEY, ACCLVLID) VALUES (" + std::to_string(badge) + ", " +
            std::to_string(held) + ");");

    CString text;
    EXPECT_EQ(AssignGroup(NewGroup({{overlapping, false}, {held, false}}), badge, L"AssignGroup", &text),
              WBEM_E_FAILED);
    EXPECT_EQ(text, CString(CWmipMessages::kGroupReaderOverlap));
    EXPECT_EQ(Held(badge), std::to_string(held));

    EXPECT_EQ(AssignGroup(NewGroup({{held, false}, {other, false}}), badge), S_OK);
    EXPECT_EQ(Held(badge), std::to_string(held) + "," + std::to_string(other));
}
