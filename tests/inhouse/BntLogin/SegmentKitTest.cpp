// The segment kit: a user's segment set, the units' limits and options, and which segments are
// offered for selection.
#include <gtest/gtest.h>

#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/CSegmentIDSet.h"
#include "inhouse/BntLogin/CSegmentUnit.h"
#include "tests/inhouse/BntLogin/TestDatabase.h"

#include <set>

namespace {

class SegmentKit : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_db.Exec("INSERT INTO SEGMENT_UNIT (SEGMENTID, MAX_BADGE_NUMBER_LENGTH, MAX_ACCESS_LEVELS, DYNAMIC_OPTION,"
                  " HIDDEN) VALUES (-1, 12, 40, 0, 1), (5, 10, 16, 0, 0), (6, 8, 4, 2, 0), (20, 0, 0, 0, 1);"
                  "INSERT INTO SEGMENT_UNIT (SEGMENTID) VALUES (8);"
                  "INSERT INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, ISENABLED, BNT_DBID) VALUES"
                  " (13, 'dora', 'Dora', 'Dale', 5, 1, 3), (-1, 'sa', 'System', 'Administrator', -1, 1, 3);");
    }
    CAcsUser& Login(LONG userId)
    {
        EXPECT_TRUE(m_user.Login(m_db.DataSource(), nullptr, nullptr, -1, userId));
        return m_user;
    }
    TestDatabase m_db;
    CAcsUser m_user;
};

TEST_F(SegmentKit, ASegmentSetKnowsWhetherItReachesMoreThanOneSegment)
{
    const struct
    {
        LONG user;
        bool all;
        bool multiple;
        LONG first;
    } cases[] = {
        {10, false, true, 5},   // primary 5, linked 6 and group 7 with its members
        {12, true, true, 0},    // linked to -1
        {13, false, false, 5},  // primary 5 only
        {-1, true, true, 0},    // the system administrator
    };
    for (const auto& c : cases)
    {
        const CSegmentIDSet segments(&Login(c.user));
        EXPECT_EQ(segments.IsAllSegments(), c.all) << c.user;
        EXPECT_EQ(segments.CanAccessMultipleSegments(), c.multiple) << c.user;
        EXPECT_EQ(segments.GetFirstSegmentID(), c.first) << c.user;
    }
    EXPECT_FALSE(CSegmentIDSet(nullptr).CanAccessMultipleSegments()) << "nobody reaches nothing";
    EXPECT_TRUE(CSegmentIDSet(nullptr).GetSegmentIDs().empty());
}

TEST_F(SegmentKit, TheSegmentTableFilterKeepsTheSetsSegments)
{
    auto visible = [&](LONG user) {
        const CSegmentIDSet segments(&Login(user));
        CDynamicRecordset rows(m_user.GetDatabase());
        rows.SetTable(L"SEGMENT");
        rows.AddColumnToSet(L"SEGMENTID", L"SEGMENT");
        segments.AddSegmentFilterForSegmentTable(rows);
        std::set<LONG> ids;
        for (rows.OpenForwardOnly(); !rows.IsEOF(); rows.MoveNext())
            ids.insert(rows.GetLong(0));
        return ids;
    };
    EXPECT_EQ(visible(10), (std::set<LONG>{5, 6, 7, 8, 9}));
    EXPECT_EQ(visible(13), (std::set<LONG>{5}));
    EXPECT_EQ(visible(12), (std::set<LONG>{-1, 5, 6, 7, 8, 9, 20}));
}

TEST_F(SegmentKit, UnitsCarryTheirLimitsAndSelectionRules)
{
    const CBntAcsSystemOptions& options = Login(10).GetSystemOptions();
    ASSERT_NE(options.GetSegmentUnit(5), nullptr);
    EXPECT_EQ(options.GetSegmentUnit(5)->GetMaxBadgeNumberLength(), 10);
    EXPECT_EQ(options.GetSegmentUnit(5)->GetMaxAccessLevels(), 16);
    EXPECT_EQ(options.GetSegmentUnit(6)->GetDynamicSegmentOption(), 2);
    EXPECT_EQ(options.GetSegmentUnit(20), nullptr) << "hidden units are found only as hidden";
    ASSERT_NE(options.GetHiddenSegmentUnit(20), nullptr);
    EXPECT_EQ(options.GetHiddenSegmentUnit(5), nullptr);
    ASSERT_NE(options.GetSystemSegmentUnit(), nullptr);
    EXPECT_EQ(options.GetSystemSegmentUnit()->GetMaxAccessLevels(), 40);
    // A limit not written takes everything: a unit written without limits (8), and the limits
    // unit 5 was written without, hold the schema's defaults, never 0, which takes nothing.
    const struct
    {
        LONG segment;
        LONG digits;
        LONG levels;
        LONG temporary;
        LONG standard;
        LONG records;
    } defaults[] = {{8, 19, 32767, 32767, 32767, 32767}, {5, 10, 16, 32767, 32767, 32767}};
    for (const auto& d : defaults)
    {
        const CSegmentUnit* unit = options.GetSegmentUnit(d.segment);
        ASSERT_NE(unit, nullptr) << d.segment;
        EXPECT_EQ(unit->GetMaxBadgeNumberLength(), d.digits) << d.segment;
        EXPECT_EQ(unit->GetMaxAccessLevels(), d.levels) << d.segment;
        EXPECT_EQ(unit->GetMaxTemporaryAccessLevels(), d.temporary) << d.segment;
        EXPECT_EQ(unit->GetMaxStandardAccessLevels(), d.standard) << d.segment;
        EXPECT_EQ(unit->GetMaxAccessLevelRecords(), d.records) << d.segment;
    }

    const CSegmentationUtility selection = options.GetSegmentationUtility();
    const struct
    {
        LONG segment;
        bool offered;
    } cases[] = {{5, true}, {6, true}, {7, true}, {20, false}, {-1, false}, {99, false}};
    for (const auto& c : cases)
        EXPECT_EQ(selection.ShouldDisplaySegmentInSelectionUI(c.segment), c.offered) << c.segment;
}

}  // namespace
