#include "mappers/records/helpers/CWmipPropertyColumns.h"

CString CWmipPropertyColumns::Find(std::span<const PropertyColumn> table, const CString& property,
                                   const wchar_t* mainTable)
{
    for (const PropertyColumn& entry : table)
    {
        if (property.CompareNoCase(entry.property) == 0)
            return entry.column;
    }
    return CString(mainTable) + L"." + property;
}
