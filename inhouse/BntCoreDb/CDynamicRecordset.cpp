#include "inhouse/BntCoreDb/CDynamicRecordset.h"

CDynamicRecordset::CDynamicRecordset(CBntDatabase* database) : CMultiFilterRecordset(database) {}
