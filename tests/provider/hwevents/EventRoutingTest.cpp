// Subscriptions end to end: the WMI service stand-in's event routing with the real hardware
// event provider behind its shell, the query bookkeeping, and the linkage-server connect
// thread against a simulated linkage server.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <future>
#include <memory>
#include <sstream>
#include <string>
#include <vector>
#include <thread>

#include "hardware/IClslLinkageServer.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "platform/com/Bstr.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/ModuleState.h"
#include "platform/rpc/RpcEndpointTable.h"
#include "platform/security/CallerIdentity.h"
#include "platform/wmi/WbemErrorInfo.h"
#include "provider/CAlarmKey.h"
#include "provider/CEventAlarmLinkCache.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipEventProviderImpl.h"
#include "provider/CWmipHardwareEventProvider.h"
#include "provider/CWmipLSConnectThread.h"
#include "provider/CWmipPooledConnection.h"
#include "provider/IWmipEventProviderInfo.h"
#include "simulation/SimulatedLinkageServer.h"
#include "tests/provider/hwevents/HwEventTestSupport.h"
#include "tests/support/PropertyText.h"
#include "tests/support/BstrText.h"
#include "tests/support/RecordingSink.h"
#include "framework/WqlEventFilterFactory.h"
#include "tools/provixa/ProvixaCommandLine.h"
#include "tools/provixa/ProvixaEventProviderShell.h"
#include "tools/provixa/ProvixaEvents.h"
#include "tools/provixa/ProvixaHost.h"
#include "tests/support/EventQueryCase.h"

using bnt::utility::BntMessage;

namespace {

constexpr LONG kHardwareProcedure = static_cast<LONG>(ClslProcedure::RegisterHardwareEventProvider);
constexpr LONG kSoftwareProcedure = static_cast<LONG>(ClslProcedure::RegisterSoftwareEventProvider);

// What one registration call carried.
struct Registration
{
    LONG procedure;
    BYTE flag;
    std::wstring providerId;
    std::wstring computerName;
};

std::wstring TextAt(const std::vector<BYTE>& block, std::size_t offset, std::size_t bytes)
{
    std::wstring text;
    for (std::size_t i = offset; i + 1 < offset + bytes && i + 1 < block.size(); i += 2)
    {
        const auto unit = static_cast<wchar_t>(block[i] | (block[i + 1] << 8));
        if (unit == 0)
        {
            break;
        }
        text.push_back(unit);
    }
    return text;
}

// The registration calls of the program's simulated linkage server, by provider.
class LinkageServer
{
public:
    // The registration calls naming the provider, in order.
    std::vector<Registration> RegistrationsOf(const std::wstring& providerId) const
    {
        std::vector<Registration> result;
        for (const auto& call : hwtest::LinkageServer().Calls())
        {
            if (call.procedure != kHardwareProcedure && call.procedure != kSoftwareProcedure)
            {
                continue;
            }
            DWORD idBytes = 0;
            DWORD nameBytes = 0;
            std::memcpy(&idBytes, call.block.data() + 4, 4);
            std::memcpy(&nameBytes, call.block.data() + 8, 4);
            Registration registration{call.procedure, call.block[0], TextAt(call.block, 12, idBytes),
                                      TextAt(call.block, 12 + idBytes, nameBytes)};
            if (registration.providerId == providerId)
            {
                result.push_back(registration);
            }
        }
        return result;
    }
};

class FakeProvider : public IWmipEventProviderInfo
{
public:
    FakeProvider(const wchar_t* id, EventProviderType type) : m_id(id), m_type(type) {}
    CString GetEventProviderID() override { return m_id; }
    EventProviderType GetEventProviderType() override { return m_type; }

private:
    CString m_id;
    EventProviderType m_type;
};

// A subscription's WQL texts as BSTRs.
class Query
{
public:
    explicit Query(const wchar_t* text, const wchar_t* language = L"WQL") : m_language(language), m_text(text) {}
    HRESULT Subscribe(WbemServiceNamespace& services, IWbemObjectSink* sink) const
    {
        return services.ExecNotificationQueryAsync(m_language, m_text, 0, nullptr, sink);
    }

private:
    support::BstrText m_language;
    support::BstrText m_text;
};

// The namespace with the host's hardware event provider loaded, and the operator calling.
class RoutingTest : public ::testing::Test
{
protected:
    RoutingTest()
        : m_namespace(hwtest::MakeNamespace()), m_shell(ProvixaEventProviderShell::Create()),
          m_caller(CallerIdentity(hwtest::kOperatorSid, SecurityImpersonation))
    {
        EXPECT_EQ(m_namespace->RegisterEventProvider(ProvixaEventProviderShell::kProviderId,
                                                     static_cast<IWbemProviderInit*>(m_shell.Get()),
                                                     L"Bnt_SecurityEvent", nullptr, nullptr, nullptr),
                  WBEM_S_NO_ERROR);
    }
    ~RoutingTest() override { m_namespace->ReleaseProviders(); }

    // The record with its text, as the communication server hands one in.
    HRESULT HandIn(const BntMessage& message, LONG alarmId = 0)
    {
        return m_shell->Provider().ReceiveHardwareEvent(BntMessage::kRecordSize, message.Record().data(),
                                                        message.GetText().GetString(), L"", alarmId);
    }

    // Subscribes each watch of the table to access events, hands in the events, and checks that
    // each watch is refused with the query road's code and sentence, or delivered the events
    // whose property's values the table gives (each as `label` names it).
    void ExpectWatchTable(const std::vector<std::pair<support::EventWatchCase, std::wstring>>& table,
                          const std::vector<BntMessage>& events, const wchar_t* property,
                          const std::function<std::string(const std::string&)>& label = {});

    LinkageServer m_linkage;
    ComPtr<WbemServiceNamespace> m_namespace;
    ComPtr<ProvixaEventProviderShell> m_shell;
    CallerIdentity::Scope m_caller;
};

// Holds every event at the watches' filters (on the provider's thread) until the test opens it.
class HeldFilterFactory final : public WbemEventFilterFactory
{
public:
    HRESULT CreateFilter(std::wstring_view query, IWbemClassObject* eventClass, Filter* filter,
                         std::wstring* error) const override
    {
        Filter inner;
        const HRESULT hr = m_wql.CreateFilter(query, eventClass, &inner, error);
        if (SUCCEEDED(hr))
            *filter = [inner, opened = m_opened](IWbemClassObject* event) {
                opened.wait();
                return inner(event);
            };
        return hr;
    }
    void Open() { m_open.set_value(); }

private:
    WqlEventFilterFactory m_wql;
    std::promise<void> m_open;
    const std::shared_future<void> m_opened = m_open.get_future().share();
};

// A command line of the host.
ProvixaCommandLine Line(const std::vector<std::string>& args)
{
    ProvixaCommandLine line;
    std::string error;
    EXPECT_TRUE(ProvixaCommandLine::Parse(args, &line, &error)) << error;
    return line;
}

}  // namespace

