// The typed tree of a WQL WHERE expression: AND/OR nodes with two or more children, NOT nodes
// with one, and comparison leaves (property, operator, literal). WqlParser builds it once;
// WqlChecker, WqlSqlTranslator and WqlEvaluator are separate walks over it.
//
// A node owns its children. Copying is explicit (Clone) so ownership is never shared by
// accident. Immutable once built; a built tree may be read from several threads at once.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "framework/wql/ProcessClauseResult.h"
#include "inhouse/BntCoreDb/CDBValue.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

struct WqlToken;

// One WQL literal, typed.
struct WqlLiteral
{
    enum class Kind
    {
        Null,
        Boolean,
        Integer,
        Real,
        String,
        // A quoted DMTF date-time text (yyyymmddHHMMSS.mmmmmmsUUU).
        DateTime
    };

    Kind LiteralKind = Kind::Null;
    bool BooleanValue = false;
    LONGLONG IntegerValue = 0;
    double RealValue = 0.0;
    // String and DateTime: the decoded text. Integer and Real: the number as written.
    CString Text;

    // The literal in the form handed to ProcessClause: strings and dates in double quotes
    // with \" and \\ escapes, numbers as decimal text, TRUE, FALSE, NULL.
    CString ToWqlText() const;
    // The literal's value as a plain text (what a filter check compares): the decoded string,
    // the number as written, TRUE or FALSE; empty for NULL.
    CString ToValueText() const;
    // The value bound for the database: NULL, 0/1 for booleans, the number, and the text of a
    // string or date-time as written (a date-time property's mapper binds the instant a
    // date-time names as its column holds it; compared with a text, it is the text it is).
    CDBValue ToDatabaseValue() const;
    // The truth the literal stands for compared with a boolean: TRUE or FALSE, 1 or 0, or a
    // string of one of them in any case with blanks around it (a bus filter quotes every
    // value); none for any other literal. Every road reads a boolean's literal through this.
    std::optional<bool> ReadBoolean() const;
    // Whether the literal is a number (an integer or a real) as written.
    bool IsNumber() const { return LiteralKind == Kind::Integer || LiteralKind == Kind::Real; }

    // A String literal, or a DateTime one when the text is a valid DMTF date-time.
    static WqlLiteral FromString(const CString& text);
    // The literal a String, Integer, Real or TRUE/FALSE/NULL token stands for; false for any
    // other token.
    static bool FromToken(const WqlToken& token, WqlLiteral& literal);
    // Reads a literal in the forms ToWqlText writes, plus single quotes and 0x followed by
    // hexadecimal digits (a byte string, bound as bytes). True with the value on success.
    static bool FromWqlText(const CString& text, WqlLiteral& literal, CDBValue& value);

    bool operator==(const WqlLiteral& other) const = default;
};

class WqlExpression
{
public:
    enum class Kind
    {
        And,
        Or,
        Not,
        Comparison
    };

    static std::unique_ptr<WqlExpression> MakeComparison(const CString& property, WqlOperator op,
                                                         const WqlLiteral& literal);
    // And/Or over the operands (at least two); an operand of the same kind is flattened in.
    static std::unique_ptr<WqlExpression> MakeJunction(Kind kind, std::vector<std::unique_ptr<WqlExpression>> operands);
    static std::unique_ptr<WqlExpression> MakeNot(std::unique_ptr<WqlExpression> operand);

    WqlExpression(const WqlExpression&) = delete;
    WqlExpression& operator=(const WqlExpression&) = delete;

    // A deep copy.
    std::unique_ptr<WqlExpression> Clone() const;

    Kind GetKind() const { return m_kind; }
    // And/Or: the operands; Not: the one operand; Comparison: empty.
    const std::vector<std::unique_ptr<WqlExpression>>& GetOperands() const { return m_operands; }
    // Comparison only.
    const CString& GetProperty() const { return m_property; }
    WqlOperator GetOperator() const { return m_operator; }
    const WqlLiteral& GetLiteral() const { return m_literal; }

    // The expression as WQL text that reads back to the same tree: every AND/OR in
    // parentheses, literals as ToWqlText writes them (for logs and tests).
    CString ToString() const;

private:
    // Lets the factories use make_unique while keeping construction private.
    struct ConstructionKey
    {
        explicit ConstructionKey() = default;
    };

public:
    WqlExpression(ConstructionKey, Kind kind) : m_kind(kind) {}

private:
    // Set at construction.
    Kind m_kind;
    std::vector<std::unique_ptr<WqlExpression>> m_operands;
    CString m_property;
    WqlOperator m_operator = WqlOpEqual;
    WqlLiteral m_literal;
};
