// The trust of a local system caller, a registry switch the provider reads once, with its
// first services: it is set before the program's only request, in a program of its own.
#include "tests/provider/instance/InstanceProviderTestSupport.h"

namespace instancetest {
namespace {

class TrustedLocalSystem : public ProviderTest
{
protected:
    void SetUp() override
    {
        SwitchOn(L"SkipLocalSystemAuthentication");
        ProviderTest::SetUp();
    }
};

}  // namespace

TEST_F(TrustedLocalSystem, LocalSystemIsTrustedWithoutAPermissionCheckAndLosesTheValueLists)
{
    // Linked and permitted, Local System would keep the value lists by its own right; trusted
    // through the switch it is marked as a system account and never checked.
    LinkAccount(kLocalSystemSid, 1);
    const std::size_t logged = ProviderLog().size();

    CallAs(kLocalSystemSid);
    Text path(kReaderClass);
    EXPECT_EQ(m_provider.GetObjectAsync(path, 0, nullptr, m_sink.Get()), WBEM_S_NO_ERROR);
    ExpectOneFinalStatus(*m_sink, WBEM_S_NO_ERROR);
    const auto objects = m_sink->Objects();
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_FALSE(HasQualifier(objects[0].Get(), L"Description", L"ValueMap"));
    EXPECT_FALSE(HasQualifier(objects[0].Get(), L"Description", L"Values"));
    EXPECT_EQ(ProviderLog().find("Access denied", logged), std::string::npos);
    EXPECT_EQ(ProviderLog().find("CWmipMapper::GetUser", logged), std::string::npos);
}

}  // namespace instancetest
