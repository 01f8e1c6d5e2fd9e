// CPerson: who may act on a person, which segment units a person loses with a segment, and the
// removal of the access those units carried.
#include <gtest/gtest.h>

#include "inhouse/BntCore/CUserAction.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUserDb/CPerson.h"
#include "tests/inhouse/BntLogin/TestDatabase.h"

#include <set>

namespace {

class PersonRules : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Alice (segments 5, 6, 7 with 8 and 9) may modify cardholders; cardholder segmentation
        // is on, visitor segmentation off. Persons: 1 cardholder of 5, 2 cardholder of 20, 3
        // visitor of 20; person 1 also in 8.
        m_db.Exec("INSERT OR IGNORE INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES (2, 536870917);"
                  "INSERT INTO CONFIG_VALUE (CONFIGID, NUMBERVALUE) VALUES (1003, 1), (1004, 0);"
                  "INSERT INTO EMP (ID, LASTNAME, SEGMENTID, VISITOR) VALUES (1, 'One', 5, 0), (2, 'Two', 20, 0),"
                  " (3, 'Three', 20, 1);"
                  "INSERT INTO EMP_SEGMENT_LINK (EMPID, SEGMENTID) VALUES (1, 8);"
                  "INSERT INTO ACCESSLVL (ACCESSLVID, DESCRIPT, SEGMENTID) VALUES (1, 'L5', 5), (2, 'L8', 8),"
                  " (3, 'L9', 9);"
                  "INSERT INTO BADGE (BADGEKEY, ID, EMPID) VALUES (11, 111, 1), (12, 112, 2);"
                  "INSERT INTO BADGELINK (BADGEKEY, ACCLVLID) VALUES (11, 1), (11, 2), (11, 3), (12, 1);"
                  "INSERT INTO PRECACGRP (PRECGRPID, NAME, SEGMENTID) VALUES (1, 'P9', 9);"
                  "INSERT INTO BDGPRECLINK (PRECGRPID, BADGEKEY) VALUES (1, 11);");
        ASSERT_TRUE(m_alice.Login(m_db.DataSource(), L"alice", L"Secret1!", -1, 0));
        ASSERT_TRUE(m_admin.LoginAsSA(m_db.DataSource()));
    }
    TestDatabase m_db;
    CAcsUser m_alice;
    CAcsUser m_admin;
};

TEST_F(PersonRules, PermissionFollowsKindRightAndPrimarySegment)
{
    const struct
    {
        LONG person;
        LONG action;
        bool granted;
    } cases[] = {
        {1, CUserAction::kModify, true},          // her segment, her right
        {1, CUserAction::kChangeAccounts, true},  // a change of the person
        {1, CUserAction::kDelete, false},         // no delete right
        {2, CUserAction::kModify, false},         // segment 20 is not hers
        {3, CUserAction::kModify, false},         // no right on visitors
        {1, 99, false},                           // an unknown action is refused
        {404, CUserAction::kModify, true},        // no such person: nothing to protect here
    };
    for (const auto& c : cases)
    {
        CPerson person(c.person, nullptr, -9999, 101);
        person.Read(&m_admin, -1);
        EXPECT_EQ(person.PermissionGranted(&m_alice, CUserAction(c.action), false), c.granted)
            << c.person << "/" << c.action;
    }
    CPerson one(1, nullptr, -9999, 101);
    ASSERT_TRUE(one.Read(&m_admin, -1));
    EXPECT_TRUE(one.PermissionGranted(&m_admin, CUserAction(CUserAction::kDelete), false));
    EXPECT_FALSE(one.PermissionGranted(nullptr, CUserAction(CUserAction::kModify), false));
}

TEST_F(PersonRules, LosingASegmentRemovesOnlyTheAccessOfUnitsNoLongerReached)
{
    CPerson person(1, nullptr, -9999, 101);
    ASSERT_TRUE(person.Read(&m_admin, -1));
    ASSERT_TRUE(person.ReadSegmentAssignments(&m_admin));
    EXPECT_EQ(person.GetSegmentAssignments(), (std::set<LONG>{5, 8}));

    // Group 7 (units 8 and 9) replaces the primary segment 5: unit 5 is lost, 8 still reached.
    person.RemoveSegmentAssignment(5, false);
    person.AssignSegment(7);
    std::set<LONG> removed{42};
    ASSERT_TRUE(person.DetermineRemovedSegmentUnitIDs(removed, {5}, &m_admin));
    EXPECT_EQ(removed, (std::set<LONG>{5}));
    // Losing group 7 itself would lose 9 only (8 is a secondary segment of its own).
    ASSERT_TRUE(person.DetermineRemovedSegmentUnitIDs(removed, {7}, &m_admin));
    EXPECT_TRUE(removed.empty()) << "7 is assigned still";
    person.RemoveSegmentAssignment(7, false);
    ASSERT_TRUE(person.DetermineRemovedSegmentUnitIDs(removed, {7}, &m_admin));
    EXPECT_EQ(removed, (std::set<LONG>{9}));

    CPerson::DeleteInvalidAccess(1, &m_admin, {5, 9}, true, false);
    EXPECT_EQ(m_db.Scalar("SELECT GROUP_CONCAT(ACCLVLID) FROM (SELECT ACCLVLID FROM BADGELINK WHERE BADGEKEY = 11 "
                          "ORDER BY 1)"),
              "2");
    EXPECT_EQ(m_db.Scalar("SELECT COUNT(*) FROM BADGELINK WHERE BADGEKEY = 12"), "1") << "another person's badge";
    EXPECT_EQ(m_db.Scalar("SELECT COUNT(*) FROM BDGPRECLINK"), "1") << "precision groups were not asked for";
    CPerson::DeleteInvalidAccess(1, &m_admin, {9}, false, true);
    EXPECT_EQ(m_db.Scalar("SELECT COUNT(*) FROM BDGPRECLINK"), "0");
}

}  // namespace
