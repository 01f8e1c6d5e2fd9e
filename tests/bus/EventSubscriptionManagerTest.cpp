#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <regex>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "bus/CCorvessaException.h"
#include "bus/EventSubscriptionManager.h"
#include "common/CBntRegistry.h"
#include "platform/com/ComError.h"
#include "tests/bus/BusTestInstallation.h"
#include "tests/bus/SubscriptionTestSupport.h"

namespace {

using corvessa::EventSubscription;
using corvessa::EventSubscriptionManager;
using corvessa::PagingParameters;

constexpr double kSecond = 1.0 / 86400.0;

CBntDateTime Utc(int year, int month, int day, int hour, int minute, double seconds)
{
    CBntDateTime value(COleDateTime(year, month, day, hour, minute, 0).m_dt + seconds * kSecond);
    value.SetUTC(1);
    return value;
}

// A clock that reads the date a test sets.
class DateClock : public IClock
{
public:
    explicit DateClock(const CBntDateTime& now) : m_now(now) {}
    ULONGLONG GetTickCount64() const override { return static_cast<ULONGLONG>(GetUtcMilliseconds()); }
    LONGLONG GetUtcMilliseconds() const override
    {
        return std::llround((m_now.GetDate() - COleDateTime(1970, 1, 1, 0, 0, 0).m_dt) * 86400.0 * 1000.0);
    }

private:
    const CBntDateTime& m_now;
};

void SetPeriod(const wchar_t* name, DWORD minutes)
{
    CBntRegistry key(false, L"SOFTWARE\\Brontel\\Ivarune\\Corvessa");
    ASSERT_TRUE(key.SetDWORDValue(name, minutes));
}

class EventSubscriptions : public BusTestInstallation
{
protected:
    EventSubscriptions()
    {
        m_app->Initialize();
        m_admin = LoggedInUser(-1);
        m_operator = LoggedInUser(1);
        Exec("INSERT INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, MZID, LOGONPWD, ISENABLED, "
             "SYSTEM_USER_PERMID, MONITOR_USER_PERMID, CARD_USER_PERMID, REPORT_USER_PERMID, USER_PERM_UDFID, CREATED, "
             "LASTCHANGED, NOTES, IS_AUTO_CREATED_USER, BNT_DBID) VALUES (2, 'guard', 'Gus', 'Guard', 1, 1, 'x', 1, "
             "1, 3, 2, 0, 0, '2024-01-01 00:00:00', '2024-01-01 00:00:00', '', 0, 1);");
        m_guard = LoggedInUser(2);
    }

    std::unique_ptr<EventSubscriptionManager> MakeManager(sms::qpid::wrapper::IQpidWrapper* wrapper)
    {
        return std::make_unique<EventSubscriptionManager>(m_app->GetDatabase(), wrapper, m_dateClock);
    }
    EventSubscriptionManager& Manager()
    {
        if (!m_manager)
        {
            m_manager = MakeManager(&m_bus);
        }
        return *m_manager;
    }
    EventSubscription Add(const CAcsUser& caller, const std::string& description = "d", bool durable = false)
    {
        EventSubscription request;
        request.description = description;
        request.isDurable = durable;
        return Manager().AddEventSubscription(request, caller);
    }
    std::vector<int> Ids(const corvessa::PaginatedItems<EventSubscription>& page)
    {
        std::vector<int> ids;
        for (const EventSubscription& item : page.items)
        {
            ids.push_back(item.id);
        }
        return ids;
    }

