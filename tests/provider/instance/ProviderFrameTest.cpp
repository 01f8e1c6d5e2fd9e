// The frame of the provider: initialisation, the unsupported methods, and the rule that every
// asynchronous entry point reports exactly once, also without a sink or with null arguments.
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "inhouse/BntUtility/LogFileWriter.h"
#include "framework/CWmipClassMapper.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/wmi/WbemClassObject.h"
#include "provider/CWmipApp.h"
#include "tests/provider/instance/InstanceProviderTestSupport.h"

namespace instancetest {
namespace {

using ProviderFrame = ProviderTest;

TEST_F(ProviderFrame, SixteenUnsupportedMethodsAnswerNotSupportedWithoutEffect)
{
    Text path(L"Bnt_TestReader.PanelID=1,ReaderID=0");
    ComPtr<IWbemClassObject> object;
    IWbemServices* services = nullptr;
    IWbemObjectSink* responseHandler = nullptr;
    IEnumWbemClassObject* enumerator = nullptr;
    const HRESULT results[] = {
        m_provider.OpenNamespace(path, 0, nullptr, &services, nullptr),
        m_provider.CancelAsyncCall(m_sink.Get()),
        m_provider.QueryObjectSink(0, &responseHandler),
        m_provider.GetObject(path, 0, nullptr, &object, nullptr),
        m_provider.PutClass(nullptr, 0, nullptr, nullptr),
        m_provider.PutClassAsync(nullptr, 0, nullptr, m_sink.Get()),
        m_provider.DeleteClass(path, 0, nullptr, nullptr),
        m_provider.DeleteClassAsync(path, 0, nullptr, m_sink.Get()),
        m_provider.CreateClassEnum(path, 0, nullptr, &enumerator),
        m_provider.PutInstance(nullptr, 0, nullptr, nullptr),
        m_provider.DeleteInstance(path, 0, nullptr, nullptr),
        m_provider.CreateInstanceEnum(path, 0, nullptr, &enumerator),
        m_provider.ExecQuery(path, path, 0, nullptr, &enumerator),
        m_provider.ExecNotificationQuery(path, path, 0, nullptr, &enumerator),
        m_provider.ExecNotificationQueryAsync(path, path, 0, nullptr, m_sink.Get()),
        m_provider.ExecMethod(path, path, 0, nullptr, nullptr, nullptr, nullptr),
    };
    for (HRESULT result : results)
        EXPECT_EQ(result, WBEM_E_NOT_SUPPORTED);
    EXPECT_TRUE(m_sink->Statuses().empty());
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(Control().deleteCalls + Control().putCalls + Control().methodCalls, 0);
}

TEST_F(ProviderFrame, InitializeReportsInitializedToItsSink)
{
    CWmipInstanceProvider provider;
    auto initSink = MakeComObject<RecordingInitSink>();
    EXPECT_EQ(provider.Initialize(nullptr, 0, nullptr, nullptr, m_services.Get(), nullptr, initSink.Get()),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(initSink->statuses, std::vector<LONG>{WBEM_S_INITIALIZED});
}

TEST_F(ProviderFrame, SecondInitializeGivesBackTheFirstNamespace)
{
    auto first = MakeComObject<NullServices>();
    auto second = MakeComObject<NullServices>();
    const ULONG before = first->CountReferences();
    {
        CWmipInstanceProvider provider;
        provider.Initialize(nullptr, 0, nullptr, nullptr, first.Get(), nullptr, nullptr);
        EXPECT_EQ(first->CountReferences(), before + 1);
        provider.Initialize(nullptr, 0, nullptr, nullptr, second.Get(), nullptr, nullptr);
        EXPECT_EQ(first->CountReferences(), before);
        EXPECT_EQ(second->CountReferences(), before + 1);
    }
    EXPECT_EQ(second->CountReferences(), before);
}

TEST_F(ProviderFrame, EntryPointsBeforeInitializeAreInvalidParameters)
{
    CWmipInstanceProvider provider;
    Text path(L"Bnt_TestReader.PanelID=1,ReaderID=0");
    Text className(kReaderClass);
    Text query(L"SELECT * FROM Bnt_TestReader");
    Text wql(L"WQL");
    Text method(L"Pulse");
    auto instance = BuildReaderClass();
    struct Case
    {
        const char* name;
        HRESULT result;
    };
    auto sinks = std::vector<ComPtr<RecordingSink>>();
    auto next = [&]() {
        sinks.push_back(MakeComObject<RecordingSink>());
        return sinks.back().Get();
    };
    const Case cases[] = {
        {"get", provider.GetObjectAsync(path, 0, nullptr, next())},
        {"enum", provider.CreateInstanceEnumAsync(className, 0, nullptr, next())},
        {"query", provider.ExecQueryAsync(wql, query, 0, nullptr, next())},
        {"classes", provider.CreateClassEnumAsync(className, 0, nullptr, next())},
        {"put", provider.PutInstanceAsync(instance.Get(), 0, nullptr, next())},
        {"delete", provider.DeleteInstanceAsync(path, 0, nullptr, next())},
        {"method", provider.ExecMethodAsync(path, method, 0, nullptr, nullptr, next())},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
    {
        EXPECT_EQ(cases[i].result, WBEM_E_INVALID_PARAMETER) << cases[i].name;
        ExpectOneFinalStatus(*sinks[i], WBEM_E_INVALID_PARAMETER);
    }
}

TEST_F(ProviderFrame, NullSinkOrArgumentsNeverCrash)
{
    Text path(L"Bnt_TestReader.PanelID=1,ReaderID=0");
    Text className(kReaderClass);
    Text query(L"SELECT * FROM Bnt_TestReader");
    Text method(L"Pulse");
    auto instance = BuildReaderClass();
    // Without a sink nothing is reported, and the answer still names the fault.
    EXPECT_EQ(m_provider.GetObjectAsync(path, 0, nullptr, nullptr), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(m_provider.CreateInstanceEnumAsync(className, 0, nullptr, nullptr), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(m_provider.ExecQueryAsync(nullptr, query, 0, nullptr, nullptr), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(m_provider.CreateClassEnumAsync(nullptr, 0, nullptr, nullptr), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(m_provider.PutInstanceAsync(instance.Get(), 0, nullptr, nullptr), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(m_provider.DeleteInstanceAsync(path, 0, nullptr, nullptr), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(m_provider.ExecMethodAsync(path, method, 0, nullptr, nullptr, nullptr), WBEM_E_INVALID_PARAMETER);

    struct Case
    {
        const char* name;
        std::function<HRESULT(IWbemObjectSink*)> call;
        HRESULT expected;
    };
    const Case cases[] = {
        {"get null path", [&](IWbemObjectSink* s) { return m_provider.GetObjectAsync(nullptr, 0, nullptr, s); },
         WBEM_E_INVALID_PARAMETER},
        {"enum null class",
         [&](IWbemObjectSink* s) { return m_provider.CreateInstanceEnumAsync(nullptr, 0, nullptr, s); },
         WBEM_E_INVALID_PARAMETER},
        {"query null text",
         [&](IWbemObjectSink* s) { return m_provider.ExecQueryAsync(nullptr, nullptr, 0, nullptr, s); },
         WBEM_E_PROVIDER_NOT_CAPABLE},
        {"put null instance", [&](IWbemObjectSink* s) { return m_provider.PutInstanceAsync(nullptr, 0, nullptr, s); },
         WBEM_E_INVALID_PARAMETER},
        {"delete null path", [&](IWbemObjectSink* s) { return m_provider.DeleteInstanceAsync(nullptr, 0, nullptr, s); },
         WBEM_E_INVALID_PARAMETER},
        {"method null path",
         [&](IWbemObjectSink* s) { return m_provider.ExecMethodAsync(nullptr, method, 0, nullptr, nullptr, s); },
         WBEM_E_INVALID_PARAMETER},
        {"method null name",
         [&](IWbemObjectSink* s) { return m_provider.ExecMethodAsync(path, nullptr, 0, nullptr, nullptr, s); },
         WBEM_E_INVALID_PARAMETER},
    };
    for (const Case& c : cases)
    {
        auto sink = MakeComObject<RecordingSink>();
        EXPECT_EQ(c.call(sink.Get()), c.expected) << c.name;
        ExpectOneFinalStatus(*sink, c.expected);
        EXPECT_TRUE(sink->Objects().empty()) << c.name;
    }
}

TEST_F(ProviderFrame, BntErrorIsNotFoundEvenForACallerWithoutRights)
{
    CallAs(kStrangerSid);
    Text path(L"Bnt_Error");
    EXPECT_EQ(m_provider.GetObjectAsync(path, 0, nullptr, m_sink.Get()), WBEM_E_NOT_FOUND);
    const StatusCall status = ExpectOneFinalStatus(*m_sink, WBEM_E_NOT_FOUND);
    EXPECT_EQ(status.statusObject, nullptr);

    // Only the exact text: another case takes the normal road (a class without a mapper).
    CallAs(kOperatorSid);
    auto sink = MakeComObject<RecordingSink>();
    Text other(L"bnt_error");
    EXPECT_EQ(m_provider.GetObjectAsync(other, 0, nullptr, sink.Get()), WBEM_E_NOT_FOUND);
    ExpectOneFinalStatus(*sink, WBEM_E_NOT_FOUND);
}

TEST_F(ProviderFrame, EveryRequestGivesItsConnectionBack)
{
    DBConnectionManager* manager = CWmipApp::GetConnectionManager();
    ASSERT_NE(manager, nullptr);
    // The list-object cache keeps the one connection it was built with.
    const int lent = manager->GetLentCount();
    Text path(L"Bnt_TestReader.PanelID=1,ReaderID=0");
    Text className(kReaderClass);
    Text query(L"SELECT * FROM Bnt_TestReader WHERE Parity = \"even\"");
    Text badQuery(L"SELECT * FROM Bnt_TestReader WHERE Nonsense = 1");
    EXPECT_EQ(m_provider.GetObjectAsync(path, 0, nullptr, m_sink.Get()), WBEM_S_NO_ERROR);
    EXPECT_EQ(m_provider.CreateInstanceEnumAsync(className, 0, nullptr, m_sink.Get()), WBEM_S_NO_ERROR);
    EXPECT_EQ(m_provider.ExecQueryAsync(nullptr, query, 0, nullptr, m_sink.Get()), WBEM_S_NO_ERROR);
    EXPECT_TRUE(FAILED(m_provider.ExecQueryAsync(nullptr, badQuery, 0, nullptr, m_sink.Get())));
    EXPECT_EQ(manager->GetLentCount(), lent);
    EXPECT_EQ(m_sink->FinalStatuses().size(), 4u);
}

TEST_F(ProviderFrame, MapperIsDeletedBeforeItsConnectionGoesBack)
{
    // Each test mapper notes, as it dies, how many connections are still lent: its own must be.
    Text className(kReaderClass);
    Text query(L"SELECT * FROM Bnt_TestReader WHERE Parity = \"odd\"");
    Text path(L"Bnt_TestReader.PanelID=2,ReaderID=1");
    m_provider.CreateInstanceEnumAsync(className, 0, nullptr, m_sink.Get());
    m_provider.ExecQueryAsync(nullptr, query, 0, nullptr, m_sink.Get());
    m_provider.GetObjectAsync(path, 0, nullptr, m_sink.Get());
    const std::vector<int> lentAtDeaths = Lives().LentAtReaderDeaths();
    ASSERT_EQ(lentAtDeaths.size(), 3u);
    for (int lent : lentAtDeaths)
        EXPECT_GE(lent, 1);
}

TEST_F(ProviderFrame, RequestsLogTheirCallAndLeavingLines)
{
    Text path(L"Bnt_TestReader.PanelID=1,ReaderID=0");
    Text unique(L"Bnt_TestReader.PanelID=2,ReaderID=0");
    auto instance = BuildReaderClass();
    m_provider.GetObjectAsync(unique, 0, nullptr, m_sink.Get());
    m_provider.PutInstanceAsync(instance.Get(), 0, nullptr, m_sink.Get());
    // Unsupported methods log nothing.
    m_provider.DeleteInstance(path, 0, nullptr, nullptr);

    brontel::utility::LogFileWriter::Flush();

    std::ifstream file(CStringToUtf8(brontel::utility::CWMIDebugLog::GetLogFileName()));
    std::stringstream text;
    text << file.rdbuf();
    const std::string log = text.str();
    EXPECT_NE(log.find("GetObjectAsync(Bnt_TestReader.PanelID=2,ReaderID=0)"), std::string::npos);
    EXPECT_NE(log.find("Leaving GetObjectAsync(Bnt_TestReader.PanelID=2,ReaderID=0)"), std::string::npos);
    EXPECT_NE(log.find("PutInstanceAsync()"), std::string::npos);
    EXPECT_NE(log.find("Leaving PutInstanceAsync()"), std::string::npos);
    EXPECT_EQ(log.find("DeleteInstance("), std::string::npos);
}

TEST_F(ProviderFrame, ALongQueryIsLoggedCutWithItsLength)
{
    const std::wstring marker(L"LONGQUERYMARK");
    const std::wstring wql =
        L"SELECT * FROM Bnt_TestReader WHERE Description = '" + std::wstring(30000, L'q') + marker + L"'";
    Text query(wql.c_str());
    m_provider.ExecQueryAsync(nullptr, query, 0, nullptr, m_sink.Get());
    brontel::utility::LogFileWriter::Flush();
    std::ifstream file(CStringToUtf8(brontel::utility::CWMIDebugLog::GetLogFileName()));
    std::stringstream text;
    text << file.rdbuf();
    const std::string log = text.str();
    const std::string cut = "... (" + std::to_string(wql.size()) + " characters))";
    EXPECT_NE(log.find("ExecQueryAsync(SELECT * FROM Bnt_TestReader WHERE Description = 'qqq"), std::string::npos);
    EXPECT_NE(log.find(cut), std::string::npos);
    EXPECT_EQ(log.find("LONGQUERYMARK"), std::string::npos) << "the whole text is never written";
}

TEST_F(ProviderFrame, ConcurrentRequestsEachReportOnce)
{
    constexpr int kThreads = 4;
    constexpr int kRounds = 5;
    std::vector<ComPtr<RecordingSink>> sinks;
    for (int i = 0; i < kThreads; ++i)
        sinks.push_back(MakeComObject<RecordingSink>());
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
    {
        threads.emplace_back([this, &sinks, i]() {
            // The caller is per thread.
            CallerIdentity::Scope caller(
                CallerIdentity(i % 2 == 0 ? kOperatorSid : kNoProviderRightSid, SecurityImpersonation));
            Text className(kReaderClass);
            for (int round = 0; round < kRounds; ++round)
                m_provider.CreateInstanceEnumAsync(className, 0, nullptr, sinks[i].Get());
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int i = 0; i < kThreads; ++i)
    {
        const auto finals = sinks[i]->FinalStatuses();
        ASSERT_EQ(finals.size(), static_cast<std::size_t>(kRounds));
        for (const StatusCall& status : finals)
            EXPECT_EQ(status.result, i % 2 == 0 ? WBEM_S_NO_ERROR : WBEM_S_ACCESS_DENIED);
        EXPECT_EQ(sinks[i]->Objects().size(), i % 2 == 0 ? 8u * kRounds : 0u);
    }
    // Only the list-object cache's own connection stays lent.
    EXPECT_EQ(CWmipApp::GetConnectionManager()->GetLentCount(), 1);
}

}  // namespace
}  // namespace instancetest
