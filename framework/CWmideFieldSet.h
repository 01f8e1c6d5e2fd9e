// CWmideFieldSet: the staged write of one table: the units (column values) of the row and,
// for a row that already exists, the key units that name it. A field set either inserts a new
// row (its key units are inserted as columns too) or updates the named row.
//
// Owned by the CWmideStage of one write; the mapper's AddAdditionalFields receives it by
// reference while the write is staged. Not shared between threads.
#pragma once

#include "framework/CWmideUnit.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

#include <vector>

class CBntDatabase;

class CWmideFieldSet
{
public:
    enum class Mode
    {
        Insert,
        Update
    };

    CWmideFieldSet(const CString& table, Mode mode);

    // The table the row belongs to, as staged (mappers compare it case-sensitively).
    const CString& GetTableName() const { return m_table; }
    Mode GetMode() const { return m_mode; }
    bool IsInsert() const { return m_mode == Mode::Insert; }

    // True when the set holds a unit (or key unit) of that column (without regard to case).
    bool HasUnit(const wchar_t* column) const;
    // The unit (or key unit) of that column; null when the set holds none. Valid until the set
    // changes.
    const CWmideUnit* GetUnit(const wchar_t* column) const;
    // Adds the unit, replacing a unit of the same column.
    void AddUnit(CWmideUnit unit);
    // Adds a 32-bit integer unit, replacing a unit of the same column.
    void AddIntUnit(const wchar_t* column, LONG value);
    // Adds a unit that names the row (the WHERE of an update; a column of an insert).
    void AddKeyUnit(CWmideUnit unit);

    const std::vector<CWmideUnit>& GetUnits() const { return m_units; }
    const std::vector<CWmideUnit>& GetKeyUnits() const { return m_keyUnits; }

    // Writes the row with every value bound: INSERT of the key units and units, or UPDATE of
    // the units on the row the key units name. Returns the rows changed (0 for an update that
    // has no unit to set or finds no row). Throws CDBException: 42000 for a table or column
    // that is not an identifier or an update without key units; engine errors as they come.
    // An insert hands its units' values to the statement rather than copying them: the set's
    // units hold NULL once it has run.
    LONG Write(CBntDatabase& database);

private:
    static std::vector<CWmideUnit>::iterator Find(std::vector<CWmideUnit>& units, const wchar_t* column);

    CString m_table;
    Mode m_mode;
    std::vector<CWmideUnit> m_keyUnits;
    std::vector<CWmideUnit> m_units;
};
