// qpid::types::InvalidConversion: a Variant asked for a type its value cannot be converted to
// (a text that is no number, a number out of the target's range, a map read as a list).
//
// Thrown by value and caught by reference; immutable after construction.
#pragma once

#include <string>

#include "platform/qpid/Exception.h"

namespace qpid::types {

class InvalidConversion : public Exception
{
public:
    explicit InvalidConversion(const std::string& message) : Exception(message) {}
};

}  // namespace qpid::types