TEST_F(RoutingTest, TwoQueriesRegisterOnceAndTheLastCancelUnregisters)
{
    const std::wstring id = ProvixaEventProviderShell::kProviderId;
    const std::size_t before = m_linkage.RegistrationsOf(id).size();
    const ComPtr<support::RecordingSink> first = support::RecordingSink::Create();
    const ComPtr<support::RecordingSink> second = support::RecordingSink::Create();
    ASSERT_EQ(Query(L"SELECT * FROM Bnt_AccessEvent").Subscribe(*m_namespace, first.Get()), WBEM_S_NO_ERROR);
    ASSERT_EQ(Query(L"SELECT * FROM Bnt_FireEvent").Subscribe(*m_namespace, second.Get()), WBEM_S_NO_ERROR);
    auto calls = m_linkage.RegistrationsOf(id);
    ASSERT_EQ(calls.size(), before + 1);
    EXPECT_EQ(calls[before].procedure, kHardwareProcedure);
    EXPECT_EQ(calls[before].flag, 1);
    EXPECT_FALSE(calls[before].computerName.empty());

    EXPECT_EQ(m_namespace->CancelAsyncCall(first.Get()), WBEM_S_NO_ERROR);
    EXPECT_EQ(m_linkage.RegistrationsOf(id).size(), before + 1);
    ASSERT_TRUE(first->WaitForFinalStatus(std::chrono::milliseconds(0)));
    EXPECT_EQ(first->Statuses().back().result, WBEM_E_CALL_CANCELLED);

    EXPECT_EQ(m_namespace->CancelAsyncCall(second.Get()), WBEM_S_NO_ERROR);
    calls = m_linkage.RegistrationsOf(id);
    ASSERT_EQ(calls.size(), before + 2);
    EXPECT_EQ(calls[before + 1].flag, 0);
    EXPECT_EQ(m_namespace->CancelAsyncCall(second.Get()), WBEM_E_NOT_FOUND);
    EXPECT_EQ(m_namespace->CancelAsyncCall(nullptr), WBEM_E_INVALID_PARAMETER);
}

TEST_F(RoutingTest, EventsReachTheSubscriptionsOfTheirClassAndItsSuperclasses)
{
    const ComPtr<support::RecordingSink> fire = support::RecordingSink::Create();
    const ComPtr<support::RecordingSink> access = support::RecordingSink::Create();
    const ComPtr<support::RecordingSink> any = support::RecordingSink::Create();
    ASSERT_EQ(Query(L"SELECT * FROM Bnt_FireEvent").Subscribe(*m_namespace, fire.Get()), WBEM_S_NO_ERROR);
    ASSERT_EQ(Query(L"SELECT * FROM Bnt_AccessEvent").Subscribe(*m_namespace, access.Get()), WBEM_S_NO_ERROR);
    ASSERT_EQ(Query(L"SELECT * FROM Bnt_SecurityEvent").Subscribe(*m_namespace, any.Get()), WBEM_S_NO_ERROR);
    ASSERT_EQ(HandIn(hwtest::Record(7, 1)), S_OK);
    ASSERT_EQ(HandIn(hwtest::Record(0, 0, 1)), S_OK);
    ASSERT_TRUE(hwtest::WaitForObjects(*any, 2));
    ASSERT_TRUE(hwtest::WaitForObjects(*fire, 1));
    ASSERT_TRUE(hwtest::WaitForObjects(*access, 1));
    EXPECT_EQ(fire->Objects().size(), 1u);
    EXPECT_EQ(access->Objects().size(), 1u);
    for (const auto& sink : {fire, access, any})
    {
        EXPECT_EQ(m_namespace->CancelAsyncCall(sink.Get()), WBEM_S_NO_ERROR);
    }
}

// With every pooled connection lent (and none waited for), a watcher whose entry is cached still
// receives the events it may see: the audience serves the cached entry and resolves no account,
// so nothing is logged for it.
TEST_F(RoutingTest, AnExhaustedPoolStillDeliversToACachedWatcher)
{
    const ComPtr<support::RecordingSink> sink = support::RecordingSink::Create();
    ASSERT_EQ(Query(L"SELECT * FROM Bnt_SecurityEvent").Subscribe(*m_namespace, sink.Get()), WBEM_S_NO_ERROR);
    const CModuleStateSwitch provider(&theApp);
    DBConnectionManager* manager = CWmipApp::GetConnectionManager();
    ASSERT_NE(manager, nullptr);
    const int timeout = manager->GetConnectionTimeout();
    manager->SetConnectionTimeout(0);
    std::vector<CAcsUser*> lent;
    for (CAcsUser* connection = manager->Connection(0); connection != nullptr; connection = manager->Connection(0))
        lent.push_back(connection);
    const std::string notLinked = "is not linked to an Ivarune user";
    const int before = hwtest::CountProviderLogLines(notLinked);
    ASSERT_EQ(HandIn(hwtest::Record(7, 1)), S_OK);
    EXPECT_TRUE(hwtest::WaitForObjects(*sink, 1));
    EXPECT_EQ(hwtest::CountProviderLogLines(notLinked), before);
    for (CAcsUser* connection : lent)
        manager->ReleaseConnection(connection);
    manager->SetConnectionTimeout(timeout);
    EXPECT_EQ(m_namespace->CancelAsyncCall(sink.Get()), WBEM_S_NO_ERROR);
}

