// XmlNode: one element (or other node) of a parsed XmlDocument: its name, its text, its XML
// form, its child elements and attributes, and XPath selections below it.
//
// A node shares the ownership of its document, so it stays valid after the XmlDocument that
// handed it out is gone or loads another text. A default-constructed node is the null node
// (what a selection that finds nothing answers). Nodes of one document may be read from one
// thread at a time; libxml2 types never appear here.
#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/mfc/CString.h"

class XmlNode
{
public:
    // The parsed tree a node keeps alive (defined in the .cpp).
    struct Tree;

    // The null node.
    XmlNode() = default;
    XmlNode(std::shared_ptr<const Tree> tree, void* node);

    bool IsNull() const { return m_node == nullptr; }
    // The element name as written (no prefix handling); empty for the null node.
    CString GetName() const;
    // The concatenated text of the node and its descendants, as written; empty for the null node.
    CString GetText() const;
    // The node and its content as XML text (an element with its children); empty for the null node.
    CString GetXml() const;
    // The child elements in document order (text, comments and the like are left out).
    std::vector<XmlNode> GetChildElements() const;
    // The value of the attribute of that exact name; nothing when the node has none.
    std::optional<CString> GetAttribute(std::wstring_view name) const;
    // The first node in document order that the XPath 1.0 expression selects with this node as
    // the context node; the null node when nothing (or no node set) is selected or the
    // expression is malformed.
    XmlNode SelectSingleNode(std::wstring_view xpath) const;

private:
    std::shared_ptr<const Tree> m_tree;
    void* m_node = nullptr;
};
