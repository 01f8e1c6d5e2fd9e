// DoorTest: the base of the end-to-end tests of the WMI door. Each test gets the door as the
// provixa host builds it: a fresh class repository filled from the registered declarations
// (ProvixaSchemaLoader), the WMI service stand-in over it (WbemServiceNamespace), and the
// real instance provider registered through the host's provider shell
// (ProvixaProviderShell) as "BntProvider"; requests then go through the stand-in's
// IWbemServices, synchronous or asynchronous, as a named caller.
//
// Every asynchronous call made through the helpers is checked to be accepted and to report
// exactly one final status, with no object after it.
//
// One fixture per test, on the test's thread.
#pragma once

#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/ModuleState.h"
#include "platform/security/CallerIdentity.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemContext.h"
#include "platform/wmi/IWbemServices.h"
#include "platform/wmi/WbemServiceNamespace.h"
#include "tests/e2e/DoorInstallation.h"
#include "tests/e2e/DoorSink.h"
#include "tests/support/PropertyText.h"
#include "tools/provixa/ProvixaProviderShell.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace e2e {
// The two ways a client calls: the synchronous method or its Async form with a sink.
enum class Form
{
    Sync,
    Async,
};
constexpr Form kBothForms[] = {Form::Sync, Form::Async};
const char* NameOf(Form form);

// What one request answered the client.
struct Reply
{
    // The synchronous call's HRESULT, or the final status of the asynchronous one.
    HRESULT result = WBEM_E_FAILED;
    std::vector<ComPtr<IWbemClassObject>> objects;
    // The extended status object the caller received (a synchronous caller gets it only when
    // the call failed).
    ComPtr<IWbemClassObject> statusObject;
    // The result text (the written path of a put); hasText tells whether there was one.
    bool hasText = false;
    std::wstring text;
    // Progress statuses seen (asynchronous calls only).
    int progress = 0;
};

class DoorTest : public ::testing::Test
{
public:
    // The properties of each object, one row per object, rows sorted.
    static Table Values(const std::vector<ComPtr<IWbemClassObject>>& objects,
                        const std::vector<const wchar_t*>& properties);
    // The rows sorted, so that two tables compare as multisets.
    static Table Sorted(Table rows);
    // The "Description" text of a status object; "<no status object>" for null.
    static std::string Description(IWbemClassObject* statusObject);
    // The "StatusCode" of a status object; 0 for null or none.
    static HRESULT StatusCode(IWbemClassObject* statusObject);
    // The HRESULT as 0x%08X text, for messages.
    static std::string Hex(HRESULT status);
    // Wide text as UTF-8, for comparisons and messages.
    static std::string Utf8(const std::wstring& text);
    // True when the text ends with `end`.
    static bool EndsWith(const std::string& text, const std::string& end);
    // Whether the reply failed with the code and its status object's description ends with the
    // reason (a text of CWmipMessages, or any text the refusal ends with).
    static ::testing::AssertionResult Refused(const Reply& reply, HRESULT code, const std::wstring& reason);
    // The lines of the provider log that contain the text (the log flushed first); a refusal
    // whose reason is only logged is checked by this count rising.
    static int LogLines(const std::wstring& text);

protected:
    // The server name the door's paths carry.
    static constexpr wchar_t kServer[] = L"E2EHOST";

    DoorTest();
    void SetUp() override;
    void TearDown() override;

    // Runs the rest of the test as the caller with this SID (impersonation allowed).
    void CallAs(const wchar_t* sid);

    // The stand-in's IWbemServices, and the provider shell as the stand-in holds it.
    IWbemServices* Services() const;
    IWbemServices* ProviderShell() const;

    Reply Get(Form form, const std::wstring& path, IWbemContext* context = nullptr);
    Reply Enum(Form form, const std::wstring& className, LONG flags = 0);
    Reply Query(Form form, const std::wstring& wql, LONG flags = 0, const std::wstring& language = L"WQL");
    Reply ClassEnum(Form form, const std::wstring& superclass, LONG flags);
    Reply Put(Form form, IWbemClassObject* instance, LONG flags, IWbemContext* context = nullptr);
    Reply Delete(Form form, const std::wstring& path);
    Reply Exec(Form form, const std::wstring& path, const std::wstring& method, IWbemClassObject* inParams = nullptr);
    // An asynchronous GetObject sent straight to the provider shell, as the WMI service sends
    // requests for the provider's classes; checked like the other asynchronous calls, and its
    // returned HRESULT must equal its final status.
    Reply ProviderGet(const std::wstring& path);

    // The first instance a keyed path names, read by the current caller; fails the test and
    // answers null when there is none.
    ComPtr<IWbemClassObject> Instance(const std::wstring& path);
    // A new instance of the class (from the stand-in's class definition); null on failure.
    ComPtr<IWbemClassObject> NewInstance(const std::wstring& className);
    // The same with the properties set (numbers as VT_I4, texts as BSTR); a refused value fails
    // the test.
    ComPtr<IWbemClassObject> NewInstance(const std::wstring& className,
                                         const std::vector<std::pair<const wchar_t*, _variant_t>>& values);
    // The in-parameters of the class's method with the values set (numbers as VT_I4, texts as
    // BSTR), read through the door as the current caller; null when the method takes none.
    // Values the signature does not take fail the test.
    ComPtr<IWbemClassObject> MethodParameters(const std::wstring& className, const std::wstring& method,
                                              const std::vector<std::pair<const wchar_t*, _variant_t>>& values);

private:
    // Puts each value on the object (nothing when it is null); a refused value fails the test.
    static void PutValues(IWbemClassObject* object, const std::vector<std::pair<const wchar_t*, _variant_t>>& values);
    Reply Await(HRESULT returned, DoorSink& sink);
    Reply Finish(HRESULT returned, std::vector<ComPtr<IWbemClassObject>> objects);

    CModuleStateSwitch m_application;
    ComPtr<WbemServiceNamespace> m_services;
    ComPtr<ProvixaProviderShell> m_shell;
    std::unique_ptr<CallerIdentity::Scope> m_caller;
};
}  // namespace e2e
