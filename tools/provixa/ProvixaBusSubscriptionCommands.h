// ProvixaBusSubscriptionCommands: `provixa bus subs list|get|add|modify|disable`, the
// business-event subscription operations of the front end as a bus client calls them. Fields
// are given as NAME=VALUE words; answers are printed as JSON objects with the bus property
// names (dates as ISO 8601 UTC text, null when absent).
//
// Stateless; runs on the bus command run's thread.
#pragma once

#include <string>
#include <vector>

#include "tools/provixa/ProvixaBusSession.h"

class ProvixaBusSubscriptionCommands
{
public:
    ProvixaBusSubscriptionCommands() = delete;

    // Runs `subs` with its operands. Front-end failures pass on as thrown.
    static void Execute(ProvixaBusSession& session, const std::vector<std::string>& operands);
    // The help lines of the commands.
    static std::string Usage();
};
