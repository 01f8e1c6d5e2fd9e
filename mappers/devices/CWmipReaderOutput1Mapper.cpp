#include "mappers/devices/CWmipReaderOutput1Mapper.h"

#include <memory>

#include "mappers/devices/ReaderDeviceBlock.h"

namespace {

constexpr CWmipReaderDeviceMapper::Layout kLayout{L"WmipReaderOutput1Mapper", true, ReaderDeviceBlock::kOutput1, 17};

}  // namespace

CWmipReaderOutput1Mapper::CWmipReaderOutput1Mapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipReaderDeviceMapper(user, context, services, GetWMIClassName(), kLayout)
{
}

CWmipReaderOutput1Mapper::~CWmipReaderOutput1Mapper() = default;

const wchar_t* CWmipReaderOutput1Mapper::GetWMIClassName()
{
    return L"Bnt_ReaderOutput1";
}

CWmipClassMapper* CWmipReaderOutput1Mapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                         IWbemServices* services)
{
    return std::make_unique<CWmipReaderOutput1Mapper>(user, context, services).release();
}
