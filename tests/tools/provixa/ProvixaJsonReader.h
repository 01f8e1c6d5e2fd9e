// A strict JSON reader for the tests of the provixa program's output: a value tree and
// RFC 8259 parsing of one whole text.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace provixa_program {
// A JSON value read by JsonReader.
struct Json
{
    enum class Kind
    {
        Null,
        Boolean,
        Number,
        String,
        Array,
        Object,
    };
    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> members;
};

// A strict reader of RFC 8259 JSON: the whole text must be one value (white space around
// it allowed). Nesting is bounded, so a hostile text cannot exhaust the stack.
class JsonReader
{
public:
    static bool Parse(const std::string& text, Json& value, std::string& error)
    {
        JsonReader reader(text);
        if (!reader.Value(value, 0))
        {
            error = reader.m_error + " at offset " + std::to_string(reader.m_position);
            return false;
        }
        reader.SkipSpace();
        if (reader.m_position != text.size())
        {
            error = "text after the value at offset " + std::to_string(reader.m_position);
            return false;
        }
        return true;
    }

private:
    static constexpr int kMaxDepth = 64;

    explicit JsonReader(const std::string& text) : m_text(text) {}

    bool Fail(const char* reason)
    {
        m_error = reason;
        return false;
    }
    void SkipSpace()
    {
        while (m_position < m_text.size() && (m_text[m_position] == ' ' || m_text[m_position] == '\t' ||
                                              m_text[m_position] == '\n' || m_text[m_position] == '\r'))
            ++m_position;
    }
    bool Literal(const char* word)
    {
        const std::string expected(word);
        if (m_text.compare(m_position, expected.size(), expected) != 0)
            return Fail("unknown literal");
        m_position += expected.size();
        return true;
    }
    bool Value(Json& value, int depth)
    {
        if (depth > kMaxDepth)
            return Fail("nested too deeply");
        SkipSpace();
        if (m_position >= m_text.size())
            return Fail("value expected");
        const char c = m_text[m_position];
        if (c == '{')
            return Object(value, depth);
        if (c == '[')
            return Array(value, depth);
        if (c == '"')
        {
            value.kind = Json::Kind::String;
            return String(value.text);
        }
        if (c == 't' || c == 'f')
        {
            value.kind = Json::Kind::Boolean;
            value.boolean = c == 't';
            return Literal(c == 't' ? "true" : "false");
        }
        if (c == 'n')
            return Literal("null");
        return Number(value);
    }
    bool Number(Json& value)
    {
        const std::size_t start = m_position;
        auto digits = [this] {
            const std::size_t from = m_position;
            while (m_position < m_text.size() && m_text[m_position] >= '0' && m_text[m_position] <= '9')
                ++m_position;
            return m_position > from;
        };
        if (m_position < m_text.size() && m_text[m_position] == '-')
            ++m_position;
        if (m_position < m_text.size() && m_text[m_position] == '0')
            ++m_position;
        else if (!digits())
            return Fail("number expected");
        if (m_position < m_text.size() && m_text[m_position] == '.')
        {
            ++m_position;
            if (!digits())
                return Fail("digits expected after the point");
        }
        if (m_position < m_text.size() && (m_text[m_position] == 'e' || m_text[m_position] == 'E'))
        {
            ++m_position;
            if (m_position < m_text.size() && (m_text[m_position] == '+' || m_text[m_position] == '-'))
                ++m_position;
            if (!digits())
                return Fail("digits expected in the exponent");
        }
        value.kind = Json::Kind::Number;
        value.number = std::strtod(m_text.substr(start, m_position - start).c_str(), nullptr);
        return true;
    }
    bool Hex4(unsigned& code)
    {
        if (m_text.size() - m_position < 4)
            return Fail("short \\u escape");
        code = 0;
        for (int i = 0; i < 4; ++i)
        {
            const char h = m_text[m_position++];
            const int digit = h >= '0' && h <= '9'   ? h - '0'
                              : h >= 'a' && h <= 'f' ? h - 'a' + 10
                              : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                                     : -1;
            if (digit < 0)
                return Fail("bad \\u escape");
            code = code * 16 + static_cast<unsigned>(digit);
        }
        return true;
    }
    static void AppendUtf8(std::string& out, unsigned code)
    {
        if (code < 0x80)
            out += static_cast<char>(code);
        else if (code < 0x800)
        {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
        else if (code < 0x10000)
        {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
        else
        {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    bool String(std::string& out)
    {
        ++m_position;  // the opening quote
        out.clear();
        while (m_position < m_text.size())
        {
            const unsigned char c = static_cast<unsigned char>(m_text[m_position++]);
            if (c == '"')
                return true;
            if (c < 0x20)
                return Fail("control character in a string");
            if (c != '\\')
            {
                out += static_cast<char>(c);
                continue;
            }
            if (m_position >= m_text.size())
                break;
            const char e = m_text[m_position++];
            const std::string simple = "\"\\/bfnrt";
            const std::string meaning = "\"\\/\b\f\n\r\t";
            if (simple.find(e) != std::string::npos)
            {
                out += meaning[simple.find(e)];
                continue;
            }
            if (e != 'u')
                return Fail("bad escape");
            unsigned code = 0;
            if (!Hex4(code))
                return false;
            if (code >= 0xD800 && code < 0xDC00)
            {
                unsigned low = 0;
                if (m_text.compare(m_position, 2, "\\u") != 0)
                    return Fail("lone high surrogate");
                m_position += 2;
                if (!Hex4(low) || low < 0xDC00 || low > 0xDFFF)
                    return Fail("bad low surrogate");
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            }
            else if (code >= 0xDC00 && code <= 0xDFFF)
                return Fail("lone low surrogate");
            AppendUtf8(out, code);
        }
        return Fail("unterminated string");
    }
    bool Array(Json& value, int depth)
    {
        value.kind = Json::Kind::Array;
        ++m_position;
        SkipSpace();
        if (m_position < m_text.size() && m_text[m_position] == ']')
        {
            ++m_position;
            return true;
        }
        for (;;)
        {
            Json item;
            if (!Value(item, depth + 1))
                return false;
            value.items.push_back(std::move(item));
            SkipSpace();
            if (m_position < m_text.size() && m_text[m_position] == ',')
                ++m_position;
            else if (m_position < m_text.size() && m_text[m_position] == ']')
            {
                ++m_position;
                return true;
            }
            else
                return Fail("',' or ']' expected");
        }
    }
    bool Object(Json& value, int depth)
    {
        value.kind = Json::Kind::Object;
        ++m_position;
        SkipSpace();
        if (m_position < m_text.size() && m_text[m_position] == '}')
        {
            ++m_position;
            return true;
        }
        for (;;)
        {
            SkipSpace();
            std::string name;
            if (m_position >= m_text.size() || m_text[m_position] != '"')
                return Fail("member name expected");
            if (!String(name))
                return false;
            SkipSpace();
            if (m_position >= m_text.size() || m_text[m_position] != ':')
                return Fail("':' expected");
            ++m_position;
            Json member;
            if (!Value(member, depth + 1))
                return false;
            if (!value.members.emplace(name, std::move(member)).second)
                return Fail("member named twice");
            SkipSpace();
            if (m_position < m_text.size() && m_text[m_position] == ',')
                ++m_position;
            else if (m_position < m_text.size() && m_text[m_position] == '}')
            {
                ++m_position;
                return true;
            }
            else
                return Fail("',' or '}' expected");
        }
    }

    const std::string& m_text;
    std::size_t m_position = 0;
    std::string m_error;
};
}  // namespace provixa_program
