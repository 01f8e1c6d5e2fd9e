// SummaryReporter: the console reporter of provixa_bench. Prints every run as the tabular
// console reporter does, keeps the counters of the measured families (ratio,
// provider_ns_per_row, raw_ns_per_row, peak_rss_mib) and, once every benchmark has run, prints
// one summary line per family and argument, for example
//   "enumeration ratio: 2.4x (target <= 2.5x), 10000 rows: provider 812 ns/row, raw 338 ns/row"
// and, for a family that must stay flat as it grows, the per-row cost of its largest argument
// against its smallest, and for a family compared with another (a restricted caller's read
// against the administrator's) the ratio of their measured costs at each argument. Time per unit is in nanoseconds.
// Runs of a family measured more than once (repetitions) are averaged; a failed run is left out
// of the averages and named in the summary with its reason ("...: not measured, ...").
//
// Owned by main for the duration of benchmark::RunSpecifiedBenchmarks; called on one thread.
#pragma once

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

class SummaryReporter : public benchmark::ConsoleReporter
{
public:
    // One summarised family: the benchmark's name, the summary's label, the ratio target and
    // what one unit of the per-row counters is ("row", "get", "page").
    struct Measurement
    {
        std::string family;
        std::string label;
        // 0: printed for reference, without a target.
        double target = 0;
        std::string unit;
        // What the benchmark's argument counts, printed after it.
        std::string argument = " rows";
        // The names of the measured side and of its baseline in the summary.
        std::string measured = "provider";
        std::string baseline = "raw";
        // True when the ratio must reach the target (a speed-up) rather than stay below it.
        bool atLeast = false;
        // True when the per-row cost must not grow with the argument: the summary compares
        // the largest argument's cost with the smallest's.
        bool flat = false;
        // Another family whose measured cost this one's is compared with at each argument (a
        // restricted caller's against the administrator's), and the target of that ratio
        // (0: for reference).
        std::string against = {};
        double againstTarget = 0;
    };

    explicit SummaryReporter(std::vector<Measurement> measurements);

    void ReportRuns(const std::vector<Run>& reports) override;
    // Prints the summary lines, in the order the runs were reported.
    void Finalize() override;

private:
    struct Result
    {
        std::size_t measurement = 0;
        std::string rows;
        int runs = 0;
        double ratio = 0;
        double providerNs = 0;
        double rawNs = 0;
        double peakRssMib = 0;
    };

    // A run that failed: the family, its argument and the reason it gave.
    struct Failure
    {
        std::size_t measurement = 0;
        std::string rows;
        std::string reason;
    };

    // Prints the growth of the per-row cost over the family's arguments.
    void PrintFlatness(std::ostream& out, std::size_t measurement) const;
    // Prints the family's measured cost against the `against` family's at each argument.
    void PrintAgainst(std::ostream& out, std::size_t measurement) const;

    // Set at construction.
    std::vector<Measurement> m_measurements;

    std::vector<Result> m_results;
    std::vector<Failure> m_failures;
};
