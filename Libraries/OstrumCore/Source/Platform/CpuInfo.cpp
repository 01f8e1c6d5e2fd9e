#include "Libraries/OstrumCore/Source/Platform/CpuInfo.h"

#include "Libraries/OstrumCore/Source/Platform/KernelInfo.h"
#include "Libraries/OstrumCore/Source/Platform/XmlFragment.h"
#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

#include <charconv>
#include <cstring>

namespace ostrum {

namespace {

using utils::StringUtils;

constexpr uint32_t kExtendedBase = 0x80000000;
constexpr const char* kCpuInfoFile = "/proc/cpuinfo";

// The name of each model of a family, by model range (inclusive).
struct ModelName
{
    unsigned family;
    unsigned firstModel;
    unsigned lastModel;
    const char* name;
};

constexpr ModelName kAmdModels[] = {
    {4, 0, 15, " Am486"}, {5, 0, 3, " K5"},    {5, 6, 7, " K6"},
    {5, 8, 8, " K6-2"},   {5, 9, 15, " K6-3"}, {6, 0, 15, " Athlon"},
};

constexpr ModelName kIntelModels[] = {
    {5, 1, 3, " Pentium"},     {5, 4, 4, " Pentium-MMX"},  {6, 1, 1, " Pentium-Pro"}, {6, 3, 3, " Pentium-II"},
    {6, 5, 5, " Pentium-II"},  {6, 6, 6, " Celeron"},      {6, 7, 8, " Pentium-III"}, {6, 10, 10, " Pentium-III"},
    {6, 13, 13, " Pentium M"}, {6, 15, 15, " Core 2 Duo"}, {15, 0, 0, " Pentium-4"},  {15, 4, 4, " Pentium D"},
};

constexpr const char* kIntel486Models[] = {"DX", "DX", "SX", "DX2", "SL", "SX2", nullptr, "DX2E", "DX4"};

template <std::size_t N>
const char* modelName(const ModelName (&table)[N], unsigned family, unsigned model)
{
    for (const ModelName& entry : table)
    {
        if (entry.family == family && model >= entry.firstModel && model <= entry.lastModel)
        {
            return entry.name;
        }
    }
    return "";
}

// Vendors named by their string alone: (vendor string, name).
struct VendorName
{
    const char* vendor;
    const char* name;
};

constexpr VendorName kPlainVendors[] = {
    {"SiS SiS SiS ", "SiS"},  {"NexGenDriven", "NexGen"}, {"GenuineTMx86", "Transmeta"},
    {"RiseRiseRise", "Rise"}, {"UMC UMC UMC ", "UMC"},    {"Geode by NSC", "National Semiconductor"},
};

const char* flag(bool value)
{
    return value ? "true" : "false";
}

bool bit(uint32_t value, unsigned n)
{
    return ((value >> n) & 1u) != 0;
}

}  // namespace

bool cpuid(uint32_t leaf, uint32_t subleaf, uint32_t* eax, uint32_t* ebx, uint32_t* ecx, uint32_t* edx)
{
#if defined(__x86_64__) || defined(__i386__)
    uint32_t a = 0;
    uint32_t b = 0;
    uint32_t c = 0;
    uint32_t d = 0;
    __cpuid_count(leaf, subleaf, a, b, c, d);
    const auto put = [](uint32_t* out, uint32_t value) {
        if (out != nullptr)
        {
            *out = value;
        }
    };
    put(eax, a);
    put(ebx, b);
    put(ecx, c);
    put(edx, d);
    return true;
#else
    (void)leaf;
    (void)subleaf;
    (void)eax;
    (void)ebx;
    (void)ecx;
    (void)edx;
    return false;
#endif
}

bool isCpuidSupported()
{
    return cpuid(0, 0, nullptr, nullptr, nullptr, nullptr);
}

CpuInfo::CpuInfo(bool detectNow)
{
    if (detectNow)
    {
        detect();
    }
}

void CpuInfo::nameProcessor()
{
    if (vendor == "AuthenticAMD" || vendor == "AMD ISBETTER")
    {
        cpu = "AMD";
        isAmd = true;
        extendedLeaves = family > 5 || (family == 5 && model >= 6);
        cpu += modelName(kAmdModels, family, model);
    }
    else if (vendor == "GenuineIntel")
    {
        cpu = "Intel";
        isIntel = true;
        extendedLeaves = (family == 6 && model >= 13) || (family != 6 && family >= 15);
        if (family == 4)
        {
            cpu += " 486";
            if (model < std::size(kIntel486Models) && kIntel486Models[model] != nullptr)
            {
                cpu += kIntel486Models[model];
            }
        }
        else
        {
            cpu += modelName(kIntelModels, family, model);
        }
    }
    else if (vendor == "CyrixInstead")
    {
        cpu = "Cyrix";
        extendedLeaves = (family == 5 && model >= 4) || (family == 6 && model >= 5) || family > 6;
    }
    else if (vendor == "CentaurHauls")
    {
        cpu = "Centaur";
        extendedLeaves = (family == 5 && model >= 8) || family > 5;
    }
    else if (vendor == "TransmetaCPU")
    {
        cpu = "Transmeta";
        extendedLeaves = family >= 5;
    }
    else
    {
        for (const VendorName& plain : kPlainVendors)
        {
            if (vendor == plain.vendor)
            {
                cpu = plain.name;
            }
        }
    }
}

void CpuInfo::detect()
{
    cpuidAvailable = isCpuidSupported();
    if (cpuidAvailable)
    {
        uint32_t maxLeaf = 0;
        uint32_t b = 0;
        uint32_t c = 0;
        uint32_t d = 0;
        cpuid(0, 0, &maxLeaf, &b, &c, &d);
        char name[13] = {};
        std::memcpy(name, &b, 4);
        std::memcpy(name + 4, &d, 4);
        std::memcpy(name + 8, &c, 4);
        vendor = name;

        uint32_t signature = 0;
        uint32_t features = 0;
        if (maxLeaf >= 1)
        {
            cpuid(1, 0, &signature, nullptr, nullptr, &features);
        }
        stepping = signature & 0xF;
        model = (signature >> 4) & 0xF;
        family = (signature >> 8) & 0xF;
        if (family == 15)
        {
            family += (signature >> 20) & 0xFF;
        }
        nameProcessor();
        mmx = bit(features, 23);
        sse = bit(features, 25);
        sse2 = bit(features, 26);
        hyperthreading = isIntel && bit(features, 28);
        thermal = bit(features, 29);
        ia64 = bit(features, 30);

        if (extendedLeaves)
        {
            uint32_t extended = 0;
            cpuid(kExtendedBase, 0, &extended, nullptr, nullptr, nullptr);
            extendedMaximum = extended & ~kExtendedBase;
            if (extendedMaximum >= 1)
            {
                uint32_t extendedFeatures = 0;
                cpuid(kExtendedBase + 1, 0, nullptr, nullptr, nullptr, &extendedFeatures);
                amd3dnow = bit(extendedFeatures, 31);
            }
            if (extendedMaximum >= 5)
            {
                uint32_t l1Data = 0;
                uint32_t l1Instruction = 0;
                cpuid(kExtendedBase + 5, 0, nullptr, nullptr, &l1Data, &l1Instruction);
                l1InstructionSize = l1Instruction >> 24;
                l1InstructionLine = l1Instruction & 0xFF;
                l1DataSize = l1Data >> 24;
                l1DataLine = l1Data & 0xFF;
                l1TotalSize = l1InstructionSize + l1DataSize;
            }
            if (extendedMaximum >= 6)
            {
                uint32_t l2 = 0;
                cpuid(kExtendedBase + 6, 0, nullptr, nullptr, &l2, nullptr);
                l2Size = l2 >> 16;
            }
        }
    }
    cpuName = KernelInfo::readKeyValue(kCpuInfoFile, "model name");
    const std::string clock = KernelInfo::readKeyValue(kCpuInfoFile, "cpu MHz");
    double megahertz = 0;
    if (std::from_chars(clock.data(), clock.data() + clock.size(), megahertz).ec == std::errc() && megahertz > 0)
    {
        mhz = static_cast<unsigned>(megahertz + 0.5);
    }
    ready = true;
}

int CpuInfo::writeXml(io::OutputStream* out, bool element) const
{
    std::string text;
    if (!ready)
    {
        text += " ready=\"false\"";
    }
    else if (!cpuidAvailable)
    {
        text += " cpuid=\"false\"";
    }
    else
    {
        if (!cpuName.empty())
        {
            text += StringUtils::format(" cpuName=\"%s\"", cpuName.c_str());
        }
        if (!cpu.empty())
        {
            text += StringUtils::format(" cpu=\"%s\"", cpu.c_str());
        }
        if (mhz != 0)
        {
            text += StringUtils::format(" mhz=\"%u\"", mhz);
        }
        text += StringUtils::format(" vendor=\"%s\" family=\"%u\" model=\"%u\" stepping=\"%u\"", vendor.c_str(), family,
                                    model, stepping);
        text += StringUtils::format(" mmx=\"%s\" sse=\"%s\" sse2=\"%s\" 3dnow=\"%s\"", flag(mmx), flag(sse), flag(sse2),
                                    flag(amd3dnow));
        text += StringUtils::format(" hyperthreading=\"%s\" thermal=\"%s\" ia64=\"%s\"", flag(hyperthreading),
                                    flag(thermal), flag(ia64));
        if (l1TotalSize != 0)
        {
            text += StringUtils::format(" L1-cache-size=\"%u\" L1-i-cache-size=\"%u\" L1-i-cache-bytes-per-line=\"%u\""
                                        "  L1-d-cache-size=\"%u\" L1-d-cache-bytes-per-line=\"%u\"",
                                        l1TotalSize, l1InstructionSize, l1InstructionLine, l1DataSize, l1DataLine);
        }
        if (l2Size != 0)
        {
            text += StringUtils::format(" L2-cache-size=\"%u\"", l2Size);
        }
    }
    return writeXmlFragment(out, "CpuInfo", text, element);
}

}  // namespace ostrum
