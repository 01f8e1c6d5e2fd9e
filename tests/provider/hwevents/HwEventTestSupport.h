// Fixtures of the hardware event tests: one demo installation for the program (the
// application's connection pool attaches its database once per process) with more callers, a
// namespace stand-in holding the security event classes, and record builders.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/com/Unknown.h"
#include "platform/wmi/WbemServiceNamespace.h"
#include "provider/BntMessageEx.h"
#include "simulation/SimulatedLinkageServer.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/TestCallers.h"

namespace hwtest {

// The callers of the tests (support::TestCallers): the demo operator (segments 1 and 2), one
// with its rights in segment 2 only (the dock panel), one linked caller that lacks the right to
// use the provider, and one with the operator's rights in every segment.
inline constexpr const wchar_t* kOperatorSid = support::callers::kOperator;
inline constexpr const wchar_t* kDockSid = support::callers::kDock;
inline constexpr const wchar_t* kNoRightSid = support::callers::kNoProvider;
inline constexpr const wchar_t* kWatchSid = support::callers::kWatch;

// The installation's database file, and SQL run on it (a failure fails the test).
std::filesystem::path Database();
void Exec(const std::string& sql);
// The number of lines of a log file of the installation holding the text.
int CountLines(const std::wstring& logFile, const std::string& text);
int CountProviderLogLines(const std::string& text);

// Runs SQL now and its undo when the scope ends, so the shared installation stays as it was.
class DatabaseChange
{
public:
    DatabaseChange(const std::string& change, std::string undo) : m_undo(std::move(undo)) { Exec(change); }
    ~DatabaseChange() { Exec(m_undo); }
    DatabaseChange(const DatabaseChange&) = delete;
    DatabaseChange& operator=(const DatabaseChange&) = delete;

private:
    std::string m_undo;
};

// The demo installation's linkage server (its workstation is "localhost"), simulated and
// registered for the whole program: the process's connect thread keeps the binding it made.
support::SimulatedLinkageServer& LinkageServer();

// Waits (at most 20 s) until the sink holds at least `count` objects; false when it does not.
bool WaitForObjects(support::RecordingSink& sink, std::size_t count);

// A namespace of the stand-in whose repository holds the security event classes.
ComPtr<WbemServiceNamespace> MakeNamespace();

// An event record (message type 0) of the type and subtype on the panel and device, with
// serial number 7, the data type given and a current time.
bnt::utility::BntMessageEx Record(LONG eventType, LONG eventSubtype, LONG dataType = 0, LONG panelId = 1,
                                  LONG deviceId = 0, LONG messageType = 0);

}  // namespace hwtest
