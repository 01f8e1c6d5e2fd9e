// ProvixaSegmentUnitDefaults: init's upgrade of the segment unit table of an older home.
//
// A home built while a segment unit's limits defaulted to 0 keeps those defaults, under which a
// unit written without limits takes nothing. The engine keeps a column's default only in its
// table's text (sqlite_schema.sql), so init changes the limits' defaults there, to the schema's,
// and leaves every other byte of the text as the installation wrote it: the table's rows,
// columns, constraints, indexes and triggers stay exactly what they are. A default counts as the
// old one when the value it stores is the number 0, however it is written (0, '0', (0), -0).
// Every CHECK constraint of the table is judged by the new defaults before anything is written: a
// home where one would refuse a unit that it takes today, or where that cannot be told with
// confidence, is left as it is, saying why; so is one whose text cannot be read or changed with
// confidence.
// One object per init, on the host's one thread: Load, then Decide, then Write inside the
// caller's transaction.
#pragma once

#include <memory>
#include <string>
#include <vector>

struct sqlite3;

class ProvixaSegmentUnitDefaults
{
public:
    ProvixaSegmentUnitDefaults() = default;
    ProvixaSegmentUnitDefaults(const ProvixaSegmentUnitDefaults&) = delete;
    ProvixaSegmentUnitDefaults& operator=(const ProvixaSegmentUnitDefaults&) = delete;

    // Reads the limits and their defaults as the schema declares them, from a database built of
    // it in memory. False with *error saying why not.
    bool Load(std::string* error);

    // Reads the home's table and decides what its text becomes. True with Due() telling whether
    // it changes; false with *error saying why the home is to be left as it is.
    bool Decide(sqlite3* home, std::string* error);

    // Whether Decide found the text to change.
    bool Due() const { return !m_changed.empty(); }

    // Writes the text Decide made, inside the caller's transaction, and reads it back: the
    // columns and every row as they were, only the limits' defaults new. False with *error.
    bool Write(sqlite3* home, std::string* error) const;

private:
    // Closes the scratch database.
    struct Closer
    {
        void operator()(sqlite3* db) const;
    };

    // A limit whose default changes: its name, its type and collation, and its default as the
    // home writes it and as the schema does.
    struct Changed
    {
        std::string column;
        std::string type;
        std::string collation;
        std::string oldDefault;
        std::string newDefault;
    };

    // Judges every CHECK constraint of the table by the changed limits' new defaults, whatever a
    // unit writes in its other columns: false with *error saying why when one would refuse a unit
    // leaving a limit to its default that it takes today, or when that cannot be told with
    // confidence (it names more than one changed limit, a computed column, or any other column
    // beside the one limit).
    bool JudgeChecks(sqlite3* home, const std::vector<Changed>& changed, std::string* error) const;

    // Tries the constraint on a scratch table of the limit's column alone, written with the default
    // `value`: *refused receives the engine's words when the constraint refuses it, else nothing.
    // False with *error when the engine cannot judge it so (it names another column or an unknown
    // function).
    bool CheckTakes(const std::string& check, const Changed& limit, const std::string& value, std::string* refused,
                    std::string* error) const;

    // Whether the default `value`, stored in a column of the type, is the number 0: the engine
    // itself answers, on a scratch table. False with *error when the engine cannot.
    bool StoresZero(const std::string& type, const std::string& value, const std::string& column, bool* zero,
                    std::string* error) const;

    // Set by Load.
    std::unique_ptr<sqlite3, Closer> m_scratch;
    std::vector<std::string> m_declared;  // per limit: its name, the schema's default
    // Set by Decide.
    std::string m_name;                       // the table's name as the home keeps it
    std::string m_text;                       // its text as the home keeps it
    std::string m_upgraded;                   // the same with the limits' defaults changed
    std::vector<std::string> m_changed;       // the limits whose default changes
    std::vector<std::string> m_columnsAfter;  // what the engine says of each column once written
};
