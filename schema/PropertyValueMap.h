// Pairing the declared values of a property with their labels, as the value-list declarations
// hand them to the registry ("ValueMap" and "Values" come out in the map's order).
//
// Stateless; safe from any thread.
#pragma once

#include <map>

#include "platform/mfc/CString.h"

// values and labels are comma-separated texts; empty pieces are skipped and every piece is
// trimmed. Result: value -> label, ordered by the value text (ordinal, so "10" sorts before
// "2"); empty when the two texts have different numbers of pieces. A value given twice keeps
// the label of its last occurrence.
std::map<CString, CString> BuildPropertyValueMap(const CString& values, const CString& labels);
