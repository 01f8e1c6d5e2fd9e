// VariantArchive: a map of Variants as the bytes of a Boost binary archive (default archive
// flags, header included), and back. Saving uses Boost's own encodings: the map and lists as
// Boost collections, each Variant as a class-level object whose content is its boost::variant
// saved as Boost saves a variant (the index as an int, then the value). Loading reads the same
// layout with our own guards against hostile bytes: an index outside 0..10 (negative included)
// and a string, list or map count larger than the bytes left are refused before anything is
// allocated or constructed, where Boost's own loaders would load a negative index as nothing
// and allocate whatever count the stream names.
//
// Stateless; safe from any thread.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "Libraries/BntIRUtility/Variant.h"

namespace Bnt::IR::Utility {

class VariantArchive
{
public:
    VariantArchive() = delete;

    // The archive bytes of the map. Throws boost::archive::archive_exception or std::exception
    // only when the stream cannot be written (out of memory).
    static std::vector<std::uint8_t> Save(const Variant::Map& map);

    // Reads archive bytes into *map (changed only on success). Throws
    // boost::archive::archive_exception: unsupported_version for an index outside 0..10,
    // input_stream_error for a count larger than the bytes left or truncated input,
    // invalid_signature for bytes that do not open with the archive's signature, and the
    // archive's own exceptions for the rest of a malformed header.
    static void Load(std::span<const std::uint8_t> bytes, Variant::Map* map);
};

}  // namespace Bnt::IR::Utility
