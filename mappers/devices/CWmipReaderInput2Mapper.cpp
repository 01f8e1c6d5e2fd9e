#include "mappers/devices/CWmipReaderInput2Mapper.h"

#include "mappers/devices/ReaderDeviceBlock.h"

namespace {

constexpr CWmipReaderDeviceMapper::Layout kReaderInput2MapperLayout{CWmipReaderInput2Mapper::kSource, false,
                                                                    ReaderDeviceBlock::kInput2, 1};

}  // namespace

CWmipReaderInput2Mapper::CWmipReaderInput2Mapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDeviceMapperSkeleton(user, context, services, kWMIClassName, kReaderInput2MapperLayout)
{
}
