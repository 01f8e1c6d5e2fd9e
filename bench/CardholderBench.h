// CardholderBench: the road most users take. Cardholders/N enumerates Bnt_Cardholder ("SELECT *
// FROM Bnt_Cardholder" through ExecQueryAsync) as the demo's segment-restricted operator over N
// generated persons, so the join to UDFEMP, the cardholder filter, the segment filter and the
// per-row grant are all paid, beside the equivalent raw SQL (RawRecordReader: EMP joined to its
// UDFEMP row, cardholders only, the operator's segments 1 and 2) in the same
// iterations. Counters per row, as PairTiming reports; the two sides must read the same rows.
//
// Owned by main, after the installation and the provider it measures, which must outlive it.
// Not thread-safe: runs on the thread that built it, naming the operator as the caller only
// while its benchmark runs.
#pragma once

#include "bench/RawRecordReader.h"

namespace benchmark {
class State;
}

class BenchInstallation;
class CWmipInstanceProvider;

class CardholderBench
{
public:
    static constexpr const char* kCardholderName = "Cardholders";

    // Throws std::runtime_error when the database cannot be opened for the raw reads.
    CardholderBench(BenchInstallation& installation, CWmipInstanceProvider& provider);

    // Registers the family for 100,000 persons.
    void Register();

private:
    void Enumeration(benchmark::State& state);

    // Set at construction.
    BenchInstallation& m_installation;
    CWmipInstanceProvider& m_provider;
    RawRecordReader m_raw;
};
