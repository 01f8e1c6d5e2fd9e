// NewTestMapper<Mapper>: the MapperFactory of a test's mapper class, for registering the class
// with CWmipMapperRegistry: a new mapper built with the request's user, context and services,
// handed the request's door as the skeleton's factory hands it, which the caller owns; never null.
#pragma once

#include "framework/CWmipClassMapper.h"

#include <memory>

namespace support {
template <typename Mapper>
CWmipClassMapper* NewTestMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services, Door door)
{
    auto mapper = std::make_unique<Mapper>(user, context, services);
    mapper->SetDoor(door);
    return mapper.release();
}
}  // namespace support
