#include "tests/framework/mappers/MapperTestFixture.h"

#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemContext.h"
#include "platform/wmi/IWbemQualifierSet.h"
#include "platform/wmi/WbemContext.h"
#include "provider/CWmipApp.h"

#include <optional>

using namespace mappertest;

namespace {

// Services that record what each GetObject call carried and answer a fixed result.
class RecordingServices final : public IWbemServices
{
public:
    struct Call
    {
        CString path;
        std::optional<LONG> backDoor;
        bool shellOnly = false;
    };

    explicit RecordingServices(HRESULT answer) : m_answer(answer) {}

    HRESULT QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }

    HRESULT GetObject(const BSTR path, LONG, IWbemContext* context, IWbemClassObject** object,
                      IWbemCallResult**) override
    {
        Call call;
        call.path = path != nullptr ? path : L"";
        if (context != nullptr)
        {
            _variant_t value;
            if (SUCCEEDED(context->GetValue(L"BackDoor", 0, &value)) && static_cast<const VARIANT&>(value).vt == VT_I4)
                call.backDoor = static_cast<const VARIANT&>(value).lVal;
            _variant_t shell;
            call.shellOnly = SUCCEEDED(context->GetValue(L"ShellOnly", 0, &shell));
        }
        m_calls.push_back(call);
        if (FAILED(m_answer))
            return m_answer;
        return m_namespace.GetObject(path, 0, nullptr, object, nullptr);
    }

#define NOT_USED(signature)                                                                                            \
    HRESULT signature override                                                                                         \
    {                                                                                                                  \
        return WBEM_E_NOT_SUPPORTED;                                                                                   \
    }
    NOT_USED(OpenNamespace(const BSTR, LONG, IWbemContext*, IWbemServices**, IWbemCallResult**))
    NOT_USED(CancelAsyncCall(IWbemObjectSink*))
    NOT_USED(QueryObjectSink(LONG, IWbemObjectSink**))
    NOT_USED(GetObjectAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*))
    NOT_USED(PutClass(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**))
    NOT_USED(PutClassAsync(IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*))
    NOT_USED(DeleteClass(const BSTR, LONG, IWbemContext*, IWbemCallResult**))
    NOT_USED(DeleteClassAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*))
    NOT_USED(CreateClassEnum(const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**))
    NOT_USED(CreateClassEnumAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*))
    NOT_USED(PutInstance(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**))
    NOT_USED(PutInstanceAsync(IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*))
    NOT_USED(DeleteInstance(const BSTR, LONG, IWbemContext*, IWbemCallResult**))
    NOT_USED(DeleteInstanceAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*))
    NOT_USED(CreateInstanceEnum(const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**))
    NOT_USED(CreateInstanceEnumAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*))
    NOT_USED(ExecQuery(const BSTR, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**))
    NOT_USED(ExecQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*))
    NOT_USED(ExecNotificationQuery(const BSTR, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**))
    NOT_USED(ExecNotificationQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*))
    NOT_USED(ExecMethod(const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*, IWbemClassObject**,
                        IWbemCallResult**))
    NOT_USED(ExecMethodAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*, IWbemObjectSink*))
#undef NOT_USED

    std::vector<Call> m_calls;

private:
    HRESULT m_answer;
    CCorvessaNamespace m_namespace;
};

TEST_F(MapperTest, NestedFetchActsAsSystemWithoutTouchingTheCallersContext)
{
    CModuleStateSwitch application(&theApp);
    RecordingServices services(S_OK);
    ComPtr<IWbemContext> callerContext(WbemContext::Create());
    TestBadgeMapper mapper(m_connection.get(), callerContext.Get(), &services);

    ComPtr<IWbemClassObject> object;
    ASSERT_EQ(mapper.GetObject(L"Tst_Badge", &object, 1, 1), S_OK);
    ASSERT_EQ(services.m_calls.size(), 1u);
    ASSERT_TRUE(services.m_calls[0].backDoor.has_value());
    EXPECT_NE(*services.m_calls[0].backDoor, 0);
    EXPECT_TRUE(services.m_calls[0].shellOnly);
    // The trust is raised only for the call, and the caller's context never carries it.
    EXPECT_EQ(CWmipApp::IsBackdoorEnabled(), 0);
    _variant_t leftover;
    EXPECT_TRUE(FAILED(callerContext->GetValue(L"BackDoor", 0, &leftover)));
    EXPECT_TRUE(FAILED(callerContext->GetValue(L"ShellOnly", 0, &leftover)));

    ASSERT_EQ(mapper.GetObject(L"Tst_Badge", &object, 0, 0), S_OK);
    EXPECT_FALSE(services.m_calls[1].backDoor.has_value());
    EXPECT_FALSE(services.m_calls[1].shellOnly);
}

TEST_F(MapperTest, StoredDefinitionIsFetchedOnceAndAFailureIsKept)
{
    RecordingServices failing(WBEM_E_ACCESS_DENIED);
    TestBadgeMapper mapper(m_connection.get(), nullptr, &failing);
    IWbemClassObject* classObject = nullptr;
    EXPECT_EQ(mapper.GetClass(&classObject, FALSE), WBEM_E_ACCESS_DENIED);
    EXPECT_EQ(mapper.GetClass(&classObject, TRUE), WBEM_E_ACCESS_DENIED);
    EXPECT_EQ(classObject, nullptr);
    EXPECT_EQ(failing.m_calls.size(), 1u);

    RecordingServices working(S_OK);
    TestBadgeMapper fetched(m_connection.get(), nullptr, &working);
    IWbemClassObject* first = nullptr;
    IWbemClassObject* second = nullptr;
    ASSERT_EQ(fetched.GetClass(&first, FALSE), S_OK);
    ASSERT_EQ(fetched.GetClass(&second, FALSE), S_OK);
    // Lent by the mapper: the same object, and the caller releases nothing.
    EXPECT_EQ(first, second);
    EXPECT_EQ(working.m_calls.size(), 1u);
    ASSERT_TRUE(working.m_calls[0].backDoor.has_value());
}

TEST_F(MapperTest, ClassShellKeepsTheClassWithoutItsProperties)
{
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    ComPtr<IWbemClassObject> shell;
    ASSERT_EQ(mapper->CreateClassShell(&shell, FALSE), S_OK);
    _variant_t value;
    EXPECT_TRUE(FAILED(shell->Get(L"BadgeKey", 0, &value, nullptr, nullptr)));
    IWbemClassObject* definition = nullptr;
    ASSERT_EQ(mapper->GetClass(&definition, FALSE), S_OK);
    EXPECT_EQ(definition->Get(L"BadgeKey", 0, &value, nullptr, nullptr), S_OK);
}

TEST_F(MapperTest, BuiltClassCarriesItsNameAndProviderQualifiers)
{
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    ComPtr<IWbemClassObject> created;
    ASSERT_EQ(mapper->CreateClassImpl(&created, TRUE), S_OK);
    EXPECT_EQ(support::PropertyCString(created.Get(), L"__class"), L"Tst_Badge");
    ComPtr<IWbemQualifierSet> qualifiers;
    ASSERT_EQ(created->GetQualifierSet(&qualifiers), S_OK);
    _variant_t provider;
    ASSERT_EQ(qualifiers->Get(L"Provider", 0, &provider, nullptr), S_OK);
    EXPECT_EQ(CString(static_cast<const VARIANT&>(provider).bstrVal), L"BntProvider");
    _variant_t dynamic;
    EXPECT_EQ(qualifiers->Get(L"Dynamic", 0, &dynamic, nullptr), S_OK);
}

}  // namespace
