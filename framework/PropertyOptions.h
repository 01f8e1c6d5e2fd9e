// What a property's declaration says beside its table and column: the ID type that generates its
// value (kNoIdType: none) and the installation-wide segmentation option it depends on. One
// definition, read by the declarations in schema/ and by the registry that loads them.
// Constants only; nothing to guard.
#pragma once

#include "platform/win32/WinTypes.h"

// ID type of a property whose value is never generated.
inline constexpr LONG kNoIdType = -2;

// The installation-wide segmentation switch a property or a segment source depends on (0: none).
enum SegmentOption : int
{
    SegmentOptionNone = 0,
    // Segments are in use (segment checks of device classes such as areas).
    SegmentOptionSegments = 1,
    // Cardholder segment filters.
    SegmentOptionCardholders = 2,
    // Visitor segment filters and badge types per visitor.
    SegmentOptionVisitors = 3,
    // The badge type's segments in the badge number length check.
    SegmentOptionBadgeTypes = 4,
    // A person's segment, by the person's kind: cardholder or visitor segment filters.
    SegmentOptionPersons = 5
};
