#include "bench/ProviderBench.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/BenchInstallation.h"
#include "bench/CountingSink.h"
#include "bench/PairTiming.h"
#include "platform/com/BstrOwner.h"
#include "platform/com/Bstr.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CString.h"
#include "platform/wmi/WbemRepository.h"
#include "platform/wmi/WbemServiceNamespace.h"
#include "tools/provixa/ProvixaSchemaLoader.h"

namespace
{

using Clock = PairTiming::Clock;

constexpr const wchar_t* kQuery = L"SELECT * FROM Bnt_EventType";
constexpr const wchar_t* kPathPrefix = L"Bnt_EventType.ID=";
constexpr int kSmallRowCount = 10000;
constexpr int kLargeRowCount = 100000;
// Keys drawn once per run and used round-robin, a batch per iteration; the pool is a multiple
// of the batch.
constexpr std::size_t kKeyPoolSize = 4096;
constexpr std::size_t kGetsPerIteration = 64;
constexpr unsigned kKeySeed = 20240101;
static_assert(kKeyPoolSize % kGetsPerIteration == 0, "a batch never runs past the key pool");

BstrOwner MakeBstr(const std::wstring& text)
{
    BstrOwner owned = BstrOwner::Copy(text.c_str());
    if (!owned)
        throw std::runtime_error("out of memory for a request text");
    return owned;
}

std::string HexOf(HRESULT result)
{
    char text[16] = {};
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(result));
    return text;
}

// Checks that a provider request answered success once, with the expected number of objects.
void ExpectAnswered(const char* request, HRESULT returned, const CountingSink& sink, long long objects)
{
    if (returned != WBEM_S_NO_ERROR || sink.FinalStatuses() != 1 || sink.LastResult() != returned ||
        sink.Objects() != objects)
        throw std::runtime_error(std::string(request) + " answered " + HexOf(returned) + " with " +
                                 std::to_string(sink.FinalStatuses()) + " final statuses and " +
                                 std::to_string(sink.Objects()) + " objects, expected success and " +
                                 std::to_string(objects));
}

// The namespace the provider serves, its repository holding every registered class as the host
// loads it: the mappers fetch their class definitions from it.
ComPtr<WbemServiceNamespace> MakeNamespace()
{
    auto repository = std::make_shared<WbemRepository>(L"localhost", L"root\\Brontel");
    std::wstring failedClass;
    const HRESULT loaded = ProvixaSchemaLoader::Load(*repository, &failedClass);
    if (FAILED(loaded))
        throw std::runtime_error("loading the class " + CStringToUtf8(CString(failedClass.c_str())) +
                                 " into the namespace failed with " + HexOf(loaded));
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

}  // namespace

ProviderBench::ProviderBench(BenchInstallation& installation)
    : m_installation(installation),
      m_caller(CallerIdentity(BenchInstallation::AdministratorSid(), SecurityImpersonation)),
      m_services(MakeNamespace()),
      m_raw(installation.DatabaseFile())
{
    const HRESULT result =
        m_provider.Initialize(nullptr, 0, nullptr, nullptr, m_services.Get(), nullptr, nullptr);
    if (result != WBEM_S_NO_ERROR)
        throw std::runtime_error("the instance provider's Initialize answered " + HexOf(result));
}

ProviderBench::~ProviderBench() = default;

void ProviderBench::Register()
{
    benchmark::RegisterBenchmark(kEnumerationName, [this](benchmark::State& state) { Enumeration(state); })
        ->Arg(kSmallRowCount)
        ->Arg(kLargeRowCount)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(kKeyedGetName, [this](benchmark::State& state) { KeyedGet(state); })
        ->Arg(kSmallRowCount)
        ->Arg(kLargeRowCount)
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond);
}

void ProviderBench::Enumeration(benchmark::State& state)
{
    try
    {
        const int rows = static_cast<int>(state.range(0));
        m_installation.FillEventTypes(rows);
        const BstrOwner language = MakeBstr(L"WQL");
        const BstrOwner query = MakeBstr(kQuery);
        const ComPtr<CountingSink> sink = MakeComObject<CountingSink>();

        auto provider = [&] {
            sink->Reset();
            const HRESULT result = m_provider.ExecQueryAsync(language.Get(), query.Get(), 0, nullptr, sink.Get());
            ExpectAnswered("ExecQueryAsync", result, *sink, rows);
        };
        auto raw = [&] {
            const std::int64_t read = m_raw.ReadAll();
            if (read != rows)
                throw std::runtime_error("the raw enumeration read " + std::to_string(read) + " rows");
        };
        // Outside the measurement: the connection pool, the caches and the database pages fill.
        provider();
        raw();

        Clock::duration providerTime{};
        Clock::duration rawTime{};
        for (auto _ : state)
            PairTiming::RunPair(state, provider, raw, providerTime, rawTime);
        benchmark::DoNotOptimize(m_raw.Checksum());
        PairTiming::ReportCounters(state, providerTime, rawTime, static_cast<double>(state.iterations()) * rows);
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
        std::mt19937 random(kKeySeed);
        std::uniform_int_distribution<int> pick(1, rows);
        std::vector<int> keys;
        std::vector<BstrOwner> paths;
        keys.reserve(kKeyPoolSize);
        paths.reserve(kKeyPoolSize);
        for (std::size_t i = 0; i < kKeyPoolSize; ++i)
        {
            keys.push_back(pick(random));
            paths.push_back(MakeBstr(kPathPrefix + std::to_wstring(keys.back())));
        }
        const ComPtr<CountingSink> sink = MakeComObject<CountingSink>();

        std::size_t first = 0;
        auto provider = [&] {
            for (std::size_t i = first; i < first + kGetsPerIteration; ++i)
            {
                sink->Reset();
                const HRESULT result = m_provider.GetObjectAsync(paths[i].Get(), 0, nullptr, sink.Get());
                ExpectAnswered("GetObjectAsync", result, *sink, 1);
            }
        };
        auto raw = [&] {
            for (std::size_t i = first; i < first + kGetsPerIteration; ++i)
            {
                if (m_raw.ReadOne(keys[i]) != 1)
                    throw std::runtime_error("the raw keyed read missed event type " + std::to_string(keys[i]));
            }
        };
        // Outside the measurement: the connection pool, the caches and the database pages fill,
        // and the first batch shows that each get answers the object of its own key.
        for (std::size_t i = 0; i < kGetsPerIteration; ++i)
        {
            sink->Reset();
            const HRESULT result = m_provider.GetObjectAsync(paths[i].Get(), 0, nullptr, sink.Get());
            ExpectAnswered("GetObjectAsync", result, *sink, 1);
            if (IdOf(sink->LastObject()) != keys[i])
                throw std::runtime_error("GetObjectAsync of event type " + std::to_string(keys[i]) +
                                         " answered another object");
        }
        raw();

        Clock::duration providerTime{};
        Clock::duration rawTime{};
        for (auto _ : state)
        {
            PairTiming::RunPair(state, provider, raw, providerTime, rawTime);
            first = (first + kGetsPerIteration) % kKeyPoolSize;
        }
        benchmark::DoNotOptimize(m_raw.Checksum());
        PairTiming::ReportCounters(state, providerTime, rawTime, static_cast<double>(state.iterations()) * kGetsPerIteration);
    }
    catch (const std::exception& error)
    {
        state.SkipWithError(error.what());
    }
}
