// SecurityDescriptor: the self-relative security descriptor layout as far as the system uses it:
// a descriptor whose discretionary ACL allows a right to a list of accounts, and the check
// whether a descriptor grants an account a right.
//
// Layout (as on Windows, little-endian): revision (1 byte, 1), a zero byte, control (2 bytes;
// SE_DACL_PRESENT and SE_SELF_RELATIVE), then the offsets of owner, group, SACL and DACL (4
// bytes each, 0: none). An ACL: revision (1 byte, 2), a zero byte, its size in bytes (2), its
// ACE count (2), two zero bytes; then each ACE: type (1 byte: 0 allowed, 1 denied), flags (1),
// its size (2), the access mask (4) and the SID. Stateless and thread-safe.
#pragma once

#include "platform/win32/WinTypes.h"

#include <span>
#include <vector>

class SecurityDescriptor
{
public:
    static constexpr WORD SE_DACL_PRESENT = 0x0004;
    static constexpr WORD SE_SELF_RELATIVE = 0x8000;
    static constexpr BYTE ACCESS_ALLOWED_ACE_TYPE = 0;
    static constexpr BYTE ACCESS_DENIED_ACE_TYPE = 1;

    // A descriptor (no owner, group or SACL) whose DACL allows `mask` to each SID in the list,
    // in order; bytes that are not exactly one valid SID are left out. An empty list gives an
    // empty DACL, which grants nobody anything.
    static std::vector<BYTE> AllowOnly(std::span<const std::vector<BYTE>> sids, DWORD mask);

    // True when the descriptor grants every bit of `mask` to the account with the SID: the
    // DACL's ACEs are read in order, a denied ACE of the SID naming any of the bits refuses,
    // allowed ACEs of the SID add their bits. A descriptor without a DACL grants everything
    // (the null DACL). A descriptor, ACL or ACE whose sizes or offsets do not hold, and a SID
    // that is not valid, grant nothing.
    static bool Grants(std::span<const BYTE> descriptor, std::span<const BYTE> sid, DWORD mask);
};