    RegisteredFilterChecker m_checker;
    RecordingQpidWrapper m_bus;
    CBntDateTime m_now = Utc(2026, 12, 7, 9, 0, 0);
    DateClock m_dateClock{m_now};
    std::unique_ptr<CAcsUser> m_admin;
    std::unique_ptr<CAcsUser> m_operator;
    std::unique_ptr<CAcsUser> m_guard;
    std::unique_ptr<EventSubscriptionManager> m_manager;
};

// --- The record --------------------------------------------------------------------------

TEST(EventSubscriptionRecord, OrderByTable)
{
    struct Case
    {
        const char* orderBy;
        bool descending;
        const char* expected;  // or the offending name after "invalid:"
    };
    const Case cases[] = {
        {"", true, "BUSINESS_EVENT_SUBSCRIPTION.CREATED_DATE"},
        {"id,description", true,
         "BUSINESS_EVENT_SUBSCRIPTION.BUSINESS_EVENT_SUBSCRIPTIONID DESC,BUSINESS_EVENT_SUBSCRIPTION.DESCRIPTION DESC"},
        {"created_date,,id", false,
         "BUSINESS_EVENT_SUBSCRIPTION.CREATED_DATE,BUSINESS_EVENT_SUBSCRIPTION.BUSINESS_EVENT_SUBSCRIPTIONID"},
        {"created_date, id", false, "invalid: id"},
        {",id", false, "invalid:"},
        {"id,", false, "invalid:"},
        {"Id", false, "invalid:Id"},
        {"id;DROP TABLE USERS", false, "invalid:id;DROP TABLE USERS"},
    };
    for (const Case& test : cases)
    {
        const std::string expected = test.expected;
        if (expected.starts_with("invalid:"))
        {
            // The order is refused naming the name it does not take and the names it takes.
            EXPECT_EQ(BusErrorOf([&] { EventSubscriptionManager::ToOrderByColumns(test.orderBy, test.descending); }),
                      "corvessa.general.invalidrequestitem | Request contains an invalid value for the property "
                      "'order_by'. '" +
                          expected.substr(8) +
                          "' is not a property of an event subscription; the order takes binding_key, created_date, "
                          "description, disabled_date, exchange_name, filter, id, is_durable, last_updated_date, "
                          "message_broker_hostname, message_broker_port, queue_name, requires_secure_connection, "
                          "user_id, separated by commas.")
                << test.orderBy;
        }
        else
        {
            EXPECT_EQ(EventSubscriptionManager::ToOrderByColumns(test.orderBy, test.descending), expected)
                << test.orderBy;
        }
    }
}

// --- Adding, modifying, disabling --------------------------------------------------------

TEST_F(EventSubscriptions, AddReplacesTheServerFieldsAndAnnouncesNew)
{
    EventSubscription request;
    request.id = 77;
    request.userId = 99;
    request.queueName = "mine";
    request.bindingKey = "key";
    request.exchangeName = "other";
    request.description = "Lobby";
    request.filter = "EventType = 4";
    request.isDurable = true;
    request.messageBrokerHostname = "broker";
    request.messageBrokerPort = 5671;
    request.requiresSecureConnection = true;
    request.createdDate = Utc(2020, 1, 1, 0, 0, 0);
    const EventSubscription added = Manager().AddEventSubscription(request, *m_operator);
    EXPECT_EQ(added.id, 3);
    EXPECT_EQ(added.userId, 1);
    EXPECT_EQ(added.exchangeName, "amq.topic");
    const std::regex uuid("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}");
    EXPECT_TRUE(std::regex_match(added.queueName, uuid)) << added.queueName;
    EXPECT_TRUE(std::regex_match(added.bindingKey, uuid)) << added.bindingKey;
    EXPECT_NE(added.queueName, added.bindingKey);
    EXPECT_TRUE(added.createdDate == m_now);
    EXPECT_TRUE(added.lastUpdatedDate == m_now);
    EXPECT_FALSE(added.disabledDate.has_value());

    // Everything else is stored as the request gives it.
    const EventSubscription stored = Manager().GetEventSubscriptionById(3, *m_operator);
    EXPECT_EQ(std::tie(stored.queueName, stored.bindingKey, stored.description, stored.filter, stored.isDurable,
                       stored.messageBrokerHostname, stored.messageBrokerPort, stored.requiresSecureConnection),
              std::tie(added.queueName, added.bindingKey, request.description, request.filter, request.isDurable,
                       request.messageBrokerHostname, request.messageBrokerPort, request.requiresSecureConnection));
    EXPECT_TRUE(stored.createdDate == m_now && stored.createdDate->IsUTC());

    const auto messages = m_bus.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].address, "bnt.ir.internal.event_subscription_events");
    EXPECT_TRUE(messages[0].properties.empty());
    EXPECT_EQ(messages[0].flags, 0);
    EXPECT_EQ(m_bus.Notices(), (std::vector<std::pair<int, int>>{{3, 1}}));
}

