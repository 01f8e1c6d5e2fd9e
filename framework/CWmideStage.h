// CWmideStage: the staged write of one instance: one field set per table, the main table's
// first, written in that order inside one transaction so that a failure at any step leaves
// nothing written.
//
// Owned by the write (CWmipInstanceWriter) for one PutInstance; not shared between threads.
#pragma once

#include "framework/CWmideFieldSet.h"
#include "platform/mfc/CString.h"

#include <functional>
#include <memory>
#include <vector>

class CBntDatabase;

class CWmideStage
{
public:
    CWmideStage() = default;
    CWmideStage(const CWmideStage&) = delete;
    CWmideStage& operator=(const CWmideStage&) = delete;

    // The field set of the table (without regard to case); created with the mode on first use,
    // after the ones staged before (the first is the main table). Valid for the stage's life.
    CWmideFieldSet& GetFieldSet(const CString& table, CWmideFieldSet::Mode mode);
    // The field set of the table; null when none is staged.
    CWmideFieldSet* FindFieldSet(const CString& table);
    // The field sets in write order.
    const std::vector<std::unique_ptr<CWmideFieldSet>>& GetFieldSets() const { return m_fieldSets; }

    // Writes every field set in order. An update that changes no row of an existing table
    // fails (the row went away since it was read). Throws CDBException; the caller's
    // transaction rolls the earlier sets back.
    void Write(CBntDatabase& database);

private:
    std::vector<std::unique_ptr<CWmideFieldSet>> m_fieldSets;
};
