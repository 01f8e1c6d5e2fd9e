// DeclareSchema: registers the whole static schema with CWmipMapperRegistry, walking the
// registration tables of GetSchemaDeclarationTables in order and constructing the registrar of
// each declaration's kind. The library's one schema initialiser calls it while it loads.
//
// Runs once per process: the first call registers, later calls do nothing (a second run would
// append every derived class to its superclass's list again). Not meant for concurrent callers
// other than through its once-guard.
#pragma once

#include <span>
#include <vector>

#include "platform/mfc/CString.h"
#include "schema/MapperBindings.h"
#include "schema/SchemaDeclaration.h"

// Result: none; afterwards every class of GetSchemaDeclarationTables, with its members and
// qualifiers, is registered and served by its bound mapper (LoadSchema), or refused.
void DeclareSchema();

// Registers the declarations of tables, in order, each class with the factory of the binding
// that serves it, then refuses (CWmipMapperRegistry::RefuseClass: not loaded, an error line naming
// the class and what it lacks) every class that lacks a step of a new class: a declaration for
// each id it holds, a followed or explained end of a link, a bound mapper, a declaration for a
// bound mapper's class, a segment source, an owner that loads. The bound mappers of the name chain that load join it.
// Result: the names of the refused classes, in the order of those checks. Loader thread only
// (DeclareSchema's once-guard), or a test that loads classes of its own.
std::vector<CString> LoadSchema(std::span<const SchemaDeclarationTable* const> tables,
                                std::span<const MapperBinding> bindings);
