// The SQL state a database call fails with, for the tests of the database classes.
#pragma once

#include "inhouse/BntCoreDb/CDBException.h"
#include "platform/mfc/CString.h"

// The state of the CDBException the action throws; "none" when it throws none.
CString StateOf(const auto& action)
{
    try
    {
        action();
    }
    catch (const CDBException& e)
    {
        return e.GetState();
    }
    return L"none";
}
