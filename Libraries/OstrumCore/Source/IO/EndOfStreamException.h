// Raised when a fixed-size memory output stream is full; empty message.
//
// Adds nothing to its base but its own run-time type, so that handlers can tell it apart.
// Thrown by value, caught by reference.
#pragma once

#include "Libraries/OstrumCore/Source/IO/IOException.h"

namespace ostrum::io {

class EndOfStreamException : public IOException
{
public:
    using IOException::IOException;
};

}  // namespace ostrum::io
