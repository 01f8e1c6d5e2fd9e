// Door: which of the two doors a request came through, the WMI provider or the bus front end.
//
// A door builds every mapper it serves a request with through the class's MapperFactory and
// hands it the door; a mapper built by a mapper takes its builder's. Where the doors' rules
// differ (DESIGN.md, "The layers"), a mapper asks its own door (CWmipMapper::IsBusDoor), and the
// date-time texts of WMIHelper take it from their caller. No process or thread state holds it.
#pragma once

enum class Door
{
    // The WMI provider: DMTF date-times.
    kWmi,
    // The bus front end: ISO 8601 date-times.
    kBus,
};
