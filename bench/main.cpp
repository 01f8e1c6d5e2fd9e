// provixa_bench: the instance provider's cost per row against raw SQLite reads of the same rows,
// its keyed gets alone and from eight callers at once (see ProviderBench), paged bus reads
// against the raw read of the same page, the porter's pages of badges also against the
// administrator's (BusPageBench), and Bnt_Cardholder for a restricted
// operator against the equivalent raw SQL (CardholderBench), records seen with their owner (a
// badge, its extension, its level links) for the administrator and for the segment-restricted
// porter at 10k, 100k and 1M persons (OwnerDerivedBench), and the Base64 round trip at two
// sizes against a plain copy (Base64Bench), and the memory a 16 MiB binary value costs the host
// on each door and output form beside what it prints (ValueMemoryBench). Builds its own installation in a
// temporary PROVIXA_HOME; takes the usual Google Benchmark options (--benchmark_filter,
// --benchmark_min_time, --benchmark_repetitions). The summary at the end prints every ratio
// beside its target.
#include <benchmark/benchmark.h>

#include <exception>
#include <iostream>

#include "bench/Base64Bench.h"
#include "bench/BenchInstallation.h"
#include "bench/BusPageBench.h"
#include "bench/CardholderBench.h"
#include "bench/OwnerDerivedBench.h"
#include "bench/ProviderBench.h"
#include "bench/SummaryReporter.h"
#include "bench/ValueMemoryBench.h"

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
        CardholderBench cardholderBench(installation, bench.Provider());
        cardholderBench.Register();
        OwnerDerivedBench ownerBench(installation, bench.Provider());
        ownerBench.Register();
        Base64Bench::Register();
        ValueMemoryBench valueBench;
        valueBench.Register();
        using Measurement = SummaryReporter::Measurement;
        Measurement enumeration{ProviderBench::kEnumerationName, "enumeration ratio", 2.5, "row"};
        enumeration.flat = true;
        Measurement parallel{ProviderBench::kParallelGetName, "parallel keyed get speed-up", 4.0, "get", " callers"};
        parallel.measured = "all callers";
        parallel.baseline = "one caller";
        parallel.atLeast = true;
        // The engine's own scaling on the same machine: what the provider's speed-up can reach.
        Measurement rawParallel = parallel;
        rawParallel.family = ProviderBench::kRawParallelGetName;
        rawParallel.label = "raw engine parallel keyed get speed-up";
        rawParallel.target = 0;
        // Reference only: what matters is that the cost per byte at 1 MiB stays that at 128 KiB.
        Measurement base64{Base64Bench::kBase64Name, "Base64 round trip against a copy", 0, "byte", " bytes"};
        base64.flat = true;
        base64.measured = "base64";
        base64.baseline = "copy";
        // A restricted caller's read of records seen with their owner, flat from 10k to 1M persons
        // and set against the administrator's read of the same class: a badge's keyed get and
        // enumeration within 1.5 times it (per get, per row returned), the others for reference.
        // The porter's bus pages of badges against the raw read of the same page and against the
        // administrator's pages of the same number.
        constexpr const char* kBadgePages = " (page number, 100 a page of 100000 persons' badges)";
        const Measurement badgePage{BusPageBench::kBadgePageName, "badge bus page ratio", 3.0, "page", kBadgePages};
        Measurement restrictedBadgePage{BusPageBench::kRestrictedBadgePageName, "restricted badge bus page ratio", 3.0,
                                        "page", kBadgePages};
        restrictedBadgePage.against = BusPageBench::kBadgePageName;
        restrictedBadgePage.againstTarget = 1.5;
        using Owner = OwnerDerivedBench;
        const auto ownerRead = [](const char* family, const char* label, double target, const char* unit,
                                  const char* against, double againstTarget) {
            Measurement read{family, label, target, unit, " persons"};
            read.flat = true;
            if (against != nullptr)
            {
                read.against = against;
                read.againstTarget = againstTarget;
            }
            return read;
        };
        SummaryReporter reporter({
            enumeration,
            {ProviderBench::kKeyedGetName, "keyed get ratio", 3.0, "get"},
            parallel,
            rawParallel,
            {BusPageBench::kBusPageName, "bus page ratio", 3.0, "page", " (page number, 100 of 100000 rows)"},
            badgePage,
            restrictedBadgePage,
            {CardholderBench::kCardholderName, "restricted cardholder ratio", 2.5, "row", " persons"},
            ownerRead(Owner::kBadgeGetName, "badge keyed get ratio", 2.7, "get", nullptr, 0),
            ownerRead(Owner::kRestrictedBadgeGetName, "restricted badge keyed get ratio", 2.7, "get",
                      Owner::kBadgeGetName, 1.5),
            ownerRead(Owner::kBadgeEnumerationName, "badge enumeration ratio", 2.3, "row", nullptr, 0),
            ownerRead(Owner::kRestrictedBadgeEnumerationName, "restricted badge enumeration ratio", 2.3, "row",
                      Owner::kBadgeEnumerationName, 1.5),
            ownerRead(Owner::kExtensionEnumerationName, "badge extension enumeration ratio", 0, "row", nullptr, 0),
            ownerRead(Owner::kRestrictedExtensionEnumerationName, "restricted badge extension enumeration ratio", 0,
                      "row", Owner::kExtensionEnumerationName, 0),
            ownerRead(Owner::kLinkEnumerationName, "level link enumeration ratio", 0, "row", nullptr, 0),
            ownerRead(Owner::kRestrictedLinkEnumerationName, "restricted level link enumeration ratio", 0, "row",
                      Owner::kLinkEnumerationName, 0),
            base64,
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
