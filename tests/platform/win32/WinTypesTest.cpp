#include "platform/win32/WinTypes.h"

#include <gtest/gtest.h>

TEST(WinTypes, KeepWindowsWidths)
{
    static_assert(sizeof(LONG) == 4 && sizeof(DWORD) == 4 && sizeof(INT) == 4);
    static_assert(sizeof(LONGLONG) == 8 && sizeof(HRESULT) == 4);
    EXPECT_EQ(static_cast<std::uint32_t>(E_FAIL), 0x80004005u);
}

TEST(WinTypes, Win32ErrorsBecomeFailureHresults)
{
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_SUCCESS), S_OK);
    EXPECT_EQ(static_cast<std::uint32_t>(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)), 0x80070005u);
    EXPECT_TRUE(FAILED(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)));
}
