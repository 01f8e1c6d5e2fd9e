#include "framework/CWmideFieldSet.h"

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CSQLStatement.h"
#include "inhouse/BntCoreDb/CSqlText.h"

#include <algorithm>
#include <string>
#include <utility>

namespace {

const CWmideUnit* FindIn(const std::vector<CWmideUnit>& units, const wchar_t* column)
{
    if (column == nullptr)
        return nullptr;
    for (const CWmideUnit& unit : units)
    {
        if (unit.GetColumnName().CompareNoCase(column) == 0)
            return &unit;
    }
    return nullptr;
}

}  // namespace

CWmideFieldSet::CWmideFieldSet(const CString& table, Mode mode) : m_table(table), m_mode(mode) {}

bool CWmideFieldSet::HasUnit(const wchar_t* column) const
{
    return GetUnit(column) != nullptr;
}

const CWmideUnit* CWmideFieldSet::GetUnit(const wchar_t* column) const
{
    const CWmideUnit* unit = FindIn(m_units, column);
    return unit != nullptr ? unit : FindIn(m_keyUnits, column);
}

std::vector<CWmideUnit>::iterator CWmideFieldSet::Find(std::vector<CWmideUnit>& units, const wchar_t* column)
{
    return std::find_if(units.begin(), units.end(),
                        [column](const CWmideUnit& unit) { return unit.GetColumnName().CompareNoCase(column) == 0; });
}

void CWmideFieldSet::AddUnit(CWmideUnit unit)
{
    // A column named by the key stays the key: the row keeps its identity.
    if (Find(m_keyUnits, unit.GetColumnName()) != m_keyUnits.end())
        return;
    auto existing = Find(m_units, unit.GetColumnName());
    if (existing != m_units.end())
        *existing = std::move(unit);
    else
        m_units.push_back(std::move(unit));
}

void CWmideFieldSet::AddIntUnit(const wchar_t* column, LONG value)
{
    if (column != nullptr)
        AddUnit(CWmideUnit::Int(column, value));
}

void CWmideFieldSet::AddKeyUnit(CWmideUnit unit)
{
    auto staged = Find(m_units, unit.GetColumnName());
    if (staged != m_units.end())
        m_units.erase(staged);
    auto existing = Find(m_keyUnits, unit.GetColumnName());
    if (existing != m_keyUnits.end())
        *existing = std::move(unit);
    else
        m_keyUnits.push_back(std::move(unit));
}

LONG CWmideFieldSet::Write(CBntDatabase& database)
{
    if (m_mode == Mode::Update)
    {
        if (m_keyUnits.empty())
            throw CDBException(-1, L"42000", 0, L"An update of " + m_table + L" names no row.");
        if (m_units.empty())
            return 0;
        CSQLStatement statement;
        statement.SetFrom(m_table);
        for (const CWmideUnit& unit : m_units)
            statement.AddToSet(unit.GetColumnName(), unit.GetValue());
        for (const CWmideUnit& unit : m_keyUnits)
            statement.AddToWhere(CString(), unit.GetColumnName(), unit.GetValue());
        return database.ExecuteSQL(statement, CSQLStatement::Kind::Update);
    }

    std::string columns;
    std::string markers;
    std::vector<CDBValue> values;
    for (auto* list : {&m_keyUnits, &m_units})
    {
        for (CWmideUnit& unit : *list)
        {
            if (!values.empty())
            {
                columns += ", ";
                markers += ", ";
            }
            columns += CSqlText::QuoteIdentifier(unit.GetColumnName(), false, L"Column");
            markers += "?";
            values.push_back(unit.TakeValue());
        }
    }
    const std::string table = CSqlText::QuoteIdentifier(m_table, false, L"Table");
    const std::string sql = values.empty() ? "INSERT INTO " + table + " DEFAULT VALUES"
                                           : "INSERT INTO " + table + " (" + columns + ") VALUES (" + markers + ")";
    return database.ExecuteSQL(CString(sql.c_str()), values);
}
