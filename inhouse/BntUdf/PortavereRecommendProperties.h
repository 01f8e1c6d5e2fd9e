// brontel::portavere::PortavereRecommendProperties: the mobile verification display settings of
// the installation; here the logical name, the cardholder property that holds a cardholder's
// threat level (stored as the text of configuration value 1011, "THREATLEVEL" when absent).
//
// A per-call object read once at construction; read-only afterwards.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CAcsUser;

namespace brontel::portavere {

class PortavereRecommendProperties {
public:
    static constexpr LONG kLogicalNameId = 1011;
    static constexpr const wchar_t* kDefaultLogicalName = L"THREATLEVEL";

    // Reads the settings with the user's database (a null or logged-out user gets the defaults).
    // Throws the database's CDBException.
    explicit PortavereRecommendProperties(const CAcsUser* user);

    const CString& GetLogicalName() const { return m_logicalName; }

private:
    CString m_logicalName;
};

}  // namespace brontel::portavere
