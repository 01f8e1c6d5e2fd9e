// Fixtures of the instance provider tests: a recording sink, a namespace stand-in, the
// test database with its callers, and the test classes with their configurable mappers.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "platform/security/CallerIdentity.h"
#include "platform/win32/ThreadSafety.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemObjectSink.h"
#include "platform/wmi/IWbemProviderInitSink.h"
#include "platform/wmi/IWbemServices.h"
#include "provider/CWmipInstanceProvider.h"
#include "tests/support/BstrText.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/TestCallers.h"

namespace instancetest {

// Callers of the test database (support::TestCallers).
inline constexpr const wchar_t* kOperatorSid = support::callers::kOperator;
// Linked, may view readers, lacks the right to use the provider.
inline constexpr const wchar_t* kNoProviderRightSid = support::callers::kNoProvider;
// Linked, may use the provider, may view nothing else.
inline constexpr const wchar_t* kNoViewRightSid = support::callers::kProviderOnly;
// Not linked to any system user.
inline constexpr const wchar_t* kStrangerSid = support::callers::kStranger;
inline const wchar_t* const kLocalSystemSid = L"S-1-5-18";
inline const wchar_t* const kNetworkServiceSid = L"S-1-5-20";

// The permission of viewing readers, which guards the reader test class.
constexpr DWORD kViewReadersPermission = 0x10000003;

// What the test mappers answer; reset before every test.
struct MapperControl
{
    DWORD viewPermission = kViewReadersPermission;
    BOOL storesClassDefinition = FALSE;
    HRESULT putResult = S_OK;
    HRESULT deleteResult = S_OK;
    HRESULT methodResult = S_OK;
    // Thrown (as CWMIException) instead of answering, when not S_OK.
    HRESULT putThrows = S_OK;
    HRESULT deleteThrows = S_OK;
    HRESULT methodThrows = S_OK;
    // Classes of the listing whose view right the caller lacks.
    std::vector<std::wstring> refusedListedClasses;
    // Calls seen.
    int putCalls = 0;
    int deleteCalls = 0;
    int methodCalls = 0;
    LONG lastPutFlags = -1;
    std::wstring lastMethod;
    std::wstring lastDeletedClass;
    // When set, the reader mapper hands out this definition (as a class cache shares one).
    ComPtr<IWbemClassObject> sharedClass;
};
MapperControl& Control();

// The lives of the test mappers: how many are alive, and for each reader mapper the connections
// still lent when it was deleted. Mappers are built and deleted on the request threads, several at
// once when requests run concurrently, so unlike MapperControl this record is guarded by m_lock.
// One per process (Lives()).
class MapperLives
{
public:
    MapperLives() = default;
    MapperLives(const MapperLives&) = delete;
    MapperLives& operator=(const MapperLives&) = delete;

    void Clear();
    void Born();
    void Died();
    // Notes the death of a reader mapper with the connections still lent (-1: no manager).
    void ReaderDied(int lentConnections);

