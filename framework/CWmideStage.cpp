#include "framework/CWmideStage.h"

#include "inhouse/BntCoreDb/CDBException.h"

CWmideFieldSet& CWmideStage::GetFieldSet(const CString& table, CWmideFieldSet::Mode mode)
{
    if (CWmideFieldSet* existing = FindFieldSet(table))
        return *existing;
    m_fieldSets.push_back(std::make_unique<CWmideFieldSet>(table, mode));
    return *m_fieldSets.back();
}

CWmideFieldSet* CWmideStage::FindFieldSet(const CString& table)
{
    for (const auto& fieldSet : m_fieldSets)
    {
        if (fieldSet->GetTableName().CompareNoCase(table) == 0)
            return fieldSet.get();
    }
    return nullptr;
}

void CWmideStage::Write(CBntDatabase& database)
{
    for (const auto& fieldSet : m_fieldSets)
    {
        const LONG changed = fieldSet->Write(database);
        if (!fieldSet->IsInsert() && !fieldSet->GetUnits().empty() && changed == 0)
            throw CDBException(-1, L"HY000", 0, L"The row of " + fieldSet->GetTableName() + L" no longer exists.");
    }
}
