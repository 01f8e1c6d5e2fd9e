// A one-pass XML reader that reports elements to an XmlParserCallback.
//
// It checks element nesting and the form of attributes, decodes the five predefined entities
// in attribute values (when asked), passes over the XML declaration, comments and other "<!"
// constructs, and stops at the end of the root element. It loads no DTD and expands no other
// entity; nesting deeper than kMaxDepth is refused. Errors are kept as texts (and logged on
// the logger "XmlParser"). One parser serves one thread; it may parse several documents in
// turn, its error texts accumulating.
#pragma once

#include <string>
#include <vector>

namespace ostrum::io {
class InputStream;
class StreamTokenizer;
}  // namespace ostrum::io

namespace ostrum::xml {

class XmlAttributeList;
class XmlParserCallback;

class XmlParser
{
public:
    // The deepest element nesting a document may have.
    static constexpr std::size_t kMaxDepth = 256;

    // The callback is borrowed and must outlive the parser.
    XmlParser(XmlParserCallback* callback, void* userData, bool decodeEntities);
    XmlParser(const XmlParser&) = delete;
    XmlParser& operator=(const XmlParser&) = delete;
    virtual ~XmlParser() = default;

    // True when the root element was closed without error; false after the first error,
    // whose text is the last entry of GetErrors(). The input is read up to the end of the
    // root element and not closed.
    bool Parse(io::InputStream& input, bool skipHeader);

    void SetUserData(void* userData);
    // Every error text of this parser, oldest first.
    const std::vector<std::string>& GetErrors() const;

private:
    bool Fail(const std::string& text);
    bool ParseHeader(io::StreamTokenizer& tokens);
    bool SkipConstruct(io::StreamTokenizer& tokens);
    bool SkipComment(io::StreamTokenizer& tokens);
    bool ReadAttributes(io::StreamTokenizer& tokens, XmlAttributeList& attributes, bool& selfClosing);
    bool DecodeEntities(const std::string& value, std::string& decoded);
    bool ParseBody(io::StreamTokenizer& tokens);

    bool m_decodeEntities;
    XmlParserCallback* m_callback;
    void* m_userData;
    std::vector<std::string> m_errors;
    std::vector<std::string> m_openElements;
};

}  // namespace ostrum::xml
