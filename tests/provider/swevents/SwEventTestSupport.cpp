#include "tests/provider/swevents/SwEventTestSupport.h"

#include <algorithm>

#include "hardware/IClslLinkageServer.h"
#include "framework/WqlEventFilterFactory.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/com/Bstr.h"
#include "platform/com/Variant.h"
#include "platform/rpc/RpcEndpointTable.h"
#include "platform/wmi/WbemRepository.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipSoftwareEventProvider.h"
#include "simulation/SimulatedLinkageServer.h"
#include "tests/support/AppInstallation.h"
#include "tests/support/BstrText.h"
#include "tests/support/TestCallers.h"
#include "tests/support/TemporaryHome.h"
#include "tools/provixa/ProvixaHost.h"
#include "tools/provixa/ProvixaSchemaLoader.h"

namespace swtest {
namespace {

class InstallationEnvironment : public support::AppInstallation
{
public:
    // Watching record changes takes every segment while persons are segmented; these tests are
    // about the events themselves and watch as the demo operator, so persons are not segmented here.
    InstallationEnvironment()
        : AppInstallation(support::TestCallers::Sql({kNoRightSid, kNoViewSid, support::callers::kAdministrator}) +
                          "UPDATE CONFIG_VALUE SET NUMBERVALUE = 0 WHERE CONFIGID IN (1003, 1004, 1005);")
    {
    }

protected:
    // The queries register the provider with the demo linkage server, which answers here.
    void Started() override
    {
        m_linkage = std::make_shared<support::SimulatedLinkageServer>();
        ASSERT_EQ(RpcEndpointTable::Instance().RegisterService(L"localhost", kLinkageServerEndpoints, m_linkage),
                  RPC_S_OK);
    }

    void Stopping() override { RpcEndpointTable::Instance().Unregister(m_linkage.get()); }

private:
    std::shared_ptr<support::SimulatedLinkageServer> m_linkage;
};

InstallationEnvironment* const kEnvironment =
    static_cast<InstallationEnvironment*>(::testing::AddGlobalTestEnvironment(new InstallationEnvironment));

}  // namespace

void ExecuteOnInstallation(const std::string& sql)
{
    support::InstallationDatabase::Execute(kEnvironment->Database(), sql);
}

int CountProviderLogLines(const std::string& text)
{
    return support::TemporaryHome::CountProviderLogLines(text);
}

ComPtr<IWbemClassObject> Embedded(IWbemClassObject* event, const wchar_t* property)
{
    _variant_t value;
    ComPtr<IWbemClassObject> object;
    if (event != nullptr && SUCCEEDED(event->Get(property, 0, &value, nullptr, nullptr)) &&
        static_cast<const VARIANT&>(value).vt == VT_UNKNOWN && static_cast<const VARIANT&>(value).punkVal != nullptr)
    {
        IWbemClassObject* raw = nullptr;
        static_cast<const VARIANT&>(value).punkVal->QueryInterface(IWbemClassObject::kIID,
                                                                   reinterpret_cast<void**>(&raw));
        object.Attach(raw);
    }
    return object;
}

std::string ClassOf(IWbemClassObject* object)
{
    return support::PropertyText(object, L"__CLASS");
}

SoftwareEventTest::SoftwareEventTest()
    : m_instanceShell(ProvixaProviderShell::Create()), m_shell(ProvixaSoftwareEventProviderShell::Create()),
      m_caller(std::make_unique<CallerIdentity::Scope>(CallerIdentity(kOperatorSid, SecurityImpersonation)))
{
    auto repository = std::make_shared<WbemRepository>(L"TESTHOST", ProvixaHost::kNamespace);
    std::wstring failedClass;
    EXPECT_EQ(ProvixaSchemaLoader::Load(*repository, &failedClass), WBEM_S_NO_ERROR);
    m_namespace = WbemServiceNamespace::Create(repository);
    m_namespace->Events().SetFilterFactory(std::make_shared<WqlEventFilterFactory>());
    EXPECT_EQ(m_namespace->RegisterProvider(ProvixaSchemaLoader::kProviderName,
                                            static_cast<IWbemServices*>(m_instanceShell.Get()), L"NT AUTHORITY\\SYSTEM",
                                            L"MS_409", nullptr),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(m_namespace->RegisterEventProvider(
                  ProvixaSoftwareEventProviderShell::kProviderId, static_cast<IWbemProviderInit*>(m_shell.Get()),
                  ProvixaSoftwareEventProviderShell::kEventClass, L"NT AUTHORITY\\SYSTEM", L"MS_409", nullptr),
              WBEM_S_NO_ERROR);
}

SoftwareEventTest::~SoftwareEventTest()
{
    // The providers hold the namespace and the namespace the providers.
    m_namespace->ReleaseProviders();
}

ComPtr<support::RecordingSink> SoftwareEventTest::Subscribe(const wchar_t* query, HRESULT* result)
{
    const ComPtr<support::RecordingSink> sink = support::RecordingSink::Create();
    const HRESULT hr = m_namespace->ExecNotificationQueryAsync(support::BstrText(L"WQL"), support::BstrText(query), 0,
                                                               nullptr, sink.Get());
    if (result != nullptr)
    {
        *result = hr;
    }
    return SUCCEEDED(hr) ? sink : ComPtr<support::RecordingSink>();
}

void SoftwareEventTest::HandIn(SHORT eventType, SHORT transactionType, LONG flags, const std::wstring& text)
{
    EXPECT_EQ(m_shell->Provider().ReceiveSoftwareEvent(1, eventType, transactionType, flags, text.c_str()), S_OK);
}

}  // namespace swtest