TEST_F(EventSubscriptions, ModifyAndDisableAnnounceTheirChangesAndDisablingIsFinal)
{
    const EventSubscription added = Add(*m_operator, "first", true);
    m_now = Utc(2026, 12, 7, 9, 5, 0);
    // A modify that gives one text keeps the other as stored, and judges only the one it takes.
    EventSubscription partial;
    partial.id = added.id;
    partial.description = "not given";
    partial.filter = "EventType = 6";
    const EventSubscription refiltered = Manager().ModifyEventSubscription(partial, *m_operator, {false, true});
    EXPECT_EQ(std::tie(refiltered.description, refiltered.filter), std::tie("first", "EventType = 6"));
    partial.description = "described";
    partial.filter = std::string(1025, 'f');
    const EventSubscription described = Manager().ModifyEventSubscription(partial, *m_operator, {true, false});
    EXPECT_EQ(std::tie(described.description, described.filter), std::tie("described", "EventType = 6"));
    EventSubscription change;
    change.id = added.id;
    change.description = "";
    change.filter = "EventType = 5";
    change.isDurable = false;
    change.messageBrokerHostname = "elsewhere";
    const EventSubscription modified = Manager().ModifyEventSubscription(change, *m_operator);
    EXPECT_EQ(modified.queueName, added.queueName);  // an empty queue name keeps the stored one
    EXPECT_EQ(modified.description, "");
    EXPECT_EQ(modified.filter, "EventType = 5");
    EXPECT_TRUE(modified.isDurable);
    EXPECT_EQ(modified.messageBrokerHostname, "");
    EXPECT_EQ(modified.bindingKey, added.bindingKey);

    change.queueName = "renamed";
    m_now = Utc(2026, 12, 7, 9, 6, 0);
    EXPECT_EQ(Manager().ModifyEventSubscription(change, *m_admin).queueName, "renamed");
    const EventSubscription disabled = Manager().DisableEventSubscription(change, *m_operator);
    EXPECT_TRUE(disabled.disabledDate == m_now);
    EXPECT_EQ(m_bus.Notices(), (std::vector<std::pair<int, int>>{{3, 1}, {3, 2}, {3, 2}, {3, 2}, {3, 2}, {3, 3}}));

    const std::string isDisabled =
        "corvessa.eventsubscription.subscriptionisdisabled | The event subscription is disabled.";
    EXPECT_EQ(BusErrorOf([&] { Manager().DisableEventSubscription(change, *m_operator); }), isDisabled);
    EXPECT_EQ(BusErrorOf([&] { Manager().ModifyEventSubscription(change, *m_operator); }), isDisabled);
    // A disabled subscription is still read by id.
    EXPECT_TRUE(Manager().GetEventSubscriptionById(3, *m_operator).IsDisabled());
    EXPECT_EQ(m_bus.Notices().size(), 6u);
}

// A notice says what happened: an add is announced as new, a modify as updated and a disable as
// disabled, in the millisecond of the creation, within half a second of it and later, and a
// disable after a modify in the same second.
TEST_F(EventSubscriptions, EachNoticeSaysWhatHappenedHoweverSoonAfterTheCreation)
{
    enum Step
    {
        Modify,
        Disable
    };
    struct Case
    {
        std::vector<std::pair<Step, int>> steps;  // each with its milliseconds after the creation
        std::vector<int> expected;                // change types after the add's
    };
    const Case cases[] = {
        {{{Disable, 0}}, {3}},
        {{{Disable, 499}}, {3}},
        {{{Disable, 1500}}, {3}},
        {{{Modify, 0}}, {2}},
        {{{Modify, 499}}, {2}},
        {{{Modify, 1500}}, {2}},
        {{{Modify, 0}, {Disable, 0}}, {2, 3}},
        {{{Modify, 200}, {Disable, 400}}, {2, 3}},
    };
    const CBntDateTime created = Utc(2026, 12, 7, 9, 30, 0);
    for (const Case& test : cases)
    {
        m_now = created;
        const std::size_t before = m_bus.Notices().size();
        const EventSubscription added = Add(*m_operator);
        std::vector<std::pair<int, int>> expected = {{added.id, 1}};
        std::string name;
        for (const auto& [step, afterMs] : test.steps)
        {
            name += (step == Disable ? " disable " : " modify ") + std::to_string(afterMs) + " ms";
            m_now = Utc(2026, 12, 7, 9, 30, afterMs / 1000.0);
            const EventSubscription changed = step == Disable ? Manager().DisableEventSubscription(added, *m_operator)
                                                              : Manager().ModifyEventSubscription(added, *m_operator);
            EXPECT_EQ(changed.IsDisabled(), step == Disable) << name;
        }
        for (const int type : test.expected)
        {
            expected.emplace_back(added.id, type);
        }
        const std::vector<std::pair<int, int>> notices = m_bus.Notices();
        const std::vector<std::pair<int, int>> sent(notices.begin() + static_cast<std::ptrdiff_t>(before),
                                                    notices.end());
        EXPECT_EQ(sent, expected) << name;
    }
}

