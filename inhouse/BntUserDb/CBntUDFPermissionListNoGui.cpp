#include "inhouse/BntUserDb/CBntUDFPermissionListNoGui.h"

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CLoginQuery.h"

namespace {

constexpr char kItemQuery[] =
    "SELECT DDFLDID, CANVIEW, CANEDIT FROM USER_PERM_UDF_FIELD WHERE USER_PERM_UDFID = ? ORDER BY DDFLDID";

}  // namespace

void CBntUDFPermissionListNoGui::Fill(CBntDatabase& database, LONG fieldPermissionGroupId)
{
    m_items.clear();
    m_groupId = fieldPermissionGroupId;
    std::map<LONG, CBntUDFPermissionItem> items;
    for (const auto& row :
         CLoginQuery::Rows(database, kItemQuery, {CDBValue(static_cast<LONGLONG>(fieldPermissionGroupId))}))
    {
        CBntUDFPermissionItem item;
        item.fieldId = static_cast<LONG>(CLoginQuery::Integer(row, 0));
        item.canView = CLoginQuery::Integer(row, 1) != 0;
        item.canEdit = CLoginQuery::Integer(row, 2) != 0;
        items.emplace(item.fieldId, item);
    }
    m_items = std::move(items);
}

const CBntUDFPermissionItem* CBntUDFPermissionListNoGui::GetItem(LONG fieldId) const
{
    const auto found = m_items.find(fieldId);
    return found == m_items.end() ? nullptr : &found->second;
}
