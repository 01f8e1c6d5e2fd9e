#include "platform/xml/XmlDocument.h"

#include <algorithm>

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

// The deepest element nesting below node, or stops counting past limit.
int ElementDepth(xmlNodePtr node, int limit)
{
    int deepest = 0;
    for (xmlNodePtr child = node; child != nullptr; child = child->next)
    {
        if (child->type != XML_ELEMENT_NODE)
            continue;
        const int depth = limit > 0 ? 1 + ElementDepth(child->children, limit - 1) : 1;
        deepest = std::max(deepest, depth);
        if (deepest > limit)
            break;
    }
    return deepest;
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
    if (ElementDepth(xmlDocGetRootElement(parsed), kMaxDepth) > kMaxDepth)
    {
        Fail(kErrorTooDeep, 0, 0, L"The XML elements are nested too deeply.");
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