TEST_F(RoutingTest, RefusedSubscriptionsReportNothingToTheirSink)
{
    struct RefusalCase
    {
        const char* rule;
        const wchar_t* query;
        const wchar_t* language;
        HRESULT expected;
        // What the refusal's status object says (the caller's error information).
        const char* reason;
    };
    const RefusalCase cases[] = {
        {"not WQL", L"SELECT * FROM Bnt_AccessEvent", L"SQL", WBEM_E_INVALID_QUERY_TYPE, nullptr},
        {"malformed", L"SELECT * FROM", L"WQL", WBEM_E_INVALID_QUERY, "unexpected end of text at offset 13"},
        {"unknown class", L"SELECT * FROM Bnt_NoSuchEvent", L"WQL", WBEM_E_INVALID_CLASS,
         "There is no class Bnt_NoSuchEvent."},
        {"not an event class", L"SELECT * FROM Bnt_Alarm", L"WQL", WBEM_E_NOT_EVENT_CLASS,
         "Class Bnt_Alarm is not an event class."},
        {"an event no provider serves", L"SELECT * FROM __InstanceCreationEvent", L"WQL", WBEM_E_PROVIDER_NOT_FOUND,
         "No provider sends __InstanceCreationEvent events."},
        {"unknown property", L"SELECT * FROM Bnt_AccessEvent WHERE NoSuchProperty = 2", L"WQL", WBEM_E_INVALID_QUERY,
         "names NoSuchProperty, which is not a property of the event class"},
    };
    for (const RefusalCase& c : cases)
    {
        const ComPtr<support::RecordingSink> sink = support::RecordingSink::Create();
        EXPECT_EQ(Query(c.query, c.language).Subscribe(*m_namespace, sink.Get()), c.expected) << c.rule;
        EXPECT_TRUE(sink->Statuses().empty()) << c.rule;
        const ComPtr<IWbemClassObject> why = WbemErrorInfo::Take();
        if (c.reason == nullptr)
            continue;
        ASSERT_TRUE(why) << c.rule;
        EXPECT_NE(support::PropertyText(why.Get(), L"Description").find(c.reason), std::string::npos)
            << support::PropertyText(why.Get(), L"Description");
    }
    // The provider's own refusal: the dock user may not see the lobby panel.
    const CallerIdentity::Scope dock(CallerIdentity(hwtest::kDockSid, SecurityImpersonation));
    const ComPtr<support::RecordingSink> sink = support::RecordingSink::Create();
    EXPECT_EQ(Query(L"SELECT * FROM Bnt_AccessEvent").Subscribe(*m_namespace, sink.Get()), WBEM_E_ACCESS_DENIED);
    EXPECT_EQ(m_namespace->Events().GetSubscriptionCount(), 0u);
    EXPECT_EQ(Query(L"SELECT * FROM Bnt_AccessEvent WHERE PanelID = 2").Subscribe(*m_namespace, sink.Get()),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(m_namespace->Events().GetSubscriptionCount(), 1u);
    // A check that fails for another reason than access says why.
    const hwtest::DatabaseChange away("ALTER TABLE ACCESSPANE RENAME TO ACCESSPANE_AWAY;",
                                      "ALTER TABLE ACCESSPANE_AWAY RENAME TO ACCESSPANE;");
    EXPECT_EQ(Query(L"SELECT * FROM Bnt_AccessEvent WHERE PanelID = 2").Subscribe(*m_namespace, sink.Get()),
              WBEM_E_FAILED);
    const std::string why = support::PropertyText(WbemErrorInfo::Take().Get(), L"Description");
    EXPECT_NE(why.find("Error processing hardware event query: "), std::string::npos) << why;
    EXPECT_NE(why.find("ACCESSPANE"), std::string::npos) << why;
    EXPECT_EQ(m_namespace->Events().GetSubscriptionCount(), 1u);
}

TEST(EventProviderImpl, QueriesDriveTheRegistration)
{
    LinkageServer linkage;
    FakeProvider owner(L"ImplTestProvider", IWmipEventProviderInfo::SoftwareEventProvider);
    CWmipEventProviderImpl queries(&owner, L"ImplTestProvider");
    const auto count = [&linkage] { return linkage.RegistrationsOf(L"ImplTestProvider").size(); };

    EXPECT_EQ(queries.NewQuery(1, L"WQL", L"SELECT * FROM A"), S_OK);
    EXPECT_EQ(queries.NewQuery(2, L"WQL", L"SELECT * FROM B"), S_OK);
    EXPECT_EQ(queries.NewQuery(2, L"WQL", L"SELECT * FROM C"), S_OK);
    EXPECT_EQ(queries.GetQueryCount(), 2u);
    EXPECT_EQ(count(), 1u);
    EXPECT_EQ(linkage.RegistrationsOf(L"ImplTestProvider")[0].procedure, kSoftwareProcedure);

    EXPECT_EQ(queries.CancelQuery(99), S_OK);
    EXPECT_EQ(queries.CancelQuery(1), S_OK);
    EXPECT_EQ(count(), 1u);
    EXPECT_EQ(queries.CancelQuery(2), S_OK);
    EXPECT_EQ(count(), 2u);
    EXPECT_EQ(linkage.RegistrationsOf(L"ImplTestProvider")[1].flag, 0);
    // With no query left, another cancellation asks again; the thread holds nothing to send.
    EXPECT_EQ(queries.CancelQuery(2), S_OK);
    EXPECT_EQ(count(), 2u);
}

TEST(LSConnectThread, RegistersEachProviderOnceAndUnregistersAllWhenStopped)
{
    LinkageServer linkage;
    FakeProvider hardware(L"B-hardware", IWmipEventProviderInfo::HardwareEventProvider);
    FakeProvider software(L"A-software", IWmipEventProviderInfo::SoftwareEventProvider);
    CWmipLSConnectThread thread;
    thread.SetStopPolling(10, 500);
    thread.Register(&hardware);
    thread.Register(&hardware);
    thread.Register(&software);
    thread.Unregister(nullptr);
    FakeProvider stranger(L"C-never", IWmipEventProviderInfo::HardwareEventProvider);
    thread.Unregister(&stranger);
    EXPECT_EQ(linkage.RegistrationsOf(L"B-hardware").size(), 1u);
    EXPECT_EQ(linkage.RegistrationsOf(L"A-software").size(), 1u);
    EXPECT_TRUE(linkage.RegistrationsOf(L"C-never").empty());

    // A pass registers both again; the stop unregisters both and keeps them recorded.
    ASSERT_TRUE(thread.Start());
    EXPECT_TRUE(thread.Kill(0));
    for (const wchar_t* id : {L"A-software", L"B-hardware"})
    {
        const auto calls = linkage.RegistrationsOf(id);
        ASSERT_EQ(calls.size(), 3u) << id;
        EXPECT_EQ(calls[1].flag, 1) << id;
        EXPECT_EQ(calls[2].flag, 0) << id;
    }
    EXPECT_EQ(linkage.RegistrationsOf(L"A-software")[0].procedure, kSoftwareProcedure);
    EXPECT_EQ(linkage.RegistrationsOf(L"B-hardware")[0].procedure, kHardwareProcedure);
    EXPECT_EQ(thread.GetRegistrationCount(), 2u);

    CString upper = thread.GetComputerName();
    upper.MakeUpper();
    EXPECT_EQ(thread.GetComputerName(), upper);
    EXPECT_FALSE(thread.GetComputerName().IsEmpty());
    EXPECT_EQ(linkage.RegistrationsOf(L"A-software")[0].computerName, std::wstring(upper.GetString()));
}

TEST(LSConnectThread, TheIntervalNeitherSpinsNorOverflows)
{
    FakeProvider provider(L"IntervalProvider", IWmipEventProviderInfo::HardwareEventProvider);
    struct IntervalCase
    {
        const char* stored;
        DWORD expectedMs;
    };
    for (const IntervalCase& c : {IntervalCase{"0", 60000}, IntervalCase{"-5", 60000}, IntervalCase{"2", 2000},
                                  IntervalCase{"2147483647", 0xFFFFFFFEu}})
    {
        hwtest::Exec(std::string("UPDATE CONFIG_VALUE SET NUMBERVALUE = ") + c.stored + " WHERE CONFIGID = 37;");
        CWmipLSConnectThread thread;
        // Before the first setup the installation's default holds.
        EXPECT_EQ(thread.GetPassIntervalMs(), 60000u);
        thread.Register(&provider);
        EXPECT_EQ(thread.GetPassIntervalMs(), c.expectedMs) << c.stored;
    }
    hwtest::Exec("UPDATE CONFIG_VALUE SET NUMBERVALUE = 60 WHERE CONFIGID = 37;");
}

TEST(LSConnectThread, WithoutALinkageServerTheProvidersStayRecorded)
{
    // The linkage server's workstation is one where no server answers.
    hwtest::Exec("UPDATE WRKSTATION SET NAME = 'nowhere' WHERE ID = 1;");
    FakeProvider provider(L"Unreachable", IWmipEventProviderInfo::HardwareEventProvider);
    {
        CWmipLSConnectThread thread;
        thread.Register(&provider);
        EXPECT_EQ(thread.GetRegistrationCount(), 1u);
        thread.Unregister(&provider);
        EXPECT_EQ(thread.GetRegistrationCount(), 0u);
    }
    hwtest::Exec("UPDATE WRKSTATION SET NAME = 'localhost' WHERE ID = 1;");
    EXPECT_TRUE(LinkageServer().RegistrationsOf(L"Unreachable").empty());
}

TEST(LSConnectThread, TheApplicationStartsOneAndStopsItWhenItGoes)
{
    FakeProvider provider(L"AppOwnedProvider", IWmipEventProviderInfo::HardwareEventProvider);
    {
        // While it lives, this application object is the process's current one.
        CWmipApp app;
        CWmipLSConnectThread* thread = CWmipApp::GetLSConnectThread();
        ASSERT_NE(thread, nullptr);
        EXPECT_EQ(CWmipApp::GetLSConnectThread(), thread);
        EXPECT_EQ(thread->GetThreadExitCode(), LWorkerThread::kStillActive);
        thread->SetStopPolling(10, 500);
        thread->Register(&provider);
    }
    // Going, the application stopped the thread, whose last pass unregistered the provider.
    const auto calls = LinkageServer().RegistrationsOf(L"AppOwnedProvider");
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls.front().flag, 1);
    EXPECT_EQ(calls.back().flag, 0);
}

