#include "platform/mfc/TimeFormat.h"

#include <cwchar>

namespace mfc_detail {

namespace {

constexpr std::size_t kMaxFormattedLength = 65536;

}  // namespace

std::wstring FormatBrokenDownTime(const wchar_t* format, const std::tm& fields)
{
    if (format == nullptr || *format == L'\0')
        return std::wstring();
    // wcsftime answers 0 both for a short buffer and for an empty result: grow to a bound.
    for (std::size_t size = 256; size <= kMaxFormattedLength; size *= 2)
    {
        std::wstring buffer(size, L'\0');
        const std::size_t length = std::wcsftime(buffer.data(), buffer.size(), format, &fields);
        if (length > 0)
        {
            buffer.resize(length);
            return buffer;
        }
    }
    return std::wstring();
}

}  // namespace mfc_detail
