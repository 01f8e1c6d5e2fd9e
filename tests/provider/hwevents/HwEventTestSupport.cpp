#include "tests/provider/hwevents/HwEventTestSupport.h"

#include <algorithm>
#include <chrono>

#include "framework/WqlEventFilterFactory.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "hardware/IClslLinkageServer.h"
#include "platform/rpc/RpcEndpointTable.h"
#include "platform/wmi/WbemRepository.h"
#include "platform/wmi/WbemSecurityEventClasses.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipLSConnectThread.h"
#include "tests/support/AppInstallation.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/TemporaryHome.h"
#include "tests/support/TestCallers.h"
#include "tests/support/AwaitLimit.h"

namespace hwtest {
namespace {

class InstallationEnvironment : public support::AppInstallation
{
public:
    InstallationEnvironment() : AppInstallation(support::TestCallers::Sql({kDockSid, kNoRightSid, kWatchSid})) {}

    support::SimulatedLinkageServer& Linkage() const { return *m_linkage; }

protected:
    void Started() override
    {
        m_linkage = std::make_shared<support::SimulatedLinkageServer>();
        ASSERT_EQ(RpcEndpointTable::Instance().RegisterService(L"localhost", kLinkageServerEndpoints, m_linkage),
                  RPC_S_OK);
        StopConnectThreadPasses();
    }

    void Stopping() override { RpcEndpointTable::Instance().Unregister(m_linkage.get()); }

private:
    // The process's connect thread sends every recorded provider again at each pass (when it
    // starts, then every interval), at moments no test controls. Tests count the registrations
    // they cause, so the thread is started and stopped here, before any test: registrations
    // still go out at once from the callers' threads, and no pass can add to a test's count.
    static void StopConnectThreadPasses()
    {
        CWmipLSConnectThread* thread = CWmipApp::GetLSConnectThread();
        ASSERT_NE(thread, nullptr);
        // The polls only bound a hang: the thread ends as soon as it sees the stop.
        thread->SetStopPolling(10, 3000);
        ASSERT_TRUE(thread->Kill(0));
    }

    std::shared_ptr<support::SimulatedLinkageServer> m_linkage;
};

InstallationEnvironment* const kEnvironment =
    static_cast<InstallationEnvironment*>(::testing::AddGlobalTestEnvironment(new InstallationEnvironment));

}  // namespace

support::SimulatedLinkageServer& LinkageServer()
{
    return kEnvironment->Linkage();
}

std::filesystem::path Database()
{
    return kEnvironment->Database();
}

void Exec(const std::string& sql)
{
    support::InstallationDatabase::Execute(Database(), sql);
}

int CountLines(const std::wstring& logFile, const std::string& text)
{
    const std::filesystem::path folder(
        brontel::utility::ConvertCStringToUtf8(brontel::utility::CWMIDebugLog::GetLogFolder()));
    return support::TemporaryHome::CountLines(folder / std::filesystem::path(logFile), text);
}

int CountProviderLogLines(const std::string& text)
{
    return support::TemporaryHome::CountProviderLogLines(text);
}

bool WaitForObjects(support::RecordingSink& sink, std::size_t count)
{
    return sink.WaitForObjects(count, support::kAwaitLimit);
}

ComPtr<WbemServiceNamespace> MakeNamespace()
{
    auto repository = std::make_shared<WbemRepository>(L"TESTHOST", L"root\\Brontel");
    EXPECT_EQ(WbemSecurityEventClasses::AddTo(*repository), WBEM_S_NO_ERROR);
    ComPtr<WbemServiceNamespace> services = WbemServiceNamespace::Create(repository);
    services->Events().SetFilterFactory(std::make_shared<WqlEventFilterFactory>());
    return services;
}

bnt::utility::BntMessageEx Record(LONG eventType, LONG eventSubtype, LONG dataType, LONG panelId, LONG deviceId,
                                  LONG messageType)
{
    using bnt::utility::BntMessage;
    BntMessage message(static_cast<SHORT>(panelId), 0, 7);
    message.Set(BntMessage::MessageType, messageType);
    message.Set(BntMessage::EventType, eventType);
    message.Set(BntMessage::EventSubtype, eventSubtype);
    message.Set(BntMessage::DataType, dataType);
    message.Set(BntMessage::DeviceID, deviceId);
    return bnt::utility::BntMessageEx(message.Record(), CString(), CString(L"COMMHOST"), 0);
}

}  // namespace hwtest