namespace {

// An event as "class/panel", to tell which events a subscription received.
std::string Signature(IWbemClassObject* event)
{
    _variant_t className;
    _variant_t panel;
    event->Get(L"__CLASS", 0, &className, nullptr, nullptr);
    event->Get(L"PanelID", 0, &panel, nullptr, nullptr);
    std::string text;
    for (const wchar_t* c = static_cast<const VARIANT&>(className).bstrVal; c != nullptr && *c != 0; ++c)
    {
        text.push_back(static_cast<char>(*c));
    }
    return text + "/" + std::to_string(static_cast<const VARIANT&>(panel).lVal);
}

std::string Signatures(support::RecordingSink& sink)
{
    std::string text;
    for (const auto& event : sink.Objects())
    {
        text += (text.empty() ? "" : " ") + Signature(event.Get());
    }
    return text;
}

}  // namespace

TEST_F(RoutingTest, EachSubscriptionReceivesOnlyTheEventsItsWhereClauseSelects)
{
    // A caller of every segment, who may also see the alarm definitions of all segments.
    const CallerIdentity::Scope watch(CallerIdentity(hwtest::kWatchSid, SecurityImpersonation));
    using Case = support::EventDeliveryCase;
    // The events handed in: access on panels 1 and 2, a forced door with its alarm on panel 1,
    // a fire on panel 2 without an alarm.
    const Case cases[] = {
        {"one panel", L"SELECT * FROM Bnt_AccessEvent WHERE PanelID = 2", "Bnt_AccessEvent/2"},
        {"no WHERE clause", L"SELECT * FROM Bnt_AccessEvent", "Bnt_AccessEvent/1 Bnt_AccessEvent/2"},
        {"a property of the embedded alarm, any case",
         L"SELECT * FROM Bnt_SecurityEvent WHERE Alarm.Description = 'DOOR FORCED OPEN'", "Bnt_OtherSecurityEvent/1"},
        {"embedded number and own property",
         L"SELECT * FROM Bnt_SecurityEvent WHERE Alarm.Priority >= 20 AND PanelID = 1", "Bnt_OtherSecurityEvent/1"},
        {"ISA on the embedded object", L"SELECT * FROM Bnt_SecurityEvent WHERE Alarm ISA 'Bnt_Alarm'",
         "Bnt_OtherSecurityEvent/1"},
        {"the event's own class", L"SELECT * FROM Bnt_SecurityEvent WHERE __CLASS ISA 'Bnt_AccessEvent'",
         "Bnt_AccessEvent/1 Bnt_AccessEvent/2"},
        {"no alarm", L"SELECT * FROM Bnt_SecurityEvent WHERE Alarm IS NULL",
         "Bnt_AccessEvent/1 Bnt_AccessEvent/2 Bnt_FireEvent/2"},
        {"NOT of a property of a missing object stays unknown",
         L"SELECT * FROM Bnt_SecurityEvent WHERE NOT Alarm.Priority = 20", ""},
        {"NOT", L"SELECT * FROM Bnt_SecurityEvent WHERE NOT PanelID = 2", "Bnt_AccessEvent/1 Bnt_OtherSecurityEvent/1"},
        {"OR over an unknown side", L"SELECT * FROM Bnt_SecurityEvent WHERE PanelID = 2 OR Alarm.Priority = 20",
         "Bnt_AccessEvent/2 Bnt_OtherSecurityEvent/1 Bnt_FireEvent/2"},
    };
    std::vector<ComPtr<support::RecordingSink>> sinks;
    for (const Case& c : cases)
    {
        sinks.push_back(support::RecordingSink::Create());
        ASSERT_EQ(Query(c.query).Subscribe(*m_namespace, sinks.back().Get()), WBEM_S_NO_ERROR) << c.rule;
    }
    // Subscribed last, so once it holds every event the others have had their turn at each.
    const ComPtr<support::RecordingSink> all = support::RecordingSink::Create();
    ASSERT_EQ(Query(L"SELECT * FROM Bnt_SecurityEvent").Subscribe(*m_namespace, all.Get()), WBEM_S_NO_ERROR);

    ASSERT_EQ(HandIn(hwtest::Record(0, 0, 1, 1)), S_OK);
    ASSERT_EQ(HandIn(hwtest::Record(0, 0, 1, 2)), S_OK);
    ASSERT_EQ(HandIn(hwtest::Record(4, 5), 1), S_OK);
    ASSERT_EQ(HandIn(hwtest::Record(7, 1, 0, 2)), S_OK);
    ASSERT_TRUE(hwtest::WaitForObjects(*all, 4));
    EXPECT_EQ(Signatures(*all), "Bnt_AccessEvent/1 Bnt_AccessEvent/2 Bnt_OtherSecurityEvent/1 Bnt_FireEvent/2");
    for (std::size_t i = 0; i < sinks.size(); ++i)
    {
        EXPECT_EQ(Signatures(*sinks[i]), cases[i].expected) << cases[i].rule;
        EXPECT_EQ(m_namespace->CancelAsyncCall(sinks[i].Get()), WBEM_S_NO_ERROR);
    }
    EXPECT_EQ(m_namespace->CancelAsyncCall(all.Get()), WBEM_S_NO_ERROR);
}

TEST_F(RoutingTest, AWhereClauseThatCannotBeEvaluatedIsRefused)
{
    struct Case
    {
        const char* rule;
        const wchar_t* query;
    };
    const Case cases[] = {
        {"unknown property", L"SELECT * FROM Bnt_AccessEvent WHERE NoSuchProperty = 2"},
        {"property of a subclass", L"SELECT * FROM Bnt_SecurityEvent WHERE CardNumber = 2"},
        {"dotted name on a number", L"SELECT * FROM Bnt_AccessEvent WHERE PanelID.Name = 'x'"},
        {"missing literal", L"SELECT * FROM Bnt_AccessEvent WHERE PanelID ="},
        {"open parenthesis", L"SELECT * FROM Bnt_AccessEvent WHERE (PanelID = 2"},
        {"empty clause", L"SELECT * FROM Bnt_AccessEvent WHERE"},
        {"two literals", L"SELECT * FROM Bnt_AccessEvent WHERE 1 = 2"},
    };
    for (const Case& c : cases)
    {
        const ComPtr<support::RecordingSink> sink = support::RecordingSink::Create();
        EXPECT_EQ(Query(c.query).Subscribe(*m_namespace, sink.Get()), WBEM_E_INVALID_QUERY) << c.rule;
        EXPECT_TRUE(sink->Statuses().empty()) << c.rule;
    }
    EXPECT_EQ(m_namespace->Events().GetSubscriptionCount(), 0u);

    // Without a filter factory a WHERE clause is refused, never ignored; a query without one
    // still subscribes.
    m_namespace->Events().SetFilterFactory(nullptr);
    const ComPtr<support::RecordingSink> sink = support::RecordingSink::Create();
    EXPECT_EQ(Query(L"SELECT * FROM Bnt_AccessEvent WHERE PanelID = 2").Subscribe(*m_namespace, sink.Get()),
              WBEM_E_INVALID_QUERY);
    EXPECT_EQ(Query(L"SELECT * FROM Bnt_AccessEvent WITHIN 5").Subscribe(*m_namespace, sink.Get()), WBEM_S_NO_ERROR);
    EXPECT_EQ(m_namespace->Events().GetSubscriptionCount(), 1u);
}

