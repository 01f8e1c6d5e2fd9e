// PeakResident: the peak resident set size of this process, as Linux keeps it (VmHWM in
// /proc/self/status), with a reset so that one benchmark's peak is not an earlier one's.
//
// Stateless; any thread.
#pragma once

class PeakResident
{
public:
    PeakResident() = delete;

    // Starts a new peak at the current resident size (writes "5" to /proc/self/clear_refs).
    // Throws std::runtime_error when the kernel refuses.
    static void Reset();
    // The peak resident size since the last Reset (or the process start) in MiB. Throws
    // std::runtime_error when /proc/self/status has no VmHWM.
    static double PeakMib();
};
