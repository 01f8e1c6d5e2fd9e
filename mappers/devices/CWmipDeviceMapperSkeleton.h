// CWmipDeviceMapperSkeleton<Mapper, Base>: CWmipMapperSkeleton for a device mapper with WMI
// methods: ExecuteMethod dispatches by name over Mapper::kMethods (CWmipDeviceMethod::Dispatch,
// which checks each row's permission and writes its audit), naming Mapper::kSource in its
// errors. A device mapper declares kWMIClassName, kSource and kMethods, and keeps only its
// command steps:
//
//     class CWmipCameraMapper : public CWmipDeviceMapperSkeleton<CWmipCameraMapper>
//     {
//     public:
//         static constexpr const wchar_t* kWMIClassName = L"Bnt_Camera";
//         static constexpr const wchar_t* kSource = L"WmipCameraMapper";
//         static const std::span<const MapperMethodEntry<CWmipCameraMapper>> kMethods;
//         ...
//     };
//
// Built per request by its factory; the caller owns the mapper. One request on one thread.
#pragma once

#include "framework/CWmipDynamicClassMapper.h"
#include "framework/CWmipMapperSkeleton.h"
#include "mappers/devices/CWmipDeviceMethod.h"

template <typename Mapper, typename Base = CWmipDynamicClassMapper>
class CWmipDeviceMapperSkeleton : public CWmipMapperSkeleton<Mapper, Base>
{
public:
    // Dispatches by name over Mapper::kMethods (CWmipDeviceMethod::Dispatch).
    HRESULT ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG, IWbemContext*,
                          IWbemClassObject* inParams, IWbemObjectSink* sink) override
    {
        return CWmipDeviceMethod::Dispatch(static_cast<Mapper&>(*this), Mapper::kSource, path, methodName,
                                           Mapper::kMethods, inParams, sink);
    }

protected:
    using CWmipMapperSkeleton<Mapper, Base>::CWmipMapperSkeleton;
};
