// The I/O branch of the library's exceptions: unsupported stream operations, seeking beyond
// the end of data, invalid Base64 text. Most carry an empty message.
//
// Adds nothing to its base but its own run-time type, so that handlers can tell it apart.
// Thrown by value, caught by reference.
#pragma once

#include "Libraries/OstrumCore/Source/Utils/Exception.h"

namespace ostrum::io {

class IOException : public ostrum::Exception
{
public:
    using ostrum::Exception::Exception;
};

}  // namespace ostrum::io
