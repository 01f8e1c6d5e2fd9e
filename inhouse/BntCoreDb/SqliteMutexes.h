// SqliteMutexes: the mutexes the database engine uses inside this process. The engine's own
// sleep in the kernel as soon as they are taken, yet it holds them for a few instructions (the
// shared-memory lock every read transaction of a WAL database takes, for one): threads reading
// on connections of their own would queue in the kernel at each read. These spin briefly before
// they sleep, and recursive ones stay recursive.
//
// Install runs once, before the engine is first used (at load, from CBntConnection); the engine
// takes the mutexes only while it has not been initialised, so a later call changes nothing.
#pragma once

class SqliteMutexes
{
public:
    SqliteMutexes() = delete;

    // True when the engine took these mutexes; false when it was initialised already and keeps
    // its own.
    static bool Install();
    // True once an Install was taken by the engine.
    static bool IsInstalled();
};
