// The shared request frame: one final status on every path, failures turned into their
// HRESULT and extended status, and the reporter guard that reports what nobody reported.
#include <stdexcept>

#include "inhouse/BntUtility/CWMIException.h"
#include "platform/mfc/CException.h"
#include "provider/CWmipRequestEnvelope.h"
#include "provider/CWmipStatusReporter.h"
#include "tests/provider/instance/InstanceProviderTestSupport.h"

namespace instancetest {
namespace {

using brontel::utility::CWMIException;

TEST(StatusReporter, GuardReportsFailureWhenNothingWasReported)
{
    auto sink = MakeComObject<RecordingSink>();
    {
        CWmipStatusReporter reporter(sink.Get());
        reporter.Progress();
    }
    const auto finals = sink->FinalStatuses();
    ASSERT_EQ(finals.size(), 1u);
    EXPECT_EQ(finals[0].result, WBEM_E_FAILED);
    EXPECT_EQ(sink->ProgressCount(), 1);
}

TEST(StatusReporter, OnlyTheFirstCompletionIsSent)
{
    auto sink = MakeComObject<RecordingSink>();
    {
        CWmipStatusReporter reporter(sink.Get());
        EXPECT_EQ(reporter.Complete(WBEM_S_NO_ERROR, nullptr, nullptr), WBEM_S_NO_ERROR);
        EXPECT_EQ(reporter.Complete(WBEM_E_FAILED, nullptr, nullptr), WBEM_E_FAILED);
        EXPECT_TRUE(reporter.HasReported());
    }
    const auto finals = sink->FinalStatuses();
    ASSERT_EQ(finals.size(), 1u);
    EXPECT_EQ(finals[0].result, WBEM_S_NO_ERROR);
}

TEST(StatusReporter, WithoutASinkNothingIsCalled)
{
    CWmipStatusReporter reporter(nullptr);
    reporter.Progress();
    EXPECT_EQ(reporter.Complete(WBEM_E_NOT_FOUND, nullptr, nullptr), WBEM_E_NOT_FOUND);
}

HRESULT RunEnvelope(RecordingSink* sink, const CWmipRequestEnvelope::Work& work,
                    CWmipRequestEnvelope::FailureMapping mapping = nullptr)
{
    CWmipRequestEnvelope envelope(L"TestOperation", CString(L"argument"), nullptr, nullptr, sink, nullptr);
    return envelope.Run(work, mapping);
}

TEST(RequestEnvelope, EveryKindOfFailureIsReportedOnceWithAStatusObject)
{
    const struct
    {
        const char* name;
        CWmipRequestEnvelope::Work work;
        HRESULT result;
        const wchar_t* description;
    } cases[] = {
        {"wmi exception", []() -> HRESULT { throw CWMIException(L"here", 1, WBEM_E_NOT_FOUND, L"Gone."); },
         WBEM_E_NOT_FOUND, L"Gone."},
        {"mfc exception", []() -> HRESULT { throw CMemoryException(); }, WBEM_E_FAILED, nullptr},
        {"standard exception", []() -> HRESULT { throw std::runtime_error("boom"); }, WBEM_E_FAILED, nullptr},
        {"anything", []() -> HRESULT { throw 42; }, WBEM_E_FAILED, nullptr},
    };
    for (const auto& c : cases)
    {
        auto sink = MakeComObject<RecordingSink>();
        EXPECT_EQ(RunEnvelope(sink.Get(), c.work), c.result) << c.name;
        const auto finals = sink->FinalStatuses();
        ASSERT_EQ(finals.size(), 1u) << c.name;
        EXPECT_EQ(finals[0].result, c.result) << c.name;
        EXPECT_NE(finals[0].statusObject, nullptr) << c.name;
        if (c.description != nullptr)
        {
            EXPECT_NE(sink->LastDescription().find(c.description), std::wstring::npos) << c.name;
        }
    }
}

TEST(RequestEnvelope, AnsweredResultsCarryNoStatusObject)
{
    auto sink = MakeComObject<RecordingSink>();
    EXPECT_EQ(RunEnvelope(sink.Get(), []() -> HRESULT { return WBEM_E_NOT_FOUND; }), WBEM_E_NOT_FOUND);
    const auto finals = sink->FinalStatuses();
    ASSERT_EQ(finals.size(), 1u);
    EXPECT_EQ(finals[0].statusObject, nullptr);
}

TEST(RequestEnvelope, MappingRewritesOnlyCaughtFailures)
{
    auto toInvalidOperation = [](HRESULT result) {
        return result == WBEM_E_NOT_SUPPORTED ? WBEM_E_INVALID_OPERATION : result;
    };
    auto sink = MakeComObject<RecordingSink>();
    EXPECT_EQ(
        RunEnvelope(
            sink.Get(), []() -> HRESULT { throw CWMIException(L"here", 1, WBEM_E_NOT_SUPPORTED); }, toInvalidOperation),
        WBEM_E_INVALID_OPERATION);
    // The status object describes the failure as it was thrown.
    const auto finals = sink->FinalStatuses();
    ASSERT_EQ(finals.size(), 1u);
    _variant_t code;
    ASSERT_NE(finals[0].statusObject, nullptr);
    finals[0].statusObject->Get(L"StatusCode", 0, &code, nullptr, nullptr);
    EXPECT_EQ(static_cast<HRESULT>(code.lVal), WBEM_E_NOT_SUPPORTED);

    auto answered = MakeComObject<RecordingSink>();
    EXPECT_EQ(RunEnvelope(
                  answered.Get(), []() -> HRESULT { return WBEM_E_NOT_SUPPORTED; }, toInvalidOperation),
              WBEM_E_NOT_SUPPORTED);
}

TEST(RequestEnvelope, ResultTextIsSentOnlyOnSuccess)
{
    for (HRESULT result : {WBEM_S_NO_ERROR, WBEM_E_FAILED})
    {
        auto sink = MakeComObject<RecordingSink>();
        CWmipRequestEnvelope envelope(L"TestOperation", CString(), nullptr, nullptr, sink.Get(), nullptr);
        envelope.SetResultText(L"Bnt_TestReader.PanelID=1,ReaderID=0");
        envelope.Run([result]() { return result; });
        const auto finals = sink->FinalStatuses();
        ASSERT_EQ(finals.size(), 1u);
        EXPECT_EQ(finals[0].hasText, SUCCEEDED(result));
    }
}

}  // namespace
}  // namespace instancetest
