// Object paths: parsing of good and malformed texts, the path and query texts written back,
// and hostile key values that must stay data when a path becomes WQL.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/CWmipObjectPath.h"
#include "framework/CWmipQuery.h"
#include "framework/wql/WqlLimits.h"

namespace {

struct GoodPath
{
    const wchar_t* Text;
    const wchar_t* ClassName;
    std::vector<std::pair<CString, CString>> Keys;
    bool Singleton;
    const wchar_t* Server;
    const wchar_t* Namespace;
};

std::vector<std::pair<CString, CString>> KeysOf(const CWmipObjectPath& path)
{
    std::vector<std::pair<CString, CString>> keys;
    for (int i = 0; i < path.GetKeyCount(); ++i)
        keys.emplace_back(path.GetKeyNames()[i], path.GetKeyValues()[i]);
    return keys;
}

}  // namespace

TEST(ObjectPath, ParsesClassInstanceSingletonAndPrefixedPaths)
{
    const std::vector<GoodPath> cases = {
        {L"Bnt_Badge", L"Bnt_Badge", {}, false, L"", L""},
        {L"Bnt_Badge.BADGEKEY=5", L"Bnt_Badge", {{L"BADGEKEY", L"5"}}, false, L"", L""},
        {L"Bnt_Badge.BADGEKEY=-12", L"Bnt_Badge", {{L"BADGEKEY", L"-12"}}, false, L"", L""},
        {L"Bnt_X.Rate=2.5", L"Bnt_X", {{L"Rate", L"2.5"}}, false, L"", L""},
        {L"Bnt_X.On=true", L"Bnt_X", {{L"On", L"TRUE"}}, false, L"", L""},
        {L"Bnt_X.On=FALSE", L"Bnt_X", {{L"On", L"FALSE"}}, false, L"", L""},
        {L"Bnt_Person.Name=\"O'Brien\"", L"Bnt_Person", {{L"Name", L"O'Brien"}}, false, L"", L""},
        {L"Bnt_P.Name=\"say \\\"hi\\\" \\\\ bye\"", L"Bnt_P", {{L"Name", L"say \"hi\" \\ bye"}}, false, L"", L""},
        {L"Bnt_P.A=\"\",B=7", L"Bnt_P", {{L"A", L""}, {L"B", L"7"}}, false, L"", L""},
        {L"Bnt_P.A=\"x,y=z\",B=\"}\"", L"Bnt_P", {{L"A", L"x,y=z"}, {L"B", L"}"}}, false, L"", L""},
        {L"Bnt_Settings=@", L"Bnt_Settings", {}, true, L"", L""},
        {L"\\\\.\\root\\brontel:Bnt_Badge.ID=1", L"Bnt_Badge", {{L"ID", L"1"}}, false, L".", L"root\\brontel"},
        {L"//host-1/root/brontel:Bnt_Badge", L"Bnt_Badge", {}, false, L"host-1", L"root\\brontel"},
        {L"root\\brontel:Bnt_Badge.ID=1", L"Bnt_Badge", {{L"ID", L"1"}}, false, L"", L"root\\brontel"},
        {L"Assoc.Ref=\"Bnt_Badge.ID=\\\"1\\\"\"", L"Assoc", {{L"Ref", L"Bnt_Badge.ID=\"1\""}}, false, L"", L""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(CStringToUtf8(c.Text));
        auto path = CWmipObjectPath::CreateFromPath(c.Text);
        ASSERT_NE(path, nullptr);
        EXPECT_EQ(path->GetClassName(), c.ClassName);
        EXPECT_EQ(KeysOf(*path), c.Keys);
        EXPECT_EQ(path->GetKeyCount(), static_cast<int>(c.Keys.size()));
        EXPECT_EQ(path->IsSingleton(), c.Singleton);
        EXPECT_EQ(path->GetServer(), c.Server);
        EXPECT_EQ(path->GetNamespace(), c.Namespace);
    }
}

TEST(ObjectPath, RejectsMalformedPaths)
{
    const std::vector<const wchar_t*> cases = {
        L"",
        L"Bnt_Badge.",                    // no key
        L"Bnt_Badge.ID",                  // missing '='
        L"Bnt_Badge.ID=",                 // missing value
        L"Bnt_Badge.=5",                  // empty key
        L"Bnt_Badge.ID=\"open",           // unterminated quote
        L"Bnt_Badge.ID=\"bad\\escape\"",  // unknown escape
        L"Bnt_Badge.ID=\"a\"x",           // trailing text after a value
        L"Bnt_Badge.ID=5,",               // dangling comma
        L"Bnt_Badge.ID=5 ",               // trailing blank
        L" Bnt_Badge",                    // leading blank
        L"Bnt_Badge.ID=5;DROP",           // junk in a number
        L"Bnt_Badge.ID=abc",              // unquoted text
        L"Bnt_Badge.ID=1,ID=2",           // repeated key
        L"Bnt_Badge.ID=1,id=2",           // repeated key, other case
        L"Bnt_Badge=@x",                  // junk after singleton
        L"Bnt_Badge=5",                   // unnamed key is not supported
        L"9Badge",                        // class must start with a letter
        L"Bnt Badge",
        L"\\\\server",            // server without namespace
        L"\\\\\\root:Bnt_Badge",  // empty server
        L"\\\\s\\root",           // namespace without ':'
        L":Bnt_Badge",
        L"Bnt_Badge.ID=1.",  // number without fraction digits
        L"Bnt_Badge.ID=--1",
    };
    for (const wchar_t* text : cases)
        EXPECT_EQ(CWmipObjectPath::CreateFromPath(text), nullptr) << CStringToUtf8(text);
    EXPECT_EQ(CWmipObjectPath::CreateFromPath(nullptr), nullptr);
}

TEST(ObjectPath, RejectsTextBeyondTheLengthAndKeyLimits)
{
    std::wstring longValue = L"Bnt_X.Name=\"" + std::wstring(WqlLimits::kMaxPathLength, L'a') + L"\"";
    EXPECT_EQ(CWmipObjectPath::CreateFromPath(longValue.c_str()), nullptr);

    std::wstring longName = std::wstring(WqlLimits::kMaxIdentifierLength + 1, L'C');
    EXPECT_EQ(CWmipObjectPath::CreateFromPath(longName.c_str()), nullptr);
    longName.pop_back();
    EXPECT_NE(CWmipObjectPath::CreateFromPath(longName.c_str()), nullptr);

    auto keys = [](std::size_t count) {
        std::wstring text = L"Bnt_X";
        for (std::size_t i = 0; i < count; ++i)
            text += (i == 0 ? L"." : L",") + std::wstring(L"K") + std::to_wstring(i) + L"=1";
        return text;
    };
    EXPECT_NE(CWmipObjectPath::CreateFromPath(keys(WqlLimits::kMaxPathKeys).c_str()), nullptr);
    EXPECT_EQ(CWmipObjectPath::CreateFromPath(keys(WqlLimits::kMaxPathKeys + 1).c_str()), nullptr);
}

TEST(ObjectPath, AddKeyKeepsInsertionOrderAndFormatsIntegers)
{
    CWmipObjectPath path(L"Bnt_Badge");
    EXPECT_TRUE(path.AddKey(L"BADGEKEY", 42));
    EXPECT_TRUE(path.AddKey(L"Name", L"Ann"));
    EXPECT_TRUE(path.AddKey(L"Low", static_cast<LONG>(-2147483647 - 1)));
    EXPECT_EQ(path.GetKeyNames(), (std::vector<CString>{L"BADGEKEY", L"Name", L"Low"}));
    EXPECT_EQ(path.GetKeyValues(), (std::vector<CString>{L"42", L"Ann", L"-2147483648"}));

    CString value;
    EXPECT_TRUE(path.GetKeyValue(L"badgekey", value));
    EXPECT_EQ(value, L"42");
    EXPECT_FALSE(path.GetKeyValue(L"Missing", value));
    EXPECT_EQ(value, L"42");
}

TEST(ObjectPath, AddKeyRefusesNamesThatAreNotIdentifiers)
{
    CWmipObjectPath path(L"Bnt_Badge");
    for (const wchar_t* name : {L"", L"ID = 1 OR X", L"A.B", L"1ID", L"I D"})
        EXPECT_FALSE(path.AddKey(name, L"v")) << CStringToUtf8(name);
    EXPECT_FALSE(path.AddKey(nullptr, L"v"));
    EXPECT_TRUE(path.AddKey(L"ID", L"v"));
    EXPECT_FALSE(path.AddKey(L"id", L"w"));  // repeated
    EXPECT_EQ(path.GetKeyCount(), 1);
}

TEST(ObjectPath, GetPathQuotesAndEscapesEveryValueAndRoundTrips)
{
    const std::vector<std::pair<const wchar_t*, const wchar_t*>> cases = {
        {L"Bnt_Badge", L"Bnt_Badge"},
        {L"Bnt_Settings=@", L"Bnt_Settings=@"},
        {L"Bnt_Badge.BADGEKEY=5", L"Bnt_Badge.BADGEKEY=\"5\""},
        {L"\\\\.\\root\\x:Bnt_P.A=\"q\\\"\",B=TRUE", L"Bnt_P.A=\"q\\\"\",B=\"TRUE\""},
        {L"Bnt_P.A=\"back\\\\slash\"", L"Bnt_P.A=\"back\\\\slash\""},
    };
    for (const auto& [text, expected] : cases)
    {
        auto path = CWmipObjectPath::CreateFromPath(text);
        ASSERT_NE(path, nullptr) << CStringToUtf8(text);
        CString written;
        path->GetPath(written);
        EXPECT_EQ(written, expected);
        // The written text reads back to the same class and keys.
        auto again = CWmipObjectPath::CreateFromPath(written);
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(again->GetClassName(), path->GetClassName());
        EXPECT_EQ(KeysOf(*again), KeysOf(*path));
        EXPECT_EQ(again->GetPath(), written);
    }
}

TEST(ObjectPath, PathQuerySelectsTheClassAndJoinsKeysWithAnd)
{
    auto classPath = CWmipObjectPath::CreateFromPath(L"Bnt_Badge");
    ASSERT_NE(classPath, nullptr);
    auto query = CWmipQuery::CreateFromObjectPath(*classPath);
    ASSERT_NE(query, nullptr);
    EXPECT_EQ(query->GetKind(), CWmipQuery::kSelect);
    EXPECT_EQ(query->GetClassName(), L"Bnt_Badge");
    EXPECT_TRUE(query->IsSelectAll());
    EXPECT_EQ(query->GetWhereText(), L"");

    CWmipObjectPath path(L"Bnt_Badge");
    path.AddKey(L"BADGEKEY", 5);
    path.AddKey(L"Name", L"Ann");
    query = CWmipQuery::CreateFromObjectPath(path);
    ASSERT_NE(query, nullptr);
    EXPECT_EQ(query->GetWhereText(), L"WHERE BADGEKEY = \"5\" AND Name = \"Ann\"");
    ASSERT_NE(query->GetWhereExpression(), nullptr);
    EXPECT_EQ(query->GetWhereExpression()->ToString(), L"(BADGEKEY = \"5\" AND Name = \"Ann\")");
}

TEST(ObjectPath, HostileKeyValuesStayOneLiteralInTheQuery)
{
    const std::vector<const wchar_t*> hostile = {
        L"x\" OR Name <> \"",
        L"1\" OR 1 = 1 OR \"",
        L"\\\" OR Name = \"a",
        L"\\",
        L"a\\\\\" OR \"",
        L"' OR ''='",
        L"); DROP TABLE BADGE; --",
        L"OR",
        L"\"\"\"",
    };
    for (const wchar_t* value : hostile)
    {
        SCOPED_TRACE(CStringToUtf8(value));
        CWmipObjectPath path(L"Bnt_Person");
        ASSERT_TRUE(path.AddKey(L"Name", value));
        auto query = CWmipQuery::CreateFromObjectPath(path);
        ASSERT_NE(query, nullptr);
        const WqlExpression* where = query->GetWhereExpression();
        ASSERT_NE(where, nullptr);
        ASSERT_EQ(where->GetKind(), WqlExpression::Kind::Comparison);
        EXPECT_EQ(where->GetProperty(), L"Name");
        EXPECT_EQ(where->GetOperator(), WqlOpEqual);
        EXPECT_EQ(where->GetLiteral().Text, value);

        // The same through the path text.
        auto reread = CWmipObjectPath::CreateFromPath(path.GetPath());
        ASSERT_NE(reread, nullptr);
        ASSERT_EQ(reread->GetKeyCount(), 1);
        EXPECT_EQ(reread->GetKeyValues()[0], value);
    }
}

TEST(ObjectPath, PathQueryBuildsWhatTheParserMakesOfTheSameText)
{
    struct Case
    {
        std::vector<std::pair<const wchar_t*, const wchar_t*>> keys;
    };
    const std::vector<Case> cases = {
        {{}},
        {{{L"ID", L"7"}}},
        {{{L"ID", L"x\" OR Name <> \""}, {L"Name", L"\\"}}},
        {{{L"A", L"1"}, {L"B", L"2"}, {L"C", L"3"}}},
        {{{L"Stamp", L"20240101120000.000000+000"}}},
        {{{L"Name", L"\u00e9t\u00e9 \u4e2d"}, {L"ID", L""}}},
    };
    for (const Case& c : cases)
    {
        CWmipObjectPath path(L"Bnt_Person");
        for (const auto& [name, value] : c.keys)
            ASSERT_TRUE(path.AddKey(name, value));
        SCOPED_TRACE(CStringToUtf8(path.GetPath()));
        const auto built = CWmipQuery::CreateFromObjectPath(path);
        ASSERT_NE(built, nullptr);
        const CString text = L"SELECT * FROM Bnt_Person " + built->GetWhereText();
        const auto parsed = CWmipQuery::CreateFromQuery(text.GetString());
        ASSERT_NE(parsed, nullptr);
        EXPECT_EQ(built->GetKind(), parsed->GetKind());
        EXPECT_EQ(built->GetClassName(), parsed->GetClassName());
        EXPECT_EQ(built->IsSelectAll(), parsed->IsSelectAll());
        EXPECT_EQ(built->GetWhereText(), parsed->GetWhereText());
        ASSERT_EQ(built->GetWhereExpression() == nullptr, parsed->GetWhereExpression() == nullptr);
        if (parsed->GetWhereExpression() != nullptr)
        {
            EXPECT_EQ(built->GetWhereExpression()->ToString(), parsed->GetWhereExpression()->ToString());
            EXPECT_EQ(built->GetWhereExpression()->GetOperands().size(),
                      parsed->GetWhereExpression()->GetOperands().size());
        }
    }
}

TEST(ObjectPath, PathQueryRefusesAReservedWordAsClassOrKeyName)
{
    for (const wchar_t* word : {L"Select", L"where", L"NULL", L"not", L"True"})
    {
        CWmipObjectPath asKey(L"Bnt_Person");
        ASSERT_TRUE(asKey.AddKey(word, L"1"));
        EXPECT_EQ(CWmipQuery::CreateFromObjectPath(asKey), nullptr) << CStringToUtf8(word);
        EXPECT_EQ(CWmipQuery::CreateFromObjectPath(CWmipObjectPath(word)), nullptr) << CStringToUtf8(word);
    }
}

TEST(ObjectPath, PathQueryRefusesAClassNameThatIsNotAnIdentifier)
{
    for (const wchar_t* name : {L"", L"Bnt_X WHERE A = 1", L"Bnt_X.Y", L"1X"})
    {
        CWmipObjectPath path(name);
        EXPECT_EQ(CWmipQuery::CreateFromObjectPath(path), nullptr) << CStringToUtf8(name);
    }
}
