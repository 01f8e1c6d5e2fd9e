// Stateless operations on narrow texts used across the library: affix tests, trimming, case,
// UTF-8/UTF-16 conversion, formatting, byte-size texts, Base64, hexadecimal and URL encoding,
// field=value lists, a hex dump, the dotted-name order of rolled log files, a password score
// and small number-to-text conversions.
//
// Every operation is a static function and safe from any thread. Operations that report a
// failure return false and write an ERROR record to the logger "StringUtils" (only when that
// level is enabled there); partial results stay as they are unless stated otherwise.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ostrum::io {
class DataOutputStream;
}

namespace ostrum::utils {

class StringUtils
{
public:
    using FieldValueList = std::vector<std::pair<std::string, std::string>>;

    StringUtils() = delete;

    // True for an empty affix; false when the affix is longer than the text. Case-insensitive
    // comparison lowers both bytes.
    static bool startsWith(std::string_view text, std::string_view prefix, bool caseSensitive);
    static bool endsWith(std::string_view text, std::string_view suffix, bool caseSensitive);
    // The index of the first entry of the null-terminated `list` equal to `text`, or -1.
    static int indexOf(std::string_view text, const char* const* list, bool caseSensitive);

    // The text from its first character outside `chars`; a text made only of such characters
    // comes back unchanged (trimLeft, trimRight) or empty (trim).
    static std::string trimLeft(std::string_view text, std::string_view chars);
    static std::string trimRight(std::string_view text, std::string_view chars);
    static std::string trim(std::string_view text, std::string_view chars);
    static std::string toLower(std::string_view text);
    static std::string toUpper(std::string_view text);

    // UTF-8 to UTF-16 and back; malformed input becomes U+FFFD. A null input or a length of 0
    // gives the empty text; a length of -1 reads up to the terminator.
    static std::u16string utf8ToWide(const char* bytes, int length);
    static std::string wideToUtf8(const char16_t* characters, int length);

    // printf formatting into a text of any length; a null format gives the empty text, and a
    // format the C library rejects gives the empty text too.
    static std::string formatV(const char* format, va_list arguments);
    static std::string format(const char* format, ...) __attribute__((format(printf, 1, 2)));
    // "1.50 kB" (with decimals) or "1 kB"; bands kB, MB, GB, TB, PB by the value.
    static std::string formatByteSize(std::uint64_t value, bool decimals);

    // The decimal text of `value` in `buffer` (terminated), with leading zeros up to
    // `minWidth` for a value >= 0. Null for a radix other than 10 or when the text and its
    // terminator do not fit in `bufferLength` bytes.
    static char* intToString(std::int32_t value, char* buffer, int bufferLength, int radix, int minWidth);
    // The bits of `value` as "0"/"1" from the highest (leading zeros left out unless
    // `allDigits`); at most bufferLength - 1 characters and a terminator. The count written,
    // bufferLength - 1 when cut, -1 for a null buffer or a length below 1.
    static int toBinaryString(std::uint32_t value, char* buffer, int bufferLength, bool allDigits);
    // The first occurrence of `part` in `text` (both terminated), or null.
    static const char* findText(const char* text, const char* part);
    // A terminated copy of `text` (of at most `maxLength` characters).
    static std::unique_ptr<char[]> copyString(std::string_view text);
    static std::unique_ptr<char[]> copyString(std::string_view text, std::size_t maxLength);

    // Base64 of `length` bytes. With `keepLast` false the "=" fill is left off (a text that
    // base64Decode reads back to the same bytes).
    static std::string base64Encode(const unsigned char* data, int length, bool keepLast);
    // Decodes `text` into `output`, whose capacity is *lengthInOut; sets *lengthInOut to the
    // decoded size. False for a null output or length, a capacity of 0, or a result larger
    // than the capacity, a negative one included (*lengthInOut then holds the size needed and
    // `output` is untouched).
    // An invalid character raises ostrum::io::IOException with output and length untouched.
    static bool base64Decode(std::string_view text, unsigned char* output, int* lengthInOut);
    // The number of bytes `text` decodes to; -1 for a text too long to read (2^31 - 1
    // characters and more). An invalid character raises ostrum::io::IOException.
    static int base64DecodedSize(std::string_view text);
    // Decodes `text` in a single reading: stores its first `capacity` bytes at `output` (none
    // for a null output or a capacity below 1) and returns the number of bytes it decodes to,
    // as base64DecodedSize does (so above `capacity` when the room was short, -1 with nothing
    // stored for a text too long). For a caller that measured the text with base64DecodedSize
    // and made room for that size. An invalid character raises ostrum::io::IOException, the
    // bytes before it stored.
    static int base64DecodeInto(std::string_view text, unsigned char* output, int capacity);

    // Two upper-case hexadecimal digits per byte; empty for null data or a length below 1.
    static std::string hexEncode(const unsigned char* data, int length);
    // The text with "&", "<", ">", the double quote and "'" written as the five predefined XML
    // entities, so that it stands as an attribute value or element text without breaking the
    // markup around it.
    static std::string xmlEscape(std::string_view text);
    // Exactly two hexadecimal digits per output byte; the text must be 2 * outputLength long.
    static bool hexDecode(std::string_view text, unsigned char* output, int outputLength);
    // Percent-encodes every byte outside the unreserved set and the reserved characters not
    // named in `reservedToEncode`; always true.
    static bool urlEncode(std::string_view input, std::string& output, std::string_view reservedToEncode);
    // Decodes "%XX" sequences ("+" stays); false, with `output` unchanged, for a malformed one.
    static bool urlDecode(std::string_view input, std::string& output);
    // Appends the (field, value) pairs of "a=1; b = 2 &c=\"x;y\"" to `list`.
    static bool parseFieldValues(std::string_view text, FieldValueList* list);

    // Lines of up to 16 bytes: `indent` spaces, the offset, the bytes in hexadecimal ("--" for
    // the missing ones of a short last line) and as printable characters ("." otherwise); to
    // `sink` one line each (CR LF ended) or, without one, to the standard output. Nothing for
    // a length below 1. Lines have no length limit.
    static void hexDump(ostrum::io::DataOutputStream* sink, const unsigned char* data, int length, int indent,
                        int addressWidth);

    // Orders rolled file names by their dot-separated parts before the extension: digit-only
    // parts by number, ahead of other parts, which compare by bytes; fewer parts first. A
    // strict weak order (the whole texts break ties).
    static bool lessByDottedParts(std::string_view a, std::string_view b);

    // 0..100 from the length and the classes of characters present.
    static int passwordStrength(std::string_view text);
};

}  // namespace ostrum::utils
