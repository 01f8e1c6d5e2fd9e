#include "bench/BusPageBench.h"

#include <benchmark/benchmark.h>

#include <stdexcept>

#include "bench/BenchInstallation.h"
#include "bench/PairTiming.h"
#include "bus/CCorvessaBaseApp.h"
#include "platform/mfc/COleDateTime.h"
#include "platform/mfc/ModuleState.h"

namespace {
constexpr int kRowCount = 100000;
constexpr int kPageSize = 100;
constexpr char kApplicationId[] = "provixa_bench";
}  // namespace

BusPageBench::BusPageBench(BenchInstallation& installation)
    : m_installation(installation), m_raw(installation.DatabaseFile())
{
    m_app = std::make_unique<CCorvessaBaseApp>();
    const CModuleStateSwitch current(m_app.get());
    m_app->InitInstance();
    COleDateTime when;
    if (FAILED(m_app->Authenticate(kApplicationId, -1, "sa", "sa-demo", m_token, when)))
        throw std::runtime_error("the bus login of sa failed");
}

BusPageBench::~BusPageBench()
{
    const CModuleStateSwitch current(m_app.get());
    m_app->ExitInstance();
    m_app.reset();
}

void BusPageBench::Register()
{
    benchmark::RegisterBenchmark(kBusPageName, [this](benchmark::State& state) { Page(state); })
        ->Arg(1)
        ->Arg(kRowCount / kPageSize / 2)
        ->Arg(kRowCount / kPageSize)
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond);
}

void BusPageBench::Page(benchmark::State& state)
{
    try
    {
        m_installation.FillEventTypes(kRowCount);
        const CModuleStateSwitch current(m_app.get());
        corvessa::PagingParameters paging;
        paging.pageNumber = static_cast<std::int32_t>(state.range(0));
        paging.pageSize = kPageSize;
        std::string type = "Bnt_EventType";
        auto bus = [&] {
            CCorvessaBaseApp::CorvessaPaginatedInfo info;
            CCorvessaBaseApp::InstanceList instances;
            const HRESULT hr = m_app->GetInstance(m_token, kApplicationId, type, "", paging, info, instances);
            if (hr != S_OK || instances.size() != kPageSize || info.totalCount != kRowCount)
                throw std::runtime_error("the bus read answered " + std::to_string(instances.size()) + " rows of " +
                                         std::to_string(info.totalCount));
        };
        auto raw = [&] {
            const std::int64_t offset = static_cast<std::int64_t>(paging.pageNumber - 1) * kPageSize;
            if (m_raw.ReadPage(offset, kPageSize) != kPageSize)
                throw std::runtime_error("the raw page read missed rows");
        };
        // Outside the measurement: the connection pool, the caches and the database pages fill.
        bus();
        raw();

        PairTiming::Clock::duration busTime{};
        PairTiming::Clock::duration rawTime{};
        for (auto _ : state)
            PairTiming::RunPair(state, bus, raw, busTime, rawTime);
        benchmark::DoNotOptimize(m_raw.Checksum());
        PairTiming::ReportCounters(state, busTime, rawTime, static_cast<double>(state.iterations()));
    }
    catch (const std::exception& error)
    {
        state.SkipWithError(error.what());
    }
}
