// CVisit and the visit manager: a visit signs in once and out once, even when two connections
// race; a sign-in badge is the visitor's own or a new one of the type; a sign-out ends only the
// visitor's active badges; e-mail recipients round-trip and hostile addresses are refused; the
// visit defaults and the badge update decision that asks nobody.
#include <gtest/gtest.h>

#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUdf/DlgVisitBadgeUpdate.h"
#include "inhouse/BntUdf/LUDFDbMgr.h"
#include "inhouse/BntUserDb/CBntAcsDBMgrVisit.h"
#include "inhouse/BntUserDb/CBntEmailManager.h"
#include "inhouse/BntUserDb/CVisit.h"
#include "inhouse/BntUserDb/CVisitEmailLink.h"
#include "tests/inhouse/BntLogin/TestDatabase.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

class Visits : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Host 1, visitors 2 and 3; visits 10 and 11 of visitor 2, 12 of visitor 3. Badges:
        // 500 and 501 of visitor 2 (501 already ended), 502 of visitor 3.
        m_db.Exec("INSERT INTO EMP (ID, LASTNAME, FIRSTNAME, SEGMENTID, VISITOR) VALUES (1, 'Host', 'Hana', 5, 0),"
                  " (2, 'Guest', 'Gil', 5, 1), (3, 'Other', 'Oda', 5, 1);"
                  "INSERT INTO VISIT_EVENT (VISIT_EVENTID, NAME, EMPID, SOURCE_BNT_DBID, SCHEDULED_TIMEIN) VALUES"
                  " (1, 'Meeting', 1, 1, '2026-12-07 09:00:00');"
                  "INSERT INTO VISIT (VISITID, VISIT_EVENTID, EMPID, VISITORID) VALUES (10, 1, 1, 2), (11, 1, 1, 2),"
                  " (12, 1, 1, 3);"
                  "INSERT INTO BADGETYP (ID, NAME, BADGE_CLASS, DISPOSABLE, SEGMENTID) VALUES (2, 'Visitor', 2, 1, -1);"
                  "INSERT INTO BADGE (BADGEKEY, ID, TYPE, STATUS, EMPID, DEACTIVATE) VALUES (1, 500, 2, 1, 2, NULL),"
                  " (2, 501, 2, 1, 2, '2000-01-01 00:00:00'), (3, 502, 2, 1, 3, NULL);"
                  "INSERT INTO NEXTID (TYPE, NEXTVAL) VALUES (1, 900), (25, 40);");
        ASSERT_TRUE(m_admin.LoginAsSA(m_db.DataSource()));
    }
    std::string TimeIn(LONG visit) const
    {
        return m_db.Scalar("SELECT ifnull(TIMEIN_UTC, '') FROM VISIT WHERE VISITID = " + std::to_string(visit));
    }
    TestDatabase m_db;
    CAcsUser m_admin;
};

TEST_F(Visits, AVisitSignsInOnceAndOutOnce)
{
    CVisit missing(99, 0, 0);
    EXPECT_EQ(missing.Read(&m_admin, 99).GetCode(), CVisit::kNotFound);
    EXPECT_FALSE(missing.Signin(&m_admin, 0, 0, nullptr));

    CVisit visit(10, 1, 2);
    ASSERT_TRUE(visit.Read(&m_admin, 10).IsSuccess());
    EXPECT_EQ(visit.GetName(), L"Meeting");
    EXPECT_FALSE(visit.IsActive());
    EXPECT_FALSE(visit.Signout(&m_admin)) << "never signed in";
    ASSERT_TRUE(visit.Signin(&m_admin, 0, 0, nullptr));
    EXPECT_TRUE(visit.IsActive());
    const std::string first = TimeIn(10);
    EXPECT_FALSE(CVisit(10, 1, 2).Signin(&m_admin, 0, 0, nullptr));
    EXPECT_EQ(TimeIn(10), first);
    ASSERT_TRUE(visit.Signout(&m_admin));
    EXPECT_FALSE(visit.IsActive());
    EXPECT_FALSE(visit.Signout(&m_admin));
    EXPECT_FALSE(visit.Signin(&m_admin, 0, 0, nullptr)) << "a visit signed out does not sign in again";
}

