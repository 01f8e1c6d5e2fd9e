#include "bench/OwnerDerivedBench.h"

#include <benchmark/benchmark.h>

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/BenchInstallation.h"
#include "bench/BenchRequest.h"
#include "bench/RawBadgeSql.h"
#include "bench/RequestTiming.h"
#include "platform/security/CallerIdentity.h"
#include "provider/CWmipInstanceProvider.h"

namespace {

constexpr int kPersonCounts[] = {10000, 100000, 1000000};
// Keys drawn once per run and used round-robin, a batch per iteration.
constexpr std::size_t kPersonKeyPoolSize = 4096;
constexpr unsigned kPersonKeySeed = 20240102;
static_assert(kPersonKeyPoolSize % RequestTiming::kGetsPerIteration == 0, "a batch never runs past the key pool");

// The raw reads of a badge's extension and of its level links (RawBadgeSql has the badge's); for
// a link, the porter sees one whose level stands in segment 1 too.
constexpr const char* kExtensions = "SELECT BADGE_FIPS201.BADGEKEY, FASCN, TWIC_PRIVACY_KEY, TPK_ALGORITHM_ID, GUID, "
                                    "CREDENTIAL_TYPE FROM BADGE_FIPS201";
constexpr const char* kExtensionsBadge = " JOIN BADGE ON BADGE.BADGEKEY = BADGE_FIPS201.BADGEKEY";
constexpr const char* kLinks = "SELECT BADGELINK.ACCLVLID, BADGELINK.BADGEKEY, BADGELINK.ACTIVATE, "
                               "BADGELINK.DEACTIVATE FROM BADGELINK";
constexpr const char* kLinksLevelAndBadge =
    " JOIN ACCESSLVL ON ACCESSLVL.ACCESSLVID = BADGELINK.ACCLVLID AND ACCESSLVL.SEGMENTID = 1"
    " JOIN BADGE ON BADGE.BADGEKEY = BADGELINK.BADGEKEY";

// Random keys of generated badges the porter may see (those of segment 1, every
// kPersonSegments-th person), the same on every run, with their object paths.
struct PersonKeyPool
{
    std::vector<std::int64_t> keys;
    std::vector<BstrOwner> paths;
};

PersonKeyPool MakePersonKeyPool(int persons)
{
    std::mt19937 random(kPersonKeySeed);
    std::uniform_int_distribution<int> pick(0, (persons - 1) / BenchInstallation::kPersonSegments);
    PersonKeyPool pool;
    for (std::size_t i = 0; i < kPersonKeyPoolSize; ++i)
    {
        const int key = BenchInstallation::kFirstGeneratedPerson + pick(random) * BenchInstallation::kPersonSegments;
        pool.keys.push_back(key);
        pool.paths.push_back(BenchRequest::MakeBstr(L"Bnt_Badge.BADGEKEY=" + std::to_wstring(key)));
    }
    return pool;
}

}  // namespace

OwnerDerivedBench::OwnerDerivedBench(BenchInstallation& installation, CWmipInstanceProvider& provider)
    : m_installation(installation), m_provider(provider), m_raw(installation.DatabaseFile())
{
}

void OwnerDerivedBench::Register()
{
    const std::string badges = RawBadgeSql::kBadges;
    using RawBadgeSql::kPortersBadge;
    static const KeyedGet kGets[] = {
        {kBadgeGetName, BenchInstallation::AdministratorSid(), badges + " WHERE BADGE.BADGEKEY = ?"},
        {kRestrictedBadgeGetName, BenchInstallation::PorterSid(), badges + kPortersBadge + " AND BADGE.BADGEKEY = ?"},
    };
    static const Enumeration kEnumerations[] = {
        {kBadgeEnumerationName, L"Bnt_Badge", BenchInstallation::AdministratorSid(), badges},
        {kRestrictedBadgeEnumerationName, L"Bnt_Badge", BenchInstallation::PorterSid(), badges + kPortersBadge},
        {kExtensionEnumerationName, L"Bnt_BadgeFIPS201", BenchInstallation::AdministratorSid(), kExtensions},
        {kRestrictedExtensionEnumerationName, L"Bnt_BadgeFIPS201", BenchInstallation::PorterSid(),
         std::string(kExtensions) + kExtensionsBadge + kPortersBadge},
        {kLinkEnumerationName, L"Bnt_AccessLevelAssignment", BenchInstallation::AdministratorSid(), kLinks},
        {kRestrictedLinkEnumerationName, L"Bnt_AccessLevelAssignment", BenchInstallation::PorterSid(),
         std::string(kLinks) + kLinksLevelAndBadge + kPortersBadge},
    };
    for (const int persons : kPersonCounts)
    {
        for (const KeyedGet& get : kGets)
            benchmark::RegisterBenchmark(get.family, [this, &get](benchmark::State& state) { RunKeyedGet(state, get); })
                ->Arg(persons)
                ->UseManualTime()
                ->Unit(benchmark::kMicrosecond);
        for (const Enumeration& enumeration : kEnumerations)
            benchmark::RegisterBenchmark(
                enumeration.family,
                [this, &enumeration](benchmark::State& state) { RunEnumeration(state, enumeration); })
                ->Arg(persons)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
    }
}

void OwnerDerivedBench::RunKeyedGet(benchmark::State& state, const KeyedGet& get)
{
    try
    {
        const int persons = static_cast<int>(state.range(0));
        m_installation.FillBadges(persons);
        const CallerIdentity::Scope caller(CallerIdentity(get.callerSid, SecurityImpersonation));
        const PersonKeyPool pool = MakePersonKeyPool(persons);
        RequestTiming::KeyedGets(state, m_provider, pool.paths, get.family, [&](std::size_t i) {
            if (m_raw.Read(get.rawSql.c_str(), {pool.keys[i]}) != 1)
                throw std::runtime_error("the raw keyed read missed badge " + std::to_string(pool.keys[i]));
        });
        benchmark::DoNotOptimize(m_raw.Checksum());
    }
    catch (const std::exception& error)
    {
        state.SkipWithError(error.what());
    }
}

void OwnerDerivedBench::RunEnumeration(benchmark::State& state, const Enumeration& enumeration)
{
    try
    {
        m_installation.FillBadges(static_cast<int>(state.range(0)));
        const CallerIdentity::Scope caller(CallerIdentity(enumeration.callerSid, SecurityImpersonation));
        RequestTiming::Enumeration(state, m_provider, std::wstring(L"SELECT * FROM ") + enumeration.className,
                                   enumeration.family, [&] { return m_raw.Read(enumeration.rawSql.c_str()); });
        benchmark::DoNotOptimize(m_raw.Checksum());
    }
    catch (const std::exception& error)
    {
        state.SkipWithError(error.what());
    }
}
