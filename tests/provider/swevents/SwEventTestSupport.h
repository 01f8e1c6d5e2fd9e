// Fixtures of the software event tests: one demo installation for the program (the
// application's connection pool attaches its database once per process), and a namespace of
// the WMI service stand-in built as the host builds it (the declared classes, the instance
// provider) with the software event provider loaded behind its shell.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "platform/com/Unknown.h"
#include "platform/security/CallerIdentity.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/WbemServiceNamespace.h"
#include "provider/SoftwareEventPacket.h"
#include "tests/support/PropertyText.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/TestCallers.h"
#include "tools/provixa/ProvixaProviderShell.h"
#include "tools/provixa/ProvixaSoftwareEventProviderShell.h"

namespace swtest {

// The callers of the tests (support::TestCallers): the demo operator, one linked caller that
// lacks the right to use the provider, and one that may use it but view no record class.
inline constexpr const wchar_t* kOperatorSid = support::callers::kOperator;
inline constexpr const wchar_t* kNoRightSid = support::callers::kNoProvider;
inline constexpr const wchar_t* kNoViewSid = support::callers::kProviderOnly;

// The number of lines of the provider's log holding the text.
int CountProviderLogLines(const std::string& text);
// The longest wait for an event.
inline constexpr std::chrono::seconds kEventTimeout(20);
// The embedded object of an event property; null when there is none.
ComPtr<IWbemClassObject> Embedded(IWbemClassObject* event, const wchar_t* property);
// The class name of an object (UTF-8).
std::string ClassOf(IWbemClassObject* object);

// Runs the statements on the installation's database.
void ExecuteOnInstallation(const std::string& sql);

// The namespace as the host builds it, with the software event provider loaded and the
// operator calling.
class SoftwareEventTest : public ::testing::Test
{
protected:
    SoftwareEventTest();
    ~SoftwareEventTest() override;

    // A subscription of a new sink to the query; the sink, or null when refused (result set).
    ComPtr<support::RecordingSink> Subscribe(const wchar_t* query, HRESULT* result = nullptr);
    // Hands the event to the provider as the installation's services do.
    void HandIn(SHORT eventType, SHORT transactionType, LONG flags, const std::wstring& text);

    ComPtr<WbemServiceNamespace> m_namespace;
    ComPtr<ProvixaProviderShell> m_instanceShell;
    ComPtr<ProvixaSoftwareEventProviderShell> m_shell;
    std::unique_ptr<CallerIdentity::Scope> m_caller;
};

}  // namespace swtest
