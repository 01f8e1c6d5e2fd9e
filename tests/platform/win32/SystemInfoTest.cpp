#include "platform/win32/LocalMemory.h"
#include "platform/win32/SystemInfo.h"
#include "platform/win32/Threading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

TEST(TickCount, AdvancesMonotonicallyWithSleep)
{
    const ULONGLONG start64 = GetTickCount64();
    const DWORD start = GetTickCount();
    ULONGLONG previous = start64;
    for (int index = 0; index < 1000; ++index)
    {
        const ULONGLONG now = GetTickCount64();
        ASSERT_GE(now, previous);
        previous = now;
    }
    Sleep(30);
    // Unsigned subtraction measures the span even across the 32-bit wrap.
    EXPECT_GE(static_cast<DWORD>(GetTickCount() - start), 30u);
    EXPECT_GE(GetTickCount64() - start64, 30u);
    // Both read one clock: the 32-bit count is the low half of the 64-bit one.
    const DWORD narrow = GetTickCount();
    const auto wide = static_cast<DWORD>(GetTickCount64());
    EXPECT_LE(wide - narrow, 1u);
}

TEST(ComputerName, FollowsTheBufferSizeProtocol)
{
    wchar_t tiny[1] = {L'x'};
    DWORD size = 1;
    char host[256] = {};
    ASSERT_EQ(::gethostname(host, sizeof(host) - 1), 0);
    std::string expected(host);
    expected = expected.substr(0, expected.find('.')).substr(0, MAX_COMPUTERNAME_LENGTH);

    if (!expected.empty())
    {
        EXPECT_FALSE(GetComputerNameW(tiny, &size));
        EXPECT_EQ(GetLastError(), ERROR_BUFFER_OVERFLOW);
        EXPECT_EQ(size, expected.size() + 1);
    }
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    size = MAX_COMPUTERNAME_LENGTH + 1;
    ASSERT_TRUE(GetComputerNameW(name, &size));
    EXPECT_EQ(size, expected.size());
    EXPECT_EQ(std::wstring(name), std::wstring(expected.begin(), expected.end()));
    EXPECT_FALSE(GetComputerNameW(nullptr, &size));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(LastError, IsKeptPerThread)
{
    SetLastError(ERROR_ACCESS_DENIED);
    DWORD seenByOther = 1;
    std::thread other([&] {
        seenByOther = GetLastError();
        SetLastError(ERROR_INVALID_HANDLE);
    });
    other.join();
    EXPECT_EQ(seenByOther, ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(Ids, ThreadIdsDifferAndProcessIdIsOurs)
{
    const DWORD self = GetCurrentThreadId();
    DWORD other = self;
    std::thread thread([&] { other = GetCurrentThreadId(); });
    thread.join();
    EXPECT_NE(self, 0u);
    EXPECT_NE(other, self);
    EXPECT_EQ(GetCurrentThreadId(), self);
    EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(::getpid()));
}

TEST(LocalMemory, FreesOnlyItsOwnLiveBlocks)
{
    HLOCAL block = LocalAlloc(LPTR, 16);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(static_cast<unsigned char*>(block)[15], 0);
    EXPECT_EQ(LocalFree(block), nullptr);
    EXPECT_EQ(LocalFree(block), block);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    int onTheStack = 0;
    EXPECT_EQ(LocalFree(&onTheStack), &onTheStack);
    EXPECT_EQ(LocalFree(nullptr), nullptr);
    EXPECT_EQ(LocalAlloc(0x0002, 8), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// A block's address is never handed out again: after alloc, free, alloc of every size, a stale
// LocalFree of the first block fails as Win32's does (the handle back, ERROR_INVALID_HANDLE)
// and leaves the live block whole; no block overlaps one handed out before. The pages of a freed
// block go back to the system.
TEST(LocalMemory, AStaleFreeNeverReachesABlockHandedOutLater)
{
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    std::vector<std::pair<std::uintptr_t, std::uintptr_t>> handedOut;  // every block: first byte, end
    const auto take = [&](std::size_t bytes) {
        auto* const block = static_cast<unsigned char*>(LocalAlloc(LMEM_FIXED, bytes));
        const auto first = reinterpret_cast<std::uintptr_t>(block);
        for (const auto& [earlier, end] : handedOut)
            EXPECT_TRUE(first + std::max<std::size_t>(bytes, 1) <= earlier || first >= end)
                << bytes << " bytes at " << first << " overlap a block handed out before at " << earlier;
        handedOut.emplace_back(first, first + std::max<std::size_t>(bytes, 1));
        return block;
    };
    for (const std::size_t bytes : {std::size_t{0}, std::size_t{1}, std::size_t{16}, std::size_t{17}, page - 1, page,
                                    page + 1, 3 * page, std::size_t{65} << 20})
    {
        unsigned char* const first = take(bytes);
        ASSERT_NE(first, nullptr) << bytes;
        first[0] = 0xA1;
        first[std::max<std::size_t>(bytes, 1) - 1] = 0xA2;
        ASSERT_EQ(LocalFree(first), nullptr) << bytes;
        unsigned char* const second = take(bytes);
        ASSERT_NE(second, nullptr) << bytes;
        EXPECT_EQ(second[0], 0) << bytes;
        EXPECT_EQ(second[std::max<std::size_t>(bytes, 1) - 1], 0) << bytes;
        second[0] = 0xB1;
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(LocalFree(first), first) << bytes;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE) << bytes;
        EXPECT_EQ(second[0], 0xB1) << bytes << ": the live block is untouched";
        EXPECT_EQ(LocalFree(second), nullptr) << bytes << ": the live block was still live";
        EXPECT_EQ(LocalFree(second), second) << bytes;
    }

    // A freed block's whole pages hold no memory any more; a live one's do.
    auto* const block = static_cast<unsigned char*>(LocalAlloc(LPTR, 4 * page));
    ASSERT_NE(block, nullptr);
    std::memset(block, 0x5A, 4 * page);
    void* const inside = reinterpret_cast<void*>((reinterpret_cast<std::uintptr_t>(block) + page) / page * page);
    const auto resident = [&] {
        unsigned char pages[2] = {};
        EXPECT_EQ(mincore(inside, 2 * page, pages), 0) << std::strerror(errno);
        return (pages[0] & 1) + (pages[1] & 1);
    };
    EXPECT_EQ(resident(), 2);
    ASSERT_EQ(LocalFree(block), nullptr);
    EXPECT_EQ(resident(), 0);
}
