// The three caches of the security event mappers: event definitions, panel segments and the
// event-to-alarm links with their alarm definitions and event parameters.
#include <gtest/gtest.h>

#include <list>
#include <map>

#include "hardware/AcsDeviceKey.h"
#include "provider/CWmipPanelSegmentCache.h"
#include "tests/support/ManualClock.h"
#include "provider/CEventAlarmLinkCache.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipEventTableCache.h"
#include "provider/CWmipPooledConnection.h"
#include "tests/provider/hwevents/HwEventTestSupport.h"

namespace {

LONGLONG Device(LONG panel, LONG device, LONG input)
{
    return static_cast<LONGLONG>(AcsDeviceKey(panel, device, input).GetKey());
}

}  // namespace

TEST(EventTableCache, LooksUpDefinitionsByTypeAndSubtype)
{
    const hwtest::DatabaseChange rows(
        "INSERT INTO EVENT (EVENTID, EVTYPEID, EVID, EVDESCR) VALUES (100, 30, 1, 'first'), (101, 30, 1, 'second'),"
        " (102, 30, 40000, 'wide subtype');",
        "DELETE FROM EVENT WHERE EVENTID >= 100;");
    const CWmipEventTableCache cache;
    EXPECT_EQ(std::wstring(cache.GetDescription(0, 0).GetString()), L"Access Granted");
    EXPECT_EQ(cache.GetEventID(0, 0), 1);
    // Unknown pairs: an empty description and -1.
    EXPECT_TRUE(cache.GetDescription(6, 3).IsEmpty());
    EXPECT_EQ(cache.GetEventID(6, 3), -1);
    // The definition read last wins.
    EXPECT_EQ(std::wstring(cache.GetDescription(30, 1).GetString()), L"second");
    EXPECT_EQ(cache.GetEventID(30, 1), 101);
    // Subtypes are 16-bit: 40000 is found as the record's negative value.
    EXPECT_EQ(std::wstring(cache.GetDescription(30, static_cast<SHORT>(40000)).GetString()), L"wide subtype");
}

TEST(PanelSegmentCache, AnswersSegmentsAndLogsMisses)
{
    support::ManualClock clock;
    CWmipPanelSegmentCache cache(clock);
    EXPECT_EQ(cache.GetSegmentID(1), 1);
    EXPECT_EQ(cache.GetSegmentID(2), 2);

    const int infoBefore = hwtest::CountProviderLogLines("Invalid Panel ID 0 is probably from a controllerless event");
    EXPECT_EQ(cache.GetSegmentID(0), -1);
    EXPECT_EQ(hwtest::CountProviderLogLines("Invalid Panel ID 0 is probably from a controllerless event"),
              infoBefore + 1);

    // A panel added after the load is missing until the span (60 s in the demo) has passed.
    const hwtest::DatabaseChange panel(
        "INSERT INTO ACCESSPANE (PANELID, NAME, SEGMENTID, ONLINE1, PANELTZ, DAYLIGHTSAVE, PANELTYPE) VALUES"
        " (9, 'Late panel', 3, 1, 1, 0, 15);",
        "DELETE FROM ACCESSPANE WHERE PANELID = 9;");
    const int missBefore = hwtest::CountProviderLogLines("Panel with ID 9 is not in the panel/segment cache");
    EXPECT_EQ(cache.GetSegmentID(9), -1);
    EXPECT_EQ(hwtest::CountProviderLogLines("Panel with ID 9 is not in the panel/segment cache"), missBefore + 1);
    clock.Advance(60 * 1000);
    EXPECT_EQ(cache.GetSegmentID(9), -1);
    clock.Advance(1);
    EXPECT_EQ(cache.GetSegmentID(9), 3);
}

