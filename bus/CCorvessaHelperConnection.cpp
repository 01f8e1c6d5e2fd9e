// CCorvessaHelper: the test for a database exception that names a lost connection.
#include "bus/CCorvessaHelper.h"

#include <regex>

#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntUtility/StringConversion.h"

bool CCorvessaHelper::IsInvalidDBConnectionException(const CException& exception)
{
    const auto* database = dynamic_cast<const CDBException*>(&exception);
    if (database == nullptr)
    {
        return false;
    }
    const std::string state = brontel::utility::ConvertToStdString(database->m_strStateNativeOrigin);
    static const std::regex pattern("State:([\\w]+),Native:([-\\d]+),");
    std::smatch match;
    if (!std::regex_search(state, match, pattern))
    {
        return false;
    }
    return (match[1] == "08S01" && match[2] == "233") || (match[1] == "08S02" && match[2] == "-1");
}
