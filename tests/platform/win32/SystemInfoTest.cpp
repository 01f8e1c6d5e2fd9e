#include "platform/win32/LocalMemory.h"
#include "platform/win32/SystemInfo.h"
#include "platform/win32/Threading.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

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