void RoutingTest::ExpectWatchTable(const std::vector<std::pair<support::EventWatchCase, std::wstring>>& table,
                                   const std::vector<BntMessage>& events, const wchar_t* property,
                                   const std::function<std::string(const std::string&)>& label)
{
    std::vector<ComPtr<support::RecordingSink>> sinks;
    for (const auto& [c, condition] : table)
    {
        SCOPED_TRACE(c.rule);
        sinks.push_back(support::RecordingSink::Create());
        const std::wstring query = L"SELECT * FROM Bnt_AccessEvent WHERE " + condition;
        const HRESULT result = Query(query.c_str()).Subscribe(*m_namespace, sinks.back().Get());
        if (!c.refused)
        {
            EXPECT_EQ(result, WBEM_S_NO_ERROR);
            continue;
        }
        EXPECT_EQ(result, WBEM_E_INVALID_QUERY);
        const ComPtr<IWbemClassObject> why = WbemErrorInfo::Take();
        ASSERT_TRUE(why);
        EXPECT_NE(support::PropertyText(why.Get(), L"Description").find(c.expected), std::string::npos)
            << support::PropertyText(why.Get(), L"Description");
    }
    const ComPtr<support::RecordingSink> all = support::RecordingSink::Create();
    ASSERT_EQ(Query(L"SELECT * FROM Bnt_AccessEvent").Subscribe(*m_namespace, all.Get()), WBEM_S_NO_ERROR);
    for (const BntMessage& event : events)
        ASSERT_EQ(HandIn(event), S_OK);
    ASSERT_TRUE(hwtest::WaitForObjects(*all, events.size()));
    for (std::size_t i = 0; i < sinks.size(); ++i)
    {
        if (table[i].first.refused)
            continue;
        std::string values;
        for (const ComPtr<IWbemClassObject>& event : sinks[i]->Objects())
        {
            const std::string value = support::PropertyText(event.Get(), property);
            values += (values.empty() ? "" : " ") + (label ? label(value) : value);
        }
        EXPECT_EQ(values, table[i].first.expected) << table[i].first.rule;
        EXPECT_EQ(m_namespace->CancelAsyncCall(sinks[i].Get()), WBEM_S_NO_ERROR);
    }
    EXPECT_EQ(m_namespace->CancelAsyncCall(all.Get()), WBEM_S_NO_ERROR);
}

// A watch compares the 64-bit card number (held by the event as its decimal text) as a number,
// against numbers and number texts alike, and refuses with the query road's code and text the
// literals a query refuses: a text that is no number compared with a number, and no date-time
// compared with a date-time.
TEST_F(RoutingTest, AWatchComparesNumbersAsNumbersAndRefusesTheLiteralsAQueryRefuses)
{
    // The card numbers of the events delivered, or the refusal's sentence.
    const auto table = support::WatchTable(
        L"CardNumber",
        {{"a 32-bit number text", L"PanelID = '1' AND CardNumber <= '99999'", "99999 7"},
         {"no number for a panel", L"PanelID = 'x'", "The value \"x\" compared with PanelID is not a number", true},
         {"no number for a card", L"CardNumber = 'abc'", "The value \"abc\" compared with CardNumber is not a number",
          true},
         {"no date-time", L"Time > 'today'", "The value \"today\" compared with Time is not a date-time", true}});
    std::vector<BntMessage> events;
    for (const ULONG card : {100001u, 99999u, 7u})
    {
        events.push_back(hwtest::Record(0, 2, 2, 1, 0));
        events.back().WriteU32(56, card);
    }
    ExpectWatchTable(table, events, L"CardNumber");
}

// A watch compares a quoted TRUE or FALSE with the duress flag as the boolean, as the query road
// does, and refuses a quoted text that is no boolean naming it and the property.
TEST_F(RoutingTest, AWatchComparesAQuotedBooleanAsTheBoolean)
{
    // The duress flags of the events delivered (a duress access, then a plain one).
    const auto table =
        support::WatchTable(L"Duress",
                            {{"no boolean for the flag", L"Duress <> 'maybe'",
                              "The value \"maybe\" compared with Duress is not a boolean: write TRUE or FALSE", true}},
                            support::kBooleanWatchCases);
    ExpectWatchTable(table, {hwtest::Record(2, 0, 2, 1, 0), hwtest::Record(0, 0, 2, 1, 0)}, L"Duress");
}

// A watch compares the event's text as the text it is, a quoted TRUE or 1 included, and its time
// as the instant a date-time's zone offset names, as the query road does: the forms of a text and
// of a date-time every road reads alike, on access events of 09:00, 10:00 and 11:00 UTC carrying
// "O'Brien", "TRUE" and "1".
TEST_F(RoutingTest, AWatchComparesTextsAndDateTimesAsAQueryDoes)
{
    // 2024-01-02 09:00:00 UTC, in seconds since 1970.
    constexpr LONG kNine = 1704186000;
    std::vector<BntMessage> events;
    for (const auto& [text, hour] : {std::pair{L"O'Brien", 0}, std::pair{L"TRUE", 1}, std::pair{L"1", 2}})
    {
        events.push_back(hwtest::Record(0, 2, 2, 1, 0));
        events.back().Set(BntMessage::Time, kNine + hour * 3600);
        events.back().SetText(text);
    }
    {
        SCOPED_TRACE("texts");
        ExpectWatchTable(support::WatchTable(L"EventText", {}, support::kTextWatchCases), events, L"EventText");
    }
    SCOPED_TRACE("date-times");
    ExpectWatchTable(support::WatchTable(L"Time", {}, support::kDateWatchCases), events, L"Time", support::UtcHour);
}

