// CWmipPersonRecord: what the record mappers around a person (the person mappers, accounts,
// multimedia objects, secondary segments) read and write of the person's own EMP row: whether it
// exists and its kind, its audit text, and the stamp of a change.
//
// Static functions only, on the database they are given (the calling mapper's connection, inside
// its write's transaction when one is open). Database failures are thrown as CDBException.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CBntDatabase;

class CWmipPersonRecord
{
public:
    CWmipPersonRecord() = delete;

    // The person's EMP row as the neighbouring mappers use it.
    struct Row
    {
        bool exists = false;
        bool visitor = false;
        LONG segmentId = 0;
        CString lastName;
        CString firstName;
        CString middleName;
    };
    static Row Read(CBntDatabase& database, LONG personId);
    // The row of a person a write's PersonID names; throws CWMIException 0x80041008 naming
    // PersonID (sourceFile names the caller's source) when there is no such person.
    static Row ReadNamed(const wchar_t* sourceFile, CBntDatabase& database, LONG personId);

    // The audit text of a person (resource 20702): the id and the name given.
    static CString FormatAuditText(LONG personId, const CString& name);
    // "LASTNAME, FIRSTNAME" of the row, with " MIDNAME" after it when withMiddleName is set;
    // empty for a row that does not exist.
    static CString NameOf(const Row& row, bool withMiddleName);

    // Sets the person's LASTCHANGED to the current local time. False when the row does not exist.
    static bool TouchLastChanged(CBntDatabase& database, LONG personId);
};
