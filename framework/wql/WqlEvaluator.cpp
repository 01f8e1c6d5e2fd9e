#include "framework/wql/WqlEvaluator.h"

#include "framework/wql/WqlNumber.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

WqlTruth FromBool(bool value)
{
    return value ? WqlTruth::True : WqlTruth::False;
}

WqlTruth Not(WqlTruth value)
{
    switch (value)
    {
    case WqlTruth::True:
        return WqlTruth::False;
    case WqlTruth::False:
        return WqlTruth::True;
    default:
        return WqlTruth::Unknown;
    }
}

bool IsNumber(const CDBValue& value)
{
    return value.GetKind() == CDBValue::Kind::Integer || value.GetKind() == CDBValue::Kind::Real;
}

// <0, 0, >0 for two numbers; exact for every 64-bit integer and double (long double holds both).
int CompareNumbers(const CDBValue& left, const CDBValue& right)
{
    if (left.GetKind() == CDBValue::Kind::Integer && right.GetKind() == CDBValue::Kind::Integer)
        return left.GetInteger() < right.GetInteger() ? -1 : (left.GetInteger() > right.GetInteger() ? 1 : 0);
    auto wide = [](const CDBValue& value) -> long double {
        return value.GetKind() == CDBValue::Kind::Integer ? static_cast<long double>(value.GetInteger())
                                                          : static_cast<long double>(value.GetReal());
    };
    const long double a = wide(left);
    const long double b = wide(right);
    return a < b ? -1 : (a > b ? 1 : 0);
}

template <typename Sequence>
int CompareBytes(const Sequence& left, const Sequence& right)
{
    const std::size_t common = std::min(left.size(), right.size());
    for (std::size_t i = 0; i < common; ++i)
    {
        const auto a = static_cast<unsigned char>(left[i]);
        const auto b = static_cast<unsigned char>(right[i]);
        if (a != b)
            return a < b ? -1 : 1;
    }
    return left.size() < right.size() ? -1 : (left.size() > right.size() ? 1 : 0);
}

WqlTruth Ordered(int order, WqlOperator op)
{
    switch (op)
    {
    case WqlOpEqual:
        return FromBool(order == 0);
    case WqlOpNotEqual:
        return FromBool(order != 0);
    case WqlOpLess:
        return FromBool(order < 0);
    case WqlOpLessOrEqual:
        return FromBool(order <= 0);
    case WqlOpGreater:
        return FromBool(order > 0);
    case WqlOpGreaterOrEqual:
        return FromBool(order >= 0);
    default:
        return WqlTruth::Unknown;
    }
}

// Decodes UTF-8 into code points; an ill-formed byte stands for itself, as the database
// treats it as one character too.
std::vector<char32_t> CodePoints(std::string_view text)
{
    std::vector<char32_t> points;
    points.reserve(text.size());
    for (std::size_t i = 0; i < text.size();)
    {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 1;
        if ((lead >> 5) == 0x6)
            length = 2;
        else if ((lead >> 4) == 0xE)
            length = 3;
        else if ((lead >> 3) == 0x1E)
            length = 4;
        if (i + length > text.size())
            length = 1;
        char32_t point = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k)
            point = (point << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        points.push_back(point);
        i += length;
    }
    return points;
}

char32_t FoldAscii(char32_t c)
{
    return c >= U'A' && c <= U'Z' ? c - U'A' + U'a' : c;
}

int FoldByte(char c)
{
    return static_cast<int>(FoldAscii(static_cast<unsigned char>(c)));
}

int CompareLengths(std::size_t left, std::size_t right)
{
    return left < right ? -1 : (left > right ? 1 : 0);
}

}  // namespace

std::optional<bool> WqlPropertySource::IsA(const CString&, const CString&) const
{
    return std::nullopt;
}

bool WqlPropertySource::IsBoolean(const CString&) const
{
    return false;
}

std::optional<CDBValue> WqlPropertySource::ReadDateTime(const CString&, const CString&) const
{
    return std::nullopt;
}

bool WqlPropertySource::IsText(const CString&) const
{
    return false;
}

