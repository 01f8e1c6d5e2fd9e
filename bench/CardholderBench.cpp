#include "bench/CardholderBench.h"

#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>

#include "bench/BenchInstallation.h"
#include "bench/BenchRequest.h"
#include "bench/CountingSink.h"
#include "bench/PairTiming.h"
#include "platform/security/CallerIdentity.h"
#include "provider/CWmipInstanceProvider.h"

namespace {
constexpr int kPersonCount = 100000;
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
        const BstrOwner language = BenchRequest::MakeBstr(L"WQL");
        const BstrOwner query = BenchRequest::MakeBstr(L"SELECT * FROM Bnt_Cardholder");
        const ComPtr<CountingSink> sink = MakeComObject<CountingSink>();
        // The raw read counts the rows the operator may see; the provider must answer as many.
        const std::int64_t expected = m_raw.ReadSegments();

        auto provider = [&] {
            sink->Reset();
            const HRESULT result = m_provider.ExecQueryAsync(language.Get(), query.Get(), 0, nullptr, sink.Get());
            BenchRequest::ExpectAnswered("ExecQueryAsync of Bnt_Cardholder", result, *sink, expected);
        };
        auto raw = [&] {
            const std::int64_t read = m_raw.ReadSegments();
            if (read != expected)
                throw std::runtime_error("the raw cardholder read answered " + std::to_string(read) + " rows");
        };
        // Outside the measurement: the operator's user cache entry, the class and the pages.
        provider();

        PairTiming::Clock::duration providerTime{};
        PairTiming::Clock::duration rawTime{};
        for (auto _ : state)
            PairTiming::RunPair(state, provider, raw, providerTime, rawTime);
        benchmark::DoNotOptimize(m_raw.Checksum());
        PairTiming::ReportCounters(state, providerTime, rawTime, static_cast<double>(state.iterations() * expected));
    }
    catch (const std::exception& error)
    {
        state.SkipWithError(error.what());
    }
}
