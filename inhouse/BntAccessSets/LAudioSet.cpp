#include "inhouse/BntAccessSets/LAudioSet.h"

LAudioSet::LAudioSet(CBntDatabase* database) : CMultiFilterRecordset(database)
{
    SetTable(L"AUDIO");
    AddColumnToSet(L"AUDIOID", L"AUDIO");
    AddColumnToSet(L"PLAYLENGTH", L"AUDIO");
}
