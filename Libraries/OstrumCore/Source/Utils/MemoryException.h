// Raised when a buffer of the library cannot be allocated.
//
// Adds nothing to its base but its own run-time type, so that handlers can tell it apart.
// Thrown by value, caught by reference.
#pragma once

#include "Libraries/OstrumCore/Source/Utils/Exception.h"

namespace ostrum {

class MemoryException : public Exception
{
public:
    using Exception::Exception;
};

}  // namespace ostrum
