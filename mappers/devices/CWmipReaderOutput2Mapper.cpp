#include "mappers/devices/CWmipReaderOutput2Mapper.h"

#include <memory>

#include "mappers/devices/ReaderDeviceBlock.h"

namespace {

constexpr CWmipReaderDeviceMapper::Layout kLayout{L"WmipReaderOutput2Mapper", true, ReaderDeviceBlock::kOutput2, 18};

}  // namespace

CWmipReaderOutput2Mapper::CWmipReaderOutput2Mapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipReaderDeviceMapper(user, context, services, GetWMIClassName(), kLayout)
{
}

CWmipReaderOutput2Mapper::~CWmipReaderOutput2Mapper() = default;

const wchar_t* CWmipReaderOutput2Mapper::GetWMIClassName()
{
    return L"Bnt_ReaderOutput2";
}

CWmipClassMapper* CWmipReaderOutput2Mapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                         IWbemServices* services)
{
    return std::make_unique<CWmipReaderOutput2Mapper>(user, context, services).release();
}