// The rows of the subscription table that meet the condition, as text.
std::string SubscriptionRows(const std::filesystem::path& database, const std::string& condition)
{
    return support::InstallationDatabase::Scalar(
        database, "SELECT group_concat(row, ';') FROM (SELECT BUSINESS_EVENT_SUBSCRIPTIONID || ',' || USER_ID || ',' "
                  "|| quote(NAME) || ',' || quote(DESCRIPTION) || ',' || quote(EVENT_FILTER) || ',' || "
                  "quote(LAST_UPDATED_DATE) || ',' || quote(DISABLED_DATE) AS row FROM BUSINESS_EVENT_SUBSCRIPTION "
                  "WHERE " +
                      condition + " ORDER BY BUSINESS_EVENT_SUBSCRIPTIONID)");
}

// Every row of the subscription table and the next subscription id, as text.
std::string StoredSubscriptions(const std::filesystem::path& database)
{
    return support::InstallationDatabase::Scalar(database, "SELECT NEXTVAL FROM NEXTID WHERE TYPE = 329") + ":" +
           SubscriptionRows(database, "1 = 1");
}

// Records, with each notice, the subscription's row as another connection reads it then.
class CommitWitness : public RecordingQpidWrapper
{
public:
    explicit CommitWitness(std::filesystem::path database) : m_database(std::move(database)) {}
    long Send(const std::string& address, const qpid::types::Variant::Map& properties,
              const qpid::types::Variant::Map& content, int flags) override
    {
        seen.push_back(SubscriptionRows(m_database, "BUSINESS_EVENT_SUBSCRIPTIONID = " +
                                                        std::to_string(content.at("subscription_id").asInt32())));
        return RecordingQpidWrapper::Send(address, properties, content, flags);
    }
    std::vector<std::string> seen;

private:
    const std::filesystem::path m_database;
};

// A notice leaves once its change is committed: another connection reading the row as the notice
// is sent reads the change.
TEST_F(EventSubscriptions, ANoticeLeavesOnlyOnceItsChangeIsCommitted)
{
    CommitWitness witness(Database());
    const auto manager = MakeManager(&witness);
    EventSubscription request;
    request.description = "Loading bay";
    const EventSubscription added = manager->AddEventSubscription(request, *m_operator);
    const std::string row = "BUSINESS_EVENT_SUBSCRIPTIONID = " + std::to_string(added.id);
    std::vector<std::string> stored = {SubscriptionRows(Database(), row)};
    m_now = Utc(2026, 12, 7, 9, 1, 0);
    request.id = added.id;
    request.description = "Loading bay, nights";
    manager->ModifyEventSubscription(request, *m_operator);
    stored.push_back(SubscriptionRows(Database(), row));
    m_now = Utc(2026, 12, 7, 9, 2, 0);
    manager->DisableEventSubscription(request, *m_operator);
    stored.push_back(SubscriptionRows(Database(), row));
    EXPECT_EQ(witness.seen, stored);
    EXPECT_EQ(witness.Notices(), (std::vector<std::pair<int, int>>{{added.id, 1}, {added.id, 2}, {added.id, 3}}));
    EXPECT_NE(stored[0], stored[1]);
    EXPECT_NE(stored[1], stored[2]);
}

