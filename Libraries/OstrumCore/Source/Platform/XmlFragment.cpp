#include "Libraries/OstrumCore/Source/Platform/XmlFragment.h"

#include "Libraries/OstrumCore/Source/IO/ByteOrder.h"
#include "Libraries/OstrumCore/Source/IO/DataOutputStream.h"

namespace ostrum {

int writeXmlFragment(io::OutputStream* out, const char* tag, const std::string& attributes, bool element)
{
    const std::string text = element ? "<" + std::string(tag) + attributes + " />" : attributes;
    io::DataOutputStream data(out, io::kBigEndianByteOrder);
    data.writeChars(text.c_str());
    return 0;
}

}  // namespace ostrum
