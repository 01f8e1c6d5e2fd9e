// SoftwareEventPacket: the 20-byte little-endian header of a software event in the in-process
// pipe, ahead of its UTF-16LE text block (TextLength bytes, not terminated). A header of zeros
// (TotalSize 0) is the stop packet and has no text block.
//
//   offset 0  u32 TotalSize        20 + TextLength; 0 for the stop packet
//   offset 4  i32 EventId          carried through, not interpreted
//   offset 8  i16 EventType        the kind of record (see CWmipIntrinsicEventMapper)
//   offset 10 i16 TransactionType  1 created, 2 modified, 3 deleted
//   offset 12 i32 Flags            bit 0: report a person event as a modification
//   offset 16 u32 TextLength       UTF-16 code units x 2
//
// A value type; the text view borrows from whoever filled it.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string_view>

#include "platform/win32/WinTypes.h"

struct SoftwareEventPacket
{
    static constexpr std::size_t kHeaderSize = 20;
    // The longest event text accepted on either side of the pipe, in bytes.
    static constexpr DWORD kMaxTextLength = 8 * 1024 * 1024;
    // Bit 0 of Flags.
    static constexpr LONG kFlagReportAsModification = 0x1;

    DWORD TotalSize = 0;
    LONG EventId = 0;
    SHORT EventType = 0;
    SHORT TransactionType = 0;
    LONG Flags = 0;
    DWORD TextLength = 0;
    // The event text in memory; never written into the pipe.
    std::u16string_view Text;

    // A packet for the text with TotalSize and TextLength computed; nothing for a text longer
    // than kMaxTextLength bytes.
    static std::optional<SoftwareEventPacket> Make(LONG eventId, SHORT eventType, SHORT transactionType, LONG flags,
                                                   std::u16string_view text);
    // The 20 header bytes.
    std::array<BYTE, kHeaderSize> EncodeHeader() const;
    // The header read from exactly 20 bytes; nothing for another length, a TextLength that is
    // odd or above kMaxTextLength, or a TotalSize that is neither 0 (the stop packet, whose
    // other fields must be 0 too) nor 20 + TextLength. The text stays empty.
    static std::optional<SoftwareEventPacket> DecodeHeader(std::span<const BYTE> bytes);
    // True for the stop packet.
    bool IsStop() const { return TotalSize == 0; }
};