// Another user's subscription answers as a missing one, active, disabled or due to expire: the
// owner is judged before the state, and a stranger's request does not expire it either. The
// demo's subscriptions of the operator: 1 active (durable, due on the 13th), 2 disabled; 3 added
// here, active (transient, due on the 8th). A refused request writes and announces nothing.
TEST_F(EventSubscriptions, OwnershipAndExistenceChecks)
{
    const EventSubscription mine = Add(*m_operator);
    ASSERT_EQ(mine.id, 3);
    const std::string before = StoredSubscriptions(Database());
    m_now = Utc(2026, 12, 14, 9, 0, 0);
    const std::string isDisabled =
        "corvessa.eventsubscription.subscriptionisdisabled | The event subscription is disabled.";
    const std::string missing =
        "corvessa.eventsubscription.subscriptiondoesnotexist | The event subscription does not exist.";
    const auto request = [](LONG id) {
        EventSubscription subscription;
        subscription.id = id;
        subscription.description = "taken over";
        return subscription;
    };
    struct Case
    {
        const char* name;
        std::function<void()> call;
        std::string expected;
    };
    const Case cases[] = {
        {"read another's", [&] { Manager().GetEventSubscriptionById(3, *m_guard); }, missing},
        {"modify another's active", [&] { Manager().ModifyEventSubscription(request(1), *m_guard); }, missing},
        {"modify another's disabled", [&] { Manager().ModifyEventSubscription(request(2), *m_guard); }, missing},
        {"disable another's active", [&] { Manager().DisableEventSubscription(request(3), *m_guard); }, missing},
        {"disable another's disabled", [&] { Manager().DisableEventSubscription(request(2), *m_guard); }, missing},
        {"modify another's, one text",
         [&] {
             Manager().ModifyEventSubscription(request(1), *m_guard, {false, true});
         },
         missing},
        {"read missing as a user", [&] { Manager().GetEventSubscriptionById(404, *m_guard); }, missing},
        {"disable missing as a user", [&] { Manager().DisableEventSubscription(request(404), *m_guard); }, missing},
        {"modify own disabled", [&] { Manager().ModifyEventSubscription(request(2), *m_operator); }, isDisabled},
        {"disable own disabled", [&] { Manager().DisableEventSubscription(request(2), *m_operator); }, isDisabled},
        {"read missing", [&] { Manager().GetEventSubscriptionById(404, *m_admin); }, missing},
        {"modify missing", [&] { Manager().ModifyEventSubscription(request(405), *m_admin); }, missing},
        {"disable missing", [&] { Manager().DisableEventSubscription(request(-1), *m_admin); }, missing},
    };
    for (const Case& test : cases)
    {
        EXPECT_EQ(BusErrorOf(test.call), test.expected) << test.name;
    }
    EXPECT_EQ(StoredSubscriptions(Database()), before);
    EXPECT_EQ(m_bus.Notices(), (std::vector<std::pair<int, int>>{{3, 1}}));
    // Its owner and the administrator find it as it is: expired now.
    const EventSubscription expired = Manager().GetEventSubscriptionById(1, *m_admin);
    EXPECT_EQ(expired.userId, 1);
    EXPECT_TRUE(expired.IsDisabled());
    EXPECT_TRUE(Manager().GetEventSubscriptionById(3, *m_operator).IsDisabled());
}

TEST_F(EventSubscriptions, DescriptionAndFilterLimits)
{
    struct Case
    {
        const char* name;
        std::string description;
        std::string filter;
        const char* expected;
        int checkerCalls;
    };
    const std::string lengthMessage =
        "corvessa.general.invalidfilter | Invalid filter specified. The event subscription filter exceeds the maximum "
        "allowable length.";
    const std::string descriptionMessage =
        "corvessa.general.invalidrequestitem | The event subscription description exceeds the maximum allowable "
        "length.";
    const auto illFormed = [](const std::string& property) {
        return "corvessa.general.invalidrequestitem | Request contains an invalid value for the property '" + property +
               "'. It takes well-formed UTF-8 text.";
    };
    const std::string illFormedDescription = illFormed("description");
    const std::string illFormedFilter = illFormed("filter");
    // "é" is two bytes: 127 of them and one byte make 255 bytes.
    std::string twoByte;
    for (int i = 0; i < 127; ++i)
    {
        twoByte += "\xc3\xa9";
    }
    const Case cases[] = {
        {"255-byte description", std::string(255, 'd'), "", "no error", 1},
        {"256-byte description", std::string(256, 'd'), "", descriptionMessage.c_str(), 0},
        {"255 bytes of multi-byte text", twoByte + "x", "", "no error", 1},
        {"256 bytes of multi-byte text", twoByte + "xy", "", descriptionMessage.c_str(), 0},
        {"1024-byte filter reaches the checker", "", std::string(1024, 'f'), "no error", 1},
        {"1025-byte filter never creates it", "", std::string(1025, 'f'), lengthMessage.c_str(), 0},
        // Ill-formed UTF-8 would be stored as U+FFFD: refused naming its field.
        {"ill-formed description", "a\xFF", "", illFormedDescription.c_str(), 0},
        {"ill-formed filter", "", "EventType = \xC0\xAF", illFormedFilter.c_str(), 0},
    };
    for (const Case& test : cases)
    {
        const int before = m_checker.script.created.load();
        EventSubscription request;
        request.description = test.description;
        request.filter = test.filter;
        EXPECT_EQ(BusErrorOf([&] { Manager().AddEventSubscription(request, *m_operator); }), test.expected)
            << test.name;
        EXPECT_EQ(m_checker.script.created.load() - before, test.checkerCalls) << test.name;
        EXPECT_EQ(m_checker.script.live.load(), 0) << test.name;
    }
    EXPECT_EQ(m_checker.script.filters.back(), std::wstring(1024, L'f'));
    EventSubscription texts;
    texts.messageBrokerHostname = "broker\xE2\x82";
    EXPECT_EQ(BusErrorOf([&] { Manager().AddEventSubscription(texts, *m_operator); }),
              illFormed("message_broker_hostname"));
    texts.id = 1;
    texts.queueName = "\xED\xA0\x80";
    EXPECT_EQ(BusErrorOf([&] { Manager().ModifyEventSubscription(texts, *m_operator); }), illFormed("queue_name"));
}

