// The registry switches the provider reads once, with its first services: an installation in
// progress, and the trust of a local system caller. Each case runs in a process of its own, so
// the switch is set before the provider's first request.
#include <fstream>
#include <sstream>

#include "inhouse/BntUtility/LogFileWriter.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/registry/Registry.h"
#include "platform/wmi/IWbemQualifierSet.h"
#include "provider/CWmipApp.h"
#include "tests/provider/instance/InstanceProviderTestSupport.h"

namespace instancetest {
namespace {

void SetSwitch(const wchar_t* name, DWORD value)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Brontel\\Ivarune", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

std::string ProviderLog()
{
    brontel::utility::LogFileWriter::Flush();
    std::ifstream file(CStringToUtf8(brontel::utility::CWMIDebugLog::GetLogFileName()));
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

bool HasQualifier(IWbemClassObject* object, const wchar_t* property, const wchar_t* qualifier)
{
    ComPtr<IWbemQualifierSet> qualifiers;
    return SUCCEEDED(object->GetPropertyQualifierSet(property, &qualifiers)) &&
           qualifiers->Get(qualifier, 0, nullptr, nullptr) == WBEM_S_NO_ERROR;
}

// The provider before Initialize, with the switch set first.
class InstallInProgress : public ProviderTest
{
protected:
    void SetUp() override
    {
        SetSwitch(L"InstallInProgress", 1);
        Control() = MapperControl();
        m_services = MakeComObject<NullServices>();
        m_sink = MakeComObject<RecordingSink>();
        CallAs(kOperatorSid);
    }
};

class TrustedLocalSystem : public ProviderTest
{
protected:
    void SetUp() override
    {
        SetSwitch(L"SkipLocalSystemAuthentication", 1);
        ProviderTest::SetUp();
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
    EXPECT_EQ(Control().liveMappers, 0);
}

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
