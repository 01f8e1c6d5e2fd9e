// ProvixaTableText: the text of a CREATE TABLE statement as the engine keeps it
// (sqlite_schema.sql), read far enough to find the DEFAULT clauses of its columns and its CHECK
// constraints, so that init can change a column's default, judge the constraints by the new one,
// and leave every other byte of the installation's own text as it was.
//
// Stateless; safe on any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class ProvixaTableText
{
public:
    ProvixaTableText() = delete;

    // One DEFAULT clause of a column: the column's name (unquoted, as written) and where the
    // clause's expression stands in the text (`end` one past its last byte; a parenthesised
    // expression with its parentheses, a signed number with its sign).
    struct Default
    {
        std::string column;
        std::size_t begin = 0;
        std::size_t end = 0;
    };

    // Every DEFAULT clause of every column of the table the text creates, in the order written
    // (a column written with two has two). True on success; false with *error saying what could
    // not be read: no CREATE TABLE with a column list, a quote, comment or parenthesis left open.
    static bool Defaults(std::string_view text, std::vector<Default>* defaults, std::string* error);

    // One CHECK constraint, a column's or the table's: where it stands in the text, from its
    // CONSTRAINT name when it has one to the parenthesis that closes its expression.
    struct Check
    {
        std::size_t begin = 0;
        std::size_t end = 0;
    };

    // Every CHECK constraint of the table the text creates, in the order written. True on
    // success; false with *error as Defaults.
    static bool Checks(std::string_view text, std::vector<Check>* checks, std::string* error);

    // Whether the expression's text names `column` (plainly or quoted, alone or after a table's
    // name); true as well when the text cannot be read.
    static bool Names(std::string_view expression, std::string_view column);

    // Whether the name is `column`, ASCII letters compared without regard to case, as the engine
    // compares names.
    static bool SameName(std::string_view name, std::string_view column);
};
