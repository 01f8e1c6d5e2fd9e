#include "Libraries/OstrumCore/Source/XML/XmlParser.h"

#include "Libraries/OstrumCore/Source/IO/StreamTokenizer.h"
#include "Libraries/OstrumCore/Source/Utils/LogLevel.h"
#include "Libraries/OstrumCore/Source/Utils/Logger.h"
#include "Libraries/OstrumCore/Source/XML/XmlAttributeList.h"
#include "Libraries/OstrumCore/Source/XML/XmlParserCallback.h"

#include <cctype>
#include <strings.h>

namespace ostrum::xml {

namespace {

constexpr const char* kUnexpectedEof = "Unexpected EOF";
constexpr const char* kInvalidHeader = "Invalid header";
constexpr const char* kInvalidNesting = "Invalid element nesting!";
constexpr const char* kMismatchedNesting = "Mismatched element nesting!";
constexpr const char* kTextBeforeElement = "Unexpected body text before any element";
constexpr const char* kTextReadError = "Read error during body text";
constexpr const char* kNoEquals = "Attribute without equals delimiter!";
constexpr const char* kNoName = "Attribute missing name!";
constexpr const char* kNoValue = "Attribute missing value!";
constexpr const char* kNoQuotes = "Attribute missing enclosing quote pair!";
constexpr const char* kNoSemicolon = "missing closing semicolon for attribute entity";
constexpr const char* kTooDeep = "Element nesting too deep!";

// Room for the longest special token ("-->") and the characters the body loop puts back.
constexpr int kPushbackSize = 16;

struct Entity
{
    const char* prefix;
    char replacement;
};

constexpr Entity kEntities[] = {
    {"&amp", '&'}, {"&lt", '<'}, {"&gt", '>'}, {"&apos", '\''}, {"&quot", '"'},
};

bool isSpace(int c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

XmlParser::XmlParser(XmlParserCallback* callback, void* userData, bool decodeEntities)
    : m_decodeEntities(decodeEntities), m_callback(callback), m_userData(userData)
{
}

void XmlParser::SetUserData(void* userData)
{
    m_userData = userData;
}

const std::vector<std::string>& XmlParser::GetErrors() const
{
    return m_errors;
}

bool XmlParser::Fail(const std::string& text)
{
    m_errors.push_back(text);
    OSTRUM_LOG(utils::logging::Logger::getLogger("XmlParser"), utils::logging::LogLevel::ERROR, text);
    return false;
}

bool XmlParser::Parse(io::InputStream& input, bool skipHeader)
{
    m_openElements.clear();
    io::StreamTokenizer tokens(&input, kPushbackSize);
    tokens.addStopStrings({"/>", "-->", "<", ">"});
    tokens.quoteMode = true;
    if (!skipHeader && !ParseHeader(tokens))
    {
        return false;
    }
    return ParseBody(tokens);
}

bool XmlParser::ParseHeader(io::StreamTokenizer& tokens)
{
    const char* open = tokens.nextToken();
    if (open == nullptr)
    {
        return Fail(kUnexpectedEof);
    }
    if (std::string(open) != "<")
    {
        return Fail(kInvalidHeader);
    }
    const char* name = tokens.nextToken();
    if (name == nullptr)
    {
        return Fail(kUnexpectedEof);
    }
    if (::strcasecmp(name, "?XMLversion") != 0 && ::strcasecmp(name, "?XML") != 0)
    {
        return Fail(kInvalidHeader);
    }
    return SkipConstruct(tokens);
}

bool XmlParser::SkipConstruct(io::StreamTokenizer& tokens)
{
    int nesting = 0;
    for (;;)
    {
        const char* token = tokens.nextToken();
        if (token == nullptr)
        {
            return Fail(kUnexpectedEof);
        }
        const std::string text(token);
        if (text == "<")
        {
            ++nesting;
        }
        else if (text == ">" || text == "/>")
        {
            if (nesting == 0)
            {
                return true;
            }
            --nesting;
        }
    }
}

bool XmlParser::SkipComment(io::StreamTokenizer& tokens)
{
    // A comment ends at "-->" only; a ">" inside it does not end it.
    int dashes = 0;
    for (;;)
    {
        const int c = tokens.read();
        if (c < 0)
        {
            return Fail(kUnexpectedEof);
        }
        if (c == '>' && dashes >= 2)
        {
            return true;
        }
        dashes = c == '-' ? dashes + 1 : 0;
    }
}

bool XmlParser::DecodeEntities(const std::string& value, std::string& decoded)
{
    decoded.clear();
    std::size_t position = 0;
    for (;;)
    {
        const std::size_t amp = value.find('&', position);
        if (amp == std::string::npos)
        {
            decoded.append(value, position, std::string::npos);
            return true;
        }
        decoded.append(value, position, amp - position);
        const std::size_t semicolon = value.find(';', amp);
        if (semicolon == std::string::npos)
        {
            return Fail(kNoSemicolon);
        }
        const std::string entity = value.substr(amp, semicolon - amp);
        bool known = false;
        for (const Entity& candidate : kEntities)
        {
            if (entity.rfind(candidate.prefix, 0) == 0)
            {
                decoded.push_back(candidate.replacement);
                known = true;
                break;
            }
        }
        if (!known)
        {
            decoded.append(entity);
        }
        position = semicolon + 1;
    }
}

bool XmlParser::ReadAttributes(io::StreamTokenizer& tokens, XmlAttributeList& attributes, bool& selfClosing)
{
    for (;;)
    {
        const char* raw = tokens.nextToken();
        if (raw == nullptr)
        {
            return Fail(kUnexpectedEof);
        }
        const std::string token(raw);
        if (token == "/>" || token == ">")
        {
            selfClosing = token == "/>";
            return true;
        }
        const std::size_t equals = token.find('=');
        if (equals == std::string::npos)
        {
            return Fail(kNoEquals);
        }
        if (equals == 0)
        {
            return Fail(kNoName);
        }
        if (token.size() - equals - 1 < 2)
        {
            return Fail(kNoValue);
        }
        if (token[equals + 1] != '"' || token.back() != '"')
        {
            return Fail(kNoQuotes);
        }
        const std::string name = token.substr(0, equals);
        const std::string value = token.substr(equals + 2, token.size() - equals - 3);
        if (m_decodeEntities)
        {
            std::string decoded;
            if (!DecodeEntities(value, decoded))
            {
                return false;
            }
            attributes.Add(name, decoded);
        }
        else
        {
            attributes.Add(name, value);
        }
    }
}

bool XmlParser::ParseBody(io::StreamTokenizer& tokens)
{
    for (;;)
    {
        int c;
        do
        {
            c = tokens.read();
        } while (c >= 0 && isSpace(c));
        if (c < 0)
        {
            return Fail(kUnexpectedEof);
        }
        if (c != '<')
        {
            tokens.unread(c);
            if (m_openElements.empty())
            {
                return Fail(kTextBeforeElement);
            }
            if (!m_callback->Text(m_openElements.back(), tokens, *this, m_userData))
            {
                return Fail(kTextReadError);
            }
            continue;
        }
        const int next = tokens.read();
        if (next < 0)
        {
            return Fail(kUnexpectedEof);
        }
        if (next == '!')
        {
            const int first = tokens.read();
            const int second = first < 0 ? -1 : tokens.read();
            if (first == '-' && second == '-')
            {
                if (!SkipComment(tokens))
                {
                    return false;
                }
                continue;
            }
            if (second >= 0)
            {
                tokens.unread(second);
            }
            if (first >= 0)
            {
                tokens.unread(first);
            }
            if (!SkipConstruct(tokens))
            {
                return false;
            }
            continue;
        }
        tokens.unread(next);
        tokens.unread(c);
        const char* open = tokens.nextToken();
        if (open == nullptr)
        {
            return Fail(kUnexpectedEof);
        }
        if (std::string(open) != "<")
        {
            return Fail(kInvalidHeader);
        }
        const char* rawName = tokens.nextToken();
        if (rawName == nullptr)
        {
            return Fail(kUnexpectedEof);
        }
        const std::string name(rawName);
        if (name.front() != '/')
        {
            XmlAttributeList attributes;
            bool selfClosing = false;
            if (!ReadAttributes(tokens, attributes, selfClosing))
            {
                return false;
            }
            if (!selfClosing && m_openElements.size() >= kMaxDepth)
            {
                return Fail(kTooDeep);
            }
            m_callback->StartElement(name, attributes, *this, m_userData);
            if (selfClosing)
            {
                m_callback->EndElement(name, *this, m_userData);
                if (m_openElements.empty())
                {
                    return true;
                }
                continue;
            }
            m_openElements.push_back(name);
            continue;
        }
        if (m_openElements.empty())
        {
            return Fail(kInvalidNesting);
        }
        const std::string open_name = m_openElements.back();
        m_openElements.pop_back();
        if (open_name != name.substr(1))
        {
            return Fail(kMismatchedNesting);
        }
        if (!SkipConstruct(tokens))
        {
            return false;
        }
        m_callback->EndElement(open_name, *this, m_userData);
        if (m_openElements.empty())
        {
            return true;
        }
    }
}

}  // namespace ostrum::xml