// An event reaches a subscriber only from a panel of its segments, whatever its query names.
// All three callers watch every panel but the lobby and annex ones: the dock user (segment 2)
// passes the access check, which walks only the access panels the clause selects (the dock
// panel), yet the vault
// intrusion panel (3, segment 1) and a panel no one knows (99) send events of the same class.
TEST_F(RoutingTest, EventsReachOnlyTheSubscribersThatMaySeeTheirPanelsSegment)
{
    constexpr wchar_t kQuery[] = L"SELECT * FROM Bnt_AccessEvent WHERE PanelID <> 1 AND PanelID <> 6";
    struct Case
    {
        const char* caller;
        const wchar_t* sid;
        const char* expected;
    };
    const Case cases[] = {
        {"segment 2 only", hwtest::kDockSid, "Bnt_AccessEvent/2"},
        {"segments 1 and 2", hwtest::kOperatorSid, "Bnt_AccessEvent/3 Bnt_AccessEvent/2"},
        {"every segment", hwtest::kWatchSid, "Bnt_AccessEvent/3 Bnt_AccessEvent/99 Bnt_AccessEvent/2"},
    };
    std::vector<ComPtr<support::RecordingSink>> sinks;
    for (const Case& c : cases)
    {
        const CallerIdentity::Scope caller(CallerIdentity(c.sid, SecurityImpersonation));
        sinks.push_back(support::RecordingSink::Create());
        ASSERT_EQ(Query(kQuery).Subscribe(*m_namespace, sinks.back().Get()), WBEM_S_NO_ERROR) << c.caller;
    }
    for (const LONG panel : {3, 99, 2})
    {
        ASSERT_EQ(HandIn(hwtest::Record(0, 0, 1, panel)), S_OK);
    }
    // Each event is offered to the subscriptions in the order they were made: once the last
    // subscriber, who sees every segment, holds all three, the others have had every turn.
    ASSERT_TRUE(hwtest::WaitForObjects(*sinks.back(), 3));
    for (std::size_t i = 0; i < sinks.size(); ++i)
    {
        EXPECT_EQ(Signatures(*sinks[i]), cases[i].expected) << cases[i].caller;
        // The descriptor, which names the accounts an event may reach, stays with the service.
        for (const auto& event : sinks[i]->Objects())
        {
            _variant_t descriptor;
            EXPECT_EQ(event->Get(L"SECURITY_DESCRIPTOR", 0, &descriptor, nullptr, nullptr), WBEM_S_NO_ERROR);
            EXPECT_EQ(descriptor.vt, VT_NULL) << cases[i].caller;
        }
        EXPECT_EQ(m_namespace->CancelAsyncCall(sinks[i].Get()), WBEM_S_NO_ERROR);
    }
}

namespace {

// Alarm definitions and areas of both segments, the dock reader leading from the vault hall
// (segment 1) into the dock yard (segment 2); made before the provider's mappers load their
// caches.
class HiddenRecordsOfAVisiblePanel
{
protected:
    const hwtest::DatabaseChange m_rows{
        "INSERT INTO ALARM (ALID, ALPRIORITY, ALDESCR, SEGMENTID) VALUES (7, 31, 'Vault breach', 1), "
        "(8, 32, 'Dock breach', 2);"
        "INSERT INTO AREAAPB (AREAAPBID, NAME, AREAAPB_TYPE, SEGMENTID) VALUES (11, 'Vault hall', 0, 1), "
        "(12, 'Dock yard', 0, 2);"
        "UPDATE READER SET AREAENTER = 12, AREALEAVE = 11 WHERE PANELID = 2 AND READERID = 0;",
        "DELETE FROM ALARM WHERE ALID IN (7, 8); DELETE FROM AREAAPB WHERE AREAAPBID IN (11, 12);"
        "UPDATE READER SET AREAENTER = NULL, AREALEAVE = NULL WHERE PANELID = 2 AND READERID = 0;"};
};

class HiddenRecordsTest : protected HiddenRecordsOfAVisiblePanel, public RoutingTest
{
};

// The alarm object an event embeds; null when it has none.
ComPtr<IWbemClassObject> AlarmOf(IWbemClassObject* event)
{
    _variant_t alarm;
    event->Get(L"Alarm", 0, &alarm, nullptr, nullptr);
    ComPtr<IWbemClassObject> alarmObject;
    if (alarm.vt == VT_UNKNOWN && alarm.punkVal != nullptr)
        alarm.punkVal->QueryInterface(IWbemClassObject::kIID, reinterpret_cast<void**>(&alarmObject));
    return alarmObject;
}

// What an access event tells of the records it names besides its panel.
std::string NamedRecords(IWbemClassObject* event)
{
    const ComPtr<IWbemClassObject> alarmObject = AlarmOf(event);
    return "alarm " + support::PropertyText(alarmObject.Get(), L"ID") + " " +
           support::PropertyText(alarmObject.Get(), L"Description") + " " +
           support::PropertyText(alarmObject.Get(), L"Priority") + ", entered " +
           support::PropertyText(event, L"AreaEnteredID") + ", exited " + support::PropertyText(event, L"AreaExitedID");
}

}  // namespace

// An event of a panel the subscriber sees serves of the other records it names (its alarm
// definition, the areas of its reader) only those the subscriber may see; of a hidden one it
// carries what it carries when the record is missing: an alarm without values, no area.
TEST_F(HiddenRecordsTest, AnEventOfAVisiblePanelServesOnlyTheNamedRecordsTheSubscriberSees)
{
    struct Case
    {
        const char* caller;
        const wchar_t* sid;
        const char* vaultAlarm;
        const char* dockAlarm;
    };
    const Case cases[] = {
        {"segment 2 only", hwtest::kDockSid, "alarm <null> <null> <null>, entered 12, exited <null>",
         "alarm 8 Dock breach 32, entered 12, exited <null>"},
        {"segments 1 and 2", hwtest::kOperatorSid, "alarm 7 Vault breach 31, entered 12, exited 11",
         "alarm 8 Dock breach 32, entered 12, exited 11"},
        {"every segment", hwtest::kWatchSid, "alarm 7 Vault breach 31, entered 12, exited 11",
         "alarm 8 Dock breach 32, entered 12, exited 11"},
    };
    std::vector<ComPtr<support::RecordingSink>> sinks;
    for (const Case& c : cases)
    {
        const CallerIdentity::Scope caller(CallerIdentity(c.sid, SecurityImpersonation));
        sinks.push_back(support::RecordingSink::Create());
        ASSERT_EQ(Query(L"SELECT * FROM Bnt_AccessEvent WHERE PanelID = 2").Subscribe(*m_namespace, sinks.back().Get()),
                  WBEM_S_NO_ERROR)
            << c.caller;
    }
    // Access granted with card data at the dock entry, raising the vault alarm, then the dock one.
    ASSERT_EQ(HandIn(hwtest::Record(0, 0, 2, 2, 0), 7), S_OK);
    ASSERT_EQ(HandIn(hwtest::Record(0, 0, 2, 2, 0), 8), S_OK);
    for (std::size_t i = 0; i < sinks.size(); ++i)
    {
        // Each form of an event goes out on its own: every subscriber gets both events.
        ASSERT_TRUE(hwtest::WaitForObjects(*sinks[i], 2)) << cases[i].caller;
        std::vector<std::string> received;
        for (const auto& event : sinks[i]->Objects())
            received.push_back(NamedRecords(event.Get()));
        EXPECT_EQ(received, (std::vector<std::string>{cases[i].vaultAlarm, cases[i].dockAlarm})) << cases[i].caller;
        EXPECT_EQ(m_namespace->CancelAsyncCall(sinks[i].Get()), WBEM_S_NO_ERROR);
    }
}

