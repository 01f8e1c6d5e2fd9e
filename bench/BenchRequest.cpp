#include "bench/BenchRequest.h"

#include <cstdio>
#include <stdexcept>

#include "bench/CountingSink.h"
#include "platform/com/WbemConstants.h"

BstrOwner BenchRequest::MakeBstr(const std::wstring& text)
{
    BstrOwner owned = BstrOwner::Copy(text.c_str());
    if (!owned)
        throw std::runtime_error("out of memory for a request text");
    return owned;
}

std::string BenchRequest::HexOf(HRESULT result)
{
    char text[16] = {};
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(result));
    return text;
}

void BenchRequest::ExpectAnswered(const char* request, HRESULT returned, const CountingSink& sink, long long objects)
{
    if (returned != WBEM_S_NO_ERROR || sink.FinalStatuses() != 1 || sink.LastResult() != returned ||
        sink.Objects() != objects)
        throw std::runtime_error(std::string(request) + " answered " + HexOf(returned) + " with " +
                                 std::to_string(sink.FinalStatuses()) + " final statuses and " +
                                 std::to_string(sink.Objects()) + " objects, expected success and " +
                                 std::to_string(objects));
}
