// BenchRequest: what the benchmarks share to make provider requests and check their answers.
//
// Stateless; any thread.
#pragma once

#include <string>

#include "platform/com/BstrOwner.h"
#include "platform/win32/WinTypes.h"

class CountingSink;

class BenchRequest
{
public:
    BenchRequest() = delete;

    // A BSTR copy of text. Throws std::runtime_error when out of memory.
    static BstrOwner MakeBstr(const std::wstring& text);
    // The result as "0x%08X".
    static std::string HexOf(HRESULT result);
    // Checks that a provider request answered success once, with the expected number of
    // objects. Throws std::runtime_error naming the request otherwise.
    static void ExpectAnswered(const char* request, HRESULT returned, const CountingSink& sink, long long objects);
};
