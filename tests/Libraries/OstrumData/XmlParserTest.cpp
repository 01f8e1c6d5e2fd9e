// The XML parser, the tree reader and the typed attribute reads.
#include "Libraries/OstrumCore/Source/XML/XmlAttributeAccess.h"
#include "Libraries/OstrumCore/Source/XML/XmlParser.h"
#include "Libraries/OstrumCore/Source/XML/XmlTree.h"
#include "Libraries/OstrumCore/Source/XML/XmlTreeReader.h"
#include "StreamTestSupport.h"

#include <gtest/gtest.h>

#include <string>

using ostrum::xml::XmlAttributeList;
using ostrum::xml::XmlTree;
using ostrum::xml::XmlTreeReader;

namespace {

struct XmlParseCase
{
    const char* name;
    std::string document;
    bool skipHeader;
    bool ok;
    const char* error;  // the last error text when the parse fails
};

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";

class XmlParseTable : public testing::TestWithParam<XmlParseCase>
{
};

TEST_P(XmlParseTable, ResultAndErrorText)
{
    const XmlParseCase& c = GetParam();
    ostrum_test::BytesInput input(c.document);
    XmlTree tree;
    XmlTreeReader reader;
    EXPECT_EQ(reader.Read(&tree, input.Stream(), true, c.skipHeader), c.ok);
    if (c.ok)
    {
        EXPECT_TRUE(reader.GetParser().GetErrors().empty());
    }
    else
    {
        ASSERT_FALSE(reader.GetParser().GetErrors().empty());
        EXPECT_EQ(reader.GetParser().GetErrors().back(), c.error);
    }
}

std::string Nested(int depth)
{
    std::string open;
    std::string close;
    for (int i = 0; i < depth; ++i)
    {
        open += "<e>";
        close += "</e>";
    }
    return open + close;
}

INSTANTIATE_TEST_SUITE_P(
    Documents, XmlParseTable,
    testing::Values(
        XmlParseCase{"DeclarationAndSelfClosingRoot", kDecl + "<root/>", false, true, ""},
        XmlParseCase{"NoDeclaration", "<root/>", false, false, "Invalid header"},
        XmlParseCase{"NoDeclarationSkipped", "<root/>", true, true, ""},
        XmlParseCase{"EmptyInput", "", false, false, "Unexpected EOF"},
        XmlParseCase{"WrongDeclarationName", "<?xsl x=\"1\"?><a/>", false, false, "Invalid header"},
        XmlParseCase{"MismatchedEndTag", kDecl + "<a></b>", false, false, "Mismatched element nesting!"},
        XmlParseCase{"EndTagFirst", kDecl + "</a>", false, false, "Invalid element nesting!"},
        XmlParseCase{"UnquotedValue", kDecl + "<a x=10/>", false, false, "Attribute missing enclosing quote pair!"},
        XmlParseCase{"EmptyQuotedValue", kDecl + "<a x=\"\"/>", false, true, ""},
        XmlParseCase{"NameAndEqualsOnly", kDecl + "<a x= />", false, false, "Attribute missing value!"},
        XmlParseCase{"NoEquals", kDecl + "<a x/>", false, false, "Attribute without equals delimiter!"},
        XmlParseCase{"NoName", kDecl + "<a =\"1\"/>", false, false, "Attribute missing name!"},
        XmlParseCase{"EntityWithoutSemicolon", kDecl + "<a x=\"&amp\"/>", false, false,
                     "missing closing semicolon for attribute entity"},
        XmlParseCase{"TextBeforeRoot", kDecl + "hello<a/>", false, false, "Unexpected body text before any element"},
        XmlParseCase{"EndsInsideRoot", kDecl + "<a><b/>", false, false, "Unexpected EOF"},
        XmlParseCase{"TextRunsToEnd", kDecl + "<a>text", false, false, "Read error during body text"},
        XmlParseCase{"CommentHoldingGreaterThan", kDecl + "<a><!-- x > y --><b/></a>", false, true, ""},
        XmlParseCase{"CommentHoldingTags", kDecl + "<!-- <a> </b> --><a/>", false, true, ""},
        XmlParseCase{"UnterminatedComment", kDecl + "<a><!-- never ends > </a>", false, false, "Unexpected EOF"},
        XmlParseCase{"DoctypeIsPassedOver", kDecl + "<!DOCTYPE a [<!ENTITY x \"y\">]><a/>", false, true, ""},
        XmlParseCase{"NestingAtTheLimit", kDecl + Nested(256), false, true, ""},
        XmlParseCase{"NestingBeyondTheLimit", kDecl + Nested(257), false, false, "Element nesting too deep!"}),
    [](const testing::TestParamInfo<XmlParseCase>& info) { return std::string(info.param.name); });

TEST(XmlParser, DeclarationWithSkipHeaderIsReadAsElement)
{
    ostrum_test::BytesInput input(kDecl + "<a/>");
    XmlTree tree;
    XmlTreeReader reader;
    EXPECT_FALSE(reader.Read(&tree, input.Stream(), true, true));
    EXPECT_EQ(reader.GetParser().GetErrors().back(), "Attribute missing enclosing quote pair!");
}

TEST(XmlParser, DecodesPredefinedEntitiesAndKeepsUnknownOnes)
{
    XmlTree tree;
    ASSERT_TRUE(ostrum::xml::ParseXmlText(kDecl + "<a v=\"&lt;b&gt; &amp; &foo;\" q=\"&quot;&apos;\"/>", &tree, false));
    EXPECT_EQ(tree.FindAttribute("v")->second, "<b> & &foo");
    EXPECT_EQ(tree.FindAttribute("q")->second, "\"'");
}

TEST(XmlParser, QuotedValuesKeepBlanksAndEquals)
{
    XmlTree tree;
    ASSERT_TRUE(ostrum::xml::ParseXmlText("<a v=\"x = y z\"/>", &tree, true));
    EXPECT_EQ(tree.FindAttribute("v")->second, "x = y z");
}

TEST(XmlParser, NothingAfterTheRootIsRead)
{
    ostrum_test::BytesInput input("<a/>rest");
    XmlTree tree;
    XmlTreeReader reader;
    ASSERT_TRUE(reader.Read(&tree, input.Stream(), true, true));
    EXPECT_EQ(input.Stream().read(), 'r');
}

TEST(XmlTreeReader, BuildsTreeWithAttributesChildrenAndText)
{
    XmlTree tree;
    ASSERT_TRUE(ostrum::xml::ParseXmlText("<root a=\"1\"><child/>text</root>", &tree, true));
    EXPECT_EQ(tree.GetName(), "root");
    EXPECT_EQ(tree.FindAttribute("a")->second, "1");
    ASSERT_EQ(tree.GetChildren().size(), 1u);
    EXPECT_EQ(tree.GetChildren()[0]->GetName(), "child");
    EXPECT_EQ(tree.GetChildren()[0]->GetParent(), &tree);
    EXPECT_EQ(tree.GetText(), "text");
}

TEST(XmlTreeReader, ReadsASettingsDocumentWithCommentsAndNesting)
{
    const std::string document =
        kDecl + "\r\n<!-- logging settings -->\r\n<configuration>\r\n"
                "  <appender name=\"file\" type=\"ostrum.FileLogAppender\" file=\"app.log\" append=\"true\"/>\r\n"
                "  <!-- the root logs errors -->\r\n"
                "  <logger name=\"a.b\" level=\"debug\">\r\n    <appender-ref name=\"file\" />\r\n  </logger>\r\n"
                "</configuration>\r\n";
    XmlTree tree;
    ASSERT_TRUE(ostrum::xml::ParseXmlText(document, &tree, false));
    EXPECT_EQ(tree.GetName(), "configuration");
    ASSERT_EQ(tree.GetChildren().size(), 2u);
    EXPECT_EQ(tree.FindChild("appender")->FindAttribute("append")->second, "true");
    const auto* ref = tree.FindNode("/configuration/logger/appender-ref", '/');
    ASSERT_NE(ref, nullptr);
    EXPECT_EQ(ref->FindAttribute("name")->second, "file");
    EXPECT_EQ(tree.FindElement("logger", "level", "debug", true, false)->GetPath(), "configuration/logger");
}

TEST(XmlTreeReader, KeepsOnlyTheLastTextRunAndTrailingBlanks)
{
    XmlTree tree;
    ASSERT_TRUE(ostrum::xml::ParseXmlText("<r>  first <c/> last  </r>", &tree, true));
    EXPECT_EQ(tree.GetText(), "last  ");
}

TEST(XmlTreeReader, WithoutKeepTextDropsText)
{
    ostrum_test::BytesInput input("<r>body<c/></r>");
    XmlTree tree;
    XmlTreeReader reader;
    ASSERT_TRUE(reader.Read(&tree, input.Stream(), false, true));
    EXPECT_EQ(tree.GetText(), "");
    EXPECT_EQ(tree.GetChildren().size(), 1u);
}

TEST(XmlTreeReader, AppendsAfterExistingChildren)
{
    XmlTree tree;
    tree.AddChild("old", XmlAttributeList());
    ASSERT_TRUE(ostrum::xml::ParseXmlText("<r><new/></r>", &tree, true));
    ASSERT_EQ(tree.GetChildren().size(), 2u);
    EXPECT_EQ(tree.GetChildren()[0]->GetName(), "old");
    EXPECT_EQ(tree.GetChildren()[1]->GetName(), "new");
}

TEST(XmlTreeReader, FailedParseKeepsTheBuiltPart)
{
    XmlTree tree;
    EXPECT_FALSE(ostrum::xml::ParseXmlText("<r><a/><b></c></r>", &tree, true));
    EXPECT_NE(tree.FindChild("a"), nullptr);
    EXPECT_NE(tree.FindChild("b"), nullptr);
}

XmlAttributeList Attributes(std::initializer_list<std::pair<const char*, const char*>> pairs)
{
    XmlAttributeList list;
    for (const auto& [name, value] : pairs)
    {
        list.Add(name, value);
    }
    return list;
}

TEST(XmlAttributeAccess, NumbersReadFromTheStartWithinRange)
{
    const XmlAttributeList list = Attributes(
        {{"mixed", "12abc"}, {"word", "abc"}, {"big", "70000"}, {"neg", "-5"}, {"f", "2.5x"}, {"huge", "99999999999"}});
    int32_t i = 0;
    EXPECT_TRUE(ostrum::xml::GetAttribute(list, "mixed", i));
    EXPECT_EQ(i, 12);
    EXPECT_FALSE(ostrum::xml::GetAttribute(list, "word", i));
    EXPECT_FALSE(ostrum::xml::GetAttribute(list, "missing", i));
    EXPECT_FALSE(ostrum::xml::GetAttribute(list, "huge", i));
    int16_t s = 0;
    EXPECT_FALSE(ostrum::xml::GetAttribute(list, "big", s));
    uint32_t u = 0;
    EXPECT_FALSE(ostrum::xml::GetAttribute(list, "neg", u));
    float f = 0;
    EXPECT_TRUE(ostrum::xml::GetAttribute(list, "f", f));
    EXPECT_FLOAT_EQ(f, 2.5f);
}

TEST(XmlAttributeAccess, BooleansAndStrings)
{
    const XmlAttributeList list = Attributes({{"a", "yes"}, {"b", "true"}, {"c", "T"}, {"d", "false"}, {"e", ""}});
    bool value = false;
    EXPECT_FALSE(ostrum::xml::GetAttribute(list, "a", value));
    EXPECT_TRUE(ostrum::xml::GetAttribute(list, "b", value));
    EXPECT_TRUE(value);
    EXPECT_TRUE(ostrum::xml::GetAttribute(list, "c", value));
    EXPECT_TRUE(value);
    EXPECT_TRUE(ostrum::xml::GetAttribute(list, "d", value));
    EXPECT_FALSE(value);
    EXPECT_FALSE(ostrum::xml::GetAttribute(list, "e", value));
    std::string text = "x";
    EXPECT_TRUE(ostrum::xml::GetAttribute(list, "e", text, false));
    EXPECT_FALSE(ostrum::xml::GetAttribute(list, "e", text, true));
}

TEST(XmlAttributeAccess, EnumsFlagsAndFormatting)
{
    const char* const names[] = {"off", "on", nullptr};
    const XmlAttributeList list = Attributes({{"mode", "on"}, {"bad", "maybe"}});
    int index = -1;
    std::string raw;
    EXPECT_TRUE(ostrum::xml::GetEnumAttribute(list, "mode", names, index, &raw));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(ostrum::xml::GetEnumAttribute(list, "bad", names, index, &raw));
    EXPECT_EQ(raw, "maybe");
    EXPECT_EQ(index, 1);

    unsigned flags = 0;
    std::string error;
    EXPECT_TRUE(ostrum::xml::GetFlagsAttribute(list, "mode", names, flags, true, 4, &error));
    EXPECT_EQ(flags, 1u << 4);
    const XmlAttributeList modeMaybe = Attributes({{"mode", "maybe"}});
    EXPECT_FALSE(ostrum::xml::GetFlagsAttribute(modeMaybe, "mode", names, flags, false, 0, &error));
    EXPECT_EQ(error, "invalid \"mode\" attribute value \"maybe\"");
    EXPECT_TRUE(ostrum::xml::GetFlagsAttribute(list, "absent", names, flags, false, 0, &error));
    EXPECT_FALSE(ostrum::xml::GetFlagsAttribute(list, "absent", names, flags, true, 0, &error));
    EXPECT_EQ(error, "missing required attribute \"absent\"");

    EXPECT_EQ(ostrum::xml::FormatEnumAttribute("mode", names, 0, false), "");
    EXPECT_EQ(ostrum::xml::FormatEnumAttribute("mode", names, 0, true), " mode=\"off\"");
    EXPECT_EQ(ostrum::xml::FormatEnumAttribute("mode", names, 1, false), " mode=\"on\"");
}

}  // namespace
