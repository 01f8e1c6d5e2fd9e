#include "mappers/records/CWmipVisitorMapper.h"

namespace {

constexpr DWORD kViewVisitors = 0x20000023;
constexpr DWORD kAddVisitors = 0x20000024;
constexpr DWORD kModifyVisitors = 0x20000025;
constexpr DWORD kDeleteVisitors = 0x20000026;
// Audit kind of a visitor.
constexpr LONG kVisitorAuditObject = 55;

}  // namespace

CWmipVisitorMapper::CWmipVisitorMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    AddForeignKeyPropertyMapping(L"ID", L"ID", L"VISITOR_UDF");
    SetPermissions(kViewVisitors, kAddVisitors, kModifyVisitors, kDeleteVisitors);
    SetTransactionObject(kVisitorAuditObject);
}

int CWmipVisitorMapper::GetPersonType()
{
    return kVisitor;
}

bool CWmipVisitorMapper::IsVisitorClass()
{
    return true;
}
