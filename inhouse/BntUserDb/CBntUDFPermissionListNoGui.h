// CBntUDFPermissionListNoGui: the rights of one field permission group on the installation's
// user-defined fields (USER_PERM_UDF_FIELD): per field its view and edit right. A field the
// list holds no item for is both visible and editable.
//
// A value type: filled once, then only read; two lists compare equal when they hold the same
// group and the same items. Not guarded: the owner (the user cache) guards it.
#pragma once

#include <map>

#include "platform/win32/WinTypes.h"

class CBntDatabase;

// The rights of the group on one field.
struct CBntUDFPermissionItem
{
    LONG fieldId = 0;
    bool canView = true;
    bool canEdit = true;

    bool operator==(const CBntUDFPermissionItem&) const = default;
};

class CBntUDFPermissionListNoGui
{
public:
    // Reads the group's items from the database (the earlier items are replaced). Throws the
    // database's CDBException; the list is left empty then.
    void Fill(CBntDatabase& database, LONG fieldPermissionGroupId);

    // The item of the field; null when the list has none. Valid until the next Fill.
    const CBntUDFPermissionItem* GetItem(LONG fieldId) const;
    LONG GetGroupId() const { return m_groupId; }
    std::size_t GetCount() const { return m_items.size(); }

    bool operator==(const CBntUDFPermissionListNoGui&) const = default;

private:
    LONG m_groupId = 0;
    std::map<LONG, CBntUDFPermissionItem> m_items;
};
