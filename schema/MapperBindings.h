// MapperBindings: the one table of the mappers that serve the schema's classes. A mapper is bound
// by its type alone (Bind<Mapper>()): the class it serves is its own kWMIClassName, so a declared
// class finds its mapper by the class's name and neither side names the other a second time.
//
// Static, constant tables built on first use; safe from any thread after the library loaded.
#pragma once

#include <span>

#include "framework/CWmipMapperRegistry.h"

// One bound mapper: the WMI class it serves (its kWMIClassName), its factory, and whether
// GetMapper's name chain builds it (the others are built only through the class's registered
// factory).
struct MapperBinding
{
    const wchar_t* wmiClass;
    MapperFactory factory;
    bool inNameChain;
};

// The binding of a mapper class derived from CWmipMapperSkeleton.
template <typename Mapper>
MapperBinding Bind()
{
    return MapperBinding{Mapper::GetWMIClassName(), &Mapper::CreateMapper, true};
}

// The same for a mapper that GetMapper's name chain does not build.
template <typename Mapper>
MapperBinding BindOutsideChain()
{
    return MapperBinding{Mapper::GetWMIClassName(), &Mapper::CreateMapper, false};
}

class MapperBindings
{
public:
    MapperBindings() = delete;

    // Result: the mappers of the declared classes, one per class, in table order; valid for the
    // life of the process.
    static std::span<const MapperBinding> GetBound();

    // Result: the mappers of the classes no declaration names (the manager classes, whose
    // definitions WMI keeps): the name chain alone builds them. Valid for the life of the process.
    static std::span<const MapperBinding> GetUndeclared();

    // Result: the factory of the binding among bindings whose mapper serves wmiClass; an empty
    // factory when none does (or wmiClass is null).
    static MapperFactory FindFactoryServing(std::span<const MapperBinding> bindings, const wchar_t* wmiClass);

    // Installs in the registry what it takes from the mappers above it: the user mapper's refresh
    // of Bnt_User's permission lists (CWmipMapperRegistry::SetPermissionGroupRefresh), the list
    // mappers' factory (SetListMapperFactory) and the definitions of the manager classes, which
    // WMI keeps (SetUndeclaredClassDefinitions). Called once, by the schema's load.
    static void InstallInRegistry();
};
