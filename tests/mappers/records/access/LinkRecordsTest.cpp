// Precision group assignments, users' secondary segments and monitoring zone links through the
// door: a write that fails is an error that announces nothing, a caller widens no one's segments
// beyond its own rights, and zone links need their parent and exist once.
#include "tests/mappers/records/access/AccessRecordsTest.h"

#include <string>

using namespace e2e;

namespace {
class LinkRecords : public access_test::AccessRecordsTest
{
protected:
    Reply AssignPrecision(long group, long badge)
    {
        return Put(Form::Sync,
                   NewInstance(L"Bnt_PrecisionAccessGroupAssignment",
                               {{L"PrecisionAccessGroupID", _variant_t(static_cast<LONG>(group))},
                                {L"BadgeKey", _variant_t(static_cast<LONG>(badge))}})
                       .Get(),
                   WBEM_FLAG_CREATE_ONLY);
    }
    Reply AddSecondarySegment(long user, long segment)
    {
        return Put(Form::Sync,
                   NewInstance(L"Bnt_UserSecondarySegment", {{L"UserID", _variant_t(static_cast<LONG>(user))},
                                                             {L"SegmentID", _variant_t(static_cast<LONG>(segment))}})
                       .Get(),
                   WBEM_FLAG_CREATE_ONLY);
    }
    Reply AddZoneLink(long zone, long panel, long device, long inputOutput, bool wholePanel)
    {
        return Put(Form::Sync,
                   NewInstance(L"Bnt_MonitoringZoneDeviceLink",
                               {{L"MonitoringZoneID", _variant_t(static_cast<LONG>(zone))},
                                {L"PanelID", _variant_t(static_cast<LONG>(panel))},
                                {L"DeviceID", _variant_t(static_cast<LONG>(device))},
                                {L"InputOutputID", _variant_t(static_cast<LONG>(inputOutput))},
                                {L"AllDevicesOnPanel", _variant_t(wholePanel)}})
                       .Get(),
                   WBEM_FLAG_CREATE_ONLY);
    }
    static std::string Count(const std::string& table, const std::string& where)
    {
        return Scalar("SELECT COUNT(*) FROM " + table + " WHERE " + where);
    }
};
}  // namespace

TEST_F(LinkRecords, ARefusedPrecisionWriteIsAnErrorAndAnnouncesNothing)
{
    ExecSql("INSERT OR IGNORE INTO PRECACGRP (PRECGRPID, NAME, PRECTYPE, SEGMENTID) VALUES (91, 'Vault', 0, 1);");
    const long refusedBadge = NewBadge(750001);
    const long acceptedBadge = NewBadge(750002);
    ExecSql("CREATE TRIGGER FAIL_PRECISION BEFORE INSERT ON BDGPRECLINK WHEN NEW.BADGEKEY = " +
            std::to_string(refusedBadge) + " BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    const Reply refused = AssignPrecision(91, refusedBadge);
    ExecSql("DROP TRIGGER FAIL_PRECISION;");
    EXPECT_EQ(refused.result, WBEM_E_FAILED);
    EXPECT_TRUE(
        EndsWith(Description(refused.statusObject.Get()), "Unable to assign access levels to the specified badgeKey."));
    EXPECT_EQ(Count("BDGPRECLINK", "BADGEKEY = " + std::to_string(refusedBadge)), "0");

    ASSERT_EQ(AssignPrecision(91, acceptedBadge).result, WBEM_S_NO_ERROR);
    const Reply twice = AssignPrecision(91, acceptedBadge);
    EXPECT_TRUE(EndsWith(Description(twice.statusObject.Get()),
                         "There is already a precision access group assignment for this group and badge."));
    const Reply unknown = AssignPrecision(99, acceptedBadge);
    EXPECT_EQ(unknown.result, WBEM_E_INVALID_PARAMETER);
    // The notices arrive in order: the accepted badge's is the only one.
    const std::vector<access_test::Notice> notices = CommNotices(1);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices.front().badgeId, 750002);
}

