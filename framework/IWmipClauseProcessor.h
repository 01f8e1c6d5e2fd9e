// IWmipClauseProcessor: what the WQL translation (CWmipQuery) asks of the mapper its query is
// attached to: the column, operator and value of one comparison of the WHERE clause. The query
// names this interface, never CWmipMapper, so it stands below the mapper that attaches it.
//
// Implemented by CWmipMapper, which lives for the request the query serves, on its thread.
#pragma once

#include "framework/wql/ProcessClauseResult.h"
#include "platform/mfc/CString.h"

class IWmipClauseProcessor
{
public:
    // One WQL comparison, in the forms framework/wql/ProcessClauseResult.h describes for the four
    // arguments.
    virtual ProcessClauseResult ProcessClause(CString& property, int& wqlOperator, CString& literal,
                                              CString& extra) = 0;

protected:
    IWmipClauseProcessor() = default;
    ~IWmipClauseProcessor() = default;
    IWmipClauseProcessor(const IWmipClauseProcessor&) = default;
    IWmipClauseProcessor& operator=(const IWmipClauseProcessor&) = default;
};