namespace {
// The value the comparison's literal stands for against the instance's property, read by the
// property's type as the query road reads it: a string that reads as TRUE or FALSE compared with
// a boolean is the boolean (compared as a text with 0 or 1 it would match nothing), a string
// compared with a date-time the instant it names (its wall clock alone would be off by its zone
// offset), a number compared with a text the text it is written as (the database would compare
// the text of its value instead: 01 as "1"); any other literal, and any literal compared with
// another type, its own value.
CDBValue LiteralValue(const WqlExpression& comparison, const WqlPropertySource& source)
{
    const WqlLiteral& literal = comparison.GetLiteral();
    if (literal.IsNumber() && source.IsText(comparison.GetProperty()))
        return CDBValue(literal.Text);
    if (literal.LiteralKind == WqlLiteral::Kind::String || literal.LiteralKind == WqlLiteral::Kind::DateTime)
    {
        if (const std::optional<bool> truth = literal.ReadBoolean();
            truth && source.IsBoolean(comparison.GetProperty()))
            return CDBValue(*truth);
        if (std::optional<CDBValue> instant = source.ReadDateTime(comparison.GetProperty(), literal.Text))
            return std::move(*instant);
    }
    return literal.ToDatabaseValue();
}

// One element of a WQL LIKE pattern: any run (%), any one character (_), a set ([abc], [a-z],
// [^abc]) or one character.
struct LikeElement
{
    enum class Kind
    {
        AnyRun,
        AnyOne,
        Set,
        Char
    };
    Kind kind = Kind::Char;
    char32_t ch = 0;
    bool negated = false;
    std::vector<std::pair<char32_t, char32_t>> ranges;

    bool Matches(char32_t c) const
    {
        switch (kind)
        {
        case Kind::AnyOne:
            return true;
        case Kind::Char:
            return FoldAscii(ch) == FoldAscii(c);
        case Kind::Set: {
            bool inSet = false;
            for (const auto& [low, high] : ranges)
                inSet = inSet || (FoldAscii(c) >= FoldAscii(low) && FoldAscii(c) <= FoldAscii(high));
            return inSet != negated;
        }
        case Kind::AnyRun:
            break;
        }
        return false;
    }
};

// The elements of a pattern. A '[' without its ']' stands for itself.
std::vector<LikeElement> LikeElements(const std::vector<char32_t>& p)
{
    std::vector<LikeElement> elements;
    for (std::size_t i = 0; i < p.size(); ++i)
    {
        LikeElement element;
        if (p[i] == U'%')
            element.kind = LikeElement::Kind::AnyRun;
        else if (p[i] == U'_')
            element.kind = LikeElement::Kind::AnyOne;
        else if (p[i] == U'[')
        {
            std::size_t j = i + 1;
            LikeElement set;
            set.kind = LikeElement::Kind::Set;
            if (j < p.size() && p[j] == U'^')
            {
                set.negated = true;
                ++j;
            }
            // A ']' right after the opening (or its '^') is a member, not the end.
            bool first = true;
            for (; j < p.size() && (p[j] != U']' || first); ++j)
            {
                first = false;
                if (j + 2 < p.size() && p[j + 1] == U'-' && p[j + 2] != U']')
                {
                    set.ranges.emplace_back(p[j], p[j + 2]);
                    j += 2;
                }
                else
                    set.ranges.emplace_back(p[j], p[j]);
            }
            if (j < p.size())
            {
                elements.push_back(std::move(set));
                i = j;
                continue;
            }
            element.ch = p[i];
        }
        else
            element.ch = p[i];
        elements.push_back(std::move(element));
    }
    return elements;
}
}  // namespace

bool WqlEvaluator::Like(std::string_view text, std::string_view pattern)
{
    const std::vector<char32_t> t = CodePoints(text);
    const std::vector<LikeElement> p = LikeElements(CodePoints(pattern));
    // Greedy matching with one backtrack point: linear in practice, O(n*m) at worst.
    std::size_t ti = 0;
    std::size_t pi = 0;
    std::size_t starPattern = std::string_view::npos;
    std::size_t starText = 0;
    while (ti < t.size())
    {
        if (pi < p.size() && p[pi].kind == LikeElement::Kind::AnyRun)
        {
            starPattern = pi++;
            starText = ti;
        }
        else if (pi < p.size() && p[pi].Matches(t[ti]))
        {
            ++pi;
            ++ti;
        }
        else if (starPattern != std::string_view::npos)
        {
            pi = starPattern + 1;
            ti = ++starText;
        }
        else
            return false;
    }
    while (pi < p.size() && p[pi].kind == LikeElement::Kind::AnyRun)
        ++pi;
    return pi == p.size();
}

bool WqlEvaluator::LikeNeedsEvaluator(std::string_view pattern)
{
    return pattern.find('[') != std::string_view::npos;
}

int WqlEvaluator::CompareFoldingAsciiCase(std::string_view left, std::string_view right)
{
    const std::size_t common = std::min(left.size(), right.size());
    for (std::size_t i = 0; i < common; ++i)
    {
        const int a = FoldByte(left[i]);
        const int b = FoldByte(right[i]);
        if (a != b)
            return a < b ? -1 : 1;
        // The database's NOCASE collation stops at a NUL as a C string would; the lengths
        // decide from there.
        if (a == 0)
            break;
    }
    return CompareLengths(left.size(), right.size());
}

