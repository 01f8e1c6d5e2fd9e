// WbemLimits: the bounds on hostile object paths and query texts that both the WMI-service
// stand-in and the provider's own parsers enforce, kept in one place so that a text the
// service accepts is never refused by the provider for its size, nor the other way round.
//
// Header only; constants.
#pragma once

#include <cstddef>

namespace WbemLimits {

// Longest object path accepted, in characters.
inline constexpr std::size_t kMaxPathLength = 4 * 1024;
// Most keys in one object path.
inline constexpr std::size_t kMaxPathKeys = 32;
// Longest query text accepted, in characters.
inline constexpr std::size_t kMaxQueryLength = 32 * 1024;

}  // namespace WbemLimits
