#include "bench/RequestTiming.h"

#include <benchmark/benchmark.h>

#include <stdexcept>

#include "bench/BenchRequest.h"
#include "bench/CountingSink.h"
#include "bench/PairTiming.h"
#include "provider/CWmipInstanceProvider.h"

void RequestTiming::Enumeration(benchmark::State& state, CWmipInstanceProvider& provider, const std::wstring& query,
                                const char* what, const std::function<std::int64_t()>& raw)
{
    const BstrOwner language = BenchRequest::MakeBstr(L"WQL");
    const BstrOwner text = BenchRequest::MakeBstr(query);
    const ComPtr<CountingSink> sink = MakeComObject<CountingSink>();
    const std::int64_t expected = raw();

    auto enumerate = [&] {
        sink->Reset();
        const HRESULT result = provider.ExecQueryAsync(language.Get(), text.Get(), 0, nullptr, sink.Get());
        BenchRequest::ExpectAnswered(what, result, *sink, expected);
    };
    auto read = [&] {
        const std::int64_t rows = raw();
        if (rows != expected)
            throw std::runtime_error(std::string("the raw read of ") + what + " answered " + std::to_string(rows) +
                                     " rows, before " + std::to_string(expected));
    };
    // Outside the measurement: the caller's user cache entry, the class and the pages.
    enumerate();

    PairTiming::Clock::duration providerTime{};
    PairTiming::Clock::duration rawTime{};
    for (auto _ : state)
        PairTiming::RunPair(state, enumerate, read, providerTime, rawTime);
    PairTiming::ReportCounters(state, providerTime, rawTime, static_cast<double>(state.iterations() * expected));
}

void RequestTiming::KeyedGets(benchmark::State& state, CWmipInstanceProvider& provider,
                              const std::vector<BstrOwner>& paths, const char* what,
                              const std::function<void(std::size_t)>& rawRead)
{
    if (paths.empty() || paths.size() % kGetsPerIteration != 0)
        throw std::runtime_error(std::string(what) + ": the paths are no whole number of batches");
    const ComPtr<CountingSink> sink = MakeComObject<CountingSink>();
    std::size_t first = 0;
    auto get = [&] {
        for (std::size_t i = first; i < first + kGetsPerIteration; ++i)
        {
            sink->Reset();
            const HRESULT result = provider.GetObjectAsync(paths[i].Get(), 0, nullptr, sink.Get());
            BenchRequest::ExpectAnswered(what, result, *sink, 1);
        }
    };
    auto read = [&] {
        for (std::size_t i = first; i < first + kGetsPerIteration; ++i)
            rawRead(i);
    };
    // Outside the measurement: the connection pool, the caches and the database pages fill.
    get();
    read();

    PairTiming::Clock::duration providerTime{};
    PairTiming::Clock::duration rawTime{};
    for (auto _ : state)
    {
        PairTiming::RunPair(state, get, read, providerTime, rawTime);
        first = (first + kGetsPerIteration) % paths.size();
    }
    PairTiming::ReportCounters(state, providerTime, rawTime,
                               static_cast<double>(state.iterations()) * kGetsPerIteration);
}