TEST_F(LinkRecords, ASecondarySegmentIsGivenByTheAddRightWithinTheCallersSegments)
{
    // The users' primary segments decide with the segment given: 31 (the clerk, every segment),
    // 1 (the operator, segment 1), 42 (segment 1, no secondary segment yet) and 43 (segment 2).
    ExecSql("INSERT OR IGNORE INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, ISENABLED, "
            "SYSTEM_USER_PERMID, BNT_DBID) VALUES (42, 'reachuser', 'Rhea', 'Reach', 1, 1, 83, 1), "
            "(43, 'dockuser', 'Dora', 'Dock', 2, 1, 83, 1);");
    const std::string links = Scalar("SELECT COUNT(*) FROM USER_SEGMENT_LINK");
    const struct
    {
        const char* rule;
        const wchar_t* caller;
        long user;
        long segment;
        HRESULT code;
        const char* text;
    } cases[] = {
        {"a caller of every segment gives its own user one", access_test::AccessCallers::kLevelClerk, 31, 2,
         WBEM_S_NO_ERROR, ""},
        {"a user's primary segment is no secondary one", access_test::AccessCallers::kLevelClerk, 1, 1, WBEM_E_FAILED,
         "This segment is already assigned."},
        {"without the right to add users", access_test::AccessCallers::kLevelViewer, 42, 2, WBEM_E_ACCESS_DENIED,
         "The client does not have sufficient user permissions to perform the requested operation."},
        {"a segment-1 caller gives no one segment 2", access_test::AccessCallers::kHeadquartersChief, 42, 2,
         WBEM_E_ACCESS_DENIED,
         "The client does not have sufficient segment access to perform the requested operation."},
        {"a segment-1 caller gives itself no segment 2", access_test::AccessCallers::kHeadquartersChief, 51, 2,
         WBEM_E_ACCESS_DENIED,
         "The client does not have sufficient segment access to perform the requested operation."},
        {"a segment-1 caller gives a user of segment 2 no segment, its own neither",
         access_test::AccessCallers::kHeadquartersChief, 43, 1, WBEM_E_ACCESS_DENIED,
         "The client does not have sufficient segment access to perform the requested operation."},
    };
    long added = 0;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.rule);
        CallAs(c.caller);
        const Reply reply = AddSecondarySegment(c.user, c.segment);
        EXPECT_EQ(reply.result, c.code) << Hex(reply.result);
        if (c.code == WBEM_S_NO_ERROR)
        {
            ++added;
        }
        else
        {
            EXPECT_TRUE(EndsWith(Description(reply.statusObject.Get()), c.text))
                << Description(reply.statusObject.Get());
        }
    }
    EXPECT_EQ(Count("USER_SEGMENT_LINK", "USERID = 31 AND SEGMENTID = 2"), "1");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM USER_SEGMENT_LINK"), std::to_string(std::stol(links) + added));
    ExecSql("DELETE FROM USER_SEGMENT_LINK WHERE USERID = 31;");
    CallAs(access_test::AccessCallers::kLevelClerk);

    // A user within the clerk's rights takes a segment once, never its primary one.
    ExecSql("INSERT INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, ISENABLED, SYSTEM_USER_PERMID, "
            "BNT_DBID) VALUES (41, 'segmentuser', 'Sam', 'Segment', 1, 1, 83, 1);");
    EXPECT_EQ(AddSecondarySegment(41, 2).result, WBEM_S_NO_ERROR);
    EXPECT_NE(Scalar("SELECT COALESCE(LASTCHANGED, '') FROM USERS WHERE USERID = 41"), "");
    EXPECT_EQ(AddSecondarySegment(41, 2).result, WBEM_E_ALREADY_EXISTS) << "linked already";
    const Reply primary = AddSecondarySegment(41, 1);
    EXPECT_TRUE(EndsWith(Description(primary.statusObject.Get()), "This segment is already assigned."))
        << Description(primary.statusObject.Get());
}

TEST_F(LinkRecords, ZoneLinksNeedTheirParentAndExistOnce)
{
    ExecSql("INSERT INTO MONZONE (MZID, SEGMENTID, MZDESCR) VALUES (7, 2, 'Dock monitoring');"
            "INSERT INTO ACCESSPANE (PANELID, NAME, SEGMENTID, ONLINE1, PANELTZ, DAYLIGHTSAVE, PANELTYPE) VALUES "
            "(21, 'Yard panel', 2, 1, 1, 0, 15);");
    EXPECT_EQ(AddZoneLink(7, 2, 0, 0, false).result, WBEM_S_NO_ERROR) << "a panel link needs no parent";
    EXPECT_EQ(AddZoneLink(7, 2, 0, 0, false).result, WBEM_E_ALREADY_EXISTS) << "exists already";
    EXPECT_EQ(AddZoneLink(7, 2, 3, 0, false).result, WBEM_S_NO_ERROR);
    EXPECT_EQ(AddZoneLink(7, 2, 3, 1, false).result, WBEM_S_NO_ERROR) << "under its device link";
    const Reply orphan = AddZoneLink(7, 2, 0, 1, false);
    EXPECT_EQ(orphan.result, WBEM_E_INVALID_PARAMETER);
    const Reply noParent = AddZoneLink(7, 21, 3, 0, false);
    EXPECT_TRUE(
        EndsWith(Description(noParent.statusObject.Get()), "This device is already included in this monitoring zone."))
        << Description(noParent.statusObject.Get());
    const Reply segment = AddZoneLink(1, 2, 0, 0, false);
    EXPECT_TRUE(EndsWith(Description(segment.statusObject.Get()),
                         "Cannot assign the monitoring zone to device based on segmentation."));

    const Reply deleted =
        Delete(Form::Sync, L"Bnt_MonitoringZoneDeviceLink.DeviceID=3,InputOutputID=0,MonitoringZoneID=7,PanelID=2");
    ASSERT_EQ(deleted.result, WBEM_S_NO_ERROR) << Description(deleted.statusObject.Get());
    EXPECT_EQ(Count("MONDEVLINK", "MZID = 7"), "1") << "the device link took its input link along";
    const std::vector<access_test::Notice> notices = CommNotices(4);
    EXPECT_EQ(notices.size(), 4u) << "one notice per change";
}
