// The WQL lexer: turns query text into tokens (identifiers and keywords, string and number
// literals, operators, punctuation) on demand for WqlParser.
//
// Owned by the parser that reads through it; holds a view of the text, which must outlive it.
// Not thread-safe; one lexer per parse.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

enum class WqlTokenKind
{
    End,
    Identifier,  // a name or keyword; dotted names (TargetInstance.Name) are one token
    String,      // '...' or "..." with \\, \" and \' escapes; Text holds the decoded value
    Integer,
    Real,
    Equal,           // =
    NotEqual,        // <> or !=
    Less,            // <
    LessOrEqual,     // <=
    Greater,         // >
    GreaterOrEqual,  // >=
    LeftParen,
    RightParen,
    Comma,
    Star,
    LeftBrace,
    RightBrace,
    Error  // Text holds the reason
};

struct WqlToken
{
    WqlTokenKind Kind = WqlTokenKind::End;
    // Identifier: the name; String: the decoded value; Error: the reason; numbers: the
    // source digits with their sign.
    CString Text;
    LONGLONG IntegerValue = 0;
    double RealValue = 0.0;
    // Offset of the token in the text.
    std::size_t Position = 0;

    // True for an identifier equal to keyword without regard to ASCII case.
    bool IsKeyword(const wchar_t* keyword) const;
};

class WqlLexer
{
public:
    // A lexer over text; the caller checks the length limit before lexing.
    explicit WqlLexer(std::wstring_view text);

    // The next token; End at the end of the text, Error (and then End) on malformed input.
    WqlToken Next();
    // The next token without consuming it.
    const WqlToken& Peek();
    // Reads the raw text up to the next '}' that is not inside a double-quoted value and
    // consumes the '}'. True with the text on success; false when no closing brace follows.
    bool ReadRawUntilRightBrace(CString& text);
    // Offset of the next character not yet read.
    std::size_t GetPosition() const;

private:
    WqlToken Scan();
    WqlToken ScanString(wchar_t quote, std::size_t start);
    WqlToken ScanNumber(std::size_t start);
    WqlToken ScanIdentifier(std::size_t start);
    static WqlToken MakeError(std::size_t position, const wchar_t* reason);
    void SkipWhiteSpace();

    // Set at construction.
    std::wstring_view m_text;

    std::size_t m_position = 0;
    bool m_hasPeeked = false;
    bool m_failed = false;
    WqlToken m_peeked;
};
