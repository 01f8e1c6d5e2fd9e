// EmbeddedInstallation: the installation scripts db/schema.sql and db/demo.sql, built into the
// provixa host at compile time so that `provixa init` needs no source tree.
//
// Constant data; safe on any thread.
#pragma once

#include <string_view>

class EmbeddedInstallation
{
public:
    EmbeddedInstallation() = delete;

    // The texts as they stand in the files (UTF-8); valid for the process's life.
    static std::string_view SchemaSql();
    static std::string_view DemoSql();
};
