// The hardware event provider: records handed in, the processor thread's filters and its
// stop, concurrent event sources, and the access check of subscriptions.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <iterator>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "platform/security/CallerIdentity.h"
#include "platform/security/Sid.h"
#include "provider/CWmipHardwareEventProcessor.h"
#include "provider/CWmipHardwareEventProvider.h"
#include "provider/ThreadSafeQueue.h"
#include "tests/provider/hwevents/HwEventTestSupport.h"
#include "tests/support/PropertyText.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/EventQueryCase.h"
#include "tests/support/AwaitLimit.h"

using bnt::utility::BntMessage;
using bnt::utility::BntMessageEx;

namespace {

class ProviderTest : public ::testing::Test
{
protected:
    ProviderTest() : m_namespace(hwtest::MakeNamespace()), m_provider(L"TestHardwareEvents") {}

    // Initialises the provider and starts its thread with the recording sink.
    void Start()
    {
        ASSERT_EQ(m_provider.Initialize(nullptr, 0, nullptr, nullptr, m_namespace.Get(), nullptr, nullptr), S_OK);
        ASSERT_EQ(m_provider.ProvideEvents(m_sink.Get(), 0), S_OK);
    }

    HRESULT HandIn(const BntMessage& message, DWORD size = BntMessage::kRecordSize)
    {
        return m_provider.ReceiveHardwareEvent(size, message.Record().data(), L"text", L"HOST", 0);
    }

    ComPtr<WbemServiceNamespace> m_namespace;
    CWmipHardwareEventProvider m_provider;
    ComPtr<support::RecordingSink> m_sink = support::RecordingSink::Create();
};

// What an outcome observer was told of one record, and how many events the sink held then.
struct Told
{
    LONG serial;
    bool indicated;
    std::size_t eventsInSink;
    bool operator==(const Told&) const = default;
    friend void PrintTo(const Told& told, std::ostream* out)
    {
        *out << "{" << told.serial << ", " << told.indicated << ", " << told.eventsInSink << "}";
    }
};

}  // namespace

TEST(HardwareEventQueue, IsBoundedAndInterruptible)
{
    ThreadSafeQueue<int> queue(true, 3);
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_TRUE(queue.Push(i));
    }
    EXPECT_FALSE(queue.Push(3));
    int value = -1;
    ASSERT_TRUE(queue.Pop(value));
    EXPECT_EQ(value, 0);
    std::thread waiter([&queue] {
        int drained = 0;
        while (queue.Pop(drained))
        {
        }
    });
    queue.Interrupt();
    waiter.join();
    EXPECT_FALSE(queue.Pop(value));
}

TEST_F(ProviderTest, RecordSizesOtherThan216)
{
    const int invalid = hwtest::CountProviderLogLines("Invalid hardware event size of 215!");
    const int tooSmall = hwtest::CountProviderLogLines("Size is too small, exiting...");
    const std::vector<BYTE> longRecord(300, 0);
    EXPECT_EQ(m_provider.ReceiveHardwareEvent(215, longRecord.data(), L"", L"", 0), E_FAIL);
    EXPECT_EQ(hwtest::CountProviderLogLines("Invalid hardware event size of 215!"), invalid + 1);
    EXPECT_EQ(hwtest::CountProviderLogLines("Size is too small, exiting..."), tooSmall + 1);
    EXPECT_EQ(m_provider.GetQueuedCount(), 0u);

    EXPECT_EQ(m_provider.ReceiveHardwareEvent(300, longRecord.data(), L"", L"", 0), S_OK);
    EXPECT_EQ(hwtest::CountProviderLogLines("Size is too small, exiting..."), tooSmall + 1);
    EXPECT_EQ(m_provider.GetQueuedCount(), 1u);
    EXPECT_EQ(m_provider.ReceiveHardwareEvent(216, nullptr, L"", L"", 0), E_FAIL);
    EXPECT_EQ(m_provider.GetQueuedCount(), 1u);
}

