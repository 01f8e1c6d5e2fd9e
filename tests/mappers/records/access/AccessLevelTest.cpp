// Access levels and their assignments, end to end through the door: the notices and the link
// clean-up of a delete in one transaction, the name and count rules, and an assignment's dates,
// per-badge limits and badge ID digits (each on both sides of it, on every path), managers'
// rights and races.
#include "tests/mappers/records/access/AccessRecordsTest.h"

#include "platform/com/Variant.h"
#include "tests/support/IntegerArray.h"
#include "tests/support/StatementGate.h"

#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using namespace e2e;
using access_test::AccessCallers;
using access_test::Notice;

namespace {
class AccessLevels : public access_test::AccessRecordsTest
{
protected:
    Reply AddLevel(const wchar_t* name, long segment)
    {
        return Put(Form::Sync,
                   NewInstance(L"Bnt_AccessLevel",
                               {{L"Name", _variant_t(name)}, {L"SegmentID", _variant_t(static_cast<LONG>(segment))}})
                       .Get(),
                   WBEM_FLAG_CREATE_ONLY);
    }
    Reply Assign(long level, long badge, const wchar_t* activate = nullptr, const wchar_t* deactivate = nullptr)
    {
        std::vector<std::pair<const wchar_t*, _variant_t>> values = {
            {L"AccessLevelID", _variant_t(static_cast<LONG>(level))},
            {L"BadgeKey", _variant_t(static_cast<LONG>(badge))}};
        if (activate != nullptr)
            values.emplace_back(L"Activate", _variant_t(activate));
        if (deactivate != nullptr)
            values.emplace_back(L"Deactivate", _variant_t(deactivate));
        return Put(Form::Sync, NewInstance(L"Bnt_AccessLevelAssignment", values).Get(), WBEM_FLAG_CREATE_ONLY);
    }
    static std::string Count(const std::string& table, const std::string& where)
    {
        return Scalar("SELECT COUNT(*) FROM " + table + " WHERE " + where);
    }
};
}  // namespace

TEST_F(AccessLevels, DeletingALevelNotifiesItsActiveBadgesAndLeavesNoLink)
{
    const long level = NewLevel("Doomed level", 1);
    const std::string id = std::to_string(level);
    const long badges[] = {NewBadge(700001), NewBadge(700002), NewBadge(700003), NewBadge(700004, false)};
    for (long badge : badges)
        ExecSql("INSERT INTO BADGELINK (BADGEKEY, ACCLVLID) VALUES (" + std::to_string(badge) + ", " + id + ");");
    ExecSql("INSERT INTO ACCLVLINK (ACCESSLVID, PANELID, READERID, TZID) VALUES (" + id + ", 20, 0, 1), (" + id +
            ", 1, 0, 1);"
            "INSERT INTO ACCGPLINK (ACCESSGPID, ACCESSLVID) VALUES (1, " +
            id +
            ");"
            "INSERT INTO USERS_ACCESSLEVEL_LINK (USERID, ACCESSLVID, HAS_AAM_VIEWONLY_ACCESS) VALUES (1, " +
            id +
            ", 0);"
            "UPDATE ACCESSPANE SET DOWNLOAD_REQUIRED = 0; UPDATE READER SET REQUIRE_DOWNLOAD = 0;");

    const Reply deleted = Delete(Form::Sync, L"Bnt_AccessLevel.ID=" + std::to_wstring(level));
    ASSERT_EQ(deleted.result, WBEM_S_NO_ERROR) << Description(deleted.statusObject.Get());

    const std::vector<Notice> notices = CommNotices(4);
    ASSERT_EQ(notices.size(), 4u);
    EXPECT_EQ(notices[0].code, 8);
    EXPECT_EQ(notices[0].action, 3);
    EXPECT_EQ(notices[0].level, level);
    EXPECT_EQ(notices[0].value, 1) << "the level's segment";
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(notices[i + 1].code, -11);
        EXPECT_EQ(notices[i + 1].action, 2);
        EXPECT_EQ(notices[i + 1].badgeKey, badges[i]) << "one notice per active badge, none for the inactive one";
    }
    for (const char* table : {"ACCLVLINK", "ACCGPLINK", "USERS_ACCESSLEVEL_LINK"})
        EXPECT_EQ(Count(table, "ACCESSLVID = " + id), "0") << table;
    EXPECT_EQ(Count("BADGELINK", "ACCLVLID = " + id), "0");
    EXPECT_EQ(Scalar("SELECT DOWNLOAD_REQUIRED FROM ACCESSPANE WHERE PANELID = 20"), "1") << "lock panel marked";
    EXPECT_EQ(Scalar("SELECT REQUIRE_DOWNLOAD FROM READER WHERE PANELID = 20 AND READERID = 0"), "1");
    EXPECT_EQ(Scalar("SELECT DOWNLOAD_REQUIRED FROM ACCESSPANE WHERE PANELID = 1"), "0") << "not a lock panel";
}

