// OwnerDerivedBench: records seen with their owner, read by the administrator and by a
// restricted caller (the demo's porter, segment 1 only) over N generated persons with one badge
// each (BenchInstallation::FillBadges), each beside the raw SQL that reads the same rows in the
// same iterations (RawRecordReader; the restricted side's raw read joins the owner in):
//   BadgeKeyedGet/N, RestrictedBadgeKeyedGet/N   GetObjectAsync of "Bnt_Badge.BADGEKEY=<key>"
//       for random keys of badges the porter may see, versus one raw keyed SELECT per key;
//   BadgeEnumeration/N, RestrictedBadgeEnumeration/N   "SELECT * FROM Bnt_Badge";
//   BadgeExtensionEnumeration/N, RestrictedBadgeExtensionEnumeration/N   Bnt_BadgeFIPS201, a
//       badge's extension (owner: the badge, whose owner is the person);
//   LinkEnumeration/N, RestrictedLinkEnumeration/N   Bnt_AccessLevelAssignment, a link with two
//       owners (the badge and the access level).
// Counters per row returned (per get), as PairTiming reports; each side must read the same rows.
// The sizes run one after the other, every family at a size before the next size, so that each
// size is generated once.
//
// Owned by main, after the installation and the provider it measures, which must outlive it.
// Not thread-safe: runs on the thread that built it, naming its caller only while a benchmark
// of its own runs.
#pragma once

#include <string>

#include "bench/RawRecordReader.h"

namespace benchmark {
class State;
}

class BenchInstallation;
class CWmipInstanceProvider;

class OwnerDerivedBench
{
public:
    static constexpr const char* kBadgeGetName = "BadgeKeyedGet";
    static constexpr const char* kRestrictedBadgeGetName = "RestrictedBadgeKeyedGet";
    static constexpr const char* kBadgeEnumerationName = "BadgeEnumeration";
    static constexpr const char* kRestrictedBadgeEnumerationName = "RestrictedBadgeEnumeration";
    static constexpr const char* kExtensionEnumerationName = "BadgeExtensionEnumeration";
    static constexpr const char* kRestrictedExtensionEnumerationName = "RestrictedBadgeExtensionEnumeration";
    static constexpr const char* kLinkEnumerationName = "LinkEnumeration";
    static constexpr const char* kRestrictedLinkEnumerationName = "RestrictedLinkEnumeration";

    // Throws std::runtime_error when the database cannot be opened for the raw reads.
    OwnerDerivedBench(BenchInstallation& installation, CWmipInstanceProvider& provider);

    // Registers every family for 10,000, 100,000 and 1,000,000 persons.
    void Register();

private:
    // One enumeration: the class, the caller and the raw read of the rows it must answer.
    struct Enumeration
    {
        const char* family;
        const wchar_t* className;
        const wchar_t* callerSid;
        std::string rawSql;
    };
    // One keyed get family: the caller and the raw read of one badge by its key.
    struct KeyedGet
    {
        const char* family;
        const wchar_t* callerSid;
        std::string rawSql;
    };

    void RunEnumeration(benchmark::State& state, const Enumeration& enumeration);
    void RunKeyedGet(benchmark::State& state, const KeyedGet& get);

    // Set at construction.
    BenchInstallation& m_installation;
    CWmipInstanceProvider& m_provider;
    RawRecordReader m_raw;
};
