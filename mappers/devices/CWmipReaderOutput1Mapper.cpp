#include "mappers/devices/CWmipReaderOutput1Mapper.h"

#include "mappers/devices/ReaderDeviceBlock.h"

namespace {

constexpr CWmipReaderDeviceMapper::Layout kReaderOutput1MapperLayout{CWmipReaderOutput1Mapper::kSource, true,
                                                                     ReaderDeviceBlock::kOutput1, 17};

}  // namespace

CWmipReaderOutput1Mapper::CWmipReaderOutput1Mapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDeviceMapperSkeleton(user, context, services, kWMIClassName, kReaderOutput1MapperLayout)
{
}
