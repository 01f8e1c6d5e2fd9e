#include "mappers/records/CWmipVisitorMapper.h"

#include "common/AccessCodes.h"

namespace {

}  // namespace

CWmipVisitorMapper::CWmipVisitorMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    AddForeignKeyPropertyMapping(L"ID", L"ID", L"VISITOR_UDF");
    SetPermissions(Permission::kViewVisitors, Permission::kAddVisitors, Permission::kModifyVisitors,
                   Permission::kDeleteVisitors);
    SetTransactionObject(AuditObject::kVisitor);
}

int CWmipVisitorMapper::GetPersonType()
{
    return kVisitor;
}

bool CWmipVisitorMapper::IsVisitorClass()
{
    return true;
}
