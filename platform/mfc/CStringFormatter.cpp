#include "platform/mfc/CStringFormatter.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "platform/mfc/UnicodeText.h"

namespace mfc_detail {

namespace {

// Where a specifier takes its argument text from, and which kind of text it expects.
enum class TextKind
{
    Wide,
    Narrow
};

struct TextValue
{
    std::wstring_view wide;
    std::string_view narrow;
    bool isWide = true;
    bool isNull = false;
};

// The arguments of one call, read in order. Each Next* answers false when no argument of a
// usable kind is left.
class ArgumentSource
{
public:
    virtual ~ArgumentSource() = default;
    // An integer of 32 (or, with wide, 64) bits, as its bit pattern.
    virtual bool NextInteger(bool wide, std::uint64_t& bits) = 0;
    virtual bool NextDouble(double& value) = 0;
    virtual bool NextText(TextKind kind, TextValue& value) = 0;
    virtual bool NextPointer(std::uint64_t& address) = 0;
};

// Arguments of a C variable argument list: always available, typed by the specifier.
class VaListSource final : public ArgumentSource
{
public:
    explicit VaListSource(va_list arguments) { va_copy(m_arguments, arguments); }
    ~VaListSource() override { va_end(m_arguments); }
    VaListSource(const VaListSource&) = delete;
    VaListSource& operator=(const VaListSource&) = delete;

    bool NextInteger(bool wide, std::uint64_t& bits) override
    {
        bits = wide ? static_cast<std::uint64_t>(va_arg(m_arguments, unsigned long long))
                    : static_cast<std::uint64_t>(static_cast<std::int64_t>(va_arg(m_arguments, int)));
        return true;
    }

    bool NextDouble(double& value) override
    {
        value = va_arg(m_arguments, double);
        return true;
    }

    bool NextText(TextKind kind, TextValue& value) override
    {
        value = TextValue{};
        if (kind == TextKind::Wide)
        {
            const wchar_t* text = va_arg(m_arguments, const wchar_t*);
            value.isNull = text == nullptr;
            value.wide = text == nullptr ? std::wstring_view() : std::wstring_view(text);
        }
        else
        {
            const char* text = va_arg(m_arguments, const char*);
            value.isWide = false;
            value.isNull = text == nullptr;
            value.narrow = text == nullptr ? std::string_view() : std::string_view(text);
        }
        return true;
    }

    bool NextPointer(std::uint64_t& address) override
    {
        address = reinterpret_cast<std::uintptr_t>(va_arg(m_arguments, void*));
        return true;
    }

private:
    va_list m_arguments;
};

// Arguments captured with their types: numbers convert among themselves, text serves only
// text, and nothing is read past the end of the list.
class TypedSource final : public ArgumentSource
{
public:
    explicit TypedSource(std::span<const FormatArgument> arguments) : m_arguments(arguments) {}

    bool NextInteger(bool, std::uint64_t& bits) override
    {
        const FormatArgument* argument = Next();
        if (argument == nullptr)
            return false;
        switch (argument->kind)
        {
        case FormatArgument::Kind::Signed:
        case FormatArgument::Kind::Unsigned:
        case FormatArgument::Kind::Pointer:
            bits = argument->bits;
            return true;
        case FormatArgument::Kind::Floating:
            // Only values an integer can hold convert; anything else is no number for %d.
            if (!(argument->floating > -9.2e18 && argument->floating < 9.2e18))
                return false;
            bits = static_cast<std::uint64_t>(static_cast<std::int64_t>(argument->floating));
            return true;
        default:
            return false;
        }
    }

    bool NextDouble(double& value) override
    {
        const FormatArgument* argument = Next();
        if (argument == nullptr)
            return false;
        switch (argument->kind)
        {
        case FormatArgument::Kind::Floating:
            value = argument->floating;
            return true;
        case FormatArgument::Kind::Signed:
            value = static_cast<double>(static_cast<std::int64_t>(argument->bits));
            return true;
        case FormatArgument::Kind::Unsigned:
            value = static_cast<double>(argument->bits);
            return true;
        default:
            return false;
        }
    }

