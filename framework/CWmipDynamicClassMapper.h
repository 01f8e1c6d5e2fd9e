// CWmipDynamicClassMapper: the generic table-backed mapper of a registered class: its
// recordset joins the tables the mapper names (AddJoin, in call order) and reads one column per
// registered property; WQL comparisons on registered properties become conditions on their
// columns.
//
// Built per request by a MapperFactory and owned by the caller; one request on one thread.
#pragma once

#include "framework/CWmipClassMapper.h"

#include <vector>

class CWmipDynamicClassMapper : public CWmipClassMapper
{
public:
    // The class mapper of className with an empty join list.
    CWmipDynamicClassMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                            const wchar_t* className);
    ~CWmipDynamicClassMapper() override;

    // A registered property becomes its "TABLE.COLUMN" (a quoted whole number compared with a
    // numeric property is handed back as a number) and the answer is ProcessClauseKeep; any
    // other property is left as it is with ProcessClausePlain for the derived mapper.
    ProcessClauseResult ProcessClause(CString& property, int& wqlOperator, CString& literal, CString& extra) override;
    // Nothing without type information. Otherwise the joins in call order (SetupJoin for the
    // first, AddJoin for the later ones; a join text that is not "T.C,T.C" throws
    // CDBException 42000), the first property's table when there is no join, and one column
    // per registered property in registration order.
    void SetupInstanceRecordset(CDynamicRecordset* recordset) override;

    // Appends the join table1.column1 = table2.column2, kept as "table1.column1,table2.column2".
    // Validates nothing; the recordset checks the names when it is set up.
    void AddJoin(const wchar_t* table1, const wchar_t* column1, const wchar_t* table2, const wchar_t* column2);
    // The recorded joins, in call order.
    const std::vector<CString>& GetJoins() const override { return m_joins; }

private:
    std::vector<CString> m_joins;
};
