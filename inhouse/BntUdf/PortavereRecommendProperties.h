// brontel::portavere::PortavereRecommendProperties: the mobile verification display settings of
// the installation: the logical name (the cardholder property that holds a cardholder's threat
// level; configuration value 1011, "THREATLEVEL" when absent), the associated drop-down, the
// grant and deny texts and colours and the four switches a verification station follows
// (configuration values 1012 to 1019; the defaults below when absent).
//
// A per-call object read once at construction; read-only afterwards.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CAcsUser;

namespace brontel::portavere {

class PortavereRecommendProperties
{
public:
    static constexpr LONG kLogicalNameId = 1011;
    static constexpr LONG kAssociatedDropdownId = 1012;
    static constexpr LONG kDenyTextId = 1013;
    static constexpr LONG kGrantTextId = 1014;
    static constexpr LONG kDenyColorId = 1015;
    static constexpr LONG kGrantColorId = 1016;
    static constexpr LONG kDenyOverrideId = 1017;
    static constexpr LONG kGrantOverrideId = 1018;
    static constexpr LONG kOverridePromptId = 1019;
    static constexpr LONG kNotifyUserId = 1020;
    static constexpr const wchar_t* kDefaultLogicalName = L"THREATLEVEL";
    static constexpr const wchar_t* kDefaultDenyText = L"Deny";
    static constexpr const wchar_t* kDefaultGrantText = L"Grant";
    // Colours as 0x00BBGGRR: red and green.
    static constexpr LONG kDefaultDenyColor = 0x000000FF;
    static constexpr LONG kDefaultGrantColor = 0x0000FF00;

    // Reads the settings with the user's database (a null or logged-out user gets the defaults).
    // Throws the database's CDBException.
    explicit PortavereRecommendProperties(const CAcsUser* user);

    const CString& GetLogicalName() const { return m_logicalName; }
    const CString& GetAssociatedDropdown() const { return m_associatedDropdown; }
    const CString& GetDenyText() const { return m_denyText; }
    const CString& GetGrantText() const { return m_grantText; }
    LONG GetDenyColor() const { return m_denyColor; }
    LONG GetGrantColor() const { return m_grantColor; }
    bool DenyOverride() const { return m_denyOverride; }
    bool GrantOverride() const { return m_grantOverride; }
    bool OverridePrompt() const { return m_overridePrompt; }
    bool NotifyUserOfOperation() const { return m_notifyUser; }

private:
    CString m_logicalName;
    CString m_associatedDropdown;
    CString m_denyText;
    CString m_grantText;
    LONG m_denyColor = kDefaultDenyColor;
    LONG m_grantColor = kDefaultGrantColor;
    bool m_denyOverride = false;
    bool m_grantOverride = false;
    bool m_overridePrompt = false;
    bool m_notifyUser = false;
};

}  // namespace brontel::portavere
