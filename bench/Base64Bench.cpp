#include "bench/Base64Bench.h"

#include <benchmark/benchmark.h>

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"
#include "bench/PairTiming.h"

using ostrum::utils::StringUtils;

void Base64Bench::Register()
{
    benchmark::RegisterBenchmark(kBase64Name, &Base64Bench::RoundTrip)
        ->Arg(128 * 1024)
        ->Arg(1024 * 1024)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}

void Base64Bench::RoundTrip(benchmark::State& state)
{
    try
    {
        const auto size = static_cast<std::size_t>(state.range(0));
        std::vector<unsigned char> data(size);
        for (std::size_t i = 0; i < size; ++i)
            data[i] = static_cast<unsigned char>(i * 131 + (i >> 8));
        std::vector<unsigned char> decoded(size);
        std::string text;
        auto base64 = [&] {
            text = StringUtils::base64Encode(data.data(), static_cast<int>(size), true);
            int length = static_cast<int>(decoded.size());
            if (!StringUtils::base64Decode(text, decoded.data(), &length) || decoded != data)
                throw std::runtime_error("the Base64 round trip changed the bytes");
        };
        // The least any round trip does: write the text's worth of bytes and read the data back.
        std::string copiedText;
        std::vector<unsigned char> copiedData;
        auto copy = [&] {
            copiedText.assign(text.size(), '\0');
            copiedData.assign(data.begin(), data.end());
            benchmark::DoNotOptimize(copiedText.data());
            benchmark::DoNotOptimize(copiedData.data());
        };
        base64();

        PairTiming::Clock::duration base64Time{};
        PairTiming::Clock::duration copyTime{};
        for (auto _ : state)
            PairTiming::RunPair(state, base64, copy, base64Time, copyTime);
        PairTiming::ReportCounters(state, base64Time, copyTime, static_cast<double>(state.iterations() * size));
    }
    catch (const std::exception& error)
    {
        state.SkipWithError(error.what());
    }
}
