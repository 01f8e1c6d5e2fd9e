#include "tests/provider/instance/InstanceProviderTestSupport.h"

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "platform/com/Bstr.h"
#include "provider/CWmipApp.h"
#include "tests/support/AppInstallation.h"
#include "tests/support/TestCallers.h"

namespace instancetest {
namespace {

// The demo's user-defined lists are dropped: this namespace does not hold Bnt_Element, from
// which their classes derive.
constexpr const char* kDropLists = "DELETE FROM DDTBL WHERE ISLIST = 1;\n";

// One installation for the whole program, with the test classes registered once it runs.
class InstallationEnvironment : public support::AppInstallation
{
public:
    InstallationEnvironment()
        : AppInstallation(kDropLists + support::TestCallers::Sql({kNoProviderRightSid, kNoViewRightSid}))
    {
    }

protected:
    void Started() override { RegisterTestClasses(); }
};

const ::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new InstallationEnvironment);

}  // namespace

// --- RecordingInitSink

HRESULT RecordingInitSink::QueryInterface(REFIID iid, void** object)
{
    return QueryOnlyInterface<IWbemProviderInitSink>(this, iid, object);
}

HRESULT RecordingInitSink::SetStatus(LONG status, LONG)
{
    statuses.push_back(status);
    return S_OK;
}

// --- NullServices

HRESULT NullServices::QueryInterface(REFIID iid, void** object)
{
    return QueryOnlyInterface<IWbemServices>(this, iid, object);
}

ULONG NullServices::CountReferences()
{
    AddRef();
    return Release();
}

HRESULT NullServices::OpenNamespace(const BSTR, LONG, IWbemContext*, IWbemServices**, IWbemCallResult**)
{
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT NullServices::CancelAsyncCall(IWbemObjectSink*)
{
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT NullServices::QueryObjectSink(LONG, IWbemObjectSink**)
{
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT NullServices::GetObject(const BSTR, LONG, IWbemContext*, IWbemClassObject**, IWbemCallResult**)
{
    return WBEM_E_NOT_FOUND;
}
HRESULT NullServices::GetObjectAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
{
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT NullServices::PutClass(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**)
{
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT NullServices::PutClassAsync(IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*)
{
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT NullServices::DeleteClass(const BSTR, LONG, IWbemContext*, IWbemCallResult**)
{
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT NullServices::DeleteClassAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
{
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT NullServices::CreateClassEnum(const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**)
{
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT NullServices::CreateClassEnumAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
{
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT NullServices::PutInstance(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**)
{
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT NullServices::PutInstanceAsync(IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*)
{
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT NullServices::DeleteInstance(const BSTR, LONG, IWbemContext*, IWbemCallResult**)
{
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT NullServices::DeleteInstanceAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
{
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT NullServices::CreateInstanceEnum(const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**)
{
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT NullServices::CreateInstanceEnumAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
{
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT NullServices::ExecQuery(const BSTR, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**)
{
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT NullServices::ExecQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
{
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT NullServices::ExecNotificationQuery(const BSTR, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**)
{
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT NullServices::ExecNotificationQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
{
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT NullServices::ExecMethod(const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*, IWbemClassObject**,
                                 IWbemCallResult**)
{
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT NullServices::ExecMethodAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*, IWbemObjectSink*)
{
    return WBEM_E_NOT_SUPPORTED;
}

// --- ProviderTest

void ProviderTest::SetUp()
{
    Control() = MapperControl();
    m_services = MakeComObject<NullServices>();
    m_sink = MakeComObject<RecordingSink>();
    CallAs(kOperatorSid);
    ASSERT_EQ(m_provider.Initialize(nullptr, 0, nullptr, nullptr, m_services.Get(), nullptr, nullptr), WBEM_S_NO_ERROR);
}

void ProviderTest::TearDown()
{
    m_caller.reset();
    EXPECT_EQ(Control().liveMappers, 0) << "a mapper outlived its request";
}

void ProviderTest::CallAs(const wchar_t* sid, SECURITY_IMPERSONATION_LEVEL level)
{
    m_caller.reset();
    m_caller = std::make_unique<CallerIdentity::Scope>(CallerIdentity(sid, level));
}

void ProviderTest::LinkAccount(const wchar_t* sid, LONG userId)
{
    DBConnectionManager* manager = CWmipApp::GetConnectionManager();
    const CAcsUser* connection = manager->Connection(0);
    ASSERT_NE(connection, nullptr);
    connection->GetDatabase()->ExecuteSQL(
        L"INSERT INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID) "
        L"VALUES ((SELECT MAX(USER_ACCOUNTID) + 1 FROM USER_ACCOUNT), ?, 1, ?)",
        {userId, sid});
    manager->ReleaseConnection(connection);
}

std::wstring ProviderTest::StringOf(IWbemClassObject* object, const wchar_t* property)
{
    return ProviderTestAccess::StringOf(object, property);
}

LONG ProviderTest::NumberOf(IWbemClassObject* object, const wchar_t* property)
{
    _variant_t value;
    if (object == nullptr || FAILED(object->Get(property, 0, &value, nullptr, nullptr)) || value.vt != VT_I4)
        return -9999;
    return value.lVal;
}

StatusCall ProviderTest::ExpectOneFinalStatus(const RecordingSink& sink, HRESULT result)
{
    const std::vector<StatusCall> finals = sink.FinalStatuses();
    EXPECT_EQ(finals.size(), 1u) << "one final SetStatus per request";
    if (finals.empty())
        return StatusCall();
    EXPECT_EQ(finals.front().result, result) << std::hex << finals.front().result;
    return finals.front();
}

std::wstring ProviderTestAccess::StringOf(IWbemClassObject* object, const wchar_t* property)
{
    _variant_t value;
    if (object == nullptr || FAILED(object->Get(property, 0, &value, nullptr, nullptr)) || value.vt != VT_BSTR ||
        value.bstrVal == nullptr)
        return std::wstring();
    return value.bstrVal;
}

}  // namespace instancetest
