#include "bench/ProviderBench.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <stdexcept>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchInstallation.h"
#include "bench/CountingSink.h"
#include "bench/BenchRequest.h"
#include "bench/PairTiming.h"
#include "bench/PeakResident.h"
#include "bench/RequestTiming.h"
#include "platform/com/BstrOwner.h"
#include "platform/com/Bstr.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CString.h"
#include "platform/wmi/WbemRepository.h"
#include "platform/wmi/WbemServiceNamespace.h"
#include "tools/provixa/ProvixaSchemaLoader.h"

namespace {

using Clock = PairTiming::Clock;

constexpr const wchar_t* kQuery = L"SELECT * FROM Bnt_EventType";
constexpr const wchar_t* kPathPrefix = L"Bnt_EventType.ID=";
constexpr int kSmallRowCount = 10000;
constexpr int kLargeRowCount = 100000;
constexpr int kHugeRowCount = 1000000;
// The parallel measurement: callers at once, and the gets each caller makes per iteration.
constexpr int kParallelCallers = 8;
constexpr std::size_t kGetsPerCaller = 256;
// Keys drawn once per run and used round-robin, a batch per iteration; the pool is a multiple
// of the batch.
constexpr std::size_t kKeyPoolSize = 4096;
constexpr unsigned kKeySeed = 20240101;
static_assert(kKeyPoolSize % RequestTiming::kGetsPerIteration == 0, "a batch never runs past the key pool");
static_assert(kKeyPoolSize >= kGetsPerCaller * kParallelCallers, "each caller gets keys of its own");

// The namespace the provider serves, its repository holding every registered class as the host
// loads it: the mappers fetch their class definitions from it.
ComPtr<WbemServiceNamespace> MakeNamespace()
{
    auto repository = std::make_shared<WbemRepository>(L"localhost", L"root\\Brontel");
    std::wstring failedClass;
    const HRESULT loaded = ProvixaSchemaLoader::Load(*repository, &failedClass);
    if (FAILED(loaded))
        throw std::runtime_error("loading the class " + CStringToUtf8(CString(failedClass.c_str())) +
                                 " into the namespace failed with " + BenchRequest::HexOf(loaded));
    return WbemServiceNamespace::Create(std::move(repository));
}

// The "ID" of an object; -1 when it has none or no object is given.
LONG IdOf(IWbemClassObject* object)
{
    _variant_t id;
    if (object == nullptr || FAILED(object->Get(L"ID", 0, &id, nullptr, nullptr)) || id.vt != VT_I4)
        return -1;
    return id.lVal;
}

// Random keys of event types 1..rows and their object paths, drawn the same way on every run.
struct KeyPool
{
    std::vector<int> keys;
    std::vector<BstrOwner> paths;
};

KeyPool MakeKeyPool(int rows)
{
    std::mt19937 random(kKeySeed);
    std::uniform_int_distribution<int> pick(1, rows);
    KeyPool pool;
    pool.keys.reserve(kKeyPoolSize);
    pool.paths.reserve(kKeyPoolSize);
    for (std::size_t i = 0; i < kKeyPoolSize; ++i)
    {
        pool.keys.push_back(pick(random));
        pool.paths.push_back(BenchRequest::MakeBstr(kPathPrefix + std::to_wstring(pool.keys.back())));
    }
    return pool;
}

}  // namespace

ProviderBench::ProviderBench(BenchInstallation& installation)
    : m_installation(installation),
      m_caller(CallerIdentity(BenchInstallation::AdministratorSid(), SecurityImpersonation)),
      m_services(MakeNamespace()), m_raw(installation.DatabaseFile())
{
    const HRESULT result = m_provider.Initialize(nullptr, 0, nullptr, nullptr, m_services.Get(), nullptr, nullptr);
    if (result != WBEM_S_NO_ERROR)
        throw std::runtime_error("the instance provider's Initialize answered " + BenchRequest::HexOf(result));
}

ProviderBench::~ProviderBench() = default;

void ProviderBench::Register()
{
    benchmark::RegisterBenchmark(kEnumerationName, [this](benchmark::State& state) { Enumeration(state); })
        ->Arg(kSmallRowCount)
        ->Arg(kLargeRowCount)
        ->Arg(kHugeRowCount)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(kKeyedGetName, [this](benchmark::State& state) { KeyedGet(state); })
        ->Arg(kSmallRowCount)
        ->Arg(kLargeRowCount)
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(kParallelGetName, [this](benchmark::State& state) { ParallelKeyedGet(state); })
        ->Arg(kParallelCallers)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(kRawParallelGetName, [this](benchmark::State& state) { RawParallelKeyedGet(state); })
        ->Arg(kParallelCallers)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}

void ProviderBench::Enumeration(benchmark::State& state)
{
    try
    {
        const int rows = static_cast<int>(state.range(0));
        m_installation.FillEventTypes(rows);
        const BstrOwner language = BenchRequest::MakeBstr(L"WQL");
        const BstrOwner query = BenchRequest::MakeBstr(kQuery);
        const ComPtr<CountingSink> sink = MakeComObject<CountingSink>();

        auto provider = [&] {
            sink->Reset();
            const HRESULT result = m_provider.ExecQueryAsync(language.Get(), query.Get(), 0, nullptr, sink.Get());
            BenchRequest::ExpectAnswered("ExecQueryAsync", result, *sink, rows);
        };
        auto raw = [&] {
            const std::int64_t read = m_raw.ReadAll();
            if (read != rows)
                throw std::runtime_error("the raw enumeration read " + std::to_string(read) + " rows");
        };
        // Outside the measurement: the connection pool, the caches and the database pages fill.
        provider();
        raw();

        PeakResident::Reset();
        Clock::duration providerTime{};
        Clock::duration rawTime{};
        for (auto _ : state)
            PairTiming::RunPair(state, provider, raw, providerTime, rawTime);
        benchmark::DoNotOptimize(m_raw.Checksum());
        PairTiming::ReportCounters(state, providerTime, rawTime, static_cast<double>(state.iterations()) * rows);
        state.counters["peak_rss_mib"] = PeakResident::PeakMib();
    }
    catch (const std::exception& error)
    {
        state.SkipWithError(error.what());
    }
}

