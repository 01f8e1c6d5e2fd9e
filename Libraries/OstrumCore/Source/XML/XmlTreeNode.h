// One element of an in-memory XML tree: a name, ordered attributes, child elements and one
// text. No namespaces, comments, processing instructions or mixed content.
//
// A node owns its children (deleting a node deletes its subtree); each child knows its parent
// and the tree it belongs to. Pointers returned by the searches stay valid while the found
// node is in the tree. Not thread-safe: one thread builds and reads a tree at a time.
#pragma once

#include "Libraries/OstrumCore/Source/XML/XmlAttributeList.h"

#include <memory>
#include <string>
#include <vector>

namespace ostrum::io {
class DataOutputStream;
class OutputStream;
}  // namespace ostrum::io

namespace ostrum::xml {

class XmlTree;

class XmlTreeNode
{
public:
    XmlTreeNode(XmlTree* tree, XmlTreeNode* parent, const std::string& name, const XmlAttributeList& attributes);
    XmlTreeNode(const XmlTreeNode&) = delete;
    XmlTreeNode& operator=(const XmlTreeNode&) = delete;
    virtual ~XmlTreeNode() = default;

    const std::string& GetName() const;
    void SetName(const std::string& name);
    const std::string& GetText() const;
    void SetText(const std::string& text);
    const XmlAttributeList& GetAttributes() const;
    XmlAttributeList& GetAttributes();
    // Replaces the attributes with a copy of the list.
    void SetAttributes(const XmlAttributeList& attributes);
    XmlTreeNode* GetParent() const;
    XmlTree* GetTree() const;
    const std::vector<std::unique_ptr<XmlTreeNode>>& GetChildren() const;

    // Appends a new child with copies of the name and attributes; returns it.
    XmlTreeNode* AddChild(const std::string& name, const XmlAttributeList& attributes);
    // Adopts a node (its subtree now belongs to this node's tree); returns it.
    XmlTreeNode* AddChild(std::unique_ptr<XmlTreeNode> node);

    // The first direct child of exactly that name, or null.
    XmlTreeNode* FindChild(const std::string& name);
    const XmlTreeNode* FindChild(const std::string& name) const;
    // The first attribute of exactly that name, or null.
    const XmlAttribute* FindAttribute(const std::string& name) const;
    // The first element (this node unless skipSelf, then its children, depth first in
    // document order with recursive, else only the direct children) named elementName whose
    // first attribute named attributeName has exactly the value attributeValue; null if none.
    XmlTreeNode* FindElement(const std::string& elementName, const std::string& attributeName,
                             const std::string& attributeValue, bool recursive, bool skipSelf);
    // Follows a path of names cut at separator. A leading separator starts at the tree's
    // root; the first segment must name the starting node; null when a step is missing.
    XmlTreeNode* FindNode(const std::string& path, char separator);
    const XmlTreeNode* FindNode(const std::string& path, char separator) const;
    // The names from the root down to this node joined by "/" (no leading "/").
    std::string GetPath() const;
    // The names from the root down, each preceded by the separator.
    std::string GetPath(char separator) const;

    void DeleteChildren();
    // Deletes the children and attributes and empties the text and the name.
    void Clear();

    // Writes this element as indented text (two spaces per level, CR LF line ends, attribute
    // values and texts escaped with StringUtils::xmlEscape, names as they are); returns the
    // bytes written.
    int Write(io::DataOutputStream& out, int indent) const;
    // An optional XML declaration line, then the element at indent 0; returns the bytes
    // written for the element.
    int WriteDocument(io::OutputStream& stream, bool withHeader) const;
    // Prints the subtree to standard output (for debugging).
    void Dump(int depth = 0) const;

protected:
    // For XmlTree, which makes itself the owning tree once it is constructed.
    XmlTreeNode();
    void SetTreeRecursive(XmlTree* tree);

private:
    bool MatchesElement(const std::string& elementName, const std::string& attributeName,
                        const std::string& attributeValue) const;

    XmlTree* m_tree;
    std::string m_name;
    XmlAttributeList m_attributes;
    XmlTreeNode* m_parent;
    std::vector<std::unique_ptr<XmlTreeNode>> m_children;
    std::string m_text;
};

}  // namespace ostrum::xml
