#include "bench/SummaryReporter.h"

#include <cstdio>
#include <ostream>
#include <utility>

namespace
{

// The counter's value; 0 when the run has none.
double CounterOf(const benchmark::BenchmarkReporter::Run& run, const char* name)
{
    const auto found = run.counters.find(name);
    return found != run.counters.end() ? found->second.value : 0.0;
}

}  // namespace

SummaryReporter::SummaryReporter(std::vector<Measurement> measurements)
    : benchmark::ConsoleReporter(OO_Tabular), m_measurements(std::move(measurements))
{
}

void SummaryReporter::ReportRuns(const std::vector<Run>& reports)
{
    benchmark::ConsoleReporter::ReportRuns(reports);
    for (const Run& run : reports)
    {
        if (run.error_occurred || run.run_type != Run::RT_Iteration)
            continue;
        for (std::size_t m = 0; m < m_measurements.size(); ++m)
        {
            if (run.run_name.function_name != m_measurements[m].family)
                continue;
            Result* result = nullptr;
            for (Result& existing : m_results)
                if (existing.measurement == m && existing.rows == run.run_name.args)
                    result = &existing;
            if (result == nullptr)
            {
                m_results.push_back(Result{m, run.run_name.args});
                result = &m_results.back();
            }
            ++result->runs;
            result->ratio += CounterOf(run, "ratio");
            result->providerNs += CounterOf(run, "provider_ns_per_row");
            result->rawNs += CounterOf(run, "raw_ns_per_row");
        }
    }
}

void SummaryReporter::Finalize()
{
    std::ostream& out = GetOutputStream();
    for (const Result& result : m_results)
    {
        const Measurement& measurement = m_measurements[result.measurement];
        const double runs = result.runs;
        char line[256] = {};
        std::snprintf(line, sizeof line, "%s: %.1fx (target <= %gx), %s%s: provider %.0f ns/%s, raw %.0f ns/%s",
                      measurement.label.c_str(), result.ratio / runs, measurement.target, result.rows.c_str(),
                      measurement.argument.c_str(),
                      result.providerNs / runs, measurement.unit.c_str(), result.rawNs / runs,
                      measurement.unit.c_str());
        out << line << '\n';
    }
    benchmark::ConsoleReporter::Finalize();
}
