// An installation in progress, a registry switch the provider reads once, with its first
// services: it is set before the program's only request, in a program of its own.
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "provider/CWmipApp.h"
#include "tests/provider/instance/InstanceProviderTestSupport.h"

namespace instancetest {
namespace {

// The provider before Initialize, with the switch set first.
class InstallInProgress : public ProviderTest
{
protected:
    void SetUp() override
    {
        SwitchOn(L"InstallInProgress");
        ResetTestMappers();
        m_services = MakeComObject<NullServices>();
        m_sink = MakeComObject<RecordingSink>();
        CallAs(kOperatorSid);
    }
};

}  // namespace

TEST_F(InstallInProgress, InitializeSucceedsAndClassPathsAreNotFoundWithoutTheDatabase)
{
    // Without an attached database there are no user-defined lists, yet the provider loads, so
    // that class paths get the answer of an installation in progress.
    auto initSink = MakeComObject<RecordingInitSink>();
    EXPECT_EQ(m_provider.Initialize(nullptr, 0, nullptr, nullptr, m_services.Get(), nullptr, initSink.Get()),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(initSink->statuses, (std::vector<LONG>{WBEM_S_INITIALIZED}));
    EXPECT_EQ(ProviderLog().find("Instance provider initialization failed."), std::string::npos);

    const int lent = CWmipApp::GetConnectionManager()->GetLentCount();
    Text path(kReaderClass);
    EXPECT_EQ(m_provider.GetObjectAsync(path, 0, nullptr, m_sink.Get()), WBEM_E_NOT_FOUND);
    const StatusCall status = ExpectOneFinalStatus(*m_sink, WBEM_E_NOT_FOUND);
    EXPECT_EQ(status.statusObject, nullptr) << "an early answer carries no status object";
    EXPECT_TRUE(m_sink->Objects().empty());
    EXPECT_EQ(CWmipApp::GetConnectionManager()->GetLentCount(), lent) << "no connection was taken";
    EXPECT_EQ(Lives().Alive(), 0);
}

}  // namespace instancetest
