// MapperFactory: builds one mapper of one class for one request from the database user (a
// pooled connection), the WMI context, the WMI services and the door the request came through,
// which the mapper keeps (CWmipMapper::GetDoor); the caller owns and deletes the mapper it
// returns (null when none could be built). One factory per mapper class, registered
// with its class while the library loads; an empty factory marks a class without a mapper.
//
// A plain function object: copied freely and called from any thread (a factory does nothing but
// construct its mapper).
#pragma once

#include "framework/Door.h"

#include <functional>

class CAcsUser;
class CWmipClassMapper;
class IWbemContext;
class IWbemServices;

using MapperFactory = std::function<CWmipClassMapper*(const CAcsUser*, IWbemContext*, IWbemServices*, Door)>;
