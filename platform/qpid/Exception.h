// qpid::types::Exception: the root of the bus type library's exceptions, one message text.
//
// Thrown by value and caught by reference; immutable after construction, so it may be read
// from any thread.
#pragma once

#include <stdexcept>
#include <string>

namespace qpid::types {

class Exception : public std::runtime_error
{
public:
    explicit Exception(const std::string& message = std::string()) : std::runtime_error(message) {}
    // The message given at construction.
    std::string getMessage() const { return what(); }
};

}  // namespace qpid::types
