// Time's members that write and read it through the library's streams (eight bytes, big
// endian): they live with the streams, so that Time below them needs none.
#include "Libraries/OstrumCore/Source/Utils/Time.h"

#include "Libraries/OstrumCore/Source/IO/ByteOrder.h"
#include "Libraries/OstrumCore/Source/IO/DataInputStream.h"
#include "Libraries/OstrumCore/Source/IO/DataOutputStream.h"

namespace ostrum::utils {

int Time::write(io::OutputStream& out) const
{
    io::DataOutputStream data(&out, io::kBigEndianByteOrder);
    return data.writeInt64(m_value);
}

int Time::read(io::InputStream& in)
{
    io::DataInputStream data(&in, io::kBigEndianByteOrder);
    m_value = data.readInt64();
    return 8;
}

}  // namespace ostrum::utils
