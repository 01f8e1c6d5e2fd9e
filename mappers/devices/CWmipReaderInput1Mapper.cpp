#include "mappers/devices/CWmipReaderInput1Mapper.h"

#include "mappers/devices/ReaderDeviceBlock.h"

namespace {

constexpr CWmipReaderDeviceMapper::Layout kReaderInput1MapperLayout{CWmipReaderInput1Mapper::kSource, false,
                                                                    ReaderDeviceBlock::kInput1, 0};

}  // namespace

CWmipReaderInput1Mapper::CWmipReaderInput1Mapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDeviceMapperSkeleton(user, context, services, kWMIClassName, kReaderInput1MapperLayout)
{
}
