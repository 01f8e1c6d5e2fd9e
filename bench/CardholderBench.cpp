#include "bench/CardholderBench.h"

#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>

#include "bench/BenchInstallation.h"
#include "bench/RequestTiming.h"
#include "platform/security/CallerIdentity.h"
#include "provider/CWmipInstanceProvider.h"

namespace {
constexpr int kPersonCount = 100000;
// The read Bnt_Cardholder makes for the operator, written by hand.
constexpr const char* kOperatorsCardholders =
    "SELECT EMP.ID, EMP.LASTNAME, EMP.FIRSTNAME, EMP.MIDNAME, EMP.SSNO, EMP.ALLOWEDVISITORS, EMP.LASTCHANGED, "
    "EMP.SEGMENTID, EMP.VISITOR, EMP.ASSET_GROUPID, EMP.GUARD, UDFEMP.ID FROM EMP "
    "LEFT OUTER JOIN UDFEMP ON EMP.ID = UDFEMP.ID WHERE EMP.VISITOR = ? AND EMP.SEGMENTID IN (?, ?)";
}  // namespace

CardholderBench::CardholderBench(BenchInstallation& installation, CWmipInstanceProvider& provider)
    : m_installation(installation), m_provider(provider), m_raw(installation.DatabaseFile())
{
}

void CardholderBench::Register()
{
    benchmark::RegisterBenchmark(kCardholderName, [this](benchmark::State& state) { Enumeration(state); })
        ->Arg(kPersonCount)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}

void CardholderBench::Enumeration(benchmark::State& state)
{
    try
    {
        m_installation.FillPersons(static_cast<int>(state.range(0)));
        const CallerIdentity::Scope caller(CallerIdentity(BenchInstallation::OperatorSid(), SecurityImpersonation));
        // The raw read counts the rows the operator may see; the provider must answer as many.
        RequestTiming::Enumeration(state, m_provider, L"SELECT * FROM Bnt_Cardholder",
                                   "ExecQueryAsync of Bnt_Cardholder", [&] {
                                       return m_raw.Read(kOperatorsCardholders, {0, 1, 2});
                                   });
        benchmark::DoNotOptimize(m_raw.Checksum());
    }
    catch (const std::exception& error)
    {
        state.SkipWithError(error.what());
    }
}
