// Hexadecimal text as the stand-ins and the layers above them read and write it: the value of
// one digit, the bytes of a run of digit pairs, and the digit pairs of a run of bytes (no sign,
// no blank, no "0x").
//
// Pure functions; safe from any thread.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace hex {

// The value (0-15) of a hexadecimal digit in either case; -1 for any other character.
template <class Char>
constexpr int DigitValue(Char c)
{
    if (c >= Char('0') && c <= Char('9'))
        return static_cast<int>(c - Char('0'));
    if (c >= Char('a') && c <= Char('f'))
        return static_cast<int>(c - Char('a')) + 10;
    if (c >= Char('A') && c <= Char('F'))
        return static_cast<int>(c - Char('A')) + 10;
    return -1;
}

// Decodes text, pairs of digits, into output, which holds text.size() / 2 bytes. False when
// the size is odd or a character is no digit (output may then be partly written).
template <class Char>
bool Decode(std::basic_string_view<Char> text, unsigned char* output)
{
    if (text.size() % 2 != 0)
        return false;
    for (std::size_t i = 0; i < text.size(); i += 2)
    {
        const int high = DigitValue(text[i]);
        const int low = DigitValue(text[i + 1]);
        if (high < 0 || low < 0)
            return false;
        output[i / 2] = static_cast<unsigned char>(high << 4 | low);
    }
    return true;
}

// The case of the digits 10-15 in written text; each reader of stored or sent text expects one.
enum class Letters
{
    Upper,
    Lower,
};

// The text of two digits per byte, the high one first.
template <class Char>
std::basic_string<Char> Encode(std::span<const unsigned char> bytes, Letters letters)
{
    static constexpr char kUpper[] = "0123456789ABCDEF";
    static constexpr char kLower[] = "0123456789abcdef";
    const char* digits = letters == Letters::Upper ? kUpper : kLower;
    std::basic_string<Char> text;
    text.reserve(bytes.size() * 2);
    for (const unsigned char byte : bytes)
    {
        text.push_back(static_cast<Char>(digits[byte >> 4]));
        text.push_back(static_cast<Char>(digits[byte & 0x0F]));
    }
    return text;
}

}  // namespace hex
