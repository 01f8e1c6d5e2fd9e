// StringUtils' members that work through the library's IO layer (Base64 through its encoding
// stream and its decoder, and the hexadecimal dump): they live with it, so that the text
// utilities below it need none.
#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"

#include "Libraries/OstrumCore/Source/IO/Base64Decoder.h"
#include "Libraries/OstrumCore/Source/IO/Base64OutputStream.h"
#include "Libraries/OstrumCore/Source/IO/DataOutputStream.h"
#include "Libraries/OstrumCore/Source/IO/MemoryOutputStream.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

namespace ostrum::utils {

std::string StringUtils::base64Encode(const unsigned char* data, int length, bool keepLast)
{
    // Four characters for every three bytes, written once, straight into the text: a long value
    // is never held in a buffer and in its copy at once.
    const std::int64_t encoded =
        std::min<std::int64_t>((std::max(length, 0) + 2LL) / 3 * 4, std::numeric_limits<std::int32_t>::max());
    std::string text(static_cast<std::size_t>(encoded), '\0');
    if (encoded > 0)
    {
        io::MemoryOutputStream memory(reinterpret_cast<unsigned char*>(text.data()), static_cast<int>(encoded), false);
        io::Base64OutputStream encoder(memory);
        encoder.write(data, 0, length);
        encoder.flush();
        text.resize(static_cast<std::size_t>(memory.getSize()));
    }
    if (!keepLast)
    {
        text.erase(text.find_last_not_of('=') + 1);
    }
    return text;
}

int StringUtils::base64DecodeInto(std::string_view text, unsigned char* output, int capacity)
{
    // Sizes are counted in an int: a text this long is refused unread.
    if (text.size() >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    {
        return -1;
    }
    const std::size_t room = output == nullptr ? 0 : static_cast<std::size_t>(std::max(capacity, 0));
    return static_cast<int>(io::Base64Decoder::decode(text, output, room));
}

int StringUtils::base64DecodedSize(std::string_view text)
{
    return base64DecodeInto(text, nullptr, 0);
}

bool StringUtils::base64Decode(std::string_view text, unsigned char* output, int* lengthInOut)
{
    if (output == nullptr || lengthInOut == nullptr || *lengthInOut == 0)
    {
        return false;
    }
    // The text is read twice, first for its size and its faults, so that the bytes are written
    // once, straight into the output, and only when they all fit.
    const int size = base64DecodedSize(text);
    if (size < 0)
    {
        return false;
    }
    const int capacity = *lengthInOut;
    *lengthInOut = size;
    if (size > capacity)
    {
        return false;
    }
    base64DecodeInto(text, output, size);
    return true;
}

void StringUtils::hexDump(io::DataOutputStream* sink, const unsigned char* data, int length, int indent,
                          int addressWidth)
{
    if (data == nullptr || length < 1)
    {
        return;
    }
    constexpr int kBytesPerLine = 16;
    const int lengthDigits = static_cast<int>(format("%X", static_cast<unsigned>(length)).size());
    const int width = addressWidth > 0 && addressWidth >= lengthDigits ? addressWidth : lengthDigits;
    for (int offset = 0; offset < length; offset += kBytesPerLine)
    {
        const int count = std::min(kBytesPerLine, length - offset);
        std::string line(static_cast<std::size_t>(std::max(indent, 0)), ' ');
        line += format("%0*X : ", width, static_cast<unsigned>(offset));
        for (int i = 0; i < kBytesPerLine; ++i)
        {
            line += i < count ? format("%02X ", data[offset + i]) : std::string("-- ");
        }
        line += ": ";
        for (int i = 0; i < count; ++i)
        {
            const unsigned char byte = data[offset + i];
            line.push_back(std::isprint(byte) != 0 ? static_cast<char>(byte) : '.');
        }
        if (sink != nullptr)
        {
            sink->writeLine(line);
        }
        else
        {
            line.push_back('\n');
            std::fwrite(line.data(), 1, line.size(), stdout);
        }
    }
}

}  // namespace ostrum::utils
