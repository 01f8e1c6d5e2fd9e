#include "inhouse/BntAccessSets/CBntConfigSet.h"

#include <limits>

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CLoginQuery.h"

CBntConfigSet::CBntConfigSet(CBntDatabase* database) : m_database(database) {}

BOOL CBntConfigSet::GetValue(LONG id, LONG* value, CString* text, bool)
{
    if (m_database == nullptr)
    {
        return FALSE;
    }
    const auto row =
        CLoginQuery::FirstRow(*m_database, "SELECT NUMBERVALUE, TEXTVALUE FROM CONFIG_VALUE WHERE CONFIGID = ?", {id});
    LONG number = GetDefaultValue(id);
    CString stored;
    if (row)
    {
        const LONGLONG raw = CLoginQuery::Integer(*row, 0, number);
        // A stored number outside the 32-bit range is not a value of ours; the default stands.
        if (raw >= std::numeric_limits<LONG>::min() && raw <= std::numeric_limits<LONG>::max())
        {
            number = static_cast<LONG>(raw);
        }
        if (!(*row)[1].IsNull())
        {
            stored = (*row)[1].AsText();
        }
    }
    if (value != nullptr)
    {
        *value = number;
    }
    if (text != nullptr)
    {
        *text = stored;
    }
    return TRUE;
}

LONG CBntConfigSet::GetDefaultValue(LONG id)
{
    switch (id)
    {
    case BntConfigUserCacheLifetime:
        return 600;
    case BntConfigPanelSegmentCacheSpan:
        return 300;
    case BntConfigLinkageReregistrationSpan:
        return 60;
    case BntConfigClassCacheSpan:
        return 600;
    default:
        return 0;
    }
}
