// Limits on hostile WQL and object path texts, checked by the lexer, the parsers and the path
// reader. Every size bound of that code is here, so the limits can be read in one place.
//
// Header only; constants.
#pragma once

#include <cstddef>

#include "platform/wmi/WbemLimits.h"

namespace WqlLimits {

// Longest WQL query or WHERE text accepted, in characters (the service's bound).
inline constexpr std::size_t kMaxQueryLength = WbemLimits::kMaxQueryLength;
// Longest object path accepted, in characters (the service's bound).
inline constexpr std::size_t kMaxPathLength = WbemLimits::kMaxPathLength;
// Deepest nesting of parentheses and NOT accepted in a WHERE expression.
inline constexpr int kMaxNestingDepth = 64;
// Most comparisons in one WHERE expression. Each becomes at most two bound values and one level
// of the database's expression tree (a chain of n comparisons is about n + 2 levels deep).
inline constexpr std::size_t kMaxComparisons = 512;
// The deepest expression tree the database takes (SQLite's default); the translated WHERE
// clause must stay below it, or the database would refuse a query the parser accepted.
inline constexpr std::size_t kDatabaseMaxExpressionDepth = 1000;
static_assert(kMaxComparisons + 2 * kMaxNestingDepth + 16 < kDatabaseMaxExpressionDepth,
              "a WHERE clause within the parser's limits must stay within the database's");
// Most keys in one object path (the service's bound).
inline constexpr std::size_t kMaxPathKeys = WbemLimits::kMaxPathKeys;
// Most properties in one SELECT list.
inline constexpr std::size_t kMaxSelectedProperties = 256;
// Longest identifier (class, property, key name), in characters.
inline constexpr std::size_t kMaxIdentifierLength = 128;

}  // namespace WqlLimits
