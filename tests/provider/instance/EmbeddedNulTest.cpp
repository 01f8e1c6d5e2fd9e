// Texts that arrive as BSTRs holding a NUL before their end: read as C strings they would lose
// their rest (a WHERE clause, a key), so every entry point refuses them as malformed.
#include <functional>
#include <string>

#include "provider/CWmipRequestEnvelope.h"
#include "tests/provider/instance/InstanceProviderTestSupport.h"

namespace instancetest {
namespace {

using namespace std::string_literals;

TEST(RequestEnvelope, HasEmbeddedNulLooksAtTheWholeBstr)
{
    const struct
    {
        std::wstring text;
        bool embedded;
    } cases[] = {
        {L""s, false},
        {L"SELECT * FROM Bnt_EventType"s, false},
        {L"SELECT * FROM Bnt_EventType\0 WHERE ID = 2"s, true},
        {L"Bnt_TestReader\0"s, true},
        {L"\0Bnt_TestReader"s, true},
        {L"\0"s, true},
    };
    for (const auto& c : cases)
    {
        Text text(c.text);
        EXPECT_EQ(CWmipRequestEnvelope::HasEmbeddedNul(text), c.embedded) << c.text.size();
    }
    EXPECT_FALSE(CWmipRequestEnvelope::HasEmbeddedNul(nullptr));
}

class EmbeddedNul : public ProviderTest
{
protected:
    // Runs the call on a fresh sink; expects the result with one final status carrying a
    // status object, and nothing indicated.
    void ExpectRefused(const char* name, HRESULT expected, const std::function<HRESULT(IWbemObjectSink*)>& call)
    {
        SCOPED_TRACE(name);
        auto sink = MakeComObject<RecordingSink>();
        EXPECT_EQ(call(sink.Get()), expected);
        const StatusCall status = ExpectOneFinalStatus(*sink, expected);
        EXPECT_NE(status.statusObject, nullptr);
        EXPECT_TRUE(sink->Objects().empty());
    }
};

TEST_F(EmbeddedNul, EveryEntryPointRefusesATextCutByANul)
{
    Text keyedPath(L"Bnt_TestReader.PanelID=2,ReaderID=1\0,ReaderID=0"s);
    Text classPath(L"Bnt_TestReader\0.PanelID=2,ReaderID=1"s);
    Text errorPath(L"Bnt_Error\0"s);
    Text goodPath(L"Bnt_TestReader.PanelID=2,ReaderID=1");
    Text wql(L"WQL");
    Text cutWql(L"WQL\0 junk"s);
    Text cutQuery(L"SELECT * FROM Bnt_TestReader\0 WHERE PanelID = 2"s);
    Text goodQuery(L"SELECT * FROM Bnt_TestReader WHERE PanelID = 2");
    Text method(L"Pulse");
    Text cutMethod(L"Pulse\0Open"s);

    const struct
    {
        const char* name;
        HRESULT expected;
        std::function<HRESULT(IWbemObjectSink*)> call;
    } cases[] = {
        {"get keyed path", WBEM_E_INVALID_OBJECT_PATH,
         [&](IWbemObjectSink* s) { return m_provider.GetObjectAsync(keyedPath, 0, nullptr, s); }},
        {"get class path", WBEM_E_INVALID_OBJECT_PATH,
         [&](IWbemObjectSink* s) { return m_provider.GetObjectAsync(classPath, 0, nullptr, s); }},
        // Not the whole text "Bnt_Error", so not answered early without a status object.
        {"get error path", WBEM_E_INVALID_OBJECT_PATH,
         [&](IWbemObjectSink* s) { return m_provider.GetObjectAsync(errorPath, 0, nullptr, s); }},
        {"query text", WBEM_E_PROVIDER_NOT_CAPABLE,
         [&](IWbemObjectSink* s) { return m_provider.ExecQueryAsync(wql, cutQuery, 0, nullptr, s); }},
        {"query language", WBEM_E_PROVIDER_NOT_CAPABLE,
         [&](IWbemObjectSink* s) { return m_provider.ExecQueryAsync(cutWql, goodQuery, 0, nullptr, s); }},
        {"delete path", WBEM_E_INVALID_OBJECT_PATH,
         [&](IWbemObjectSink* s) { return m_provider.DeleteInstanceAsync(keyedPath, 0, nullptr, s); }},
        {"method path", WBEM_E_INVALID_OBJECT_PATH,
         [&](IWbemObjectSink* s) { return m_provider.ExecMethodAsync(keyedPath, method, 0, nullptr, nullptr, s); }},
        {"method class path", WBEM_E_INVALID_OBJECT_PATH,
         [&](IWbemObjectSink* s) { return m_provider.ExecMethodAsync(classPath, method, 0, nullptr, nullptr, s); }},
        {"method name", WBEM_E_METHOD_NOT_IMPLEMENTED,
         [&](IWbemObjectSink* s) { return m_provider.ExecMethodAsync(goodPath, cutMethod, 0, nullptr, nullptr, s); }},
    };
    for (const auto& c : cases)
        ExpectRefused(c.name, c.expected, c.call);
    EXPECT_EQ(Control().deleteCalls, 0);
    EXPECT_EQ(Control().methodCalls, 0);
}

TEST_F(EmbeddedNul, TheSameTextsWithoutTheNulAreServed)
{
    // The refusals above come from the NUL alone: the readable parts are good requests.
    Text wql(L"WQL");
    Text query(L"SELECT * FROM Bnt_TestReader WHERE PanelID = 2");
    EXPECT_EQ(m_provider.ExecQueryAsync(wql, query, 0, nullptr, m_sink.Get()), WBEM_S_NO_ERROR);
    EXPECT_EQ(m_sink->Objects().size(), 2u);

    auto sink = MakeComObject<RecordingSink>();
    Text path(L"Bnt_TestReader.PanelID=2,ReaderID=1");
    Text method(L"Pulse");
    EXPECT_EQ(m_provider.ExecMethodAsync(path, method, 0, nullptr, nullptr, sink.Get()), WBEM_S_NO_ERROR);
    EXPECT_EQ(Control().methodCalls, 1);
}

TEST_F(EmbeddedNul, PathWithANulTakesTheRoadOfAnUnparsablePath)
{
    // An unparsable path checks the caller first, so a refused caller hears the refusal.
    CallAs(kNoProviderRightSid);
    Text path(L"Bnt_TestReader.PanelID=2,ReaderID=1\0"s);
    EXPECT_EQ(m_provider.GetObjectAsync(path, 0, nullptr, m_sink.Get()), WBEM_E_ACCESS_DENIED);
    ExpectOneFinalStatus(*m_sink, WBEM_E_ACCESS_DENIED);
    EXPECT_TRUE(m_sink->Objects().empty());
}

}  // namespace
}  // namespace instancetest