TEST_F(EventSubscriptions, CheckerVerdictsAndFailures)
{
    EventSubscription request;
    request.filter = "EventType = \xc3\xa9";
    // The host's thread runs multithreaded (the application object made it so).
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    m_checker.script.answer = VARIANT_FALSE;
    EXPECT_EQ(BusErrorOf([&] { Manager().AddEventSubscription(request, *m_operator); }),
              "corvessa.general.invalidfilter | Invalid filter specified.");
    EXPECT_EQ(m_checker.script.filters.back(), L"EventType = \u00e9");
    m_checker.script.answer = 1;  // any value but VARIANT_FALSE accepts
    EXPECT_EQ(Manager().AddEventSubscription(request, *m_operator).id, 3);
    m_checker.script.result = E_ACCESSDENIED;
    try
    {
        Manager().AddEventSubscription(request, *m_operator);
        ADD_FAILURE() << "a failed check must throw";
    }
    catch (const _com_error& e)
    {
        EXPECT_EQ(e.Error(), E_ACCESSDENIED);
    }
    EXPECT_EQ(m_checker.script.live.load(), 0);
    // The check's own COM initialisation failed on this multithreaded thread: the host's
    // initialisation is still in place (a nested call answers S_FALSE, not S_OK).
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    CoUninitialize();
    CoUninitialize();
    EXPECT_EQ(m_bus.Notices().size(), 1u);
}

TEST_F(EventSubscriptions, WithoutACheckerEveryFilterWithinTheLimitIsAccepted)
{
    ComClassTable::Instance().Unregister(CLSID_EventFilterChecker);
    EventSubscription request;
    request.filter = "anything at all";
    EXPECT_EQ(Manager().AddEventSubscription(request, *m_operator).filter, "anything at all");
}

// --- Listing -----------------------------------------------------------------------------

TEST_F(EventSubscriptions, PagingMatchesAPlainSliceOfTheOrderedRows)
{
    for (int i = 0; i < 23; ++i)
    {
        m_now = Utc(2026, 12, 7, 10, 0, 59 - i);  // created in reverse id order
        Add(i % 3 == 0 ? *m_guard : *m_operator, std::string(1, static_cast<char>('a' + i % 5)));
    }
    // The model: every row the operator owns (demo rows 1 and 2 included), by description
    // then id descending.
    std::vector<EventSubscription> all;
    PagingParameters everything{1, 1000, "description,id", true};
    for (const EventSubscription& item : Manager().GetEventSubscriptions(*m_operator, {}, everything).items)
    {
        all.push_back(item);
    }
    ASSERT_EQ(all.size(), 17u);
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end(), [](const auto& left, const auto& right) {
        return std::tie(left.description, left.id) > std::tie(right.description, right.id);
    }));
    for (int size : {1, 4, 10, 17, 20})
    {
        for (int number = 1; number <= 19 / size + 2; ++number)
        {
            const auto page = Manager().GetEventSubscriptions(*m_operator, {}, {number, size, "description,id", true});
            std::vector<int> expected;
            for (std::size_t i = (number - 1) * size; i < std::min<std::size_t>(all.size(), number * size); ++i)
            {
                expected.push_back(all[i].id);
            }
            EXPECT_EQ(Ids(page), expected) << "page " << number << " of " << size;
            EXPECT_EQ(page.totalCount, 17);
            EXPECT_EQ(page.pageNumber, number);
            EXPECT_EQ(page.pageSize, size);
        }
    }
    // The default order is by creation date, ascending, whatever the descending flag.
    const auto byCreation = Manager().GetEventSubscriptions(*m_admin, {}, {1, 3, "", true});
    EXPECT_EQ(Ids(byCreation), (std::vector<int>{2, 1, 25}));
    EXPECT_EQ(byCreation.totalCount, 25);
}

