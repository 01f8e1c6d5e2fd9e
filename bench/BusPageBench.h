// BusPageBench: the paged bus reads of provixa_bench, each through CCorvessaBaseApp::GetInstance
// as a bus client would, beside the raw SQLite read of the same reply (the row count, then the
// page with LIMIT/OFFSET in key order) in the same iterations, 100 rows a page:
//   BusPage/P   page P of Bnt_EventType over 100,000 rows, as the system administrator;
//   BadgeBusPage/P, RestrictedBadgeBusPage/P   page P of Bnt_Badge over 100,000 generated
//       persons with a badge each (BenchInstallation::FillBadges), as the system administrator
//       and as the segment-restricted porter (a third of the badges), whose raw read joins the
//       badge's person in.
// The first, a middle and the last page show whether a page's cost grows with its number faster
// than the raw read's. Counters per page, as PairTiming reports.
//
// Owned by main, after the installation it measures, which must outlive it. Holds the bus
// application object, made current only while a benchmark of its own runs. Not thread-safe.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "bench/RawEventTypeReader.h"
#include "bench/RawRecordReader.h"

namespace benchmark {
class State;
}

class BenchInstallation;
class CCorvessaBaseApp;

class BusPageBench
{
public:
    static constexpr const char* kBusPageName = "BusPage";
    static constexpr const char* kBadgePageName = "BadgeBusPage";
    static constexpr const char* kRestrictedBadgePageName = "RestrictedBadgeBusPage";

    // Makes the bus application and logs the demo system administrator and porter in. Throws
    // std::runtime_error when a login fails.
    explicit BusPageBench(BenchInstallation& installation);
    ~BusPageBench();
    BusPageBench(const BusPageBench&) = delete;
    BusPageBench& operator=(const BusPageBench&) = delete;

    // Registers BusPage for pages 1, 500 and 1000 and the badge pages for 1, 150 and 300 (the
    // porter sees some 334 pages).
    void Register();

private:
    // One family of badge pages: the caller's session and the raw reads of its reply.
    struct BadgePages
    {
        const std::string* token;
        // Every row the caller may see, their number, and one page of them.
        std::string rawAll;
        std::string rawCount;
        std::string rawPage;
    };

    void Page(benchmark::State& state);
    void BadgePage(benchmark::State& state, const BadgePages& pages);
    // Reads page state.range(0) of the type through the bus with the session, beside raw (which
    // reads the same reply and throws when it misses rows): each answer must hold a full page of
    // totalCount rows. The first read of each side runs outside the measurement.
    void TimePages(benchmark::State& state, const std::string& token, const char* type, std::int64_t totalCount,
                   const std::function<void(std::int64_t offset)>& raw);

    // Set at construction.
    BenchInstallation& m_installation;
    std::unique_ptr<CCorvessaBaseApp> m_app;
    std::string m_token;
    std::string m_porterToken;
    RawEventTypeReader m_raw;
    RawRecordReader m_records;
};
