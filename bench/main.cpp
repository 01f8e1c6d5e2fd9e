// provixa_bench: the instance provider's cost per row against raw SQLite reads of the same rows
// (see ProviderBench), and a paged bus read against the raw read of the same page (BusPageBench). Builds its own installation in a temporary PROVIXA_HOME; takes the usual
// Google Benchmark options (--benchmark_filter, --benchmark_min_time, --benchmark_repetitions).
#include <benchmark/benchmark.h>

#include <exception>
#include <iostream>

#include "bench/BenchInstallation.h"
#include "bench/BusPageBench.h"
#include "bench/ProviderBench.h"
#include "bench/SummaryReporter.h"

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    try
    {
        BenchInstallation installation;
        ProviderBench bench(installation);
        bench.Register();
        BusPageBench busBench(installation);
        busBench.Register();
        SummaryReporter reporter({
            {ProviderBench::kEnumerationName, "enumeration ratio", 3.0, "row"},
            {ProviderBench::kKeyedGetName, "keyed get ratio", 5.0, "get"},
            {BusPageBench::kBusPageName, "bus page ratio", 3.0, "page", " (page number, 100 of 100000 rows)"},
        });
        benchmark::RunSpecifiedBenchmarks(&reporter);
    }
    catch (const std::exception& error)
    {
        std::cerr << "provixa_bench: " << error.what() << '\n';
        return 1;
    }
    benchmark::Shutdown();
    return 0;
}