TEST_F(EventSubscriptions, ActivityFilterAndTheAdministratorsView)
{
    Add(*m_guard);
    struct Case
    {
        const CAcsUser* caller;
        boost::optional<bool> active;
        std::vector<int> ids;
    };
    const Case cases[] = {
        {m_operator.get(), boost::none, {1, 2}}, {m_operator.get(), true, {1}},
        {m_operator.get(), false, {2}},          {m_guard.get(), boost::none, {3}},
        {m_admin.get(), boost::none, {1, 2, 3}}, {m_admin.get(), false, {2}},
    };
    for (const Case& test : cases)
    {
        const auto page = Manager().GetEventSubscriptions(*test.caller, test.active, {1, 10, "id", false});
        EXPECT_EQ(Ids(page), test.ids) << test.caller->GetUserID();
        EXPECT_EQ(page.totalCount, static_cast<int>(test.ids.size()));
    }
}

TEST_F(EventSubscriptions, PagesBelowOneOrBeyondTheRowRangeAreRefused)
{
    struct Case
    {
        PagingParameters paging;
        const char* property;
    };
    const Case cases[] = {
        {{0, 10, "", false}, "page_number"},
        {{-3, 10, "", false}, "page_number"},
        {{1, 0, "", false}, "page_size"},
        {{1, -1, "", false}, "page_size"},
        {{2, 0x7fffffff, "", false}, "page_number"},
        {{0x10000, 0x10000, "", false}, "page_number"},
    };
    for (const Case& test : cases)
    {
        EXPECT_EQ(
            BusErrorOf([&] { Manager().GetEventSubscriptions(*m_operator, {}, test.paging); }),
            std::string("corvessa.general.invalidrequestitem | Request contains an invalid value for the property '") +
                test.property + "'. It takes " +
                (std::string(test.property) == "page_size" ? "a size" : "a page number") +
                " from 1 to 2147483647, and the page number times the size at most 2147483647.")
            << test.paging.pageNumber << " x " << test.paging.pageSize;
    }
    EXPECT_EQ(Manager().GetEventSubscriptions(*m_operator, {}, {1, 0x7fffffff, "", false}).items.size(), 2u);
}

// --- Expiry ------------------------------------------------------------------------------

TEST_F(EventSubscriptions, ExpiryAtItsBoundaryOnTheInjectedClock)
{
    const CBntDateTime start = Utc(2026, 12, 7, 9, 0, 0);
    m_now = start;
    Add(*m_operator);             // 3, transient
    Add(*m_operator);             // 4, transient
    Add(*m_operator, "d", true);  // 5, durable
    const auto after = [&](double seconds) {
        CBntDateTime value(start.GetDate() + seconds * kSecond);
        value.SetUTC(1);
        return value;
    };
    m_now = after(1439 * 60 + 59);
    EXPECT_FALSE(Manager().GetEventSubscriptionById(3, *m_operator).IsDisabled());
    m_now = after(1439 * 60 + 59.5);
    const EventSubscription expired = Manager().GetEventSubscriptionById(4, *m_operator);
    EXPECT_TRUE(expired.IsDisabled());
    EXPECT_TRUE(expired.disabledDate == expired.lastUpdatedDate);
    EXPECT_FALSE(Manager().GetEventSubscriptionById(5, *m_operator).IsDisabled());
    m_now = after(10080 * 60);
    EXPECT_TRUE(Manager().GetEventSubscriptionById(5, *m_operator).IsDisabled());
    // A modify of an expired subscription fails and leaves it disabled in the table.
    EventSubscription change;
    change.id = 3;
    EXPECT_EQ(BusErrorOf([&] { Manager().ModifyEventSubscription(change, *m_operator); }),
              "corvessa.eventsubscription.subscriptionisdisabled | The event subscription is disabled.");
    EXPECT_EQ(Ids(Manager().GetEventSubscriptions(*m_operator, false, {1, 10, "id", false})),
              (std::vector<int>{2, 3, 4, 5}));
    // Expiry announces nothing.
    EXPECT_EQ(m_bus.Notices().size(), 3u);
}

