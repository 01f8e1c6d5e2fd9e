// QpidTypeConverter: bus values (qpid::types::Variant) as JSON text (UTF-8): maps as objects
// with their keys in map order, lists as arrays, booleans, integers and reals as JSON numbers
// and literals, texts and UUIDs as strings with the JSON escapes, void as null. The one writer
// of JSON text in the system: the host prints bus answers and WMI objects with it too.
//
// Stateless; safe from any thread.
#pragma once

#include <string>
#include <string_view>

#include "platform/qpid/Variant.h"

class QpidTypeConverter
{
public:
    // Deepest nesting of maps and lists written; deeper values are refused.
    static constexpr int kMaxDepth = 32;

    QpidTypeConverter() = delete;

    // The JSON text of the value. Throws std::length_error beyond kMaxDepth and
    // std::invalid_argument for a real that JSON cannot carry (NaN, infinity).
    static std::string ToJson(const qpid::types::Variant& value);
    // A JSON string literal of the UTF-8 text, with its quotes: '"', '\\' and the control
    // characters escaped; a byte sequence that is no UTF-8 is written as U+FFFD, so the
    // result is always valid JSON.
    static std::string JsonString(std::string_view utf8);
};
