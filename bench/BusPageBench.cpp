#include "bench/BusPageBench.h"

#include <benchmark/benchmark.h>

#include <stdexcept>

#include "bench/BenchInstallation.h"
#include "bench/PairTiming.h"
#include "bench/RawBadgeSql.h"
#include "bus/CCorvessaBaseApp.h"
#include "platform/mfc/COleDateTime.h"
#include "platform/mfc/ModuleState.h"

namespace {
constexpr int kRowCount = 100000;
constexpr int kBadgePersons = 100000;
constexpr int kPageSize = 100;
constexpr int kBadgePages[] = {1, 150, 300};
constexpr char kApplicationId[] = "provixa_bench";
constexpr char kPageOfKeys[] = " ORDER BY BADGE.BADGEKEY LIMIT ? OFFSET ?";

// The session of an internal account of the demo. Throws std::runtime_error when the login fails.
std::string LogIn(CCorvessaBaseApp& app, const char* user, const char* password)
{
    std::string token;
    COleDateTime when;
    if (FAILED(app.Authenticate(kApplicationId, -1, user, password, token, when)))
        throw std::runtime_error(std::string("the bus login of ") + user + " failed");
    return token;
}
}  // namespace

BusPageBench::BusPageBench(BenchInstallation& installation)
    : m_installation(installation), m_raw(installation.DatabaseFile()), m_records(installation.DatabaseFile())
{
    m_app = std::make_unique<CCorvessaBaseApp>();
    const CModuleStateSwitch current(m_app.get());
    m_app->InitInstance();
    m_token = LogIn(*m_app, "sa", "sa-demo");
    m_porterToken = LogIn(*m_app, "porter", "porter-demo");
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
    const std::string badges = RawBadgeSql::kBadges;
    const std::string count = RawBadgeSql::kCount;
    using RawBadgeSql::kPortersBadge;
    static const BadgePages kAll{&m_token, badges, count, badges + kPageOfKeys};
    static const BadgePages kPorters{&m_porterToken, badges + kPortersBadge, count + kPortersBadge,
                                     badges + kPortersBadge + kPageOfKeys};
    for (const auto& [family, pages] :
         {std::pair{kBadgePageName, &kAll}, std::pair{kRestrictedBadgePageName, &kPorters}})
    {
        benchmark::internal::Benchmark* registered =
            benchmark::RegisterBenchmark(family, [this, pages](benchmark::State& state) { BadgePage(state, *pages); });
        for (const int page : kBadgePages)
            registered->Arg(page);
        registered->UseManualTime()->Unit(benchmark::kMicrosecond);
    }
}

void BusPageBench::Page(benchmark::State& state)
{
    try
    {
        m_installation.FillEventTypes(kRowCount);
        TimePages(state, m_token, "Bnt_EventType", kRowCount, [&](std::int64_t offset) {
            if (m_raw.ReadPage(offset, kPageSize) != kPageSize)
                throw std::runtime_error("the raw page read missed rows");
        });
    }
    catch (const std::exception& error)
    {
        state.SkipWithError(error.what());
    }
}

void BusPageBench::BadgePage(benchmark::State& state, const BadgePages& pages)
{
    try
    {
        m_installation.FillBadges(kBadgePersons);
        // The rows the caller may see, read once: the count every bus reply must name.
        const std::int64_t visible = m_records.Read(pages.rawAll.c_str());
        TimePages(state, *pages.token, "Bnt_Badge", visible, [&](std::int64_t offset) {
            m_records.Read(pages.rawCount.c_str());
            if (m_records.Read(pages.rawPage.c_str(), {kPageSize, offset}) != kPageSize)
                throw std::runtime_error("the raw badge page read missed rows");
        });
    }
    catch (const std::exception& error)
    {
        state.SkipWithError(error.what());
    }
}

void BusPageBench::TimePages(benchmark::State& state, const std::string& token, const char* type,
                             std::int64_t totalCount, const std::function<void(std::int64_t offset)>& raw)
{
    const CModuleStateSwitch current(m_app.get());
    corvessa::PagingParameters paging;
    paging.pageNumber = static_cast<std::int32_t>(state.range(0));
    paging.pageSize = kPageSize;
    const std::int64_t offset = static_cast<std::int64_t>(paging.pageNumber - 1) * kPageSize;
    std::string typeName = type;
    auto bus = [&] {
        CCorvessaBaseApp::CorvessaPaginatedInfo info;
        CCorvessaBaseApp::InstanceList instances;
        const HRESULT hr = m_app->GetInstance(token, kApplicationId, typeName, "", paging, info, instances);
        if (hr != S_OK || instances.size() != kPageSize || info.totalCount != totalCount)
            throw std::runtime_error("the bus read of " + typeName + " answered " + std::to_string(instances.size()) +
                                     " rows of " + std::to_string(info.totalCount) + ", expected " +
                                     std::to_string(kPageSize) + " of " + std::to_string(totalCount));
    };
    auto read = [&] { raw(offset); };
    // Outside the measurement: the connection pool, the caches and the database pages fill.
    bus();
    read();

    PairTiming::Clock::duration busTime{};
    PairTiming::Clock::duration rawTime{};
    for (auto _ : state)
        PairTiming::RunPair(state, bus, read, busTime, rawTime);
    benchmark::DoNotOptimize(m_raw.Checksum() + m_records.Checksum());
    PairTiming::ReportCounters(state, busTime, rawTime, static_cast<double>(state.iterations()));
}