TEST_F(AccessLevels, AFailingLinkDeleteFailsTheLevelDeleteAndKeepsEverything)
{
    const long level = NewLevel("Kept level", 1);
    const std::string id = std::to_string(level);
    ExecSql("INSERT INTO ACCLVLINK (ACCESSLVID, PANELID, READERID, TZID) VALUES (" + id +
            ", 1, 0, 1);"
            "INSERT INTO BADGELINK (BADGEKEY, ACCLVLID) VALUES (1, " +
            id +
            ");"
            "CREATE TRIGGER FAIL_LINK_DELETE BEFORE DELETE ON ACCLVLINK WHEN OLD.ACCESSLVID = " +
            id + " BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    const Reply refused = Delete(Form::Sync, L"Bnt_AccessLevel.ID=" + std::to_wstring(level));
    ExecSql("DROP TRIGGER FAIL_LINK_DELETE;");
    EXPECT_TRUE(FAILED(refused.result)) << Hex(refused.result);
    EXPECT_EQ(Count("ACCESSLVL", "ACCESSLVID = " + id), "1");
    EXPECT_EQ(Count("ACCLVLINK", "ACCESSLVID = " + id), "1");
    EXPECT_EQ(Count("BADGELINK", "ACCLVLID = " + id), "1");
}

TEST_F(AccessLevels, NamesAreUniquePerSegmentAndASegmentHoldsItsUnitsNumberOfLevels)
{
    ASSERT_EQ(AddLevel(L"Twin", 1).result, WBEM_S_NO_ERROR);
    const Reply twin = AddLevel(L"Twin", 1);
    EXPECT_EQ(twin.result, WBEM_E_FAILED);
    EXPECT_TRUE(EndsWith(Description(twin.statusObject.Get()), "An Access Level with this name already exists."));
    EXPECT_EQ(AddLevel(L"Twin", 2).result, WBEM_S_NO_ERROR) << "another segment may use the name";

    // Segment 4 holds at most two level records.
    EXPECT_EQ(AddLevel(L"Small one", 4).result, WBEM_S_NO_ERROR);
    EXPECT_EQ(AddLevel(L"Small two", 4).result, WBEM_S_NO_ERROR);
    const Reply full = AddLevel(L"Small three", 4);
    EXPECT_EQ(full.result, WBEM_E_FAILED);
    EXPECT_TRUE(EndsWith(Description(full.statusObject.Get()),
                         "The max number of access levels allowed has already been reached."));
    EXPECT_EQ(Count("ACCESSLVL", "SEGMENTID = 4"), "2");
}

TEST_F(AccessLevels, AnAssignmentWithAMalformedOrReversedDateIsRefused)
{
    const long level = NewLevel("Dated level", 1);
    const long badge = NewBadge(710001);
    const struct
    {
        const wchar_t* activate;
        const wchar_t* deactivate;
        HRESULT expected;
        const char* message;
    } refusals[] = {
        {L"20251345990000.000000+000", nullptr, WBEM_E_INVALID_PARAMETER,
         "The property Activate did not exist or contained an invalid value."},
        {L"20250102000000.000000+000", L"20250101000000.000000+000", WBEM_E_FAILED,
         "The specified access level assignment activate date must come before the deactivate date."},
        // A period of no length is as empty as a reversed one.
        {L"20250101000000.000000+000", L"20250101000000.000000+000", WBEM_E_FAILED,
         "The specified access level assignment activate date must come before the deactivate date."},
    };
    for (const auto& r : refusals)
    {
        SCOPED_TRACE(Utf8(r.activate) + " " + Utf8(r.deactivate != nullptr ? r.deactivate : L"-"));
        const Reply refused = Assign(level, badge, r.activate, r.deactivate);
        EXPECT_EQ(refused.result, r.expected) << Hex(refused.result);
        EXPECT_TRUE(EndsWith(Description(refused.statusObject.Get()), r.message))
            << Description(refused.statusObject.Get());
    }
    EXPECT_EQ(Count("BADGELINK", "BADGEKEY = " + std::to_string(badge)), "0") << "nothing written";

    // One second apart is the shortest period there is.
    ASSERT_EQ(Assign(level, badge, L"20250101000000.000000+000", L"20250101000001.000000+000").result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Count("BADGELINK", "BADGEKEY = " + std::to_string(badge) + " AND DEACTIVATE IS NOT NULL"), "1");
    const std::vector<Notice> notices = CommNotices(1);
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices.back().code, -11);
    EXPECT_EQ(notices.back().badgeId, 710001);
}

