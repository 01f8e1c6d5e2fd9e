// StringUtils' members that work through the library's streams (Base64 and the hexadecimal
// dump): they live with the streams, so that the text utilities below them need none.
#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"

#include "Libraries/OstrumCore/Source/IO/Base64InputStream.h"
#include "Libraries/OstrumCore/Source/IO/Base64OutputStream.h"
#include "Libraries/OstrumCore/Source/IO/DataOutputStream.h"
#include "Libraries/OstrumCore/Source/IO/MemoryInputStream.h"
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

namespace {

// Reads the text where it stands rather than copying it with an "=" appended, so a long value is
// not held twice: "=" only marks the end of the data, and the memory stream ends it the same way
// (its read answers -1 at the end, as the decoder answers "="). Calls take(byte) for each
// decoded byte.
template <typename Take>
void DecodeBase64(std::string_view text, Take take)
{
    static constexpr unsigned char kEndOfData[] = {'='};
    io::MemoryInputStream memory(text.empty() ? kEndOfData : reinterpret_cast<const unsigned char*>(text.data()),
                                 text.empty() ? 1 : static_cast<int>(text.size()));
    io::Base64InputStream decoder(memory);
    for (int byte = decoder.read(); byte >= 0; byte = decoder.read())
    {
        take(static_cast<unsigned char>(byte));
    }
}

}  // namespace

int StringUtils::base64DecodedSize(std::string_view text)
{
    // The streams count in 32 bits; a longer text cannot be read through them.
    if (text.size() >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    {
        return -1;
    }
    int size = 0;
    DecodeBase64(text, [&](unsigned char) { ++size; });
    return size;
}

bool StringUtils::base64Decode(std::string_view text, unsigned char* output, int* lengthInOut)
{
    if (output == nullptr || lengthInOut == nullptr || *lengthInOut < 1)
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
    DecodeBase64(text, [&](unsigned char byte) { *output++ = byte; });
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
