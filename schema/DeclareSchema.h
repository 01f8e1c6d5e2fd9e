// DeclareSchema: registers the whole static schema with CWmipMapperRegistry, walking the
// registration tables of GetSchemaDeclarationTables in order and constructing the registrar of
// each declaration's kind. The library's one schema initialiser calls it while it loads.
//
// Runs once per process: the first call registers, later calls do nothing (a second run would
// append every derived class to its superclass's list again). Not meant for concurrent callers
// other than through its once-guard.
#pragma once

// Result: none; afterwards every declared class, member and qualifier is registered. A class
// whose mapper has no factory yet (MapperBindings) is registered with an empty factory.
void DeclareSchema();
