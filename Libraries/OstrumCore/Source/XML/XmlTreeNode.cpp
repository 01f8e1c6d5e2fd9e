#include "Libraries/OstrumCore/Source/XML/XmlTreeNode.h"

#include "Libraries/OstrumCore/Source/IO/DataOutputStream.h"
#include "Libraries/OstrumCore/Source/IO/ByteOrder.h"
#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"
#include "Libraries/OstrumCore/Source/XML/XmlTree.h"

#include <cstdio>

namespace ostrum::xml {

using utils::StringUtils;

namespace {

constexpr const char* kDeclaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";

std::string indentText(int indent)
{
    return std::string(static_cast<std::size_t>(indent > 0 ? indent : 0) * 2, ' ');
}

// The segments of a path cut at every separator (empty segments kept).
std::vector<std::string> splitPath(const std::string& path, char separator)
{
    std::vector<std::string> segments;
    std::size_t start = 0;
    for (;;)
    {
        const std::size_t next = path.find(separator, start);
        if (next == std::string::npos)
        {
            segments.push_back(path.substr(start));
            return segments;
        }
        segments.push_back(path.substr(start, next - start));
        start = next + 1;
    }
}

}  // namespace

XmlTreeNode::XmlTreeNode() : m_tree(nullptr), m_parent(nullptr) {}

XmlTreeNode::XmlTreeNode(XmlTree* tree, XmlTreeNode* parent, const std::string& name,
                         const XmlAttributeList& attributes)
    : m_tree(tree), m_name(name), m_attributes(attributes), m_parent(parent)
{
}

const std::string& XmlTreeNode::GetName() const
{
    return m_name;
}

void XmlTreeNode::SetName(const std::string& name)
{
    m_name = name;
}

const std::string& XmlTreeNode::GetText() const
{
    return m_text;
}

void XmlTreeNode::SetText(const std::string& text)
{
    m_text = text;
}

const XmlAttributeList& XmlTreeNode::GetAttributes() const
{
    return m_attributes;
}

XmlAttributeList& XmlTreeNode::GetAttributes()
{
    return m_attributes;
}

void XmlTreeNode::SetAttributes(const XmlAttributeList& attributes)
{
    m_attributes = attributes;
}

XmlTreeNode* XmlTreeNode::GetParent() const
{
    return m_parent;
}

XmlTree* XmlTreeNode::GetTree() const
{
    return m_tree;
}

const std::vector<std::unique_ptr<XmlTreeNode>>& XmlTreeNode::GetChildren() const
{
    return m_children;
}

XmlTreeNode* XmlTreeNode::AddChild(const std::string& name, const XmlAttributeList& attributes)
{
    m_children.push_back(std::make_unique<XmlTreeNode>(m_tree, this, name, attributes));
    return m_children.back().get();
}

XmlTreeNode* XmlTreeNode::AddChild(std::unique_ptr<XmlTreeNode> node)
{
    if (!node)
    {
        return nullptr;
    }
    node->m_parent = this;
    node->SetTreeRecursive(m_tree);
    m_children.push_back(std::move(node));
    return m_children.back().get();
}

void XmlTreeNode::SetTreeRecursive(XmlTree* tree)
{
    m_tree = tree;
    for (const auto& child : m_children)
    {
        child->SetTreeRecursive(tree);
    }
}

XmlTreeNode* XmlTreeNode::FindChild(const std::string& name)
{
    return const_cast<XmlTreeNode*>(static_cast<const XmlTreeNode*>(this)->FindChild(name));
}

const XmlTreeNode* XmlTreeNode::FindChild(const std::string& name) const
{
    for (const auto& child : m_children)
    {
        if (child->m_name == name)
        {
            return child.get();
        }
    }
    return nullptr;
}

const XmlAttribute* XmlTreeNode::FindAttribute(const std::string& name) const
{
    return m_attributes.Find(name);
}

bool XmlTreeNode::MatchesElement(const std::string& elementName, const std::string& attributeName,
                                 const std::string& attributeValue) const
{
    if (m_name != elementName)
    {
        return false;
    }
    const XmlAttribute* attribute = m_attributes.Find(attributeName);
    return attribute != nullptr && attribute->second == attributeValue;
}

XmlTreeNode* XmlTreeNode::FindElement(const std::string& elementName, const std::string& attributeName,
                                      const std::string& attributeValue, bool recursive, bool skipSelf)
{
    if (!skipSelf && MatchesElement(elementName, attributeName, attributeValue))
    {
        return this;
    }
    for (const auto& child : m_children)
    {
        XmlTreeNode* hit =
            recursive ? child->FindElement(elementName, attributeName, attributeValue, true, false)
                      : (child->MatchesElement(elementName, attributeName, attributeValue) ? child.get() : nullptr);
        if (hit != nullptr)
        {
            return hit;
        }
    }
    return nullptr;
}

XmlTreeNode* XmlTreeNode::FindNode(const std::string& path, char separator)
{
    return const_cast<XmlTreeNode*>(static_cast<const XmlTreeNode*>(this)->FindNode(path, separator));
}

const XmlTreeNode* XmlTreeNode::FindNode(const std::string& path, char separator) const
{
    const XmlTreeNode* current = this;
    std::string rest = path;
    if (!rest.empty() && rest.front() == separator)
    {
        while (current->m_parent != nullptr)
        {
            current = current->m_parent;
        }
        rest.erase(0, 1);
    }
    const std::vector<std::string> segments = splitPath(rest, separator);
    if (segments.front() != current->m_name)
    {
        return nullptr;
    }
    for (std::size_t i = 1; i < segments.size(); ++i)
    {
        current = current->FindChild(segments[i]);
        if (current == nullptr)
        {
            return nullptr;
        }
    }
    return current;
}

std::string XmlTreeNode::GetPath() const
{
    const std::string withLeading = GetPath('/');
    return withLeading.substr(1);
}

std::string XmlTreeNode::GetPath(char separator) const
{
    std::string path;
    for (const XmlTreeNode* node = this; node != nullptr; node = node->m_parent)
    {
        path.insert(0, separator + node->m_name);
    }
    return path;
}

void XmlTreeNode::DeleteChildren()
{
    m_children.clear();
}

void XmlTreeNode::Clear()
{
    m_children.clear();
    m_attributes.Clear();
    m_text.clear();
    m_name.clear();
}

int XmlTreeNode::Write(io::DataOutputStream& out, int indent) const
{
    std::string tag = indentText(indent) + "<" + m_name;
    for (std::size_t i = 0; i < m_attributes.Size(); ++i)
    {
        const XmlAttribute& attribute = m_attributes.At(i);
        tag += " " + attribute.first + "=\"" + StringUtils::xmlEscape(attribute.second) + "\"";
    }
    if (m_attributes.Size() > 0)
    {
        tag += " ";
    }
    if (m_children.empty() && m_text.empty())
    {
        return out.writeLine(tag + "/>");
    }
    if (m_children.empty())
    {
        return out.writeLine(tag + ">" + StringUtils::xmlEscape(m_text) + "</" + m_name + ">");
    }
    int written = out.writeLine(tag + ">");
    if (!m_text.empty())
    {
        written += out.writeLine(StringUtils::xmlEscape(m_text));
    }
    for (const auto& child : m_children)
    {
        written += child->Write(out, indent + 1);
    }
    written += out.writeLine(indentText(indent) + "</" + m_name + ">");
    return written;
}

int XmlTreeNode::WriteDocument(io::OutputStream& stream, bool withHeader) const
{
    io::DataOutputStream out(&stream, io::kBigEndianByteOrder);
    if (withHeader)
    {
        out.writeLine(kDeclaration);
    }
    return Write(out, 0);
}

void XmlTreeNode::Dump(int depth) const
{
    std::printf("%s", indentText(depth).c_str());
    std::printf("El: '%s' %s", m_name.empty() ? "[NULL]" : m_name.c_str(), m_text.c_str());
    for (std::size_t i = 0; i < m_attributes.Size(); ++i)
    {
        const XmlAttribute& attribute = m_attributes.At(i);
        std::printf("'%s'='%s' ", attribute.first.c_str(), attribute.second.c_str());
    }
    std::printf("\n");
    for (const auto& child : m_children)
    {
        child->Dump(depth + 1);
    }
}

}  // namespace ostrum::xml
