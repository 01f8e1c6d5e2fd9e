// The root of the utility library's exception tree: one message text, nothing else.
//
// Thrown by value and caught by reference; a handler may catch a whole branch (every I/O
// failure through ostrum::io::IOException) or one leaf. Source file and line are not kept:
// they go to the log calls. A value type; an object is not shared between threads.
#pragma once

#include <string>

namespace ostrum {

class Exception
{
public:
    Exception() = default;
    explicit Exception(std::string message);
    Exception(const Exception&) = default;
    Exception& operator=(const Exception&) = default;
    virtual ~Exception() = default;

    // The text given at construction; empty for the default constructor. Valid while the
    // exception lives.
    const std::string& getMessage() const;

private:
    std::string m_message;
};

}  // namespace ostrum