TEST_F(AccessLevels, EachPerBadgeLimitTakesItsLastPlaceAndRefusesTheNext)
{
    // Temporary levels are the dated ones; the standard limit holds for every new assignment.
    // Segment 7: 2 in all, 1 standard, 2 temporary; segment 6: 4 in all, 2 standard, 1
    // temporary. Each step is one assignment to a badge of the segment (the second badge of
    // segment 6 is 60): below a limit, taking its last place, or refused at it.
    constexpr const char* kTotal = "The max number of access levels for this badge has been reached.";
    constexpr const char* kTemporary = "The max number of temporary access levels for this badge has been reached.";
    constexpr const char* kStandard = "The max number of standard access levels for this badge has been reached.";
    const struct
    {
        long badge;
        bool temporary;
        const char* refusal;
    } steps[] = {
        {7, true, nullptr},    {7, false, nullptr},  {7, true, kTotal},     {6, true, nullptr},
        {6, true, kTemporary}, {6, false, nullptr},  {6, false, nullptr},   {6, false, kStandard},
        {60, false, nullptr},  {60, false, nullptr}, {60, true, kStandard},
    };
    const std::map<long, long> badges = {{7, NewBadge(730007)}, {6, NewBadge(730006)}, {60, NewBadge(730060)}};
    const std::map<long, long> segments = {{7, 7}, {6, 6}, {60, 6}};
    int step = 0;
    for (const auto& s : steps)
    {
        SCOPED_TRACE("step " + std::to_string(++step) + " on badge " + std::to_string(s.badge));
        const long level = NewLevel("Limit " + std::to_string(step), segments.at(s.badge));
        const Reply reply =
            s.temporary ? Assign(level, badges.at(s.badge), L"20250101000000.000000+000", L"20350101000000.000000+000")
                        : Assign(level, badges.at(s.badge));
        if (s.refusal == nullptr)
        {
            EXPECT_EQ(reply.result, WBEM_S_NO_ERROR) << Description(reply.statusObject.Get());
            continue;
        }
        EXPECT_EQ(reply.result, WBEM_E_FAILED);
        EXPECT_TRUE(EndsWith(Description(reply.statusObject.Get()), s.refusal))
            << Description(reply.statusObject.Get());
        EXPECT_EQ(Count("BADGELINK", "ACCLVLID = " + std::to_string(level)), "0");
    }
    EXPECT_EQ(Count("BADGELINK", "BADGEKEY = " + std::to_string(badges.at(7))), "2");
    EXPECT_EQ(Count("BADGELINK", "BADGEKEY = " + std::to_string(badges.at(6))), "3");
    EXPECT_EQ(Count("BADGELINK", "BADGEKEY = " + std::to_string(badges.at(60))), "2");
}

TEST_F(AccessLevels, TheBadgeIdDigitsOfTheLevelsUnitTakeItsLastDigitAndRefuseOneMoreOnEveryPath)
{
    // Segment 1's unit allows 10 digits (the system's unit 12, so both badges exist). Each path
    // assigns a level of segment 1 to a badge of exactly 10 digits and to one of 11; the
    // administrator calls, as the badge method also needs the badge rights.
    CallAs(Callers::kAdministrator);
    constexpr const char* kDigits = "The number of digits in the badge ID specified exceeds the maximum allowed.";
    const auto byAssignment = [this](long level, long badge) { return Assign(level, badge); };
    const auto byMethod = [this](long level, long badge) {
        const ComPtr<IWbemClassObject> in = MethodParameters(
            L"Bnt_Badge", L"AssignAccessLevel", {{L"LevelIn", support::IntegerArray({static_cast<LONG>(level)})}});
        return Exec(Form::Sync, L"Bnt_Badge.BADGEKEY=" + std::to_wstring(badge), L"AssignAccessLevel", in.Get());
    };
    const struct
    {
        const char* path;
        std::function<Reply(long, long)> assign;
    } paths[] = {{"Bnt_AccessLevelAssignment", byAssignment}, {"Bnt_Badge.AssignAccessLevel", byMethod}};
    long long serial = 0;
    for (const auto& path : paths)
    {
        SCOPED_TRACE(path.path);
        const long level = NewLevel(std::string("Digits by ") + path.path, 1);
        ++serial;
        const long longest = NewBadge(9999999900LL + serial);
        const long tooLong = NewBadge(10000000000LL + serial);
        const Reply taken = path.assign(level, longest);
        EXPECT_EQ(taken.result, WBEM_S_NO_ERROR) << Description(taken.statusObject.Get());
        EXPECT_EQ(Count("BADGELINK", "BADGEKEY = " + std::to_string(longest)), "1");
        const Reply refused = path.assign(level, tooLong);
        EXPECT_EQ(refused.result, WBEM_E_FAILED) << Hex(refused.result);
        EXPECT_TRUE(EndsWith(Description(refused.statusObject.Get()), kDigits))
            << Description(refused.statusObject.Get());
        EXPECT_EQ(Count("BADGELINK", "BADGEKEY = " + std::to_string(tooLong)), "0");
    }
}

