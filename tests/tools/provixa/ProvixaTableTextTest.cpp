#include "tools/provixa/ProvixaTableText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every DEFAULT clause found, "COLUMN=EXPRESSION" joined by ';', or "error: " and the reason.
std::string Found(const std::string& text)
{
    std::vector<ProvixaTableText::Default> defaults;
    std::string error;
    if (!ProvixaTableText::Defaults(text, &defaults, &error))
        return "error: " + error;
    std::string found;
    for (const ProvixaTableText::Default& clause : defaults)
        found +=
            (found.empty() ? "" : ";") + clause.column + "=" + text.substr(clause.begin, clause.end - clause.begin);
    return found;
}

// Every CHECK constraint found, joined by ';', or "error: " and the reason.
std::string ChecksFound(const std::string& text)
{
    std::vector<ProvixaTableText::Check> checks;
    std::string error;
    if (!ProvixaTableText::Checks(text, &checks, &error))
        return "error: " + error;
    std::string found;
    for (const ProvixaTableText::Check& check : checks)
        found += (found.empty() ? "" : ";") + text.substr(check.begin, check.end - check.begin);
    return found;
}

}  // namespace

// A column's DEFAULT clauses are found however the value is written, and nothing else is taken
// for one: a foreign key's SET DEFAULT, a word inside a quote, a comment or a table constraint.
// A text that cannot be read whole is refused, saying why. The same for CHECK constraints.
TEST(ProvixaTableText, FindsEachColumnsDefaultsAndRefusesAnUnreadableText)
{
    const struct
    {
        const char* text;
        const char* found;
    } rows[] = {
        {"CREATE TABLE T (A INTEGER DEFAULT 0, B TEXT default 'x, DEFAULT 9', C DEFAULT ( 1 + (2) ), D DEFAULT -5, "
         "E INT DEFAULT 1 NOT NULL DEFAULT 2, F REAL DEFAULT 1e-5)",
         "A=0;B='x, DEFAULT 9';C=( 1 + (2) );D=-5;E=1;E=2;F=1e-5"},
        {"CREATE TABLE \"T\" (\"A \"\"b\" DEFAULT 1, [C] DEFAULT '2', `D` DEFAULT x'00', G DEFAULT + 4)",
         "A \"b=1;C='2';D=x'00';G=+ 4"},
        {"CREATE TABLE T (A /* DEFAULT 9 */ DEFAULT -- DEFAULT 8\n 4,\n B INTEGER)", "A=4"},
        {"CREATE TABLE main.T (A REFERENCES P(ID) ON DELETE SET DEFAULT DEFAULT 7, B CHECK (B IN (1, 2)) DEFAULT 1, "
         "CONSTRAINT K CHECK (A > 0), UNIQUE (A, B), C DEFAULT 3) WITHOUT ROWID",
         "A=7;B=1;C=3"},
        {"CREATE TABLE T (A INTEGER, B TEXT NOT NULL)", ""},
        {"CREATE TABLE T (A DEFAULT 'open)", "error: a quote is left open"},
        {"CREATE TABLE T (\"A DEFAULT 1)", "error: a quote is left open"},
        {"CREATE TABLE T (A DEFAULT (1)", "error: a parenthesis is left open"},
        {"CREATE TABLE T (A DEFAULT 1 /* open", "error: a comment is left open"},
        {"CREATE TABLE T (A DEFAULT, B)", "error: a DEFAULT clause has no value"},
        {"CREATE TABLE T (A DEFAULT -)", "error: a DEFAULT clause has no value"},
        {"CREATE VIRTUAL TABLE T USING fts5(A)", "error: it is no CREATE TABLE with a list of columns"},
        {"CREATE TABLE T AS SELECT 1", "error: it is no CREATE TABLE with a list of columns"},
        {"", "error: it is no CREATE TABLE with a list of columns"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Found(row.text), row.found) << row.text;
    // Each CHECK, a column's or the table's, with its name where it has one; none inside a quote,
    // a comment or another clause's parentheses.
    const struct
    {
        const char* text;
        const char* found;
    } checks[] = {
        {"CREATE TABLE main.T (A REFERENCES P(ID) ON DELETE SET DEFAULT DEFAULT 7, B CHECK (B IN (1, 2)) DEFAULT 1, "
         "CONSTRAINT K CHECK (A > 0), UNIQUE (A, B), C DEFAULT 3) WITHOUT ROWID",
         "CHECK (B IN (1, 2));CONSTRAINT K CHECK (A > 0)"},
        {"CREATE TABLE T (A TEXT DEFAULT 'CHECK (1)' CONSTRAINT \"L\" check(A <> ')'), \"CHECK\" INTEGER /* CHECK (2) "
         "*/, D AS (A || 'CHECK (3)'), CHECK (\"CHECK\" > 0))",
         "CONSTRAINT \"L\" check(A <> ')');CHECK (\"CHECK\" > 0)"},
        {"CREATE TABLE T (A INTEGER, B TEXT NOT NULL)", ""},
        {"CREATE TABLE T (A CHECK (A > 0)", "error: a parenthesis is left open"},
    };
    for (const auto& row : checks)
        EXPECT_EQ(ChecksFound(row.text), row.found) << row.text;
    // A name in any quote or after its table's counts; a text literal or a longer name does not.
    EXPECT_TRUE(ProvixaTableText::Names("CHECK (T.[max_access_levels] > 0)", "MAX_ACCESS_LEVELS"));
    EXPECT_TRUE(ProvixaTableText::Names("CHECK (\"MAX_ACCESS_LEVELS\" > 0)", "MAX_ACCESS_LEVELS"));
    EXPECT_FALSE(ProvixaTableText::Names("CHECK ('MAX_ACCESS_LEVELS' <> MAX_ACCESS_LEVELS_X)", "MAX_ACCESS_LEVELS"));
    EXPECT_TRUE(ProvixaTableText::SameName("max_Access_LEVELS", "MAX_ACCESS_LEVELS"));
    EXPECT_FALSE(ProvixaTableText::SameName("MAX_ACCESS_LEVEL", "MAX_ACCESS_LEVELS"));
}