bool WqlEvaluator::ReadNumberText(std::string_view text, CDBValue& number)
{
    WqlNumber read;
    if (!WqlNumber::Read(text, read))
        return false;
    number = read.DatabaseValue();
    return true;
}

WqlTruth WqlEvaluator::Compare(const CDBValue& value, WqlOperator op, const CDBValue& literal, WqlTextOrder order)
{
    if (value.IsNull() || literal.IsNull())
        return WqlTruth::Unknown;
    if (op == WqlOpLike)
    {
        if (value.GetKind() != CDBValue::Kind::Text || literal.GetKind() != CDBValue::Kind::Text)
            return WqlTruth::Unknown;
        return FromBool(Like(value.GetUtf8(), literal.GetUtf8()));
    }
    if (IsNumber(value) && IsNumber(literal))
        return Ordered(CompareNumbers(value, literal), op);
    if (IsNumber(value) && literal.GetKind() == CDBValue::Kind::Text)
    {
        // A numeric column turns a text that reads as a number into that number; an integer
        // meets the decimal it writes exactly, never the double nearest to it.
        WqlNumber number;
        if (!WqlNumber::Read(literal.GetUtf8(), number))
            return WqlTruth::Unknown;
        if (value.GetKind() == CDBValue::Kind::Integer)
            return FromBool(number.CompareInteger(value.GetInteger(), op));
        return Ordered(CompareNumbers(value, number.DatabaseValue()), op);
    }
    if (value.GetKind() == CDBValue::Kind::Text && literal.GetKind() == CDBValue::Kind::Text)
    {
        const int textOrder = order == WqlTextOrder::FoldAsciiCase
                                  ? CompareFoldingAsciiCase(value.GetUtf8(), literal.GetUtf8())
                                  : CompareBytes(value.GetUtf8(), literal.GetUtf8());
        return Ordered(textOrder, op);
    }
    if (value.GetKind() == CDBValue::Kind::Blob && literal.GetKind() == CDBValue::Kind::Blob)
        return Ordered(CompareBytes(value.GetBytes(), literal.GetBytes()), op);
    return WqlTruth::Unknown;
}

WqlTruth WqlEvaluator::Evaluate(const WqlExpression& expression, const WqlPropertySource& source)
{
    switch (expression.GetKind())
    {
    case WqlExpression::Kind::Not:
        return Not(Evaluate(*expression.GetOperands().front(), source));
    case WqlExpression::Kind::And: {
        // Every operand is evaluated; the order never changes the answer.
        WqlTruth result = WqlTruth::True;
        for (const auto& operand : expression.GetOperands())
        {
            const WqlTruth truth = Evaluate(*operand, source);
            if (truth == WqlTruth::False)
                result = WqlTruth::False;
            else if (truth == WqlTruth::Unknown && result == WqlTruth::True)
                result = WqlTruth::Unknown;
        }
        return result;
    }
    case WqlExpression::Kind::Or: {
        WqlTruth result = WqlTruth::False;
        for (const auto& operand : expression.GetOperands())
        {
            const WqlTruth truth = Evaluate(*operand, source);
            if (truth == WqlTruth::True)
                result = WqlTruth::True;
            else if (truth == WqlTruth::Unknown && result == WqlTruth::False)
                result = WqlTruth::Unknown;
        }
        return result;
    }
    case WqlExpression::Kind::Comparison:
        break;
    }

    const WqlOperator op = expression.GetOperator();
    if (op == WqlOpIsa)
    {
        const std::optional<bool> isA = source.IsA(expression.GetProperty(), expression.GetLiteral().Text);
        return isA ? FromBool(*isA) : WqlTruth::Unknown;
    }
    CDBValue value;
    if (!source.GetValue(expression.GetProperty(), value))
        return WqlTruth::Unknown;
    if (op == WqlOpIsNull)
        return FromBool(value.IsNull());
    if (op == WqlOpIsNotNull)
        return FromBool(!value.IsNull());
    const WqlLiteral& literal = expression.GetLiteral();
    // Only a string literal compares without regard to case; a date-time text, and a number
    // compared as the text it is written as, compares exactly.
    const WqlTextOrder order =
        literal.LiteralKind == WqlLiteral::Kind::String ? WqlTextOrder::FoldAsciiCase : WqlTextOrder::Exact;
    // A real met by an integer is read from the text it is written as: its double may be
    // another integer (9.007199254740993e15 is 2^53 as a double).
    const bool exactReal = literal.LiteralKind == WqlLiteral::Kind::Real && value.GetKind() == CDBValue::Kind::Integer;
    return Compare(value, op, exactReal ? CDBValue(literal.Text) : LiteralValue(expression, source), order);
}

bool WqlEvaluator::Matches(const WqlExpression& expression, const WqlPropertySource& source)
{
    return Evaluate(expression, source) == WqlTruth::True;
}
