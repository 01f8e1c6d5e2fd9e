// ValueMemoryBench: what printing a large binary value costs in memory, per door and output
// form. Each row runs the provixa host as a child process on a home of its own (the demo
// installation with a 16 MiB value in Bnt_BadgeFIPS201.TWICPrivacyKey of badge 5 and one in the
// iris object (64) of person 1, written into the database as another process would), reads what it prints, and reports
// the child's peak resident size (getrusage's ru_maxrss through wait4) beside the printed size, and the same command's
// peak for badge 5 without the value (the idle process): the peak above idle must stay within three times what is
// printed. Rows: WMI get text, WMI get --json, WMI enum, bus get, bus media.
//
// Owns its temporary home, removed at destruction; registered by main, run on the benchmark's
// thread.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace benchmark {
class State;
}

class ValueMemoryBench
{
public:
    static constexpr const char* kValueMemoryName = "ValueMemory";

    // Makes the home (init, then the value written into its database). Throws
    // std::runtime_error when the host cannot be run or the database written.
    ValueMemoryBench();
    ~ValueMemoryBench();
    ValueMemoryBench(const ValueMemoryBench&) = delete;
    ValueMemoryBench& operator=(const ValueMemoryBench&) = delete;

    // Registers one row per door and output form.
    void Register();

private:
    struct Run
    {
        double peakMib = 0;
        double printedMib = 0;
    };
    // Runs the host with `arguments`; its peak and the size of what it printed. Throws
    // std::runtime_error when it cannot be started or does not exit with status 0.
    Run RunHost(const std::vector<std::string>& arguments) const;
    // Writes `bytes` random bytes into the value of badge 5 and of person 1's iris object (0:
    // none, NULL).
    void StoreValue(long long bytes) const;
    void Measure(benchmark::State& state, const std::vector<std::string>& arguments);

    // Set at construction.
    std::filesystem::path m_home;
};
