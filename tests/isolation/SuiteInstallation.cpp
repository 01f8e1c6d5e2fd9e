// Every suite of this program starts from the installation as the suites before it found it: the
// suites move records between segments, switch options and empty tables to prove their rules, and
// the door's installation is one per program. The database is put back as it stood when each
// suite started, once the suite has ended, its own tear-down included.
#include "tests/e2e/KeptInstallation.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class SuiteInstallation : public ::testing::EmptyTestEventListener
{
    void OnTestSuiteStart(const ::testing::TestSuite&) override { m_kept = std::make_unique<e2e::KeptInstallation>(); }
    void OnTestSuiteEnd(const ::testing::TestSuite&) override { m_kept.reset(); }

    std::unique_ptr<e2e::KeptInstallation> m_kept;
};

// Appended before the program's main runs the tests; gtest owns the listener.
const bool kListening = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new SuiteInstallation);
    return true;
}();

}  // namespace