void ProviderBench::KeyedGet(benchmark::State& state)
{
    try
    {
        const int rows = static_cast<int>(state.range(0));
        m_installation.FillEventTypes(rows);
        const KeyPool pool = MakeKeyPool(rows);
        // Outside the measurement: the first batch shows that each get answers the object of its
        // own key.
        const ComPtr<CountingSink> sink = MakeComObject<CountingSink>();
        for (std::size_t i = 0; i < RequestTiming::kGetsPerIteration; ++i)
        {
            sink->Reset();
            const HRESULT result = m_provider.GetObjectAsync(pool.paths[i].Get(), 0, nullptr, sink.Get());
            BenchRequest::ExpectAnswered("GetObjectAsync", result, *sink, 1);
            if (IdOf(sink->LastObject()) != pool.keys[i])
                throw std::runtime_error("GetObjectAsync of event type " + std::to_string(pool.keys[i]) +
                                         " answered another object");
        }
        RequestTiming::KeyedGets(state, m_provider, pool.paths, "GetObjectAsync", [&](std::size_t i) {
            if (m_raw.ReadOne(pool.keys[i]) != 1)
                throw std::runtime_error("the raw keyed read missed event type " + std::to_string(pool.keys[i]));
        });
        benchmark::DoNotOptimize(m_raw.Checksum());
    }
    catch (const std::exception& error)
    {
        state.SkipWithError(error.what());
    }
}

void ProviderBench::ParallelKeyedGet(benchmark::State& state)
{
    const int callers = static_cast<int>(state.range(0));
    m_installation.FillEventTypes(kLargeRowCount);
    const KeyPool pool = MakeKeyPool(kLargeRowCount);
    // One caller's gets, with the caller named as WMI names it on its thread.
    RunParallel(
        state,
        [&](int index) {
            const CallerIdentity::Scope scope(
                CallerIdentity(BenchInstallation::AdministratorSid(), SecurityImpersonation));
            const ComPtr<CountingSink> sink = MakeComObject<CountingSink>();
            const std::size_t first = static_cast<std::size_t>(index) * kGetsPerCaller;
            for (std::size_t i = first; i < first + kGetsPerCaller; ++i)
            {
                sink->Reset();
                const HRESULT result = m_provider.GetObjectAsync(pool.paths[i].Get(), 0, nullptr, sink.Get());
                BenchRequest::ExpectAnswered("GetObjectAsync", result, *sink, 1);
            }
        },
        callers);
}

void ProviderBench::RawParallelKeyedGet(benchmark::State& state)
{
    const int callers = static_cast<int>(state.range(0));
    m_installation.FillEventTypes(kLargeRowCount);
    const KeyPool pool = MakeKeyPool(kLargeRowCount);
    // A connection per caller, opened before the measurement.
    std::vector<std::unique_ptr<RawEventTypeReader>> readers;
    for (int index = 0; index < callers; ++index)
        readers.push_back(std::make_unique<RawEventTypeReader>(m_installation.DatabaseFile()));
    RunParallel(
        state,
        [&](int index) {
            RawEventTypeReader& reader = *readers[static_cast<std::size_t>(index)];
            const std::size_t first = static_cast<std::size_t>(index) * kGetsPerCaller;
            for (std::size_t i = first; i < first + kGetsPerCaller; ++i)
            {
                if (reader.ReadOne(pool.keys[i]) != 1)
                    throw std::runtime_error("the raw keyed read missed event type " + std::to_string(pool.keys[i]));
            }
        },
        callers);
}

void ProviderBench::RunParallel(benchmark::State& state, const std::function<void(int)>& caller, int callers)
{
    try
    {
        std::mutex failureLock;
        std::string failure;
        auto run = [&](int count) {
            std::vector<std::thread> threads;
            threads.reserve(static_cast<std::size_t>(count));
            for (int index = 0; index < count; ++index)
            {
                threads.emplace_back([&, index] {
                    try
                    {
                        caller(index);
                    }
                    catch (const std::exception& error)
                    {
                        const std::lock_guard guard(failureLock);
                        failure = error.what();
                    }
                });
            }
            for (std::thread& thread : threads)
                thread.join();
            if (!failure.empty())
                throw std::runtime_error(failure);
        };
        auto many = [&] { run(callers); };
        auto one = [&] { run(1); };
        // Outside the measurement: every caller's user cache entry and the pool's connections.
        many();

        Clock::duration manyTime{};
        Clock::duration oneTime{};
        for (auto _ : state)
            PairTiming::RunPair(state, many, one, manyTime, oneTime);
        // Time per get: the callers' gets share the wall-clock time; the speed-up is the
        // throughput of all callers against the throughput of one.
        const double iterations = static_cast<double>(state.iterations());
        const double manyNs = std::chrono::duration<double, std::nano>(manyTime).count() /
                              (iterations * static_cast<double>(callers * kGetsPerCaller));
        const double oneNs = std::chrono::duration<double, std::nano>(oneTime).count() / (iterations * kGetsPerCaller);
        state.counters["provider_ns_per_row"] = manyNs;
        state.counters["raw_ns_per_row"] = oneNs;
        state.counters["ratio"] = manyNs > 0 ? oneNs / manyNs : 0.0;
    }
    catch (const std::exception& error)
    {
        state.SkipWithError(error.what());
    }
}
