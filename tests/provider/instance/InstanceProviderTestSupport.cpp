#include "tests/provider/instance/InstanceProviderTestSupport.h"

#include <fstream>
#include <sstream>

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/LogFileWriter.h"
#include "platform/com/Bstr.h"
#include "platform/registry/Registry.h"
#include "platform/wmi/IWbemQualifierSet.h"
#include "provider/CWmipApp.h"
#include "tests/support/AppInstallation.h"
#include "tests/support/TestCallers.h"

namespace instancetest {
namespace {

// The demo's user-defined lists are dropped: this namespace does not hold Bnt_Element, from
// which their classes derive.
constexpr const char* kDropLists = "DELETE FROM DDTBL WHERE ISLIST = 1;\n";

// The registry key of the installation's switches.
constexpr const wchar_t* kInstallationKey = L"SOFTWARE\\Brontel\\Ivarune";

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

// --- InstallationSwitch

InstallationSwitch::InstallationSwitch(const wchar_t* name, DWORD value) : m_name(name)
{
    HKEY key = nullptr;
    EXPECT_EQ(
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, kInstallationKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

InstallationSwitch::~InstallationSwitch()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kInstallationKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS)
    {
        RegDeleteValueW(key, m_name.c_str());
        RegCloseKey(key);
    }
}

// --- ProviderTest

void ProviderTest::SetUp()
{
    ResetTestMappers();
    m_services = MakeComObject<NullServices>();
    m_sink = MakeComObject<RecordingSink>();
    CallAs(kOperatorSid);
    ASSERT_EQ(m_provider.Initialize(nullptr, 0, nullptr, nullptr, m_services.Get(), nullptr, nullptr), WBEM_S_NO_ERROR);
}

void ProviderTest::TearDown()
{
    m_caller.reset();
    EXPECT_EQ(Lives().Alive(), 0) << "a mapper outlived its request";
    if (!m_linkedAccounts.empty())
    {
        DBConnectionManager* manager = CWmipApp::GetConnectionManager();
        const CAcsUser* connection = manager->Connection(0);
        ASSERT_NE(connection, nullptr);
        for (const std::wstring& sid : m_linkedAccounts)
        {
            connection->GetDatabase()->ExecuteSQL(L"DELETE FROM USER_ACCOUNT WHERE ACCOUNTID = ?", {sid.c_str()});
        }
        manager->ReleaseConnection(connection);
    }
    m_switch.reset();
}

void ProviderTest::SwitchOn(const wchar_t* name)
{
    m_switch = std::make_unique<InstallationSwitch>(name, 1);
}

bool ProviderTest::HasQualifier(IWbemClassObject* object, const wchar_t* property, const wchar_t* qualifier)
{
    ComPtr<IWbemQualifierSet> qualifiers;
    return SUCCEEDED(object->GetPropertyQualifierSet(property, &qualifiers)) &&
           qualifiers->Get(qualifier, 0, nullptr, nullptr) == WBEM_S_NO_ERROR;
}

std::string ProviderTest::ProviderLog()
{
    brontel::utility::LogFileWriter::Flush();
    std::ifstream file(CStringToUtf8(brontel::utility::CWMIDebugLog::GetLogFileName()));
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
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
    m_linkedAccounts.emplace_back(sid);
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
