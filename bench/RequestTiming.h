// RequestTiming: the two timed shapes the provider benchmarks share, each side against its raw
// baseline in the same iterations (PairTiming): an enumeration (ExecQueryAsync of a WQL text into
// a counting sink) and batches of keyed gets (GetObjectAsync of object paths, round-robin).
// Each reports the counters per row (per get), as PairTiming does.
//
// Stateless; called on the benchmark's thread, with the caller the requests run as already named.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/com/BstrOwner.h"

namespace benchmark {
class State;
}

class CWmipInstanceProvider;

class RequestTiming
{
public:
    // Keyed gets timed per iteration.
    static constexpr std::size_t kGetsPerIteration = 64;

    RequestTiming() = delete;

    // Times ExecQueryAsync of query (WQL) against raw, which reads the same rows and answers how
    // many it read: the provider must answer as many objects as raw's first read, and raw the
    // same on every read. A warm-up of each side runs outside the measurement. Throws
    // std::runtime_error naming `what` when an answer differs.
    static void Enumeration(benchmark::State& state, CWmipInstanceProvider& provider, const std::wstring& query,
                            const char* what, const std::function<std::int64_t()>& raw);

    // Times GetObjectAsync of the paths, kGetsPerIteration per iteration round-robin (their
    // number a multiple of it), against rawRead(i), which reads the row of paths[i] and throws
    // when it misses it; each get must answer one object. The first batch of each side runs
    // outside the measurement. Throws std::runtime_error naming `what` when a get fails.
    static void KeyedGets(benchmark::State& state, CWmipInstanceProvider& provider, const std::vector<BstrOwner>& paths,
                          const char* what, const std::function<void(std::size_t)>& rawRead);
};