    bool NextText(TextKind, TextValue& value) override
    {
        const FormatArgument* argument = Next();
        if (argument == nullptr)
            return false;
        value = TextValue{};
        value.isNull = argument->isNull;
        if (argument->kind == FormatArgument::Kind::Wide)
        {
            value.wide = argument->wide;
            return true;
        }
        if (argument->kind == FormatArgument::Kind::Narrow)
        {
            value.isWide = false;
            value.narrow = argument->narrow;
            return true;
        }
        return false;
    }

    bool NextPointer(std::uint64_t& address) override
    {
        const FormatArgument* argument = Next();
        if (argument == nullptr)
            return false;
        switch (argument->kind)
        {
        case FormatArgument::Kind::Pointer:
        case FormatArgument::Kind::Signed:
        case FormatArgument::Kind::Unsigned:
            address = argument->bits;
            return true;
        case FormatArgument::Kind::Wide:
            address = reinterpret_cast<std::uintptr_t>(argument->wide.data());
            return true;
        case FormatArgument::Kind::Narrow:
            address = reinterpret_cast<std::uintptr_t>(argument->narrow.data());
            return true;
        default:
            return false;
        }
    }

private:
    const FormatArgument* Next()
    {
        if (m_next >= m_arguments.size())
            return nullptr;
        return &m_arguments[m_next++];
    }

