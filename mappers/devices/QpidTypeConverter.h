// QpidTypeConverter: bus values (qpid::types::Variant) as JSON text (UTF-8): maps as objects
// with their keys in map order, lists as arrays, booleans, integers and reals as JSON numbers
// and literals, texts and UUIDs as strings with the JSON escapes, void as null.
//
// Stateless; safe from any thread.
#pragma once

#include <string>

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
};
