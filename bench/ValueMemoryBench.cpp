#include "bench/ValueMemoryBench.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <stdexcept>

namespace {
constexpr long long kValueBytes = 16LL * 1024 * 1024;
constexpr double kMib = 1024.0 * 1024.0;
}  // namespace

ValueMemoryBench::ValueMemoryBench()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "provixa-value-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a temporary home for the value rows");
    m_home = pattern;
    RunHost({"init"});
}

ValueMemoryBench::~ValueMemoryBench()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_home, ignored);
}

void ValueMemoryBench::StoreValue(long long bytes) const
{
    sqlite3* db = nullptr;
    const std::string file = (m_home / "provixa.db").string();
    const bool opened = sqlite3_open(file.c_str(), &db) == SQLITE_OK;
    sqlite3_stmt* statement = nullptr;
    bool stored = opened;
    for (const char* sql :
         {"UPDATE BADGE_FIPS201 SET TWIC_PRIVACY_KEY = CASE WHEN ?1 > 0 THEN randomblob(?1) END WHERE BADGEKEY = 5",
          "INSERT OR REPLACE INTO MMOBJS (EMPID, OBJECT, TYPE, BNT_BLOB, LASTCHANGED) "
          "VALUES (1, 64, 0, CASE WHEN ?1 > 0 THEN randomblob(?1) END, '2024-01-02 09:00:00')"})
    {
        stored = stored && sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
                 sqlite3_bind_int64(statement, 1, bytes) == SQLITE_OK && sqlite3_step(statement) == SQLITE_DONE &&
                 sqlite3_changes(db) == 1;
        sqlite3_finalize(statement);
        statement = nullptr;
    }
    sqlite3_close(db);
    if (!stored)
        throw std::runtime_error("cannot write the value into " + file);
}

ValueMemoryBench::Run ValueMemoryBench::RunHost(const std::vector<std::string>& arguments) const
{
    int output[2];
    if (pipe(output) != 0)
        throw std::runtime_error("cannot make a pipe for the host");
    const pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("cannot start the host");
    if (child == 0)
    {
        dup2(output[1], STDOUT_FILENO);
        close(output[0]);
        close(output[1]);
        setenv("PROVIXA_HOME", m_home.c_str(), 1);
        setenv("PROVIXA_PASSWORD", "sa-demo", 1);
        std::vector<char*> argv{const_cast<char*>(PROVIXA_HOST_PATH)};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(PROVIXA_HOST_PATH, argv.data());
        _exit(127);
    }
    close(output[1]);
    std::array<char, 64 * 1024> buffer{};
    long long printed = 0;
    for (ssize_t got = 0; (got = read(output[0], buffer.data(), buffer.size())) != 0;)
    {
        if (got > 0)
            printed += got;
    }
    close(output[0]);
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("the host failed: " + arguments.front());
    return {static_cast<double>(usage.ru_maxrss) / 1024.0, static_cast<double>(printed) / kMib};
}

void ValueMemoryBench::Measure(benchmark::State& state, const std::vector<std::string>& arguments)
{
    try
    {
        StoreValue(0);
        const Run idle = RunHost(arguments);
        StoreValue(kValueBytes);
        Run loaded;
        for (auto _ : state)
            loaded = RunHost(arguments);
        state.counters["peak_MiB"] = loaded.peakMib;
        state.counters["idle_MiB"] = idle.peakMib;
        state.counters["printed_MiB"] = loaded.printedMib;
        // At most 3: the peak above the idle process per byte printed.
        state.counters["above_idle_per_printed"] = (loaded.peakMib - idle.peakMib) / loaded.printedMib;
    }
    catch (const std::exception& error)
    {
        state.SkipWithError(error.what());
    }
}

void ValueMemoryBench::Register()
{
    struct Row
    {
        const char* name;
        std::vector<std::string> arguments;
    };
    const std::vector<Row> rows{
        {"/WMI get text", {"--as", "admin", "get", "Bnt_BadgeFIPS201.BADGEKEY=5"}},
        {"/WMI get --json", {"--as", "admin", "--json", "get", "Bnt_BadgeFIPS201.BADGEKEY=5"}},
        {"/WMI enum", {"--as", "admin", "enum", "Bnt_BadgeFIPS201"}},
        {"/bus get", {"bus", "get", "Bnt_BadgeFIPS201", "--user", "sa"}},
        {"/bus media", {"bus", "media", "1", "64", "0", "--user", "sa"}},
    };
    for (const Row& row : rows)
    {
        const std::vector<std::string> arguments = row.arguments;
        benchmark::RegisterBenchmark((std::string(kValueMemoryName) + row.name).c_str(),
                                     [this, arguments](benchmark::State& state) { Measure(state, arguments); })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
}
