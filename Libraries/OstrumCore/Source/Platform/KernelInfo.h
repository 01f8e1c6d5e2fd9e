// Readers of the kernel's text interfaces under /proc, shared by the platform information
// classes and the monitors.
//
// Stateless functions; safe from any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ostrum {

class KernelInfo
{
public:
    KernelInfo() = delete;

    // The value after "key:" on the first line of a "key: value" file that has it (such as
    // "model name" in /proc/cpuinfo), trimmed; empty when no line has it.
    static std::string readKeyValue(const std::string& path, const std::string& key);
    // A "Key:  N kB" line of /proc/meminfo or /proc/self/status, in bytes.
    static std::optional<uint64_t> readKilobytes(const std::string& path, const std::string& key);
    // Total and available physical memory in bytes; empty when the kernel cannot tell.
    static bool readPhysicalMemory(uint64_t& total, uint64_t& available);
};

}  // namespace ostrum
