// Helpers shared by the schema tests and the framework rules sweep: every declaration in
// declaration order, and selections.
#pragma once

#include <string>
#include <vector>

#include "schema/SchemaDeclaration.h"
#include "schema/SchemaTables.h"

namespace schema_test {

inline std::vector<const SchemaDeclaration*> AllDeclarations()
{
    std::vector<const SchemaDeclaration*> all;
    for (const SchemaDeclarationTable* table : GetSchemaDeclarationTables())
    {
        for (const SchemaDeclaration& declaration : *table)
        {
            all.push_back(&declaration);
        }
    }
    return all;
}

inline std::vector<const SchemaDeclaration*> OfKind(SchemaDeclarationKind kind)
{
    std::vector<const SchemaDeclaration*> selected;
    for (const SchemaDeclaration* declaration : AllDeclarations())
    {
        if (declaration->kind == kind)
        {
            selected.push_back(declaration);
        }
    }
    return selected;
}

inline const SchemaDeclaration* FindProperty(const std::wstring& className, const std::wstring& property)
{
    for (const SchemaDeclaration* declaration : OfKind(SchemaDeclarationKind::Property))
    {
        if (className == declaration->className && property == declaration->name)
        {
            return declaration;
        }
    }
    return nullptr;
}

inline std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

}  // namespace schema_test