TEST_F(Visits, TwoConnectionsRacingSignTheVisitInOnce)
{
    constexpr int kRacers = 4;
    std::vector<std::unique_ptr<CAcsUser>> connections;
    for (int i = 0; i < kRacers; ++i)
    {
        connections.push_back(std::make_unique<CAcsUser>());
        ASSERT_TRUE(connections.back()->LoginAsSA(m_db.DataSource()));
    }
    std::atomic<int> signedIn{0};
    std::vector<std::thread> racers;
    for (int i = 0; i < kRacers; ++i)
    {
        racers.emplace_back([&, i] {
            if (CVisit(11, 1, 2).Signin(connections[i].get(), 0, 0, nullptr))
                ++signedIn;
        });
    }
    for (std::thread& racer : racers)
        racer.join();
    EXPECT_EQ(signedIn.load(), 1);
    EXPECT_FALSE(TimeIn(11).empty());
}

TEST_F(Visits, TheSignInBadgeIsTheVisitorsOwnOrANewOne)
{
    EXPECT_FALSE(CVisit(10, 1, 2).Signin(&m_admin, 502, 0, nullptr)) << "another visitor's badge";
    EXPECT_FALSE(CVisit(10, 1, 2).Signin(&m_admin, 777, 0, nullptr)) << "no such badge";
    EXPECT_EQ(TimeIn(10), "") << "a refused badge leaves the visit as it was";
    EXPECT_TRUE(CVisit(10, 1, 2).Signin(&m_admin, 500, 0, nullptr));

    CVisit withNew(12, 1, 3);
    const CString printer(L"Lobby");
    ASSERT_TRUE(withNew.Signin(&m_admin, 0, 2, &printer));
    EXPECT_EQ(withNew.GetIssuedBadgeID(), 900);
    EXPECT_EQ(m_db.Scalar("SELECT EMPID || '/' || TYPE || '/' || BADGEKEY FROM BADGE WHERE ID = 900"), "3/2/40");
}

TEST_F(Visits, ASignOutEndsOnlyTheVisitorsActiveBadges)
{
    CBntAcsDBMgrVisit manager(&m_admin);
    manager.SetPrimaryDatabase(m_admin.GetDatabase());
    EXPECT_TRUE(manager.MustDeactivateVisitorBadges(2, 10));
    ASSERT_TRUE(CVisit(11, 1, 2).Signin(&m_admin, 0, 0, nullptr));
    EXPECT_FALSE(manager.MustDeactivateVisitorBadges(2, 10)) << "visit 11 is still on";
    EXPECT_TRUE(manager.MustDeactivateVisitorBadges(2, 11));

    std::vector<LONGLONG> ended;
    manager.SignoutVisitorBadges(2, ended);
    EXPECT_EQ(ended, (std::vector<LONGLONG>{500}));
    EXPECT_EQ(m_db.Scalar("SELECT DEACTIVATE IS NOT NULL FROM BADGE WHERE ID = 500"), "1");
    EXPECT_EQ(m_db.Scalar("SELECT DEACTIVATE FROM BADGE WHERE ID = 501"), "2000-01-01 00:00:00");
    EXPECT_EQ(m_db.Scalar("SELECT DEACTIVATE IS NULL FROM BADGE WHERE ID = 502"), "1");
    ended.clear();
    manager.SignoutVisitorBadges(2, ended);
    EXPECT_TRUE(ended.empty());
}

