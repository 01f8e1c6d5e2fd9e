// Base64Bench: the library's Base64 pair in provixa_bench. Base64RoundTrip/N encodes N bytes
// with StringUtils::base64Encode and decodes the text back with base64Decode, beside a plain
// copy of the same bytes (input and text) in the same iterations. Sizes of 128 KiB and 1 MiB
// show whether the cost per byte stays flat as the data grows (it must: both directions are
// linear). Counters per byte, as PairTiming reports.
//
// Stateless; registered by main, run on the benchmark's thread.
#pragma once

namespace benchmark {
class State;
}

class Base64Bench
{
public:
    static constexpr const char* kBase64Name = "Base64RoundTrip";

    Base64Bench() = delete;

    // Registers the family for 128 KiB and 1 MiB.
    static void Register();

private:
    static void RoundTrip(benchmark::State& state);
};
