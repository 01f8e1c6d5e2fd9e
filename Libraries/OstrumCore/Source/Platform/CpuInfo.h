// The processor's identification: vendor, family, model and stepping through the CPUID
// instruction, its feature flags and cache sizes, its brand name and clock from the kernel.
//
// Detected once at construction; a plain value afterwards. Not shared between threads without
// the caller's lock.
#pragma once

#include <cstdint>
#include <string>

namespace ostrum::io {
class OutputStream;
}  // namespace ostrum::io

namespace ostrum {

// Runs CPUID for a leaf and sub-leaf; null outputs are skipped. False where the processor has
// no such instruction.
bool cpuid(uint32_t leaf, uint32_t subleaf, uint32_t* eax, uint32_t* ebx, uint32_t* ecx, uint32_t* edx);
bool isCpuidSupported();

class CpuInfo
{
public:
    // Zeroed; detected when detect is set.
    explicit CpuInfo(bool detect);

    // Writes "<CpuInfo .../>" (or only the attributes when element is false); returns 0.
    int writeXml(io::OutputStream* out, bool element) const;

    bool ready = false;
    bool cpuidAvailable = false;
    std::string vendor;
    unsigned family = 0;
    unsigned model = 0;
    unsigned stepping = 0;
    bool isAmd = false;
    bool isIntel = false;
    bool extendedLeaves = false;
    uint32_t extendedMaximum = 0;
    unsigned l1InstructionSize = 0;
    unsigned l1InstructionLine = 0;
    unsigned l1DataSize = 0;
    unsigned l1DataLine = 0;
    unsigned l1TotalSize = 0;
    unsigned l2Size = 0;
    bool mmx = false;
    bool sse = false;
    bool sse2 = false;
    bool hyperthreading = false;
    bool thermal = false;
    bool ia64 = false;
    bool amd3dnow = false;
    std::string cpu;
    std::string cpuName;
    unsigned mhz = 0;

private:
    void detect();
    void nameProcessor();
};

}  // namespace ostrum