// The host's wait waits for the records handed in, not for a time: while the processor is
// held the record stays pending (a wait of 0 ms says so and prints nothing); once it is let go,
// wait returns with the record's event.
TEST(HostWait, WaitsUntilTheRecordsHandedInAreProcessed)
{
    const ComPtr<WbemServiceNamespace> services = hwtest::MakeNamespace();
    const auto held = std::make_shared<HeldFilterFactory>();
    services->Events().SetFilterFactory(held);
    std::ostringstream out;
    std::ostringstream err;
    {
        ProvixaEvents events(*services, out, err);
        const CallerIdentity::Scope caller(CallerIdentity(hwtest::kOperatorSid, SecurityImpersonation));
        ASSERT_EQ(events.Run(Line({"watch", "SELECT * FROM Bnt_AccessEvent WHERE PanelID = 1"})), ProvixaHost::kSuccess)
            << err.str();
        ASSERT_EQ(events.Run(Line({"hwevent", "EventType=0", "PanelID=1", "SerialNumber=4242"})), ProvixaHost::kSuccess)
            << err.str();
        EXPECT_EQ(events.Run(Line({"wait", "0"})), ProvixaHost::kSuccess);
        EXPECT_EQ(out.str().find("SerialNumber = 4242;"), std::string::npos) << out.str();
        EXPECT_NE(err.str().find("after 0 ms 1 of the records handed in are not processed yet"), std::string::npos)
            << err.str();
        held->Open();
        EXPECT_EQ(events.Run(Line({"wait"})), ProvixaHost::kSuccess);
        EXPECT_NE(out.str().find("SerialNumber = 4242;"), std::string::npos) << out.str();
        const std::string notes = err.str();
        EXPECT_EQ(notes.find("not processed yet"), notes.rfind("not processed yet")) << notes;
    }
    services->ReleaseProviders();
}

namespace {

// What a delivered event tells of its panel and definition.
std::string Definition(IWbemClassObject* event)
{
    return "panel " + support::PropertyText(event, L"PanelID") + ": " + support::PropertyText(event, L"ID") + " " +
           support::PropertyText(event, L"Description");
}

// The same, with its alarm and the alarm's parameter.
std::string DefinitionAndAlarm(IWbemClassObject* event)
{
    const ComPtr<IWbemClassObject> alarmObject = AlarmOf(event);
    return Definition(event) + "; alarm " + support::PropertyText(alarmObject.Get(), L"ID") + " " +
           support::PropertyText(alarmObject.Get(), L"Description") + " [" +
           support::PropertyText(alarmObject.Get(), L"EventParamDescription") + "]";
}

}  // namespace

