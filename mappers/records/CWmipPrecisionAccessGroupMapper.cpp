#include "mappers/records/CWmipPrecisionAccessGroupMapper.h"

namespace {

// The right to view access levels and groups.
constexpr DWORD kViewLevels = 0x1000000B;

}  // namespace

CWmipPrecisionAccessGroupMapper::CWmipPrecisionAccessGroupMapper(const CAcsUser* user, IWbemContext* context,
                                                                 IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(kViewLevels, 0, 0, 0);
}
