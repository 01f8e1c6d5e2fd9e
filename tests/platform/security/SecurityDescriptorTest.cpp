#include "platform/security/SecurityDescriptor.h"
#include "platform/security/Sid.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr DWORD kSubscribe = 0x40;

std::vector<BYTE> Sid(const wchar_t* text)
{
    return SidCodec::FromText(text).value();
}

TEST(SecurityDescriptor, GrantsTheRightOnlyToTheListedAccounts)
{
    const std::vector<BYTE> dock = Sid(L"S-1-5-21-1-2-3-1005");
    const std::vector<BYTE> lobby = Sid(L"S-1-5-21-1-2-3-1001");
    const std::vector<BYTE> system = Sid(L"S-1-5-18");
    const std::vector<std::vector<BYTE>> listed = {dock, {0x01, 0x02}, system};
    const std::vector<BYTE> descriptor = SecurityDescriptor::AllowOnly(listed, kSubscribe);
    struct Case
    {
        const char* rule;
        std::vector<BYTE> sid;
        DWORD mask;
        bool granted;
    };
    const Case cases[] = {
        {"first listed", dock, kSubscribe, true},
        {"listed after a malformed SID", system, kSubscribe, true},
        {"not listed", lobby, kSubscribe, false},
        {"a right the ACE lacks", dock, kSubscribe | 1, false},
        {"no SID", {}, kSubscribe, false},
        {"a SID with bytes after it",
         [&] {
             auto extra = dock;
             extra.push_back(0);
             return extra;
         }(),
         kSubscribe, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SecurityDescriptor::Grants(descriptor, c.sid, c.mask), c.granted) << c.rule;
    EXPECT_FALSE(SecurityDescriptor::Grants(SecurityDescriptor::AllowOnly({}, kSubscribe), dock, kSubscribe));
}

TEST(SecurityDescriptor, MalformedDescriptorsGrantNothing)
{
    const std::vector<BYTE> dock = Sid(L"S-1-5-21-1-2-3-1005");
    const std::vector<std::vector<BYTE>> listed = {dock};
    const std::vector<BYTE> good = SecurityDescriptor::AllowOnly(listed, kSubscribe);
    ASSERT_TRUE(SecurityDescriptor::Grants(good, dock, kSubscribe));
    const auto changed = [&](std::size_t at, BYTE value) {
        std::vector<BYTE> bytes = good;
        bytes[at] = value;
        return bytes;
    };
    struct Case
    {
        const char* rule;
        std::vector<BYTE> descriptor;
    };
    const Case cases[] = {
        {"empty", {}},
        {"cut in the header", std::vector<BYTE>(good.begin(), good.begin() + 10)},
        {"cut in the ACE", std::vector<BYTE>(good.begin(), good.end() - 3)},
        {"wrong revision", changed(0, 2)},
        {"not self-relative", changed(3, 0)},
        {"DACL past the end", changed(16, 0xF0)},
        {"wrong ACL revision", changed(20, 9)},
        {"ACL larger than the bytes", changed(22, 0xFF)},
        {"ACE shorter than its header", changed(30, 4)},
        {"ACE larger than the ACL", changed(30, 0xF0)},
        {"a denied ACE", changed(28, SecurityDescriptor::ACCESS_DENIED_ACE_TYPE)},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(SecurityDescriptor::Grants(c.descriptor, dock, kSubscribe)) << c.rule;
    // Without a DACL the descriptor restricts nobody.
    EXPECT_TRUE(SecurityDescriptor::Grants(changed(2, 0), dock, kSubscribe));
}

}  // namespace