// Without a running processor nothing leaves the queue: records are taken up to its capacity,
// and the one beyond is refused to the event source, which may then keep it, never dropped
// behind a success.
TEST_F(ProviderTest, ARecordTheFullQueueCannotTakeIsAFailureAndIsLogged)
{
    const BntMessageEx record = hwtest::Record(7, 1);
    constexpr std::size_t kCapacity = ThreadSafeQueue<BntMessageEx>::kDefaultCapacity;
    for (std::size_t i = 0; i < kCapacity; ++i)
        ASSERT_EQ(HandIn(record), S_OK) << i;
    const int full = hwtest::CountProviderLogLines("Hardware event queue is full; the event is dropped");
    EXPECT_EQ(HandIn(record), E_FAIL);
    EXPECT_EQ(m_provider.GetQueuedCount(), kCapacity);
    EXPECT_EQ(hwtest::CountProviderLogLines("Hardware event queue is full; the event is dropped"), full + 1);
}

TEST_F(ProviderTest, ProvideEventsNeedsInitializeAndStartsTheThreadOnce)
{
    EXPECT_EQ(m_provider.ProvideEvents(m_sink.Get(), 0), WBEM_E_FAILED);
    const int starts = hwtest::CountProviderLogLines("Hardware event processor thread starting...");
    Start();
    const ComPtr<support::RecordingSink> second = support::RecordingSink::Create();
    EXPECT_EQ(m_provider.ProvideEvents(second.Get(), 0), S_OK);
    ASSERT_EQ(HandIn(hwtest::Record(7, 1)), S_OK);
    ASSERT_TRUE(hwtest::WaitForObjects(*m_sink, 1));
    EXPECT_TRUE(second->Objects().empty());
    EXPECT_EQ(hwtest::CountProviderLogLines("Hardware event processor thread starting..."), starts + 1);
}

// A Size field other than 216, below it (0 too) or above it, drops the record and only it.
TEST_F(ProviderTest, ASizeFieldOtherThan216DropsTheRecordAndDoesNotStopTheProcessor)
{
    Start();
    const LONG sizes[] = {0, 215, 217, 4096};
    std::vector<int> dropped;
    for (const LONG size : sizes)
    {
        BntMessage wrong = hwtest::Record(7, 1);
        wrong.Set(BntMessage::Size, size);
        wrong.Set(BntMessage::SerialNumber, 9000 + size);
        dropped.push_back(hwtest::CountProviderLogLines("dropped a record of invalid size " + std::to_string(size)));
        ASSERT_EQ(HandIn(wrong), S_OK) << size;
    }
    BntMessage valid = hwtest::Record(7, 2);
    valid.Set(BntMessage::SerialNumber, 42);
    ASSERT_EQ(HandIn(valid), S_OK);
    // Records are processed in order: the first event in the sink is the first one not dropped.
    ASSERT_TRUE(hwtest::WaitForObjects(*m_sink, 1));
    EXPECT_EQ(support::PropertyText(m_sink->Objects().front().Get(), L"SerialNumber"), "42");
    for (std::size_t i = 0; i < std::size(sizes); ++i)
    {
        EXPECT_EQ(hwtest::CountProviderLogLines("dropped a record of invalid size " + std::to_string(sizes[i])),
                  dropped[i] + 1)
            << sizes[i];
    }
    EXPECT_EQ(m_provider.GetProcessor()->IsProcessing(), 1);
}

TEST_F(ProviderTest, FiltersDropSuppressedRecordsAndRefuseUnknownMessageTypes)
{
    Start();
    BntMessageEx suppressed = hwtest::Record(6, 3);
    suppressed.Set(BntMessage::SerialNumber, 6301);
    BntMessageEx shown = hwtest::Record(6, 4);
    shown.Set(BntMessage::SerialNumber, 6401);
    BntMessageEx secondVideo = hwtest::Record(11, 0, 0, 1, 0, 2);
    BntMessageEx third = hwtest::Record(0, 0, 0, 1, 0, 3);
    const int invalidType = hwtest::CountProviderLogLines("Hardware event processor received invalid message type");
    for (const BntMessageEx& message : {suppressed, shown, secondVideo, third})
    {
        ASSERT_EQ(HandIn(message), S_OK);
    }
    // The records are processed in order: once the marker arrives, the rest have been seen.
    ASSERT_EQ(HandIn(hwtest::Record(7, 1)), S_OK);
    ASSERT_TRUE(hwtest::WaitForObjects(*m_sink, 1));
    EXPECT_EQ(m_sink->Objects().size(), 1u);
    EXPECT_EQ(hwtest::CountProviderLogLines("Event 6301 is not exposed"), 0);
    EXPECT_EQ(hwtest::CountProviderLogLines("Event 6401 is not exposed"), 1);
    EXPECT_EQ(hwtest::CountProviderLogLines("Hardware event processor received invalid message type"), invalidType + 1);
}

