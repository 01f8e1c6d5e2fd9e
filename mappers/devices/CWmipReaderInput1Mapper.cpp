#include "mappers/devices/CWmipReaderInput1Mapper.h"

#include <memory>

#include "mappers/devices/ReaderDeviceBlock.h"

namespace {

constexpr CWmipReaderDeviceMapper::Layout kLayout{L"WmipReaderInput1Mapper", false, ReaderDeviceBlock::kInput1, 0};

}  // namespace

CWmipReaderInput1Mapper::CWmipReaderInput1Mapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipReaderDeviceMapper(user, context, services, GetWMIClassName(), kLayout)
{
}

CWmipReaderInput1Mapper::~CWmipReaderInput1Mapper() = default;

const wchar_t* CWmipReaderInput1Mapper::GetWMIClassName()
{
    return L"Bnt_ReaderInput1";
}

CWmipClassMapper* CWmipReaderInput1Mapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                        IWbemServices* services)
{
    return std::make_unique<CWmipReaderInput1Mapper>(user, context, services).release();
}