TEST(VisitEmailLink, RefusesAddressesThatCouldCarryAHeader)
{
    const struct
    {
        const wchar_t* address;
        bool valid;
    } cases[] = {
        {L"a@example.com", true},
        {L"Ada Adler <a@example.com>", true},
        {L"\u00e4@example.com", true},
        {L"", false},
        {L"a@example.com\r\nBcc: b@example.com", false},
        {L"a@example.com\n", false},
        {L"a\t@example.com", false},
        {L"a\x7F@example.com", false},
        {L"a\x85@example.com", false},
    };
    for (const auto& c : cases)
    {
        CVisitEmailLink link(1, 1);
        EXPECT_EQ(link.SetEmailAddress(c.address), c.valid) << CString(c.address);
        EXPECT_EQ(link.GetEmailAddress().IsEmpty(), !c.valid);
    }
    EXPECT_FALSE(CVisitEmailLink::IsValidEmailAddress(CString(std::wstring(256, L'a').c_str())));
    EXPECT_TRUE(CVisitEmailLink::IsValidEmailAddress(CString(std::wstring(255, L'a').c_str())));
}

TEST_F(Visits, RecipientsRoundTripAndNoticesAreQueuedPerRecipient)
{
    CVisit visit(10, 1, 2);
    ASSERT_TRUE(visit.Read(&m_admin, 10).IsSuccess());
    visit.AddHostEmailRecipient();
    visit.AddHostEmailRecipient();
    ASSERT_TRUE(visit.AddDefaultEmailRecipients(&m_admin));
    CVisitEmailLink plain(10, 0);
    ASSERT_TRUE(plain.SetEmailAddress(L"desk@example.com"));
    visit.GetEmailLinks().Add(plain);
    visit.SaveEmailRecipients(&m_admin);
    EXPECT_EQ(m_db.Scalar("SELECT group_concat(EMAILID || ':' || HOST || ':' || ifnull(ADDRESS, '') || ':' || "
                          "SEGMENTID,"
                          " ' ') FROM VISIT_EMAIL_LINK WHERE VISITID = 10"),
              "1:1::-9999 2:0::5 3:0:desk@example.com:-9999");

    CVisit again(10, 1, 2);
    ASSERT_TRUE(again.ReadEmailRecipients(&m_admin));
    ASSERT_EQ(again.GetEmailLinks().GetLinks().size(), 3u);
    CBntAcsDBMgrVisit manager(&m_admin);
    EXPECT_EQ(CBntEmailManager(&manager, m_admin.GetDatabase()).SendEmail(again, L"Visit changed.", nullptr), 3);
    EXPECT_EQ(m_db.Scalar("SELECT COUNT(*) FROM EMAIL_OUTBOX WHERE VISITID = 10 AND BODY = 'Visit changed.'"), "3");

    again.GetEmailLinks().KeepPlainAddresses();
    ASSERT_EQ(again.GetEmailLinks().GetLinks().size(), 1u);
    EXPECT_EQ(again.GetEmailLinks().GetLinks().front().GetEmailAddress(), L"desk@example.com");
}

TEST_F(Visits, DefaultsComeFromTheConfigurationWithinADay)
{
    LUDFDbMgr absent(nullptr);
    EXPECT_FALSE(absent.Read(0));
    EXPECT_EQ(absent.GetDefaultSignInSeconds(), LUDFDbMgr::kDefaultSignInSeconds);

    m_db.Exec("INSERT INTO CONFIG_VALUE (CONFIGID, NUMBERVALUE) VALUES (1030, 28800), (1031, 86400), (1032, 0);");
    LUDFDbMgr defaults(m_admin.GetDatabase());
    ASSERT_TRUE(defaults.Read(0));
    EXPECT_EQ(defaults.GetDefaultSignInSeconds(), 28800);
    EXPECT_EQ(defaults.GetDefaultSignOutSeconds(), LUDFDbMgr::kDefaultSignOutSeconds) << "a day has no 24:00";
    EXPECT_FALSE(defaults.AllowsDisposableBadges());
    EXPECT_TRUE(defaults.AllowsVisitorBadges());

    CBntAcsDBMgrVisit manager(&m_admin);
    manager.SetDefaults(defaults);
    EXPECT_FALSE(manager.AllowsDisposableBadges());
    DlgVisitBadgeUpdate update(manager, 2, nullptr);
    EXPECT_EQ(update.DoModal(), DlgVisitBadgeUpdate::kNotAccepted) << "a server asks nobody";
    EXPECT_TRUE(update.GetBadgeMap().empty());
}

}  // namespace
