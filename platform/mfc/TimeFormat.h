// strftime-style formatting of broken-down time for COleDateTime and CTime.
//
// Stateless; safe from any thread.
#pragma once

#include <ctime>
#include <string>

namespace mfc_detail {

// The text of the C library's wcsftime for format and fields; empty for a null or empty format,
// an empty result, or a result longer than 65536 characters.
std::wstring FormatBrokenDownTime(const wchar_t* format, const std::tm& fields);

}  // namespace mfc_detail
