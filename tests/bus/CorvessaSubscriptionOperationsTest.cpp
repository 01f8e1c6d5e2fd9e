#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "bus/CCorvessaException.h"
#include "bus/EventSubscriptionManager.h"
#include "tests/bus/BusTestInstallation.h"
#include "tests/bus/SubscriptionTestSupport.h"

namespace {

using corvessa::EventSubscription;

class CorvessaSubscriptionOperations : public BusTestInstallation
{
protected:
    int OperatorUseCount() { return Cache().FindUserEntry(L"INTERNAL_SID_FOR_OPERATOR")->GetUseCount(); }

    RegisteredFilterChecker m_checker;
    RecordingQpidWrapper m_bus;
};

TEST_F(CorvessaSubscriptionOperations, EveryOperationRefusesABadToken)
{
    const std::vector<std::function<void()>> operations = {
        [&] { m_app->GetEventSubscriptionById(1, "bad", kApplication); },
        [&] {
            m_app->GetEventSubscriptions("bad", kApplication, boost::none, {1, 10, "", false});
        },
        [&] { m_app->AddEventSubscription(EventSubscription(), "bad", kApplication); },
        [&] { m_app->ModifyEventSubscription(EventSubscription(), "bad", kApplication); },
        [&] { m_app->DisableEventSubscription(EventSubscription(), "bad", kApplication); },
    };
    for (std::size_t i = 0; i < operations.size(); ++i)
    {
        try
        {
            operations[i]();
            ADD_FAILURE() << "operation " << i << " accepted a bad token";
        }
        catch (const CCorvessaException& e)
        {
            EXPECT_EQ(e.ErrorCode(), "corvessa.general.invalidsessiontoken") << i;
        }
    }
}

TEST_F(CorvessaSubscriptionOperations, TheTokensUserIsTheCallerAndTheEntryIsAlwaysGivenBack)
{
    m_app->SetQpidWrapper(&m_bus);
    const std::string token = Login("operator", "operator-demo");
    EventSubscription request;
    request.description = "Lobby";
    const EventSubscription added = m_app->AddEventSubscription(request, token, kApplication);
    EXPECT_EQ(added.userId, 1);
    // Dated by the application's clock, which stands still: the disable below, in the second of the
    // creation, is announced as a disable all the same.
    EXPECT_TRUE(added.createdDate == CBntDateTime::FromTime(support::ManualClock::kStartUtcMilliseconds / 1000));
    EXPECT_EQ(OperatorUseCount(), 0);
    const auto page = m_app->GetEventSubscriptions(token, kApplication, true, {1, 10, "id", false});
    ASSERT_EQ(page.items.size(), 2u);
    EXPECT_EQ(page.items.back().description, "Lobby");
    EXPECT_EQ(m_app->DisableEventSubscription(added, token, kApplication).id, added.id);
    EXPECT_EQ(m_bus.Notices(), (std::vector<std::pair<int, int>>{{3, 1}, {3, 3}}));

    // The manager's refusals reach the host, and the entry goes back all the same.
    EXPECT_THROW(m_app->GetEventSubscriptionById(404, token, kApplication), CCorvessaException);
    EXPECT_THROW(m_app->DisableEventSubscription(added, token, kApplication), CCorvessaException);
    EXPECT_THROW(m_app->GetEventSubscriptions(token, kApplication, boost::none, {0, 10, "", false}),
                 CCorvessaException);
    EXPECT_EQ(OperatorUseCount(), 0);
}

TEST_F(CorvessaSubscriptionOperations, FirstCallsThatMeetShareOneManager)
{
    std::vector<corvessa::EventSubscriptionManager*> seen(8, nullptr);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i)
    {
        threads.emplace_back([&, i] { seen[i] = m_app->GetEventSubscriptionManager(); });
    }
    for (std::thread& thread : threads)
    {
        thread.join();
    }
    EXPECT_EQ(std::set<corvessa::EventSubscriptionManager*>(seen.begin(), seen.end()).size(), 1u);
    EXPECT_NE(seen.front(), nullptr);
}

TEST_F(CorvessaSubscriptionOperations, AManagerMadeBeforeTheBusInterfaceSendsThroughTheOneHandedOverLater)
{
    const std::string token = Login("operator", "operator-demo");
    m_app->GetEventSubscriptionById(1, token, kApplication);
    m_app->SetQpidWrapper(&m_bus);
    const EventSubscription added = m_app->AddEventSubscription(EventSubscription(), token, kApplication);
    EXPECT_EQ(added.id, 3);
    EXPECT_EQ(m_bus.Notices(), (std::vector<std::pair<int, int>>{{3, 1}}));
}

}  // namespace
