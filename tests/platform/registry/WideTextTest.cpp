#include "platform/registry/WideText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(WideText, LinesDropTheMarkAndEveryLineEnd)
{
    const struct
    {
        const char* name;
        std::string bytes;
        std::vector<std::wstring> lines;
    } cases[] = {
        {"empty", "", {}},
        {"mark only", "\xEF\xBB\xBF", {}},
        {"last line without end", "a\nb", {L"a", L"b"}},
        {"carriage returns", "a\r\nb\r\n", {L"a", L"b"}},
        {"empty lines kept", "\n\r\n\nx", {L"", L"", L"", L"x"}},
        {"mark then text", "\xEF\xBB\xBF[S]\n", {L"[S]"}},
        {"lone carriage return inside", "a\rb\n", {L"a\rb"}},
        {"malformed byte", "a\xFF\n", {L"a\uFFFD"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WideText::Lines(c.bytes), c.lines) << c.name;
}

}  // namespace
