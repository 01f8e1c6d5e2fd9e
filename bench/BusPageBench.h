// BusPageBench: the paged bus read of provixa_bench. BusPage/P reads page P (100 rows) of
// Bnt_EventType over 100,000 rows through CCorvessaBaseApp::GetInstance, as a bus client
// would, beside the raw SQLite read of the same reply (the row count, then the page with
// LIMIT/OFFSET) in the same iterations. Pages 1, 500 and 1000 show whether a page's cost
// grows with its number faster than the raw read's. Counters per page, as PairTiming reports.
//
// Owned by main, after the installation it measures, which must outlive it. Holds the bus
// application object, made current only while a benchmark of its own runs. Not thread-safe.
#pragma once

#include <memory>
#include <string>

#include "bench/RawEventTypeReader.h"

namespace benchmark {
class State;
}

class BenchInstallation;
class CCorvessaBaseApp;

class BusPageBench
{
public:
    static constexpr const char* kBusPageName = "BusPage";

    // Makes the bus application and logs the demo system administrator in. Throws
    // std::runtime_error when the login fails.
    explicit BusPageBench(BenchInstallation& installation);
    ~BusPageBench();
    BusPageBench(const BusPageBench&) = delete;
    BusPageBench& operator=(const BusPageBench&) = delete;

    // Registers the family for pages 1, 500 and 1000.
    void Register();

private:
    void Page(benchmark::State& state);

    // Set at construction.
    BenchInstallation& m_installation;
    std::unique_ptr<CCorvessaBaseApp> m_app;
    std::string m_token;
    RawEventTypeReader m_raw;
};