// A clock that stands before the last load counts as no time passed: the cache neither reloads
// then nor later than the span after that load.
TEST(PanelSegmentCache, AClockSetBackBeforeTheLastLoadReloadsNothing)
{
    struct SettableClock : IClock
    {
        ULONGLONG GetTickCount64() const override { return tick; }
        LONGLONG GetUtcMilliseconds() const override { return static_cast<LONGLONG>(tick); }
        ULONGLONG tick = 5'000'000;
    } clock;
    CWmipPanelSegmentCache cache(clock);
    const hwtest::DatabaseChange panel(
        "INSERT INTO ACCESSPANE (PANELID, NAME, SEGMENTID, ONLINE1, PANELTZ, DAYLIGHTSAVE, PANELTYPE) VALUES"
        " (9, 'Late panel', 3, 1, 1, 0, 15);",
        "DELETE FROM ACCESSPANE WHERE PANELID = 9;");
    for (const ULONGLONG back : {1ULL, 60'000ULL, 5'000'000ULL})
    {
        clock.tick = 5'000'000 - back;
        EXPECT_EQ(cache.GetSegmentID(9), -1) << back;
    }
    clock.tick = 5'000'000 + 60'000;
    EXPECT_EQ(cache.GetSegmentID(9), -1);
    clock.tick += 1;
    EXPECT_EQ(cache.GetSegmentID(9), 3);
}

TEST(PanelSegmentCache, WithoutSegmentsEveryPanelIsMinusOneSilently)
{
    const hwtest::DatabaseChange off("UPDATE CONFIG_VALUE SET NUMBERVALUE = 0 WHERE CONFIGID = 1001;",
                                     "UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID = 1001;");
    CWmipPanelSegmentCache cache;
    const int before = hwtest::CountProviderLogLines("GetSegmentID");
    for (const LONG panel : {1L, 2L, 0L, -5L, 77L})
    {
        EXPECT_EQ(cache.GetSegmentID(panel), -1) << panel;
    }
    EXPECT_EQ(hwtest::CountProviderLogLines("GetSegmentID"), before);
}

TEST(EventAlarmLinkCache, LoadsAlarmsWithTheirAudioRepeatIntervals)
{
    const hwtest::DatabaseChange rows(
        "INSERT INTO AUDIO (AUDIOID, AUDIOTYPE, NAME, PLAYLENGTH) VALUES (2, 0, 'Click', 0);"
        "INSERT INTO ALARM (ALID, ALPRIORITY, ALDESCR, SEGMENTID, AUDIONOTIFID, AUDNOTREPEATFREQ, VIEWPASSWORD) VALUES"
        " (10, 5, 'Zero length clip   ', -1, 2, 10, NULL), (11, 5, 'Missing clip', -1, 99, 10, 'view  '),"
        " (12, 5, 'No repeat', -1, 2, 0, NULL);"
        "UPDATE ALARM SET ACKPASSWORD = 'ack', ACKACTIONTIMELIMIT = 30 WHERE ALID = 11;",
        "DELETE FROM ALARM WHERE ALID >= 10; DELETE FROM AUDIO WHERE AUDIOID = 2;");
    const CWmipPooledConnection connection(CWmipApp::GetConnectionManager());
    ASSERT_NE(connection.GetDatabase(), nullptr);
    CEventAlarmLinkCache cache;
    cache.Load(connection.GetDatabase());

    const LAcsAlarm* forced = cache.GetAlarm(1);
    ASSERT_NE(forced, nullptr);
    EXPECT_EQ(std::wstring(forced->GetName().GetString()), L"Door forced open");
    EXPECT_EQ(forced->GetPriority(), 20);
    EXPECT_EQ(forced->GetNotifType(), 136);
    EXPECT_EQ(forced->GetAudioRepeatInterval(), 10 + 4);
    EXPECT_EQ(std::wstring(cache.GetAlarm(3)->GetAckPassword().GetString()), L"duress");

    struct IntervalCase
    {
        LONG alarm;
        LONG interval;
    };
    for (const IntervalCase& c : {IntervalCase{10, 11}, IntervalCase{11, 11}, IntervalCase{12, 0}})
    {
        ASSERT_NE(cache.GetAlarm(c.alarm), nullptr) << c.alarm;
        EXPECT_EQ(cache.GetAlarm(c.alarm)->GetAudioRepeatInterval(), c.interval) << c.alarm;
    }
    EXPECT_EQ(std::wstring(cache.GetAlarm(10)->GetName().GetString()), L"Zero length clip");
    EXPECT_EQ(std::wstring(cache.GetAlarm(11)->GetViewPassword().GetString()), L"view");
    EXPECT_EQ(std::wstring(cache.GetAlarm(11)->GetAckPassword().GetString()), L"ack");
    EXPECT_EQ(cache.GetAlarm(11)->GetAckActionTimeLimit(), 30);
    EXPECT_EQ(cache.GetAlarm(99), nullptr);

    // A reload updates the alarms it had in place: the values cleared since are cleared, not
    // kept from the last load; an alarm whose row went is unknown.
    const LAcsAlarm* const kept = cache.GetAlarm(11);
    hwtest::Exec("UPDATE ALARM SET VIEWPASSWORD = NULL, ACKPASSWORD = NULL, ACKACTIONTIMELIMIT = NULL,"
                 " AUDNOTREPEATFREQ = 0, ALDESCR = 'Renamed' WHERE ALID = 11; DELETE FROM ALARM WHERE ALID = 12;");
    cache.Load(connection.GetDatabase());
    ASSERT_EQ(cache.GetAlarm(11), kept);
    EXPECT_EQ(std::wstring(kept->GetName().GetString()), L"Renamed");
    EXPECT_TRUE(kept->GetViewPassword().IsEmpty()) << kept->GetViewPassword().GetString();
    EXPECT_TRUE(kept->GetAckPassword().IsEmpty()) << kept->GetAckPassword().GetString();
    EXPECT_EQ(kept->GetAckActionTimeLimit(), 0);
    EXPECT_EQ(kept->GetAudioRepeatInterval(), 0);
    EXPECT_EQ(cache.GetAlarm(12), nullptr);
    EXPECT_EQ(std::wstring(cache.GetAlarm(10)->GetName().GetString()), L"Zero length clip");

    // Parameters: loaded ones without a database, unknown ones only with it.
    ASSERT_NE(cache.GetEventParam(1, nullptr), nullptr);
    EXPECT_EQ(std::wstring(cache.GetEventParam(1, nullptr)->GetDescription().GetString()), L"Smoke detector");
    EXPECT_EQ(cache.GetEventParam(50, nullptr), nullptr);
    const hwtest::DatabaseChange parameter(
        "INSERT INTO EVENT_PARAM (EVENT_PARAMID, PARAMVALUE, DESCRIPTION) VALUES (50, 7, 'Late');",
        "DELETE FROM EVENT_PARAM WHERE EVENT_PARAMID = 50;");
    EXPECT_EQ(cache.GetEventParam(50, nullptr), nullptr);
    ASSERT_NE(cache.GetEventParam(50, connection.GetDatabase()), nullptr);
    EXPECT_EQ(cache.GetEventParam(50, nullptr)->GetValue(), 7);
}

// A handler names itself in the error log by a fixed line, not by where it stands in the source.
TEST(EventAlarmLinkCache, AFailedParameterReadIsLoggedUnderItsHandlersFixedLine)
{
    const CWmipPooledConnection connection(CWmipApp::GetConnectionManager());
    ASSERT_NE(connection.GetDatabase(), nullptr);
    CEventAlarmLinkCache cache;
    const std::string logged = "EventToAlarmLink(875): result 0x20010001";
    const int before = hwtest::CountLines(L"BrontelError.log", logged);
    {
        const hwtest::DatabaseChange away("ALTER TABLE EVENT_PARAM RENAME TO EVENT_PARAM_AWAY;",
                                          "ALTER TABLE EVENT_PARAM_AWAY RENAME TO EVENT_PARAM;");
        EXPECT_EQ(cache.GetEventParam(50, connection.GetDatabase()), nullptr);
    }
    EXPECT_EQ(hwtest::CountLines(L"BrontelError.log", logged), before + 1);
    ASSERT_NE(cache.GetEventParam(1, connection.GetDatabase()), nullptr) << "the next read finds the table again";
    EXPECT_EQ(hwtest::CountLines(L"BrontelError.log", logged), before + 1);
}

TEST(EventAlarmLinkCache, LinksLoadFromTheDatabaseWithTheirDevices)
{
    const CWmipPooledConnection connection(CWmipApp::GetConnectionManager());
    CEventAlarmLinkCache cache;
    cache.Load(connection.GetDatabase());
    // Door forced open on the lobby panel's reader 0.
    EXPECT_EQ(cache.GetAlarmIDForKey(CAlarmKey::MakeEventKey(4, 5), 0, Device(1, 0, 0), 0), 1);
    // Fire with parameter 3 on the dock panel's reader 0, input 1.
    EXPECT_EQ(cache.GetAlarmIDForKey(CAlarmKey::MakeEventKey(7, 1), 3, Device(2, 0, 1), 0), 4);
    EXPECT_FALSE(cache.HasTextLinks());
}

TEST(EventAlarmLinkCache, FindAlarmIdTriesTheMostSpecificLinkFirst)
{
    const LONG event = CAlarmKey::MakeEventKey(4, 5);
    const LONGLONG device = Device(1, 2, 0);
    struct Link
    {
        LONG text;
        LONG param;
        LONGLONG device;
        LONG alarm;
    };
    struct FindCase
    {
        const char* rule;
        std::vector<Link> links;
        LONG param;
        LONG text;
        LONGLONG eventDevice;
        LONG expectedAlarm;
        bool expectedParamMatch;
    };
    const FindCase cases[] = {
        {"parameter link before the plain link", {{0, 5, device, 100}, {0, 0, device, 200}}, 5, 0, device, 100, true},
        {"any-device fallback without the parameter", {{0, 0, 0, 300}}, 5, 0, device, 300, false},
        {"exact device beats any device with the parameter",
         {{0, 0, device, 200}, {0, 5, 0, 400}},
         5,
         0,
         device,
         200,
         false},
        {"any device with the parameter when the device has no link",
         {{0, 5, 0, 400}, {0, 0, 0, 300}},
         5,
         0,
         device,
         400,
         true},
        {"no parameter, no text: exact device then any device",
         {{0, 0, 0, 300}, {7, 0, device, 500}},
         0,
         0,
         device,
         300,
         false},
        {"text before no text for the same device",
         {{7, 0, device, 500}, {0, 0, device, 200}},
         0,
         7,
         device,
         500,
         false},
        {"device before text", {{0, 0, device, 200}, {7, 0, 0, 600}}, 0, 7, device, 200, false},
        {"a link to alarm 0 is absent", {{0, 0, device, 0}, {0, 0, 0, 300}}, 0, 0, device, 300, false},
        {"no link at all", {}, 5, 7, device, 0, false},
        {"a reader's own input is cleared before the search",
         {{0, 0, device, 700}},
         0,
         0,
         Device(1, 2, 254),
         700,
         false},
        {"a reader input stays an input", {{0, 0, device, 700}}, 0, 0, Device(1, 2, 3), 0, false},
    };
    for (const FindCase& c : cases)
    {
        CEventAlarmLinkCache cache;
        for (const Link& link : c.links)
        {
            cache.AddLink(event, link.param, link.device, link.text, link.alarm);
        }
        bool paramMatched = !c.expectedParamMatch;
        EXPECT_EQ(cache.FindAlarmID(event, c.param, c.eventDevice, c.text, &paramMatched), c.expectedAlarm) << c.rule;
        EXPECT_EQ(paramMatched, c.expectedParamMatch) << c.rule;
    }
}

TEST(EventAlarmLinkCache, FirstLinkOfAKeyStaysAndTheReverseIndexCollectsPanels)
{
    CEventAlarmLinkCache cache;
    cache.SetKeepReverseIndex(true);
    const LONG event = CAlarmKey::MakeEventKey(4, 6);
    cache.AddLink(event, 0, Device(1, 0, 0), 0, 7);
    cache.AddLink(event, 0, Device(1, 0, 0), 0, 8);
    cache.AddLink(event, 0, Device(2, 5, 0), 3, 7);
    EXPECT_EQ(cache.GetAlarmIDForKey(event, 0, Device(1, 0, 0), 0), 7);
    EXPECT_TRUE(cache.HasTextLinks());

    std::list<EventDevicePair_t> pairs;
    EXPECT_TRUE(cache.GetEventDevicePairs(7, pairs));
    EXPECT_EQ(pairs.size(), 2u);
    std::map<SHORT, SHORT> panels;
    cache.CollectPanelsForAlarms({7}, panels);
    EXPECT_EQ(panels, (std::map<SHORT, SHORT>{{1, 1}, {2, 2}}));

    cache.AddLink(event, 0, 0, 0, 9);
    panels.clear();
    cache.CollectPanelsForAlarms({7, 9}, panels);
    EXPECT_EQ(panels, (std::map<SHORT, SHORT>{{-1, -1}}));

    CEventAlarmLinkCache withoutIndex;
    withoutIndex.AddLink(event, 0, Device(1, 0, 0), 0, 7);
    EXPECT_FALSE(withoutIndex.GetEventDevicePairs(7, pairs));
    EXPECT_TRUE(pairs.empty());
}

TEST(LAcsAlarm, DisplayTextFollowsTheDisplayMode)
{
    LAcsAlarm alarm;
    alarm.SetName(L"Forced");
    struct DisplayCase
    {
        WORD mode;
        const wchar_t* text;
        const wchar_t* expected;
    };
    for (const DisplayCase& c :
         {DisplayCase{0x1000, L"door", L"Forced"}, DisplayCase{0x2000, L"door", L"Forced - door"},
          DisplayCase{0x3000, L"door", L"door - Forced"}, DisplayCase{0, L"door", L"door"},
          DisplayCase{0x3000, L"", L"Forced"}})
    {
        alarm.SetNotifType(c.mode);
        EXPECT_EQ(std::wstring(alarm.GetDisplayText(c.text).GetString()), c.expected) << c.mode;
    }
}
