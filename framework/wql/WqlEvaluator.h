// The in-memory walk over a WHERE tree: decides whether one instance matches the full WHERE
// clause, including the comparisons that the SQL translation had to drop. The provider runs it
// on every row of a superset translation (CWmipQuery::IsWhereClauseSuperset).
//
// Three-valued logic as in SQL: a comparison with a NULL or a missing property is Unknown,
// NOT Unknown is Unknown, AND/OR are Kleene's, and an instance matches only when the whole
// expression is True. Values compare as the database compares them (WqlEvaluator::Compare):
// numbers numerically (an integer with the exact decimal a number literal or number text
// writes, as the translation binds it: WqlNumber), texts by their UTF-8 bytes, bytes by bytes, LIKE with % and _ and
// ASCII letters without regard to case. A comparison with a string literal compares texts without regard to case as the
// translation has the database do it (its NOCASE collation): ASCII letters are folded, every other character is
// compared as it is; a date-time literal compares its text exactly; a string that reads as TRUE or FALSE
// (WqlLiteral::ReadBoolean) compared with a boolean is the boolean, as the translation binds it; a string compared with
// a date-time is the instant it names in the form of the door the source was served through
// (WqlPropertySource::ReadDateTime), its zone offset applied, as the translation binds it; a
// number compared with a text (WqlPropertySource::IsText) is the text it is written as, compared
// exactly, as the translation binds it. Where the database's
// answer would depend on a column's declared type (a text against a number that does not read
// as one, LIKE on a non-text) the answer is Unknown, which can only narrow a result: so every
// instance the evaluator accepts is one the SQL of the same expression accepts too.
//
// Static functions over immutable trees; safe from any thread.
#pragma once

#include <optional>
#include <string_view>

#include "framework/wql/WqlExpression.h"
#include "inhouse/BntCoreDb/CDBValue.h"
#include "platform/mfc/CString.h"

// Gives the evaluator the property values of one instance.
class WqlPropertySource
{
public:
    virtual ~WqlPropertySource() = default;
    // True with the value (NULL included) when the instance has the property; false when not.
    // Date-times are given as their UTC column text (DateTimeText::FormatColumn: to the
    // microsecond, in the one form that orders as the instants do), booleans as 0/1.
    virtual bool GetValue(const CString& property, CDBValue& value) const = 0;
    // Whether the object in the property is of the class or derives from it; no value when
    // that cannot be told (the ISA comparison is then Unknown).
    virtual std::optional<bool> IsA(const CString& property, const CString& className) const;
    // Whether the property holds a boolean (given as 0/1), so that a quoted TRUE or FALSE
    // compared with it is the boolean; false when the source cannot tell.
    virtual bool IsBoolean(const CString& property) const;
    // The value a quoted text stands for compared with the property when the property holds a
    // date-time: the UTC column text (the form GetValue gives the property's own value, its
    // microseconds included) of the instant the text names, read in the date-time form of the door the instance
    // was served through, zone offset included. None when the property holds no date-time, the
    // text names no instant, or the source cannot tell.
    virtual std::optional<CDBValue> ReadDateTime(const CString& property, const CString& text) const;
    // Whether the property holds a text, so that a number compared with it is the text it is
    // written as; false when the source cannot tell.
    virtual bool IsText(const CString& property) const;
};

// How two texts are ordered.
enum class WqlTextOrder
{
    // By their UTF-8 bytes (the database's BINARY collation).
    Exact,
    // By their UTF-8 bytes with ASCII letters folded to lower case (the database's NOCASE
    // collation): "Holiday" equals "holiday", "É" does not equal "é".
    FoldAsciiCase
};

enum class WqlTruth
{
    False,
    Unknown,
    True
};

class WqlEvaluator
{
public:
    WqlEvaluator() = delete;

    // The truth of the expression for the instance.
    static WqlTruth Evaluate(const WqlExpression& expression, const WqlPropertySource& source);
    // True exactly when Evaluate gives True.
    static bool Matches(const WqlExpression& expression, const WqlPropertySource& source);
    // One comparison of an instance value with a literal value (operators other than ISA and
    // IS [NOT] NULL); two texts are ordered as `order` says (LIKE always folds ASCII case); an
    // integer meets a number text exactly (WqlNumber), a real literal as its double.
    static WqlTruth Compare(const CDBValue& value, WqlOperator op, const CDBValue& literal, WqlTextOrder order);
    // The number a numeric column turns the text into when it compares the two, as the database
    // reads it: blanks around it, a sign, digits with a fraction and an exponent (a digit at
    // least); an integer that fits 64 bits is an integer, any other number a real. False (number
    // untouched) for a text that is no number so read ("12abc", "0x1F", "inf", ""). The reading
    // is WqlNumber's, which also holds the number exactly for an integer to meet.
    static bool ReadNumberText(std::string_view text, CDBValue& number);
    // The order of two texts under the database's NOCASE collation: <0, 0 or >0. Like the
    // database, the comparison of the common part ends at a NUL in both texts at the same
    // place, and the longer text then orders after the shorter.
    static int CompareFoldingAsciiCase(std::string_view left, std::string_view right);
    // WQL's LIKE on UTF-8 texts: % any run, _ one character, [abc] [a-z] [^abc] one character
    // of (or not of) the set, a '[' without its ']' itself; ASCII letters match without regard
    // to case, no escape character. Without a set it is the database's LIKE.
    static bool Like(std::string_view text, std::string_view pattern);
    // True when the pattern holds a set ([abc], [a-z], [^abc]), which the database's LIKE reads
    // as plain characters: such a comparison is left to Like.
    static bool LikeNeedsEvaluator(std::string_view pattern);
};