    std::span<const FormatArgument> m_arguments;
    std::size_t m_next = 0;
};

// One parsed printf-style specifier.
struct Spec
{
    bool leftAlign = false;
    bool plusSign = false;
    bool spaceSign = false;
    bool alternate = false;
    bool zeroPad = false;
    int width = 0;
    bool widthFromArgument = false;
    int precision = -1;
    bool precisionFromArgument = false;
    // Integer size in bits: 16, 32 or 64.
    int integerBits = 32;
    // Text size: h gives narrow, l wide; otherwise the type letter decides.
    enum class TextSize
    {
        Default,
        Narrow,
        Wide
    } textSize = TextSize::Default;
    wchar_t type = 0;
};

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

// Reads a decimal field; nullopt when it exceeds kMaxFieldWidth.
std::optional<int> ParseField(std::wstring_view text, std::size_t& pos)
{
    int value = 0;
    while (pos < text.size() && IsDigit(text[pos]))
    {
        value = value * 10 + (text[pos] - L'0');
        if (value > kMaxFieldWidth)
            return std::nullopt;
        ++pos;
    }
    return value;
}

// Reads a width or a precision: '*' (where allowStar lets it be taken from the arguments) sets
// fromArgument, decimal digits set value. False for a '*' not allowed or an over-wide field.
bool ParseCount(std::wstring_view text, std::size_t& pos, bool allowStar, bool& fromArgument, int& value)
{
    if (pos < text.size() && text[pos] == L'*')
    {
        if (!allowStar)
            return false;
        fromArgument = true;
        ++pos;
        return true;
    }
    const std::optional<int> field = ParseField(text, pos);
    if (!field)
        return false;
    value = *field;
    return true;
}

bool StartsWith(std::wstring_view text, std::size_t pos, std::wstring_view prefix)
{
    return text.substr(pos, prefix.size()) == prefix;
}

// Parses the specifier that starts after '%' at pos. On success pos is past the type letter.
std::optional<Spec> ParseSpec(std::wstring_view text, std::size_t& pos, bool allowStar)
{
    Spec spec;
    for (; pos < text.size(); ++pos)
    {
        const wchar_t c = text[pos];
        if (c == L'-')
            spec.leftAlign = true;
        else if (c == L'+')
            spec.plusSign = true;
        else if (c == L' ')
            spec.spaceSign = true;
        else if (c == L'#')
            spec.alternate = true;
        else if (c == L'0')
            spec.zeroPad = true;
        else
            break;
    }
    if (!ParseCount(text, pos, allowStar, spec.widthFromArgument, spec.width))
        return std::nullopt;
    if (pos < text.size() && text[pos] == L'.')
    {
        ++pos;
        if (!ParseCount(text, pos, allowStar, spec.precisionFromArgument, spec.precision))
            return std::nullopt;
    }
    if (StartsWith(text, pos, L"I64"))
    {
        spec.integerBits = 64;
        pos += 3;
    }
    else if (StartsWith(text, pos, L"I32"))
    {
        spec.integerBits = 32;
        pos += 3;
    }
    else if (StartsWith(text, pos, L"ll"))
    {
        spec.integerBits = 64;
        pos += 2;
    }
    else if (StartsWith(text, pos, L"I"))
    {
        spec.integerBits = static_cast<int>(sizeof(void*) * CHAR_BIT);
        ++pos;
    }
    else if (StartsWith(text, pos, L"l"))
    {
        spec.integerBits = 32;
        spec.textSize = Spec::TextSize::Wide;
        ++pos;
    }
    else if (StartsWith(text, pos, L"h"))
    {
        spec.integerBits = 16;
        spec.textSize = Spec::TextSize::Narrow;
        ++pos;
    }
    if (pos >= text.size())
        return std::nullopt;
    spec.type = text[pos];
    if (std::wstring_view(L"diuxXocCsSfFeEgGp").find(spec.type) == std::wstring_view::npos)
        return std::nullopt;
    ++pos;
    return spec;
}

TextKind TextKindOf(const Spec& spec)
{
    if (spec.textSize == Spec::TextSize::Narrow)
        return TextKind::Narrow;
    if (spec.textSize == Spec::TextSize::Wide)
        return TextKind::Wide;
    return spec.type == L's' || spec.type == L'c' ? TextKind::Wide : TextKind::Narrow;
}

void AppendPadded(std::wstring& output, std::wstring_view body, const Spec& spec, int width)
{
    const std::size_t padding = body.size() < static_cast<std::size_t>(width) ? width - body.size() : 0;
    if (!spec.leftAlign)
        output.append(padding, L' ');
    output.append(body);
    if (spec.leftAlign)
        output.append(padding, L' ');
}

std::wstring Widen(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

void AppendInteger(std::wstring& output, const Spec& spec, int width, int precision, std::uint64_t bits)
{
    const bool isSigned = spec.type == L'd' || spec.type == L'i';
    bool negative = false;
    std::uint64_t magnitude = 0;
    if (spec.integerBits == 16)
        bits = isSigned ? static_cast<std::uint64_t>(static_cast<std::int64_t>(static_cast<std::int16_t>(bits)))
                        : static_cast<std::uint16_t>(bits);
    else if (spec.integerBits == 32)
        bits = isSigned ? static_cast<std::uint64_t>(static_cast<std::int64_t>(static_cast<std::int32_t>(bits)))
                        : static_cast<std::uint32_t>(bits);
    if (isSigned && static_cast<std::int64_t>(bits) < 0)
    {
        negative = true;
        magnitude = ~bits + 1;
    }
    else
    {
        magnitude = bits;
    }
    const unsigned base = spec.type == L'x' || spec.type == L'X' ? 16 : spec.type == L'o' ? 8 : 10;
    const wchar_t* digitSet = spec.type == L'X' ? L"0123456789ABCDEF" : L"0123456789abcdef";
    std::wstring digits;
    for (std::uint64_t rest = magnitude; rest != 0; rest /= base)
        digits.insert(digits.begin(), digitSet[rest % base]);
    const std::size_t minimumDigits = precision < 0 ? 1 : static_cast<std::size_t>(precision);
    if (digits.size() < minimumDigits)
        digits.insert(0, minimumDigits - digits.size(), L'0');
    if (spec.type == L'o' && spec.alternate && (digits.empty() || digits.front() != L'0'))
        digits.insert(digits.begin(), L'0');

    std::wstring prefix;
    if (negative)
        prefix = L"-";
    else if (isSigned && spec.plusSign)
        prefix = L"+";
    else if (isSigned && spec.spaceSign)
        prefix = L" ";
    if (spec.alternate && magnitude != 0 && base == 16)
        prefix += spec.type == L'X' ? L"0X" : L"0x";

    if (spec.zeroPad && !spec.leftAlign && precision < 0)
    {
        const std::size_t used = prefix.size() + digits.size();
        if (used < static_cast<std::size_t>(width))
            digits.insert(0, width - used, L'0');
    }
    AppendPadded(output, prefix + digits, spec, width);
}

void AppendFloating(std::wstring& output, const Spec& spec, int width, int precision, double value)
{
    // The C format is built here from checked parts, for exactly one double.
    std::string format = "%";
    if (spec.leftAlign)
        format += '-';
    if (spec.plusSign)
        format += '+';
    if (spec.spaceSign)
        format += ' ';
    if (spec.alternate)
        format += '#';
    if (spec.zeroPad)
        format += '0';
    format += std::to_string(width);
    if (precision >= 0)
        format += "." + std::to_string(precision);
    format += static_cast<char>(spec.type);
    const int length = std::snprintf(nullptr, 0, format.c_str(), value);
    if (length <= 0)
        return;
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), format.c_str(), value);
    text.resize(static_cast<std::size_t>(length));
    output += Widen(text);
}

void AppendText(std::wstring& output, const Spec& spec, int width, int precision, const TextValue& value)
{
    std::wstring text;
    if (value.isNull)
        text = L"(null)";
    else if (value.isWide)
        text = value.wide;
    else
        text = DecodeUtf8(value.narrow);
    if (precision >= 0 && text.size() > static_cast<std::size_t>(precision))
        text.resize(static_cast<std::size_t>(precision));
    AppendPadded(output, text, spec, width);
}

void AppendCharacter(std::wstring& output, const Spec& spec, int width, std::uint64_t bits)
{
    wchar_t character = 0;
    if (TextKindOf(spec) == TextKind::Narrow)
    {
        // A single byte is a character only in the ASCII range of UTF-8.
        const unsigned char byte = static_cast<unsigned char>(bits);
        character = byte < 0x80 ? static_cast<wchar_t>(byte) : kReplacementCharacter;
    }
    else
    {
        character = static_cast<wchar_t>(static_cast<std::uint32_t>(bits));
    }
    AppendPadded(output, std::wstring_view(&character, 1), spec, width);
}

void AppendPointer(std::wstring& output, const Spec& spec, int width, std::uint64_t address)
{
    wchar_t digits[2 * sizeof(void*)];
    const int count = static_cast<int>(2 * sizeof(void*));
    for (int i = count - 1; i >= 0; --i)
    {
        digits[i] = L"0123456789ABCDEF"[address & 0xF];
        address >>= 4;
    }
    AppendPadded(output, std::wstring_view(digits, static_cast<std::size_t>(count)), spec, width);
}

// Reads the arguments of one specifier and appends its text. False when an argument is
// missing or unusable, or a width is out of bounds; the caller then copies the specifier.
bool Render(const Spec& spec, ArgumentSource& source, std::wstring& output)
{
    std::int64_t width = spec.width;
    std::int64_t precision = spec.precision;
    Spec effective = spec;
    std::uint64_t bits = 0;
    if (spec.widthFromArgument)
    {
        if (!source.NextInteger(false, bits))
            return false;
        width = static_cast<std::int32_t>(bits);
        if (width < 0)
        {
            effective.leftAlign = true;
            width = -width;
        }
    }
    if (spec.precisionFromArgument)
    {
        if (!source.NextInteger(false, bits))
            return false;
        precision = static_cast<std::int32_t>(bits);
        if (precision < 0)
            precision = -1;
    }

    std::wstring text;
    switch (spec.type)
    {
    case L'd':
    case L'i':
    case L'u':
    case L'x':
    case L'X':
    case L'o':
        if (!source.NextInteger(spec.integerBits == 64, bits))
            return false;
        if (width > kMaxFieldWidth || precision > kMaxFieldWidth)
            return false;
        AppendInteger(text, effective, static_cast<int>(width), static_cast<int>(precision), bits);
        break;
    case L'c':
    case L'C':
        if (!source.NextInteger(false, bits))
            return false;
        if (width > kMaxFieldWidth)
            return false;
        AppendCharacter(text, effective, static_cast<int>(width), bits);
        break;
    case L's':
    case L'S': {
        TextValue value;
        if (!source.NextText(TextKindOf(spec), value))
            return false;
        if (width > kMaxFieldWidth)
            return false;
        AppendText(text, effective, static_cast<int>(width), static_cast<int>(precision), value);
        break;
    }
    case L'p':
        if (!source.NextPointer(bits))
            return false;
        if (width > kMaxFieldWidth)
            return false;
        AppendPointer(text, effective, static_cast<int>(width), bits);
        break;
    default: {
        double value = 0.0;
        if (!source.NextDouble(value))
            return false;
        if (width > kMaxFieldWidth || precision > kMaxFieldWidth)
            return false;
        AppendFloating(text, effective, static_cast<int>(width), static_cast<int>(precision), value);
        break;
    }
    }
    output += text;
    return true;
}

void AppendPrintf(std::wstring_view format, ArgumentSource& source, std::wstring& output)
{
    std::size_t pos = 0;
    while (pos < format.size())
    {
        const std::size_t percent = format.find(L'%', pos);
        if (percent == std::wstring_view::npos)
        {
            output.append(format.substr(pos));
            return;
        }
        output.append(format.substr(pos, percent - pos));
        if (percent + 1 < format.size() && format[percent + 1] == L'%')
        {
            output.push_back(L'%');
            pos = percent + 2;
            continue;
        }
        std::size_t end = percent + 1;
        const std::optional<Spec> spec = ParseSpec(format, end, true);
        if (!spec)
        {
            output.push_back(L'%');
            pos = percent + 1;
            continue;
        }
        if (!Render(*spec, source, output))
            output.append(format.substr(percent, end - percent));
        pos = end;
    }
}

// A plain insert: the argument shown as what it is.
void AppendPlainInsert(const FormatArgument& argument, std::wstring& output)
{
    switch (argument.kind)
    {
    case FormatArgument::Kind::Signed:
        output += std::to_wstring(static_cast<std::int64_t>(argument.bits));
        break;
    case FormatArgument::Kind::Unsigned:
        output += std::to_wstring(argument.bits);
        break;
    case FormatArgument::Kind::Floating: {
        TypedSource source(std::span<const FormatArgument>(&argument, 1));
        AppendPrintf(L"%g", source, output);
        break;
    }
    case FormatArgument::Kind::Pointer: {
        TypedSource source(std::span<const FormatArgument>(&argument, 1));
        AppendPrintf(L"%p", source, output);
        break;
    }
    case FormatArgument::Kind::Wide:
        output += argument.isNull ? std::wstring_view(L"(null)") : argument.wide;
        break;
    case FormatArgument::Kind::Narrow:
        output += argument.isNull ? L"(null)" : DecodeUtf8(argument.narrow);
        break;
    }
}

}  // namespace

