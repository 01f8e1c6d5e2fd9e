#include "schema/CWmipClassRegistrar.h"

#include <utility>

namespace {

// A concrete class keeps its kind when no bound mapper serves it, until the load refuses it.
void RegisterConcrete(const CString& className)
{
    CWmipMapperRegistry::Instance()->SetClassDeclaredConcrete(className);
}

}  // namespace

CWmipClassRegistrar::CWmipClassRegistrar(CString className, MapperFactory factory)
{
    CWmipMapperRegistry::Instance()->RegisterClass(className, std::move(factory));
    RegisterConcrete(className);
}

CWmipClassRegistrar::CWmipClassRegistrar(CString className, CString superclass, MapperFactory factory)
{
    CWmipMapperRegistry::Instance()->RegisterClass(className, superclass, std::move(factory));
    RegisterConcrete(className);
}

CWmipClassRegistrar::CWmipClassRegistrar(CString className, CString superclass, bool dynamic, MapperFactory factory)
{
    CWmipMapperRegistry::Instance()->RegisterClass(className, superclass, dynamic, std::move(factory));
    RegisterConcrete(className);
}

CWmipClassRegistrar::CWmipClassRegistrar(CString className, CString superclass)
{
    CWmipMapperRegistry::Instance()->RegisterClass(className, superclass, MapperFactory());
}

CWmipClassRegistrar::CWmipClassRegistrar(CString className)
{
    CWmipMapperRegistry::Instance()->RegisterClass(className, MapperFactory());
}
