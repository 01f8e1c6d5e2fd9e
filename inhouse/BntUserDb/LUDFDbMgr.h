// LUDFDbMgr: the installation's user-defined-field layout as the cardholder database manager
// reads it: one field per UDFOBJS row with its dictionary entry (DDFLD) and table (DDTBL), in
// layout order.
//
// Built on a database that must outlive it; Read fills it, afterwards it is only read. Not
// guarded: one owner at a time.
#pragma once

#include <vector>

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CBntDatabase;

struct LUDFField {
    LONG fieldId = 0;
    LONG objectType = 0;
    CString table;
    CString column;
    CString label;
};

class LUDFDbMgr {
public:
    // Every layout object type.
    static constexpr LONG kAllObjectTypes = 0;

    explicit LUDFDbMgr(CBntDatabase* database) : m_database(database) {}

    // Reads the fields of the object type (kAllObjectTypes: every field), replacing what was
    // read before. Throws the database's CDBException; nothing is read without a database.
    void Read(LONG objectType);
    const std::vector<LUDFField>& GetFields() const { return m_fields; }

private:
    CBntDatabase* const m_database;
    std::vector<LUDFField> m_fields;
};