// A row another process stored badly in a table the hardware event caches load (panels'
// segments, event definitions, alarms, their links, parameters and clips) is passed over with
// a log line naming its table and key: every other row is served, ahead of it and behind it,
// and only its own panel, event, alarm, parameter or clip is unknown. The watches that read
// the panels, one of every segment and one of segments 1 and 2 watching every panel, are taken;
// the second, who may not view alarm definitions, is told the events' definitions only.
TEST(BadlyStoredRows, CostOnlyTheirOwnPanelEventAlarmLinkParameterOrClip)
{
    struct Event
    {
        LONG subtype;
        LONG panel;
        LONG alarm;
        LONG parameter;  // 0: none
    };
    struct Case
    {
        const char* table;
        std::string rows;
        std::string undo;
        std::vector<std::string> logged;             // the lines naming each bad row
        std::vector<Event> events;                   // all of type 4 (other security events)
        std::vector<std::string> everySegment;       // DefinitionAndAlarm of each
        std::vector<std::string> segmentsOneAndTwo;  // Definition of each
        // What only the link cache tells (the links, the clips' play lengths); may be empty.
        std::function<void(CEventAlarmLinkCache&)> cache;
    };
    const std::string forcedOnLobby = "panel 1: 6 Door Forced Open; alarm 1 Door forced open []";
    const Case cases[] = {
        {"ACCESSPANE",
         "INSERT INTO ACCESSPANE (PANELID, NAME, SEGMENTID, ONLINE1, PANELTZ, DAYLIGHTSAVE, TERMINALNA, PANELTYPE)"
         " VALUES (0, 'Broken panel', 'x', 1, 1, 0, 'localhost', 15), (9, 'Broken too', 'y', 1, 1, 0, 'localhost', 15);",
         "DELETE FROM ACCESSPANE WHERE PANELID IN (0, 9);",
         {"Row of ACCESSPANE (PANELID = 0) cannot be read and is passed over: The text is not an integer.",
          "Row of ACCESSPANE (PANELID = 9) cannot be read and is passed over: The text is not an integer."},
         {{5, 1, 1, 0}, {5, 9, 1, 0}, {5, 2, 1, 0}},
         {forcedOnLobby, "panel 9: 6 Door Forced Open; alarm 1 Door forced open []",
          "panel 2: 6 Door Forced Open; alarm 1 Door forced open []"},
         {"panel 1: 6 Door Forced Open", "panel 2: 6 Door Forced Open"},
         {}},
        {"EVENT",
         "INSERT INTO EVENT (EVENTID, EVTYPEID, EVID, EVDESCR) VALUES (60, 'x', 21, 'Broken type'),"
         " (61, 4, 22, X'FF'), (62, 4, 23, 'Good event');",
         "DELETE FROM EVENT WHERE EVENTID IN (60, 61, 62);",
         {"Row of EVENT (EVENTID = 60) cannot be read and is passed over: The text is not an integer.",
          "Row of EVENT (EVENTID = 61) cannot be read and is passed over: Bytes cannot be read as a text."},
         {{5, 1, 1, 0}, {23, 1, 1, 0}, {22, 1, 1, 0}},
         {forcedOnLobby, "panel 1: 62 Good event; alarm 1 Door forced open []",
          "panel 1: -1 ; alarm 1 Door forced open []"},
         {"panel 1: 6 Door Forced Open", "panel 1: 62 Good event", "panel 1: -1 "},
         {}},
        {"ALARM",
         "INSERT INTO ALARM (ALID, ALPRIORITY, ALDESCR, SEGMENTID) VALUES (20, 'high', 'Broken alarm', -1),"
         " (21, 7, 'Good alarm', -1);",
         "DELETE FROM ALARM WHERE ALID IN (20, 21);",
         {"Row of ALARM (ALID = 20) cannot be read and is passed over: The text is not an integer."},
         {{5, 1, 1, 0}, {5, 1, 21, 0}, {5, 1, 20, 0}},
         {forcedOnLobby, "panel 1: 6 Door Forced Open; alarm 21 Good alarm []",
          "panel 1: 6 Door Forced Open; alarm <null> <null> [<null>]"},
         {"panel 1: 6 Door Forced Open", "panel 1: 6 Door Forced Open", "panel 1: 6 Door Forced Open"},
         {}},
        {"EVTALMLINK",
         "INSERT INTO EVTALMLINK (PANELID, DEVICEID, INPUTDEVID, EVTYPEID, EVID, ALID, EVENT_PARAMID) VALUES"
         " (1, 0, 0, 4, 7, 'x', 0), (1, 0, 0, 4, 8, 2, 0);",
         "DELETE FROM EVTALMLINK WHERE EVTYPEID = 4 AND EVID IN (7, 8);",
         {"Row of EVTALMLINK (PANELID = 1, DEVICEID = 0, INPUTDEVID = 0, EVTYPEID = 4, EVID = 7, EVENT_PARAMID = 0) "
          "cannot be read and is passed over: The text is not an integer."},
         {{5, 1, 1, 0}},
         {forcedOnLobby},
         {"panel 1: 6 Door Forced Open"},
         [](CEventAlarmLinkCache& cache) {
             EXPECT_EQ(cache.GetAlarmIDForKey(CAlarmKey::MakeEventKey(4, 8), 0, 1, 0), 2);
             EXPECT_EQ(cache.GetAlarmIDForKey(CAlarmKey::MakeEventKey(4, 7), 0, 1, 0), 0);
         }},
        {"EVENT_PARAM",
         "INSERT INTO EVENT_PARAM (EVENT_PARAMID, PARAMVALUE, DESCRIPTION) VALUES (40, 'x', 'Broken parameter'),"
         " (41, 41, 'Good parameter');",
         "DELETE FROM EVENT_PARAM WHERE EVENT_PARAMID IN (40, 41);",
         {"Row of EVENT_PARAM (EVENT_PARAMID = 40) cannot be read and is passed over: The text is not an integer."},
         {{5, 1, 1, 1}, {5, 1, 1, 41}, {5, 1, 1, 40}},
         {"panel 1: 6 Door Forced Open; alarm 1 Door forced open [Smoke detector]",
          "panel 1: 6 Door Forced Open; alarm 1 Door forced open [Good parameter]", forcedOnLobby},
         {"panel 1: 6 Door Forced Open", "panel 1: 6 Door Forced Open", "panel 1: 6 Door Forced Open"},
         {}},
        {"AUDIO",
         "INSERT INTO AUDIO (AUDIOID, AUDIOTYPE, NAME, PLAYLENGTH) VALUES (5, 0, 'Broken clip', 'long'),"
         " (6, 0, 'Good clip', 3);"
         "INSERT INTO ALARM (ALID, ALPRIORITY, ALDESCR, SEGMENTID, AUDIONOTIFID, AUDNOTREPEATFREQ) VALUES"
         " (22, 5, 'Good clip alarm', -1, 6, 10), (23, 5, 'Broken clip alarm', -1, 5, 10);",
         "DELETE FROM ALARM WHERE ALID IN (22, 23); DELETE FROM AUDIO WHERE AUDIOID IN (5, 6);",
         {"Row of AUDIO (AUDIOID = 5) cannot be read and is passed over: The text is not an integer."},
         {{5, 1, 1, 0}, {5, 1, 22, 0}, {5, 1, 23, 0}},
         {forcedOnLobby, "panel 1: 6 Door Forced Open; alarm 22 Good clip alarm []",
          "panel 1: 6 Door Forced Open; alarm 23 Broken clip alarm []"},
         {"panel 1: 6 Door Forced Open", "panel 1: 6 Door Forced Open", "panel 1: 6 Door Forced Open"},
         [](CEventAlarmLinkCache& cache) {
             // The siren (4 s) and the good clip keep their lengths; the broken one counts as missing.
             for (const auto& [alarm, interval] : {std::pair{1, 10 + 4}, std::pair{22, 10 + 3}, std::pair{23, 10 + 1}})
             {
                 ASSERT_NE(cache.GetAlarm(alarm), nullptr) << alarm;
                 EXPECT_EQ(cache.GetAlarm(alarm)->GetAudioRepeatInterval(), interval) << alarm;
             }
         }},
    };
    // One case; a fatal failure ends only its own.
    const auto check = [](const Case& c) {
        std::vector<int> before;
        for (const std::string& line : c.logged)
            before.push_back(hwtest::CountProviderLogLines(line));
        const hwtest::DatabaseChange rows(c.rows, c.undo);
        // The provider's mappers load their caches when it is registered, after the bad rows came.
        const ComPtr<WbemServiceNamespace> services = hwtest::MakeNamespace();
        struct Released
        {
            WbemServiceNamespace& services;
            ~Released() { services.ReleaseProviders(); }
        } const released{*services.Get()};
        const ComPtr<ProvixaEventProviderShell> shell = ProvixaEventProviderShell::Create();
        ASSERT_EQ(services->RegisterEventProvider(ProvixaEventProviderShell::kProviderId,
                                                  static_cast<IWbemProviderInit*>(shell.Get()), L"Bnt_SecurityEvent",
                                                  nullptr, nullptr, nullptr),
                  WBEM_S_NO_ERROR);
        const ComPtr<support::RecordingSink> segmentsOneAndTwo = support::RecordingSink::Create();
        const ComPtr<support::RecordingSink> everySegment = support::RecordingSink::Create();
        {
            const CallerIdentity::Scope caller(CallerIdentity(hwtest::kOperatorSid, SecurityImpersonation));
            ASSERT_EQ(Query(L"SELECT * FROM Bnt_SecurityEvent").Subscribe(*services, segmentsOneAndTwo.Get()),
                      WBEM_S_NO_ERROR)
                << support::PropertyText(WbemErrorInfo::Take().Get(), L"Description");
        }
        {
            const CallerIdentity::Scope caller(CallerIdentity(hwtest::kWatchSid, SecurityImpersonation));
            ASSERT_EQ(Query(L"SELECT * FROM Bnt_SecurityEvent").Subscribe(*services, everySegment.Get()),
                      WBEM_S_NO_ERROR)
                << support::PropertyText(WbemErrorInfo::Take().Get(), L"Description");
        }
        for (const Event& e : c.events)
        {
            BntMessage record = hwtest::Record(4, e.subtype, 0, e.panel);
            record.Set(BntMessage::HasParameter, e.parameter != 0 ? 1 : 0);
            record.Set(BntMessage::ParameterValue, e.parameter);
            ASSERT_EQ(shell->Provider().ReceiveHardwareEvent(BntMessage::kRecordSize, record.Record().data(), L"", L"",
                                                             e.alarm),
                      S_OK);
        }
        // Records are processed in order: once each watch holds the door held open on the lobby
        // panel, handed in last, it holds every event it is given.
        BntMessage last = hwtest::Record(4, 6, 0, 1);
        ASSERT_EQ(shell->Provider().ReceiveHardwareEvent(BntMessage::kRecordSize, last.Record().data(), L"", L"", 0),
                  S_OK);
        ASSERT_TRUE(hwtest::WaitForObjects(*everySegment, c.everySegment.size() + 1));
        ASSERT_TRUE(hwtest::WaitForObjects(*segmentsOneAndTwo, c.segmentsOneAndTwo.size() + 1));
        std::vector<std::string> received;
        for (const auto& event : everySegment->Objects())
            received.push_back(DefinitionAndAlarm(event.Get()));
        std::vector<std::string> expected = c.everySegment;
        expected.push_back("panel 1: 7 Door Held Open; alarm <no object> <no object> [<no object>]");
        EXPECT_EQ(received, expected);
        received.clear();
        for (const auto& event : segmentsOneAndTwo->Objects())
            received.push_back(Definition(event.Get()));
        expected = c.segmentsOneAndTwo;
        expected.push_back("panel 1: 7 Door Held Open");
        EXPECT_EQ(received, expected);
        for (const auto& sink : {everySegment, segmentsOneAndTwo})
            EXPECT_EQ(services->CancelAsyncCall(sink.Get()), WBEM_S_NO_ERROR);
        for (std::size_t i = 0; i < c.logged.size(); ++i)
            EXPECT_GT(hwtest::CountProviderLogLines(c.logged[i]), before[i]) << c.logged[i];
        if (c.cache)
        {
            const CWmipPooledConnection connection(CWmipApp::GetConnectionManager());
            CEventAlarmLinkCache cache;
            EXPECT_NO_THROW(cache.Load(connection.GetDatabase()));
            c.cache(cache);
        }
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.table);
        check(c);
    }
}
