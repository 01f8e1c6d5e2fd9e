// MapperFactory: builds one mapper of one class for one request from the database user (a
// pooled connection), the WMI context, the WMI services and the door the request came through,
// which the mapper keeps (CWmipMapper::GetDoor); the caller owns and deletes the mapper it
// returns (null when none could be built). One factory per mapper class, registered
// with its class while the library loads; an empty factory marks a class without a mapper.
//
// Its product is handed out as the hooks (CWmipClassMapperHooks), so that the registry, the class
// descriptions and the segment filter build mappers without standing above the class mapper.
// Every product is a CWmipClassMapper all the same: a factory is made only from a callable whose
// result is one (checked where it is made), so AsClassMapper gives it back to a caller above.
//
// A plain function object: copied freely and called from any thread (a factory does nothing but
// construct its mapper).
#pragma once

#include "framework/Door.h"

#include <functional>
#include <type_traits>
#include <utility>

class CAcsUser;
class CWmipClassMapper;
class CWmipClassMapperHooks;
class IWbemContext;
class IWbemServices;

class MapperFactory
{
public:
    // The empty factory: a class without a mapper.
    MapperFactory() = default;
    // The factory that calls build, whose result must be a pointer to a CWmipClassMapper (or a
    // class derived from it): what GetMapper and AsClassMapper rely on.
    template <typename Build>
    requires(!std::is_same_v<std::remove_cvref_t<Build>, MapperFactory> &&
             std::is_invocable_v<Build&, const CAcsUser*, IWbemContext*, IWbemServices*, Door>)
        MapperFactory(Build build)
        : m_build(std::move(build))
    {
        using Product = std::remove_cv_t<
            std::remove_pointer_t<std::invoke_result_t<Build&, const CAcsUser*, IWbemContext*, IWbemServices*, Door>>>;
        static_assert(std::is_base_of_v<CWmipClassMapper, Product>, "a mapper factory builds a CWmipClassMapper");
    }

    explicit operator bool() const { return static_cast<bool>(m_build); }
    // A new mapper of the door that the caller owns; null when the factory builds none. The
    // factory must not be empty.
    CWmipClassMapperHooks* operator()(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                                      Door door) const
    {
        return m_build(user, context, services, door);
    }

    // The product of a factory as the CWmipClassMapper it is (null stays null). A template only so
    // that the cast is compiled where CWmipClassMapper is complete: in the caller's unit, above it.
    template <typename Mapper = CWmipClassMapper>
    static Mapper* AsClassMapper(CWmipClassMapperHooks* product)
    {
        static_assert(std::is_same_v<Mapper, CWmipClassMapper>, "a factory's product is known as a CWmipClassMapper");
        // Safe: the constructor above accepts no factory whose product is not a CWmipClassMapper.
        return static_cast<Mapper*>(product);
    }

private:
    std::function<CWmipClassMapperHooks*(const CAcsUser*, IWbemContext*, IWbemServices*, Door)> m_build;
};
