// LAudioSet: the audio clips (table AUDIO): identifier, kind and play length in seconds.
//
// Owned by its caller on a database that outlives it; used on one thread (see
// CMultiFilterRecordset). Database failures are thrown as CDBException.
#pragma once

#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"

class LAudioSet : public CMultiFilterRecordset
{
public:
    explicit LAudioSet(CBntDatabase* database);

    // Only clips of this kind; before Open.
    void SetAudioTypeFilter(LONG audioType) { AddFilterLong(L"AUDIO.AUDIOTYPE", audioType); }

    // The current row's values (NULL reads as 0).
    LONG GetAudioInstrID() const { return GetLong(0); }
    LONG GetSecAudioPlayLength() const { return GetLong(1); }
};
