#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "platform/mfc/ModuleState.h"

namespace {

class TestApp : public CWinApp
{
public:
    explicit TestApp(LPCWSTR name) : CWinApp(name) {}
};

void ThrowInsideSwitch(CWinApp* app)
{
    AFX_MANAGE_STATE(app);
    EXPECT_EQ(AfxGetApp(), app);
    throw std::runtime_error("leaves the call");
}

}  // namespace

TEST(ModuleState, LatestLiveApplicationIsTheProcessDefault)
{
    EXPECT_EQ(AfxGetApp(), nullptr);
    {
        TestApp library(L"library");
        EXPECT_EQ(AfxGetApp(), &library);
        EXPECT_EQ(AfxGetModuleState()->m_pCurrentWinApp, &library);
        EXPECT_STREQ(AfxGetApp()->m_pszAppName, L"library");
        {
            TestApp host(L"host");
            EXPECT_EQ(AfxGetApp(), &host);
        }
        EXPECT_EQ(AfxGetApp(), &library);
        EXPECT_TRUE(library.InitInstance());
        EXPECT_EQ(library.ExitInstance(), 0);
    }
    EXPECT_EQ(AfxGetApp(), nullptr);
}

TEST(ModuleState, SwitchAppliesToTheCallingThreadAndNests)
{
    TestApp library(L"library");
    TestApp host(L"host");
    {
        CModuleStateSwitch outer(&library);
        EXPECT_EQ(AfxGetApp(), &library);
        CWinApp* seenByOtherThread = &library;
        std::thread([&seenByOtherThread] { seenByOtherThread = AfxGetApp(); }).join();
        EXPECT_EQ(seenByOtherThread, &host);
        {
            CModuleStateSwitch none(static_cast<CWinApp*>(nullptr));
            EXPECT_EQ(AfxGetApp(), nullptr);
        }
        EXPECT_EQ(AfxGetApp(), &library);
    }
    EXPECT_EQ(AfxGetApp(), &host);
}

TEST(ModuleState, SwitchRestoresThePreviousStateWhenTheCallThrows)
{
    TestApp library(L"library");
    TestApp host(L"host");
    EXPECT_THROW(ThrowInsideSwitch(&library), std::runtime_error);
    EXPECT_EQ(AfxGetApp(), &host);
    {
        CModuleStateSwitch outer(&host);
        EXPECT_THROW(ThrowInsideSwitch(&library), std::runtime_error);
        EXPECT_EQ(AfxGetApp(), &host);
    }
    AFX_MODULE_STATE saved = *AfxGetModuleState();
    {
        CModuleStateSwitch fromState(&saved);
        EXPECT_EQ(AfxGetApp(), &host);
    }
}
