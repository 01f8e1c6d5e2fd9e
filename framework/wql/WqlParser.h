// The WQL parser: reads a whole query (SELECT, ASSOCIATORS OF, REFERENCES OF) or a WHERE text
// into a WqlParsedQuery with a typed WqlExpression tree. Grammar, keywords without regard to
// case:
//   SELECT * | prop {, prop} FROM class [WITHIN number] [WHERE expr]
//   ASSOCIATORS OF {path} [WHERE {AssocClass|ResultClass|ResultRole|Role|RequiredQualifier|
//                                 RequiredAssocQualifier = name | ClassDefsOnly | SchemaOnly}]
//   REFERENCES OF {path} [WHERE {ResultClass|Role|RequiredQualifier = name | ClassDefsOnly |
//                                SchemaOnly}]
//   expr := term {OR term};  term := factor {AND factor};  factor := NOT factor | ( expr ) | cmp
//   cmp  := prop op literal | literal op prop | prop IS [NOT] NULL | prop ISA 'class'
//         | prop LIKE 'pattern';  op := = | <> | != | < | <= | > | >=
// "prop = NULL" reads as IS NULL and "prop <> NULL" as IS NOT NULL. Limits: WqlLimits.h.
//
// All state of one parse lives in a WqlParser object made by the static entry points; they
// are safe to call from several threads at once.
#pragma once

#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "framework/wql/WqlExpression.h"
#include "framework/wql/WqlLexer.h"
#include "platform/mfc/CString.h"

// The kinds of WQL query, numbered as WMI numbers them; None for a query built by hand.
enum class WqlQueryKind : int
{
    None = 0,
    Select = 1,
    Associators = 2,
    References = 3
};

struct WqlParsedQuery
{
    WqlQueryKind QueryKind = WqlQueryKind::None;
    // SELECT: the class after FROM. ASSOCIATORS/REFERENCES: empty (the path names the class).
    CString ClassName;
    bool SelectAll = false;
    // SELECT list in the order written (empty for *).
    std::vector<CString> SelectedProperties;
    // SELECT: the text from the WHERE keyword to the end (empty without WHERE).
    CString WhereText;
    // SELECT: the WHERE expression; null without WHERE.
    std::unique_ptr<WqlExpression> Where;
    // ASSOCIATORS/REFERENCES: the object path text between the braces.
    CString ObjectPath;
    // ASSOCIATORS/REFERENCES: WHERE keyword (as written) -> name; flags map to an empty text.
    std::map<CString, CString, CStringNoCaseLess> AssociationQualifiers;
};

class WqlParser
{
public:
    // Parses a whole query. True on success; false with a reason ("... at offset N") when the
    // text is malformed or beyond a limit.
    static bool ParseQuery(std::wstring_view text, WqlParsedQuery& query, CString& error);
    // Parses a WHERE text ("WHERE expr", keyword without regard to case). The tree on
    // success; null with a reason otherwise.
    static std::unique_ptr<WqlExpression> ParseWhereText(std::wstring_view text, CString& error);
    // True for a word that cannot name a class or a property (SELECT, WHERE, NULL, ...), without
    // regard to case.
    static bool IsReservedWord(std::wstring_view word);

private:
    explicit WqlParser(std::wstring_view text);

    bool ParseWholeQuery(WqlParsedQuery& query);
    bool ParseSelect(WqlParsedQuery& query);
    bool ParseAssociation(WqlParsedQuery& query, bool references);
    std::unique_ptr<WqlExpression> ParseWhereClauseBody();
    std::unique_ptr<WqlExpression> ParseOr(int depth);
    std::unique_ptr<WqlExpression> ParseAnd(int depth);
    std::unique_ptr<WqlExpression> ParseFactor(int depth);
    std::unique_ptr<WqlExpression> ParseComparison();
    bool ExpectEnd();
    bool ReadPropertyName(const WqlToken& token, CString& name);
    bool Fail(const WqlToken& token, const wchar_t* reason);
    bool Fail(std::size_t position, const wchar_t* reason);

    // Set at construction.
    std::wstring_view m_text;

    WqlLexer m_lexer;
    std::size_t m_comparisons = 0;
    CString m_error;
};
