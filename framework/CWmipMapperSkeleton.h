// CWmipMapperSkeleton<Mapper, Base>: what every mapper class has in common, written once: the
// WMI class name getter, the MapperFactory, and the constructor that hands the class name to the
// mapper base. A mapper derives from it naming itself and its base, declares kWMIClassName, and
// keeps only its permission ids and its own rules:
//
//     class CWmipHolidayMapper : public CWmipMapperSkeleton<CWmipHolidayMapper>
//     {
//     public:
//         static constexpr const wchar_t* kWMIClassName = L"Bnt_Holiday";
//         CWmipHolidayMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
//     };
//
// A mapper that overrides ProcessClassPermissions overrides GetShapedClassReuse beside it, and one
// that overrides CreateClass overrides GetBuiltClassReuse (checked when it is built), so that the
// class cache keeps only definitions and shapings whose inputs are said.
//
// The name chain of CWmipMapperRegistry::GetMapper is filled from the bound factories in one
// ordered pass while the schema is declared (schema/MapperBindings), never by objects that
// register themselves.
//
// Built per request by its factory; the caller owns the mapper. One request on one thread.
#pragma once

#include "framework/CWmipDynamicClassMapper.h"

#include <memory>
#include <type_traits>
#include <utility>

template <typename Mapper, typename Base = CWmipDynamicClassMapper>
class CWmipMapperSkeleton : public Base
{
public:
    // The WMI class the mapper serves: Mapper::kWMIClassName.
    static const wchar_t* GetWMIClassName() { return Mapper::kWMIClassName; }
    // The MapperFactory of the class: a new mapper of the door that the caller owns; never null.
    // A mapper whose constructor reads its door takes it as a fourth argument (and keeps it
    // first thing); every other is handed it right after construction.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                                          Door door)
    {
        std::unique_ptr<Mapper> mapper;
        if constexpr (std::is_constructible_v<Mapper, const CAcsUser*, IWbemContext*, IWbemServices*, Door>)
            mapper = std::make_unique<Mapper>(user, context, services, door);
        else
            mapper = std::make_unique<Mapper>(user, context, services);
        mapper->SetDoor(door);
        return mapper.release();
    }

protected:
    // The base mapper of the class on the database of user, the pooled connection that must
    // outlive the mapper.
    CWmipMapperSkeleton(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
        : Base(user, context, services, Mapper::kWMIClassName)
    {
        RequireShapingSaid();
    }
    // The same for a base that takes more (a derived mapper class naming its own class, a base
    // with options of its own): className and the rest are handed to Base.
    template <typename... Options>
    CWmipMapperSkeleton(const CAcsUser* user, IWbemContext* context, IWbemServices* services, const wchar_t* className,
                        Options&&... options)
        : Base(user, context, services, className, std::forward<Options>(options)...)
    {
        RequireShapingSaid();
    }

private:
    template <typename Member>
    struct DeclaringClass;
    template <typename Class, typename Result, typename... Arguments>
    struct DeclaringClass<Result (Class::*)(Arguments...)>
    {
        using Type = Class;
    };
    // The class that builds or shapes the definition says what it reads: one that inherited
    // another's word could have the class cache keep a definition that no longer holds.
    static void RequireShapingSaid()
    {
        static_assert(std::is_same_v<typename DeclaringClass<decltype(&Mapper::ProcessClassPermissions)>::Type,
                                     typename DeclaringClass<decltype(&Mapper::GetShapedClassReuse)>::Type>,
                      "a mapper that overrides ProcessClassPermissions overrides GetShapedClassReuse too");
        static_assert(std::is_same_v<typename DeclaringClass<decltype(&Mapper::CreateClass)>::Type,
                                     typename DeclaringClass<decltype(&Mapper::GetBuiltClassReuse)>::Type>,
                      "a mapper that overrides CreateClass overrides GetBuiltClassReuse too");
    }
};
