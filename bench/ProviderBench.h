// ProviderBench: the two measurements of provixa_bench. Each pairs the instance provider with
// the raw SQLite baseline (RawEventTypeReader) on the same Bnt_EventType rows in the same
// iterations, alternating which side runs first:
//   Enumeration/N  "SELECT * FROM Bnt_EventType" through ExecQueryAsync into a counting sink,
//                  versus one raw SELECT of the same columns over the N rows;
//   KeyedGet/N     GetObjectAsync of "Bnt_EventType.ID=<key>" for random keys, versus one raw
//                  keyed SELECT per key;
//   ParallelKeyedGet/C  C callers on threads of their own doing keyed gets at once, versus one
//                  caller alone; the ratio is the speed-up in gets per second (higher is better);
//   RawParallelKeyedGet/C  the same for raw keyed SELECTs, each caller on a connection of its
//                  own: how far the database engine itself scales, for reference.
// Enumeration also reports the peak resident size while it runs (peak_rss_mib).
// Each reports the counters provider_ns_per_row and raw_ns_per_row (per row enumerated, or per
// object got) and their ratio, provider / raw.
//
// Owned by main, after the installation it measures, which must outlive it. Register hands
// Google Benchmark callbacks that refer to this object, so it must outlive the run. Not
// thread-safe: the benchmarks run on the thread that built it (the caller identity is per
// thread).
#pragma once

#include <functional>

#include "bench/RawEventTypeReader.h"
#include "platform/com/Unknown.h"
#include "platform/security/CallerIdentity.h"
#include "provider/CWmipInstanceProvider.h"

namespace benchmark {
class State;
}

class BenchInstallation;
class WbemServiceNamespace;

class ProviderBench
{
public:
    // The benchmark families, as the summary names them.
    static constexpr const char* kEnumerationName = "Enumeration";
    static constexpr const char* kKeyedGetName = "KeyedGet";
    static constexpr const char* kParallelGetName = "ParallelKeyedGet";
    static constexpr const char* kRawParallelGetName = "RawParallelKeyedGet";

    // Initialises the provider on a namespace of its own, with the installation's system
    // administrator as the caller of this thread. Throws std::runtime_error when the
    // provider's Initialize fails or the database cannot be opened for the raw reads.
    explicit ProviderBench(BenchInstallation& installation);
    ~ProviderBench();
    ProviderBench(const ProviderBench&) = delete;
    ProviderBench& operator=(const ProviderBench&) = delete;

    // Registers the enumeration for 10,000, 100,000 and 1,000,000 rows, the keyed get for
    // 10,000 and 100,000, and the parallel keyed gets (provider and raw) for eight callers over
    // 100,000 rows.
    void Register();

    // The provider the measurements call; valid for the life of the object.
    CWmipInstanceProvider& Provider() { return m_provider; }

private:
    void Enumeration(benchmark::State& state);
    void KeyedGet(benchmark::State& state);
    void ParallelKeyedGet(benchmark::State& state);
    void RawParallelKeyedGet(benchmark::State& state);
    // Times `caller` (given its index) run by `callers` threads at once against one thread
    // alone, alternating; reports the speed-up in the counters. A caller's throw fails the run.
    static void RunParallel(benchmark::State& state, const std::function<void(int)>& caller, int callers);

    // Set at construction.
    BenchInstallation& m_installation;
    CallerIdentity::Scope m_caller;
    ComPtr<WbemServiceNamespace> m_services;
    CWmipInstanceProvider m_provider;
    RawEventTypeReader m_raw;
};
