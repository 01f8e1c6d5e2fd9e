// The platform's separators in paths and path lists.
#pragma once

namespace ostrum {

inline constexpr char kPathSeparator = '/';
inline constexpr char kPathListSeparator = ':';

}  // namespace ostrum