TEST_F(ProviderTest, EightEventSourcesAtOnceLoseNoRecord)
{
    Start();
    constexpr int kSources = 8;
    constexpr int kRecordsEach = 40;
    std::vector<std::thread> sources;
    for (int source = 0; source < kSources; ++source)
    {
        sources.emplace_back([this, source] {
            for (int i = 0; i < kRecordsEach; ++i)
            {
                BntMessage record = hwtest::Record(7, 1);
                record.Set(BntMessage::SerialNumber, source * 1000 + i);
                EXPECT_EQ(HandIn(record), S_OK);
            }
        });
    }
    for (std::thread& source : sources)
    {
        source.join();
    }
    ASSERT_TRUE(hwtest::WaitForObjects(*m_sink, kSources * kRecordsEach));
    std::vector<bool> seen(kSources * 1000, false);
    for (const auto& event : m_sink->Objects())
    {
        _variant_t serial;
        ASSERT_EQ(event->Get(L"SerialNumber", 0, &serial, nullptr, nullptr), WBEM_S_NO_ERROR);
        ASSERT_EQ(serial.vt, VT_I4);
        EXPECT_FALSE(seen[serial.lVal]) << serial.lVal;
        seen[serial.lVal] = true;
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), true), kSources * kRecordsEach);
}

// The one who hands records in learns of each record's end, in order, once the sink has the
// event: this is what lets a consumer wait for the records it handed in instead of for a time.
TEST_F(ProviderTest, TheOutcomeObserverHearsOfEveryRecordAfterItsEventReachedTheSink)
{
    std::mutex lock;
    std::condition_variable changed;
    std::vector<Told> told;
    Start();
    m_provider.GetProcessor()->SetOutcomeObserver([&](LONG serial, bool indicated, bool) {
        const std::lock_guard<std::mutex> guard(lock);
        told.push_back({serial, indicated, m_sink->Objects().size()});
        changed.notify_all();
    });
    BntMessageEx zeroSize = hwtest::Record(7, 1);
    zeroSize.Set(BntMessage::Size, 0);
    const struct
    {
        BntMessageEx record;
        LONG serial;
    } records[] = {
        {hwtest::Record(7, 1), 501}, {zeroSize, 502},
        {hwtest::Record(6, 3), 503}, {hwtest::Record(0, 0, 0, 1, 0, 3), 504},
        {hwtest::Record(6, 4), 505}, {hwtest::Record(7, 1), 506},
    };
    for (const auto& [record, serial] : records)
    {
        BntMessageEx numbered = record;
        numbered.Set(BntMessage::SerialNumber, serial);
        ASSERT_EQ(HandIn(numbered), S_OK) << serial;
    }
    bool allTold = false;
    {
        std::unique_lock<std::mutex> guard(lock);
        allTold = changed.wait_for(guard, support::kAwaitLimit, [&] { return told.size() >= std::size(records); });
    }
    // Cleared before anything may return: the observer refers to this frame.
    m_provider.GetProcessor()->SetOutcomeObserver({});
    ASSERT_TRUE(allTold);
    const std::vector<Told> expected = {{501, true, 1},  {502, false, 1}, {503, false, 1},
                                        {504, false, 1}, {505, false, 1}, {506, true, 2}};
    EXPECT_EQ(told, expected);
}

TEST(HardwareEventProvider, AProviderWhoseThreadNeverStartedIsDestroyedQuietly)
{
    const ComPtr<WbemServiceNamespace> services = hwtest::MakeNamespace();
    const int starts = hwtest::CountProviderLogLines("Hardware event processor thread starting...");
    const int ends = hwtest::CountProviderLogLines("Ending hardware event processor thread");
    {
        CWmipHardwareEventProvider provider(L"NeverStarted");
        ASSERT_EQ(provider.Initialize(nullptr, 0, nullptr, nullptr, services.Get(), nullptr, nullptr), S_OK);
    }
    EXPECT_EQ(hwtest::CountProviderLogLines("Hardware event processor thread starting..."), starts);
    EXPECT_EQ(hwtest::CountProviderLogLines("Ending hardware event processor thread"), ends);
}

