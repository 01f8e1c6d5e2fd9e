#include "provider/CWmipStoredRows.h"

#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"

using brontel::utility::CWMIDebugLog;

namespace {
constexpr wchar_t kStoredRowsSource[] = L"CWmipStoredRows.cpp";

// "KEY = VALUE, ..." of the current row; a key value that cannot be read as text is named so.
CString KeyText(const CMultiFilterRecordset& rows, std::initializer_list<const wchar_t*> key)
{
    CString text;
    for (const wchar_t* column : key)
    {
        if (!text.IsEmpty())
        {
            text += L", ";
        }
        text += column;
        text += L" = ";
        try
        {
            text += rows.GetText(column);
        }
        catch (const CDBException&)
        {
            text += L"(unreadable)";
        }
    }
    return text;
}
}  // namespace

void CWmipStoredRows::ForEach(CMultiFilterRecordset& rows, const wchar_t* table,
                              std::initializer_list<const wchar_t*> key, const std::function<void()>& read)
{
    for (; !rows.IsEOF(); rows.MoveNext())
    {
        try
        {
            read();
        }
        catch (const CDBException& e)
        {
            // Only a value the row holds is the row's own fault (SQL state class 22, data
            // exception); anything else is the database's and ends the walk.
            if (e.GetState().Left(2) != L"22")
            {
                throw;
            }
            CString text;
            text.Format(L"Row of %s (%s) cannot be read and is passed over: %s", table, KeyText(rows, key).GetString(),
                        e.m_strError.GetString());
            CWMIDebugLog::LogError(kStoredRowsSource, __LINE__, text);
        }
    }
}
