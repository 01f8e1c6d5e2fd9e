// The vocabulary between the WQL translation (CWmipQuery) and a mapper's ProcessClause: the
// answers a mapper gives for one comparison, and the operator codes it is handed.
//
// ProcessClause(property, wqlOperator, literal, extra) is called once per comparison of the
// WHERE clause, in text order:
//   property    in: the property name as written in the query; out: the column text to compare
//               (a registered "TABLE.COLUMN" or a column text of the mapper's own constants).
//   wqlOperator in: a WqlOperator code; out: the operator to use (the mapper may change it).
//   literal     in: the literal in WQL form (see below); out: the value to bind, which the
//               mapper may reformat (dates for the database kind, a hexadecimal byte literal).
//   extra       in: empty. The translation never pastes mapper text into SQL, so anything the
//               mapper writes here is not used.
// Literal forms handed in: a string or date in double quotes with \" and \\ escapes
// ("Bnt_Person"), an integer or real as decimal text (-5, 2.5), TRUE, FALSE or NULL. A literal
// handed back unchanged is bound as parsed; a changed one is read again in the same forms, plus
// 0x followed by hexadecimal digits (bytes); any other text is bound as that text.
// A comparison other than LIKE of a property with a string literal compares without regard to
// ASCII case: when the value bound for it is a text, the SQL follows its placeholder with
// COLLATE NOCASE, and the in-memory evaluator folds ASCII letters the same way. A string the
// mapper turns into a number or bytes, and every other literal, compares exactly.
//
// Header only; plain enumerations.
#pragma once

enum ProcessClauseResult : int
{
    // Drop the comparison: it cannot be expressed in SQL for this class. The SQL becomes a
    // superset (the term turns into "1=1", or "1=0" under an odd number of NOTs) and the
    // in-memory evaluator decides the row.
    ProcessClauseDrop = 0,
    // Keep the comparison with the (possibly rewritten) property text as the column.
    ProcessClauseKeep = 1,
    // A plain comparison the mapper left alone: the property text itself is the column. It
    // must be a column the class registers; anything else is refused as an invalid query.
    ProcessClausePlain = 5
};

// WQL comparison operators as handed to ProcessClause. The values are fixed: mappers compare
// against them and ISA is 6 by contract.
enum WqlOperator : int
{
    WqlOpEqual = 0,           // =
    WqlOpNotEqual = 1,        // <> or !=
    WqlOpLess = 2,            // <
    WqlOpLessOrEqual = 3,     // <=
    WqlOpGreater = 4,         // >
    WqlOpGreaterOrEqual = 5,  // >=
    WqlOpIsa = 6,             // ISA 'ClassName' (never expressed in SQL)
    WqlOpLike = 7,            // LIKE 'pattern' (% any run, _ one character)
    WqlOpIsNull = 8,          // IS NULL (also "= NULL")
    WqlOpIsNotNull = 9        // IS NOT NULL (also "<> NULL")
};

// True for the codes above.
constexpr bool IsValidWqlOperator(int code)
{
    return code >= WqlOpEqual && code <= WqlOpIsNotNull;
}
