// The XML tree: searches by name, attribute and path, and the indented writer.
#include "Libraries/OstrumCore/Source/IO/DataOutputStream.h"
#include "Libraries/OstrumCore/Source/XML/XmlTree.h"
#include "StreamTestSupport.h"

#include <gtest/gtest.h>

using ostrum::xml::XmlAttributeList;
using ostrum::xml::XmlTree;
using ostrum::xml::XmlTreeNode;

namespace {

XmlAttributeList One(const char* name, const char* value)
{
    XmlAttributeList list;
    list.Add(name, value);
    return list;
}

std::string Written(const XmlTreeNode& node, bool header = false)
{
    ostrum::io::MemoryOutputStream out;
    node.WriteDocument(out, header);
    return ostrum_test::TextOf(out);
}

TEST(XmlTreeWriter, EmptyElementsAndAttributes)
{
    XmlTree tree;
    tree.SetName("a");
    EXPECT_EQ(Written(tree), "<a/>\r\n");
    tree.SetAttributes(One("x", "1"));
    EXPECT_EQ(Written(tree), "<a x=\"1\" />\r\n");
    tree.SetText("t");
    EXPECT_EQ(Written(tree), "<a x=\"1\" >t</a>\r\n");
}

TEST(XmlTreeWriter, TextBeforeIndentedChildrenAndHeader)
{
    XmlTree tree;
    tree.SetName("r");
    tree.SetText("body");
    XmlTreeNode* child = tree.AddChild("c", XmlAttributeList());
    child->AddChild("g", One("k", "v"));
    EXPECT_EQ(Written(tree, true), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
                                   "<r>\r\nbody\r\n  <c>\r\n    <g k=\"v\" />\r\n  </c>\r\n</r>\r\n");
}

TEST(XmlTreeWriter, ValuesAndTextsAreEscaped)
{
    XmlTree tree;
    tree.SetName("a");
    tree.SetAttributes(One("q", "say \"<hi>\" & 'bye'"));
    EXPECT_EQ(Written(tree), "<a q=\"say &quot;&lt;hi&gt;&quot; &amp; &apos;bye&apos;\" />\r\n");
    tree.SetText("1 < 2");
    EXPECT_EQ(Written(tree), "<a q=\"say &quot;&lt;hi&gt;&quot; &amp; &apos;bye&apos;\" >1 &lt; 2</a>\r\n");
    tree.AddChild("b", XmlAttributeList());
    EXPECT_EQ(Written(tree),
              "<a q=\"say &quot;&lt;hi&gt;&quot; &amp; &apos;bye&apos;\" >\r\n1 &lt; 2\r\n  <b/>\r\n</a>\r\n");
}

TEST(XmlTreeWriter, ReportsTheBytesOfTheElement)
{
    XmlTree tree;
    tree.SetName("a");
    ostrum::io::MemoryOutputStream out;
    EXPECT_EQ(tree.WriteDocument(out, true), 6);
}

class XmlTreeSearch : public testing::Test
{
protected:
    void SetUp() override
    {
        tree.SetName("a");
        b = tree.AddChild("b", One("id", "1"));
        c = b->AddChild("c", One("id", "2"));
        tree.AddChild("b", One("id", "3"));
    }
    XmlTree tree;
    XmlTreeNode* b = nullptr;
    XmlTreeNode* c = nullptr;
};

TEST_F(XmlTreeSearch, PathsFromRootAndFromANode)
{
    EXPECT_EQ(c->FindNode("/a/b", '/'), b);
    EXPECT_EQ(b->FindNode("b/c", '/'), c);
    EXPECT_EQ(tree.FindNode("a", '/'), &tree);
    EXPECT_EQ(b->FindNode("x/c", '/'), nullptr);
    EXPECT_EQ(tree.FindNode("/a/B", '/'), nullptr);
    EXPECT_EQ(tree.FindNode("/a/b/missing", '/'), nullptr);
    EXPECT_EQ(c->GetPath(), "a/b/c");
    EXPECT_EQ(c->GetPath('.'), ".a.b.c");
    EXPECT_EQ(c->GetTree(), &tree);
}

TEST_F(XmlTreeSearch, ElementsByAttribute)
{
    EXPECT_EQ(tree.FindElement("c", "id", "2", true, false), c);
    EXPECT_EQ(tree.FindElement("c", "id", "2", false, false), nullptr);
    EXPECT_EQ(tree.FindElement("b", "id", "3", false, false), tree.GetChildren()[1].get());
    EXPECT_EQ(b->FindElement("b", "id", "1", false, false), b);
    EXPECT_EQ(b->FindElement("b", "id", "1", true, true), nullptr);
}

TEST_F(XmlTreeSearch, NamesCompareExactlyAttributesOptionallyWithoutCase)
{
    EXPECT_EQ(tree.FindChild("B"), nullptr);
    EXPECT_EQ(tree.FindChild("b"), b);
    XmlAttributeList list = One("Name", "v");
    list.Add("Name", "second");
    EXPECT_EQ(list.Find("name"), nullptr);
    ASSERT_NE(list.Find("name", false), nullptr);
    EXPECT_EQ(list.Find("name", false)->second, "v");
    EXPECT_TRUE(list.Contains("Name"));
    EXPECT_EQ(list.Size(), 2u);
}

TEST_F(XmlTreeSearch, AdoptedNodesJoinTheTreeAndClearEmptiesIt)
{
    auto loose = std::make_unique<XmlTreeNode>(nullptr, nullptr, "loose", XmlAttributeList());
    loose->AddChild("inner", XmlAttributeList());
    XmlTreeNode* adopted = c->AddChild(std::move(loose));
    EXPECT_EQ(adopted->GetParent(), c);
    EXPECT_EQ(adopted->GetChildren()[0]->GetTree(), &tree);
    EXPECT_EQ(tree.FindNode("/a/b/c/loose/inner", '/')->GetPath(), "a/b/c/loose/inner");
    tree.Clear();
    EXPECT_EQ(tree.GetName(), "");
    EXPECT_TRUE(tree.GetChildren().empty());
    EXPECT_EQ(tree.GetAttributes().Size(), 0u);
}

}  // namespace
