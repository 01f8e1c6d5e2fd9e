#include "mappers/devices/CWmipReaderOutput2Mapper.h"

#include "mappers/devices/ReaderDeviceBlock.h"

namespace {

constexpr CWmipReaderDeviceMapper::Layout kReaderOutput2MapperLayout{CWmipReaderOutput2Mapper::kSource, true,
                                                                     ReaderDeviceBlock::kOutput2, 18};

}  // namespace

CWmipReaderOutput2Mapper::CWmipReaderOutput2Mapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDeviceMapperSkeleton(user, context, services, kWMIClassName, kReaderOutput2MapperLayout)
{
}
