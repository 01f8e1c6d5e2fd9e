#include "tools/provixa/ProvixaTableText.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace {

enum class Kind
{
    Word,        // a keyword, plain name or number
    Literal,     // a quoted string or blob literal
    Quoted,      // a name in "...", `...` or [...]
    Punctuation  // any other single character
};

struct Token
{
    Kind kind;
    std::size_t begin;
    std::size_t end;
};

bool WordCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}

// The end of the text quoted from `at` (the opening quote) to `close`, a doubled `close` standing
// for itself (never in [...]); npos when it is left open.
std::size_t QuoteEnd(std::string_view text, std::size_t at, char close)
{
    for (std::size_t i = at + 1; i < text.size(); ++i)
    {
        if (text[i] != close)
            continue;
        if (close != ']' && i + 1 < text.size() && text[i + 1] == close)
        {
            ++i;
            continue;
        }
        return i + 1;
    }
    return std::string_view::npos;
}

// The tokens of the text, white space and comments left out. False with *error when a quote or
// comment is left open.
bool Tokens(std::string_view text, std::vector<Token>* tokens, std::string* error)
{
    std::size_t at = 0;
    while (at < text.size())
    {
        const char c = text[at];
        const char next = at + 1 < text.size() ? text[at + 1] : '\0';
        std::size_t end = at + 1;
        Kind kind = Kind::Punctuation;
        if (std::isspace(static_cast<unsigned char>(c)) != 0)
        {
            ++at;
            continue;
        }
        if (c == '-' && next == '-')
        {
            const std::size_t line = text.find('\n', at);
            at = line == std::string_view::npos ? text.size() : line + 1;
            continue;
        }
        if (c == '/' && next == '*')
        {
            const std::size_t close = text.find("*/", at + 2);
            if (close == std::string_view::npos)
            {
                *error = "a comment is left open";
                return false;
            }
            at = close + 2;
            continue;
        }
        if (c == '\'' || ((c == 'x' || c == 'X') && next == '\''))
        {
            kind = Kind::Literal;
            end = QuoteEnd(text, c == '\'' ? at : at + 1, '\'');
        }
        else if (c == '"' || c == '`' || c == '[')
        {
            kind = Kind::Quoted;
            end = QuoteEnd(text, at, c == '[' ? ']' : c);
        }
        else if (WordCharacter(c) || (c == '.' && std::isdigit(static_cast<unsigned char>(next)) != 0))
        {
            kind = Kind::Word;
            // A number's exponent sign belongs to it (1e-5).
            while (end < text.size() &&
                   (WordCharacter(text[end]) || text[end] == '.' ||
                    ((text[end] == '+' || text[end] == '-') && std::isdigit(static_cast<unsigned char>(c)) != 0 &&
                     (text[end - 1] == 'e' || text[end - 1] == 'E'))))
                ++end;
        }
        if (end == std::string_view::npos)
        {
            *error = "a quote is left open";
            return false;
        }
        tokens->push_back(Token{kind, at, end});
        at = end;
    }
    return true;
}

bool IsWord(std::string_view text, const Token& token, std::string_view word)
{
    return token.kind == Kind::Word &&
           ProvixaTableText::SameName(text.substr(token.begin, token.end - token.begin), word);
}

// The name a token spells: a quoted name without its quotes (a doubled quote standing for one).
std::string NameOf(std::string_view text, const Token& token)
{
    const std::string_view spelled = text.substr(token.begin, token.end - token.begin);
    if (token.kind != Kind::Quoted)
        return std::string(spelled);
    const char close = spelled.front() == '[' ? ']' : spelled.front();
    std::string name;
    for (std::size_t i = 1; i + 1 < spelled.size(); ++i)
    {
        name += spelled[i];
        if (spelled[i] == close && close != ']')
            ++i;
    }
    return name;
}

// The index one past the token that closes the parenthesis opened at `open`; npos when it is
// never closed.
std::size_t AfterClose(const std::vector<Token>& tokens, std::string_view text, std::size_t open)
{
    int depth = 0;
    for (std::size_t i = open; i < tokens.size(); ++i)
    {
        if (tokens[i].kind != Kind::Punctuation)
            continue;
        depth += text[tokens[i].begin] == '(' ? 1 : text[tokens[i].begin] == ')' ? -1 : 0;
        if (depth == 0)
            return i + 1;
    }
    return std::string_view::npos;
}

// The words a table constraint starts with; any other definition is a column's.
constexpr const char* kTableConstraints[] = {"CONSTRAINT", "PRIMARY", "UNIQUE", "CHECK", "FOREIGN"};

bool IsPunctuation(std::string_view text, const Token& token, char c)
{
    return token.kind == Kind::Punctuation && text[token.begin] == c;
}

