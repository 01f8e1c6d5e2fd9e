// Limits on hostile WQL and object path texts, checked by the lexer, the parsers and the path
// reader. Every size bound of that code is here, so the limits can be read in one place.
//
// Header only; constants.
#pragma once

#include <cstddef>

namespace WqlLimits {

// Longest WQL query or WHERE text accepted, in characters.
inline constexpr std::size_t kMaxQueryLength = 32 * 1024;
// Longest object path accepted, in characters.
inline constexpr std::size_t kMaxPathLength = 4 * 1024;
// Deepest nesting of parentheses and NOT accepted in a WHERE expression.
inline constexpr int kMaxNestingDepth = 64;
// Most comparisons in one WHERE expression (each becomes at most one bound value, which keeps
// the statement below the database's parameter limit).
inline constexpr std::size_t kMaxComparisons = 1000;
// Most keys in one object path.
inline constexpr std::size_t kMaxPathKeys = 32;
// Most properties in one SELECT list.
inline constexpr std::size_t kMaxSelectedProperties = 256;
// Longest identifier (class, property, key name), in characters.
inline constexpr std::size_t kMaxIdentifierLength = 128;

} // namespace WqlLimits
