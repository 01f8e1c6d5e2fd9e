#include "hardware/CWimpHardwareStatusCache.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

TEST(HardwareStatusCache, ValuesNeverWrittenReadZero)
{
    CWimpHardwareStatusCache cache;
    EXPECT_EQ(cache.GetPanelStatus(1), 0);
    EXPECT_EQ(cache.GetReaderStatus(1, 2), 0);
    EXPECT_EQ(cache.GetReaderMode(1, 2), 0);
    EXPECT_EQ(cache.GetDeviceStatus(1, 3), 0);
    EXPECT_EQ(cache.GetInputStatus(1, 3, 4), 0);
    EXPECT_EQ(cache.GetOutputStatus(-1, -3, -4), 0);
}

TEST(HardwareStatusCache, EachSetterIsReadBackOnlyThroughItsOwnKey)
{
    CWimpHardwareStatusCache cache;
    cache.SetPanelStatus(7, 11);
    cache.SetReaderStatus(7, 1, 12);
    cache.SetReaderMode(7, 2, 13);
    cache.SetDeviceStatus(7, 1, 14);
    cache.SetInputStatus(7, 1, 17, 15);
    cache.SetOutputStatus(7, 4, 20001, 16);

    EXPECT_EQ(cache.GetPanelStatus(7), 11);
    EXPECT_EQ(cache.GetPanelStatus(8), 0);
    EXPECT_EQ(cache.GetReaderStatus(7, 1), 12);
    EXPECT_EQ(cache.GetReaderMode(7, 1), 0) << "status and mode of one reader are apart";
    EXPECT_EQ(cache.GetReaderMode(7, 2), 13);
    EXPECT_EQ(cache.GetReaderStatus(7, 2), 0) << "writing a mode leaves the status at 0";
    EXPECT_EQ(cache.GetDeviceStatus(7, 1), 14);
    EXPECT_EQ(cache.GetInputStatus(7, 1, 17), 15);
    EXPECT_EQ(cache.GetInputStatus(7, 1, 18), 0);
    EXPECT_EQ(cache.GetDeviceStatus(7, 4), 0) << "a sub-item leaves its device's status alone";
    EXPECT_EQ(cache.GetOutputStatus(8, 4, 20001), 0) << "panels are apart";
}

TEST(HardwareStatusCache, InputAndOutputAccessorsShareOneSubItemMap)
{
    CWimpHardwareStatusCache cache;
    cache.SetOutputStatus(3, 4, 9, 77);
    EXPECT_EQ(cache.GetInputStatus(3, 4, 9), 77);
    cache.SetInputStatus(3, 4, 9, -5);
    EXPECT_EQ(cache.GetOutputStatus(3, 4, 9), -5);
}

// Asks, inside every walk of the maps, whether another thread could take the lock then.
class WatchedStatusCache : public CWimpHardwareStatusCache
{
public:
    int walks = 0;
    int unguarded = 0;

protected:
    void Walking() override
    {
        bool free = false;
        std::thread([this, &free] { free = IsLockFree(); }).join();
        ++walks;
        unguarded += free ? 1 : 0;
    }
};

TEST(HardwareStatusCache, EveryOperationWalksTheMapsUnderTheLock)
{
    WatchedStatusCache cache;
    const std::function<void()> operations[] = {
        [&] { cache.GetPanelStatus(1); },          [&] { cache.GetReaderStatus(1, 2); },
        [&] { cache.GetReaderMode(1, 2); },        [&] { cache.GetDeviceStatus(1, 3); },
        [&] { cache.GetInputStatus(1, 3, 4); },    [&] { cache.GetOutputStatus(1, 3, 4); },
        [&] { cache.SetPanelStatus(1, 5); },       [&] { cache.SetReaderStatus(1, 2, 6); },
        [&] { cache.SetReaderMode(1, 2, 7); },     [&] { cache.SetDeviceStatus(1, 3, 8); },
        [&] { cache.SetInputStatus(1, 3, 4, 9); }, [&] { cache.SetOutputStatus(1, 3, 5, 10); },
    };
    for (std::size_t i = 0; i < std::size(operations); ++i)
    {
        const int before = cache.unguarded;
        operations[i]();
        EXPECT_EQ(cache.unguarded, before) << "operation " << i << " walks the maps without the lock";
    }
    EXPECT_EQ(cache.walks, static_cast<int>(std::size(operations)));
}

TEST(HardwareStatusCache, ConcurrentReadersAndWritersSeeEveryWrite)
{
    CWimpHardwareStatusCache cache;
    constexpr int kWriters = 4;
    constexpr int kReaders = 4;
    constexpr int kKeys = 300;
    std::atomic<bool> writing{true};
    std::atomic<long> reads{0};
    std::vector<std::thread> threads;
    for (int w = 0; w < kWriters; ++w)
    {
        threads.emplace_back([&cache, w] {
            // Each writer creates fresh records on its own panel, so the maps grow while read.
            for (int k = 0; k < kKeys; ++k)
            {
                cache.SetPanelStatus(w, k);
                cache.SetReaderStatus(w, k, k + 1);
                cache.SetReaderMode(w, k, k + 2);
                cache.SetDeviceStatus(w, k, k + 3);
                cache.SetOutputStatus(w, k % 5, k, k + 4);
            }
        });
    }
    for (int r = 0; r < kReaders; ++r)
    {
        threads.emplace_back([&cache, &writing, &reads, r] {
            // Readers also create records (reads insert), on panels the writers never touch.
            // Each reader makes at least one pass, even when the writers finish first.
            do
            {
                for (int k = 0; k < 50; ++k)
                {
                    const int status = cache.GetReaderStatus(k % kWriters, k);
                    EXPECT_TRUE(status == 0 || status == k + 1);
                    cache.GetInputStatus(100 + r, k, k);
                    ++reads;
                }
            } while (writing.load());
        });
    }
    for (int w = 0; w < kWriters; ++w)
    {
        threads[w].join();
    }
    writing = false;
    for (int r = 0; r < kReaders; ++r)
    {
        threads[kWriters + r].join();
    }
    for (int w = 0; w < kWriters; ++w)
    {
        EXPECT_EQ(cache.GetPanelStatus(w), kKeys - 1);
        for (int k = 0; k < kKeys; ++k)
        {
            ASSERT_EQ(cache.GetReaderStatus(w, k), k + 1);
            ASSERT_EQ(cache.GetReaderMode(w, k), k + 2);
            ASSERT_EQ(cache.GetDeviceStatus(w, k), k + 3);
            ASSERT_EQ(cache.GetInputStatus(w, k % 5, k), k + 4);
        }
    }
    EXPECT_GT(reads.load(), 0);
}