TEST_F(EventSubscriptions, PeriodsComeFromTheRegistryWhenTheManagerIsMade)
{
    SetPeriod(L"TransientEventSubscriptionExpiration", 0);
    SetPeriod(L"DurableEventSubscriptionExpiration", 60);
    EXPECT_EQ(Manager().GetTransientEventSubscriptionExpirationInMinutes(), 0);
    EXPECT_EQ(Manager().GetDurableEventSubscriptionExpirationInMinutes(), 60);
    SetPeriod(L"TransientEventSubscriptionExpiration", 5000);
    EXPECT_EQ(Manager().GetTransientEventSubscriptionExpirationInMinutes(), 0);
    Add(*m_operator);
    EXPECT_TRUE(Manager().GetEventSubscriptionById(3, *m_operator).IsDisabled());
    EXPECT_EQ(MakeManager(&m_bus)->GetTransientEventSubscriptionExpirationInMinutes(), 5000);
}

TEST_F(EventSubscriptions, RowsWrittenByOtherMeansReadSafely)
{
    // Stored flags other than 1 read as false; a NULL last-update date is measured from the
    // creation; a row with neither date stays active.
    Exec("INSERT INTO BUSINESS_EVENT_SUBSCRIPTION (BUSINESS_EVENT_SUBSCRIPTIONID, USER_ID, NAME, IS_DURABLE, "
         "REQUIRES_SECURE_CONNECTION, CREATED_DATE, LAST_UPDATED_DATE) VALUES "
         "(10, 1, 'q10', 2, 2, NULL, NULL), (11, 1, 'q11', 0, 1, '2026-12-07 08:59:00', NULL), "
         "(12, 1, 'q12', 0, 0, '2026-11-01 00:00:00', NULL);");
    const EventSubscription undated = Manager().GetEventSubscriptionById(10, *m_operator);
    EXPECT_FALSE(undated.isDurable);
    EXPECT_FALSE(undated.requiresSecureConnection);
    EXPECT_FALSE(undated.IsDisabled());
    EXPECT_FALSE(undated.createdDate.has_value());
    const EventSubscription recent = Manager().GetEventSubscriptionById(11, *m_operator);
    EXPECT_TRUE(recent.requiresSecureConnection);
    EXPECT_FALSE(recent.IsDisabled());
    EXPECT_FALSE(recent.lastUpdatedDate.has_value());
    EXPECT_TRUE(Manager().GetEventSubscriptionById(12, *m_operator).IsDisabled());
}

// --- Failures ----------------------------------------------------------------------------

TEST_F(EventSubscriptions, WithoutABusInterfaceTheChangeStandsAndNothingCrashes)
{
    const auto manager = MakeManager(nullptr);
    const EventSubscription added = manager->AddEventSubscription(EventSubscription(), *m_operator);
    EXPECT_TRUE(manager->DisableEventSubscription(added, *m_operator).IsDisabled());
    EXPECT_TRUE(m_bus.Messages().empty());
}

TEST_F(EventSubscriptions, DatabaseFailuresBecomeTheGeneralError)
{
    const std::string general = "corvessa.general.exception | Exception occurred, check server logs for details.";
    // A counter that gives no id refuses the add: a subscription stored under 0 could never be
    // found.
    Exec("INSERT OR REPLACE INTO NEXTID (TYPE, NEXTVAL) VALUES (329, 0);");
    const std::string before = StoredSubscriptions(Database());
    EXPECT_EQ(BusErrorOf([&] { Manager().AddEventSubscription(EventSubscription(), *m_operator); }), general);
    EXPECT_EQ(StoredSubscriptions(Database()), before);
    Exec("DROP TABLE BUSINESS_EVENT_SUBSCRIPTION;");
    EXPECT_EQ(BusErrorOf([&] { Manager().GetEventSubscriptionById(1, *m_operator); }), general);
    EXPECT_EQ(BusErrorOf([&] { Manager().GetEventSubscriptions(*m_operator, {}, {1, 10, "", false}); }), general);
    EXPECT_EQ(BusErrorOf([&] { Manager().AddEventSubscription(EventSubscription(), *m_operator); }), general);
    // A failed insert sends no notice.
    EXPECT_TRUE(m_bus.Messages().empty());
}

}  // namespace
