// PairTiming: how provixa_bench times a measured side against its raw baseline in the same
// iterations: each side timed on its own, the order alternating between iterations, and the
// per-unit counters (provider_ns_per_row, raw_ns_per_row) and their ratio reported at the end.
//
// Stateless; called on the benchmark's thread.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>

class PairTiming
{
public:
    using Clock = std::chrono::steady_clock;

    PairTiming() = delete;

    template <typename Step>
    static Clock::duration Timed(Step&& step)
    {
        const Clock::time_point start = Clock::now();
        step();
        return Clock::now() - start;
    }

    // Runs both sides once, provider first on even iterations and raw first on odd ones, so
    // that neither always finds the caches warmed by the other; adds each side's time to its
    // total and gives the pair's time to the benchmark as the iteration's time.
    template <typename Provider, typename Raw>
    static void RunPair(benchmark::State& state, Provider&& provider, Raw&& raw, Clock::duration& providerTotal,
                        Clock::duration& rawTotal)
    {
        Clock::duration providerTime{};
        Clock::duration rawTime{};
        if (state.iterations() % 2 == 0)
        {
            providerTime = Timed(provider);
            rawTime = Timed(raw);
        }
        else
        {
            rawTime = Timed(raw);
            providerTime = Timed(provider);
        }
        providerTotal += providerTime;
        rawTotal += rawTime;
        state.SetIterationTime(std::chrono::duration<double>(providerTime + rawTime).count());
    }

    // The per-unit counters and their ratio; units is the number of rows (gets, pages) per side.
    static void ReportCounters(benchmark::State& state, Clock::duration providerTime, Clock::duration rawTime,
                               double units)
    {
        if (units <= 0)
            return;
        const double providerNs = std::chrono::duration<double, std::nano>(providerTime).count() / units;
        const double rawNs = std::chrono::duration<double, std::nano>(rawTime).count() / units;
        state.counters["provider_ns_per_row"] = providerNs;
        state.counters["raw_ns_per_row"] = rawNs;
        state.counters["ratio"] = rawNs > 0 ? providerNs / rawNs : 0.0;
    }
};
