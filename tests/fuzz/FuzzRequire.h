// The one check the fuzz targets make: a broken property aborts the run, which the fuzzer and
// the corpus replay both report with the input that broke it.
#pragma once

#include <cstdlib>

namespace fuzz {
inline void Require(bool condition)
{
    if (!condition)
        std::abort();
}
}  // namespace fuzz
