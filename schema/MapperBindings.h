// MapperBindings: which mapper class text of the schema declarations has a MapperFactory. A
// mapper module that lands adds its binding (Bind<Mapper>) to the bound table in MapperBindings.cpp and takes
// its name off kUnboundMappers; a class whose mapper is unbound is registered with an empty
// factory, so the registry builds no mapper for it rather than a made-up one.
//
// Static, constant tables built on first use; safe from any thread after the library loaded.
#pragma once

#include <span>

#include "framework/CWmipMapperRegistry.h"

// One bound mapper: its class text in the declarations, the WMI class it serves, its factory,
// and whether GetMapper's name chain builds it.
struct MapperBinding
{
    const wchar_t* mapperClass;
    const wchar_t* wmiClass;
    MapperFactory factory;
    bool inNameChain;
};

class MapperBindings
{
public:
    MapperBindings() = delete;

    // Result: the factory bound to mapperClass (for example L"CWmipAlarmInputMapper"); an empty
    // factory when the mapper is unbound, unknown or null.
    static MapperFactory FindFactory(const wchar_t* mapperClass);

    // Result: the factory bound to mapperClass when that mapper serves wmiClass; an empty factory
    // otherwise, so a declaration whose class disagrees with its mapper's own class gets no
    // mapper rather than one that answers for another class.
    static MapperFactory FindFactoryServing(const wchar_t* wmiClass, const wchar_t* mapperClass);

    // Result: true when mapperClass has a factory in the bound table.
    static bool IsBound(const wchar_t* mapperClass);

    // Result: the names of the bound mappers, in table order; valid for the life of the process.
    static std::span<const wchar_t* const> GetBoundMapperNames();

    // Puts every bound mapper of the name chain into CWmipMapperRegistry's chain, in table
    // order, then the mappers of the classes no declaration names (the manager classes). Called
    // once, by the schema's one initialiser.
    static void AddBoundMappersToChain();

    // Result: the mapper classes whose factories have not landed yet; valid for the life of the
    // process.
    static std::span<const wchar_t* const> GetUnboundMapperNames();
};
