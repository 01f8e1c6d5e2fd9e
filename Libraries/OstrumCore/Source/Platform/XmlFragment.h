// Writes the XML fragment of a platform information record: "<Tag" + attributes + " />", or
// the attributes alone when no element is wanted.
#pragma once

#include <string>

namespace ostrum::io {
class OutputStream;
}  // namespace ostrum::io

namespace ostrum {

// Writes through a data output stream over out; returns 0.
int writeXmlFragment(io::OutputStream* out, const char* tag, const std::string& attributes, bool element);

}  // namespace ostrum