TEST_F(AccessLevels, OneAssignAccessLevelCallTakesItsLongestListAndRefusesOneMore)
{
    // 4096 level IDs are read (the repeats of one level are passed over); 4097 are refused as
    // a LevelIn no call may carry, before anything is assigned.
    CallAs(Callers::kAdministrator);
    const long level = NewLevel("Listed level", 1);
    const long badge = NewBadge(760001);
    const auto assign = [&](std::size_t count) {
        const std::vector<LONG> levels(count, static_cast<LONG>(level));
        return Exec(
            Form::Sync, L"Bnt_Badge.BADGEKEY=" + std::to_wstring(badge), L"AssignAccessLevel",
            MethodParameters(L"Bnt_Badge", L"AssignAccessLevel", {{L"LevelIn", support::IntegerArray(levels)}}).Get());
    };
    const Reply refused = assign(4097);
    EXPECT_EQ(refused.result, WBEM_E_INVALID_PARAMETER) << Hex(refused.result);
    EXPECT_TRUE(EndsWith(Description(refused.statusObject.Get()),
                         "The property LevelIn did not exist or contained an invalid value."))
        << Description(refused.statusObject.Get());
    EXPECT_EQ(Count("BADGELINK", "BADGEKEY = " + std::to_string(badge)), "0");
    const Reply taken = assign(4096);
    EXPECT_EQ(taken.result, WBEM_S_NO_ERROR) << Description(taken.statusObject.Get());
    EXPECT_EQ(Count("BADGELINK", "BADGEKEY = " + std::to_string(badge)), "1");
}

TEST_F(AccessLevels, AManagerAssignsOnlyTheLevelsItManagesBeyondViewing)
{
    // The manager holds no right to assign; it manages one level fully and one for viewing.
    const long managed = NewLevel("Managed level", 1);
    const long viewed = NewLevel("Viewed level", 1);
    const long foreign = NewLevel("Foreign level", 1);
    ExecSql("INSERT INTO USERS_ACCESSLEVEL_LINK (USERID, ACCESSLVID, HAS_AAM_VIEWONLY_ACCESS) VALUES (33, " +
            std::to_string(managed) + ", 0), (33, " + std::to_string(viewed) + ", 1);");
    CallAs(AccessCallers::kLevelManager);
    const long badge = NewBadge(740001);
    const struct
    {
        long level;
        HRESULT expected;
    } cases[] = {{viewed, WBEM_E_FAILED}, {foreign, WBEM_E_FAILED}, {managed, WBEM_S_NO_ERROR}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.level);
        const Reply reply = Assign(c.level, badge);
        EXPECT_EQ(reply.result, c.expected) << Description(reply.statusObject.Get());
        if (FAILED(c.expected))
        {
            EXPECT_TRUE(
                EndsWith(Description(reply.statusObject.Get()),
                         "The client does not have sufficient user permissions to perform the requested operation."))
                << Description(reply.statusObject.Get());
        }
        EXPECT_EQ(Count("BADGELINK", "ACCLVLID = " + std::to_string(c.level)), SUCCEEDED(c.expected) ? "1" : "0");
    }
}

