#include "mappers/devices/CWmipReaderInput2Mapper.h"

#include <memory>

#include "mappers/devices/ReaderDeviceBlock.h"

namespace {

constexpr CWmipReaderDeviceMapper::Layout kLayout{L"WmipReaderInput2Mapper", false, ReaderDeviceBlock::kInput2, 1};

}  // namespace

CWmipReaderInput2Mapper::CWmipReaderInput2Mapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipReaderDeviceMapper(user, context, services, GetWMIClassName(), kLayout)
{
}

CWmipReaderInput2Mapper::~CWmipReaderInput2Mapper() = default;

const wchar_t* CWmipReaderInput2Mapper::GetWMIClassName()
{
    return L"Bnt_ReaderInput2";
}

CWmipClassMapper* CWmipReaderInput2Mapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                        IWbemServices* services)
{
    return std::make_unique<CWmipReaderInput2Mapper>(user, context, services).release();
}