void CStringFormatter::AppendFormat(std::wstring_view format, std::span<const FormatArgument> arguments,
                                    std::wstring& output)
{
    TypedSource source(arguments);
    AppendPrintf(format, source, output);
}

void CStringFormatter::AppendFormatV(std::wstring_view format, va_list arguments, std::wstring& output)
{
    VaListSource source(arguments);
    AppendPrintf(format, source, output);
}

void CStringFormatter::AppendMessage(std::wstring_view format, std::span<const FormatArgument> arguments,
                                     std::wstring& output)
{
    std::size_t pos = 0;
    while (pos < format.size())
    {
        const std::size_t percent = format.find(L'%', pos);
        if (percent == std::wstring_view::npos)
        {
            output.append(format.substr(pos));
            return;
        }
        output.append(format.substr(pos, percent - pos));
        if (percent + 1 >= format.size())
        {
            output.push_back(L'%');
            return;
        }
        const wchar_t next = format[percent + 1];
        if (next == L'0')
            return;
        if (next == L'n')
        {
            output.append(L"\r\n");
            pos = percent + 2;
            continue;
        }
        if (!IsDigit(next))
        {
            output.push_back(next);
            pos = percent + 2;
            continue;
        }
        // Inserts are numbered 1 to 99: a third digit is ordinary text.
        std::size_t end = percent + 1;
        std::size_t number = 0;
        while (end < format.size() && end < percent + 3 && IsDigit(format[end]))
            number = number * 10 + static_cast<std::size_t>(format[end++] - L'0');
        const bool hasArgument = number >= 1 && number <= arguments.size();
        if (end < format.size() && format[end] == L'!')
        {
            const std::size_t close = format.find(L'!', end + 1);
            if (close == std::wstring_view::npos)
            {
                output.append(format.substr(percent, end - percent));
                pos = end;
                continue;
            }
            const std::wstring_view specText = format.substr(end + 1, close - end - 1);
            std::size_t specPos = 0;
            const std::optional<Spec> spec = ParseSpec(specText, specPos, false);
            bool rendered = false;
            if (spec && specPos == specText.size() && hasArgument)
            {
                TypedSource source(arguments.subspan(number - 1, 1));
                rendered = Render(*spec, source, output);
            }
            if (!rendered)
                output.append(format.substr(percent, close + 1 - percent));
            pos = close + 1;
            continue;
        }
        if (hasArgument)
            AppendPlainInsert(arguments[number - 1], output);
        else
            output.append(format.substr(percent, end - percent));
        pos = end;
    }
}

}  // namespace mfc_detail
