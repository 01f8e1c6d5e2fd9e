// Runs the built provixa program on a fresh installation and reads what a person sees of a
// query: the instances as MOF text, and the same instances as JSON that parses and matches
// the database.
#include "tests/tools/provixa/ProvixaProgramTest.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {
using ProgramRun = provixa_program::Outcome;
using provixa_program::Quote;
using provixa_program::ReadAll;

// A JSON value read by JsonReader.
struct Json
{
    enum class Kind
    {
        Null,
        Boolean,
        Number,
        String,
        Array,
        Object,
    };
    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> members;
};

// A strict reader of RFC 8259 JSON: the whole text must be one value (white space around
// it allowed). Nesting is bounded, so a hostile text cannot exhaust the stack.
class JsonReader
{
public:
    static bool Parse(const std::string& text, Json& value, std::string& error)
    {
        JsonReader reader(text);
        if (!reader.Value(value, 0))
        {
            error = reader.m_error + " at offset " + std::to_string(reader.m_position);
            return false;
        }
        reader.SkipSpace();
        if (reader.m_position != text.size())
        {
            error = "text after the value at offset " + std::to_string(reader.m_position);
            return false;
        }
        return true;
    }

private:
    static constexpr int kMaxDepth = 64;

    explicit JsonReader(const std::string& text) : m_text(text) {}