TEST_F(AccessLevels, AssignmentLimitsCountOnlyTheLevelsOfTheSameSegment)
{
    // Segment 3: one standard level per badge at most.
    const long first = NewLevel("Quota standard 1", 3);
    const long second = NewLevel("Quota standard 2", 3);
    const long elsewhere = NewLevel("Elsewhere", 1);
    const long badge = NewBadge(720001);
    ASSERT_EQ(Assign(elsewhere, badge).result, WBEM_S_NO_ERROR);
    ASSERT_EQ(Assign(first, badge).result, WBEM_S_NO_ERROR) << "a level of another segment does not count";
    const Reply refused = Assign(second, badge);
    EXPECT_EQ(refused.result, WBEM_E_FAILED);
    EXPECT_TRUE(EndsWith(Description(refused.statusObject.Get()),
                         "The max number of standard access levels for this badge has been reached."));
    const Reply twice = Assign(first, badge);
    EXPECT_TRUE(EndsWith(Description(twice.statusObject.Get()),
                         "There is already an access level assignment for this access level and badge."));
    const Reply inactive = Assign(first, NewBadge(720002, false));
    EXPECT_TRUE(EndsWith(Description(inactive.statusObject.Get()),
                         "Access level assignments can only be made to active badges."));

    CallAs(AccessCallers::kLevelViewer);
    const Reply unprivileged = Assign(elsewhere, NewBadge(720003));
    EXPECT_EQ(unprivileged.result, WBEM_E_FAILED);
    EXPECT_EQ(Count("BADGELINK", "ACCLVLID = " + std::to_string(elsewhere)), "1");
}

TEST_F(AccessLevels, ConcurrentAssignmentsCannotBothTakeTheLastPlace)
{
    // Writers racing for one badge: segment 3 takes one standard level, segment 6 two. The
    // gate lets the writers write only once all have arrived, so a check made outside the
    // transaction would let every one of them through.
    const struct
    {
        long segment;
        int levels;
        int allowed;
    } races[] = {{3, 2, 1}, {6, 4, 2}};
    constexpr int kWriters = 4;
    for (const auto& race : races)
    {
        SCOPED_TRACE("segment " + std::to_string(race.segment));
        std::vector<long> levels;
        for (int i = 0; i < race.levels; ++i)
            levels.push_back(NewLevel("Race " + std::to_string(race.segment) + "/" + std::to_string(i), race.segment));
        const long badge = NewBadge(780000 + race.segment);
        support::StatementGate gate(kWriters);
        std::atomic<int> written{0};
        std::atomic<int> refused{0};
        std::vector<std::thread> threads;
        for (int i = 0; i < kWriters; ++i)
            threads.emplace_back([&, level = levels[i % levels.size()]] {
                const CallerIdentity::Scope caller(CallerIdentity(AccessCallers::kLevelClerk, SecurityImpersonation));
                gate.Run([&] {
                    const Reply reply = Assign(level, badge);
                    if (reply.result == WBEM_S_NO_ERROR)
                        ++written;
                    else if (reply.result == WBEM_E_FAILED)
                        ++refused;
                });
            });
        for (std::thread& thread : threads)
            thread.join();
        EXPECT_TRUE(gate.AllArrived());
        EXPECT_EQ(written.load(), race.allowed);
        EXPECT_EQ(refused.load(), kWriters - race.allowed);
        EXPECT_EQ(Count("BADGELINK", "BADGEKEY = " + std::to_string(badge)), std::to_string(race.allowed));
    }
}

TEST_F(AccessLevels, ALevelReachingALockTheBadgeReachesAlreadyIsRefused)
{
    // Panel 23 drives Onity locks (panel type 67), which the installation supports (AccessRecordsTest).
    ExecSql("INSERT OR IGNORE INTO ACCESSPANE (PANELID, NAME, SEGMENTID, ONLINE1, PANELTZ, DAYLIGHTSAVE, PANELTYPE) "
            "VALUES (23, 'Onity lock', 1, 1, 1, 0, 67);"
            "INSERT OR IGNORE INTO READER (PANELID, READERID, READERDESC) VALUES (23, 0, 'Lock');");
    const long held = NewLevel("Lock door A", 1);
    const long overlapping = NewLevel("Lock door B", 1);
    ExecSql("INSERT INTO ACCLVLINK (ACCESSLVID, PANELID, READERID, TZID) VALUES (" + std::to_string(held) +
            ", 23, 0, 1), (" + std::to_string(overlapping) + ", 23, 0, 2);");
    const long badge = NewBadge(790001);
    ASSERT_EQ(Assign(held, badge).result, WBEM_S_NO_ERROR);
    const Reply refused = Assign(overlapping, badge);
    EXPECT_EQ(refused.result, WBEM_E_FAILED);
    EXPECT_TRUE(EndsWith(Description(refused.statusObject.Get()),
                         "The level " + std::to_string(overlapping) + " cannot be assigned to the badge " +
                             std::to_string(badge) +
                             " due to Onity/ILS reader assignment overlap of the access levels."))
        << Description(refused.statusObject.Get());
    EXPECT_EQ(Count("BADGELINK", "BADGEKEY = " + std::to_string(badge)), "1");
}