    int Alive() const;
    // The connections lent at each reader mapper's death, in the order they died.
    std::vector<int> LentAtReaderDeaths() const;

private:
    mutable CheckedMutex m_lock;
    int m_alive GUARDED_BY(m_lock) = 0;
    std::vector<int> m_lentAtReaderDeaths GUARDED_BY(m_lock);
};
MapperLives& Lives();

// Resets what the test mappers answer and forgets their lives; before every test.
void ResetTestMappers();

// The class served by the reader test mapper and its properties.
inline const wchar_t* const kReaderClass = L"Bnt_TestReader";
// The same rows as a class registered without key properties.
inline const wchar_t* const kKeylessReaderClass = L"Bnt_TestReaderLog";
// The definition the reader mapper builds: keys PanelID and ReaderID (of kReaderClass only),
// Description with the "Values"/"ValueMap" qualifiers, and Parity, computed by the mapper
// ("even"/"odd" ReaderID).
ComPtr<IWbemClassObject> BuildReaderClass(const wchar_t* className = kReaderClass);

// Registers the test classes with the mapper registry (once per process).
void RegisterTestClasses();

// Reads of object properties for the tests.
struct ProviderTestAccess
{
    // A string property of an object; empty when it has none.
    static std::wstring StringOf(IWbemClassObject* object, const wchar_t* property);
};

// The recording sink and its status records come from tests/support.
using StatusCall = support::StatusReport;
using RecordingSink = support::RecordingSink;

class RecordingInitSink final : public RefCounted<RecordingInitSink, IWbemProviderInitSink>
{
public:
    RecordingInitSink() = default;
    HRESULT QueryInterface(REFIID iid, void** object) override;
    HRESULT SetStatus(LONG status, LONG flags) override;
    std::vector<LONG> statuses;

private:
    friend class RefCounted<RecordingInitSink, IWbemProviderInitSink>;
    ~RecordingInitSink() = default;
};

// A namespace that supports nothing, counting its references so that a test can see whether
// the provider gave its reference back.
class NullServices final : public RefCounted<NullServices, IWbemServices>
{
public:
    NullServices() = default;
    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG CountReferences();
    HRESULT OpenNamespace(const BSTR, LONG, IWbemContext*, IWbemServices**, IWbemCallResult**) override;
    HRESULT CancelAsyncCall(IWbemObjectSink*) override;
    HRESULT QueryObjectSink(LONG, IWbemObjectSink**) override;
    HRESULT GetObject(const BSTR, LONG, IWbemContext*, IWbemClassObject**, IWbemCallResult**) override;
    HRESULT GetObjectAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override;
    HRESULT PutClass(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**) override;
    HRESULT PutClassAsync(IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*) override;
    HRESULT DeleteClass(const BSTR, LONG, IWbemContext*, IWbemCallResult**) override;
    HRESULT DeleteClassAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override;
    HRESULT CreateClassEnum(const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**) override;
    HRESULT CreateClassEnumAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override;
    HRESULT PutInstance(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**) override;
    HRESULT PutInstanceAsync(IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*) override;
    HRESULT DeleteInstance(const BSTR, LONG, IWbemContext*, IWbemCallResult**) override;
    HRESULT DeleteInstanceAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override;
    HRESULT CreateInstanceEnum(const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**) override;
    HRESULT CreateInstanceEnumAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override;
    HRESULT ExecQuery(const BSTR, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**) override;
    HRESULT ExecQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override;
    HRESULT ExecNotificationQuery(const BSTR, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**) override;
    HRESULT ExecNotificationQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override;
    HRESULT ExecMethod(const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*, IWbemClassObject**,
                       IWbemCallResult**) override;
    HRESULT ExecMethodAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*, IWbemObjectSink*) override;

private:
    friend class RefCounted<NullServices, IWbemServices>;
    ~NullServices() = default;
};

// A BSTR that frees itself.
using Text = support::BstrText;

// Sets a registry switch of the installation for the scope, and removes it again after.
class InstallationSwitch
{
public:
    InstallationSwitch(const wchar_t* name, DWORD value);
    ~InstallationSwitch();
    InstallationSwitch(const InstallationSwitch&) = delete;
    InstallationSwitch& operator=(const InstallationSwitch&) = delete;

private:
    const std::wstring m_name;
};

// The base of every provider test: an initialised provider on the process's test database,
// the mapper control reset, and the operator as the caller.
class ProviderTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs as the caller for the rest of the test.
    void CallAs(const wchar_t* sid, SECURITY_IMPERSONATION_LEVEL level = SecurityImpersonation);
    // A string property of an object; empty when it has none.
    static std::wstring StringOf(IWbemClassObject* object, const wchar_t* property);
    static LONG NumberOf(IWbemClassObject* object, const wchar_t* property);
    // Expects exactly one final status with the result, and answers it.
    static StatusCall ExpectOneFinalStatus(const RecordingSink& sink, HRESULT result);
    // Links the Windows account to the system user in the test database; TearDown removes the
    // link. The provider's user cache keeps what it logged in, so an account linked by one test
    // is one no other test calls as.
    void LinkAccount(const wchar_t* sid, LONG userId);
    // Sets the installation's registry switch to 1; TearDown removes it. The application reads
    // the switches once, with its first services.
    void SwitchOn(const wchar_t* name);
    // Whether the property of the object carries the qualifier.
    static bool HasQualifier(IWbemClassObject* object, const wchar_t* property, const wchar_t* qualifier);
    // The provider's log file as written so far.
    static std::string ProviderLog();

    ComPtr<NullServices> m_services;
    CWmipInstanceProvider m_provider;
    ComPtr<RecordingSink> m_sink;

private:
    std::unique_ptr<CallerIdentity::Scope> m_caller;
    std::unique_ptr<InstallationSwitch> m_switch;
    std::vector<std::wstring> m_linkedAccounts;
};

}  // namespace instancetest