    bool Fail(const char* reason)
    {
        m_error = reason;
        return false;
    }
    void SkipSpace()
    {
        while (m_position < m_text.size() && (m_text[m_position] == ' ' || m_text[m_position] == '\t' ||
                                              m_text[m_position] == '\n' || m_text[m_position] == '\r'))
            ++m_position;
    }
    bool Literal(const char* word)
    {
        const std::string expected(word);
        if (m_text.compare(m_position, expected.size(), expected) != 0)
            return Fail("unknown literal");
        m_position += expected.size();
        return true;
    }
    bool Value(Json& value, int depth)
    {
        if (depth > kMaxDepth)
            return Fail("nested too deeply");
        SkipSpace();
        if (m_position >= m_text.size())
            return Fail("value expected");
        const char c = m_text[m_position];
        if (c == '{')
            return Object(value, depth);
        if (c == '[')
            return Array(value, depth);
        if (c == '"')
        {
            value.kind = Json::Kind::String;
            return String(value.text);
        }
        if (c == 't' || c == 'f')
        {
            value.kind = Json::Kind::Boolean;
            value.boolean = c == 't';
            return Literal(c == 't' ? "true" : "false");
        }
        if (c == 'n')
            return Literal("null");
        return Number(value);
    }
    bool Number(Json& value)
    {
        const std::size_t start = m_position;
        auto digits = [this] {
            const std::size_t from = m_position;
            while (m_position < m_text.size() && m_text[m_position] >= '0' && m_text[m_position] <= '9')
                ++m_position;
            return m_position > from;
        };
        if (m_position < m_text.size() && m_text[m_position] == '-')
            ++m_position;
        if (m_position < m_text.size() && m_text[m_position] == '0')
            ++m_position;
        else if (!digits())
            return Fail("number expected");
        if (m_position < m_text.size() && m_text[m_position] == '.')
        {
            ++m_position;
            if (!digits())
                return Fail("digits expected after the point");
        }
        if (m_position < m_text.size() && (m_text[m_position] == 'e' || m_text[m_position] == 'E'))
        {
            ++m_position;
            if (m_position < m_text.size() && (m_text[m_position] == '+' || m_text[m_position] == '-'))
                ++m_position;
            if (!digits())
                return Fail("digits expected in the exponent");
        }
        value.kind = Json::Kind::Number;
        value.number = std::strtod(m_text.substr(start, m_position - start).c_str(), nullptr);
        return true;
    }
    bool Hex4(unsigned& code)
    {
        if (m_text.size() - m_position < 4)
            return Fail("short \\u escape");
        code = 0;
        for (int i = 0; i < 4; ++i)
        {
            const char h = m_text[m_position++];
            const int digit = h >= '0' && h <= '9'   ? h - '0'
                              : h >= 'a' && h <= 'f' ? h - 'a' + 10
                              : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                                     : -1;
            if (digit < 0)
                return Fail("bad \\u escape");
            code = code * 16 + static_cast<unsigned>(digit);
        }
        return true;
    }
    static void AppendUtf8(std::string& out, unsigned code)
    {
        if (code < 0x80)
            out += static_cast<char>(code);
        else if (code < 0x800)
        {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
        else if (code < 0x10000)
        {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
        else
        {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    bool String(std::string& out)
    {
        ++m_position;  // the opening quote
        out.clear();
        while (m_position < m_text.size())
        {
            const unsigned char c = static_cast<unsigned char>(m_text[m_position++]);
            if (c == '"')
                return true;
            if (c < 0x20)
                return Fail("control character in a string");
            if (c != '\\')
            {
                out += static_cast<char>(c);
                continue;
            }
            if (m_position >= m_text.size())
                break;
            const char e = m_text[m_position++];
            const std::string simple = "\"\\/bfnrt";
            const std::string meaning = "\"\\/\b\f\n\r\t";
            if (simple.find(e) != std::string::npos)
            {
                out += meaning[simple.find(e)];
                continue;
            }
            if (e != 'u')
                return Fail("bad escape");
            unsigned code = 0;
            if (!Hex4(code))
                return false;
            if (code >= 0xD800 && code < 0xDC00)
            {
                unsigned low = 0;
                if (m_text.compare(m_position, 2, "\\u") != 0)
                    return Fail("lone high surrogate");
                m_position += 2;
                if (!Hex4(low) || low < 0xDC00 || low > 0xDFFF)
                    return Fail("bad low surrogate");
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            }
            else if (code >= 0xDC00 && code <= 0xDFFF)
                return Fail("lone low surrogate");
            AppendUtf8(out, code);
        }
        return Fail("unterminated string");
    }
    bool Array(Json& value, int depth)
    {
        value.kind = Json::Kind::Array;
        ++m_position;
        SkipSpace();
        if (m_position < m_text.size() && m_text[m_position] == ']')
        {
            ++m_position;
            return true;
        }
        for (;;)
        {
            Json item;
            if (!Value(item, depth + 1))
                return false;
            value.items.push_back(std::move(item));
            SkipSpace();
            if (m_position < m_text.size() && m_text[m_position] == ',')
                ++m_position;
            else if (m_position < m_text.size() && m_text[m_position] == ']')
            {
                ++m_position;
                return true;
            }
            else
                return Fail("',' or ']' expected");
        }
    }
    bool Object(Json& value, int depth)
    {
        value.kind = Json::Kind::Object;
        ++m_position;
        SkipSpace();
        if (m_position < m_text.size() && m_text[m_position] == '}')
        {
            ++m_position;
            return true;
        }
        for (;;)
        {
            SkipSpace();
            std::string name;
            if (m_position >= m_text.size() || m_text[m_position] != '"')
                return Fail("member name expected");
            if (!String(name))
                return false;
            SkipSpace();
            if (m_position >= m_text.size() || m_text[m_position] != ':')
                return Fail("':' expected");
            ++m_position;
            Json member;
            if (!Value(member, depth + 1))
                return false;
            if (!value.members.emplace(name, std::move(member)).second)
                return Fail("member named twice");
            SkipSpace();
            if (m_position < m_text.size() && m_text[m_position] == ',')
                ++m_position;
            else if (m_position < m_text.size() && m_text[m_position] == '}')
            {
                ++m_position;
                return true;
            }
            else
                return Fail("',' or '}' expected");
        }
    }

    const std::string& m_text;
    std::size_t m_position = 0;
    std::string m_error;
};

std::size_t Occurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

class ProvixaQueryBinary : public provixa_program::ProvixaProgramTest
{
protected:
    // The world time zones of the installation's database: ID -> display name.
    std::map<long long, std::string> WorldTimezones() const
    {
        std::map<long long, std::string> zones;
        sqlite3* raw = nullptr;
        const int opened = sqlite3_open_v2((m_home / "provixa.db").c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
        const std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close);
        sqlite3_stmt* statement = nullptr;
        if (opened != SQLITE_OK || sqlite3_prepare_v2(db.get(), "SELECT WORLDTZID, DisplayName FROM WORLDTZ", -1,
                                                      &statement, nullptr) != SQLITE_OK)
        {
            ADD_FAILURE() << "cannot read the world time zones";
            return zones;
        }
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> owned(statement, sqlite3_finalize);
        while (sqlite3_step(statement) == SQLITE_ROW)
            zones[sqlite3_column_int64(statement, 0)] =
                reinterpret_cast<const char*>(sqlite3_column_text(statement, 1));
        return zones;
    }
};
}  // namespace

TEST_F(ProvixaQueryBinary, OperatorQueryOfWorldTimezonesPrintsEveryInstance)
{
    const ProgramRun init = Provixa({"init"});
    ASSERT_EQ(init.status, 0) << init.err;
    const std::map<long long, std::string> zones = WorldTimezones();
    ASSERT_EQ(zones.size(), 4u);

    const ProgramRun text = Provixa({"--as", "operator", "query", "SELECT * FROM Bnt_WorldTimezone"});
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_TRUE(text.err.empty()) << text.err;
    EXPECT_EQ(Occurrences(text.out, "instance of Bnt_WorldTimezone\n{\n"), zones.size()) << text.out;
    EXPECT_EQ(Occurrences(text.out, "\n};\n"), zones.size()) << text.out;
    for (const auto& [id, name] : zones)
    {
        EXPECT_EQ(Occurrences(text.out, "\tID = " + std::to_string(id) + ";\n"), 1u) << id;
        EXPECT_EQ(Occurrences(text.out, "\tDisplayName = \"" + name + "\";\n"), 1u) << name;
    }
    EXPECT_EQ(Occurrences(text.out, "\tWindows_TZID = \"Tokyo Standard Time\";\n"), 1u);
}

TEST_F(ProvixaQueryBinary, JsonOfTheQueryParsesAndHoldsEveryInstance)
{
    const ProgramRun init = Provixa({"init"});
    ASSERT_EQ(init.status, 0) << init.err;
    const std::map<long long, std::string> zones = WorldTimezones();

    const ProgramRun run = Provixa({"--as", "operator", "--json", "query", "SELECT * FROM Bnt_WorldTimezone"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.err.empty()) << run.err;
    Json document;
    std::string error;
    ASSERT_TRUE(JsonReader::Parse(run.out, document, error)) << error << "\n" << run.out;
    ASSERT_EQ(document.kind, Json::Kind::Array);
    ASSERT_EQ(document.items.size(), zones.size());
    std::map<long long, std::string> seen;
    for (const Json& instance : document.items)
    {
        ASSERT_EQ(instance.kind, Json::Kind::Object);
        const auto className = instance.members.find("class");
        const auto path = instance.members.find("path");
        const auto properties = instance.members.find("properties");
        ASSERT_NE(className, instance.members.end());
        ASSERT_NE(path, instance.members.end());
        ASSERT_NE(properties, instance.members.end());
        EXPECT_EQ(className->second.text, "Bnt_WorldTimezone");
        const Json& values = properties->second;
        ASSERT_EQ(values.kind, Json::Kind::Object);
        EXPECT_EQ(values.members.size(), 20u);
        const auto id = values.members.find("ID");
        const auto name = values.members.find("DisplayName");
        const auto daylight = values.members.find("IsDaylightSaving");
        ASSERT_NE(id, values.members.end());
        ASSERT_NE(name, values.members.end());
        ASSERT_NE(daylight, values.members.end());
        EXPECT_EQ(id->second.kind, Json::Kind::Number);
        EXPECT_EQ(name->second.kind, Json::Kind::String);
        EXPECT_EQ(daylight->second.kind, Json::Kind::Boolean);
        const long long key = static_cast<long long>(id->second.number);
        EXPECT_EQ(path->second.text.substr(path->second.text.find(':') + 1),
                  "Bnt_WorldTimezone.ID=" + std::to_string(key));
        seen[key] = name->second.text;
    }
    EXPECT_EQ(seen, zones);

    // A query that selects nothing is an empty array, and still succeeds.
    const ProgramRun none =
        Provixa({"--as", "operator", "--json", "query", "SELECT * FROM Bnt_WorldTimezone WHERE ID = 99"});
    EXPECT_EQ(none.status, 0) << none.err;
    Json empty;
    ASSERT_TRUE(JsonReader::Parse(none.out, empty, error)) << error;
    EXPECT_EQ(empty.kind, Json::Kind::Array);
    EXPECT_TRUE(empty.items.empty());
}

TEST_F(ProvixaQueryBinary, JsonReaderRefusesMalformedText)
{
    // The checks above are only as good as the reader; it must refuse what is not JSON.
    const struct
    {
        std::string text;
        bool valid;
    } cases[] = {
        {"[]", true},
        {" [1, -2.5e3, \"a\\u00e9\\ud83d\\ude00\", true, false, null, {\"k\": []}] ", true},
        {"[1,]", false},
        {"[1 2]", false},
        {"{\"a\":1,\"a\":2}", false},
        {"{\"a\" 1}", false},
        {"[\"unterminated]", false},
        {"[\"tab\there\"]", false},
        {"[\"\\ud83d\"]", false},
        {"[01]", false},
        {"[1.]", false},
        {"[] []", false},
        {"", false},
        {std::string(100, '['), false},
    };
    for (const auto& c : cases)
    {
        Json value;
        std::string error;
        EXPECT_EQ(JsonReader::Parse(c.text, value, error), c.valid) << c.text.substr(0, 40) << " " << error;
    }
}
