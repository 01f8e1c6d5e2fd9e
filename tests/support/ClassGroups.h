// ClassGroups: the served classes in groups by the first letter of the name after "Bnt_", so
// that a sweep over every class runs as a test per group (TEST_P over kClassGroups): a process
// and a time limit of its own under CTest, and the groups side by side.
//
// Constant; safe on any thread.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace support {

struct ClassGroup
{
    std::string name;
    wchar_t first;
    wchar_t last;

    bool Holds(const std::wstring& className) const
    {
        const wchar_t letter = className.size() > 4 ? className[4] : L'\0';
        return className.starts_with(L"Bnt_") && letter >= first && letter <= last;
    }
};

// Every class name starting "Bnt_" and a capital is in exactly one group.
inline const std::vector<ClassGroup> kClassGroups = {
    {"A", L'A', L'A'}, {"BToE", L'B', L'E'}, {"FToO", L'F', L'O'}, {"PToR", L'P', L'R'}, {"SToZ", L'S', L'Z'}};

inline void PrintTo(const ClassGroup& group, std::ostream* out)
{
    *out << group.name;
}

// The group's name as the test's (INSTANTIATE_TEST_SUITE_P's name generator).
inline std::string ClassGroupName(const ::testing::TestParamInfo<ClassGroup>& info)
{
    return info.param.name;
}

}  // namespace support
