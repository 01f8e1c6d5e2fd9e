// ProvixaBusCatalogCommands: the `provixa bus` commands that read the installation's catalogue
// and stored records as a bus client does: `types` (every exposed type and its parent),
// `type CLASS` (one type's properties and methods), `media` (a person's multimedia data),
// `directories` and `cardholder` (the cardholder of a directory account). Answers are printed
// as JSON.
//
// Stateless; runs on the bus command run's thread.
#pragma once

#include <string>
#include <vector>

#include "tools/provixa/ProvixaBusSession.h"

class ProvixaBusCatalogCommands
{
public:
    ProvixaBusCatalogCommands() = delete;

    // The environment variable that holds the directory account's password of `cardholder`.
    static constexpr char kDirectoryPasswordVariable[] = "PROVIXA_DIRECTORY_PASSWORD";

    // True when name is one of these commands (it has then run); false for any other name.
    // Front-end failures pass on as thrown.
    static bool Execute(ProvixaBusSession& session, const std::string& name, const std::vector<std::string>& operands);
    // The help lines of the commands.
    static std::string Usage();
};
