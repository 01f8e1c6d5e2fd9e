#include "bench/PeakResident.h"

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

void PeakResident::Reset()
{
    std::ofstream clear("/proc/self/clear_refs");
    if (!(clear << "5" << std::flush))
        throw std::runtime_error("cannot reset the peak resident size through /proc/self/clear_refs");
}

double PeakResident::PeakMib()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
    {
        if (line.rfind("VmHWM:", 0) != 0)
            continue;
        std::istringstream fields(line.substr(6));
        double kib = 0;
        if (fields >> kib)
            return kib / 1024.0;
    }
    throw std::runtime_error("/proc/self/status names no peak resident size");
}
