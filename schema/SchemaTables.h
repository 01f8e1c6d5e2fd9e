// The ordered list of the schema's registration tables: the device-class modules first, then the
// other mapper modules in alphabetical order, each table's declarations in the order they are
// registered. DeclareSchema walks it once while the library loads.
//
// Constant-initialised and read-only: usable from any static initialiser and any thread.
#pragma once

#include <span>

#include "schema/SchemaDeclaration.h"

// Result: every registration table, in declaration order; valid for the life of the process.
std::span<const SchemaDeclarationTable* const> GetSchemaDeclarationTables();
