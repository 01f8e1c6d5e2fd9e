#include "platform/xml/XmlDocument.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include "platform/xml/XmlTree.h"

namespace {

// No DTD loading, no entity substitution, no network; errors are read from the context rather
// than printed.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOCDATA;

// libxml2 reports every error to a global handler as well; the context keeps it for us.
void IgnoreStructuredError(void*, xmlErrorPtr) {}

// Owns a parser context.
struct ParserContext
{
    ParserContext() : context(xmlNewParserCtxt()) {}
    ~ParserContext() { xmlFreeParserCtxt(context); }
    ParserContext(const ParserContext&) = delete;
    ParserContext& operator=(const ParserContext&) = delete;
    xmlParserCtxtPtr const context;
};

// The first shape limit the text exceeds (0 when none), found by one pass over its markup.
// Malformed markup is left for the parser to refuse; the pass only has to count every element
// and attribute of a well-formed text.
LONG ShapeExcess(std::wstring_view text)
{
    std::size_t nodes = 0;
    int depth = 0;
    // The position after the terminator of a section opened at `at`, or the end of the text.
    const auto skipPast = [&text](std::size_t at, std::wstring_view terminator) {
        const std::size_t end = text.find(terminator, at);
        return end == std::wstring_view::npos ? text.size() : end + terminator.size();
    };
    std::size_t at = text.find(L'<');
    while (at != std::wstring_view::npos)
    {
        const std::wstring_view rest = text.substr(at);
        if (rest.starts_with(L"<!--"))
        {
            at = skipPast(at + 4, L"-->");
            ++nodes;
        }
        else if (rest.starts_with(L"<![CDATA["))
        {
            at = skipPast(at + 9, L"]]>");
            ++nodes;
        }
        else if (rest.starts_with(L"<?"))
        {
            at = skipPast(at + 2, L"?>");
            ++nodes;
        }
        else if (rest.starts_with(L"</") || rest.starts_with(L"<!"))
        {
            depth -= rest[1] == L'/' ? 1 : 0;
            at = skipPast(at + 2, L">");
        }
        else
        {
            // A start tag: every "=" outside a quoted value introduces an attribute.
            std::size_t attributes = 0;
            wchar_t quote = 0;
            std::size_t end = at + 1;
            for (; end < text.size(); ++end)
            {
                const wchar_t c = text[end];
                if (quote != 0)
                    quote = c == quote ? 0 : quote;
                else if (c == L'"' || c == L'\'')
                    quote = c;
                else if (c == L'=')
                    ++attributes;
                else if (c == L'>')
                    break;
            }
            if (attributes > XmlDocument::kMaxAttributesPerElement)
                return XmlDocument::kErrorTooManyAttributes;
            nodes += 1 + attributes;
            const bool empty = end < text.size() && text[end - 1] == L'/';
            if (!empty && ++depth > XmlDocument::kMaxDepth)
                return XmlDocument::kErrorTooDeep;
            at = end < text.size() ? end + 1 : text.size();
        }
        if (nodes > XmlDocument::kMaxNodes)
            return XmlDocument::kErrorTooManyNodes;
        at = text.find(L'<', at);
    }
    return 0;
}

// The reason given for one of our own shape refusals.
const wchar_t* ShapeReason(LONG code)
{
    switch (code)
    {
    case XmlDocument::kErrorTooManyAttributes:
        return L"An XML element has too many attributes.";
    case XmlDocument::kErrorTooManyNodes:
        return L"The XML document has too many nodes.";
    default:
        return L"The XML elements are nested too deeply.";
    }
}

}  // namespace

XmlDocument::XmlDocument() = default;

XmlDocument::~XmlDocument() = default;

bool XmlDocument::SetProperty(std::wstring_view name, std::wstring_view value)
{
    return name == L"SelectionLanguage" && value == L"XPath";
}

void XmlDocument::Fail(LONG code, LONG line, LONG position, const CString& reason)
{
    m_tree.reset();
    m_parseError.errorCode = code;
    m_parseError.line = line;
    m_parseError.linePosition = position;
    m_parseError.reason = reason;
}

bool XmlDocument::LoadXML(std::wstring_view text)
{
    m_tree.reset();
    m_parseError = XmlParseError();
    if (text.size() > kMaxTextLength)
    {
        Fail(kErrorTooLong, 0, 0, L"The XML text is too long.");
        return false;
    }
    if (const LONG excess = ShapeExcess(text); excess != 0)
    {
        Fail(excess, 0, 0, ShapeReason(excess));
        return false;
    }
    const std::string utf8 = CStringToUtf8(CString(std::wstring(text).c_str()));
    ParserContext parser;
    if (parser.context == nullptr)
    {
        Fail(kErrorNoMemory, 0, 0, L"The XML parser could not be created.");
        return false;
    }
    xmlSetStructuredErrorFunc(nullptr, &IgnoreStructuredError);
    // The text is already decoded, so its own encoding declaration does not apply.
    xmlDocPtr parsed = xmlCtxtReadMemory(parser.context, utf8.data(), static_cast<int>(utf8.size()), "event.xml",
                                         "UTF-8", kParseOptions);
    if (parsed == nullptr)
    {
        const xmlError& error = parser.context->lastError;
        CString reason =
            error.message != nullptr ? Utf8ToCString(error.message) : CString(L"The XML text is malformed.");
        reason.Trim();
        Fail(error.code != 0 ? error.code : XML_ERR_DOCUMENT_EMPTY, error.line, error.int2, reason);
        return false;
    }
    auto tree = std::make_shared<const XmlNode::Tree>(parsed);
    if (parsed->intSubset != nullptr || parsed->extSubset != nullptr)
    {
        Fail(kErrorDtdRefused, 1, 1, L"A document type declaration is not allowed.");
        return false;
    }
    m_tree = std::move(tree);
    return true;
}

XmlNode XmlDocument::SelectSingleNode(std::wstring_view xpath) const
{
    if (m_tree == nullptr)
        return XmlNode();
    return XmlNode(m_tree, reinterpret_cast<xmlNodePtr>(m_tree->document)).SelectSingleNode(xpath);
}

XmlNode XmlDocument::GetDocumentElement() const
{
    if (m_tree == nullptr)
        return XmlNode();
    return XmlNode(m_tree, xmlDocGetRootElement(m_tree->document));
}
