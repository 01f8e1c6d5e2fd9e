#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"

#include "Libraries/OstrumCore/Source/Utils/LogLevel.h"
#include "Libraries/OstrumCore/Source/Utils/Logger.h"
#include "platform/win32/HexDigits.h"
#include "platform/win32/UnicodeConversion.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace ostrum::utils {

namespace {

using logging::LogLevel;

constexpr std::string_view kUnreserved = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-._~";
constexpr std::string_view kReserved = ":/?#[]@!$'()*+,;=";
constexpr std::string_view kFieldBlanks = " \t\n\r\f";

logging::Logger* log()
{
    return logging::Logger::getLogger("StringUtils");
}

char lowered(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool equalBytes(std::string_view a, std::string_view b, bool caseSensitive)
{
    if (caseSensitive)
    {
        return a == b;
    }
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lowered(x) == lowered(y); });
}

std::string_view viewOf(const char* text, int length)
{
    if (text == nullptr || length == 0)
    {
        return {};
    }
    return length < 0 ? std::string_view(text) : std::string_view(text, static_cast<std::size_t>(length));
}

bool allDigits(std::string_view part)
{
    return !part.empty() && std::all_of(part.begin(), part.end(),
                                        [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

// -1, 0 or 1 for two dotted parts: digit-only parts by value (any length) ahead of all
// others; other parts by bytes, a proper prefix first.
int compareParts(std::string_view a, std::string_view b)
{
    const bool aNumber = allDigits(a);
    const bool bNumber = allDigits(b);
    if (aNumber != bNumber)
    {
        return aNumber ? -1 : 1;
    }
    if (aNumber)
    {
        a.remove_prefix(std::min(a.find_first_not_of('0'), a.size()));
        b.remove_prefix(std::min(b.find_first_not_of('0'), b.size()));
        if (a.size() != b.size())
        {
            return a.size() < b.size() ? -1 : 1;
        }
    }
    const int order = a.compare(b);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

// The dot-separated parts of a text before its last dot (none without a dot).
std::vector<std::string_view> dottedParts(std::string_view text)
{
    std::vector<std::string_view> parts;
    const std::size_t last = text.rfind('.');
    if (last == std::string_view::npos)
    {
        return parts;
    }
    std::string_view rest = text.substr(0, last);
    for (;;)
    {
        const std::size_t dot = rest.find('.');
        parts.push_back(rest.substr(0, dot));
        if (dot == std::string_view::npos)
        {
            return parts;
        }
        rest.remove_prefix(dot + 1);
    }
}

}  // namespace

bool StringUtils::startsWith(std::string_view text, std::string_view prefix, bool caseSensitive)
{
    return prefix.size() <= text.size() && equalBytes(text.substr(0, prefix.size()), prefix, caseSensitive);
}

bool StringUtils::endsWith(std::string_view text, std::string_view suffix, bool caseSensitive)
{
    return suffix.size() <= text.size() && equalBytes(text.substr(text.size() - suffix.size()), suffix, caseSensitive);
}

int StringUtils::indexOf(std::string_view text, const char* const* list, bool caseSensitive)
{
    if (list == nullptr)
    {
        return -1;
    }
    for (int i = 0; list[i] != nullptr; ++i)
    {
        if (equalBytes(text, list[i], caseSensitive))
        {
            return i;
        }
    }
    return -1;
}

std::string StringUtils::trimLeft(std::string_view text, std::string_view chars)
{
    const std::size_t first = text.find_first_not_of(chars);
    return std::string(first == std::string_view::npos ? text : text.substr(first));
}

std::string StringUtils::trimRight(std::string_view text, std::string_view chars)
{
    const std::size_t last = text.find_last_not_of(chars);
    return std::string(last == std::string_view::npos ? text : text.substr(0, last + 1));
}

std::string StringUtils::trim(std::string_view text, std::string_view chars)
{
    const std::size_t first = text.find_first_not_of(chars);
    if (first == std::string_view::npos)
    {
        return std::string();
    }
    return std::string(text.substr(first, text.find_last_not_of(chars) - first + 1));
}

std::string StringUtils::toLower(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), lowered);
    return result;
}

std::string StringUtils::toUpper(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
    return result;
}

std::u16string StringUtils::utf8ToWide(const char* bytes, int length)
{
    return UnicodeConversion::EncodeUtf16(UnicodeConversion::DecodeUtf8(viewOf(bytes, length)));
}

std::string StringUtils::wideToUtf8(const char16_t* characters, int length)
{
    if (characters == nullptr || length == 0)
    {
        return std::string();
    }
    const std::u16string_view text = length < 0 ? std::u16string_view(characters)
                                                : std::u16string_view(characters, static_cast<std::size_t>(length));
    return UnicodeConversion::EncodeUtf8(UnicodeConversion::DecodeUtf16(text));
}

std::string StringUtils::formatV(const char* format, va_list arguments)
{
    if (format == nullptr)
    {
        return std::string();
    }
    // Each pass formats from its own copy: a va_list is used once only.
    va_list measure;
    va_copy(measure, arguments);
    const int needed = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (needed <= 0)
    {
        return std::string();
    }
    std::string text(static_cast<std::size_t>(needed), '\0');
    va_list write;
    va_copy(write, arguments);
    std::vsnprintf(text.data(), text.size() + 1, format, write);
    va_end(write);
    return text;
}

std::string StringUtils::format(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::string text = formatV(format, arguments);
    va_end(arguments);
    return text;
}

std::string StringUtils::formatByteSize(std::uint64_t value, bool decimals)
{
    struct Band
    {
        int shift;
        const char* unit;
    };
    static constexpr std::array<Band, 5> kBands = {{{10, "kB"}, {20, "MB"}, {30, "GB"}, {40, "TB"}, {50, "PB"}}};
    std::size_t band = 0;
    while (band + 1 < kBands.size() && value >= (std::uint64_t{1} << kBands[band + 1].shift))
    {
        ++band;
    }
    const Band& chosen = kBands[band];
    if (decimals)
    {
        const double scaled = static_cast<double>(value) / static_cast<double>(std::uint64_t{1} << chosen.shift);
        return format("%.02f %s", scaled, chosen.unit);
    }
    return format("%llu %s", static_cast<unsigned long long>(value >> chosen.shift), chosen.unit);
}

char* StringUtils::intToString(std::int32_t value, char* buffer, int bufferLength, int radix, int minWidth)
{
    if (radix != 10 || buffer == nullptr)
    {
        return nullptr;
    }
    // The magnitude as unsigned, so the most negative value is written correctly.
    const std::uint32_t magnitude =
        value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    std::string text = std::to_string(magnitude);
    if (value < 0)
    {
        text.insert(text.begin(), '-');
    }
    else if (minWidth > 0 && text.size() < static_cast<std::size_t>(minWidth))
    {
        text.insert(0, static_cast<std::size_t>(minWidth) - text.size(), '0');
    }
    if (bufferLength < 1 || text.size() >= static_cast<std::size_t>(bufferLength))
    {
        return nullptr;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return buffer;
}

int StringUtils::toBinaryString(std::uint32_t value, char* buffer, int bufferLength, bool allDigits)
{
    if (buffer == nullptr || bufferLength < 1)
    {
        return -1;
    }
    std::string bits;
    for (int bit = 31; bit >= 0; --bit)
    {
        const bool set = ((value >> bit) & 1u) != 0;
        if (set || allDigits || !bits.empty())
        {
            bits.push_back(set ? '1' : '0');
        }
    }
    const std::size_t kept = std::min(bits.size(), static_cast<std::size_t>(bufferLength - 1));
    std::memcpy(buffer, bits.data(), kept);
    buffer[kept] = '\0';
    return static_cast<int>(kept);
}

const char* StringUtils::findText(const char* text, const char* part)
{
    if (text == nullptr || part == nullptr)
    {
        return nullptr;
    }
    return std::strstr(text, part);
}

std::unique_ptr<char[]> StringUtils::copyString(std::string_view text)
{
    return copyString(text, text.size());
}

std::unique_ptr<char[]> StringUtils::copyString(std::string_view text, std::size_t maxLength)
{
    const std::size_t kept = std::min(text.size(), maxLength);
    auto copy = std::make_unique<char[]>(kept + 1);
    std::memcpy(copy.get(), text.data(), kept);
    copy[kept] = '\0';
    return copy;
}

std::string StringUtils::xmlEscape(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text)
    {
        switch (c)
        {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&apos;";
            break;
        default:
            escaped += c;
            break;
        }
    }
    return escaped;
}

std::string StringUtils::hexEncode(const unsigned char* data, int length)
{
    if (data == nullptr || length < 1)
    {
        return std::string();
    }
    return hex::Encode<char>({data, static_cast<std::size_t>(length)}, hex::Letters::Upper);
}

bool StringUtils::hexDecode(std::string_view text, unsigned char* output, int outputLength)
{
    if (text.size() % 2 != 0 || outputLength < 0 || text.size() != static_cast<std::size_t>(outputLength) * 2 ||
        (output == nullptr && outputLength > 0))
    {
        OSTRUM_LOG(log(), LogLevel::ERROR, "hex target buffer length does match source buffer length");
        return false;
    }
    // Exactly two hexadecimal digits a byte: no sign, no blank, no single digit.
    if (!hex::Decode(text, output))
    {
        OSTRUM_LOG(log(), LogLevel::ERROR, "hex string contains invalid chars");
        return false;
    }
    return true;
}

bool StringUtils::urlEncode(std::string_view input, std::string& output, std::string_view reservedToEncode)
{
    std::string encoded;
    encoded.reserve(input.size());
    for (const char c : input)
    {
        const bool safe =
            kUnreserved.find(c) != std::string_view::npos ||
            (kReserved.find(c) != std::string_view::npos && reservedToEncode.find(c) == std::string_view::npos);
        if (safe)
        {
            encoded.push_back(c);
        }
        else
        {
            const auto byte = static_cast<unsigned char>(c);
            encoded.push_back('%');
            encoded += hexEncode(&byte, 1);
        }
    }
    output = std::move(encoded);
    return true;
}

bool StringUtils::urlDecode(std::string_view input, std::string& output)
{
    std::string decoded;
    decoded.reserve(input.size());
    for (std::size_t i = 0; i < input.size(); ++i)
    {
        if (input[i] != '%')
        {
            decoded.push_back(input[i]);
            continue;
        }
        unsigned char byte = 0;
        if (input.size() - i < 3 || !hexDecode(input.substr(i + 1, 2), &byte, 1))
        {
            return false;
        }
        decoded.push_back(static_cast<char>(byte));
        i += 2;
    }
    output = std::move(decoded);
    return true;
}

bool StringUtils::parseFieldValues(std::string_view text, FieldValueList* list)
{
    if (list == nullptr || text.empty())
    {
        return true;
    }
    std::size_t start = 0;
    for (;;)
    {
        const std::size_t equals = text.find('=', start);
        if (equals == std::string_view::npos)
        {
            OSTRUM_LOG(log(), LogLevel::ERROR, "missing equals sign in field-value pair");
            return false;
        }
        std::string field = trim(text.substr(start, equals - start), kFieldBlanks);
        if (field.empty())
        {
            OSTRUM_LOG(log(), LogLevel::ERROR, "empty field in field-value pair");
            return false;
        }
        const std::size_t separator = text.find_first_of(";&\"", equals + 1);
        std::string value;
        std::size_t next = std::string_view::npos;
        if (separator == std::string_view::npos)
        {
            value = text.substr(equals + 1);
        }
        else if (text[separator] != '"')
        {
            value = text.substr(equals + 1, separator - equals - 1);
            next = separator + 1;
        }
        else
        {
            const std::size_t closing = text.find('"', separator + 1);
            value = text.substr(equals + 1, separator - equals - 1);
            if (closing == std::string_view::npos)
            {
                // No closing quote: the rest is the value and the list ends here.
                value += text.substr(separator + 1);
            }
            else
            {
                value += text.substr(separator + 1, closing - separator - 1);
                next = closing + 1;
            }
        }
        list->emplace_back(std::move(field), trim(value, kFieldBlanks));
        if (next == std::string_view::npos || next >= text.size())
        {
            return true;
        }
        start = next;
    }
}

bool StringUtils::lessByDottedParts(std::string_view a, std::string_view b)
{
    const std::vector<std::string_view> aParts = dottedParts(a);
    const std::vector<std::string_view> bParts = dottedParts(b);
    const std::size_t common = std::min(aParts.size(), bParts.size());
    for (std::size_t i = 0; i < common; ++i)
    {
        const int order = compareParts(aParts[i], bParts[i]);
        if (order != 0)
        {
            return order < 0;
        }
    }
    if (aParts.size() != bParts.size())
    {
        return aParts.size() < bParts.size();
    }
    return a < b;
}

int StringUtils::passwordStrength(std::string_view text)
{
    const auto has = [text](auto test) {
        return std::any_of(text.begin(), text.end(),
                           [&test](char c) { return test(static_cast<unsigned char>(c)) != 0; });
    };
    const float n = static_cast<float>(text.size());
    float lengthFactor = 1.0f;
    if (text.size() < 9)
    {
        lengthFactor = n * 0.125f * 0.2f;
    }
    else if (text.size() < 16)
    {
        lengthFactor = (n - 8.0f) * 0.125f * 0.8f + 0.2f;
    }
    float score = 0.4f * lengthFactor;
    if (has([](unsigned char c) { return std::islower(c); }))
    {
        score += 0.1f;
    }
    if (has([](unsigned char c) { return std::isdigit(c); }))
    {
        score += 0.2f;
    }
    if (has([](unsigned char c) { return std::isupper(c); }))
    {
        score += 0.1f;
    }
    if (has([](unsigned char c) { return !std::isalnum(c); }))
    {
        score += 0.2f;
    }
    // The sum and the scaling stay in single precision, whose rounding the scores carry ("abcde"
    // gives 16); only the top is held at 100.
    const float scaled = score * 100.0f;
    return std::clamp(static_cast<int>(std::ceil(scaled)), 0, 100);
}

}  // namespace ostrum::utils
