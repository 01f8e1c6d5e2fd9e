#include "bench/SummaryReporter.h"

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <utility>

namespace {

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
        if (run.run_type != Run::RT_Iteration)
            continue;
        for (std::size_t m = 0; m < m_measurements.size(); ++m)
        {
            if (run.run_name.function_name != m_measurements[m].family)
                continue;
            // A cell that could not be measured is said so in the summary, with its reason,
            // rather than left out of it.
            if (run.error_occurred)
            {
                m_failures.push_back(Failure{m, run.run_name.args, run.error_message});
                continue;
            }
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
            result->peakRssMib += CounterOf(run, "peak_rss_mib");
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
        char target[64] = "reference, no target";
        if (measurement.target > 0)
            std::snprintf(target, sizeof target, "target %s %gx",
                          measurement.atLeast ? ">=" : "<=", measurement.target);
        char line[320] = {};
        std::snprintf(line, sizeof line, "%s: %.1fx (%s), %s%s: %s %.0f ns/%s, %s %.0f ns/%s",
                      measurement.label.c_str(), result.ratio / runs, target, result.rows.c_str(),
                      measurement.argument.c_str(), measurement.measured.c_str(), result.providerNs / runs,
                      measurement.unit.c_str(), measurement.baseline.c_str(), result.rawNs / runs,
                      measurement.unit.c_str());
        out << line;
        if (result.peakRssMib > 0)
        {
            std::snprintf(line, sizeof line, ", peak resident %.0f MiB", result.peakRssMib / runs);
            out << line;
        }
        out << '\n';
    }
    for (const Failure& failure : m_failures)
    {
        const Measurement& measurement = m_measurements[failure.measurement];
        out << measurement.label << ": not measured, " << failure.rows << measurement.argument << ": " << failure.reason
            << '\n';
    }
    for (std::size_t m = 0; m < m_measurements.size(); ++m)
        if (m_measurements[m].flat)
            PrintFlatness(out, m);
    for (std::size_t m = 0; m < m_measurements.size(); ++m)
        if (!m_measurements[m].against.empty())
            PrintAgainst(out, m);
    benchmark::ConsoleReporter::Finalize();
}

void SummaryReporter::PrintFlatness(std::ostream& out, std::size_t measurement) const
{
    const Result* smallest = nullptr;
    const Result* largest = nullptr;
    for (const Result& result : m_results)
    {
        if (result.measurement != measurement || result.providerNs <= 0)
            continue;
        const double size = std::atof(result.rows.c_str());
        if (smallest == nullptr || size < std::atof(smallest->rows.c_str()))
            smallest = &result;
        if (largest == nullptr || size > std::atof(largest->rows.c_str()))
            largest = &result;
    }
    if (smallest == nullptr || smallest == largest)
        return;
    const Measurement& m = m_measurements[measurement];
    char line[256] = {};
    std::snprintf(line, sizeof line, "%s per-%s cost at %s%s / at %s%s: %.2fx (flat is about 1x)", m.family.c_str(),
                  m.unit.c_str(), largest->rows.c_str(), m.argument.c_str(), smallest->rows.c_str(), m.argument.c_str(),
                  (largest->providerNs / largest->runs) / (smallest->providerNs / smallest->runs));
    out << line << '\n';
}

void SummaryReporter::PrintAgainst(std::ostream& out, std::size_t measurement) const
{
    const Measurement& m = m_measurements[measurement];
    for (const Result& result : m_results)
    {
        if (result.measurement != measurement || result.providerNs <= 0)
            continue;
        for (const Result& other : m_results)
        {
            if (m_measurements[other.measurement].family != m.against || other.rows != result.rows ||
                other.providerNs <= 0)
                continue;
            char target[64] = "reference, no target";
            if (m.againstTarget > 0)
                std::snprintf(target, sizeof target, "target <= %gx", m.againstTarget);
            char line[320] = {};
            std::snprintf(line, sizeof line, "%s against %s: %.2fx (%s), %s%s: %.0f against %.0f ns/%s",
                          m.family.c_str(), m.against.c_str(),
                          (result.providerNs / result.runs) / (other.providerNs / other.runs), target,
                          result.rows.c_str(), m.argument.c_str(), result.providerNs / result.runs,
                          other.providerNs / other.runs, m.unit.c_str());
            out << line << '\n';
        }
    }
}
