#include "platform/xml/XmlNode.h"

#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include "platform/xml/XmlTree.h"

namespace {

xmlNodePtr AsNode(void* node)
{
    return static_cast<xmlNodePtr>(node);
}

CString FromXmlText(const xmlChar* text)
{
    return text != nullptr ? Utf8ToCString(reinterpret_cast<const char*>(text)) : CString();
}

// Frees what libxml2 allocated for a caller.
struct XmlCharOwner
{
    explicit XmlCharOwner(xmlChar* owned) : text(owned) {}
    ~XmlCharOwner() { xmlFree(text); }
    XmlCharOwner(const XmlCharOwner&) = delete;
    XmlCharOwner& operator=(const XmlCharOwner&) = delete;
    xmlChar* const text;
};

}  // namespace

XmlNode::XmlNode(std::shared_ptr<const Tree> tree, void* node) : m_tree(std::move(tree)), m_node(node) {}

CString XmlNode::GetName() const
{
    if (m_node == nullptr || AsNode(m_node)->name == nullptr)
        return CString();
    return FromXmlText(AsNode(m_node)->name);
}

CString XmlNode::GetText() const
{
    if (m_node == nullptr)
        return CString();
    const XmlCharOwner content(xmlNodeGetContent(AsNode(m_node)));
    return FromXmlText(content.text);
}

CString XmlNode::GetXml() const
{
    if (m_node == nullptr)
        return CString();
    xmlBufferPtr buffer = xmlBufferCreate();
    if (buffer == nullptr)
        return CString();
    CString xml;
    if (xmlNodeDump(buffer, m_tree->document, AsNode(m_node), 0, 0) >= 0)
        xml = FromXmlText(xmlBufferContent(buffer));
    xmlBufferFree(buffer);
    return xml;
}

std::vector<XmlNode> XmlNode::GetChildElements() const
{
    std::vector<XmlNode> children;
    if (m_node == nullptr)
        return children;
    for (xmlNodePtr child = AsNode(m_node)->children; child != nullptr; child = child->next)
    {
        if (child->type == XML_ELEMENT_NODE)
            children.emplace_back(m_tree, child);
    }
    return children;
}

std::optional<CString> XmlNode::GetAttribute(std::wstring_view name) const
{
    if (m_node == nullptr || AsNode(m_node)->type != XML_ELEMENT_NODE)
        return std::nullopt;
    const std::string utf8 = CStringToUtf8(CString(std::wstring(name).c_str()));
    // No DTD is ever loaded, so no defaulted attribute can appear here.
    if (xmlHasProp(AsNode(m_node), reinterpret_cast<const xmlChar*>(utf8.c_str())) == nullptr)
        return std::nullopt;
    const XmlCharOwner value(xmlGetProp(AsNode(m_node), reinterpret_cast<const xmlChar*>(utf8.c_str())));
    return FromXmlText(value.text);
}

XmlNode XmlNode::SelectSingleNode(std::wstring_view xpath) const
{
    if (m_node == nullptr)
        return XmlNode();
    const std::string expression = CStringToUtf8(CString(std::wstring(xpath).c_str()));
    xmlXPathContextPtr context = xmlXPathNewContext(m_tree->document);
    if (context == nullptr)
        return XmlNode();
    context->node = AsNode(m_node);
    xmlXPathObjectPtr result = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(expression.c_str()), context);
    XmlNode found;
    if (result != nullptr && result->type == XPATH_NODESET && !xmlXPathNodeSetIsEmpty(result->nodesetval))
    {
        // Node sets come back in document order, so the first is the one to answer.
        found = XmlNode(m_tree, xmlXPathNodeSetItem(result->nodesetval, 0));
    }
    xmlXPathFreeObject(result);
    xmlXPathFreeContext(context);
    return found;
}
