// The XML document layer: selections by XPath, node text and XML, and the refusal of hostile
// texts (entities, DTDs, deep nesting, over-long input) as parse errors.
#include <gtest/gtest.h>

#include <string>

#include "platform/xml/XmlDocument.h"

namespace {

std::string Utf8(const CString& text)
{
    return CStringToUtf8(text);
}

TEST(XmlDocument, SelectsTheFirstNodeOfAnXPathUnionInEitherCase)
{
    struct Case
    {
        const wchar_t* text;
        const char* lastName;
    };
    const Case cases[] = {
        {L"<ROOT><NEWDATA><EMP><LASTNAME>Upper</LASTNAME></EMP></NEWDATA></ROOT>", "Upper"},
        {L"<root><NewData><EMP><LASTNAME>Lower</LASTNAME></EMP></NewData></root>", "Lower"},
        {L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><ROOT><NEWDATA><EMP><LASTNAME>M\u00fcller</LASTNAME></EMP>"
         L"</NEWDATA></ROOT>",
         "M\xc3\xbcller"},
        {L"<ROOT><OLDDATA/></ROOT>", ""},
    };
    for (const Case& c : cases)
    {
        XmlDocument document;
        EXPECT_TRUE(document.SetProperty(L"SelectionLanguage", L"XPath"));
        ASSERT_TRUE(document.LoadXML(c.text)) << Utf8(document.GetParseError().reason);
        EXPECT_EQ(document.GetParseError().errorCode, 0);
        const XmlNode name = document.SelectSingleNode(L"(/ROOT/NEWDATA|/root/NewData)/EMP/LASTNAME");
        EXPECT_EQ(Utf8(name.GetText()), c.lastName);
        EXPECT_EQ(name.IsNull(), std::string(c.lastName).empty());
    }
}

TEST(XmlDocument, NodesGiveTheirChildrenAttributesAndXml)
{
    XmlDocument document;
    ASSERT_TRUE(document.LoadXML(L"<ROOT><NEWDATA><EMP><ID N=\"1\"/> <LASTNAME> Adler </LASTNAME><!-- c --></EMP>"
                                 L"<UDFEMP><DEPT n=\"0\">R&amp;D</DEPT></UDFEMP></NEWDATA></ROOT>"));
    const XmlNode data = document.SelectSingleNode(L"/ROOT/NEWDATA");
    const auto tables = data.GetChildElements();
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_EQ(Utf8(tables[0].GetName()), "EMP");
    const auto columns = tables[0].GetChildElements();
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(Utf8(columns[0].GetAttribute(L"N").value_or(L"none")), "1");
    EXPECT_FALSE(columns[0].GetAttribute(L"n").has_value());
    EXPECT_EQ(Utf8(columns[1].GetText()), " Adler ");
    EXPECT_EQ(Utf8(tables[1].GetChildElements()[0].GetText()), "R&D");
    EXPECT_EQ(Utf8(tables[1].GetXml()), "<UDFEMP><DEPT n=\"0\">R&amp;D</DEPT></UDFEMP>");
    // A selection relative to a node, and selections that find nothing.
    EXPECT_EQ(Utf8(data.SelectSingleNode(L"EMP/LASTNAME").GetName()), "LASTNAME");
    EXPECT_TRUE(data.SelectSingleNode(L"count(EMP)").IsNull());
    EXPECT_TRUE(data.SelectSingleNode(L"((").IsNull());
    EXPECT_TRUE(XmlNode().SelectSingleNode(L"/ROOT").IsNull());
    EXPECT_TRUE(XmlNode().GetChildElements().empty());
}

TEST(XmlDocument, MalformedAndHostileTextsAreParseErrors)
{
    struct Case
    {
        const char* rule;
        std::wstring text;
        LONG expectedCode;  // 0: any parser code
    };
    std::wstring deep;
    for (int i = 0; i <= XmlDocument::kMaxDepth; ++i)
        deep += L"<a>";
    for (int i = 0; i <= XmlDocument::kMaxDepth; ++i)
        deep += L"</a>";
    const Case cases[] = {
        {"empty", L"", 0},
        {"unterminated", L"<ROOT><NEWDATA>", 0},
        {"two roots", L"<a/><b/>", 0},
        {"mismatched tag", L"<ROOT></root>", 0},
        {"undeclared entity", L"<ROOT>&ent;</ROOT>", 0},
        {"external entity",
         L"<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY xxe SYSTEM \"file:///etc/passwd\">]><ROOT>&xxe;</ROOT>", 0},
        {"external DTD", L"<!DOCTYPE ROOT SYSTEM \"http://127.0.0.1:1/x.dtd\"><ROOT/>", XmlDocument::kErrorDtdRefused},
        {"billion laughs",
         L"<!DOCTYPE lolz [<!ENTITY lol \"lol\"><!ENTITY lol2 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">"
         L"<!ENTITY lol3 \"&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;\">"
         L"<!ENTITY lol4 \"&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;\">]><ROOT>&lol4;</ROOT>",
         0},
        {"internal DTD only", L"<!DOCTYPE ROOT [<!ELEMENT ROOT ANY>]><ROOT/>", XmlDocument::kErrorDtdRefused},
        {"too deep", deep, XmlDocument::kErrorTooDeep},
        {"too long", std::wstring(XmlDocument::kMaxTextLength + 1, L' '), XmlDocument::kErrorTooLong},
    };
    for (const Case& c : cases)
    {
        XmlDocument document;
        EXPECT_FALSE(document.LoadXML(c.text)) << c.rule;
        const XmlParseError& error = document.GetParseError();
        EXPECT_NE(error.errorCode, 0) << c.rule;
        if (c.expectedCode != 0)
        {
            EXPECT_EQ(error.errorCode, c.expectedCode) << c.rule;
        }
        EXPECT_FALSE(error.reason.IsEmpty()) << c.rule;
        EXPECT_TRUE(document.SelectSingleNode(L"/ROOT").IsNull()) << c.rule;
        EXPECT_TRUE(document.GetDocumentElement().IsNull()) << c.rule;
        // Nothing of an entity ever reaches the text.
        EXPECT_TRUE(document.SelectSingleNode(L"//text()[contains(., 'root:') or contains(., 'lol')]").IsNull())
            << c.rule;
    }
}

// Elements with `count` attributes each, under one root; values hold "=" and ">" in quotes,
// which are no attributes.
std::wstring Attributed(std::size_t elements, std::size_t count)
{
    std::wstring element = L"<E";
    for (std::size_t i = 0; i < count; ++i)
        element += L" a" + std::to_wstring(i) + (i % 2 == 0 ? L"=\"x=>y\"" : L"='b=c'");
    element += L"/>";
    std::wstring text = L"<ROOT>";
    for (std::size_t i = 0; i < elements; ++i)
        text += element;
    return text + L"</ROOT>";
}

std::wstring Nested(int depth)
{
    std::wstring text;
    for (int i = 0; i < depth; ++i)
        text += L"<a><!-- <b> --><![CDATA[<c>]]>";
    for (int i = 0; i < depth; ++i)
        text += L"</a>";
    return text;
}

TEST(XmlDocument, ShapeLimitsRefuseADocumentBeforeItIsParsed)
{
    constexpr std::size_t kAttributes = XmlDocument::kMaxAttributesPerElement;
    // Root, elements and their attributes: just at and just past the node limit.
    constexpr std::size_t kFullElements = (XmlDocument::kMaxNodes - 1) / 11;
    struct Case
    {
        const char* rule;
        std::wstring text;
        LONG expectedCode;  // 0: accepted
    };
    const Case cases[] = {
        {"attributes at the limit", Attributed(1, kAttributes), 0},
        {"one attribute too many", Attributed(1, kAttributes + 1), XmlDocument::kErrorTooManyAttributes},
        {"ninety thousand attributes", Attributed(1, 90000), XmlDocument::kErrorTooManyAttributes},
        {"nodes at the limit", Attributed(kFullElements, 10), 0},
        {"nodes past the limit", Attributed(kFullElements + 1, 10), XmlDocument::kErrorTooManyNodes},
        {"depth at the limit", Nested(XmlDocument::kMaxDepth), 0},
        {"one level too deep", Nested(XmlDocument::kMaxDepth + 1), XmlDocument::kErrorTooDeep},
    };
    for (const Case& c : cases)
    {
        XmlDocument document;
        EXPECT_EQ(document.LoadXML(c.text), c.expectedCode == 0) << c.rule;
        EXPECT_EQ(document.GetParseError().errorCode, c.expectedCode) << c.rule;
        EXPECT_EQ(document.GetDocumentElement().IsNull(), c.expectedCode != 0) << c.rule;
    }
}

TEST(XmlDocument, AParseErrorGivesItsLineAndPosition)
{
    XmlDocument document;
    ASSERT_FALSE(document.LoadXML(L"<ROOT>\n  <NEWDATA>\n</ROOT>"));
    EXPECT_EQ(document.GetParseError().line, 3);
    EXPECT_GT(document.GetParseError().linePosition, 0);
    // A later good load clears the error.
    ASSERT_TRUE(document.LoadXML(L"<ROOT/>"));
    EXPECT_EQ(document.GetParseError().errorCode, 0);
    EXPECT_EQ(Utf8(document.GetDocumentElement().GetName()), "ROOT");
}

TEST(XmlDocument, NodesOutliveTheirDocument)
{
    XmlNode kept;
    {
        XmlDocument document;
        ASSERT_TRUE(document.LoadXML(L"<ROOT><A>kept</A></ROOT>"));
        kept = document.SelectSingleNode(L"/ROOT/A");
        ASSERT_TRUE(document.LoadXML(L"<OTHER/>"));
    }
    EXPECT_EQ(Utf8(kept.GetText()), "kept");
}

}  // namespace