TEST_F(ProviderTest, AccessCheckHoldsSubscriptionsToTheSegmentsTheUserSees)
{
    ASSERT_EQ(m_provider.Initialize(nullptr, 0, nullptr, nullptr, m_namespace.Get(), nullptr, nullptr), S_OK);
    const support::EventAccessCase cases[] = {
        {"operator, every panel", hwtest::kOperatorSid, L"SELECT * FROM Bnt_AccessEvent", S_OK},
        {"dock user, every panel", hwtest::kDockSid, L"SELECT * FROM Bnt_AccessEvent", WBEM_E_ACCESS_DENIED},
        {"dock user, the lobby panel", hwtest::kDockSid, L"SELECT * FROM Bnt_AccessEvent WHERE PanelID = 1",
         WBEM_E_ACCESS_DENIED},
        {"dock user, the dock panel", hwtest::kDockSid, L"SELECT * FROM Bnt_AccessEvent WHERE PanelID = 2", S_OK},
        {"dock user, the dock segment", hwtest::kDockSid, L"SELECT * FROM Bnt_FireEvent WHERE SegmentID = 2", S_OK},
        {"other properties are dropped", hwtest::kDockSid,
         L"SELECT * FROM Bnt_AccessEvent WHERE PanelID = 2 AND Duress = TRUE", S_OK},
        {"dock user, the dock panel's reader", hwtest::kDockSid,
         L"SELECT * FROM Bnt_AccessEvent WHERE PanelID = 2 AND DeviceID = 1", S_OK},
        // An event carries its device whether or not a reader row stands for it: a term on
        // anything but the panel or segment cannot confine a subscription to some panels.
        {"dock user, a device of no reader row", hwtest::kDockSid, L"SELECT * FROM Bnt_AccessEvent WHERE DeviceID = 5",
         WBEM_E_ACCESS_DENIED},
        {"dock user, the dock panel or a device", hwtest::kDockSid,
         L"SELECT * FROM Bnt_AccessEvent WHERE PanelID = 2 OR DeviceID = 5", WBEM_E_ACCESS_DENIED},
        {"dock user, not a device", hwtest::kDockSid, L"SELECT * FROM Bnt_AccessEvent WHERE NOT (DeviceID = 1)",
         WBEM_E_ACCESS_DENIED},
        {"no right to use the provider", hwtest::kNoRightSid, L"SELECT * FROM Bnt_AccessEvent", WBEM_E_ACCESS_DENIED},
        {"not a SELECT", hwtest::kOperatorSid, L"ASSOCIATORS OF {Bnt_Panel.ID=1}", WBEM_E_ACCESS_DENIED},
        {"not a query", hwtest::kOperatorSid, L"SELECT FROM", WBEM_E_ACCESS_DENIED},
    };
    for (const support::EventAccessCase& c : cases)
    {
        const auto sid = SidCodec::FromText(c.caller);
        ASSERT_TRUE(sid) << c.rule;
        // WMI asks on a thread that impersonates the subscribing client.
        const CallerIdentity::Scope caller(CallerIdentity(c.caller, SecurityImpersonation));
        EXPECT_EQ(m_provider.AccessCheck(L"WQL", c.query, static_cast<LONG>(sid->size()), sid->data()), c.expected)
            << c.rule;
    }
}

TEST_F(ProviderTest, AccessCheckRefusesSidsThatAreNotExactlyOneSid)
{
    ASSERT_EQ(m_provider.Initialize(nullptr, 0, nullptr, nullptr, m_namespace.Get(), nullptr, nullptr), S_OK);
    auto sid = SidCodec::FromText(hwtest::kOperatorSid);
    ASSERT_TRUE(sid);
    const LONG length = static_cast<LONG>(sid->size());
    const wchar_t* query = L"SELECT * FROM Bnt_AccessEvent";
    const CallerIdentity::Scope caller(CallerIdentity(hwtest::kOperatorSid, SecurityImpersonation));
    EXPECT_EQ(m_provider.AccessCheck(L"WQL", query, length, sid->data()), S_OK);
    // Shorter than the SID says, longer than the SID, a bad revision.
    EXPECT_EQ(m_provider.AccessCheck(L"WQL", query, length - 4, sid->data()), WBEM_E_ACCESS_DENIED);
    sid->push_back(0);
    EXPECT_EQ(m_provider.AccessCheck(L"WQL", query, length + 1, sid->data()), WBEM_E_ACCESS_DENIED);
    sid->pop_back();
    (*sid)[0] = 2;
    EXPECT_EQ(m_provider.AccessCheck(L"WQL", query, length, sid->data()), WBEM_E_ACCESS_DENIED);
}
