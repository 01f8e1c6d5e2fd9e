// Fuzz target for Base64: any bytes encode to text that decodes back to them (with and
// without the "=" fill), and any text decodes or is refused (IOException, or false for a
// result larger than the room given) without a crash; decoded bytes encode to text that
// decodes to them again. The stream decoder reads the same text to its end or its refusal.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Libraries/OstrumCore/Source/IO/Base64InputStream.h"
#include "Libraries/OstrumCore/Source/IO/IOException.h"
#include "Libraries/OstrumCore/Source/IO/MemoryInputStream.h"
#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"
#include "tests/fuzz/FuzzRequire.h"

using fuzz::Require;
using ostrum::utils::StringUtils;

namespace {

// Decodes text that must be valid Base64 of exactly `expected`.
void RequireDecodesTo(const std::string& text, const std::vector<unsigned char>& expected)
{
    std::vector<unsigned char> decoded(expected.size() + 3);
    int length = static_cast<int>(decoded.size());
    Require(StringUtils::base64Decode(text, decoded.data(), &length));
    decoded.resize(static_cast<std::size_t>(length));
    Require(decoded == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<unsigned char> bytes(data, data + size);
    const int count = static_cast<int>(size);
    if (count > 0)
    {
        RequireDecodesTo(StringUtils::base64Encode(bytes.data(), count, true), bytes);
        RequireDecodesTo(StringUtils::base64Encode(bytes.data(), count, false), bytes);
    }

    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<unsigned char> decoded(size + 1);
    int length = static_cast<int>(decoded.size());
    try
    {
        if (StringUtils::base64Decode(text, decoded.data(), &length) && length > 0)
        {
            decoded.resize(static_cast<std::size_t>(length));
            RequireDecodesTo(StringUtils::base64Encode(decoded.data(), length, true), decoded);
        }
    }
    catch (const ostrum::io::IOException&)
    {
    }

    ostrum::io::MemoryInputStream source(data, count);
    ostrum::io::Base64InputStream stream(source);
    try
    {
        // The stream answers 0, not -1, once its data has ended.
        unsigned char buffer[64];
        while (stream.read(buffer, static_cast<int>(sizeof buffer)) > 0)
        {
        }
    }
    catch (const ostrum::io::IOException&)
    {
    }
    return 0;
}