// The tokens of a CREATE TABLE text and each definition of its list (a column's or a table
// constraint's) as the range of tokens from its first to the ',' or ')' after it. False with
// *error when the text is no CREATE TABLE with a list of columns or leaves something open.
bool Definitions(std::string_view text, std::vector<Token>* tokens,
                 std::vector<std::pair<std::size_t, std::size_t>>* definitions, std::string* error)
{
    if (!Tokens(text, tokens, error))
        return false;
    // CREATE TABLE name ( or CREATE TABLE schema.name (: nothing else is a table with columns.
    std::size_t open = 3;
    if (tokens->size() > 5 && IsPunctuation(text, (*tokens)[3], '.'))
        open = 5;
    if (tokens->size() <= open || !IsWord(text, (*tokens)[0], "CREATE") || !IsWord(text, (*tokens)[1], "TABLE") ||
        !IsPunctuation(text, (*tokens)[open], '('))
    {
        *error = "it is no CREATE TABLE with a list of columns";
        return false;
    }
    const std::size_t close = AfterClose(*tokens, text, open);
    if (close == std::string_view::npos)
    {
        *error = "a parenthesis is left open";
        return false;
    }
    // Each definition runs from after '(' or a ',' at the list's own depth to the next.
    std::size_t first = open + 1;
    while (first < close - 1)
    {
        std::size_t last = first;
        while (last < close - 1 && !IsPunctuation(text, (*tokens)[last], ','))
            last = IsPunctuation(text, (*tokens)[last], '(') ? AfterClose(*tokens, text, last) : last + 1;
        definitions->emplace_back(first, last);
        first = last + 1;
    }
    return true;
}

// Definitions, then visit(tokens, first, last) for each definition in order; false with *error
// where Definitions fails or a visit answers false (having set it).
template <typename Visit>
bool ForEachDefinition(std::string_view text, std::string* error, Visit visit)
{
    std::vector<Token> tokens;
    std::vector<std::pair<std::size_t, std::size_t>> definitions;
    if (!Definitions(text, &tokens, &definitions, error))
        return false;
    for (const auto& [first, last] : definitions)
        if (!visit(tokens, first, last))
            return false;
    return true;
}

}  // namespace

bool ProvixaTableText::SameName(std::string_view name, std::string_view column)
{
    return std::equal(name.begin(), name.end(), column.begin(), column.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

bool ProvixaTableText::Defaults(std::string_view text, std::vector<Default>* defaults, std::string* error)
{
    defaults->clear();
    return ForEachDefinition(text, error, [&](const std::vector<Token>& tokens, std::size_t first, std::size_t last) {
        const bool constraint = std::any_of(std::begin(kTableConstraints), std::end(kTableConstraints),
                                            [&](const char* word) { return IsWord(text, tokens[first], word); });
        for (std::size_t i = first + 1; !constraint && i < last; ++i)
        {
            if (IsPunctuation(text, tokens[i], '('))
            {
                i = AfterClose(tokens, text, i) - 1;
                continue;
            }
            // ON DELETE SET DEFAULT is a foreign key's action, no default.
            if (!IsWord(text, tokens[i], "DEFAULT") || IsWord(text, tokens[i - 1], "SET"))
                continue;
            // The expression: a parenthesised one, a signed number, or one literal or word.
            std::size_t after = i + 1;
            if (after < last && IsPunctuation(text, tokens[after], '('))
                after = AfterClose(tokens, text, after);
            else if (after < last &&
                     (IsPunctuation(text, tokens[after], '+') || IsPunctuation(text, tokens[after], '-')))
                after += 2;
            else
                after += 1;
            if (after > last)
            {
                *error = "a DEFAULT clause has no value";
                return false;
            }
            defaults->push_back(Default{NameOf(text, tokens[first]), tokens[i + 1].begin, tokens[after - 1].end});
            i = after - 1;
        }
        return true;
    });
}

bool ProvixaTableText::Checks(std::string_view text, std::vector<Check>* checks, std::string* error)
{
    checks->clear();
    return ForEachDefinition(text, error, [&](const std::vector<Token>& tokens, std::size_t first, std::size_t last) {
        for (std::size_t i = first; i < last; ++i)
        {
            if (IsPunctuation(text, tokens[i], '('))
            {
                i = AfterClose(tokens, text, i) - 1;
                continue;
            }
            if (!IsWord(text, tokens[i], "CHECK") || i + 1 >= last || !IsPunctuation(text, tokens[i + 1], '('))
                continue;
            const std::size_t after = AfterClose(tokens, text, i + 1);
            const bool named = i >= first + 2 && IsWord(text, tokens[i - 2], "CONSTRAINT");
            checks->push_back(Check{tokens[named ? i - 2 : i].begin, tokens[after - 1].end});
            i = after - 1;
        }
        return true;
    });
}

bool ProvixaTableText::Names(std::string_view expression, std::string_view column)
{
    std::vector<Token> tokens;
    std::string unread;
    if (!Tokens(expression, &tokens, &unread))
        return true;
    return std::any_of(tokens.begin(), tokens.end(), [&](const Token& token) {
        return (token.kind == Kind::Word || token.kind == Kind::Quoted) && SameName(NameOf(expression, token), column);
    });
}
