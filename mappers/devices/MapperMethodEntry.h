// MapperMethodEntry: one row of a device mapper's static method table: a WMI method name and
// the mapper's handler for it. Each class keeps one constant array of rows in a fixed order.
#pragma once

#include "platform/win32/WinTypes.h"

class IWbemClassObject;
class IWbemObjectSink;

template <class Mapper>
struct MapperMethodEntry
{
    using Handler = HRESULT (Mapper::*)(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);

    const wchar_t* name;
    Handler handler;
};
