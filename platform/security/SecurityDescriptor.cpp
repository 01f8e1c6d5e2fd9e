#include "platform/security/SecurityDescriptor.h"

#include "platform/security/Sid.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace {

constexpr BYTE kDescriptorRevision = 1;
constexpr BYTE kAclRevision = 2;
constexpr std::size_t kDescriptorBytes = 20;
constexpr std::size_t kDaclOffsetAt = 16;
constexpr std::size_t kAclHeaderBytes = 8;
constexpr std::size_t kAceHeaderBytes = 8;

// The little-endian number of `width` bytes (at most four) at the end of the bytes.
void Append(std::vector<BYTE>& bytes, DWORD value, std::size_t width)
{
    for (std::size_t i = 0; i < width; ++i)
        bytes.push_back(static_cast<BYTE>(value >> (8 * i)));
}

void Store(std::vector<BYTE>& bytes, std::size_t offset, DWORD value, std::size_t width)
{
    for (std::size_t i = 0; i < width; ++i)
        bytes[offset + i] = static_cast<BYTE>(value >> (8 * i));
}

// The little-endian number of `width` bytes at the offset; nothing when they run past the end.
std::optional<DWORD> Read(std::span<const BYTE> bytes, std::size_t offset, std::size_t width)
{
    if (offset > bytes.size() || bytes.size() - offset < width)
        return std::nullopt;
    DWORD value = 0;
    for (std::size_t i = 0; i < width; ++i)
        value |= static_cast<DWORD>(bytes[offset + i]) << (8 * i);
    return value;
}

bool IsOneSid(std::span<const BYTE> sid)
{
    const auto length = SidCodec::Length(sid);
    return length && *length == sid.size();
}

}  // namespace

std::vector<BYTE> SecurityDescriptor::AllowOnly(std::span<const std::vector<BYTE>> sids, DWORD mask)
{
    std::vector<BYTE> bytes;
    bytes.push_back(kDescriptorRevision);
    bytes.push_back(0);
    Append(bytes, SE_DACL_PRESENT | SE_SELF_RELATIVE, 2);
    // No owner, group or system list: three zero offsets.
    bytes.insert(bytes.end(), 12, BYTE{0});
    Append(bytes, static_cast<DWORD>(kDescriptorBytes), 4);

    bytes.push_back(kAclRevision);
    bytes.push_back(0);
    const std::size_t aclSizeAt = bytes.size();
    bytes.insert(bytes.end(), 6, BYTE{0});
    std::size_t aces = 0;
    for (const std::vector<BYTE>& sid : sids)
    {
        const std::size_t aceBytes = kAceHeaderBytes + sid.size();
        // An ACL's size is a 16-bit number: the accounts past it are left out, never wrapped.
        if (!IsOneSid(sid) || bytes.size() - kDescriptorBytes + aceBytes > std::numeric_limits<WORD>::max())
            continue;
        bytes.push_back(ACCESS_ALLOWED_ACE_TYPE);
        bytes.push_back(0);
        Append(bytes, static_cast<DWORD>(aceBytes), 2);
        Append(bytes, mask, 4);
        bytes.insert(bytes.end(), sid.begin(), sid.end());
        ++aces;
    }
    Store(bytes, aclSizeAt, static_cast<DWORD>(bytes.size() - kDescriptorBytes), 2);
    Store(bytes, aclSizeAt + 2, static_cast<DWORD>(aces), 2);
    return bytes;
}

bool SecurityDescriptor::Grants(std::span<const BYTE> descriptor, std::span<const BYTE> sid, DWORD mask)
{
    const auto control = Read(descriptor, 2, 2);
    const auto daclOffset = Read(descriptor, kDaclOffsetAt, 4);
    if (descriptor.size() < kDescriptorBytes || descriptor[0] != kDescriptorRevision || !control || !daclOffset ||
        (*control & SE_SELF_RELATIVE) == 0 || !IsOneSid(sid))
        return false;
    if ((*control & SE_DACL_PRESENT) == 0 || *daclOffset == 0)
        return true;

    const auto aclSize = Read(descriptor, *daclOffset + 2, 2);
    const auto aceCount = Read(descriptor, *daclOffset + 4, 2);
    if (!aclSize || !aceCount || descriptor[*daclOffset] != kAclRevision || *aclSize < kAclHeaderBytes ||
        descriptor.size() - *daclOffset < *aclSize)
        return false;
    const std::span<const BYTE> acl = descriptor.subspan(*daclOffset, *aclSize);
    DWORD granted = 0;
    std::size_t at = kAclHeaderBytes;
    for (DWORD i = 0; i < *aceCount; ++i)
    {
        const auto aceSize = Read(acl, at + 2, 2);
        const auto aceMask = Read(acl, at + 4, 4);
        if (!aceSize || !aceMask || *aceSize < kAceHeaderBytes || acl.size() - at < *aceSize)
            return false;
        const BYTE type = acl[at];
        const std::span<const BYTE> aceSid = acl.subspan(at + kAceHeaderBytes, *aceSize - kAceHeaderBytes);
        const auto sidLength = SidCodec::Length(aceSid);
        const bool mine = sidLength && *sidLength == sid.size() && std::equal(sid.begin(), sid.end(), aceSid.begin());
        if (mine && type == ACCESS_DENIED_ACE_TYPE && (*aceMask & mask) != 0)
            return false;
        if (mine && type == ACCESS_ALLOWED_ACE_TYPE)
            granted |= *aceMask;
        if ((granted & mask) == mask)
            return true;
        at += *aceSize;
    }
    return false;
}
